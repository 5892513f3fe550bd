// The log file: time stamps, indent, the LF to CR LF conversion and its
// double-byte and CR LF rules, and bounded formatting.
#include "library/foundation/memory_log/log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "library/foundation/memory_log/fresh_log_test_support.h"
#include "library/foundation/memory_log/log_test_support.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

using LogTest = test::LogFolderTest;

TEST_F(LogTest, TextsBecomeStampedIndentedCrLfLines) {
  struct Step {
    int indent_change;  // +1 / -1 before the text
    uint64_t advance_ms;
    const char* text;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::string expected;
  };
  const Case cases[] = {
      {"one line from two texts", {{0, 0, "ab"}, {0, 0, "c\n"}}, "0:abc\r\n"},
      {"stamp counts from creation, one tab per level",
       {{+1, 0, ""}, {+1, 1500, "abc\n"}},
       "1500:\t\tabc\r\n"},
      {"a continued line gets neither stamp nor tabs",
       {{+1, 7, "a"}, {0, 5, "b\n"}, {0, 1, "c\n"}},
       "7:\tab\r\n13:\tc\r\n"},
      {"only a text's first line is stamped", {{0, 0, "x\ny\n"}}, "0:x\r\ny\r\n"},
      {"conversion stops at the first CR LF", {{0, 0, "a\nb\r\nc\nd\n"}}, "0:a\r\nb\r\nc\nd\n"},
      {"a double-byte character ending in 5C", {{0, 0, "表\n"}}, "0:\x95\x5C\r\n"},
      {"a line feed after a lead byte is its trail byte", {{0, 0, "\x81\nz\n"}}, "0:\x81\nz\r\n"},
      {"a lead byte at the end of a text", {{0, 0, "\x81"}, {0, 0, "\n"}}, "0:\x81\r\n"},
      {"an empty text leaves the line state alone", {{0, 0, ""}, {0, 3, "a\n"}, {0, 0, ""}}, "3:a\r\n"},
      {"indent never goes below zero", {{-1, 0, ""}, {+1, 0, "a\n"}}, "0:\ta\r\n"},
      {"a CR alone is kept", {{0, 0, "a\rb\n"}}, "0:a\rb\r\n"},
  };
  for (const Case& c : cases) {
    platform::os::UseManualClock(0);
    CreateLogFile();
    for (const Step& step : c.steps) {
      if (step.indent_change > 0) IncreaseLogIndent();
      if (step.indent_change < 0) DecreaseLogIndent();
      platform::os::AdvanceManualClock(step.advance_ms * 1000);
      EXPECT_EQ(WriteLogText(step.text), -1);
    }
    EXPECT_EQ(ReadLog(), c.expected) << c.name;
  }
}

TEST_F(LogTest, CreatingTheLogEmptiesIt) {
  WriteLogText("old\n");
  IncreaseLogIndent();
  WriteLogText("open line");
  CreateLogFile();
  WriteLogText("new\n");
  EXPECT_EQ(ReadLog(), "0:new\r\n");
}

TEST_F(LogTest, LongTextsAreWrittenWhole) {
  std::string text(5000, 'a');
  text[1000] = '\n';
  text[4000] = '\n';
  text += "\n";
  WriteLogText(text.c_str());
  std::string expected = "0:" + text;
  expected.replace(4002, 1, "\r\n");  // offsets of the original plus the 2-byte stamp
  expected.replace(1002, 1, "\r\n");
  expected.replace(expected.size() - 1, 1, "\r\n");
  EXPECT_EQ(ReadLog(), expected);
}

TEST_F(LogTest, FormatAddsALineFeedAndTruncatesAtTheBuffer) {
  EXPECT_EQ(WriteLogFormat("%d-%s", 42, "x"), -1);
  const std::string long_text(3000, 'q');
  EXPECT_EQ(WriteLogFormat("%s", long_text.c_str()), -1);
  EXPECT_EQ(ReadLog(), "0:42-x\r\n0:" + std::string(1023, 'q') + "\r\n");
}

TEST_F(LogTest, UnopenableFileLosesOnlyTheFileCopy) {
  detail::SetLogFolder((folder_ + "/missing/folder").c_str());
  EXPECT_EQ(WriteLogText("lost"), -1);
  detail::SetLogFolder(folder_.c_str());
  // The lost text left the line open, so this one carries no stamp.
  WriteLogText("kept\n");
  EXPECT_EQ(ReadLog(), "kept\r\n");
}

// Before this process made its log, a file of that name is another run's
// (another copy's in the same folder): it is left as it is, and the texts go
// only to standard error when the switch asks for it.
TEST_F(LogTest, TextsBeforeTheLogIsMadeLeaveAFileOfThatNameAlone) {
  std::ofstream(folder_ + "/Log.txt", std::ios::binary) << "0:the running copy's\r\n";
  detail::ForgetLogFile();
  for (const char* value : {"1", "0"}) {
    setenv("VEZIV_LOG_STDERR", value, 1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(WriteLogText("表 before\n"), -1);
    EXPECT_EQ(WriteLogFormat("%d", 7), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), value[0] == '1' ? "\xE8\xA1\xA8 before\n7\n" : "");
    EXPECT_EQ(ReadLog(), "0:the running copy's\r\n");
  }
  unsetenv("VEZIV_LOG_STDERR");
  CreateLogFile();
  WriteLogText("mine\n");
  EXPECT_EQ(ReadLog(), "0:mine\r\n");
}

TEST_F(LogTest, SwitchCopiesTextsToStandardErrorInUtf8) {
  struct Case {
    const char* value;  // null: unset
    std::string copied;
  };
  const Case cases[] = {
      {"1", "\t\xE8\xA1\xA8\r\n\tmore\r\n"},
      {"0", ""},
      {nullptr, ""},
  };
  for (const Case& c : cases) {
    if (c.value != nullptr) setenv("VEZIV_LOG_STDERR", c.value, 1);
    else unsetenv("VEZIV_LOG_STDERR");
    CreateLogFile();
    IncreaseLogIndent();
    ::testing::internal::CaptureStderr();
    WriteLogText("表\n");
    WriteLogText("more\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.copied) << (c.value ? c.value : "unset");
    // The file is the same either way.
    EXPECT_EQ(ReadLog(), "0:\t\x95\x5C\r\n0:\tmore\r\n");
  }
  unsetenv("VEZIV_LOG_STDERR");
}

}  // namespace
}  // namespace veziv
