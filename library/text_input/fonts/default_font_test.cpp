// The default font and the font system's lifecycle on the fake font: the
// start's default font, setters that make the font again only on a change,
// the reset, the re-creation under the same handles, and the end.
#include <gtest/gtest.h>

#include <vector>

#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/font_system.h"
#include "library/text_input/fonts/font_test_support.h"
#include "library/text_input/fonts/text_drawing.h"

namespace veziv::test {
namespace {

using DefaultFont = FontTest;

int LiveFonts() {
  int live = 0;
  for (int slot = 0; slot < detail::kFontSlots; ++slot) live += detail::FontHandleAtSlot(slot) >= 0;
  return live;
}

TEST_F(DefaultFont, TheFontSystemStartsWithItsDefaultFont) {
  const FontHandleData* r = GetFontRecord(GetLibraryDefaultFont());
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r->face, "");
  EXPECT_EQ(r->size, 16);
  EXPECT_EQ(r->thickness, 6);
  EXPECT_EQ(r->type, FontTypeNormal);
  EXPECT_EQ(r->charsetIndex, 1);
  EXPECT_EQ(r->edgeSize, 1);
  EXPECT_EQ(LiveFonts(), 1);
  const std::string log = ReadLogWithoutStamps();
  EXPECT_NE(log.find("フォントの初期化を行います\r\nフォントの初期化は正常に終了しました\r\n"), std::string::npos);
}

TEST_F(DefaultFont, SettersMakeTheFontAgainOnlyWhenTheWishChanges) {
  const int opened = Fake().opened;
  // What the game sets at its start: each change makes the font again.
  EXPECT_EQ(SetDefaultFontType(3), 0);
  EXPECT_EQ(SetDefaultFontFace("ＭＳ 明朝", -1), 0);
  EXPECT_EQ(SetDefaultFontSize(20), 0);
  EXPECT_EQ(SetDefaultFontThickness(9), 0);
  EXPECT_EQ(Fake().opened, opened + 4);
  EXPECT_EQ(Fake().closed, Fake().opened - 1);  // one font at a time
  const FontHandleData* r = GetFontRecord(GetLibraryDefaultFont());
  ASSERT_NE(r, nullptr);
  EXPECT_STREQ(r->face, "ＭＳ 明朝");
  EXPECT_EQ(r->type, FontTypeAntialiasEdge);
  EXPECT_EQ(r->size, 20);
  EXPECT_EQ(r->thickness, 9);
  EXPECT_EQ(LiveFonts(), 1);
  // The same wishes again change nothing.
  EXPECT_EQ(SetDefaultFontType(3), 0);
  EXPECT_EQ(SetDefaultFontFace("ＭＳ 明朝", 1), 0);
  EXPECT_EQ(SetDefaultFontSizeThickness(0, 20, 9), 0);
  EXPECT_EQ(GetDefaultFontSize(), 20);
  EXPECT_EQ(Fake().opened, opened + 4);
  // -1 is the start value.
  EXPECT_EQ(SetDefaultFontSizeThickness(0, -1, -1), 0);
  EXPECT_EQ(GetFontRecord(GetLibraryDefaultFont())->size, 16);
  EXPECT_EQ(GetFontRecord(GetLibraryDefaultFont())->thickness, 6);
  EXPECT_EQ(SetDefaultFontFace(nullptr, -1), 0);
  EXPECT_EQ(SetDefaultFontType(-1), 0);
  EXPECT_STREQ(GetFontRecord(GetLibraryDefaultFont())->face, "");
  EXPECT_EQ(GetFontRecord(GetLibraryDefaultFont())->type, 0);

  EndGraphicsSystem();
  EXPECT_EQ(SetDefaultFontSizeThickness(0, 20, 9), -1);
  EXPECT_EQ(SetDefaultFontSize(24), 0);  // stored, nothing made without graphics
  EXPECT_EQ(GetLibraryDefaultFont() != -1 && IsValidFontHandle(GetLibraryDefaultFont()), false);
}

// An 8-bit screen has no smoothing: a smoothed wish still counts as met by
// the font it made, which is not made again on every use.
TEST_F(DefaultFont, ASmoothedWishOnAnEightBitScreenIsMadeOnce) {
  StartScreen(8);
  ASSERT_EQ(SetDefaultFontType(FontTypeAntialias), 0);
  EXPECT_EQ(GetFontRecord(GetLibraryDefaultFont())->type, FontTypeNormal);
  const int opened = Fake().opened;
  EXPECT_EQ(MeasureTextDefaultFont("AB", -1, 0), 10);
  EXPECT_EQ(DrawTextDefaultFont(0, 0, "AB", PackColorForScreen(255, 255, 255), 0), 0);
  EXPECT_EQ(Fake().opened, opened);
}

TEST_F(DefaultFont, AMissingDefaultFontIsMadeOnUse) {
  const int first = GetLibraryDefaultFont();
  ASSERT_EQ(DeleteFontHandle(first), 0);
  EXPECT_EQ(MeasureTextDefaultFont("AB", -1, 0), 10);
  EXPECT_TRUE(IsValidFontHandle(GetLibraryDefaultFont()));
  ASSERT_EQ(DeleteFontHandle(GetLibraryDefaultFont()), 0);
  EXPECT_EQ(DrawTextDefaultFont(0, 0, "A", PackColorForScreen(255, 255, 255), 0), 0);
  EXPECT_EQ(Pixel(1, 2), 0xFFFFFFu);
  EXPECT_EQ(DrawFormattedTextDefaultFont(0, 20, PackColorForScreen(255, 255, 255), "%d", 7), 0);
  EXPECT_EQ(Pixel(1, 22), 0xFFFFFFu);
}

TEST_F(DefaultFont, ResetKeepsTheDefaultFontsSettingsAndDeletesTheOthers) {
  ASSERT_EQ(SetDefaultFontType(1), 0);
  ASSERT_EQ(SetDefaultFontSize(20), 0);
  int lost[2] = {0, 0};
  for (int& flag : lost) AttachFontLossFlag(CreateFontHandle(nullptr, 14, 4, 0, -1, -1, 0, -1, -1), &flag);
  ASSERT_EQ(LiveFonts(), 3);
  EXPECT_EQ(ResetAllFonts(), 0);
  EXPECT_EQ(LiveFonts(), 1);
  EXPECT_EQ(lost[0], 1);
  EXPECT_EQ(lost[1], 1);
  const FontHandleData* r = GetFontRecord(GetLibraryDefaultFont());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->size, 20);
  EXPECT_EQ(r->type, FontTypeEdge);
}

// Re-making every font keeps each handle and its owner's flag: nothing is
// lost, so nothing is made twice by its owner, and no slot is left behind.
TEST_F(DefaultFont, RecreationKeepsHandlesFlagsAndSpacing) {
  int lost[3] = {0, 0, 0};
  std::vector<int> fonts;
  for (int i = 0; i < 3; ++i) {
    fonts.push_back(CreateFontHandle("ＭＳ 明朝", 18 + i, 9, i, -1, -1, 0, -1, -1));
    AttachFontLossFlag(fonts.back(), &lost[i]);
    SetFontCharSpacing(i + 1, fonts.back());
  }
  const int opened = Fake().opened, live = LiveFonts();
  EXPECT_EQ(RecreateFontHandleAll(), 0);
  EXPECT_EQ(Fake().opened, opened + live);
  EXPECT_EQ(LiveFonts(), live);
  for (int i = 0; i < 3; ++i) {
    const FontHandleData* r = GetFontRecord(fonts[size_t(i)]);
    ASSERT_NE(r, nullptr) << i;
    EXPECT_EQ(r->size, 18 + i);
    EXPECT_EQ(r->spacing, i + 1);
    EXPECT_EQ(lost[i], 0);
  }
  EXPECT_TRUE(IsValidFontHandle(GetLibraryDefaultFont()));
  ASSERT_EQ(DeleteFontHandle(fonts[1]), 0);
  EXPECT_EQ(lost[1], 1);  // the flag went on with the new record

  // A font that cannot be made again is lost to its owner.
  Fake().refuse = true;
  EXPECT_EQ(RecreateFontHandleAll(), 0);
  EXPECT_EQ(lost[0], 1);
  EXPECT_EQ(lost[2], 1);
  EXPECT_EQ(LiveFonts(), 0);
  Fake().refuse = false;
}

TEST_F(DefaultFont, TheEndDeletesEveryFont) {
  CreateFontHandle(nullptr, 14, 4, 0, -1, -1, 0, -1, -1);
  detail::SetFontTextureCacheWanted(1);
  CreateFontHandle(nullptr, 14, 4, 3, -1, -1, 0, -1, -1);
  EndGraphicsSystem();
  EXPECT_EQ(LiveFonts(), 0);
  EXPECT_EQ(Fake().closed, Fake().opened);
  EXPECT_EQ(detail::GraphCount(), 0);
}

}  // namespace
}  // namespace veziv::test
