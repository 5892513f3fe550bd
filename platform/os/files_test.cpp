#include "platform/os/files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/filetime.h"
#include "platform/os/host_path.h"
#include "platform/os/temp_folder_test_support.h"

namespace platform::os {
namespace {

using veziv::test::TestFolder;

TEST(MatchesWildcard, FollowsWindowsRules) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  };
  const Case cases[] = {
      {"*", "anything.txt", true},
      {"*.*", "noext", true},
      {"*.*", ".", true},
      {"*.*", "a.b.c", true},
      {"*.png", "BAR1.PNG", true},
      {"*.png", "bar1.png.bak", false},
      {"bar?.png", "bar1.png", true},
      {"bar?.png", "bar12.png", false},
      {"bar?.png", "bar.png", false},
      {"?", "\x95\x5C", true},            // a double-byte character is one character
      {"??", "\x95\x5C", false},
      {"*\x95\x5C*", "x\x95\x5Cy", true},
      {"\x83\x41*", "\x83\x61", false},   // trail bytes are not letters: ア is not ャ
      {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
      {"*stage*", "STAGES", true},
      {"", "", true},
      {"", "a", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
  }
}

class FindFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.MakeFolder("Dir/Sub");
    tree_.MakeFile("Dir/b.txt", "12345");
    tree_.MakeFile("Dir/A.png");
    tree_.MakeFile("Dir/_x");
    tree_.MakeFile("Dir/!first");
    tree_.MakeFile("Dir/noext");
    tree_.MakeFile("Dir/\xE8\xA1\xA8.txt");  // 表.txt, UTF-8 on disk
    tree_.MakeFile("Dir/\x83\x61.bin");      // raw CP932 on disk
    tree_.MakeFolder("Empty");
    SetStartFolder(tree_.path());
  }

  static std::vector<std::string> Names(const std::vector<FoundFile>& found) {
    std::vector<std::string> names;
    for (const FoundFile& f : found) names.push_back(f.name);
    return names;
  }

  TestFolder tree_;
};

TEST_F(FindFilesTest, ListsDotsFirstThenByNameBytesInCp932) {
  const std::vector<std::string> all = {".",     "..",    "!first", "A.png",        "Sub",
                                        "_x",    "b.txt", "noext",  "\x83\x61.bin", "\x95\x5C.txt"};
  EXPECT_EQ(Names(FindFiles("dir\\*")), all);
  EXPECT_EQ(Names(FindFiles("DIR/*.*")), all);
  EXPECT_EQ(Names(FindFiles(tree_.path() + "/Dir/*")), all);
  EXPECT_EQ(Names(FindFiles("dir\\*.TXT")), (std::vector<std::string>{"b.txt", "\x95\x5C.txt"}));
  EXPECT_EQ(Names(FindFiles("*")), (std::vector<std::string>{".", "..", "Dir", "Empty"}));
  EXPECT_EQ(Names(FindFiles("empty\\*")), (std::vector<std::string>{".", ".."}));
}

TEST_F(FindFilesTest, FindsNothingInMissingFoldersOrWithoutAName) {
  EXPECT_TRUE(FindFiles("missing\\*").empty());
  EXPECT_TRUE(FindFiles("dir\\b.txt\\*").empty());
  EXPECT_TRUE(FindFiles("dir\\").empty());
  EXPECT_TRUE(FindFiles("").empty());
  EXPECT_TRUE(FindFiles("dir\\*.jpg").empty());
}

TEST_F(FindFilesTest, ReportsSizeFolderReadOnlyAndWriteTime) {
  const timespec when{1582945200, 123456700};  // 2020-02-29 03:00:00.1234567 UTC
  const timespec times[2] = {when, when};
  ASSERT_EQ(utimensat(AT_FDCWD, (tree_ / "Dir/b.txt").c_str(), times, 0), 0);
  ASSERT_EQ(chmod((tree_ / "Dir/b.txt").c_str(), 0444), 0);

  std::vector<FoundFile> found = FindFiles("dir\\?.txt");
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].name, "b.txt");
  EXPECT_EQ(found[0].size, 5u);
  EXPECT_FALSE(found[0].folder);
  EXPECT_TRUE(found[0].read_only);
  EXPECT_EQ(found[0].last_write, FileTimeFromTimespec(when));
  EXPECT_FALSE(found[1].read_only);

  found = FindFiles("dir\\sub");
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].name, "Sub");
  EXPECT_TRUE(found[0].folder);
  EXPECT_EQ(found[0].size, 0u);
}

TEST(Files, WritesSeeksAndReadsBack) {
  TestFolder tree;
  SetStartFolder(tree.path());
  const std::string name = "\x8A\x69\x94\x5B\x8C\xC9.dat";  // 格納庫.dat
  {
    File file = OpenFile(name, OpenMode::kCreateTruncate);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Write("hello world", 11), 11);
    EXPECT_EQ(file.Size(), 11);
    EXPECT_EQ(file.Seek(6, SeekFrom::kBegin), 6);
    char word[5];
    EXPECT_EQ(file.Read(word, 5), 5);
    EXPECT_EQ(std::string(word, 5), "world");
    EXPECT_EQ(file.Tell(), 11);
    EXPECT_EQ(file.Seek(-5, SeekFrom::kEnd), 6);
    EXPECT_EQ(file.Seek(-7, SeekFrom::kCurrent), -1);
    EXPECT_EQ(file.Seek(int64_t{5} << 30, SeekFrom::kBegin), int64_t{5} << 30);  // past 4 GiB
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file.IsOpen());
  }
  EXPECT_TRUE(FileExists(tree / "\xE6\xA0\xBC\xE7\xB4\x8D\xE5\xBA\xAB.dat"));
  {
    File file = OpenFile("\x8A\x69\x94\x5B\x8C\xC9.DAT", OpenMode::kWrite);  // kept, not truncated
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Write("J", 1), 1);
    char byte;
    EXPECT_EQ(file.Read(&byte, 1), -1);  // write only
  }
  File file = OpenFile(name, OpenMode::kRead);
  ASSERT_TRUE(file.IsOpen());
  char all[32];
  EXPECT_EQ(file.Read(all, sizeof all), 11);
  EXPECT_EQ(std::string(all, 11), "Jello world");
  EXPECT_EQ(file.Read(all, sizeof all), 0);
  EXPECT_EQ(file.Write("x", 1), -1);  // read only

  File moved = std::move(file);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(moved.Tell(), 11);

  File truncated = OpenFile(name, OpenMode::kCreateTruncate);
  EXPECT_EQ(truncated.Size(), 0);
}

TEST(Files, ReadsAtAnOffsetWithoutMovingThePosition) {
  TestFolder tree;
  SetStartFolder(tree.path());
  File file = OpenFile("data.bin", OpenMode::kCreateTruncate);
  ASSERT_TRUE(file.IsOpen());
  ASSERT_EQ(file.Write("hello world", 11), 11);
  ASSERT_EQ(file.Seek(2, SeekFrom::kBegin), 2);
  char buffer[8] = {};
  EXPECT_EQ(file.ReadAt(buffer, 5, 6), 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(file.ReadAt(buffer, 5, 9), 2);  // stops at the end
  EXPECT_EQ(std::string(buffer, 2), "ld");
  EXPECT_EQ(file.ReadAt(buffer, 5, 11), 0);
  EXPECT_EQ(file.ReadAt(buffer, 5, uint64_t{1} << 40), 0);
  EXPECT_EQ(file.Tell(), 2);
  EXPECT_EQ(file.Read(buffer, 3), 3);  // the position the reads at offsets left alone
  EXPECT_EQ(std::string(buffer, 3), "llo");
  EXPECT_EQ(File().ReadAt(buffer, 1, 0), -1);
  File write_only = OpenFile("data.bin", OpenMode::kWrite);
  EXPECT_EQ(write_only.ReadAt(buffer, 1, 0), -1);
}

TEST(Files, AppendsAndTakesHostPathsAsTheyAre) {
  TestFolder tree;
  SetStartFolder(tree.path());
  const std::string log = tree / "Log.txt";
  {
    File file = OpenHostFile(log, OpenMode::kAppend);  // created when missing
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Write("one ", 4), 4);
  }
  {
    File file = OpenHostFile(log, OpenMode::kAppend);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(file.Seek(0, SeekFrom::kBegin), 0);
    EXPECT_EQ(file.Write("two", 3), 3);  // still at the end
    char byte;
    EXPECT_EQ(file.Read(&byte, 1), -1);  // write only
  }
  File file = OpenHostFile(log, OpenMode::kRead);
  char all[16];
  ASSERT_EQ(file.Read(all, sizeof all), 7);
  EXPECT_EQ(std::string(all, 7), "one two");
  // A host path is not matched case-insensitively as the library's paths are.
  EXPECT_FALSE(OpenHostFile(tree / "log.txt", OpenMode::kRead).IsOpen());
  EXPECT_TRUE(OpenFile("log.txt", OpenMode::kRead).IsOpen());
  EXPECT_FALSE(OpenHostFile(tree.path(), OpenMode::kAppend).IsOpen());  // a folder
  EXPECT_FALSE(DeleteHostFile(tree / "log.txt"));
  EXPECT_TRUE(DeleteHostFile(log));
  EXPECT_FALSE(FileExists("Log.txt"));
}

TEST(Files, RefusesMissingFilesAndFolders) {
  TestFolder tree;
  SetStartFolder(tree.path());
  tree.MakeFolder("Folder");
  const OpenMode existing[] = {OpenMode::kRead, OpenMode::kWrite, OpenMode::kReadWrite};
  for (OpenMode mode : existing) {
    EXPECT_FALSE(OpenFile("missing.txt", mode).IsOpen());
    EXPECT_FALSE(OpenFile("folder", mode).IsOpen());
  }
  EXPECT_FALSE(OpenFile("folder", OpenMode::kCreateTruncate).IsOpen());
  EXPECT_FALSE(OpenFile("missing\\new.txt", OpenMode::kCreateTruncate).IsOpen());
  EXPECT_FALSE(FileExists("missing.txt"));

  File closed;
  char byte;
  EXPECT_EQ(closed.Read(&byte, 1), -1);
  EXPECT_EQ(closed.Size(), -1);
  EXPECT_TRUE(closed.Close());
}

TEST(Files, CreatesAndDeletesFoldersAndFiles) {
  TestFolder tree;
  SetStartFolder(tree.path());
  EXPECT_TRUE(CreateFolder("Save"));
  EXPECT_FALSE(CreateFolder("SAVE"));  // already there, under another case
  EXPECT_FALSE(CreateFolder("none\\deeper"));
  EXPECT_TRUE(FolderExists("save"));
  EXPECT_FALSE(FileExists("save"));

  ASSERT_TRUE(OpenFile("save\\Slot1.sav", OpenMode::kCreateTruncate).IsOpen());
  EXPECT_TRUE(FileExists("SAVE\\slot1.SAV"));
  EXPECT_FALSE(FolderExists("save\\slot1.sav"));
  EXPECT_FALSE(DeleteFile("save"));
  EXPECT_TRUE(DeleteFile("save\\SLOT1.sav"));
  EXPECT_FALSE(DeleteFile("save\\slot1.sav"));
  EXPECT_FALSE(FileExists("save\\slot1.sav"));
}

TEST(Files, CreatesTemporaryFilesInTheTemporaryFolder) {
  TestFolder tree;
  const char* old = std::getenv("TMPDIR");
  std::string saved = old ? old : "";
  setenv("TMPDIR", tree.path().c_str(), 1);
  std::string first = CreateTemporaryFile();
  std::string second = CreateTemporaryFile();
  if (old) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first, second);
  EXPECT_EQ(first.rfind(tree.path() + "/", 0), 0u);
  File file = OpenFile(first, OpenMode::kReadWrite);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.Size(), 0);
}

}  // namespace
}  // namespace platform::os
