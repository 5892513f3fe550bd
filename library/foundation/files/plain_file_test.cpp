// Plain files in their three modes over temporary files, the file-access
// thread's handshake (gated by hooks, never by time), find and temp files.
#include "library/foundation/files/plain_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "library/foundation/core/manual_reset_event.h"
#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/fresh_files_test_support.h"
#include "library/foundation/memory_log/log_test_support.h"
#include "platform/os/host_path.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

// The file-access thread waits on it until the test sets it.
using Gate = ManualResetEvent;

struct Mode {
  const char* name;
  int cache;
  int async;
  bool threaded() const { return cache != 0 || async != 0; }
};
const Mode kModes[] = {{"synchronous", 0, 0}, {"cached", 1, 0}, {"asynchronous", 0, 1}, {"cached asynchronous", 1, 1}};

class PlainFileTest : public ::testing::Test {
 protected:
  void TearDown() override { detail::StartPlainFilesAfresh(); }

  std::string MakeFile(const std::string& name, const std::string& content) {
    folder_.MakeFile(name, content);
    return folder_ / name;
  }
  static void WaitIdle(FileHandle h) {
    while (PlainFileIdleCheck(h) == 0) std::this_thread::yield();
  }

  test::TestFolder folder_;
};

TEST_F(PlainFileTest, ReadsWholeElementsAndSetsTheEndFlagOnTheReadAfterTheEnd) {
  const std::string path = MakeFile("ten.bin", "0123456789");
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    const FileHandle h = PlainFileOpen(path.c_str(), m.cache, 1, m.async);
    ASSERT_NE(h, 0);
    char buffer[16] = {};
    EXPECT_EQ(PlainFileRead(buffer, 4, 3, h), 2u);
    WaitIdle(h);
    EXPECT_EQ(std::string(buffer), "01234567");
    EXPECT_EQ(PlainFileTell(h), 8);
    EXPECT_EQ(PlainFileEof(h), 0);
    EXPECT_EQ(PlainFileRead(buffer, 4, 1, h), 0u);  // two bytes left: no whole element
    EXPECT_EQ(PlainFileEof(h), -1);
    EXPECT_EQ(PlainFileTell(h), 8);

    EXPECT_EQ(PlainFileSeek(h, 6, 0), 0);
    EXPECT_EQ(PlainFileEof(h), 0);
    char tail[8] = {};
    EXPECT_EQ(PlainFileRead(tail, 2, 2, h), 2u);  // exactly to the end: no end flag yet
    WaitIdle(h);
    EXPECT_EQ(std::string(tail), "6789");
    EXPECT_EQ(PlainFileEof(h), 0);
    EXPECT_EQ(PlainFileRead(tail, 1, 1, h), 0u);
    EXPECT_EQ(PlainFileEof(h), -1);

    EXPECT_EQ(PlainFileRead(tail, 0, 5, h), 0u);
    EXPECT_EQ(PlainFileIdleCheck(h), 1);
    EXPECT_EQ(PlainFileClose(h), 0);
  }
}

TEST_F(PlainFileTest, SeeksFromEachOriginWithoutClamping) {
  const std::string path = MakeFile("ten.bin", "0123456789");
  struct Case {
    int offset;
    int origin;
    int result;
    int position;  // from position 4
    const char* next;  // the next byte, or "" when the read meets the end
  };
  const Case cases[] = {
      {2, 0, 0, 2, "2"},  {3, 1, 0, 7, "7"},   {-1, 2, 0, 9, "9"},  {5, 2, 0, 15, ""},
      {20, 0, 0, 20, ""}, {-5, 0, -1, 4, "4"}, {1, 7, -1, 4, "4"},
  };
  for (const Mode& m : kModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(m.name) + " " + std::to_string(c.offset) + "/" + std::to_string(c.origin));
      const FileHandle h = PlainFileOpen(path.c_str(), m.cache, 1, m.async);
      char buffer[4] = {};
      PlainFileRead(buffer, 4, 1, h);
      EXPECT_EQ(PlainFileSeek(h, c.offset, c.origin), c.result);
      EXPECT_EQ(PlainFileTell(h), c.position);
      char next[2] = {};
      const size_t n = PlainFileRead(next, 1, 1, h);
      WaitIdle(h);
      EXPECT_EQ(std::string(next), c.next);
      EXPECT_EQ(n == 0, PlainFileEof(h) == -1);
      PlainFileClose(h);
    }
  }
}

TEST_F(PlainFileTest, RefusesMissingFilesFoldersAndOverlongPathsInEveryMode) {
  folder_.MakeFolder("sub");
  const std::string tooLong = folder_ / std::string(300, 'a');
  const std::string paths[] = {folder_ / "missing.txt", folder_ / "sub", tooLong};
  for (const Mode& m : kModes) {
    for (const std::string& path : paths) {
      SCOPED_TRACE(std::string(m.name) + " " + path.substr(0, 80));
      EXPECT_EQ(PlainFileOpen(path.c_str(), m.cache, 1, m.async), 0);
    }
  }
  EXPECT_EQ(PlainFileOpen(nullptr, 0, 1, 0), 0);
}

TEST_F(PlainFileTest, OpensThroughTheHostPathResolver) {
  folder_.MakeFolder("Data/Text");
  const std::string content = "resolved";
  folder_.MakeFile("Data/Text/Story.TXT", content);
  const std::string windowsPath = folder_.path() + "\\data\\TEXT\\story.txt";
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    const FileHandle h = PlainFileOpen(windowsPath.c_str(), m.cache, 1, m.async);
    ASSERT_NE(h, 0);
    char buffer[16] = {};
    EXPECT_EQ(PlainFileRead(buffer, 1, sizeof buffer, h), content.size());
    WaitIdle(h);
    EXPECT_EQ(std::string(buffer), content);
    PlainFileClose(h);
  }
}

TEST_F(PlainFileTest, HandlesAreSmallSlotIndicesReusedAfterClose) {
  const std::string path = MakeFile("a.bin", "a");
  const FileHandle first = PlainFileOpen(path.c_str(), 0, 1, 0);
  const FileHandle second = PlainFileOpen(path.c_str(), 1, 1, 0);
  EXPECT_GT(first, 0);
  EXPECT_GT(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(PlainFileClose(first), 0);
  EXPECT_EQ(PlainFileClose(first), -1);
  EXPECT_EQ(PlainFileTell(first), -1);
  EXPECT_EQ(PlainFileOpen(path.c_str(), 0, 1, 1), first);
  EXPECT_EQ(PlainFileClose(first), 0);
  EXPECT_EQ(PlainFileClose(second), 0);
  EXPECT_EQ(PlainFileClose(0), -1);
  EXPECT_EQ(PlainFileClose(12345), -1);
}

TEST_F(PlainFileTest, AsynchronousReadReturnsAtOnceAndIsIdleOnlyWhenServed) {
  const std::string path = MakeFile("async.bin", "abcdefgh");
  Gate gate(false);
  detail::FileThreadHooks hooks;
  hooks.beforeCommand = [&gate](int command) {
    if (command == kFileThreadRead) gate.Wait();
  };
  detail::SetFileThreadHooks(hooks);
  const FileHandle h = PlainFileOpen(path.c_str(), 0, 1, 1);
  ASSERT_NE(h, 0);
  char buffer[8] = {};
  EXPECT_EQ(PlainFileRead(buffer, 2, 3, h), 3u);
  EXPECT_EQ(PlainFileTell(h), 6);
  EXPECT_EQ(PlainFileIdleCheck(h), 0);
  EXPECT_EQ(PlainFileIdleCheck(h), 0);
  gate.Set();
  WaitIdle(h);
  EXPECT_EQ(std::string(buffer), "abcdef");
  EXPECT_EQ(PlainFileClose(h), 0);
}

TEST_F(PlainFileTest, CachedSequentialReadsAreServedFromTheReadAhead) {
  std::string content(5000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>('A' + i % 23);
  const std::string path = MakeFile("stream.bin", content);
  Gate toppedUp(false);
  std::mutex mutex;
  std::vector<std::pair<uint32_t, uint32_t>> reads;
  bool seekSeen = false;
  bool filledAfterSeek = false;  // the read-ahead may refill at the new place before the read
  detail::FileThreadHooks hooks;
  hooks.beforeCommand = [&](int command) {
    std::lock_guard<std::mutex> lock(mutex);
    if (command == kFileThreadSeek) seekSeen = true;
  };
  hooks.afterTopUp = [&](uint32_t fill) {
    std::lock_guard<std::mutex> lock(mutex);
    if (fill > 0) toppedUp.Set();
    if (fill > 0 && seekSeen && reads.size() == 2) filledAfterSeek = true;
  };
  hooks.afterRead = [&](uint32_t fromCache, uint32_t fromFile) {
    std::lock_guard<std::mutex> lock(mutex);
    reads.emplace_back(fromCache, fromFile);
  };
  detail::SetFileThreadHooks(hooks);
  detail::SetFileCacheInterval(1);
  const FileHandle h = PlainFileOpen(path.c_str(), 1, 1, 0);
  ASSERT_NE(h, 0);
  toppedUp.Wait();
  std::string got(2000, '\0');
  EXPECT_EQ(PlainFileRead(got.data(), 1000, 1, h), 1u);
  EXPECT_EQ(PlainFileRead(got.data() + 1000, 1000, 1, h), 1u);
  EXPECT_EQ(got, content.substr(0, 2000));
  // A read away from the read-ahead goes to the file, unless the read-ahead
  // has already moved behind the seek and refilled there.
  EXPECT_EQ(PlainFileSeek(h, 4000, 0), 0);
  EXPECT_EQ(PlainFileRead(got.data(), 500, 1, h), 1u);
  EXPECT_EQ(got.substr(0, 500), content.substr(4000, 500));
  EXPECT_EQ(PlainFileClose(h), 0);
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_EQ(reads.size(), 3u);
  EXPECT_EQ(reads[0], std::make_pair(1000u, 0u));
  EXPECT_EQ(reads[1], std::make_pair(1000u, 0u));
  EXPECT_EQ(reads[2], filledAfterSeek ? std::make_pair(500u, 0u) : std::make_pair(0u, 500u));
}

// Without threads every command runs on the caller's thread as it is handed
// over; the reads are the same, and a cached file's read-ahead is topped up
// after each command, so that its second read comes from the read-ahead.
TEST_F(PlainFileTest, InlineModesServeEveryCommandOnTheCallersThread) {
  std::string content(3000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>('a' + i % 19);
  const std::string path = MakeFile("inline.bin", content);
  const std::thread::id caller = std::this_thread::get_id();
  int elsewhere = 0;
  std::vector<std::pair<uint32_t, uint32_t>> reads;
  detail::FileThreadHooks hooks;
  hooks.beforeCommand = [&](int) { elsewhere += std::this_thread::get_id() != caller; };
  hooks.afterRead = [&](uint32_t fromCache, uint32_t fromFile) { reads.emplace_back(fromCache, fromFile); };
  detail::SetFileThreadHooks(hooks);
  detail::RunFileThreadsInline(true);
  for (const Mode& m : kModes) {
    if (!m.threaded()) continue;
    SCOPED_TRACE(m.name);
    reads.clear();
    const FileHandle h = PlainFileOpen(path.c_str(), m.cache, 1, m.async);
    ASSERT_NE(h, 0);
    std::string got(1000, '\0');
    EXPECT_EQ(PlainFileRead(got.data(), 500, 2, h), 2u);
    EXPECT_EQ(PlainFileIdleCheck(h), 1);
    EXPECT_EQ(got, content.substr(0, 1000));
    EXPECT_EQ(PlainFileRead(got.data(), 1000, 1, h), 1u);
    EXPECT_EQ(got, content.substr(1000, 1000));
    EXPECT_EQ(PlainFileSeek(h, 2500, 0), 0);
    EXPECT_EQ(PlainFileRead(got.data(), 1, 1000, h), 500u);
    EXPECT_EQ(got.substr(0, 500), content.substr(2500));
    EXPECT_EQ(PlainFileClose(h), 0);
    ASSERT_EQ(reads.size(), 3u);
    EXPECT_EQ(reads[1], m.cache ? std::make_pair(1000u, 0u) : std::make_pair(0u, 1000u));
  }
  EXPECT_EQ(elsewhere, 0);
}

TEST_F(PlainFileTest, AFileCutShortAfterOpenReadsAsWhatItStillHas) {
  detail::SetFileCacheInterval(3600 * 1000);  // no read-ahead before the file shrinks
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    const std::string path = MakeFile("shrinks.bin", "0123456789");
    const FileHandle h = PlainFileOpen(path.c_str(), m.cache, 1, m.async);
    ASSERT_NE(h, 0);
    std::filesystem::resize_file(path, 5);
    char buffer[12];
    std::memset(buffer, 'x', sizeof buffer);
    const size_t n = PlainFileRead(buffer, 2, 4, h);
    WaitIdle(h);
    if (m.async == 0) {
      EXPECT_EQ(n, 2u);  // the whole elements that arrived, never the 4 asked for
      EXPECT_EQ(PlainFileTell(h), 4);
    }
    EXPECT_EQ(std::string(buffer, 5), "01234");
    if (m.threaded()) {
      EXPECT_EQ(std::string(buffer + 5, 3), std::string(3, '\0'));  // never stale bytes
    }
    EXPECT_EQ(PlainFileEof(h), -1);
    EXPECT_EQ(PlainFileClose(h), 0);
  }
}

TEST_F(PlainFileTest, ReadFileLineWaitsForAnAsynchronousFile) {
  const std::string path = MakeFile("lines.txt", "first\r\nsecond\r\n");
  SetFileFunctionTable(GetPlainFileSet());
  const FileHandle h = OpenFileForRead(path.c_str(), 1);
  ASSERT_NE(h, 0);
  char line[8];
  std::vector<std::string> lines;
  for (int n; (n = ReadFileLine(line, sizeof line, h)) >= 0 && lines.size() < 10;) lines.emplace_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(FileStreamClose(h), 0);
  detail::StartFileFunctionsAfresh();
}

class PlainFileLogTest : public test::LogFolderTest {
 protected:
  void TearDown() override {
    detail::StartPlainFilesAfresh();
    test::LogFolderTest::TearDown();
  }
  test::TestFolder files_;
};

TEST_F(PlainFileLogTest, AMissingFileFailsQuietlyInEveryMode) {
  const std::string path = files_ / "missing.txt";
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    EXPECT_EQ(PlainFileOpen(path.c_str(), m.cache, 1, m.async), 0);
  }
  EXPECT_EQ(ReadLogWithoutStamps(), "");
}

TEST_F(PlainFileLogTest, AFileGoneBeforeItsThreadOpensItFailsWithALogLine) {
  files_.MakeFile("vanishing.bin", "data");
  const std::string path = files_ / "vanishing.bin";
  detail::FileThreadHooks hooks;
  hooks.beforeCommand = [&path](int command) {
    if (command == kFileThreadOpen) std::filesystem::remove(path);
  };
  detail::SetFileThreadHooks(hooks);
  EXPECT_EQ(PlainFileOpen(path.c_str(), 1, 1, 0), 0);
  EXPECT_EQ(ReadLogWithoutStamps(), "ファイルのオープンに失敗しました\r\n");
}

}  // namespace
}  // namespace veziv
