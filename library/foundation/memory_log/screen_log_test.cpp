// The on-screen log's page: tabs, dropped bytes, double-byte characters,
// wrapping at the screen edge and at the line's byte limit, scrolling, and the
// active flag, over a fixed-width measure and a recording draw.
#include "library/foundation/memory_log/screen_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/foundation/memory_log/fresh_log_test_support.h"

namespace veziv {
namespace {

struct Screen {
  bool up = true;
  int width = 640;
  int height = 480;
  int fonts_made = 0;
  std::vector<int> deleted;
  int* lost_flag = nullptr;
  std::vector<std::pair<int, std::string>> drawn;  // (y, text)
};
Screen g_screen;

detail::ScreenLogServices TestServices() {
  detail::ScreenLogServices s;
  s.ready = [] { return g_screen.up; };
  s.screen_width = [] { return g_screen.width; };
  s.screen_height = [] { return g_screen.height; };
  s.create_font = [](int size, int* lost) {
    EXPECT_EQ(size, 16);
    g_screen.lost_flag = lost;
    return 100 + g_screen.fonts_made++;
  };
  s.delete_font = [](int font) { g_screen.deleted.push_back(font); };
  // 8 pixels a byte: a double-byte character is 16 wide.
  s.measure = [](const char*, int bytes, int) { return 8 * bytes; };
  s.draw_line = [](int x, int y, const char* text, int) {
    EXPECT_EQ(x, 0);
    g_screen.drawn.emplace_back(y, text);
  };
  return s;
}

class ScreenLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_screen = Screen{};
    detail::StartScreenLogAfresh();
    detail::SetScreenLogServices(TestServices());
  }
  void TearDown() override {
    detail::StartScreenLogAfresh();
    detail::SetScreenLogServices({});
  }
  // The lines as drawn, without the empty ones at the end.
  std::vector<std::string> Drawn() {
    g_screen.drawn.clear();
    DrawScreenLog();
    std::vector<std::string> lines;
    for (const auto& [y, text] : g_screen.drawn) lines.push_back(text);
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
};

TEST_F(ScreenLogTest, TextBecomesLines) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"tab is four blanks", "a\tb", {"a    b"}},
      {"line feed starts a line", "one\ntwo\n\nthree", {"one", "two", "", "three"}},
      {"control bytes and question marks are dropped", "a\a\b\v\f\r?b", {"ab"}},
      {"double-byte characters stay whole", "表示\n", {"\x95\x5C\x8E\xA6"}},
      {"a lead byte at the end of the text stands alone", "x\x81", {"x\x81"}},
      {"a 640-pixel line holds 79 bytes of 8 pixels", std::string(85, 'w'), {std::string(79, 'w'), "wwwwww"}},
      {"a double-byte character that would reach the edge moves down", std::string(78, 'w') + "表",
       {std::string(78, 'w'), "\x95\x5C"}},
  };
  for (const Case& c : cases) {
    SetUp();
    g_screen.width = 640;
    AddScreenLogText(c.text.c_str());
    EXPECT_EQ(Drawn(), c.lines) << c.name;
  }
}

TEST_F(ScreenLogTest, LineHoldsAtMost254Bytes) {
  g_screen.width = 100000;
  AddScreenLogText(std::string(300, 'z').c_str());
  EXPECT_EQ(Drawn(), (std::vector<std::string>{std::string(254, 'z'), std::string(46, 'z')}));
}

TEST_F(ScreenLogTest, ThirtyLinesFitOn480PixelsAndTheNextScrolls) {
  for (int i = 0; i < 30; ++i) {
    if (i > 0) AddScreenLogText("\n");
    AddScreenLogText(("line" + std::to_string(i)).c_str());
  }
  std::vector<std::string> lines = Drawn();
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines.front(), "line0");
  EXPECT_EQ(lines.back(), "line29");
  EXPECT_EQ(g_screen.drawn.back().first, 29 * 16);

  AddScreenLogText("\nline30");
  lines = Drawn();
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines.front(), "line1");
  EXPECT_EQ(lines.back(), "line30");
}

TEST_F(ScreenLogTest, TallScreensStillShowEightyLines) {
  g_screen.height = 2000;
  for (int i = 0; i < 85; ++i) AddScreenLogText(("n" + std::to_string(i) + "\n").c_str());
  const std::vector<std::string> lines = Drawn();
  ASSERT_EQ(g_screen.drawn.size(), 80u);
  EXPECT_EQ(lines.front(), "n6");
  EXPECT_EQ(lines.back(), "n84");
}

TEST_F(ScreenLogTest, PrintfShowsTheLogAndClearHidesIt) {
  EXPECT_EQ(IsScreenLogActive(), 0);
  EXPECT_EQ(PrintfToScreen("%d:%s", 7, "x"), 0);
  EXPECT_EQ(IsScreenLogActive(), 1);
  EXPECT_EQ(Drawn(), std::vector<std::string>{"7:x"});
  ClearScreenLog();
  EXPECT_EQ(IsScreenLogActive(), 0);
  EXPECT_TRUE(Drawn().empty());
  PrintfToScreen("%s", std::string(3000, 'k').c_str());
  EXPECT_EQ(IsScreenLogActive(), 1);
  size_t shown = 0;
  for (const std::string& line : Drawn()) shown += line.size();
  EXPECT_EQ(shown, 1023u);
}

TEST_F(ScreenLogTest, NothingHappensWithoutGraphics) {
  g_screen.up = false;
  EXPECT_EQ(InitScreenLog(), -1);
  PrintfToScreen("hidden");
  EXPECT_EQ(IsScreenLogActive(), 0);
  EXPECT_TRUE(Drawn().empty());
  EXPECT_EQ(g_screen.fonts_made, 0);
  // Once graphics is up, the first use sets the log up.
  g_screen.up = true;
  PrintfToScreen("shown");
  EXPECT_EQ(Drawn(), std::vector<std::string>{"shown"});
}

TEST_F(ScreenLogTest, LostFontIsMadeAgainAndReleasedOnce) {
  ASSERT_EQ(InitScreenLog(), 0);
  EXPECT_EQ(g_screen.fonts_made, 1);
  ASSERT_NE(g_screen.lost_flag, nullptr);
  *g_screen.lost_flag = 1;  // the font system deleted it with the device
  PrintfToScreen("a");
  EXPECT_EQ(g_screen.fonts_made, 2);
  detail::ReleaseScreenLogFont();
  EXPECT_EQ(g_screen.deleted, std::vector<int>{101});
  *g_screen.lost_flag = 1;
  detail::ReleaseScreenLogFont();
  EXPECT_EQ(g_screen.deleted.size(), 1u);
}

}  // namespace
}  // namespace veziv
