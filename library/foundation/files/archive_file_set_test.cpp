// The archive-aware file set as the installed default, over a temporary game
// folder: the same bytes from an archive as from the folder it was packed
// from, which of the two serves a path, the handle limit, finds, and the
// reference counts that open files and finds hold.
#include "library/foundation/files/archive_file_set.h"

#include <gtest/gtest.h>

#include <future>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "library/foundation/core/manual_reset_event.h"
#include "library/foundation/files/archive_cache.h"
#include "library/foundation/files/archive_test_support.h"
#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/fresh_files_test_support.h"
#include "library/foundation/files/plain_file.h"
#include "library/foundation/memory_log/log_test_support.h"
#include "platform/os/host_path.h"
#include "tools/archive_writer.h"

namespace veziv {
namespace {

using test::FileNode;
using test::FolderNode;
using test::MakeArchive;

class ArchiveFileSetTest : public test::LogFolderTest {
 protected:
  void SetUp() override {
    LogFolderTest::SetUp();
    saved_ = platform::os::StartFolder();
    detail::StartFileFunctionsAfresh();
    detail::StartArchiveFilesAfresh();
    SetFileFunctionTable(nullptr);
    StoreArchiveFileExtension("dat");
    platform::os::SetStartFolder(folder_.path());
  }
  void TearDown() override {
    detail::StartArchiveFilesAfresh();
    detail::StartFileFunctionsAfresh();
    platform::os::SetStartFolder(saved_);
    LogFolderTest::TearDown();
  }
  void WriteArchive(const std::string& relative, std::vector<tools::ArchiveNode> tree) {
    folder_.Write(relative, MakeArchive(std::move(tree)));
  }
  // Every byte of a file through the installed table, or "<no file>".
  static std::string ReadAll(const char* path) {
    const FileHandle h = OpenFileForRead(path, 0);
    if (h == 0) return "<no file>";
    std::string out;
    char c;
    while (ReadFileElements(&c, 1, h) == 1) out += c;
    EXPECT_EQ(FileStreamEof(h), -1) << path;
    EXPECT_EQ(FileStreamClose(h), 0);
    return out;
  }
  std::vector<std::string> Find(const char* pattern) {
    std::vector<std::string> names;
    FileFindRecord record;
    const int h = ArchiveFindFirst(pattern, &record);
    if (h == -1) return {"<none>"};
    do {
      names.push_back(std::string(record.name) + (record.directory ? "/" : ""));
    } while (ArchiveFindNext(h, &record) == 0);
    EXPECT_EQ(ArchiveFindClose(h), 0);
    return names;
  }

  test::TempFolder folder_;
  std::string saved_;
};

TEST_F(ArchiveFileSetTest, PackedFolderReadsExactlyLikeTheFolder) {
  // The same tree twice: as plain files under plain/, packed from there into packed/data.dat.
  struct File {
    const char* host;     // UTF-8, below data/
    const char* library;  // CP932, below the data folder
    std::string bytes;
  };
  const File files[] = {
      {"stage1.txt", "stage1.txt", "line one\r\nline two\r\n" + test::Repetitive(3000)},
      {"Image/Chara/face.png", "image\\chara\\FACE.png", test::Noisy(5000)},
      {"Image/bg.bmp", "IMAGE/bg.bmp", test::Repetitive(70000)},
      {"\xE8\xA1\xA8/\xE3\x82\xA2.txt", "表\\ア.txt", "hyou a"},
      {"empty.dat", "empty.dat", ""},
  };
  for (const File& f : files) folder_.Write(std::string("plain/data/") + f.host, f.bytes);
  tools::ArchiveWriteOptions options;
  options.key = "MossyLarkPie";
  std::string error;
  std::filesystem::create_directories(folder_.path() + "/packed");
  ASSERT_TRUE(tools::PackFolderToArchive(folder_.path() + "/plain/data", folder_.path() + "/packed/data.dat",
                                         options, &error))
      << error;
  StoreArchiveKeyText("MossyLarkPie");
  for (const char* game : {"plain", "packed"}) {
    platform::os::SetStartFolder(folder_.path() + "/" + game);
    for (const File& f : files) {
      const std::string path = std::string("data\\") + f.library;
      EXPECT_EQ(ReadAll(path.c_str()), f.bytes) << game << " " << f.host;
    }
    // Text lines come back the same way too.
    const FileHandle h = OpenFileForRead("data\\stage1.txt", 0);
    ASSERT_NE(h, 0) << game;
    char line[64];
    EXPECT_EQ(ReadFileLine(line, sizeof line, h), 8);
    EXPECT_STREQ(line, "line one");
    EXPECT_EQ(ReadFileLine(line, sizeof line, h), 8);
    EXPECT_STREQ(line, "line two");
    FileStreamClose(h);
  }
}

TEST_F(ArchiveFileSetTest, OddPathsGiveWhatTheFolderGives) {
  // A namesake of chara\a.png at the top of the folder, where a walk taken back
  // to the top by an empty element would find it.
  folder_.Write("plain/data/a.png", "top a");
  folder_.Write("plain/data/chara/a.png", "chara a");
  std::filesystem::create_directories(folder_.path() + "/packed");
  std::string error;
  ASSERT_TRUE(tools::PackFolderToArchive(folder_.path() + "/plain/data", folder_.path() + "/packed/data.dat",
                                         tools::ArchiveWriteOptions{}, &error))
      << error;
  struct Case {
    const char* path;
    const char* bytes;
  };
  const Case cases[] = {
      {"data\\chara\\a.png", "chara a"},
      {"data\\\\chara\\a.png", "chara a"},
      {"data\\chara\\\\a.png", "chara a"},
      {"data//chara//a.png", "chara a"},
      {"data\\chara\\a.png\\a.png", "<no file>"},  // no file lies below a file
      {"data\\a.png\\chara\\a.png", "<no file>"},
  };
  for (const char* game : {"plain", "packed"}) {
    platform::os::SetStartFolder(folder_.path() + "/" + game);
    for (const Case& c : cases) EXPECT_EQ(ReadAll(c.path), c.bytes) << game << " " << c.path;
  }
}

TEST_F(ArchiveFileSetTest, ArchiveServesItsFolderAndHidesTheDiskFiles) {
  WriteArchive("image.dat", {FolderNode("chara", {FileNode("a.png", "archived a")})});
  folder_.Write("image/chara/a.png", "disk a");
  folder_.Write("image/chara/b.png", "disk b");
  folder_.Write("sound/se.wav", "disk se");
  folder_.Write("top.txt", "disk top");
  EXPECT_EQ(ReadAll("image\\chara\\a.png"), "archived a");
  EXPECT_EQ(ReadAll("image\\chara\\b.png"), "<no file>");  // not in image.dat
  EXPECT_EQ(ReadAll("sound\\se.wav"), "disk se");
  EXPECT_EQ(ReadAll("top.txt"), "disk top");
  EXPECT_EQ(ReadAll("sound\\missing.wav"), "<no file>");
}

TEST_F(ArchiveFileSetTest, ReadCountsBytesForMembersAndElementsForPlainFiles) {
  WriteArchive("m.dat", {FileNode("ten", "0123456789")});
  folder_.Write("p/ten", "0123456789");
  struct Case {
    const char* path;
    size_t firstRead;  // 4 x 3 asked for
  };
  const Case cases[] = {{"m\\ten", 10}, {"p\\ten", 2}};
  for (const Case& c : cases) {
    const FileHandle h = ArchiveFileOpen(c.path, 0, 1, 0);
    ASSERT_NE(h, 0) << c.path;
    char buffer[12] = {};
    EXPECT_EQ(ArchiveFileRead(buffer, 4, 3, h), c.firstRead) << c.path;
    EXPECT_EQ(ArchiveFileIdleCheck(h), 1);
    ArchiveFileClose(h);
  }
}

TEST_F(ArchiveFileSetTest, SeekTellAndEndOfMembers) {
  WriteArchive("m.dat", {FileNode("f", "abcdefghij")});
  const FileHandle h = ArchiveFileOpen("m\\f", 0, 1, 0);
  ASSERT_NE(h, 0);
  EXPECT_EQ(static_cast<uint32_t>(h) & 0xF0000000u, 0xF0000000u);
  char buffer[16];
  EXPECT_EQ(ArchiveFileSeek(h, -3, 2), 0);
  EXPECT_EQ(ArchiveFileTell(h), 7);
  EXPECT_EQ(ArchiveFileRead(buffer, 1, 16, h), 3u);
  EXPECT_EQ(ArchiveFileEof(h), 0);
  EXPECT_EQ(ArchiveFileRead(buffer, 1, 16, h), 0u);
  EXPECT_EQ(ArchiveFileEof(h), -1);
  EXPECT_EQ(ArchiveFileSeek(h, 100, 0), 0);
  EXPECT_EQ(ArchiveFileTell(h), 10);
  EXPECT_EQ(ArchiveFileClose(h), 0);
  // A closed or made-up handle is refused by every operation.
  for (FileHandle bad : {h, FileHandle{0}, FileHandle{5}, static_cast<FileHandle>(0xF0000000u | 600u)}) {
    EXPECT_EQ(ArchiveFileClose(bad), -1);
    EXPECT_EQ(ArchiveFileTell(bad), -1);
    EXPECT_EQ(ArchiveFileSeek(bad, 0, 0), -1);
    EXPECT_EQ(ArchiveFileRead(buffer, 1, 1, bad), static_cast<size_t>(-1));
    EXPECT_EQ(ArchiveFileEof(bad), -1);
    EXPECT_EQ(ArchiveFileIdleCheck(bad), -1);
  }
}

TEST_F(ArchiveFileSetTest, The513thOpenFileFailsWithALogLine) {
  WriteArchive("m.dat", {FileNode("f", "x")});
  folder_.Write("plain.txt", "p");
  std::vector<FileHandle> open;
  for (int i = 0; i < kArchiveFileSlots; ++i) {
    open.push_back(ArchiveFileOpen(i % 2 ? "m\\f" : "plain.txt", 0, 1, 0));
    ASSERT_NE(open.back(), 0) << i;
  }
  EXPECT_EQ(ArchiveFileOpen("m\\f", 0, 1, 0), 0);
  EXPECT_NE(ReadLogWithoutStamps().find("同時に開けるファイルの数が限界を超えました\r\n"), std::string::npos);
  EXPECT_EQ(ArchiveFileClose(open[100]), 0);
  const FileHandle again = ArchiveFileOpen("m\\f", 0, 1, 0);
  EXPECT_EQ(again, open[100]);  // the freed slot
  for (FileHandle h : open) ArchiveFileClose(h);
}

TEST_F(ArchiveFileSetTest, OpenFilesAndFindsHoldTheirArchive) {
  WriteArchive("m.dat", {FileNode("f", "x"), FileNode("g", "y")});
  const FileHandle a = ArchiveFileOpen("m\\f", 0, 1, 0);
  const FileHandle b = ArchiveFileOpen("m\\g", 0, 1, 0);
  EXPECT_EQ(ArchiveFileOpen("m\\missing", 0, 1, 0), 0);  // takes no reference
  int index = -1;
  ASSERT_EQ(FindArchiveForPath("m\\f", &index, nullptr, nullptr), 0);
  ReleaseArchiveReference(index);
  EXPECT_EQ(detail::ArchiveReferenceCount(index), 2);
  const int find = ArchiveFindFirst("m\\*", nullptr);
  ASSERT_NE(find, -1);
  EXPECT_EQ(detail::ArchiveReferenceCount(index), 3);
  ArchiveFileClose(a);
  ReleaseAllArchives();
  EXPECT_EQ(detail::ArchiveReferenceCount(index), 2);
  ArchiveFindClose(find);
  ArchiveFileClose(b);
  EXPECT_EQ(detail::ArchiveReferenceCount(index), 0);
  ReleaseAllArchives();
  EXPECT_EQ(detail::ArchiveReferenceCount(index), -1);
}

TEST_F(ArchiveFileSetTest, FindListsVirtualEntriesThenTableOrder) {
  WriteArchive("data.dat", {FileNode("b.png", "bb"), FileNode("a.b.png", "ab"), FileNode("Readme.txt", "r"),
                            FolderNode("Sub", {FileNode("x.png", "x"), FileNode("y.txt", "y")})});
  folder_.Write("plain/one.png", "1");
  struct Case {
    const char* pattern;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"data\\*", {"./", "a.b.png", "b.png", "Readme.txt", "Sub/"}},
      {"data\\*.png", {"b.png"}},  // not "a.b.png": "*" stops at its first "."
      {"data\\sub\\*", {"./", "../", "x.png", "y.txt"}},
      {"data\\SUB\\*.PNG", {"x.png"}},
      {"data\\?.png", {"b.png"}},
      {"data\\readme.*", {"Readme.txt"}},
      {"data\\nothing\\*", {"<none>"}},
      {"data\\*.bmp", {"<none>"}},
      {"plain\\*.png", {"one.png"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Find(c.pattern), c.names) << c.pattern;
  // Sizes and the directory flag of real entries.
  FileFindRecord record;
  const int h = ArchiveFindFirst("data\\b.png", &record);
  ASSERT_NE(h, -1);
  EXPECT_STREQ(record.name, "b.png");
  EXPECT_EQ(record.sizeLow, 2u);
  EXPECT_EQ(record.directory, 0);
  EXPECT_EQ(ArchiveFindNext(h, &record), -1);
  EXPECT_EQ(ArchiveFindClose(h), 0);
  EXPECT_EQ(ArchiveFindClose(h), -1);
}

TEST_F(ArchiveFileSetTest, ThreadsReadMembersAtTheSameTime) {
  std::vector<tools::ArchiveNode> tree;
  for (int i = 0; i < 8; ++i) tree.push_back(FileNode("f" + std::to_string(i), test::Repetitive(2000 + i)));
  WriteArchive("m.dat", tree);
  auto worker = [](int seed, int* failures) {
    for (int round = 0; round < 50; ++round) {
      const int i = (seed + round) % 8;
      const std::string path = "m\\f" + std::to_string(i);
      if (ReadAll(path.c_str()) != test::Repetitive(2000 + i)) ++*failures;
    }
  };
  int failures[4] = {};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(worker, t, &failures[t]);
  for (std::thread& t : threads) t.join();
  for (int f : failures) EXPECT_EQ(f, 0);
}

TEST_F(ArchiveFileSetTest, ReadsGoOnWhileAnotherThreadOpensAFile) {
  WriteArchive("m.dat", {FileNode("f", "member")});
  folder_.Write("plain.bin", std::string("plain"));
  const FileHandle member = OpenFileForRead("m\\f", 0);
  ASSERT_NE(member, 0);
  // The plain file's thread stops inside its open until the gate opens.
  ManualResetEvent opening(false), gate(false);
  detail::FileThreadHooks hooks;
  hooks.beforeCommand = [&](int command) {
    if (command != kFileThreadOpen) return;
    opening.Set();
    gate.Wait();
  };
  detail::SetFileThreadHooks(hooks);
  std::thread opener([] {
    const FileHandle h = FileStreamOpen("plain.bin", 1, 1, 0);
    EXPECT_NE(h, 0);
    EXPECT_EQ(FileStreamClose(h), 0);
  });
  opening.Wait();
  auto read = std::async(std::launch::async, [member] {
    char bytes[6] = {};
    return FileStreamRead(bytes, 1, sizeof bytes, member) == 6 && std::string(bytes, 6) == "member";
  });
  // A bound only so that a read stuck behind the open cannot hang the run.
  const bool readDuringOpen = read.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
  gate.Set();
  opener.join();
  EXPECT_TRUE(readDuringOpen);
  EXPECT_TRUE(read.get());
  detail::StartPlainFilesAfresh();
  EXPECT_EQ(FileStreamClose(member), 0);
}

}  // namespace
}  // namespace veziv
