// The soft-image handle table: a handle is kSoftImageHandleType, the record's
// check number (11 bits) from bit 16 and the slot below.
#pragma once

#include <cstdint>

#include "library/graphics/images/raster_image.h"

namespace veziv::detail {

inline constexpr int kSoftImageSlots = 8192;
inline constexpr uint32_t kSoftImageHandleType = 0x70000000u;

struct SoftImageRecord {
  RasterImage image;
  uint32_t check;
};

struct SoftImageTable {
  SoftImageRecord* slots[kSoftImageSlots];
  int used;
  int end;  // one past the highest used slot
  uint32_t nextCheck;
};

SoftImageTable& SoftImageTableState();

}  // namespace veziv::detail
