// The archive reader over archives made by the project's writer: keys and
// scrambling, the three ways of opening, lookups, the folder walk, member
// reads, and archives damaged field by field.
#include "library/foundation/files/archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "library/foundation/files/archive_test_support.h"
#include "library/foundation/files/decompress.h"
#include "library/foundation/files/read_budget.h"
#include "library/foundation/memory_log/allocation_watch_test_support.h"
#include "library/foundation/memory_log/log_test_support.h"

namespace veziv {
namespace {

using test::FileNode;
using test::FolderNode;
using test::MakeArchive;
using test::Noisy;
using test::Repetitive;
using tools::ArchiveWriteOptions;

std::string ReadMember(ArchiveRecord* record, const char* path) {
  ArchiveMemberState state;
  if (OpenArchiveMember(&state, record, path, 0) != 0) return "<missing>";
  std::string out;
  char buffer[1000];
  while (size_t n = ReadArchiveMember(&state, buffer, sizeof buffer)) out.append(buffer, n);
  CloseArchiveMember(&state);
  return out;
}

// A tree with stored and packed members, folders, and Shift-JIS names; "表"
// ends in the byte 0x5C.
std::vector<tools::ArchiveNode> SampleTree() {
  return {
      FileNode("Readme.txt", "hello archive"),
      FileNode("empty.bin", ""),
      FileNode("表.txt", Repetitive(5000)),
      FolderNode("image", {
                              FolderNode("Chara", {FileNode("a.png", Noisy(3000)),
                                                   FileNode("b.png", Repetitive(20000))}),
                              FileNode("bg.png", Noisy(100)),
                          }),
      FolderNode("表", {FileNode("ヂ.txt", "di"), FileNode("ア.txt", "a")}),
  };
}

struct Expected {
  const char* path;
  std::string bytes;
};

std::vector<Expected> SampleContents() {
  return {
      {"Readme.txt", "hello archive"},
      {"README.TXT", "hello archive"},
      {"empty.bin", ""},
      {"表.txt", Repetitive(5000)},
      {"image\\Chara\\a.png", Noisy(3000)},
      {"IMAGE/chara/B.PNG", Repetitive(20000)},
      {"\\image\\bg.png", Noisy(100)},
      {"表\\ヂ.txt", "di"},
      {"表/ア.txt", "a"},
  };
}

TEST(DeriveArchiveKey, GivesTheHandComputedBytes) {
  struct Case {
    const char* text;
    uint8_t key[12];
  };
  const Case cases[] = {
      // M o s s y L a r k P i e: NOT, swap, ^3C, swap NOT, NOT, ^A9, NOT,
      // rotl5 NOT, rotl3, ^67, swap ^D2, ^1E.
      {"MossyLarkPie", {0xB2, 0xF6, 0x4F, 0xC8, 0x86, 0xE5, 0x9E, 0xB1, 0x5B, 0x37, 0x44, 0x7B}},
      {"MossyLarkPie and more", {0xB2, 0xF6, 0x4F, 0xC8, 0x86, 0xE5, 0x9E, 0xB1, 0x5B, 0x37, 0x44, 0x7B}},
      {"A", {0xBE, 0x14, 0x7D, 0xEB, 0xBE, 0xE8, 0xBE, 0xD7, 0x0A, 0x26, 0xC6, 0x5F}},
      {nullptr, {0xA4, 0xB5, 0x67, 0x4A, 0xA4, 0xF2, 0xA4, 0x94, 0xDA, 0x3C, 0x67, 0x45}},
      {"", {0xA4, 0xB5, 0x67, 0x4A, 0xA4, 0xF2, 0xA4, 0x94, 0xDA, 0x3C, 0x67, 0x45}},
  };
  for (const Case& c : cases) {
    uint8_t key[12];
    DeriveArchiveKey(c.text, key);
    EXPECT_EQ(std::memcmp(key, c.key, 12), 0) << (c.text ? c.text : "(null)");
  }
  uint8_t fallback[12];
  FallbackArchiveKey(fallback);
  EXPECT_EQ(std::vector<uint8_t>(fallback, fallback + 12), std::vector<uint8_t>(12, 0x8F));
}

TEST(ScrambleArchiveBytes, IsKeyedByFilePositionAndUndoesItself) {
  uint8_t key[12];
  DeriveArchiveKey("MossyLarkPie", key);
  // Long enough for the word-at-a-time form and a tail after it.
  std::vector<uint8_t> whole(400);
  for (size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<uint8_t>(i * 7);
  const std::vector<uint8_t> plain = whole;
  ScrambleArchiveBytes(whole.size(), whole.data(), 0, key);
  // A range starting at odd file position 7 scrambles as the same bytes of the whole.
  std::vector<uint8_t> part(plain.begin() + 7, plain.begin() + 390);
  ScrambleArchiveBytes(part.size(), part.data(), 7, key);
  EXPECT_EQ(part, std::vector<uint8_t>(whole.begin() + 7, whole.begin() + 390));
  for (size_t k = 0; k < part.size(); ++k) EXPECT_EQ(part[k], plain[7 + k] ^ key[(7 + k) % 12]);
  ScrambleArchiveBytes(part.size(), part.data(), 7, key);
  EXPECT_EQ(part, std::vector<uint8_t>(plain.begin() + 7, plain.begin() + 390));
}

// The chosen key bytes and the layout, pinned: any change to them changes
// these bytes and makes existing archives unreadable.
TEST(ArchiveFormat, SmallArchiveBytesArePinned) {
  ArchiveWriteOptions options;
  options.key = "MossyLarkPie";
  const std::vector<uint8_t> image =
      MakeArchive({FileNode("a.txt", "abcabcabcabcabcabc"), FolderNode("D", {FileNode("x", "1")})}, options);
  uint64_t hash = 0xcbf29ce484222325ull;  // FNV-1a
  for (uint8_t b : image) hash = (hash ^ b) * 0x100000001b3ull;
  EXPECT_EQ(image.size(), 248u);
  EXPECT_EQ(hash, 1021994782439937732ull);
}

TEST(BuildArchiveSearchName, UpperCasesAsciiAndKeepsDoubleByteCharacters) {
  struct Case {
    const char* text;
    std::string bytes;
    size_t used;
  };
  const Case cases[] = {
      {"abc", std::string("ABC\0", 4), 3},
      {"Abcd.png\\rest", std::string("ABCD.PNG\0\0\0\0", 12), 8},
      {"ヂ", std::string("\x83\x61\0\0", 4), 2},  // trail byte 'a' stays
      {"表\\x", std::string("\x95\x5C\0\0", 4), 2},  // trail byte 0x5C is no separator
      {"", std::string("\0\0\0\0", 4), 0},
  };
  for (const Case& c : cases) {
    ArchiveSearchName name;
    EXPECT_EQ(BuildArchiveSearchName(c.text, &name), c.used) << c.text;
    EXPECT_EQ(name.bytes, c.bytes) << c.text;
    EXPECT_EQ(name.words, c.bytes.size() / 4) << c.text;
    uint32_t sum = 0;
    for (char ch : c.bytes) sum += static_cast<unsigned char>(ch);
    EXPECT_EQ(name.checksum, sum & 0xFFFF) << c.text;
  }
}

// How a test opens an archive image: over the caller's memory, from a file
// on disk, or from a file read whole into memory.
struct Opening {
  const char* name;
  std::function<int(ArchiveRecord*, std::vector<uint8_t>*, const char* key)> open;
};

std::vector<Opening> Openings(const test::TempFolder& folder) {
  return {
      {"memory", [](ArchiveRecord* r, std::vector<uint8_t>* image, const char* key) {
         return OpenArchiveFromMemory(r, image->data(), image->size(), key);
       }},
      {"disk", [&folder](ArchiveRecord* r, std::vector<uint8_t>* image, const char* key) {
         const std::string path = folder.Write("a.dat", *image);
         return OpenArchiveFileOnDisk(r, path.c_str(), key);
       }},
      {"whole file", [&folder](ArchiveRecord* r, std::vector<uint8_t>* image, const char* key) {
         const std::string path = folder.Write("b.dat", *image);
         return OpenArchiveFileToMemory(r, path.c_str(), key, 0);
       }},
  };
}

TEST(ArchiveRecord, RoundTripsEveryMemberThroughTheWriter) {
  struct Case {
    const char* name;
    uint16_t version;
    const char* writeKey;
    const char* readKey;
    bool fallback;
    bool pack;
  };
  const Case cases[] = {
      {"version 3, packed, 12-character key", 3, "MossyLarkPie", "MossyLarkPie", false, true},
      {"version 3, stored", 3, "MossyLarkPie", "MossyLarkPie", false, false},
      {"version 2, 1-character key", 2, "K", "K", false, true},
      {"version 1, 40-byte entries", 1, "MossyLarkPie", "MossyLarkPie", false, true},
      {"version 0", 0, "Key", "Key", false, true},
      {"13 characters act as the first 12", 3, "MossyLarkPie", "MossyLarkPieX", false, true},
      {"no key string", 3, "", nullptr, false, true},
      {"an empty key string is none", 3, "", "", false, true},
      {"fallback key, whatever key is given", 3, "", "Unrelated", true, true},
  };
  test::TempFolder folder;
  for (const Case& c : cases) {
    ArchiveWriteOptions options;
    options.version = c.version;
    options.key = c.writeKey;
    options.fallbackKey = c.fallback;
    options.pack = c.pack;
    for (const Opening& o : Openings(folder)) {
      std::vector<uint8_t> image = MakeArchive(SampleTree(), options);
      ArchiveRecord record;
      ASSERT_EQ(o.open(&record, &image, c.readKey), 0) << c.name << " / " << o.name;
      for (const Expected& e : SampleContents()) {
        EXPECT_EQ(ReadMember(&record, e.path), e.bytes) << c.name << " / " << o.name << " / " << e.path;
      }
      EXPECT_EQ(CloseArchiveRecord(&record), 0);
    }
  }
}

TEST(ArchiveRecord, PacksMembersOnlyFromVersion2AndWhenSmaller) {
  struct Case {
    uint16_t version;
    const char* path;
    bool packed;
  };
  const Case cases[] = {
      {3, "表.txt", true}, {3, "image\\Chara\\a.png", false}, {3, "empty.bin", false},
      {1, "表.txt", false},
  };
  for (const Case& c : cases) {
    ArchiveWriteOptions options;
    options.version = c.version;
    std::vector<uint8_t> image = MakeArchive(SampleTree(), options);
    ArchiveRecord record;
    ASSERT_EQ(OpenArchiveFromMemory(&record, image.data(), image.size(), nullptr), 0);
    ArchiveMemberState state;
    ASSERT_EQ(OpenArchiveMember(&state, &record, c.path, 0), 0);
    EXPECT_EQ(state.packed, c.packed) << c.version << " " << c.path;
    CloseArchiveMember(&state);
    CloseArchiveRecord(&record);
  }
}

TEST(ArchiveRecord, RefusesAWrongKeyAndWhatIsNoArchive) {
  ArchiveWriteOptions options;
  options.key = "MossyLarkPie";
  test::TempFolder folder;
  const std::vector<uint8_t> good = MakeArchive(SampleTree(), options);
  struct Case {
    const char* name;
    std::vector<uint8_t> image;
    const char* key;
  };
  const Case cases[] = {
      {"wrong key", good, "MossyLarkPiF"},
      {"default key for a keyed archive", good, nullptr},
      {"shorter than a header", std::vector<uint8_t>(good.begin(), good.begin() + 23), "MossyLarkPie"},
      {"text file", std::vector<uint8_t>(100, 'x'), "MossyLarkPie"},
  };
  for (const Case& c : cases) {
    for (const Opening& o : Openings(folder)) {
      std::vector<uint8_t> image = c.image;
      ArchiveRecord record;
      EXPECT_EQ(o.open(&record, &image, c.key), -1) << c.name << " / " << o.name;
      EXPECT_EQ(image, c.image) << c.name << " / " << o.name;
      EXPECT_FALSE(record.open);
    }
  }
  ArchiveRecord missing;
  EXPECT_EQ(OpenArchiveFileOnDisk(&missing, (folder.path() + "/none.dat").c_str(), nullptr), -1);
}

TEST(ArchiveRecord, CallersImageIsScrambledAgainAfterClose) {
  const std::vector<uint8_t> original = MakeArchive(SampleTree());
  std::vector<uint8_t> image = original;
  ArchiveRecord record;
  ASSERT_EQ(OpenArchiveFromMemory(&record, image.data(), image.size(), nullptr), 0);
  EXPECT_NE(image, original);
  EXPECT_EQ(GetArchiveMemoryImage(&record), image.data());
  EXPECT_EQ(OpenArchiveFromMemory(&record, image.data(), image.size(), nullptr), -1);  // in use
  uint32_t position = 0, size = 0;
  ASSERT_EQ(GetArchiveFileInfo(&record, "Readme.txt", &position, &size), 0);
  EXPECT_EQ(std::string(image.begin() + position, image.begin() + position + size), "hello archive");
  EXPECT_EQ(GetArchiveFileInfo(&record, "nothing.txt", &position, &size), -1);
  CloseArchiveRecord(&record);
  EXPECT_EQ(image, original);
  EXPECT_EQ(GetArchiveMemoryImage(&record), nullptr);
}

TEST(LocateArchiveEntry, MatchesAsciiInAnyCaseAndDoubleByteExactly) {
  std::vector<uint8_t> image = MakeArchive(SampleTree());
  ArchiveRecord record;
  ASSERT_EQ(OpenArchiveFromMemory(&record, image.data(), image.size(), nullptr), 0);
  struct Case {
    const char* path;
    bool found;
  };
  const Case cases[] = {
      {"readme.TXT", true},
      {"image\\chara\\A.PNG", true},
      {"表\\ア.txt", true},
      {"表\\ヂ.txt", true},
      {"表\\ァ.txt", false},       // 83 40: a neighbour of ア
      {"image", false},            // a folder is no file
      {"image\\", false},
      {"image\\Chara", false},
      {"Readme.txt\\x", false},    // a file is no folder
      {"image\\bg.png\\x", false},       // nor a file in the middle
      {"image\\\\Chara\\a.png", true},  // doubled separators count as one
      {"image\\Chara\\\\a.png", true},
      {"image\\\\bg.png", true},
      {"missing\\a.png", false},
      {"image\\missing\\a.png", false},
      {"Readme", false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(LocateArchiveEntry(c.path, &record) != nullptr, c.found) << c.path;
  // A lookup leaves the current folder where it was.
  ASSERT_EQ(ChangeArchiveFolder(&record, "image", 0, nullptr), 0);
  EXPECT_NE(LocateArchiveEntry("Chara\\a.png", &record), nullptr);
  EXPECT_NE(LocateArchiveEntry("bg.png", &record), nullptr);
  EXPECT_NE(LocateArchiveEntry("\\Readme.txt", &record), nullptr);
  EXPECT_EQ(LocateArchiveEntry("Readme.txt", &record), nullptr);
  EXPECT_NE(LocateArchiveEntry("bg.png", &record), nullptr);
  CloseArchiveRecord(&record);
}

TEST(ChangeArchiveFolder, WalksAndRestoresOnAMissingElement) {
  std::vector<uint8_t> image = MakeArchive(SampleTree());
  ArchiveRecord record;
  ASSERT_EQ(OpenArchiveFromMemory(&record, image.data(), image.size(), nullptr), 0);
  auto here = [&] { return LocateArchiveEntry("a.png", &record) != nullptr ? "Chara"
                           : LocateArchiveEntry("bg.png", &record) != nullptr ? "image"
                           : LocateArchiveEntry("Readme.txt", &record) != nullptr ? "root"
                           : LocateArchiveEntry("ア.txt", &record) != nullptr ? "表" : "?"; };
  EXPECT_EQ(ChangeArchiveFolder(&record, "..", 0, nullptr), -1);  // at the root
  EXPECT_EQ(ChangeArchiveFolder(&record, "image\\chara\\", 0, nullptr), 0);
  EXPECT_STREQ(here(), "Chara");
  EXPECT_EQ(ChangeArchiveFolder(&record, ".", 0, nullptr), 0);
  EXPECT_STREQ(here(), "Chara");
  EXPECT_EQ(ChangeArchiveFolder(&record, "..", 0, nullptr), 0);
  EXPECT_STREQ(here(), "image");
  EXPECT_EQ(ChangeArchiveFolder(&record, "\\", 0, nullptr), 0);
  EXPECT_STREQ(here(), "root");
  EXPECT_EQ(ChangeArchiveFolder(&record, "表", 0, nullptr), 0);
  EXPECT_STREQ(here(), "表");
  EXPECT_EQ(ChangeArchiveFolder(&record, "/image", 0, nullptr), 0);
  EXPECT_STREQ(here(), "image");

  // A missing element: with restore the walk goes back, without it stays
  // where it got to; either way the missing element's search name comes out.
  ArchiveSearchName name;
  EXPECT_EQ(ChangeArchiveFolder(&record, "chara\\nope\\x", 1, &name), -1);
  EXPECT_STREQ(here(), "image");
  EXPECT_EQ(name.bytes, std::string("NOPE\0\0\0\0", 8));
  EXPECT_EQ(ChangeArchiveFolder(&record, "chara\\nope", 0, &name), -1);
  EXPECT_STREQ(here(), "Chara");
  EXPECT_EQ(ChangeArchiveFolder(&record, "\\image\\bg.png", 1, nullptr), -1);  // a file
  EXPECT_STREQ(here(), "Chara");
  EXPECT_EQ(ChangeArchiveFolder(&record, "\\image\\Chara", 0, &name), 0);
  EXPECT_EQ(name.bytes, std::string("CHARA\0\0\0", 8));
  EXPECT_EQ(ChangeArchiveFolder(&record, "\\", 0, nullptr), 0);
  EXPECT_EQ(ChangeArchiveFolder(&record, "image\\\\Chara", 0, nullptr), 0);  // not back to the root
  EXPECT_STREQ(here(), "Chara");
  CloseArchiveRecord(&record);
}

TEST(ArchiveMember, ReadsSeeksAndReportsTheEnd) {
  const std::string data = Repetitive(1000);
  for (bool pack : {true, false}) {
    ArchiveWriteOptions options;
    options.pack = pack;
    std::vector<uint8_t> image = MakeArchive({FileNode("m.txt", data)}, options);
    test::TempFolder folder;
    ArchiveRecord record;
    ASSERT_EQ(OpenArchiveFileOnDisk(&record, folder.Write("m.dat", image).c_str(), nullptr), 0);
    for (int async : {0, 1}) {
      ArchiveMemberState s;
      ASSERT_EQ(OpenArchiveMember(&s, &record, "m.txt", async), 0);
      EXPECT_EQ(s.packed, pack);
      EXPECT_EQ(FinishArchiveMemberRead(&s), 1);
      char buffer[1200];
      EXPECT_EQ(ReadArchiveMember(&s, buffer, 10), 10u);
      EXPECT_EQ(std::string(buffer, 10), data.substr(0, 10));
      EXPECT_EQ(TellArchiveMember(&s), 10);
      EXPECT_EQ(SeekArchiveMember(&s, 5, 1), 0);
      EXPECT_EQ(ReadArchiveMember(&s, buffer, 5), 5u);
      EXPECT_EQ(std::string(buffer, 5), data.substr(15, 5));
      EXPECT_EQ(SeekArchiveMember(&s, -5, 0), 0);
      EXPECT_EQ(TellArchiveMember(&s), 0);
      EXPECT_EQ(SeekArchiveMember(&s, 5, 2), 0);
      EXPECT_EQ(TellArchiveMember(&s), 1000);
      EXPECT_EQ(SeekArchiveMember(&s, -3, 2), 0);
      EXPECT_EQ(SeekArchiveMember(&s, 0, 7), -1);
      // Reading exactly to the end leaves the end flag clear; the next read sets it.
      EXPECT_EQ(ReadArchiveMember(&s, buffer, sizeof buffer), 3u);
      EXPECT_EQ(std::string(buffer, 3), data.substr(997));
      EXPECT_EQ(EofArchiveMember(&s), 0);
      EXPECT_EQ(ReadArchiveMember(&s, buffer, 1), 0u);
      EXPECT_EQ(EofArchiveMember(&s), -1);
      EXPECT_EQ(SeekArchiveMember(&s, -1, 2), 0);
      EXPECT_EQ(EofArchiveMember(&s), 0);
      EXPECT_EQ(ReadArchiveMember(&s, buffer, 4), 1u);
      CloseArchiveMember(&s);
    }
    CloseArchiveRecord(&record);
  }
}

TEST(FindArchiveFolder, ListsEntriesInTableOrderWithTheirStoredNames) {
  std::vector<uint8_t> image = MakeArchive(SampleTree());
  ArchiveRecord record;
  ASSERT_EQ(OpenArchiveFromMemory(&record, image.data(), image.size(), nullptr), 0);
  auto list = [&](std::string_view path) {
    std::string out;
    ArchiveFolderView folder;
    if (!FindArchiveFolder(&record, path, &folder)) return std::string("<none>");
    out += folder.root ? "root:" : "sub:";
    for (uint32_t i = 0; i < folder.count; ++i) {
      std::string_view search;
      ArchiveEntryInfo info;
      EXPECT_TRUE(ReadArchiveFolderEntry(&record, folder, i, &search, &info));
      out += " " + std::string(search) + "=" + std::string(info.storedName) + (info.folder ? "/" : "") +
             std::to_string(info.size);
      EXPECT_EQ(info.creationTime, 0x01D0000000000000ull);
      EXPECT_EQ(info.lastWriteTime, 0x01D0000000000002ull);
    }
    return out;
  };
  EXPECT_EQ(list(""), "root: EMPTY.BIN=empty.bin0 IMAGE=image/0 README.TXT=Readme.txt13 "
                      "表=表/0 表.TXT=表.txt5000");
  EXPECT_EQ(list("image\\Chara"), "sub: A.PNG=a.png3000 B.PNG=b.png20000");
  EXPECT_EQ(list("image\\nothing"), "<none>");
  // The search leaves the current folder where it was.
  EXPECT_EQ(list("表"), "sub: ア.TXT=ア.txt1 ヂ.TXT=ヂ.txt2");
  EXPECT_EQ(list("").substr(0, 5), "root:");
  CloseArchiveRecord(&record);
}

// Damage one field of the plain archive, scramble it again, and open it: the
// archive or the member must be refused, and nothing read out of bounds.
TEST(ArchiveRecord, RefusesDamagedTablesAndMembers) {
  ArchiveWriteOptions options;
  options.key = "MossyLarkPie";
  const std::vector<uint8_t> scrambled =
      MakeArchive({FileNode("p.txt", Repetitive(4000)), FileNode("s.bin", Noisy(64)),
                   FolderNode("f", {FileNode("q", "q")})},
                  options);
  uint8_t key[12];
  DeriveArchiveKey("MossyLarkPie", key);
  std::vector<uint8_t> plain = scrambled;
  ScrambleArchiveBytes(plain.size(), plain.data(), 0, key);
  ArchiveHeader h;
  ReadArchiveHeader(plain.data(), &h);
  const uint32_t files = h.tableOffset + h.fileTableOffset;
  const uint32_t dirs = h.tableOffset + h.dirTableOffset;
  // Root entries sorted by search name: F, P.TXT, S.BIN.
  const uint32_t folderEntry = files, packedEntry = files + 44, storedEntry = files + 88;
  using Patch = std::function<void(std::vector<uint8_t>*)>;
  auto set32 = [](uint32_t at, uint32_t v) {
    return Patch([at, v](std::vector<uint8_t>* p) { StoreLe32(p->data() + at, v); });
  };
  struct Case {
    const char* name;
    Patch patch;
    bool opens;        // the archive opens
    const char* path;  // then this member is refused
  };
  const Case cases[] = {
      {"version 4", [](std::vector<uint8_t>* p) { StoreLe16(p->data() + 2, 4); }, false, nullptr},
      {"table block past the end", set32(4, h.tableSize + 1), false, nullptr},
      {"table offset past the end", set32(12, static_cast<uint32_t>(plain.size())), false, nullptr},
      {"data area past the end", set32(8, static_cast<uint32_t>(plain.size()) + 1), false, nullptr},
      {"file table past the block", set32(16, h.tableSize + 1), false, nullptr},
      {"no room for the root", set32(20, h.tableSize - 8), false, nullptr},
      {"root entry count too large", set32(dirs + 8, 0x10000000), true, "p.txt"},
      {"root entries past the block", set32(dirs + 12, h.tableSize), true, "p.txt"},
      {"name offset past the block", set32(packedEntry, h.tableSize - 2), true, "p.txt"},
      {"stored data past the end", set32(storedEntry + 36, static_cast<uint32_t>(plain.size())), true, "s.bin"},
      {"stored offset past the end", set32(storedEntry + 32, 0xFFFFFFF0u), true, "s.bin"},
      {"entry size differs from the packed header", set32(packedEntry + 36, 4001), true, "p.txt"},
      {"entry size far beyond the packed size", set32(packedEntry + 36, 0xFFFFFFFFu), true, "p.txt"},
      {"packed size below a header", set32(packedEntry + 40, 8), true, "p.txt"},
      {"packed size differs from the header", [&](std::vector<uint8_t>* p) {
         StoreLe32(p->data() + packedEntry + 40, LoadLe32(p->data() + packedEntry + 40) - 1);
       }, true, "p.txt"},
      {"packed body empty, its size kept", [&](std::vector<uint8_t>* p) {
         const uint32_t at = h.dataOffset + LoadLe32(p->data() + packedEntry + 32);
         StoreLe32(p->data() + packedEntry + 40, 9);
         StoreLe32(p->data() + at + 4, 9);
       }, true, "p.txt"},
      {"packed body damaged", [&](std::vector<uint8_t>* p) {
         const uint32_t at = h.dataOffset + LoadLe32(p->data() + packedEntry + 32);
         (*p)[at + 9] = (*p)[at + 8];  // the marker, then a code with offset width 3
         (*p)[at + 10] = 0xFF;
       }, true, "p.txt"},
      {"folder points past the directory table", set32(folderEntry + 32, 0x7FFFFFF0u), true, "f\\q"},
  };
  test::TempFolder folder;
  for (const Case& c : cases) {
    std::vector<uint8_t> damaged = plain;
    c.patch(&damaged);
    ScrambleArchiveBytes(damaged.size(), damaged.data(), 0, key);
    for (const Opening& o : Openings(folder)) {
      std::vector<uint8_t> image = damaged;
      ArchiveRecord record;
      const int opened = o.open(&record, &image, "MossyLarkPie");
      EXPECT_EQ(opened == 0, c.opens) << c.name << " / " << o.name;
      if (opened != 0) continue;
      ArchiveMemberState state;
      EXPECT_EQ(OpenArchiveMember(&state, &record, c.path, 0), -1) << c.name << " / " << o.name;
      CloseArchiveRecord(&record);
    }
  }
}

// A packed member may claim far more than its packed size (its unpacked size
// is only checked against what its codes can make): the reader-wide budget
// refuses it before the memory is taken, with the damaged-member line.
class ArchiveBudget : public test::LogFolderTest {
 protected:
  void TearDown() override {
    detail::SetMaxReadBytes(0);
    LogFolderTest::TearDown();
  }
};

TEST_F(ArchiveBudget, PackedMemberAboveTheBudgetIsRefusedBeforeItIsUnpacked) {
  VEZIV_NEED_ALLOCATION_WATCH();
  const std::string text = Repetitive(40000);
  test::TempFolder folder;
  for (const Opening& o : Openings(folder)) {
    SCOPED_TRACE(o.name);
    std::vector<uint8_t> image = MakeArchive({FileNode("p.txt", text)});
    ArchiveRecord record;
    ASSERT_EQ(o.open(&record, &image, nullptr), 0);
    ArchiveMemberState state;
    detail::SetMaxReadBytes(39999);
    {
      test::AllocationWatch watch;
      EXPECT_EQ(OpenArchiveMember(&state, &record, "p.txt", 0), -1);
      EXPECT_LT(watch.Largest(), 39999);
    }
    EXPECT_NE(ReadLogWithoutStamps().find("アーカイブ内のファイルが壊れています: p.txt"), std::string::npos);
    detail::SetMaxReadBytes(40000);
    ASSERT_EQ(OpenArchiveMember(&state, &record, "p.txt", 0), 0);
    EXPECT_TRUE(state.packed);
    CloseArchiveMember(&state);
    CloseArchiveRecord(&record);
  }
}

}  // namespace
}  // namespace veziv
