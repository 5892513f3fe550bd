// The soft-image handle table. Nothing in the library fills it today; it is
// kept so that handles given to the free call are checked and the end of the
// library releases whatever is there.
#include <cstring>

#include "library/graphics/images/raster_image.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv {

namespace {

constexpr int kSlots = 8192;
constexpr uint32_t kHandleType = 0x70000000u;

struct SoftImageRecord {
  RasterImage image;
  uint32_t check;
};

struct SoftImageTable {
  SoftImageRecord* slots[kSlots];
  int used;
  int end;  // one past the highest used slot
  uint32_t nextCheck;
};

SoftImageTable g_table;

}  // namespace

int FreeSoftImageHandle(int handle) {
  if (handle < 0 || (uint32_t(handle) & 0x78000000u) != kHandleType) return -1;
  int slot = handle & 0xFFFF;
  if (slot >= kSlots || !g_table.slots[slot]) return -1;
  SoftImageRecord* record = g_table.slots[slot];
  if (record->check != (uint32_t(handle) >> 16 & 0x7FF)) return -1;
  FreeRasterImage(&record->image);
  detail::FreeRasterMemory(record);
  g_table.slots[slot] = nullptr;
  --g_table.used;
  if (slot == g_table.end - 1) {
    while (g_table.end > 0 && !g_table.slots[g_table.end - 1]) --g_table.end;
  }
  return 0;
}

void ReleaseAllSoftImages() {
  for (int slot = 0; slot < g_table.end; ++slot) {
    SoftImageRecord* record = g_table.slots[slot];
    if (record) FreeSoftImageHandle(int(kHandleType | record->check << 16 | uint32_t(slot)));
  }
}

void TerminateSoftImages() {
  ReleaseAllSoftImages();
  std::memset(&g_table, 0, sizeof g_table);
}

namespace detail {

int AddSoftImageForTest(const RasterImage* image) {
  for (int slot = 0; slot < kSlots; ++slot) {
    if (g_table.slots[slot]) continue;
    auto* record = static_cast<SoftImageRecord*>(AllocRasterMemoryZeroed(sizeof(SoftImageRecord)));
    if (!record) return -1;
    record->image = *image;
    record->check = g_table.nextCheck = (g_table.nextCheck + 1) & 0x7FF;
    g_table.slots[slot] = record;
    ++g_table.used;
    if (slot >= g_table.end) g_table.end = slot + 1;
    return int(kHandleType | record->check << 16 | uint32_t(slot));
  }
  return -1;
}

int SoftImageCountForTest() { return g_table.used; }

}  // namespace detail

}  // namespace veziv
