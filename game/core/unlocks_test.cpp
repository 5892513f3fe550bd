// The unlock files, their rebuild from the save slots and the notices.
#include "game/core/unlocks.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/core/frame_loop.h"
#include "game/core/key_files.h"
#include "game/core/save_files.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "platform/os/temp_folder_test_support.h"

namespace game {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Notice = std::vector<std::string>;

// A run folder with an empty save/ as the current directory, and fresh globals.
class UnlockFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.MakeFolder("save");
    saved_ = fs::current_path();
    fs::current_path(folder_.path());
    std::fill(std::begin(Session().openStages), std::end(Session().openStages), 0);
    Session().play.holdings = holdingsData{};
    Session().frame.noticeQueue.clear();
  }
  void TearDown() override {
    fs::current_path(saved_);
    Session().play.holdings = holdingsData{};
    Session().frame.noticeQueue.clear();
  }
  static Bytes read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void write(const char* path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  static Bytes flags() { return Bytes(std::begin(Session().openStages), std::end(Session().openStages)); }

 private:
  veziv::test::TestFolder folder_;
  fs::path saved_;
};

TEST_F(UnlockFiles, OpenStagesFileAndNotices) {
  // A missing file: only the tutorial, written at once, no notice.
  loadOpenStages();
  EXPECT_EQ(flags(), (Bytes{1, 0, 0, 0, 0}));
  EXPECT_EQ(read(kOpenStagesFile), (Bytes{1, 0, 0, 0, 0}));

  // Two new stages: one notice with both names in index order.
  Session().openStages[3] = 1;
  Session().openStages[2] = 1;
  unlockStage(false);
  ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
  EXPECT_EQ(Session().frame.noticeQueue.front(), (Notice{"【ステージ/開放】", "ステージ2", "ステージ3", "OK"}));
  EXPECT_EQ(read(kOpenStagesFile), (Bytes{1, 0, 1, 1, 0}));

  // Already open in the file: no notice. A stage open in the file but not in
  // memory stays open, and the tutorial is always written open.
  Session().frame.noticeQueue.clear();
  write(kOpenStagesFile, {1, 1, 0, 1, 0});
  std::fill(std::begin(Session().openStages), std::end(Session().openStages), 0);
  Session().openStages[3] = 1;
  unlockStage(false);
  EXPECT_TRUE(Session().frame.noticeQueue.empty());
  EXPECT_EQ(flags(), (Bytes{1, 1, 0, 1, 0}));
  EXPECT_EQ(read(kOpenStagesFile), (Bytes{1, 1, 0, 1, 0}));

  // Silent: only the write, as the flags stand.
  std::fill(std::begin(Session().openStages), std::end(Session().openStages), 0);
  Session().openStages[4] = 1;
  unlockStage(true);
  EXPECT_TRUE(Session().frame.noticeQueue.empty());
  EXPECT_EQ(read(kOpenStagesFile), (Bytes{1, 0, 0, 0, 1}));

  // A damaged file: flags made 0/1, a short file closes what it lacks, extra bytes ignored.
  write(kOpenStagesFile, {0xFF, 7});
  loadOpenStages();
  EXPECT_EQ(flags(), (Bytes{1, 1, 0, 0, 0}));
  write(kOpenStagesFile, {0, 0, 0, 0, 2, 9, 9});
  loadOpenStages();
  EXPECT_EQ(flags(), (Bytes{0, 0, 0, 0, 1}));

}

// A file the game cannot read (here a folder in its place) is kept as it is
// and told: the game runs on defaults, and an unlock that would have written
// over it says that it was not saved.
TEST_F(UnlockFiles, UnreadableFilesAreKeptAndTold) {
  const Notice stagesUnread = {"ステージの開放状況を読み込めませんでした。",
                               "ファイルは書き換えずにそのまま残しています。", "OK"};
  const Notice stagesUnsaved = {"ステージの開放状況を保存できませんでした。",
                                "ディスクの空きと書き込みの権限を確かめてください。", "OK"};
  fs::create_directory(kOpenStagesFile);
  loadOpenStages();
  EXPECT_EQ(flags(), (Bytes{1, 0, 0, 0, 0}));
  EXPECT_EQ(Session().frame.noticeQueue, (std::deque<Notice>{stagesUnread}));
  Session().frame.noticeQueue.clear();
  Session().openStages[2] = 1;
  unlockStage(false);
  EXPECT_EQ(flags(), (Bytes{1, 0, 1, 0, 0}));
  EXPECT_EQ(Session().frame.noticeQueue.back(), stagesUnsaved);
  EXPECT_TRUE(fs::is_directory(kOpenStagesFile));

  Session().frame.noticeQueue.clear();
  fs::create_directory(kBattleModeFile);
  Session().play.holdings.itemCounts[3] = 4;
  loadBattleModeItems();
  EXPECT_EQ(Session().play.holdings.mainOwned[0], 1);  // rebuilt from the (absent) slots
  EXPECT_EQ(Session().play.holdings.itemCounts[3], 0);
  ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
  EXPECT_EQ(Session().frame.noticeQueue.front().front(), "対戦モードの武器とアイテムを読み込めませんでした。");
  Session().frame.noticeQueue.clear();
  Session().play.holdings.mainOwned[4] = 1;
  unlockBattleModeItems(false);
  EXPECT_EQ(Session().frame.noticeQueue.back().front(), "対戦モードの武器とアイテムを保存できませんでした。");
  EXPECT_TRUE(fs::is_directory(kBattleModeFile));
  EXPECT_EQ(Session().play.holdings.mainOwned[4], 1);
}

// A stage file that opens no stage (empty, or all zeros) would leave the
// battle mode without a stage: the tutorial is opened, written and told.
TEST_F(UnlockFiles, AStageFileOpeningNoStageGivesTheTutorial) {
  for (const Bytes& bytes : {Bytes{}, Bytes{0, 0, 0, 0, 0}, Bytes{0, 0}}) {
    SCOPED_TRACE(bytes.size());
    Session().frame.noticeQueue.clear();
    write(kOpenStagesFile, bytes);
    loadOpenStages();
    EXPECT_EQ(flags(), (Bytes{1, 0, 0, 0, 0}));
    EXPECT_EQ(read(kOpenStagesFile), (Bytes{1, 0, 0, 0, 0}));
    ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
    EXPECT_EQ(Session().frame.noticeQueue.front().front(), "ステージの開放状況が壊れていました。");
  }
}

// Every write of the save folder that fails (here its temporary file's
// place is taken by a folder) is told in a notice, and the old file stays.
TEST_F(UnlockFiles, FailedWritesOfTheSaveFilesAreTold) {
  struct Case {
    const char* what;
    const char* path;
    void (*save)();
  };
  const Case cases[] = {
      {"設定", kConfigFile, [] { EXPECT_FALSE(saveConfig()); }},
      {"キー設定", kKeyFiles[1], [] { EXPECT_FALSE(saveKeyFiles()); }},
      {"ステージの開放状況", kOpenStagesFile, [] { unlockStage(true); }},
      {"対戦モードの武器とアイテム", kBattleModeFile, [] { unlockBattleModeItems(true); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Session().frame.noticeQueue.clear();
    write(c.path, {9, 9, 9});
    fs::create_directory(std::string(c.path) + ".tmp");
    c.save();
    ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
    EXPECT_EQ(Session().frame.noticeQueue.front(),
              (Notice{std::string(c.what) + "を保存できませんでした。",
                      "ディスクの空きと書き込みの権限を確かめてください。", "OK"}));
    EXPECT_EQ(read(c.path), (Bytes{9, 9, 9}));
  }
}

TEST_F(UnlockFiles, BattleModeFileBytesAndHostileValues) {
  holdingsData h;
  h.money = 55;
  h.mainOwned[0] = 1;
  h.mainOwned[6] = 1;
  h.subOwned[0] = 1;
  h.subOwned[2] = 1;
  h.itemCounts[0] = 10;
  h.itemCounts[5] = 0x01020304;
  uint8_t out[kBattleModeSize];
  encodeBattleModeItems(h, out);
  Bytes golden(kBattleModeSize, 0);
  golden[0] = 1;
  golden[6] = 1;
  golden[7] = 1;
  golden[9] = 1;
  golden[13] = 10;  // the counts start unaligned at 13
  golden[33] = 4;
  golden[34] = 3;
  golden[35] = 2;
  golden[36] = 1;
  EXPECT_EQ(Bytes(out, out + kBattleModeSize), golden);

  holdingsData back;
  back.money = 99;
  decodeBattleModeItems(out, sizeof out, back);
  EXPECT_EQ(back.money, 99);  // money is not in the file
  EXPECT_EQ(back.mainOwned[6], 1);
  EXPECT_EQ(back.subOwned[2], 1);
  EXPECT_EQ(back.itemCounts[5], 0x01020304);

  // Hostile: flags other than 0/1, weapon 0 not owned, negative counts.
  Bytes bad(kBattleModeSize, 0);
  bad[3] = 0x80;
  bad[8] = 2;
  putLeI32(bad.data() + 13, -5);
  putLeI32(bad.data() + 17, INT32_MIN);
  putLeI32(bad.data() + 21, 3);
  decodeBattleModeItems(bad.data(), bad.size(), back);
  EXPECT_EQ(back.mainOwned[0], 1);
  EXPECT_EQ(back.mainOwned[3], 1);
  EXPECT_EQ(back.subOwned[0], 1);
  EXPECT_EQ(back.subOwned[1], 1);
  EXPECT_EQ(back.itemCounts[0], 0);
  EXPECT_EQ(back.itemCounts[1], 0);
  EXPECT_EQ(back.itemCounts[2], 3);
  // A short file: what it lacks is not owned and counts 0, not the values held before.
  back = h;
  decodeBattleModeItems(golden.data(), 15, back);
  EXPECT_EQ(back.mainOwned[6], 1);
  EXPECT_EQ(back.itemCounts[0], 0);
  EXPECT_EQ(back.itemCounts[5], 0);
  decodeBattleModeItems(golden.data(), 0, back);
  EXPECT_EQ(back.mainOwned[6], 0);
  EXPECT_EQ(back.subOwned[0], 1);

  // Read from the file.
  write(kBattleModeFile, bad);
  loadBattleModeItems();
  EXPECT_EQ(Session().play.holdings.itemCounts[2], 3);
  EXPECT_EQ(Session().play.holdings.itemCounts[0], 0);
}

TEST_F(UnlockFiles, RebuildFromTheSlots) {
  // With no slot files and no unlock file: weapon 0 of each kind, no items; the file is written.
  Session().play.holdings.itemCounts[3] = 4;
  loadBattleModeItems();
  Bytes expected(kBattleModeSize, 0);
  expected[0] = 1;
  expected[7] = 1;
  EXPECT_EQ(read(kBattleModeFile), expected);
  EXPECT_EQ(Session().play.holdings.itemCounts[3], 0);
  EXPECT_TRUE(Session().frame.noticeQueue.empty());

  // Owned in any slot is owned; an item seen in any slot counts 10, whatever its count.
  gameHeader a;
  gameHeader b;
  a.mainOwned[0] = 0;
  a.mainOwned[2] = 1;
  b.subOwned[5] = 3;
  a.itemCounts[1] = 1;
  b.itemCounts[1] = 40;
  b.itemCounts[4] = -2;
  holdingsData rebuilt;
  rebuildBattleModeItems({a, b}, rebuilt);
  EXPECT_EQ(Bytes(std::begin(rebuilt.mainOwned), std::end(rebuilt.mainOwned)), (Bytes{1, 0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Bytes(std::begin(rebuilt.subOwned), std::end(rebuilt.subOwned)), (Bytes{1, 0, 0, 0, 0, 1}));
  const int32_t counts[kItemCount] = {0, 10, 0, 0, 10, 0};
  for (int i = 0; i < kItemCount; ++i) EXPECT_EQ(rebuilt.itemCounts[i], counts[i]) << i;
}

TEST_F(UnlockFiles, SaveHoldingsAnnouncesAndStoresTheStoryPossessions) {
  // The file: main 0 and 3, sub 0, item 1 with 5.
  holdingsData file;
  file.mainOwned[0] = file.mainOwned[3] = 1;
  file.subOwned[0] = 1;
  file.itemCounts[1] = 5;
  uint8_t bytes[kBattleModeSize];
  encodeBattleModeItems(file, bytes);
  write(kBattleModeFile, Bytes(bytes, bytes + kBattleModeSize));

  // The story's possessions: main 0 and 2, subs 0, 1 and 4, items 4 (3) and 2 (1);
  // item 1 used up.
  holdingsData story;
  story.money = 1234;
  story.mainOwned[0] = story.mainOwned[2] = 1;
  story.subOwned[0] = story.subOwned[1] = story.subOwned[4] = 1;
  story.itemCounts[2] = 1;
  story.itemCounts[4] = 3;
  Session().play.holdings = story;
  unlockBattleModeItems(false);

  ASSERT_EQ(Session().frame.noticeQueue.size(), 3u);
  EXPECT_EQ(Session().frame.noticeQueue[0], (Notice{"【メイン武器/開放】", mainWeaponName(2), "OK"}));
  EXPECT_EQ(Session().frame.noticeQueue[1], (Notice{"【サブ武器/開放】", subWeaponName(1), subWeaponName(4), "OK"}));
  EXPECT_EQ(Session().frame.noticeQueue[2], (Notice{"【アイテム/開放】", itemName(2), itemName(4), "OK"}));
  // The holdings are the story's again, and the file holds exactly them.
  EXPECT_EQ(Session().play.holdings.money, 1234);
  EXPECT_EQ(Session().play.holdings.mainOwned[3], 0);
  EXPECT_EQ(Session().play.holdings.itemCounts[4], 3);
  encodeBattleModeItems(story, bytes);
  EXPECT_EQ(read(kBattleModeFile), Bytes(bytes, bytes + kBattleModeSize));

  // The same again: nothing new, no notice.
  Session().frame.noticeQueue.clear();
  unlockBattleModeItems(false);
  EXPECT_TRUE(Session().frame.noticeQueue.empty());
}

TEST(BattleModeNotices, OnlyWhatTheFileLacks) {
  std::string (*const name)(int) = [](int id) { return "#" + std::to_string(id); };
  holdingsData inFile;
  holdingsData wanted;
  EXPECT_TRUE(battleModeNotices(inFile, wanted, name, name, name).empty());
  inFile.itemCounts[0] = 2;
  wanted.itemCounts[0] = 9;  // more of an item the file has: no notice
  inFile.mainOwned[5] = 1;
  wanted.mainOwned[5] = 1;
  wanted.subOwned[3] = 1;
  const auto notices = battleModeNotices(inFile, wanted, name, name, name);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], (Notice{"【サブ武器/開放】", "#3", "OK"}));
}

}  // namespace
}  // namespace game
