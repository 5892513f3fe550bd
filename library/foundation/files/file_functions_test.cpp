// The installed file table, its default sets, and ReadFileLine over known bytes.
#include "library/foundation/files/file_functions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/foundation/files/fresh_files_test_support.h"
#include "library/foundation/files/memory_file_set_test_support.h"
#include "library/foundation/files/plain_file.h"
#include "library/foundation/start/library_start.h"

namespace veziv {
namespace {

class FileFunctionsTest : public ::testing::Test {
 protected:
  void SetUp() override { detail::StartFileFunctionsAfresh(); }
  void TearDown() override {
    test::ForgetMemoryFiles();
    detail::StartFileFunctionsAfresh();
  }
};

// Every line ReadFileLine gives until -1; stops at a bound so that a reader
// that never ends fails the test instead of hanging it.
std::vector<std::string> ReadAllLines(const std::string& bytes, int bufferSize) {
  const FileHandle h = test::OpenMemoryFile(bytes);
  std::vector<std::string> lines;
  std::vector<char> buffer(static_cast<size_t>(bufferSize) + 8, '\x7F');
  for (int guard = 0; guard < 200; ++guard) {
    const int n = ReadFileLine(buffer.data(), bufferSize, h);
    if (n < 0) return lines;
    EXPECT_LT(n, bufferSize);
    EXPECT_EQ(buffer[static_cast<size_t>(n)], '\0');
    lines.emplace_back(buffer.data(), static_cast<size_t>(n));
  }
  ADD_FAILURE() << "ReadFileLine never reported the end";
  return lines;
}

TEST_F(FileFunctionsTest, ReadFileLineSplitsTextAsLines) {
  struct Case {
    const char* name;
    std::string bytes;
    int bufferSize;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"CR LF ends a line and is not stored", std::string("ab\r\ncd"), 64, {"ab", "cd"}},
      {"empty lines", std::string("\r\n\r\nx"), 64, {"", "", "x"}},
      {"a lone LF stays in the line", std::string("a\nb\r\n"), 64, {"a\nb"}},
      {"a lone CR stays in the line", std::string("a\rb"), 64, {"a\rb"}},
      {"a zero byte ends the line and the rest of the read is skipped", std::string("ab\0cd\r\nef", 9), 64, {"ab"}},
      {"a zero byte ends only its own read", std::string("a\0bc\r\nde", 8), 4, {"a", "c", "de"}},
      {"a long line comes back in pieces", std::string("abcdefgh"), 4, {"abc", "def", "gh"}},
      {"a double-byte character is never cut at a piece's end", std::string("a\x82\xA0" "b"), 3,
       {"a", "\x82\xA0", "b"}},
      {"a trail byte in the lead range is not a lead byte", std::string("\x83\x81\x83\x81\r\nz"), 4,
       {"\x83\x81", "\x83\x81", "z"}},
      {"a trail byte 0x5C stays inside its character", std::string("\x95\x5C\r\n"), 64, {"\x95\x5C"}},
      {"a CR right after a lead byte is its trail byte", std::string("\x82\r\nx"), 64, {"\x82\r\nx"}},
      {"a lead byte that ends the file is returned alone", std::string("ab\x82"), 64, {"ab\x82"}},
      {"a lead byte that ends the file after a piece", std::string("ab\x82"), 3, {"ab", "\x82"}},
      {"a CR that ends a piece still pairs with its LF", std::string("abc\r\nde"), 5, {"abc", "de"}},
      {"a CR that ends a piece without an LF stays in the line", std::string("abc\rxy"), 5, {"abc\r", "xy"}},
      {"a CR that ends the file stays in the line", std::string("abc\r"), 5, {"abc\r"}},
      {"a CR that ends a short last read stays in the line", std::string("ab\r"), 64, {"ab\r"}},
      {"a two-byte buffer still advances over every byte", std::string("\x82\xA0\r\nz"), 2, {"\x82", "\xA0", "", "z"}},
      {"an empty file has no line", std::string(), 64, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReadAllLines(c.bytes, c.bufferSize), c.lines);
    test::ForgetMemoryFiles();
  }
}

TEST_F(FileFunctionsTest, ReadFileLineRefusesBuffersBelowTwoBytes) {
  const FileHandle h = test::OpenMemoryFile("abc\r\n");
  char buffer[4] = {'x', 'x', 'x', 'x'};
  for (int size : {-5, 0, 1}) {
    EXPECT_EQ(ReadFileLine(buffer, size, h), -1) << size;
    EXPECT_EQ(FileStreamTell(h), 0) << size;
  }
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_EQ(ReadFileLine(nullptr, 4, h), -1);
  EXPECT_EQ(ReadFileLine(buffer, 4, h), 3);
}

TEST_F(FileFunctionsTest, ReadFileLineReportsTheEndOnceTheEndFlagIsSet) {
  const FileHandle h = test::OpenMemoryFile("ab");
  char buffer[8];
  EXPECT_EQ(ReadFileLine(buffer, 8, h), 2);
  EXPECT_EQ(ReadFileLine(buffer, 8, h), -1);
  EXPECT_EQ(FileStreamEof(h), -1);
  EXPECT_EQ(ReadFileLine(buffer, 8, h), -1);
  // A seek clears the flag and the line can be read again.
  EXPECT_EQ(FileStreamSeek(h, 0, 0), 0);
  EXPECT_EQ(ReadFileLine(buffer, 8, h), 2);
  EXPECT_STREQ(buffer, "ab");
}

TEST_F(FileFunctionsTest, GameCallsForwardToTheInstalledTable) {
  const FileHandle h = test::OpenMemoryFile("0123456789");
  ASSERT_NE(h, 0);
  char buffer[8] = {};
  EXPECT_EQ(ReadFileElements(buffer, 4, h), 1);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(FileStreamTell(h), 4);
  EXPECT_EQ(FileStreamIdleCheck(h), 1);
  EXPECT_EQ(FileStreamClose(h), 0);
  EXPECT_EQ(OpenFileForRead("missing", 7), 0);
}

// A stand-in for the archive-aware set: the plain set with an open that counts.
int g_archiveOpens = 0;
FileHandle FakeArchiveOpen(const char*, int, int, int) {
  ++g_archiveOpens;
  return 0;
}

const FileFunctionTable* FakeArchiveSet() {
  static const FileFunctionTable set = [] {
    FileFunctionTable t = *GetPlainFileSet();
    t.open = FakeArchiveOpen;
    return t;
  }();
  return &set;
}

TEST_F(FileFunctionsTest, BeforeAnythingIsInstalledTheArchiveSetAnswers) {
  detail::RegisterArchiveFileSet(FakeArchiveSet());
  g_archiveOpens = 0;
  EXPECT_EQ(IsDefaultFileFunctionTable(), 1);
  EXPECT_EQ(OpenFileForRead("anything", 0), 0);
  EXPECT_EQ(g_archiveOpens, 1);
}

TEST_F(FileFunctionsTest, EnableArchiveReadingReplacesTheDefaultSet) {
  detail::RegisterArchiveFileSet(FakeArchiveSet());
  SetFileFunctionTable(nullptr);
  g_archiveOpens = 0;
  EXPECT_EQ(EnableArchiveReading(0), 0);
  // The plain set is the default now, and it is the one installed.
  EXPECT_EQ(IsDefaultFileFunctionTable(), 1);
  OpenFileForRead("missing-file", 0);
  EXPECT_EQ(g_archiveOpens, 0);
  EXPECT_EQ(EnableArchiveReading(1), 0);
  EXPECT_EQ(IsDefaultFileFunctionTable(), 1);
  OpenFileForRead("anything", 0);
  EXPECT_EQ(g_archiveOpens, 1);
}

TEST_F(FileFunctionsTest, EnableArchiveReadingKeepsACallersTable) {
  detail::RegisterArchiveFileSet(FakeArchiveSet());
  SetFileFunctionTable(nullptr);
  SetFileFunctionTable(test::MemoryFileSet());
  test::TheMemoryFiles().contents["x"] = "x";
  for (int flag : {0, 1, 0}) {
    SCOPED_TRACE(flag);
    EXPECT_EQ(EnableArchiveReading(flag), 0);
    EXPECT_EQ(IsDefaultFileFunctionTable(), 0);
    const FileHandle h = FileStreamOpen("x", 0, 1, 0);
    EXPECT_NE(h, 0);
    FileStreamClose(h);
  }
  // A set made for the other setting is a caller's table too.
  EnableArchiveReading(1);
  SetFileFunctionTable(GetPlainFileSet());
  EXPECT_EQ(IsDefaultFileFunctionTable(), 0);
  EnableArchiveReading(0);
  EXPECT_EQ(IsDefaultFileFunctionTable(), 1);
}

TEST_F(FileFunctionsTest, StartUpInstallsTheDefaultSetOfTheStoredSetting) {
  detail::RegisterArchiveFileSet(FakeArchiveSet());
  SetFileFunctionTable(test::MemoryFileSet());
  EnableArchiveReading(0);  // made before start-up, while a caller's table is in place
  ASSERT_NE(detail::RegisteredSubsystems().install_default_file_functions, nullptr);
  detail::RegisteredSubsystems().install_default_file_functions();
  EXPECT_EQ(IsDefaultFileFunctionTable(), 1);
  g_archiveOpens = 0;
  OpenFileForRead("missing-file", 0);
  EXPECT_EQ(g_archiveOpens, 0);
}

}  // namespace
}  // namespace veziv
