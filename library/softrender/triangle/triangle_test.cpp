// Filled triangles and quads: every family, rule and option set against the
// reference model on random images with guard bytes, worked pixel values for
// the reference and the renderer alike, coverage counted by additive blue,
// the quad fill and the entry's refusals.
#include "library/softrender/triangle/triangle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "library/softrender/blend/blend_tables.h"
#include "library/softrender/reference/guarded_image_test_support.h"
#include "library/softrender/reference/span_reference_test_support.h"
#include "library/softrender/triangle/span_grid_test_support.h"

namespace veziv::softrender {
namespace {

using test::FirstDifference;
using test::Rows;
using test::Snapshot;
using test::SpanGrid;
using test::TestImage;

uint32_t GetPixel(const TestImage& image, int x, int y) {
  uint32_t v = 0;
  std::memcpy(&v, image.At(x, y), image.block.type == kSoftType32 ? 4 : 2);
  return v;
}
void SetPixel(TestImage& image, int x, int y, uint32_t v) {
  std::memcpy(image.At(x, y), &v, image.block.type == kSoftType32 ? 4 : 2);
}

enum Family { kFlat16, kFlat32, kDirect16, kDirect16Alpha, kDirect32, kDirect32Alpha, kPalette16, kPalette32 };

struct FamilyInfo {
  const char* name;
  int32_t type;
  bool textured, alpha, palette;
};

const FamilyInfo kFamilies[] = {
    {"flat 16", kSoftType16, false, false, false},      {"flat 32", kSoftType32, false, false, false},
    {"direct 16", kSoftType16, true, false, false},     {"direct 16 alpha", kSoftType16, true, true, false},
    {"direct 32", kSoftType32, true, false, false},     {"direct 32 alpha", kSoftType32, true, true, false},
    {"palette 16", kSoftType16, true, false, true},     {"palette 32", kSoftType32, true, false, true},
};

// A source of the family: palette sources get an index image and their own
// palette, whose entry 9 repeats the colour of the transparent index.
struct Source {
  TestImage image;
  std::vector<uint8_t> palette;

  Source(const FamilyInfo& f, int32_t w, int32_t h, std::mt19937& rng)
      : image(w, h, f.palette ? kSoftTypeGray8 : f.type, f.alpha, 1, 3, rng), palette(1024) {
    if (f.palette) {
      image.block.type = f.type;
      image.block.paletteFlag = 1;
      image.block.paletteColorCount = 256;
      image.block.palette = palette.data();
      for (uint8_t& b : palette) b = static_cast<uint8_t>(rng());
    }
  }
};

// Random texels with the transparent value, alphas 0, 1, 254, 255 and the
// edge channel values planted among them.
void PlantTexels(Source& s, const FamilyInfo& f, std::mt19937& rng) {
  TestImage& img = s.image;
  if (f.palette) {
    const uint32_t key = 3;
    img.block.transparentValue = key;
    const int bytes = f.type == kSoftType32 ? 4 : 2;
    std::memcpy(&s.palette[9 * bytes], &s.palette[key * bytes], size_t(bytes));
    for (int y = 0; y < img.view.height; ++y)
      for (int x = 0; x < img.view.width; ++x) img.Set8(x, y, rng() % 3 == 0 ? (rng() % 2 ? key : 9) : rng() & 0xFF);
    return;
  }
  if (f.type == kSoftType32) {
    img.block.transparentValue = static_cast<uint32_t>(rng());
    test::PlantPixels32(img, img.block.transparentValue, rng);
    return;
  }
  static const uint8_t kEdges[4] = {0, 1, 254, 255};
  const uint32_t key = rng() & 0xFFFF;
  img.block.transparentValue = key;
  for (int y = 0; y < img.view.height; ++y)
    for (int x = 0; x < img.view.width; ++x) {
      const uint16_t word = static_cast<uint16_t>(rng() % 4 == 0 ? key : rng() % 4 == 0 ? 0xFFFF : rng());
      std::memcpy(img.At(x, y), &word, 2);
      if (f.alpha) img.At(x, y)[2] = rng() % 2 ? kEdges[rng() % 4] : static_cast<uint8_t>(rng());
    }
}

TEST(SoftSurfaceFillTriangle, EveryLoopMatchesTheReference) {
  std::mt19937 rng(10);
  const std::vector<uint8_t> alphaTable = test::RandomBlendAlphaTable(rng);
  // Texels reach past the source on every side, the area cuts the triangles,
  // and one area reaches past the target.
  const TriangleVertex triangles[2][3] = {
      {{-3, 1, -2, -1}, {25, 6, 14, 4}, {6, 21, 3, 12}},
      {{12, -2, 5, -2}, {2, 9, -1, 6}, {20, 17, 13, 11}},
  };
  const DrawRect areas[2] = {{1, 2, 22, 19}, {-5, -5, 60, 60}};
  const int32_t modes[] = {0, 1, 2, 3, 4, 5, 10, 11, 12, -1};
  const int32_t params[] = {0, 1, 128, 254, 255};
  const uint32_t brightnesses[] = {0xFFFFFF, 0xFFFFFE, 0x3080C0};
  int n = 0;
  for (int fi = 0; fi < 8; ++fi) {
    const FamilyInfo& f = kFamilies[fi];
    for (int32_t mode : modes)
      for (int32_t p : params)
        for (bool withBlend : {false, true})
          for (uint32_t brightness : brightnesses)
            for (int flag : {0, 1}) {
              ++n;
              Source source(f, 12, 10, rng);
              PlantTexels(source, f, rng);
              TestImage blend = test::MakeBlendImage(12, 10, rng);
              TestImage target(24, 20, f.type, false, 2, 3, rng);
              TestImage expected(target);
              SoftDrawSnapshot draw = Snapshot(mode, p, brightness, areas[n % 2]);
              draw.blendAlphaTable = alphaTable.data();
              const SOFTSURFACE* src = f.textured ? &source.image.view : nullptr;
              const SOFTSURFACE* blendView = withBlend ? &blend.view : nullptr;
              const uint32_t colour = static_cast<uint32_t>(rng()) & (f.type == kSoftType32 ? ~0u : 0xFFFFu);
              for (const auto& t : triangles) {
                SoftSurfaceFillTriangle(&target.view, src, t, flag, blendView, colour, draw);
                test::RefFillTriangle(expected.view, src, t, flag, blendView, colour, draw);
              }
              ASSERT_TRUE(expected.memory == target.memory)
                  << f.name << " mode " << mode << " p " << p << (withBlend ? " blend" : "") << " brightness "
                  << std::hex << brightness << std::dec << " flag " << flag << ": "
                  << FirstDifference(expected, target);
            }
  }
}

// One pixel through the renderer and through the reference: a 1 x 1 source
// (or the flat colour) drawn over a target filled with `target`.
struct PixelCase {
  const char* what;
  Family family;
  int32_t mode, p;
  uint32_t brightness;
  int flag;
  int blend;       // blend weight G, -1 for no blend image
  uint32_t texel;  // colour word, palette entry or flat colour (32-bit alpha in byte 3)
  uint8_t alpha;   // 16-bit alpha sources
  uint32_t key;
  uint32_t target, expected;
};

uint32_t DrawPixel(const PixelCase& c, bool useReference) {
  std::mt19937 rng(1);
  const FamilyInfo& f = kFamilies[c.family];
  TestImage target(3, 3, f.type, false, 1, 0, rng);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) SetPixel(target, x, y, c.target);
  Source source(f, 1, 1, rng);
  source.image.block.transparentValue = c.key;
  if (f.palette) {
    source.image.Set8(0, 0, 0);
    std::memcpy(source.palette.data(), &c.texel, f.type == kSoftType32 ? 4 : 2);
  } else if (f.textured) {
    std::memcpy(source.image.At(0, 0), &c.texel, f.type == kSoftType32 ? 4 : 2);
    if (f.alpha && f.type == kSoftType16) source.image.At(0, 0)[2] = c.alpha;
  }
  TestImage blend = test::MakeBlendImage(1, 1, rng);
  std::vector<uint8_t> table(256, static_cast<uint8_t>(c.blend));
  SoftDrawSnapshot draw = Snapshot(c.mode, c.p, c.brightness, {0, 0, 3, 3});
  draw.blendAlphaTable = table.data();
  const TriangleVertex corners[3] = {{0, 0}, {2, 0}, {0, 2}};
  const SOFTSURFACE* src = f.textured ? &source.image.view : nullptr;
  const SOFTSURFACE* blendView = c.blend >= 0 ? &blend.view : nullptr;
  const uint32_t colour = f.textured ? 0 : c.texel;
  if (useReference) test::RefFillTriangle(target.view, src, corners, c.flag, blendView, colour, draw);
  else SoftSurfaceFillTriangle(&target.view, src, corners, c.flag, blendView, colour, draw);
  return GetPixel(target, 0, 0);
}

TEST(SoftSurfaceFillTriangle, WorkedPixelValues) {
  const uint32_t white = 0xFFFFFF, none = 0xDEADBEEF;
  const PixelCase cases[] = {
      // Flat colours: the brightness through the product table, byte 3 from the colour.
      {"flat: red brightness 0", kFlat32, 0, 0, 0x00FFFF, 0, -1, 0x00FF00FF, 0, none, 0x12345678, 0x000000FF},
      {"flat: byte 3 from the colour under a tint", kFlat32, 0, 0, 0x80FFFF, 0, -1, 0xAB102030, 0, none, 0x11111111,
       0xAB082030},
      {"flat: alpha p=128 toward 255 and toward 0", kFlat32, 1, 128, white, 0, -1, 0x00FF00FF, 0, none, 0x5500FF00,
       0x557F7F7F},
      {"flat 16: alpha p=128 red 31 over 0", kFlat16, 1, 128, white, 0, -1, 0xF800, 0, none, 0x0000, 0x7800},
      {"flat 16: multiply white by white", kFlat16, 4, 0, white, 0, -1, 0xFFFF, 0, none, 0xFFFF, 0xF7DE},
      {"flat: inverted p=0 unchanged", kFlat32, 10, 0, white, 0, -1, 0x00123456, 0, none, 0x00ABCDEF, 0x00ABCDEF},
      {"flat 16: multiply blend p=0 unchanged", kFlat16, 11, 0, white, 0, -1, 0x1234, 0, none, 0xABCD, 0xABCD},
      {"flat: inverted after the brightness", kFlat32, 10, 255, 0x000000, 0, -1, 0x00FFFFFF, 0, none, 0, 0x00FEFEFE},
      {"flat 16: brightness 0/128/255 on white", kFlat16, 0, 0, 0x0080FF, 0, -1, 0xFFFF, 0, none, 0, 0x03FF},
      // 16-bit rules.
      {"16: alpha p=128 red 0 over 31", kDirect16, 1, 128, white, 0, -1, 0x0000, 0, none, 0xF800, 0x8000},
      {"16: alpha p=254 red 31 over 0", kDirect16, 1, 254, white, 0, -1, 0xF800, 0, none, 0x0000, 0xF000},
      {"16: alpha 255, flag clear, mixes by 255/256", kDirect16Alpha, 0, 0, white, 0, -1, 0xF800, 255, none, 0,
       0xF000},
      {"16: alpha 255, flag set, copies", kDirect16Alpha, 0, 0, white, 1, -1, 0xF800, 255, none, 0, 0xF800},
      {"16: alpha 255, flag clear, p=128", kDirect16Alpha, 1, 128, white, 0, -1, 0x0000, 255, none, 0x07E0, 0x03E0},
      {"16: alpha 255, flag set, p=128 scales", kDirect16Alpha, 1, 128, white, 1, -1, 0x0000, 255, none, 0x07E0,
       0x0400},
      {"16: alpha 0 skipped in mode 10", kDirect16Alpha, 10, 200, white, 1, -1, 0x0000, 0, none, 0x1234, 0x1234},
      {"16: alpha 0 blackens in mode 4", kDirect16Alpha, 4, 0, white, 1, -1, 0xFFFF, 0, none, 0x1234, 0x0000},
      {"16: alpha 0 leaves mode 11 as it was", kDirect16Alpha, 11, 200, white, 1, -1, 0xFFFF, 0, none, 0x1234,
       0x1234},
      {"16: green's product at 1/32 step with alpha", kDirect16Alpha, 11, 255, white, 0, -1, 23 << 5, 200, none,
       2 << 5, 1 << 5},
      {"16: the same through a blend weight", kDirect16, 11, 255, white, 0, 200, 23 << 5, 0, none, 2 << 5, 0},
      {"16: key skipped", kDirect16, 0, 0, white, 1, -1, 0x1234, 0, 0x1234, 0xABCD, 0xABCD},
      {"16: key above 0xFFFF never matches", kDirect16, 0, 0, white, 1, -1, 0x1234, 0, 0x11234, 0xABCD, 0x1234},
      {"16: add, green and blue", kDirect16, 2, 255, white, 0, -1, 0x0021, 0, none, 0x0021, 0x0022},
      {"16: add, blue carries into green", kDirect16, 2, 255, white, 0, -1, 0x0001, 0, none, 0x001F, 0x003F},
      {"16: subtract 0 from black", kDirect16, 3, 255, white, 0, -1, 0x0000, 0, none, 0x0000, 0x0800},
      {"16: subtract 0 from white", kDirect16, 3, 255, white, 0, -1, 0x0000, 0, none, 0xFFFF, 0xFFDF},
      {"16: subtract blue 1 from black", kDirect16, 3, 255, white, 0, -1, 0x0001, 0, none, 0x0000, 0x0800},
      {"16: inverted p=255 of black", kDirect16, 10, 255, white, 0, -1, 0x0000, 0, none, 0x1234, 0xFFFF},
      // 16-bit palette sources.
      {"palette 16: subtract p=0 from black", kPalette16, 3, 0, white, 0, -1, 0xFFFF, 0, none, 0x0000, 0x0800},
      {"palette 16: subtract p=0 from white", kPalette16, 3, 0, white, 0, -1, 0xFFFF, 0, none, 0xFFFF, 0xFFDF},
      {"palette 16: subtract p=0 rewrites", kPalette16, 3, 0, white, 0, -1, 0xFFFF, 0, none, 0x1234, 0x1A14},
      {"palette 16: multiply white by white", kPalette16, 4, 99, white, 0, -1, 0xFFFF, 0, none, 0xFFFF, 0xF7DE},
      {"palette 16: multiply by blend weight 0", kPalette16, 4, 99, white, 0, 0, 0xFFFF, 0, none, 0xFFFF, 0x0000},
      {"palette 16: copy by blend weight 255", kPalette16, 0, 0, white, 0, 255, 0xFFFF, 0, none, 0x0000, 0xF7DE},
      {"palette 16: alpha p=254", kPalette16, 1, 254, white, 0, -1, 0xFFFF, 0, none, 0x0000, 0xF7DE},
      {"palette 16: index key skipped", kPalette16, 0, 0, white, 1, -1, 0xFFFF, 0, 0, 0x1234, 0x1234},
      {"palette 16: key above 255 never matches", kPalette16, 0, 0, white, 1, -1, 0xFFFF, 0, 0x100, 0x1234, 0xFFFF},
      // 32-bit rules.
      {"32: alpha 255, flag set, copied whole", kDirect32Alpha, 0, 0, white, 1, -1, 0xFFFFFFFF, 0, none, 0x33000000,
       0xFFFFFFFF},
      {"32: alpha 255, flag clear, mixed", kDirect32Alpha, 0, 0, white, 0, -1, 0xFFFFFFFF, 0, none, 0x33000000,
       0x33FEFEFE},
      {"32: alpha 0 blackens in mode 4", kDirect32Alpha, 4, 0, white, 1, -1, 0x00FFFFFF, 0, none, 0x55FFFFFF,
       0x55000000},
      {"32: alpha 0 leaves mode 10 as it was", kDirect32Alpha, 10, 255, white, 1, -1, 0x00FFFFFF, 0, none,
       0x55123456, 0x55123456},
      {"32: subtract black from black", kDirect32, 3, 255, white, 0, -1, 0x00000000, 0, none, 0x44000000, 0x00010100},
      {"32: key skipped", kDirect32, 0, 0, white, 1, -1, 0x00ABCDEF, 0, 0x00ABCDEF, 0x11111111, 0x11111111},
      {"32: key differing in byte 3 drawn", kDirect32, 0, 0, white, 1, -1, 0x01ABCDEF, 0, 0x00ABCDEF, 0x11111111,
       0x01ABCDEF},
      {"32: blue brightness 254 is a tint", kDirect32, 0, 0, 0xFFFFFE, 0, -1, 0x00FFFFFF, 0, none, 0x66000000,
       0x66FFFFFE},
      {"32: alpha p=128 is a mix, not an average", kDirect32, 1, 128, white, 0, -1, 0x00FFFFFF, 0, none, 0x00010101,
       0x00808080},
      {"32: inverted p=255 of black", kDirect32, 10, 255, white, 0, -1, 0x00000000, 0, none, 0x00000000, 0x00FEFEFE},
      // 32-bit palette sources.
      {"palette 32: subtract p=0", kPalette32, 3, 0, white, 0, -1, 0x00FFFFFF, 0, none, 0x77808080, 0x00818180},
      {"palette 32: copy keeps the entry's byte 3", kPalette32, 0, 0, white, 0, -1, 0xAB112233, 0, none, 0,
       0xAB112233},
      {"palette 32: tinted copy keeps the target's", kPalette32, 0, 0, 0xFFFFFE, 0, -1, 0xAB112233, 0, none,
       0x44000000, 0x44112232},
      {"palette 32: multiply by blend weight 0", kPalette32, 4, 0, white, 0, 0, 0x00FFFFFF, 0, none, 0x44FFFFFF,
       0x44000000},
      {"palette 32: key above 255 never matches", kPalette32, 0, 0, white, 1, -1, 0x00FFFFFF, 0, 0x100, 0, 0x00FFFFFF},
      // Nothing drawn.
      {"alpha p=0", kDirect32, 1, 0, white, 0, -1, 0x00FFFFFF, 0, none, 0x00123456, 0x00123456},
      {"add p=0", kFlat16, 2, 0, white, 0, -1, 0xFFFF, 0, none, 0x1234, 0x1234},
      {"subtract p=0 without a palette", kDirect16, 3, 0, white, 0, -1, 0xFFFF, 0, none, 0x1234, 0x1234},
      {"mode 7", kPalette32, 7, 100, white, 0, -1, 0x00FFFFFF, 0, none, 0x00123456, 0x00123456},
      {"mode 12", kFlat32, 12, 100, white, 0, -1, 0x00FFFFFF, 0, none, 0x00123456, 0x00123456},
  };
  for (const PixelCase& c : cases) {
    EXPECT_EQ(DrawPixel(c, false), c.expected) << std::hex << c.what;
    EXPECT_EQ(DrawPixel(c, true), c.expected) << std::hex << c.what << " (reference)";
  }
}

// A black 32-bit target under mode 2 at p = 255 adds 1 to blue per write: blue counts the hits.
struct HitCounter {
  std::mt19937 rng{2};
  TestImage target;
  SoftDrawSnapshot draw;

  HitCounter(int32_t w, int32_t h) : target(w, h, kSoftType32, false, 2, 0, rng), draw(Snapshot(2, 255, 0xFFFFFF, {0, 0, w, h})) {
    std::fill(target.memory.begin(), target.memory.end(), 0);
  }
  std::string Mask() const {
    std::string out;
    for (int y = 0; y < target.view.height; ++y) {
      for (int x = 0; x < target.view.width; ++x) {
        const uint32_t h = target.Get32(x, y) & 0xFF;
        out += h == 0 ? '.' : static_cast<char>('0' + h);
      }
      out += '\n';
    }
    return out;
  }
  bool GuardsUntouched() const {
    size_t inside = 0;
    for (uint8_t b : target.memory) inside += b != 0;
    size_t counted = 0;
    for (int y = 0; y < target.view.height; ++y)
      for (int x = 0; x < target.view.width; ++x) counted += (target.Get32(x, y) & 0xFF) != 0;
    return inside == counted;
  }
};

TEST(SoftSurfaceFillTriangle, HitCountsPinCoverage) {
  // Both span ends drawn, the bottom row not; two triangles sharing an edge both draw it.
  HitCounter one(8, 7);
  const TriangleVertex a[3] = {{1, 1}, {6, 3}, {2, 6}};
  SoftSurfaceFillTriangle(&one.target.view, nullptr, a, 0, nullptr, 1, one.draw);
  EXPECT_EQ(one.Mask(), Rows({"........",
                              ".1......",
                              ".1111...",
                              ".111111.",
                              "..1111..",
                              "..11....",
                              "........"}));
  HitCounter quad(8, 6);
  const TriangleVertex top[3] = {{0, 0}, {6, 0}, {0, 4}}, bottom[3] = {{6, 0}, {0, 4}, {6, 4}};
  SoftSurfaceFillTriangle(&quad.target.view, nullptr, top, 0, nullptr, 1, quad.draw);
  SoftSurfaceFillTriangle(&quad.target.view, nullptr, bottom, 0, nullptr, 1, quad.draw);
  EXPECT_EQ(quad.Mask(), Rows({"1111112.",
                               "1111121.",
                               "1112111.",
                               "1121111.",
                               "........",
                               "........"}));
  EXPECT_TRUE(quad.GuardsUntouched());
}

TEST(SoftSurfaceFillQuad, ImageQuadChangesExactlyItsPixels) {
  // Column W and row H are covered or walked but lie past the texels; the
  // diagonal is blended twice wherever it falls inside.
  const int sizes[][2] = {{7, 5}, {3, 9}, {16, 16}};
  for (const auto& s : sizes) {
    const int w = s[0], h = s[1];
    HitCounter counter(w + 3, h + 3);
    std::mt19937 rng(3);
    TestImage ones(w, h, kSoftType32, false, 1, 0, rng);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ones.Set32(x, y, 1);
    const int32_t corners[8] = {0, 0, w, 0, 0, h, w, h};
    SoftSurfaceFillQuad(&counter.target.view, &ones.view, corners, 0, nullptr, counter.draw);
    SpanGrid grid({0, 0, w + 3, h + 3});
    const TriangleVertex z[4] = {{0, 0}, {w, 0}, {0, h}, {w, h}};
    grid.Draw(z);
    grid.Draw(z + 1);
    for (int y = 0; y < h + 3; ++y)
      for (int x = 0; x < w + 3; ++x) {
        const uint32_t hits = counter.target.Get32(x, y) & 0xFF;
        ASSERT_EQ(hits, x < w && y < h ? uint32_t(grid.At(x, y)) : 0u) << w << "x" << h << " at " << x << "," << y;
      }
    EXPECT_TRUE(counter.GuardsUntouched());
  }
}

TEST(SoftSurfaceFillQuad, CopiesTheSourceAndScalesIt) {
  std::mt19937 rng(4);
  TestImage source(5, 4, kSoftType32, false, 1, 3, rng);
  for (int scale : {1, 2}) {
    TestImage target(12, 10, kSoftType32, false, 2, 0, rng);
    TestImage before(target);
    const int w = 5 * scale, h = 4 * scale;
    const int32_t corners[8] = {1, 1, 1 + w, 1, 1, 1 + h, 1 + w, 1 + h};
    SoftSurfaceFillQuad(&target.view, &source.view, corners, 0, nullptr, Snapshot(0, 0, 0xFFFFFF, {0, 0, 12, 10}));
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 12; ++x) {
        const bool inside = x >= 1 && x < 1 + w && y >= 1 && y < 1 + h;
        const uint32_t expected = inside ? source.Get32((x - 1) / scale, (y - 1) / scale) : before.Get32(x, y);
        ASSERT_EQ(target.Get32(x, y), expected) << "scale " << scale << " at " << x << "," << y;
      }
  }
}

TEST(SoftSurfaceFillQuad, QuadOffTheAreaDrawsNothing) {
  std::mt19937 rng(5);
  TestImage source(4, 4, kSoftType32, false, 0, 0, rng), target(20, 20, kSoftType32, false, 2, 0, rng);
  const std::vector<uint8_t> before = target.memory;
  const SoftDrawSnapshot draw = Snapshot(0, 0, 0xFFFFFF, {10, 10, 20, 20});
  const int32_t cases[][8] = {
      {0, 0, 4, 0, 0, 4, 4, 4},                  // its widened box misses the area
      {0, 5, 9, 5, 0, 9, 9, 9},                  // the box reaches in, the triangles do not
      {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX},
  };
  for (const auto& c : cases) SoftSurfaceFillQuad(&target.view, &source.view, c, 0, nullptr, draw);
  EXPECT_TRUE(target.memory == before);
}

TEST(SoftSurfaceFillTriangle, RefusesWhatItCannotDraw) {
  std::mt19937 rng(6);
  TestImage source16(4, 4, kSoftType16, false, 0, 0, rng);
  const TriangleVertex corners[3] = {{0, 0, 0, 0}, {6, 0, 4, 0}, {0, 6, 0, 4}};
  struct Case {
    const char* what;
    int32_t type, palette, alpha;
    bool textured;
  };
  const Case cases[] = {
      {"source of another type", kSoftType32, 0, 0, true},
      {"palette target", kSoftType16, 1, 0, false},
      {"alpha target", kSoftType16, 0, 1, false},
      {"8-bit target", kSoftTypeGray8, 0, 0, false},
  };
  for (const Case& c : cases) {
    TestImage target(8, 8, kSoftType32, false, 1, 4, rng);
    target.block.type = c.type;
    target.block.paletteFlag = c.palette;
    target.block.alphaFlag = c.alpha;
    const std::vector<uint8_t> before = target.memory;
    SoftSurfaceFillTriangle(&target.view, c.textured ? &source16.view : nullptr, corners, 0, nullptr, 0xFFFF,
                            Snapshot(0, 0, 0xFFFFFF, {0, 0, 8, 8}));
    EXPECT_TRUE(target.memory == before) << c.what;
  }
}

TEST(SoftSurfaceFillTriangle, FlatColourOf16BitsReadsOnlyItsLowHalf) {
  // Upper bits of a 16-bit colour must not reach the brightness lookup.
  std::mt19937 rng(7);
  TestImage target(4, 4, kSoftType16, false, 1, 0, rng);
  const TriangleVertex corners[3] = {{0, 0}, {3, 0}, {0, 3}};
  SoftSurfaceFillTriangle(&target.view, nullptr, corners, 0, nullptr, 0xFFFF1234u,
                          Snapshot(0, 0, 0x808080, {0, 0, 4, 4}));
  EXPECT_EQ(GetPixel(target, 0, 0), uint32_t(1 << 11 | 8 << 5 | 10));
}

}  // namespace
}  // namespace veziv::softrender
