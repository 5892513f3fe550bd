// The writer's own checks and its reading of host folders; what it writes is
// read back by the library's reader in library/foundation/files/archive_test.cpp.
#include "tools/archive_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "library/foundation/files/archive_test_support.h"

namespace veziv::tools {
namespace {

namespace fs = std::filesystem;

using test::TempFolder;

const ArchiveNode* Child(const ArchiveNode& node, const std::string& name) {
  for (const ArchiveNode& c : node.children) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

TEST(ReadHostFolder, ConvertsNamesToCodePage932AndKeepsTheTree) {
  TempFolder t;
  t.Write("\xE8\xA1\xA8.txt", "hyou");  // UTF-8 of the kanji whose CP932 trail byte is 0x5C
  t.Write("Sub/Deep/a.bin", std::string("\0\1\2", 3));
  fs::create_directories(fs::path(t.path()) / "Empty");
  ArchiveNode root;
  std::string error;
  ASSERT_TRUE(ReadHostFolder(t.path(), &root, &error)) << error;
  const ArchiveNode* kanji = Child(root, "\x95\x5C.txt");
  ASSERT_NE(kanji, nullptr);
  EXPECT_EQ(kanji->data, "hyou");
  EXPECT_FALSE(kanji->folder);
  EXPECT_NE(kanji->writeTime, 0u);
  const ArchiveNode* sub = Child(root, "Sub");
  ASSERT_NE(sub, nullptr);
  ASSERT_TRUE(sub->folder);
  const ArchiveNode* deep = Child(*sub, "Deep");
  ASSERT_NE(deep, nullptr);
  ASSERT_NE(Child(*deep, "a.bin"), nullptr);
  EXPECT_EQ(Child(*deep, "a.bin")->data, std::string("\0\1\2", 3));
  const ArchiveNode* empty = Child(root, "Empty");
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->folder);
  EXPECT_TRUE(empty->children.empty());
}

TEST(ReadHostFolder, RefusesNamesWithoutACodePage932Form) {
  TempFolder t;
  t.Write("\xF0\x9F\x98\x80.png", "x");  // an emoji
  ArchiveNode root;
  std::string error;
  EXPECT_FALSE(ReadHostFolder(t.path(), &root, &error));
  EXPECT_NE(error.find("CP932"), std::string::npos);
}

TEST(WriteArchiveImage, RefusesWhatTheReaderCouldNotServe) {
  struct Case {
    const char* name;
    std::vector<std::string> names;
    uint16_t version;
  };
  const Case cases[] = {
      {"names equal but for ASCII case", {"a.png", "A.PNG"}, 3},
      {"an empty name", {""}, 3},
      {"a separator inside a name", {"a\\b"}, 3},
      {"version 4", {"a"}, 4},
  };
  for (const Case& c : cases) {
    ArchiveNode root;
    root.folder = true;
    for (const std::string& n : c.names) root.children.push_back(ArchiveNode{n, false, 0, 0, 0, "x", {}});
    ArchiveWriteOptions options;
    options.version = c.version;
    std::vector<uint8_t> out;
    std::string error;
    EXPECT_FALSE(WriteArchiveImage(root, options, &out, &error)) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
  }
}

TEST(PackFolderToArchive, WritesTheFileAndReportsAMissingFolder) {
  TempFolder t;
  t.Write("in/a.txt", "alpha");
  const std::string out = t.path() + "/out.dat";
  std::string error;
  ASSERT_TRUE(PackFolderToArchive(t.path() + "/in", out, ArchiveWriteOptions{}, &error)) << error;
  EXPECT_GT(fs::file_size(out), 24u);
  EXPECT_FALSE(PackFolderToArchive(t.path() + "/missing", out, ArchiveWriteOptions{}, &error));
}

}  // namespace
}  // namespace veziv::tools
