// Greedy hash-chain LZ packer for the library's packed-block format.
#include "tools/lz_packer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "library/foundation/files/archive_format.h"
#include "library/foundation/files/decompress.h"

namespace veziv::tools {
namespace {

constexpr int kMinBits = 8;
// Matches are looked for up to 256 KiB back (the format reaches 16 MiB), with
// 256K chain heads: the heads and the ring of chain links take 1 MiB each
// whatever the size of the data, and stay in the caches. Every position costs
// at most chainDepth candidates, each close by, so the time grows with the
// data and no faster. (With tables that grow with the data, the walks leave
// the caches once it passes a few megabytes, and each of them costs a trip to
// memory.)
constexpr int kWindowBits = 18;
constexpr int kMaxHashBits = 18;
constexpr uint32_t kNoPosition = UINT32_MAX;
static_assert((size_t{1} << kWindowBits) <= kPackedMaxDistance);

// The bits of a table about as large as the data, from kMinBits to maxBits:
// small members, which archives hold by the hundred, do not each pay for
// clearing the largest tables.
int BitsFor(size_t size, int maxBits) {
  int bits = kMinBits;
  while (bits < maxBits && (size_t{1} << bits) < size) ++bits;
  return bits;
}

uint32_t Hash4(const uint8_t* p, int bits) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return (v * 2654435761u) >> (32 - bits);
}

// Body bytes a back-reference takes.
size_t RefCost(size_t length, size_t distance) {
  const size_t offset = distance - 1;
  const size_t width = offset < 0x100 ? 1 : offset < 0x10000 ? 2 : 3;
  return 2 + width + (length - kPackedMinMatch >= 32 ? 1 : 0);
}

class BodyWriter {
 public:
  BodyWriter(std::vector<uint8_t>* out, uint8_t marker) : out_(out), marker_(marker) {}
  void Literal(uint8_t b) {
    out_->push_back(b);
    if (b == marker_) out_->push_back(marker_);
  }
  void Reference(size_t length, size_t distance) {
    const uint32_t field = static_cast<uint32_t>(length - kPackedMinMatch);
    const uint32_t offset = static_cast<uint32_t>(distance - 1);
    const uint32_t width = offset < 0x100 ? 0 : offset < 0x10000 ? 1 : 2;
    uint32_t code = (field & 31) << 3 | (field >= 32 ? 4 : 0) | width;
    if (code >= marker_) code += 1;  // codes skip the marker's value
    out_->push_back(marker_);
    out_->push_back(static_cast<uint8_t>(code));
    if (field >= 32) out_->push_back(static_cast<uint8_t>(field >> 5));
    for (uint32_t i = 0; i <= width; ++i) out_->push_back(static_cast<uint8_t>(offset >> (8 * i)));
  }

 private:
  std::vector<uint8_t>* out_;
  uint8_t marker_;
};

}  // namespace

uint8_t LeastFrequentByte(const uint8_t* data, size_t size) {
  std::array<size_t, 256> counts{};
  for (size_t i = 0; i < size; ++i) ++counts[data[i]];
  size_t best = 0;
  for (size_t v = 1; v < 256; ++v) {
    if (counts[v] < counts[best]) best = v;
  }
  return static_cast<uint8_t>(best);
}

std::vector<uint8_t> PackData(const uint8_t* data, size_t size, const PackOptions& options) {
  const uint8_t marker = LeastFrequentByte(data, size);
  std::vector<uint8_t> out(kPackedHeaderSize);
  BodyWriter body(&out, marker);

  // Positions fit 32 bits: the block's sizes are 32-bit fields. The link of
  // position i is prev[i % window]; it is overwritten window positions later,
  // so a walk stops at the first candidate that far back.
  const int hashBits = BitsFor(size, kMaxHashBits);
  const size_t window = size_t{1} << BitsFor(size, kWindowBits);
  const size_t wrap = window - 1;
  std::vector<uint32_t> head(size_t{1} << hashBits, kNoPosition);
  std::vector<uint32_t> prev(window, kNoPosition);
  auto insert = [&](size_t i) {
    if (i + 4 > size) return;
    const uint32_t h = Hash4(data + i, hashBits);
    prev[i & wrap] = head[h];
    head[h] = static_cast<uint32_t>(i);
  };

  size_t i = 0;
  while (i < size) {
    size_t bestLength = 0;
    size_t bestDistance = 0;
    if (i + kPackedMinMatch <= size) {
      const size_t maxLength = std::min<size_t>(kPackedMaxMatch, size - i);
      uint32_t candidate = head[Hash4(data + i, hashBits)];
      for (int depth = 0; candidate != kNoPosition && depth < options.chainDepth; ++depth) {
        const size_t distance = i - static_cast<size_t>(candidate);
        if (distance >= window) break;
        const uint8_t* a = data + candidate;
        const uint8_t* b = data + i;
        if (a[bestLength < maxLength ? bestLength : 0] == b[bestLength < maxLength ? bestLength : 0]) {
          size_t n = 0;
          while (n < maxLength && a[n] == b[n]) ++n;
          if (n > bestLength) {
            bestLength = n;
            bestDistance = distance;
            if (n == maxLength) break;
          }
        }
        candidate = prev[static_cast<size_t>(candidate) & wrap];
      }
    }
    size_t literalCost = 0;
    for (size_t k = 0; k < bestLength; ++k) literalCost += data[i + k] == marker ? 2 : 1;
    if (bestLength >= kPackedMinMatch && RefCost(bestLength, bestDistance) < literalCost) {
      body.Reference(bestLength, bestDistance);
      for (size_t k = 0; k < bestLength; ++k) insert(i + k);
      i += bestLength;
    } else {
      body.Literal(data[i]);
      insert(i);
      ++i;
    }
  }
  StoreLe32(out.data(), static_cast<uint32_t>(size));
  StoreLe32(out.data() + 4, static_cast<uint32_t>(out.size()));
  out[8] = marker;
  return out;
}

}  // namespace veziv::tools
