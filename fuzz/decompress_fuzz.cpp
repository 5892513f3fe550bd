// Unpacks arbitrary bytes as a packed block into a destination of exactly the
// size its header gives: the decoder must refuse malformed bodies without
// writing outside it, and a block it accepts must fill it. The destination is
// never null, so that the body of a block that unpacks to nothing is checked
// too (a null destination only reads the header).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "library/foundation/files/decompress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int64_t unpacked = veziv::DecompressData(data, size, nullptr, 0);
  if (unpacked < 0 || unpacked > (int64_t{1} << 22)) return 0;
  // One byte more than asked for keeps data() valid for an empty block; the
  // capacity handed over is the exact size.
  std::vector<uint8_t> out(static_cast<size_t>(unpacked) + 1);
  const int64_t result = veziv::DecompressData(data, size, out.data(), static_cast<size_t>(unpacked));
  if (result != -1 && result != unpacked) std::abort();
  if (result > 0 && veziv::DecompressData(data, size, out.data(), static_cast<size_t>(unpacked) - 1) != -1)
    std::abort();
  return 0;
}
