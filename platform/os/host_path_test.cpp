#include "platform/os/host_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/os/temp_folder_test_support.h"

namespace platform::os {
namespace {

using veziv::test::TestFolder;

// A game folder with mixed-case and Japanese names, some as UTF-8 and one as raw CP932 bytes.
class HostPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.MakeFolder("game/Image/System");
    tree_.MakeFile("game/Image/System/Bar1.png");
    tree_.MakeFolder("game/Image/bgs");
    tree_.MakeFile("game/Image/bgs/\xE6\xA0\xBC\xE7\xB4\x8D\xE5\xBA\xAB.jpg");  // 格納庫.jpg
    tree_.MakeFolder("game/\xE8\xA1\xA8\xE7\xA4\xBA");                           // 表示
    tree_.MakeFile("game/\xE8\xA1\xA8\xE7\xA4\xBA/a.txt");
    tree_.MakeFile("game/\x83\x61.bin");  // raw CP932 bytes, as an old archive tool leaves them
    tree_.MakeFolder("game/Data");
    tree_.MakeFolder("game/DATA");
    tree_.MakeFile("Outside.TXT");
    SetStartFolder(tree_ / "game");
  }

  TestFolder tree_;
};

TEST_F(HostPathTest, ResolvesComponentsLikeACaseInsensitiveFileSystem) {
  struct Case {
    const char* what;
    std::string cp932;
    std::string host;  // relative to the start folder
  };
  const Case cases[] = {
      {"exact", "Image\\System\\Bar1.png", "Image/System/Bar1.png"},
      {"case folded, forward slashes", "IMAGE/system/bar1.PNG", "Image/System/Bar1.png"},
      {"Japanese name, CP932 to UTF-8", "image\\BGs\\\x8A\x69\x94\x5B\x8C\xC9.JPG",
       "Image/bgs/\xE6\xA0\xBC\xE7\xB4\x8D\xE5\xBA\xAB.jpg"},
      {"0x5C trail byte is no separator", "\x95\x5C\x8E\xA6\\A.TXT", "\xE8\xA1\xA8\xE7\xA4\xBA/a.txt"},
      {"raw CP932 name on disk, case folded", "\x83\x61.BIN", "\x83\x61.bin"},
      {"letter trail byte is not folded", "\x83\x41.bin", "\xE3\x82\xA2.bin"},  // ア.bin, missing
      {"exact case wins over folding", "Data\\x", "Data/x"},
      {"folding picks the smallest name", "data\\x", "DATA/x"},
      {"dot and dot-dot", "image\\.\\nothing\\..\\System\\.\\Bar1.png", "Image/System/Bar1.png"},
      {"missing components kept, converted", "image\\New Folder\\\x95\x5C.png",
       "Image/New Folder/\xE8\xA1\xA8.png"},
      {"unconvertible missing name kept raw", "image\\\x85\x40.txt", "Image/\x85\x40.txt"},
      {"doubled separators", "image\\\\System//Bar1.png", "Image/System/Bar1.png"},
      {"ends at an embedded NUL", std::string("image\0/System", 13), "Image"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolveHostPath(c.cp932), tree_ / "game/" + c.host) << c.what;
  }
  EXPECT_EQ(ResolveHostPath(""), tree_ / "game");
  EXPECT_EQ(ResolveHostPath("..\\outside.txt"), tree_ / "Outside.TXT");
}

TEST_F(HostPathTest, AbsolutePathsAreHostPaths) {
  std::string japanese = tree_ / "game/\xE8\xA1\xA8\xE7\xA4\xBA/a.txt";
  EXPECT_EQ(ResolveHostPath(japanese), japanese);
  EXPECT_EQ(ResolveHostPath(tree_ / "game/image/SYSTEM"), tree_ / "game/Image/System");
  EXPECT_EQ(ResolveHostPath("/../.."), "/");
  EXPECT_EQ(ResolveHostPath("\\"), "/");
}

TEST_F(HostPathTest, SeesFilesCreatedAfterAnEarlierLookup) {
  EXPECT_EQ(ResolveHostPath("image\\system\\later.png"), tree_ / "game/Image/System/later.png");
  tree_.MakeFile("game/Image/System/LATER.png");
  EXPECT_EQ(ResolveHostPath("image\\system\\later.png"), tree_ / "game/Image/System/LATER.png");
}

TEST(CurrentFolder, IsEnteredAndReadBack) {
  TestFolder tree;
  tree.MakeFolder("inner");
  const std::string before = CurrentFolder();
  ASSERT_FALSE(before.empty());
  const std::string inner = std::filesystem::canonical(tree / "inner").string();
  EXPECT_TRUE(SetCurrentFolder(tree / "inner"));
  EXPECT_EQ(CurrentFolder(), inner);
  EXPECT_FALSE(SetCurrentFolder(tree / "missing"));
  EXPECT_EQ(CurrentFolder(), inner);
  EXPECT_TRUE(SetCurrentFolder(before));
  EXPECT_EQ(CurrentFolder(), before);
}

TEST(SplitCp932Path, SplitsOnlyAtSingleByteSeparators) {
  auto parts = SplitCp932Path("\\a\x95\\\\b/\x81/c");
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0], "a\x95\\");
  EXPECT_EQ(parts[1], "b");
  EXPECT_EQ(parts[2], "\x81");  // a lead byte before '/' does not swallow it
  EXPECT_EQ(parts[3], "c");
}

}  // namespace
}  // namespace platform::os
