// The platform fonts on the installed IPA faces: which face a name leads to,
// the three metrics, the two bitmap layouts, spaces and blank glyphs, thin
// strokes kept whole, synthetic bold, glyphs borrowed from another face, and
// codes that name no character.
#include "platform/glyphs/glyphs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace platform::glyphs {
namespace {

struct Closer {
  void operator()(Font* font) const { CloseFont(font); }
};
using FontPtr = std::unique_ptr<Font, Closer>;

FontPtr Open(const char* face, int height, int weight = 400) { return FontPtr(OpenFont(face, height, weight, false)); }

struct Rendered {
  GlyphBox box;
  int size = -1;
  std::vector<uint8_t> bits;
};

Rendered Render(Font& font, uint32_t code, GlyphFormat format) {
  Rendered r;
  r.size = RenderGlyph(font, code, format, &r.box, nullptr, 0);
  if (r.size > 0) {
    r.bits.assign(size_t(r.size), 0xEE);
    EXPECT_EQ(RenderGlyph(font, code, format, &r.box, r.bits.data(), r.bits.size()), r.size);
  }
  return r;
}

TEST(PlatformFonts, FaceNamesLeadToTheIpaFacesAndOtherNamesToFontconfig) {
  const struct {
    const char* face;
    const char* family;
  } cases[] = {
      {"ＭＳ 明朝", "IPAMincho"},
      {"ＭＳ ゴシック", "IPAGothic"},
      {"", "IPAGothic"},
      {"IPAPGothic", "IPAPGothic"},
  };
  for (const auto& c : cases) {
    FontPtr font = Open(c.face, 16);
    ASSERT_NE(font, nullptr) << c.family;
    EXPECT_EQ(FontFamily(*font), c.family);
  }
}

// Sizes the game uses: the cell height is the face's win ascent plus descent
// scaled to the asked height, as the system's metrics mean it.
TEST(PlatformFonts, MetricsFollowTheCellHeight) {
  const struct {
    const char* face;
    int height, weight;
    FontMetrics want;
  } cases[] = {
      {"ＭＳ ゴシック", 16, 400, {16, 13, 15}},
      {"ＭＳ ゴシック", 14, 400, {14, 11, 13}},
      {"ＭＳ 明朝", 20, 900, {20, 16, 20}},  // bold: one pixel wider
      {"ＭＳ 明朝", 24, 900, {24, 19, 24}},
      {"ＭＳ 明朝", 18, 600, {18, 14, 18}},
  };
  for (const auto& c : cases) {
    FontPtr font = Open(c.face, c.height, c.weight);
    ASSERT_NE(font, nullptr);
    const FontMetrics m = GetFontMetrics(*font);
    EXPECT_EQ(m.height, c.want.height) << c.height;
    EXPECT_EQ(m.ascent, c.want.ascent) << c.height;
    EXPECT_EQ(m.max_char_width, c.want.max_char_width) << c.height;
  }
}

// The IPA faces are dual-width, as the game's layouts expect: Latin at half
// the advance of kana and kanji (rounded to whole pixels), bold one wider.
TEST(PlatformFonts, HalfAndFullWidthAdvances) {
  const struct {
    const char* face;
    int height, weight, half, full;
  } cases[] = {
      {"ＭＳ ゴシック", 16, 400, 8, 15},
      {"ＭＳ ゴシック", 14, 400, 7, 13},
      {"ＭＳ 明朝", 20, 900, 10, 19},
      {"ＭＳ 明朝", 24, 900, 12, 23},
  };
  for (const auto& c : cases) {
    FontPtr font = Open(c.face, c.height, c.weight);
    ASSERT_NE(font, nullptr);
    for (const GlyphFormat format : {GlyphFormat::kMono, GlyphFormat::kGray}) {
      EXPECT_EQ(Render(*font, 'A', format).box.advance, c.half) << c.height;
      EXPECT_EQ(Render(*font, 0x82A0, format).box.advance, c.full) << c.height;  // あ
    }
  }
}

TEST(PlatformFonts, BitmapsAreRowsPaddedToFourBytes) {
  FontPtr font = Open("ＭＳ ゴシック", 16);
  ASSERT_NE(font, nullptr);
  for (const GlyphFormat format : {GlyphFormat::kMono, GlyphFormat::kGray}) {
    const Rendered r = Render(*font, 0x8ABF, format);  // 漢
    ASSERT_GT(r.box.width, 8);
    ASSERT_GT(r.box.height, 8);
    const int pitch = GlyphRowPitch(format, r.box.width);
    EXPECT_EQ(pitch % 4, 0);
    ASSERT_EQ(r.size, pitch * r.box.height);
    EXPECT_GE(r.box.origin_y, r.box.height - 4);  // a kanji sits on the baseline
    int full = 0, partial = 0, set = 0;
    for (int y = 0; y < r.box.height; ++y) {
      const uint8_t* row = r.bits.data() + y * pitch;
      if (format == GlyphFormat::kMono) {
        for (int x = 0; x < pitch * 8; ++x) {
          const bool bit = (row[x / 8] >> (7 - x % 8) & 1) != 0;
          if (x >= r.box.width) {
            EXPECT_FALSE(bit) << "bit past the box at " << x << "," << y;
          }
          set += bit;
        }
      } else {
        for (int x = 0; x < r.box.width; ++x) {
          ASSERT_LE(row[x], 16);
          full += row[x] == 16;
          partial += row[x] > 0 && row[x] < 16;
        }
      }
    }
    if (format == GlyphFormat::kMono) {
      EXPECT_GT(set, 20);
    } else {
      EXPECT_GT(full, 10);
      EXPECT_GT(partial, 10);
    }
    std::vector<uint8_t> small(size_t(r.size - 1));
    GlyphBox box;
    EXPECT_EQ(RenderGlyph(*font, 0x8ABF, format, &box, small.data(), small.size()), -1);
  }
}

TEST(PlatformFonts, SpacesAndBlankGlyphsHaveNoPixelsButTheirAdvance) {
  FontPtr font = Open("ＭＳ ゴシック", 16);
  ASSERT_NE(font, nullptr);
  for (const GlyphFormat format : {GlyphFormat::kMono, GlyphFormat::kGray}) {
    const Rendered half = Render(*font, 0x20, format);
    const Rendered full = Render(*font, 0x8140, format);
    EXPECT_EQ(half.size, 0);
    EXPECT_EQ(half.box.width, 0);
    EXPECT_EQ(half.box.height, 0);
    EXPECT_EQ(half.box.advance, 8);
    EXPECT_EQ(full.size, 0);
    EXPECT_EQ(full.box.width, 0);
    EXPECT_EQ(full.box.advance, 15);
  }
}

// Horizontal strokes stay whole in both layouts and both faces at every cell
// height from 12 to 40: every column inside the long-vowel mark (81 5B)
// holds at least half a pixel of ink (the two columns at each end may thin
// out, as a brush stroke does).
TEST(PlatformFonts, TheLongVowelMarkIsOneBarAtEveryHeight) {
  for (const char* face : {"ＭＳ 明朝", "ＭＳ ゴシック"}) {
    for (int height = 12; height <= 40; ++height) {
      FontPtr font = Open(face, height);
      ASSERT_NE(font, nullptr);
      for (const GlyphFormat format : {GlyphFormat::kMono, GlyphFormat::kGray}) {
        const bool mono = format == GlyphFormat::kMono;
        SCOPED_TRACE(std::string(face) + " " + std::to_string(height) + (mono ? " mono" : " gray"));
        const Rendered mark = Render(*font, 0x815B, format);
        ASSERT_GT(mark.size, 0);
        const int pitch = GlyphRowPitch(format, mark.box.width);
        std::vector<int> ink(size_t(mark.box.width), 0);
        for (int y = 0; y < mark.box.height; ++y) {
          const uint8_t* row = mark.bits.data() + y * pitch;
          for (int x = 0; x < mark.box.width; ++x)
            ink[size_t(x)] += mono ? (row[x / 8] >> (7 - x % 8) & 1) * 16 : row[x];
        }
        std::string columns, weak;
        for (int x = 0; x < mark.box.width; ++x) {
          columns += std::to_string(ink[size_t(x)]) + " ";
          if (x >= 2 && x < mark.box.width - 2 && ink[size_t(x)] < 8) weak += std::to_string(x) + " ";
        }
        EXPECT_EQ(weak, "") << "ink column by column: " << columns;
      }
    }
  }
}

TEST(PlatformFonts, HeavyWeightsAreEmboldenedOnARegularFace) {
  FontPtr regular = Open("ＭＳ 明朝", 20, 400);
  FontPtr bold = Open("ＭＳ 明朝", 20, 900);
  ASSERT_NE(regular, nullptr);
  ASSERT_NE(bold, nullptr);
  auto lit = [](const Rendered& r) {
    int n = 0;
    for (const uint8_t b : r.bits) n += b;
    return n;
  };
  const Rendered thin = Render(*regular, 0x82A0, GlyphFormat::kGray);
  const Rendered thick = Render(*bold, 0x82A0, GlyphFormat::kGray);
  EXPECT_EQ(thick.box.advance, thin.box.advance + 1);
  EXPECT_GE(thick.box.width, thin.box.width + 1);
  EXPECT_GT(lit(thick), lit(thin) * 5 / 4);
  EXPECT_EQ(GetFontMetrics(*bold).max_char_width, GetFontMetrics(*regular).max_char_width + 1);
}

// The NEC sign ∑ (87 94) is not in IPA Gothic; another installed face lends it.
TEST(PlatformFonts, AGlyphTheFaceLacksIsBorrowed) {
  FontPtr font = Open("ＭＳ ゴシック", 16);
  ASSERT_NE(font, nullptr);
  const Rendered sum = Render(*font, 0x8794, GlyphFormat::kGray);
  EXPECT_GT(sum.size, 0);
  EXPECT_GT(sum.box.advance, 0);
  EXPECT_NE(sum.bits, Render(*font, 0, GlyphFormat::kGray).bits);
}

TEST(PlatformFonts, CodesThatNameNoCharacterGiveTheDefaultGlyph) {
  FontPtr font = Open("ＭＳ ゴシック", 16);
  ASSERT_NE(font, nullptr);
  for (const GlyphFormat format : {GlyphFormat::kMono, GlyphFormat::kGray}) {
    const Rendered none = Render(*font, 0, format);
    for (const uint32_t code : {0x8200u, 0x81FFu, 0x10041u}) {  // lead without trail, bad trail, too long
      const Rendered r = Render(*font, code, format);
      EXPECT_EQ(r.size, none.size) << std::hex << code;
      EXPECT_EQ(r.bits, none.bits) << std::hex << code;
      EXPECT_EQ(r.box.advance, none.box.advance) << std::hex << code;
    }
  }
}

TEST(PlatformFonts, HeightsBeyondTheCellRangeAreRefusedAndNegativeOnesAreEms) {
  EXPECT_EQ(Open("ＭＳ ゴシック", 4096), nullptr);
  EXPECT_EQ(Open("ＭＳ ゴシック", -4096), nullptr);
  FontPtr em = Open("ＭＳ ゴシック", -20);
  ASSERT_NE(em, nullptr);
  EXPECT_EQ(Render(*em, 0x82A0, GlyphFormat::kGray).box.advance, 20);
  FontPtr unset = Open("ＭＳ ゴシック", 0);
  ASSERT_NE(unset, nullptr);
  EXPECT_EQ(Render(*unset, 0x82A0, GlyphFormat::kGray).box.advance, 12);
}

}  // namespace
}  // namespace platform::glyphs
