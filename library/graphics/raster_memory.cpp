// Pixel memory for the image code. The library allocator takes 32-bit sizes,
// so larger requests are refused here instead of being cut.
#include "library/graphics/raster_memory.h"

#include <cstdlib>
#include <cstring>

namespace veziv::detail {

void* AllocRasterMemory(size_t size) {
  if (size > 0xFFFFFFFFu) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocRasterMemoryZeroed(size_t size) {
  void* p = AllocRasterMemory(size);
  if (p) std::memset(p, 0, size == 0 ? 1 : size);
  return p;
}

void FreeRasterMemory(void* block) { std::free(block); }

int LogImageText(const char* /*text*/) { return -1; }

}  // namespace veziv::detail
