// The packer of the library's packed-block format: greedy LZ matching over
// hash chains, matches of 4 to 8195 bytes up to 256 KiB back (of the 16 MiB
// the format allows), and the least frequent byte of the data as the marker.
// Its time grows in proportion to the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace veziv::tools {

struct PackOptions {
  // Candidates tried per position; more finds longer matches, slower.
  int chainDepth = 64;
};

// The packed block (9-byte header and body) of size bytes at data.
std::vector<uint8_t> PackData(const uint8_t* data, size_t size, const PackOptions& options = {});

// The least frequent byte value of the data, the lowest value on a tie.
uint8_t LeastFrequentByte(const uint8_t* data, size_t size);

}  // namespace veziv::tools
