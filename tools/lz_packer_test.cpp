// The packer against the library's decoder: every block it makes unpacks to
// the exact input, with the destination sized to the data and no more.
#include "tools/lz_packer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/foundation/files/decompress.h"

namespace veziv::tools {
namespace {

std::vector<uint8_t> Noise(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 24);
  }
  return v;
}

std::vector<uint8_t> Unpack(const std::vector<uint8_t>& block, size_t size) {
  std::vector<uint8_t> out(size);
  EXPECT_EQ(DecompressData(block.data(), block.size(), out.data(), out.size()),
            static_cast<int64_t>(size));
  return out;
}

TEST(PackData, RoundTripsThroughTheDecoder) {
  struct Case {
    const char* name;
    std::vector<uint8_t> data;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"one byte", {0x42}});
  cases.push_back({"random", Noise(50000, 1)});
  cases.push_back({"run longer than one match", std::vector<uint8_t>(30000, 0x00)});
  {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "image\\chara\\face" + std::to_string(i % 37) + ".png\r\n";
    cases.push_back({"repetitive text", std::vector<uint8_t>(text.begin(), text.end())});
  }
  {
    // Every byte value occurs, so the marker occurs in the data as well.
    std::vector<uint8_t> all;
    for (int r = 0; r < 40; ++r) {
      for (int v = 0; v < 256; ++v) all.push_back(static_cast<uint8_t>(r % 2 ? v : 255 - v));
    }
    cases.push_back({"every byte value", all});
  }
  {
    // A block repeated 70000 bytes later needs three-byte offsets; one
    // repeated 300 bytes later two-byte ones.
    std::vector<uint8_t> far = Noise(70000, 7);
    const std::vector<uint8_t> head(far.begin(), far.begin() + 5000);
    far.insert(far.end(), head.begin(), head.end());
    const std::vector<uint8_t> near(far.end() - 300, far.end());
    far.insert(far.end(), near.begin(), near.end());
    cases.push_back({"far and near repeats", far});
  }
  {
    // Repeats just inside and just beyond the stretch the packer searches,
    // whose links it keeps in a ring: the oldest links are overwritten.
    std::vector<uint8_t> data = Noise(270000, 9);
    const std::vector<uint8_t> beyond(data.begin(), data.begin() + 3000);
    const std::vector<uint8_t> inside(data.begin() + 20000, data.begin() + 23000);
    data.insert(data.end(), beyond.begin(), beyond.end());
    data.insert(data.end(), inside.begin(), inside.end());
    cases.push_back({"repeats at the edge of the search", data});
  }
  for (const Case& c : cases) {
    const std::vector<uint8_t> block = PackData(c.data.data(), c.data.size());
    EXPECT_EQ(Unpack(block, c.data.size()), c.data) << c.name;
  }
}

TEST(PackData, ShrinksRepetitiveDataAndUsesLongMatches) {
  const std::vector<uint8_t> run(100000, 'x');
  const std::vector<uint8_t> block = PackData(run.data(), run.size());
  // 100000 bytes take 13 matches of at most 8195 bytes, 4 bytes each.
  EXPECT_LT(block.size(), 9u + 1u + 13u * 4u + 8u);
  const std::vector<uint8_t> far = [] {
    std::vector<uint8_t> v = Noise(100000, 3);
    const std::vector<uint8_t> copy(v.begin(), v.begin() + 20000);
    v.insert(v.end(), copy.begin(), copy.end());
    return v;
  }();
  const std::vector<uint8_t> farBlock = PackData(far.data(), far.size());
  // The copied 20000 bytes cost a few matches, not 20000 literals.
  EXPECT_LT(farBlock.size(), 9u + 100000u * 101u / 100u + 100u);
}

TEST(PackData, ChoosesTheLeastFrequentByteAsMarker) {
  std::vector<uint8_t> data;
  for (int v = 0; v < 256; ++v) data.insert(data.end(), v == 0x37 ? 1 : 3, static_cast<uint8_t>(v));
  EXPECT_EQ(LeastFrequentByte(data.data(), data.size()), 0x37);
  EXPECT_EQ(PackData(data.data(), data.size())[8], 0x37);
  const uint8_t noZero[] = {0x00, 0x00, 0x02};
  EXPECT_EQ(LeastFrequentByte(noZero, sizeof noZero), 0x01);
}

}  // namespace
}  // namespace veziv::tools
