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

SoftImageTable& State() {
  static SoftImageTable state;
  return state;
}

}  // namespace

int FreeSoftImageHandle(int handle) {
  SoftImageTable& table = State();
  if (handle < 0 || (uint32_t(handle) & 0x78000000u) != kHandleType) return -1;
  int slot = handle & 0xFFFF;
  if (slot >= kSlots || !table.slots[slot]) return -1;
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
    if (record) FreeSoftImageHandle(int(kHandleType | record->check << 16 | uint32_t(slot)));
  }
}

void TerminateSoftImages() {
  SoftImageTable& table = State();
  ReleaseAllSoftImages();
  std::memset(&table, 0, sizeof table);
}

namespace detail {

int AddSoftImageForTest(const RasterImage* image) {
  SoftImageTable& table = State();
  for (int slot = 0; slot < kSlots; ++slot) {
    if (table.slots[slot]) continue;
    auto* record = static_cast<SoftImageRecord*>(AllocRasterMemoryZeroed(sizeof(SoftImageRecord)));
    if (!record) return -1;
    record->image = *image;
    record->check = table.nextCheck = (table.nextCheck + 1) & 0x7FF;
    table.slots[slot] = record;
    ++table.used;
    if (slot >= table.end) table.end = slot + 1;
    return int(kHandleType | record->check << 16 | uint32_t(slot));
  }
  return -1;
}

int SoftImageCountForTest() { return State().used; }

}  // namespace detail

}  // namespace veziv
