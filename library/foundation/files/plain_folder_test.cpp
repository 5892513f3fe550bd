// Find over folders with Windows patterns, the current folder, and temp files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/foundation/files/plain_file.h"
#include "platform/os/host_path.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

class PlainFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.MakeFile("a.txt", "12345");
    folder_.MakeFile("B.TXT", "");
    folder_.MakeFile("noext", "x");
    folder_.MakeFile("ab.txt.bak", "x");
    folder_.MakeFolder("Sub");
  }

  std::vector<std::string> FindAll(const std::string& pattern) {
    std::vector<std::string> names;
    FileFindRecord record{};
    const int h = PlainFileFindFirst((folder_ / pattern).c_str(), &record);
    if (h == -1) return names;
    do {
      names.emplace_back(record.name);
    } while (PlainFileFindNext(h, &record) == 0 && names.size() < 100);
    EXPECT_EQ(PlainFileFindNext(h, &record), -1);
    EXPECT_EQ(PlainFileFindClose(h), 0);
    return names;
  }

  test::TestFolder folder_;
};

TEST_F(PlainFolderTest, FindMatchesWindowsPatternsInNameOrder) {
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"*.txt", {"B.TXT", "a.txt"}},
      {"*.*", {".", "..", "B.TXT", "Sub", "a.txt", "ab.txt.bak", "noext"}},
      {"*", {".", "..", "B.TXT", "Sub", "a.txt", "ab.txt.bak", "noext"}},
      {"?.TXT", {"B.TXT", "a.txt"}},
      {"NOEXT", {"noext"}},
      {"a*", {"a.txt", "ab.txt.bak"}},
      {"sub", {"Sub"}},
      {"*.png", {}},
      {"missing\\*.*", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(FindAll(c.pattern), c.names);
  }
}

TEST_F(PlainFolderTest, FindFillsTheRecord) {
  struct Case {
    const char* pattern;
    const char* name;
    int directory;
    uint32_t size;
  };
  const Case cases[] = {{"a.txt", "a.txt", 0, 5}, {"SUB", "Sub", 1, 0}, {"b.txt", "B.TXT", 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    FileFindRecord record;
    std::memset(&record, 0x55, sizeof record);
    const int h = PlainFileFindFirst((folder_ / c.pattern).c_str(), &record);
    ASSERT_NE(h, -1);
    EXPECT_STREQ(record.name, c.name);
    EXPECT_EQ(record.directory, c.directory);
    EXPECT_EQ(record.sizeLow, c.size);
    EXPECT_EQ(record.sizeHigh, 0u);
    EXPECT_GE(record.lastWriteTime.year, 2000);
    EXPECT_GE(record.lastWriteTime.month, 1);
    EXPECT_LE(record.lastWriteTime.month, 12);
    EXPECT_EQ(record.creationTime.year, record.lastWriteTime.year);
    PlainFileFindClose(h);
  }
  // No record is needed to walk a folder.
  const int h = PlainFileFindFirst((folder_ / "*.txt").c_str(), nullptr);
  ASSERT_NE(h, -1);
  EXPECT_EQ(PlainFileFindNext(h, nullptr), 0);
  EXPECT_EQ(PlainFileFindNext(h, nullptr), -1);
  EXPECT_EQ(PlainFileFindClose(h), 0);
  EXPECT_EQ(PlainFileFindClose(h), -1);
  EXPECT_EQ(PlainFileFindNext(h, nullptr), -1);
  EXPECT_EQ(PlainFileFindFirst(nullptr, nullptr), -1);
}

TEST_F(PlainFolderTest, CurrentFolderIsWhereRelativePathsOpen) {
  const std::string before = platform::os::StartFolder();
  const std::filesystem::path cwd = std::filesystem::current_path();
  EXPECT_NE(PlainFileSetCurrentDir(folder_.path().c_str()), 0);
  char buffer[260];
  const int length = PlainFileGetCurrentDir(buffer);
  EXPECT_EQ(length, static_cast<int>(std::strlen(buffer)));
  EXPECT_EQ(std::filesystem::path(buffer), std::filesystem::canonical(folder_.path()));
  const FileHandle h = PlainFileOpen("A.TXT", 0, 1, 0);
  EXPECT_NE(h, 0);
  PlainFileClose(h);
  EXPECT_NE(PlainFileSetCurrentDir("sub"), 0);
  PlainFileGetCurrentDir(buffer);
  EXPECT_EQ(std::filesystem::path(buffer), std::filesystem::canonical(folder_ / "Sub"));
  EXPECT_EQ(PlainFileSetCurrentDir("no such folder"), 0);
  std::filesystem::current_path(cwd);
  platform::os::SetStartFolder(before);
}

TEST(CreateTempFile, MakesAnEmptyWritableFileAndGivesItsPath) {
  char path[260];
  platform::os::File file = CreateTempFile(path);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.Size(), 0);
  EXPECT_EQ(file.Write("midi", 4), 4);
  file.Close();
  std::ifstream in(path, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "midi");
  std::filesystem::remove(path);

  platform::os::File other = CreateTempFile(nullptr);
  EXPECT_TRUE(other.IsOpen());
}

}  // namespace
}  // namespace veziv
