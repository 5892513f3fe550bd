// Pixel memory for the image code. The library allocator takes 32-bit sizes,
// so larger requests are refused here instead of being cut.
#include "library/graphics/images/raster_memory.h"

#include "library/foundation/memory_log/memory.h"

namespace veziv::detail {

void* AllocRasterMemory(size_t size) {
  if (size > 0xFFFFFFFFu) return nullptr;
  return AllocLibMemory(size == 0 ? 1 : size);
}

void* AllocRasterMemoryZeroed(size_t size) {
  if (size > 0xFFFFFFFFu) return nullptr;
  return AllocLibMemoryZeroed(size == 0 ? 1 : size);
}

void FreeRasterMemory(void* block) { FreeLibMemory(block); }

}  // namespace veziv::detail
