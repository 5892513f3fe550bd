// The archive cache over a temporary game folder holding writer-made archives:
// which archive serves a path, the last-archive memo, the settings, reference
// counts, and the find-pattern match.
#include "library/foundation/files/archive_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/foundation/files/archive.h"
#include "library/foundation/files/archive_test_support.h"
#include "library/foundation/files/fresh_files_test_support.h"
#include "platform/os/host_path.h"

namespace veziv {
namespace {

using test::FileNode;
using test::FolderNode;
using test::MakeArchive;

class ArchiveCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = platform::os::StartFolder();
    game_ = folder_.path() + "/Game";
    std::filesystem::create_directories(game_);
    platform::os::SetStartFolder(game_);
    ClearArchiveCache();
    StoreArchiveFileExtension("dat");
  }
  void TearDown() override {
    ClearArchiveCache();
    platform::os::SetStartFolder(saved_);
  }
  void WriteArchive(const std::string& relative, std::vector<tools::ArchiveNode> tree,
                    const std::string& key = "") {
    tools::ArchiveWriteOptions options;
    options.key = key;
    folder_.Write("Game/" + relative, MakeArchive(std::move(tree), options));
  }
  // The member's bytes through the cache, or "<none>" when no archive serves it.
  std::string ReadThroughCache(const char* path) {
    int index = -1;
    std::string inner;
    if (FindArchiveForPath(path, &index, nullptr, &inner) != 0) return "<none>";
    ArchiveMemberState state;
    std::string out = "<missing>";
    if (OpenArchiveMember(&state, CachedArchiveRecord(index), inner.c_str(), 0) == 0) {
      out.resize(state.size);
      ReadArchiveMember(&state, out.data(), out.size());
      CloseArchiveMember(&state);
    }
    ReleaseArchiveReference(index);
    return out;
  }

  test::TempFolder folder_;
  std::string game_;
  std::string saved_;
};

TEST_F(ArchiveCacheTest, ShortestFolderPrefixWinsAndLeadsToTheInnerPath) {
  WriteArchive("image.dat", {FolderNode("chara", {FileNode("a.png", "from image.dat")})});
  WriteArchive("Image/Chara.dat", {FileNode("a.png", "from chara.dat")});
  int index = -1;
  std::string archive, inner;
  ASSERT_EQ(FindArchiveForPath("image\\chara\\a.png", &index, &archive, &inner), 0);
  EXPECT_EQ(archive.substr(archive.size() - 10), "\\IMAGE.DAT");
  EXPECT_EQ(inner, "CHARA\\A.PNG");
  ReleaseArchiveReference(index);
  EXPECT_EQ(ReadThroughCache("image\\chara\\a.png"), "from image.dat");
  EXPECT_EQ(ReadThroughCache("IMAGE/Chara/../chara/./A.PNG"), "from image.dat");
}

TEST_F(ArchiveCacheTest, DeeperArchiveServesWhenNoShorterOneExists) {
  WriteArchive("image/chara.dat", {FileNode("a.png", "from chara.dat")});
  EXPECT_EQ(ReadThroughCache("image\\chara\\a.png"), "from chara.dat");
  EXPECT_EQ(ReadThroughCache("image\\other\\a.png"), "<none>");
  EXPECT_EQ(ReadThroughCache("a.png"), "<none>");
}

TEST_F(ArchiveCacheTest, FoldersAboveTheStartFolderNeverStandIn) {
  // <tmp>/Game.dat would be the archive of the start folder itself.
  tools::ArchiveWriteOptions options;
  folder_.Write("Game.dat", MakeArchive({FolderNode("image", {FileNode("a.png", "x")})}, options));
  EXPECT_EQ(ReadThroughCache("image\\a.png"), "<none>");
  EXPECT_EQ(ReadThroughCache((game_ + "/image/a.png").c_str()), "<none>");
}

TEST_F(ArchiveCacheTest, ExtensionSettingChoosesTheArchiveName) {
  WriteArchive("data.dat", {FileNode("f", "dat")});
  WriteArchive("data.VUR", {FileNode("f", "vur")});
  WriteArchive("data.pak", {FileNode("f", "pak")});
  struct Case {
    const char* extension;
    const char* expected;
  };
  const std::string tooLong(64, 'x');
  const Case cases[] = {
      {"dat", "dat"}, {"PAK", "pak"}, {nullptr, "vur"}, {"", "vur"}, {tooLong.c_str(), "vur"},
  };
  for (const Case& c : cases) {
    ClearArchiveCache();
    StoreArchiveFileExtension(c.extension);
    EXPECT_EQ(ReadThroughCache("data\\f"), c.expected) << (c.extension ? c.extension : "(null)");
  }
}

TEST_F(ArchiveCacheTest, KeySettingOpensKeyedArchives) {
  WriteArchive("keyed.dat", {FileNode("f", "secret")}, "MossyLarkPie");
  WriteArchive("plain.dat", {FileNode("f", "open")});
  struct Case {
    const char* key;
    const char* keyed;
    const char* plain;
  };
  const Case cases[] = {
      {"MossyLarkPie", "secret", "<none>"},
      {"MossyLarkPie and more", "secret", "<none>"},  // counts by its first 12
      {nullptr, "<none>", "open"},
      {"", "<none>", "open"},  // an empty key string is no key string
      {"Wrong", "<none>", "<none>"},
  };
  for (const Case& c : cases) {
    ClearArchiveCache();
    StoreArchiveFileExtension("dat");
    StoreArchiveKeyText(c.key);
    EXPECT_EQ(ReadThroughCache("keyed\\f"), c.keyed) << (c.key ? c.key : "(null)");
    EXPECT_EQ(ReadThroughCache("plain\\f"), c.plain) << (c.key ? c.key : "(null)");
  }
}

TEST_F(ArchiveCacheTest, DoubleByteFolderNameWithTrailBackslashIsOneElement) {
  // 表 is 95 5C in CP932: its trail byte is the backslash.
  folder_.Write("Game/\xE8\xA1\xA8.dat", MakeArchive({FileNode("a.txt", "hyou")}));
  EXPECT_EQ(ReadThroughCache("表\\a.txt"), "hyou");
}

TEST_F(ArchiveCacheTest, ArchiveFileIsOpenedInTheCaseThePathGives) {
  // Two archive files that differ only in case: the one the path spells is
  // opened, not the upper-cased name that the cache compares.
  WriteArchive("data.dat", {FileNode("f", "lower")});
  WriteArchive("DATA.DAT", {FileNode("f", "upper")});
  WriteArchive("Mixed/Sub.dat", {FileNode("f", "mixed")});
  struct Case {
    const char* path;
    const char* expected;
  };
  const Case cases[] = {
      {"data\\f", "lower"},
      {"DATA\\f", "upper"},
      {"mixed\\sub\\f", "mixed"},  // no exact name: the resolver folds case
  };
  for (const Case& c : cases) {
    ClearArchiveCache();
    StoreArchiveFileExtension("dat");
    EXPECT_EQ(ReadThroughCache(c.path), c.expected) << c.path;
  }
}

TEST_F(ArchiveCacheTest, LastArchiveMemoReusesTheCacheEntry) {
  WriteArchive("se.dat", {FileNode("a.wav", "a"), FileNode("b.wav", "b"), FolderNode("sub", {FileNode("c.wav", "c")})});
  EXPECT_EQ(ReadThroughCache("se\\a.wav"), "a");
  EXPECT_EQ(ReadThroughCache("se\\b.wav"), "b");
  EXPECT_EQ(ReadThroughCache("se\\sub\\c.wav"), "c");
  EXPECT_EQ(ReadThroughCache("se\\missing.wav"), "<missing>");
  EXPECT_EQ(detail::ArchiveOpens(), 1);
  // Released from the cache, the memo's archive is opened again.
  ReleaseUnusedArchives();
  EXPECT_EQ(ReadThroughCache("se\\a.wav"), "a");
  EXPECT_EQ(detail::ArchiveOpens(), 2);
}

TEST_F(ArchiveCacheTest, MemoDoesNotOutliveAMoveOfTheStartFolder) {
  WriteArchive("image.dat", {FolderNode("chara", {FileNode("a.png", "outer")})});
  EXPECT_EQ(ReadThroughCache("image\\chara\\a.png"), "outer");
  // From inside image/, image.dat lies above the start folder.
  platform::os::SetStartFolder(game_ + "/image");
  EXPECT_EQ(ReadThroughCache("chara\\a.png"), "<none>");
}

TEST_F(ArchiveCacheTest, ReleasingKeepsArchivesStillInUse) {
  WriteArchive("a.dat", {FileNode("f", "a")});
  WriteArchive("b.dat", {FileNode("f", "b")});
  int a = -1, b = -1;
  ASSERT_EQ(FindArchiveForPath("a\\f", &a, nullptr, nullptr), 0);
  ASSERT_EQ(FindArchiveForPath("b\\f", &b, nullptr, nullptr), 0);
  ASSERT_EQ(FindArchiveForPath("a\\g", &a, nullptr, nullptr), 0);
  EXPECT_EQ(detail::ArchiveReferenceCount(a), 2);
  ReleaseArchiveReference(b);
  ReleaseArchiveReference(b);  // never below 0
  EXPECT_EQ(detail::ArchiveReferenceCount(b), 0);
  ReleaseAllArchives();
  EXPECT_EQ(detail::ArchiveReferenceCount(b), -1);
  EXPECT_EQ(detail::ArchiveReferenceCount(a), 2);
  EXPECT_NE(CachedArchiveRecord(a), nullptr);
  ReleaseArchiveReference(a);
  ReleaseArchiveReference(a);
  ReleaseAllArchives();
  EXPECT_EQ(CachedArchiveRecord(a), nullptr);
}

TEST_F(ArchiveCacheTest, FullCacheOfArchivesInUseRefusesAnother) {
  for (int i = 0; i <= kArchiveCacheSlots; ++i) {
    WriteArchive("a" + std::to_string(i) + ".dat", {FileNode("f", std::to_string(i))});
  }
  std::vector<int> held;
  for (int i = 0; i < kArchiveCacheSlots; ++i) {
    int index = -1;
    ASSERT_EQ(FindArchiveForPath(("a" + std::to_string(i) + "\\f").c_str(), &index, nullptr, nullptr), 0);
    held.push_back(index);
  }
  const std::string last = "a" + std::to_string(kArchiveCacheSlots) + "\\f";
  EXPECT_EQ(FindArchiveForPath(last.c_str(), nullptr, nullptr, nullptr), -1);
  ReleaseArchiveReference(held[7]);  // now unused, so it makes room
  int index = -1;
  ASSERT_EQ(FindArchiveForPath(last.c_str(), &index, nullptr, nullptr), 0);
  EXPECT_EQ(index, held[7]);
}

TEST_F(ArchiveCacheTest, FullPathIsUpperCasedFromTheStartFolder) {
  std::string full, start;
  ASSERT_EQ(MakeArchiveFullPath(nullptr, &start), 0);
  EXPECT_EQ(start.substr(start.size() - 5), "\\GAME");
  ASSERT_EQ(MakeArchiveFullPath("image/./Sub\\..\\a.png", &full), 0);
  EXPECT_EQ(full, start + "\\IMAGE\\A.PNG");
  ASSERT_EQ(MakeArchiveFullPath("表\\ヂ.txt", &full), 0);
  EXPECT_EQ(full, start + "\\表\\ヂ.TXT");  // the trail byte 'a' of ヂ stays
  EXPECT_EQ(MakeArchiveFullPath("x", nullptr), -1);
}

TEST(MatchFindPattern, MatchesWithoutBacktracking) {
  struct Case {
    const char* pattern;
    const char* name;
    int result;
  };
  const Case cases[] = {
      {"*", "ANYTHING.PNG", 0},
      {"*", "", 0},
      {"**", "A", 0},
      {"A.PNG", "A.PNG", 0},
      {"A.PNG", "A.PN", -1},
      {"A.PN", "A.PNG", -1},
      {"?.PNG", "A.PNG", 0},
      {"?.PNG", ".PNG", -1},
      {"*.PNG", "FACE.PNG", 0},
      {"*.PNG", "A.B.PNG", -1},  // "*" stops at the first "."
      {"*.*", "A.B.PNG", 0},
      {"*.*", "NODOT", -1},
      {"F*E.PNG", "FACE.PNG", 0},
      {"F*E.PNG", "FEE.PNG", -1},  // stops at the first "E"
      {"*?", "A", 0},  // "?" occurs at once after "*", so "*?" is "?"
      {"*?", "AB", -1},
      {"*.PNG", "A.PNGX", -1},
      {"表*", "表紙.TXT", 0},
      {"*表", "ア表", 0},
      {"*\\", "表", -1},  // the trail byte 0x5C of 表 is not a "\"
      {"ア", "ヂ", -1},
      {"?", "ア", -1},  // "?" is one byte; ア is two
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchFindPattern(c.pattern, c.name), c.result) << c.pattern << " " << c.name;
  }
}

}  // namespace
}  // namespace veziv
