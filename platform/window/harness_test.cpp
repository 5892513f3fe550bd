// The harness's script reader and frame checksum.
#include "platform/window/harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tuple>

#include "platform/window/key_names.h"

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

TEST(HarnessScript, KeysGoByNameOrByCode) {
  struct Case {
    const char* word;
    int code;
  };
  const Case cases[] = {{"Z", 0x2C},          {"z", 0x2C},      {"X", 0x2D},        {"Escape", 0x01},
                        {"esc", 0x01},        {"Return", 0x1C}, {"Enter", 0x1C},    {"Up", 0xC8},
                        {"Down", 0xD0},       {"Left", 0xCB},   {"Right", 0xCD},    {"LeftShift", 0x2A},
                        {"Keypad8", 0x48},    {"KeypadEnter", 0x9C}, {"Digit1", 0x02}, {"F12", 0x58},
                        {"1", 0x01},          {"0x2C", 0x2C},   {"44", 0x2C},       {"255", 0xFF}};
  for (const Case& c : cases) {
    for (const char* form : {"key down", "key up", "key tap"}) {
      HarnessScript s;
      std::string error;
      const std::string line = std::string("4 ") + form + " " + c.word;
      ASSERT_TRUE(ParseHarnessScript(line, &s, &error)) << line << ": " << error;
      ASSERT_FALSE(s.events.empty());
      EXPECT_EQ(s.events[0].a, c.code) << line;
    }
  }
  for (const char* bad : {"4 key tap Zed", "4 key down ShiftLeft", "4 key up -1", "4 key tap 0x100", "4 key tap"}) {
    HarnessScript s;
    std::string error;
    EXPECT_FALSE(ParseHarnessScript(bad, &s, &error)) << bad;
  }
  // A name for every code that has one, and back.
  for (int code = 0; code < 256; ++code) {
    if (const char* name = KeyNameForCode(code)) {
      EXPECT_EQ(KeyCodeForName(name), code) << name;
    }
  }
}

TEST(HarnessScript, RangesStayWithinTheirBoundsWhateverTheStep) {
  HarnessScript s;
  std::string error;
  ASSERT_TRUE(ParseHarnessScript("5-9/2147483647 key tap Z\n9999990-10000000/2147483640 pad 1\n", &s, &error))
      << error;
  std::vector<std::pair<int, int>> got;
  for (const HarnessEvent& e : s.events) got.emplace_back(e.frame, e.kind);
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{
                     {5, HarnessEvent::kKeyDown}, {7, HarnessEvent::kKeyUp}, {9999990, HarnessEvent::kPad}}));
}

TEST(HarnessScript, TheWholeScriptHasOneCapOnItsEvents) {
  // Each line stays under the cap of a line; together they would fill the
  // memory before a run began.
  std::string text;
  for (int line = 0; line < 40; ++line) text += std::to_string(line) + "-9999999/100 key tap Z\n";
  HarnessScript s;
  std::string error;
  EXPECT_FALSE(ParseHarnessScript(text, &s, &error));
  EXPECT_NE(error.find("line 3: too many events"), std::string::npos) << error;
  // A long honest script: a tap every three frames for an hour.
  ASSERT_TRUE(ParseHarnessScript("0-216000/3 key tap Z\n216001 quit\n", &s, &error)) << error;
  EXPECT_EQ(s.events.size(), 2u * 72001 + 1);
}

TEST(HarnessScript, TheScriptFileIsReadWithinItsCap) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("harness-read-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string honest = (folder / "honest.harness").string();
  std::ofstream(honest) << "box no\n4 key tap Z\n";
  const std::string huge = (folder / "huge.harness").string();
  {
    std::ofstream out(huge);
    const std::string comment = "# " + std::string(1022, 'x') + "\n";
    for (size_t n = 0; n <= kMaxHarnessScriptBytes / comment.size(); ++n) out << comment;
  }
  std::string text, error;
  ASSERT_TRUE(ReadHarnessScriptFile(honest.c_str(), &text, &error)) << error;
  EXPECT_EQ(text, "box no\n4 key tap Z\n");
  struct Case {
    std::string path;
    const char* why;
  };
  const Case refused[] = {{folder.string(), "folder"},
                          {"/dev/zero", "longer than"},
                          {huge, "longer than"},
                          {(folder / "missing.harness").string(), "No such file"}};
  for (const Case& c : refused) {
    EXPECT_FALSE(ReadHarnessScriptFile(c.path.c_str(), &text, &error)) << c.path;
    EXPECT_NE(error.find(c.why), std::string::npos) << c.path << ": " << error;
    EXPECT_TRUE(text.empty()) << c.path;
  }
  std::filesystem::remove_all(folder);
}

TEST(HarnessScript, ChecksumSeesEveryByteAndItsPlace) {
  const uint32_t a[] = {0x00FF0000, 0x0000FF00};
  const uint32_t b[] = {0x0000FF00, 0x00FF0000};
  const uint32_t c[] = {0x00FF0001, 0x0000FF00};
  EXPECT_EQ(FrameChecksum(a, 2), FrameChecksum(a, 2));
  EXPECT_NE(FrameChecksum(a, 2), FrameChecksum(b, 2));
  EXPECT_NE(FrameChecksum(a, 2), FrameChecksum(c, 2));
  EXPECT_NE(FrameChecksum(a, 2), FrameChecksum(a, 1));
  // A whole frame: one bit changed anywhere, two pixels swapped within a
  // lane's word and across lanes, and every length up to the lanes' width.
  std::vector<uint32_t> frame(800 * 600);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint32_t>(i * 2654435761u) & 0x00FFFFFF;
  const uint64_t whole = FrameChecksum(frame.data(), frame.size());
  for (size_t at : {size_t{0}, size_t{1}, size_t{7}, size_t{8}, size_t{12345}, frame.size() - 1}) {
    for (int bit : {0, 13, 31}) {
      std::vector<uint32_t> changed = frame;
      changed[at] ^= 1u << bit;
      EXPECT_NE(FrameChecksum(changed.data(), changed.size()), whole) << at << " bit " << bit;
    }
  }
  for (auto [i, j] : {std::pair<size_t, size_t>{0, 1}, {0, 2}, {3, 11}, {100, 479999}}) {
    std::vector<uint32_t> swapped = frame;
    std::swap(swapped[i], swapped[j]);
    EXPECT_NE(FrameChecksum(swapped.data(), swapped.size()), whole) << i << " <-> " << j;
  }
  const std::vector<uint32_t> zeros(17, 0);
  for (size_t n = 0; n < zeros.size(); ++n) {
    EXPECT_NE(FrameChecksum(zeros.data(), n), FrameChecksum(zeros.data(), n + 1)) << n;
  }
}

}  // namespace
}  // namespace platform::window
