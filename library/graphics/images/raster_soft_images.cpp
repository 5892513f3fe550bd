// The soft-image handle table. Nothing in the library fills it today; it is
// kept so that handles given to the free call are checked and the end of the
// library releases whatever is there.
#include <cstring>

#include "library/graphics/images/raster_image.h"
#include "library/graphics/images/raster_memory.h"
#include "library/graphics/images/soft_image_table.h"

namespace veziv {

namespace {

using detail::kSoftImageHandleType;
using detail::kSoftImageSlots;
using detail::SoftImageRecord;
using detail::SoftImageTable;

SoftImageTable& State() { return detail::SoftImageTableState(); }

}  // namespace

int FreeSoftImageHandle(int handle) {
  SoftImageTable& table = State();
  if (handle < 0 || (uint32_t(handle) & 0x78000000u) != kSoftImageHandleType) return -1;
  int slot = handle & 0xFFFF;
  if (slot >= kSoftImageSlots || !table.slots[slot]) return -1;
  SoftImageRecord* record = table.slots[slot];
  if (record->check != (uint32_t(handle) >> 16 & 0x7FF)) return -1;
  FreeRasterImage(&record->image);
  detail::FreeRasterMemory(record);
  table.slots[slot] = nullptr;
  --table.used;
  if (slot == table.end - 1) {
    while (table.end > 0 && !table.slots[table.end - 1]) --table.end;
  }
  return 0;
}

void ReleaseAllSoftImages() {
  SoftImageTable& table = State();
  for (int slot = 0; slot < table.end; ++slot) {
    SoftImageRecord* record = table.slots[slot];
    if (record) FreeSoftImageHandle(int(kSoftImageHandleType | record->check << 16 | uint32_t(slot)));
  }
}

void TerminateSoftImages() {
  SoftImageTable& table = State();
  ReleaseAllSoftImages();
  std::memset(&table, 0, sizeof table);
}

namespace detail {

SoftImageTable& SoftImageTableState() {
  static SoftImageTable state;
  return state;
}

}  // namespace detail

}  // namespace veziv
