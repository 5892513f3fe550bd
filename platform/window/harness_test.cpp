// The harness's script reader and frame checksum.
#include "platform/window/harness.h"

#include <gtest/gtest.h>

#include <tuple>

namespace platform::window {
namespace {

TEST(HarnessScript, ReadsEveryStatement) {
  HarnessScript s;
  std::string error;
  ASSERT_TRUE(ParseHarnessScript("# a run\nbox no\nbox yes # then\npng 3\nlimit 90\n\n"
                                 "0 key down 0x2C\r\n5 mouse 400 300 1\n5 pad 0x11\n9 key up 44\n10 text ÅÉb\n11 return\n12 quit\n",
                                 &s, &error))
      << error;
  EXPECT_EQ(s.answers, (std::vector<int>{2, 1}));
  EXPECT_EQ(s.png_frames, (std::vector<int>{3}));
  EXPECT_EQ(s.limit, 90);
  ASSERT_EQ(s.events.size(), 7u);
  EXPECT_EQ(s.events[0].kind, HarnessEvent::kKeyDown);
  EXPECT_EQ(s.events[0].a, 0x2C);
  EXPECT_EQ(s.events[1].kind, HarnessEvent::kMouse);
  EXPECT_EQ(s.events[1].c, 1);
  EXPECT_EQ(s.events[2].a, 0x11);
  EXPECT_EQ(s.events[3].kind, HarnessEvent::kKeyUp);
  EXPECT_EQ(s.events[4].kind, HarnessEvent::kText);
  EXPECT_EQ(s.events[4].text, "ÅÉb");
  EXPECT_EQ(s.events[5].kind, HarnessEvent::kReturn);
  EXPECT_EQ(s.events[6].frame, 12);
}

TEST(HarnessScript, TapsAndRepeatsFallInFrameOrder) {
  HarnessScript s;
  std::string error;
  ASSERT_TRUE(ParseHarnessScript("10-20/5 key tap 0x2C\n11 key tap 0xD0\n13-19/6 pad 4\n21 quit\n", &s, &error))
      << error;
  std::vector<std::tuple<int, int, int>> got;
  for (const HarnessEvent& e : s.events) got.emplace_back(e.frame, e.kind, e.a);
  const int down = HarnessEvent::kKeyDown, up = HarnessEvent::kKeyUp;
  EXPECT_EQ(got, (std::vector<std::tuple<int, int, int>>{{10, down, 0x2C},
                                                         {11, down, 0xD0},
                                                         {12, up, 0x2C},
                                                         {13, up, 0xD0},
                                                         {13, HarnessEvent::kPad, 4},
                                                         {15, down, 0x2C},
                                                         {17, up, 0x2C},
                                                         {19, HarnessEvent::kPad, 4},
                                                         {20, down, 0x2C},
                                                         {21, HarnessEvent::kQuit, 0},
                                                         {22, up, 0x2C}}));
}

TEST(HarnessScript, RefusesWhatItCannotRun) {
  const char* bad[] = {"box maybe",         "png 0",           "3 key down 256",      "3 key press 4",
                       "5 quit\n4 quit",    "x quit",          "3 mouse 1 2",         "-1 quit",
                       "limit many",        "3 pad",           "3 text",          "3 return now",           "9-5/3 key tap 4",     "1-9/2 key tap 4",
                       "1-9 key tap 4",     "1-9/3 quit",      "0-2000000000/3 key tap 4", "2147483647 key tap 4",      "8 key tap 4\n7 quit", "1-9/3 key tap 300"};
  for (const char* text : bad) {
    HarnessScript s;
    std::string error;
    EXPECT_FALSE(ParseHarnessScript(text, &s, &error)) << text;
    EXPECT_NE(error.find("line"), std::string::npos) << text;
  }
}

TEST(HarnessScript, ChecksumSeesEveryByteAndItsPlace) {
  const uint32_t a[] = {0x00FF0000, 0x0000FF00};
  const uint32_t b[] = {0x0000FF00, 0x00FF0000};
  const uint32_t c[] = {0x00FF0001, 0x0000FF00};
  EXPECT_EQ(FrameChecksum(a, 2), FrameChecksum(a, 2));
  EXPECT_NE(FrameChecksum(a, 2), FrameChecksum(b, 2));
  EXPECT_NE(FrameChecksum(a, 2), FrameChecksum(c, 2));
  EXPECT_NE(FrameChecksum(a, 2), FrameChecksum(a, 1));
}

}  // namespace
}  // namespace platform::window
