// The save slot files: the format of every kind, damaged files, the kind
// table, the header table, the load errors and a save killed half-way.
#include "game/core/slot_files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

#include "game/battle/stage.h"
#include "game/core/frame_loop.h"
#include "game/core/jpeg_size.h"
#include "game/core/ranking.h"
#include "game/core/session.h"
#include "game/core/slot_fixtures_test_support.h"
#include "game/core/started_library_test_support.h"
#include "game/core/story_mode_hooks_test_support.h"
#include "library/veziv.h"
#include "platform/os/temp_folder_test_support.h"

namespace game {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

Bytes reencode(slotContents& contents) {
  Bytes out;
  encodeSlot(out, contents.header, contents.thumbnail, contents.kind, &contents.story,
             contents.kind == kSaveStory ? nullptr : &contents.battle);
  return out;
}

TEST(SlotFormat, EveryKindReadsBackAndWritesTheSameBytes) {
  for (const test::SlotFixture& f : test::loadableSlotFixtures()) {
    SCOPED_TRACE(f.name);
    slotContents contents;
    ASSERT_EQ(decodeSlot(f.bytes.data(), f.bytes.size(), contents), nullptr);
    EXPECT_EQ(reencode(contents), f.bytes);
  }
}

TEST(SlotFormat, TheSectionsLieWhereTheFormatPutsThem) {
  const test::SlotFixture fx4 = test::loadableSlotFixtures()[3];
  slotContents c;
  ASSERT_EQ(decodeSlot(fx4.bytes.data(), fx4.bytes.size(), c), nullptr);
  EXPECT_EQ(c.kind, kSaveBattle);
  EXPECT_EQ(c.thumbnail, test::fakeThumbnail());
  EXPECT_EQ(c.header.money, 4321);
  EXPECT_STREQ(c.battle.folder, "stages/チュートリアル");
  EXPECT_EQ(c.battle.enemies.size(), 2u);
  EXPECT_EQ(c.battle.enemies[1]->getTypeId(), battle::kDualImageEnemyTypeId);
  EXPECT_EQ(c.battle.bullets.size(), 2u);
  EXPECT_EQ(c.battle.bullets[1]->owner, 4);
  EXPECT_EQ(c.battle.playerCount, 2);
  EXPECT_EQ(c.battle.players[1].score, 24690);
  EXPECT_STREQ(c.battle.players[1].pilotName, "オルナ");

  // Size by size: header, n, JPEG, kind, folder, the lists (4 + 2 x (4 +
  // record) for each), four words, two 222-byte player blocks, two empty effect
  // layers.
  const size_t expected = kGameHeaderSize + 4 + test::fakeThumbnail().size() + 4 + 256 + (4 + 4 + 84 + 4 + 92) +
                          (4 + 2 * (4 + 56)) + 4 + 16 + 2 * kPlayerBlockSize + 8;
  EXPECT_EQ(fx4.bytes.size(), expected);

  // The player block is 222 bytes with the name at 4 and the shown score last.
  Bytes block;
  battle::RecordWriter w(block);
  writePlayerBlock(w, test::fixturePlayer(1));
  ASSERT_EQ(block.size(), size_t{kPlayerBlockSize});
  EXPECT_EQ(readLeI32(block.data()), 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data() + 4)), "ヴェルク");
  EXPECT_EQ(readLeI32(block.data() + 145), 12345);
  EXPECT_EQ(readLeI32(block.data() + 161), 2);  // main weapon id
  EXPECT_EQ(readLeI32(block.data() + 177 + 20),
            3);                                 // sub weapon id, its sixth word
  EXPECT_EQ(readLeI32(block.data() + 201), 1);  // battle character
}

TEST(SlotFormat, DamagedFilesAreRefused) {
  for (const test::SlotFixture& f : test::damagedSlotFixtures()) {
    SCOPED_TRACE(f.name);
    slotContents contents;
    EXPECT_NE(decodeSlot(f.bytes.data(), f.bytes.size(), contents), nullptr);
  }
}

TEST(SlotFormat, APilotNameWithoutTerminatorIsCut) {
  Bytes block;
  battle::RecordWriter w(block);
  writePlayerBlock(w, test::fixturePlayer(1));
  std::memset(block.data() + 4, 'x', 100);
  battle::RecordReader in(block.data(), block.size());
  battle::playerRecord p;
  ASSERT_TRUE(readPlayerBlock(in, p));
  EXPECT_EQ(std::string(p.pilotName), std::string(99, 'x'));
}

TEST(SlotFormat, TheKindComesFromTheSaveScreensWayBack) {
  struct Case {
    int32_t back;
    bool story;
    int32_t kind;
  };
  const Case cases[] = {
      {kModeGameMenu, true, kSaveStoryBattle},
      {kModeGameMenu, false, kSaveBattle},
      {kModeBattleResult, true, kSaveStoryBattle},
      {kModeBattleResult, false, kSaveBattle},
      {kModeStory, true, kSaveStory},
      {kModeStory, false, kSaveStory},
      {kModeTitle, false, kSaveStory},
  };
  for (const Case& c : cases) EXPECT_EQ(saveKindFor(c.back, c.story), c.kind) << c.back << " " << c.story;
}

// A run folder with save/ as the current directory and fresh game state.
class SlotFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.MakeFolder("save");
    saved_ = fs::current_path();
    fs::current_path(folder_.path());
    Session().frame.noticeQueue.clear();
    Session().play.playerHeaders[0] = gameHeader{};
    Session().slotTable = slotTableRecord{};
    Session().story = &story_;
    battle::installPlayers();
  }
  void TearDown() override {
    battle::destroyStage();
    fs::current_path(saved_);
    Session().frame.noticeQueue.clear();
    Session().play.playerHeaders[0] = gameHeader{};
    Session().slotTable = slotTableRecord{};
    initReturnModeMap();
  }
  static Bytes read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void write(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  static const std::vector<std::string> kLoadError;

  test::RecordingStory story_;

 private:
  veziv::test::TestFolder folder_;
  fs::path saved_;
};

const std::vector<std::string> SlotFolder::kLoadError = {
    "ロードエラー", "データを見つける事ができず、ロードに失敗しました。", "セーブデータの状態を再ロードします。", "OK"};

TEST_F(SlotFolder, HeadersShowWhatTheDiskHolds) {
  const auto fixtures = test::loadableSlotFixtures();
  write(slotFileName(1), fixtures[0].bytes);
  write(slotFileName(9), fixtures[6].bytes);
  write(slotFileName(4), Bytes(100, 7));     // too short for a header
  Session().slotTable.headers[3].money = 1;  // left over from an earlier read
  Session().slotTable.present[3] = 1;
  readSlotHeaders();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const bool expected = slot == 1 || slot == 9;
    EXPECT_EQ(Session().slotTable.present[slot] != 0, expected) << slot;
    EXPECT_EQ(Session().slotTable.headers[slot].money, expected ? 4321 : 3000) << slot;
  }
  EXPECT_STREQ(Session().slotTable.headers[9].caption, "2026年12月11日 03時25分");
  const std::vector<gameHeader> present = presentSlotHeaders();
  ASSERT_EQ(present.size(), 2u);
  EXPECT_EQ(present[1].difficulty, 70);
}

// A grey JPEG of the given size, as a thumbnail's bytes.
Bytes jpegOf(int width, int height) {
  jpeg_compress_struct c{};
  jpeg_error_mgr errors{};
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = 1;
  c.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 80, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width), 128);
  while (c.next_scanline < c.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  const Bytes bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

// A slot whose file is there but whose header the game cannot use shows as
// damaged, not as empty, and is never present; a thumbnail that declares
// more than the 320 x 240 the game writes is never decoded.
// The slot table read on the started library, where pictures are made and
// thumbnails decode; an empty save/ folder as the current one's.
class SlotTableOnTheLibrary : public test::StartedLibrary {
 protected:
  void SetUp() override {
    test::StartedLibrary::SetUp();
    fs::create_directory("save");
    Session().slotTable = slotTableRecord{};
  }
  void TearDown() override {
    Session().slotTable = slotTableRecord{};
    test::StartedLibrary::TearDown();
  }
};

TEST_F(SlotTableOnTheLibrary, DamagedHeadersAndOversizedThumbnailsShowAsDamaged) {
  // An honest thumbnail of the game's size, one a pixel wider, and the
  // honest bytes with their frame header claiming 16384 x 4096.
  const Bytes honest = jpegOf(320, 240);
  const Bytes wider = jpegOf(321, 240);
  int width = 0, height = 0;
  ASSERT_TRUE(jpegPictureSize(honest.data(), honest.size(), width, height));
  ASSERT_EQ(width, 320);
  ASSERT_EQ(height, 240);
  Bytes huge = honest;
  for (size_t at = 2; at + 9 < huge.size(); ++at) {
    if (huge[at] == 0xFF && huge[at + 1] == 0xC0) {
      huge[at + 5] = 0x10, huge[at + 6] = 0x00;  // height 4096
      huge[at + 7] = 0x40, huge[at + 8] = 0x00;  // width 16384
      break;
    }
  }
  ASSERT_TRUE(jpegPictureSize(huge.data(), huge.size(), width, height));
  ASSERT_EQ(width, 16384);

  const gameHeader good = test::fixtureHeader();
  auto slotWith = [](const gameHeader& header, int32_t declared, const Bytes& thumbnail) {
    Bytes bytes(kGameHeaderSize + 4);
    encodeGameHeader(header, bytes.data());
    putLeI32(bytes.data() + kGameHeaderSize, declared);
    bytes.insert(bytes.end(), thumbnail.begin(), thumbnail.end());
    bytes.resize(bytes.size() + 4, 0);  // a kind; the rest is not read here
    return bytes;
  };
  gameHeader badWeapon = good;
  badWeapon.mainWeapon = 7;
  gameHeader badCharacter = good;
  badCharacter.battleCharacter = -1;
  enum Shown { kEmpty, kDamaged, kThumbnail, kDamagedPicture };
  struct Case {
    const char* what;
    Bytes bytes;  // empty: a folder in the file's place
    Shown shown;
  };
  const Case cases[] = {
      {"an honest slot", slotWith(good, static_cast<int32_t>(honest.size()), honest), kThumbnail},
      {"a slot saved without a thumbnail", slotWith(good, 0, {}), kEmpty},
      {"a thumbnail claiming 16384 x 4096", slotWith(good, static_cast<int32_t>(huge.size()), huge),
       kDamagedPicture},
      {"a thumbnail a pixel wider than the game writes", slotWith(good, static_cast<int32_t>(wider.size()), wider),
       kDamagedPicture},
      {"a thumbnail that is no JPEG", slotWith(good, 5, {1, 2, 3, 4, 5}), kDamagedPicture},
      {"a file shorter than its header", Bytes(100, 7), kDamaged},
      {"a main weapon id out of range", slotWith(badWeapon, 0, {}), kDamaged},
      {"a partner id out of range", slotWith(badCharacter, 0, {}), kDamaged},
      {"a negative thumbnail size", slotWith(good, -1, {}), kDamaged},
      {"a thumbnail size past the file", slotWith(good, 4000, {1, 2, 3}), kDamaged},
      {"a thumbnail size past the limit", slotWith(good, kMaxThumbnailBytes + 1, {}), kDamaged},
      {"a folder in the file's place", {}, kDamaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(slotFileName(3));
    if (c.bytes.empty()) {
      fs::create_directory(slotFileName(3));
    } else {
      std::ofstream(slotFileName(3), std::ios::binary)
          .write(reinterpret_cast<const char*>(c.bytes.data()), static_cast<std::streamsize>(c.bytes.size()));
    }
    readSlotHeaders();
    const slotTableRecord& t = Session().slotTable;
    const bool present = c.shown == kThumbnail || c.shown == kEmpty || c.shown == kDamagedPicture;
    EXPECT_EQ(t.present[3], present ? 1 : 0);
    EXPECT_EQ(t.damaged[3], present ? 0 : 1);
    ASSERT_TRUE(graphExists(t.emptyPicture) && graphExists(t.damagedPicture));
    EXPECT_EQ(t.thumbnails[3] == t.damagedPicture, c.shown == kDamaged || c.shown == kDamagedPicture);
    EXPECT_EQ(t.thumbnails[3] == t.emptyPicture, c.shown == kEmpty);
    if (c.shown == kThumbnail) {
      ASSERT_EQ(veziv::QueryGraphDimensions(t.thumbnails[3], &width, &height), 0);
      EXPECT_EQ(width, 320);
    }
    if (!present) {
      EXPECT_EQ(t.headers[3].money, 3000);  // a fresh header, not the damaged one
    }
    EXPECT_EQ(t.damaged[4], 0);  // no file: empty, not damaged
    EXPECT_TRUE(presentSlotHeaders().size() == (present ? 1u : 0u));
  }
}

TEST_F(SlotFolder, AMissingOrDamagedSlotLoadsNothingAndSaysSo) {
  const Bytes damaged = test::damagedSlotFixtures()[4].bytes;  // an enemy count of 10^9
  write(slotFileName(2), damaged);
  readSlotHeaders();
  ASSERT_EQ(Session().slotTable.present[2], 1);
  Session().play.playerHeaders[0].money = 777;
  Session().frame.gameMode = kModeSaveLoad;

  EXPECT_FALSE(loadGameFromMenu(5));  // no file: nothing at all
  EXPECT_TRUE(Session().frame.noticeQueue.empty());

  EXPECT_TRUE(loadGameFromMenu(2));  // present but damaged: the notice, player 1 untouched
  ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
  EXPECT_EQ(Session().frame.noticeQueue.front(), kLoadError);
  EXPECT_EQ(Session().play.playerHeaders[0].money, 777);
  EXPECT_EQ(Session().frame.gameMode, kModeSaveLoad);

  fs::remove(slotFileName(2));  // vanished since the headers were read
  EXPECT_FALSE(loadSlot(2));
  EXPECT_EQ(Session().frame.noticeQueue.size(), 2u);
  EXPECT_EQ(Session().slotTable.present[2], 0);  // the notice re-read the headers
}

void expectSameSection(const storySection& a, const storySection& b) {
  EXPECT_EQ(b.script, a.script);
  EXPECT_TRUE(std::equal(std::begin(a.impressions), std::end(a.impressions), std::begin(b.impressions)));
  EXPECT_EQ(b.answers, a.answers);
  ASSERT_EQ(b.pictures.size(), a.pictures.size());
  for (size_t i = 0; i < a.pictures.size(); ++i) {
    EXPECT_EQ(b.pictures[i].first, a.pictures[i].first);
    EXPECT_EQ(b.pictures[i].second.fileName, a.pictures[i].second.fileName);
    EXPECT_EQ(b.pictures[i].second.fadeState, a.pictures[i].second.fadeState);
  }
  EXPECT_EQ(b.lineIndex, a.lineIndex);
  EXPECT_EQ(b.pendingPages, a.pendingPages);
  EXPECT_TRUE(std::equal(std::begin(a.colour), std::end(a.colour), std::begin(b.colour)));
  EXPECT_EQ(b.music, a.music);
}

TEST_F(SlotFolder, AStorySlotHandsItsSectionToTheStoryAndSavesWhatTheStoryGives) {
  const Bytes fixture = test::loadableSlotFixtures()[6].bytes;
  slotContents expected;
  ASSERT_EQ(decodeSlot(fixture.data(), fixture.size(), expected), nullptr);
  write(slotFileName(0), fixture);
  readSlotHeaders();
  Session().play.storyGameFlag = 0;
  ASSERT_TRUE(loadGameFromMenu(0));
  EXPECT_TRUE(Session().frame.noticeQueue.empty());
  EXPECT_EQ(Session().frame.gameMode, kModeStory);
  EXPECT_EQ(Session().play.storyGameFlag, 1);
  EXPECT_EQ(Session().play.playerHeaders[0].money, 4321);
  EXPECT_EQ(Session().play.holdings.itemCounts[2], 3);
  ASSERT_EQ(story_.loaded.size(), 1u);
  EXPECT_FALSE(story_.loadedInsideBattle[0]);
  expectSameSection(expected.story, story_.loaded[0]);

  // Saved again from the story: the section the story gives as it stands.
  story_.saved = story_.loaded[0];
  story_.saved.lineIndex = 7;
  setReturnMode(kModeSaveLoad, kModeStory);
  Session().slotTable.headers[3] = Session().play.playerHeaders[0];
  ASSERT_TRUE(writeSlot(3));
  const Bytes written = read(slotFileName(3));
  slotContents again;
  ASSERT_EQ(decodeSlot(written.data(), written.size(), again), nullptr);
  EXPECT_EQ(again.kind, kSaveStory);
  expectSameSection(story_.saved, again.story);
}

TEST_F(SlotFolder, ABattleSaveHoldsTheRunningBattleWithoutTheScrollsFraction) {
  battle::battleStage& stage = battle::createStage();
  std::strcpy(stage.folder, "stages/s1");
  stage.scroll = 1234.75;
  stage.eventIndex = 3;
  stage.spawnedCount = 5;
  battle::World().playerCount = 1;
  battle::battlePlayer(1) = test::fixturePlayer(1);
  auto b = std::make_unique<battle::bullet>();
  b->imageId = 41;
  battle::World().bullets.push_back(std::move(b));
  Session().play.storyGameFlag = 0;
  setReturnMode(kModeSaveLoad, kModeGameMenu);
  ASSERT_TRUE(writeSlot(0));

  const Bytes bytes = read(slotFileName(0));
  slotContents c;
  ASSERT_EQ(decodeSlot(bytes.data(), bytes.size(), c), nullptr);
  EXPECT_EQ(c.kind, kSaveBattle);
  EXPECT_STREQ(c.battle.folder, "stages/s1");
  EXPECT_EQ(c.battle.scroll, 1234);
  EXPECT_EQ(c.battle.eventIndex, 3);
  EXPECT_EQ(c.battle.spawnedCount, 5);
  EXPECT_EQ(c.battle.bullets.size(), 1u);
  EXPECT_EQ(c.battle.players[0].score, 12345);
  EXPECT_FALSE(fs::exists("save/temp.jpeg"));
  EXPECT_FALSE(fs::exists(slotFileName(0) + ".tmp"));

  stage.scroll = -0.75;  // toward zero
  ASSERT_TRUE(writeSlot(0));
  const Bytes again = read(slotFileName(0));
  slotContents d;
  ASSERT_EQ(decodeSlot(again.data(), again.size(), d), nullptr);
  EXPECT_EQ(d.battle.scroll, 0);
}

TEST_F(SlotFolder, ASaveKilledHalfWayLeavesTheOldSlotWhole) {
  const auto fixtures = test::loadableSlotFixtures();
  const Bytes oldSlot = fixtures[0].bytes;
  // A new slot large enough that a write takes a while.
  Bytes newSlot = fixtures[3].bytes;
  Bytes big(kGameHeaderSize);
  std::copy(newSlot.begin(), newSlot.begin() + kGameHeaderSize, big.begin());
  battle::RecordWriter w(big);
  w.i32(kMaxThumbnailBytes);
  w.zeros(kMaxThumbnailBytes);
  big.insert(big.end(), newSlot.begin() + static_cast<long>(test::battleSectionOffset()) - 4, newSlot.end());
  const std::string path = slotFileName(0);
  write(path, oldSlot);

  for (int round = 0; round < 8; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) writeSaveFile(path.c_str(), big.data(), big.size());
    }
    usleep(2000 + 3000 * round);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    const Bytes now = read(path);
    EXPECT_TRUE(now == oldSlot || now == big) << "round " << round << ": " << now.size() << " bytes";
    slotContents c;
    EXPECT_EQ(decodeSlot(now.data(), now.size(), c), nullptr);
    write(path, oldSlot);
  }
}

// A battle section put back into the game on a demo stage, and saved again.
TEST(SlotRestore, ABattleComesBackAndSavesToTheSameSection) {
  const fs::path home = fs::current_path();
  veziv::FileStreamSetCurrentDir(VEZIV_RUN_FOLDER);
  for (size_t which : {size_t{3}, size_t{5}, size_t{7}}) {  // FX4, FX6, FX8 (kind 2)
    const test::SlotFixture f = test::loadableSlotFixtures()[which];
    SCOPED_TRACE(f.name);
    slotContents c;
    ASSERT_EQ(decodeSlot(f.bytes.data(), f.bytes.size(), c), nullptr);
    size_t sectionAt = f.bytes.size();
    {
      Bytes section;
      writeBattleSection(section, c.battle);
      sectionAt -= section.size();
    }
    const int32_t savedScroll = c.battle.scroll;
    restoreBattle(c.battle);
    battle::battleStage* stage = battle::currentStage();
    ASSERT_NE(stage, nullptr);
    ASSERT_GT(stage->rows(), 20);  // the demo stage's map was read
    EXPECT_EQ(stage->scroll, battle::restoredScroll(*stage, savedScroll));
    EXPECT_EQ(battle::battlePlayer(1).x, 400.0);  // positions are not saved
    EXPECT_EQ(battle::battlePlayer(1).score, 12345);

    Bytes again;
    writeRunningBattle(again);
    // The scroll comes back inside the map, and the events are run again up
    // to it: those two words are the stage's own now.
    Bytes expected(f.bytes.begin() + static_cast<long>(sectionAt), f.bytes.end());
    size_t words = kStageFolderSize;
    for (size_t list = 0; list < 3; ++list) {
      battle::RecordReader r(expected.data() + words, expected.size() - words);
      const int32_t count = r.i32();
      words += 4;
      for (int32_t i = 0; i < count; ++i) {
        battle::RecordReader t(expected.data() + words, 4);
        const int32_t type = t.i32();
        words += 4 + (type == battle::kEnemyTypeId            ? 84
                      : type == battle::kDualImageEnemyTypeId ? 92
                      : type == battle::kBulletTypeId         ? 56
                                                              : 48);
      }
    }
    putLeI32(expected.data() + words, static_cast<int32_t>(stage->scroll));
    putLeI32(expected.data() + words + 4, stage->eventIndex);
    EXPECT_EQ(again, expected);
  }
  battle::destroyStage();
  veziv::FileStreamSetCurrentDir(home.c_str());
  fs::current_path(home);
}

}  // namespace
}  // namespace game
