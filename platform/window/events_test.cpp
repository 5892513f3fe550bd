// The event source on SDL's dummy driver: events are pushed into SDL's own
// queue and come out as the library's messages.
#include "platform/window/events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/inject.h"
#include "platform/window/window.h"

namespace platform::window {
namespace {

class EventSource : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(IsHeadless());
    ASSERT_TRUE(OpenWindow("events", kCentred, kCentred, 640, 480, false));
    Drain();
  }
  void TearDown() override { StopVideo(); }

  static std::vector<Message> Drain() {
    std::vector<Message> all;
    while (PollMessages(&all)) {
    }
    return all;
  }
  // The messages of exactly one event.
  static std::vector<Message> One() {
    std::vector<Message> one;
    EXPECT_TRUE(PollMessages(&one));
    std::vector<Message> rest = Drain();
    EXPECT_TRUE(rest.empty());
    return one;
  }
};

TEST_F(EventSource, EditKeysBecomeTheirControlCharacters) {
  struct Case {
    Key key;
    int want;
  };
  const Case cases[] = {
      {Key::kDelete, 0x10}, {Key::kLeft, 0x1D}, {Key::kRight, 0x1C}, {Key::kUp, 0x1E},      {Key::kDown, 0x1F},
      {Key::kHome, 0x1A},   {Key::kEnd, 0x19},  {Key::kPageUp, 0x17}, {Key::kPageDown, 0x15},
  };
  for (const Case& c : cases) {
    for (bool repeat : {false, true}) {
      InjectKeyDown(c.key, false, repeat);
      std::vector<Message> m = One();
      ASSERT_EQ(m.size(), 1u);
      EXPECT_EQ(m[0].kind, MessageKind::WM_KEYDOWN);
      EXPECT_EQ(m[0].a, c.want);
    }
  }
}

TEST_F(EventSource, KeyPressesMakeTheControlCharactersTextEventsLack) {
  struct Case {
    Key key;
    bool ctrl;
    int want;  // 0: no message
  };
  const Case cases[] = {
      {Key::kBackspace, false, 8}, {Key::kTab, false, 9},     {Key::kReturn, false, 13},
      {Key::kKeypadEnter, false, 13}, {Key::kReturn, true, 10}, {Key::kEscape, false, 0x1B},
      {Key::kF1, false, 0},        {Key::kSpace, false, 0},  // a space arrives as text
  };
  for (const Case& c : cases) {
    InjectKeyDown(c.key, c.ctrl);
    std::vector<Message> m = One();
    if (c.want == 0) {
      EXPECT_TRUE(m.empty());
      continue;
    }
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].kind, MessageKind::WM_CHAR);
    EXPECT_EQ(m[0].a, c.want);
  }
  struct Letter {
    char letter;
    bool ctrl;
    int want;
  };
  const Letter letters[] = {{'a', true, 1}, {'c', true, 3}, {'p', true, 0x10}, {'v', true, 0x16},
                            {'x', true, 0x18}, {'z', true, 26}, {'a', false, 0}};
  for (const Letter& c : letters) {
    InjectLetterKeyDown(c.letter, c.ctrl);
    std::vector<Message> m = One();
    if (c.want == 0) {
      EXPECT_TRUE(m.empty()) << c.letter;
      continue;
    }
    ASSERT_EQ(m.size(), 1u) << c.letter;
    EXPECT_EQ(m[0].a, c.want) << c.letter;
  }
}

TEST_F(EventSource, TypedTextArrivesAsCp932BytesOneByOne) {
  struct Case {
    const char* utf8;
    std::vector<int> bytes;
  };
  const Case cases[] = {
      {"a", {'a'}},
      {"\xE3\x81\x82", {0x82, 0xA0}},               // hiragana a
      {"\xE8\xA1\xA8", {0x95, 0x5C}},               // a trail byte that looks like a backslash
      {"A\xF0\x9F\x98\x80" "b", {'A', 'b'}},        // an emoji has no CP932 code: dropped
      {"\xEF\xBD\xB1", {0xB1}},                     // half-width katakana is one byte
  };
  for (const Case& c : cases) {
    InjectText(c.utf8);
    std::vector<Message> m = One();
    ASSERT_EQ(m.size(), c.bytes.size()) << c.utf8;
    for (size_t i = 0; i < m.size(); ++i) {
      EXPECT_EQ(m[i].kind, MessageKind::WM_CHAR);
      EXPECT_EQ(m[i].a, c.bytes[i]) << c.utf8 << " byte " << i;
    }
  }
}

TEST_F(EventSource, CompositionsArriveWholeAsCp932WithTheirCursorAndConvertedPart) {
  struct Case {
    const char* utf8;
    int cursor;
    std::string cp932;
    int selected = 0;
  };
  // Twelve hiragana are 36 bytes of UTF-8: more than an editing event holds.
  std::string long_utf8, long_cp932;
  for (int i = 0; i < 12; ++i) {
    long_utf8 += "\xE3\x81\x8B";  // ka
    long_cp932 += "\x82\xA9";
  }
  const Case cases[] = {
      {"\xE3\x81\x8B\xE3\x81\x99", 1, "\x82\xA9\x82\xB7"},
      {"\xE3\x81\x8B\xE3\x81\x99", 0, "\x82\xA9\x82\xB7", 2},  // both being converted
      {"a\xF0\x9F\x98\x80", 2, "a"},  // a character without a CP932 form is left out
      {"", 0, ""},                      // the composition ended
      {long_utf8.c_str(), 12, long_cp932},
      {long_utf8.c_str(), 3, long_cp932, 4},
  };
  for (const Case& c : cases) {
    InjectComposition(c.utf8, c.cursor, c.selected);
    std::vector<Message> m = One();
    ASSERT_EQ(m.size(), 1u) << c.utf8;
    EXPECT_EQ(m[0].kind, MessageKind::WM_IME_COMPOSITION);
    EXPECT_EQ(m[0].text, c.cp932);
    EXPECT_EQ(m[0].a, c.cursor);
    EXPECT_EQ(m[0].b, c.selected);
  }
}

TEST_F(EventSource, WheelCountsOneNotchPerEventWhateverItsSize) {
  struct Case {
    int x, y;
    bool flipped;
    int want;  // 0: no message
  };
  const Case cases[] = {
      {0, 1, false, 1}, {0, 3, false, 1}, {0, -1, false, -1}, {0, -7, false, -1},
      {0, 2, true, -1}, {0, -2, true, 1},
      {4, 0, false, 0},  // sideways only
      {-1, 0, true, 0},
  };
  for (const Case& c : cases) {
    InjectWheel(c.x, c.y, c.flipped);
    std::vector<Message> m = One();
    if (c.want == 0) {
      EXPECT_TRUE(m.empty()) << c.x << "," << c.y;
      continue;
    }
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].kind, MessageKind::WM_MOUSEWHEEL);
    EXPECT_EQ(m[0].a, c.want) << c.x << "," << c.y << " flipped " << c.flipped;
  }
}

TEST_F(EventSource, MouseButtonsUseTheLibraryCodesAndMoveTheMouse) {
  struct Case {
    PhysicalButton button;
    int want;
  };
  const Case cases[] = {{PhysicalButton::kLeft, 1}, {PhysicalButton::kRight, 2}, {PhysicalButton::kMiddle, 4},
                        {PhysicalButton::kX1, 0}};
  int x = 10;
  for (const Case& c : cases) {
    for (bool down : {true, false}) {
      InjectMouseButton(c.button, down, x, x + 1);
      std::vector<Message> m = One();
      int mx = -1, my = -1;
      ReadMouse(&mx, &my);
      EXPECT_EQ(mx, x);
      EXPECT_EQ(my, x + 1);
      if (c.want == 0) {
        EXPECT_TRUE(m.empty());
        continue;
      }
      ASSERT_EQ(m.size(), 1u);
      EXPECT_EQ(m[0].kind, down ? MessageKind::kMouseButtonDown : MessageKind::kMouseButtonUp);
      EXPECT_EQ(m[0].a, c.want);
    }
    x += 10;
  }
  InjectMouseMotion(123, 45);
  std::vector<Message> m = One();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].kind, MessageKind::WM_MOUSEMOVE);
  EXPECT_EQ(m[0].a, 123);
  EXPECT_EQ(m[0].b, 45);
}

TEST_F(EventSource, WindowEventsBecomeActivationCloseMoveSizeAndPaint) {
  struct Case {
    void (*inject)();
    MessageKind kind;
    int a, b;
  };
  const Case cases[] = {
      {[] { InjectFocus(true); }, MessageKind::WM_ACTIVATE, 1, 0},
      {[] { InjectFocus(false); }, MessageKind::WM_ACTIVATE, 0, 0},
      {[] { InjectMinimized(); }, MessageKind::WM_ACTIVATE, 0, 1},
      {[] { InjectWindowClose(); }, MessageKind::WM_CLOSE, 0, 0},
      {[] { InjectQuit(); }, MessageKind::WM_CLOSE, 0, 0},
      {[] { InjectMoved(-20, 300); }, MessageKind::WM_MOVE, -20, 300},
      {[] { InjectUserResize(700, 500); }, MessageKind::WM_SIZE, 700, 500},
      {[] { InjectExposed(); }, MessageKind::WM_PAINT, 0, 0},
      {[] { InjectDisplayChanged(); }, MessageKind::WM_DISPLAYCHANGE, 0, 0},
  };
  for (const Case& c : cases) {
    c.inject();
    std::vector<Message> m = One();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].kind, c.kind);
    EXPECT_EQ(m[0].a, c.a);
    EXPECT_EQ(m[0].b, c.b);
  }
}

TEST_F(EventSource, DroppedFileNamesArriveAsCp932AndUnrepresentableOnesAreSkipped) {
  InjectDropFile("/home/user/\xE8\xA1\xA8.png");
  std::vector<Message> m = One();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].kind, MessageKind::WM_DROPFILES);
  EXPECT_EQ(m[0].text, "/home/user/\x95\x5C.png");

  InjectDropFile("/tmp/\xF0\x9F\x98\x80.txt");
  EXPECT_TRUE(One().empty());
}

TEST_F(EventSource, EmptyQueueGivesNothing) {
  std::vector<Message> m;
  EXPECT_FALSE(PollMessages(&m));
  EXPECT_TRUE(m.empty());
}

}  // namespace
}  // namespace platform::window
