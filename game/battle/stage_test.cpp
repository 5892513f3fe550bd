// The stage: its files read from a folder, the layers made safe, the spawn
// rule and the start scroll; the in-battle events; and whole battle frames
// from the first to the end with its bonuses.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "game/battle/battle_frame.h"
#include "game/battle/battle_test_support.h"
#include "game/battle/effect_layers.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/battle/stage_events.h"

namespace game::battle {
namespace {

namespace fs = std::filesystem;

// A stage folder of this process's own under the temp folder.
class StageFolder {
 public:
  StageFolder() : path_(fs::temp_directory_path() / ("veziv-stage-" + std::to_string(getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~StageFolder() { fs::remove_all(path_); }
  void write(const char* name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
  }
  void writeBytes(const char* name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(path_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
  std::string path() const { return path_.string(); }

 private:
  fs::path path_;
};

// rows lines of 22 cells of value, in the file's form (a throw-away byte first).
std::string chipText(int rows, int value) {
  std::string text;
  for (int r = 0; r < rows; ++r) {
    text += ",";
    for (int c = 0; c < kStageColumns; ++c) text += std::to_string(value) + (c + 1 < kStageColumns ? "," : "");
    text += "\r\n";
  }
  return text;
}

std::vector<uint8_t> enemyFile(const std::vector<std::pair<double, double>>& at, int hp, int speed = 0) {
  std::vector<uint8_t> bytes;
  RecordWriter w(bytes);
  w.i32(static_cast<int32_t>(at.size()));
  for (auto [x, y] : at) {
    enemy e;
    e.x = x;
    e.y = y;
    e.radius = 16;
    e.heading = 270;
    e.speed = speed;
    e.imageId = 46;
    e.hp = e.maxHp = hp;
    e.score = 7;
    e.shotId = 14;  // silent
    w.i32(kEnemyTypeId);
    e.save(bytes);
  }
  return bytes;
}

class StageBattle : public test::Battle {
 public:
  StageBattle() {
    installPlayers();
    battlePlayer(1) = buildPlayer(1, 0, 0, 0, -1, -1);
    battlePlayer(2) = buildPlayer(2, 0, 0, 0, -1, -1);
    installShellHooks(&shell);
  }
  ~StageBattle() {
    destroyStage();
    installShellHooks(nullptr);
  }
  void load(const StageFolder& folder) {
    createStage();
    loadStage(folder.path().c_str());
  }

  struct Shell : ShellHooks {
    std::vector<std::string> music, inserted;
    int wins = 0, losses = 0, pauses = 0, money = 0, storyStarts = 0, skipped = 0;
    void playMusic(const std::string& file) override { music.push_back(file); }
    void addMoney(int amount) override { money += amount; }
    void battleWon() override { ++wins; }
    void gameOver() override { ++losses; }
    void pauseBattle() override { ++pauses; }
    void insertStoryLines(const std::vector<std::string>& lines, bool skipPast) override {
      inserted.insert(inserted.end(), lines.begin(), lines.end());
      skipped += skipPast;
    }
    void startStoryInsert() override { ++storyStarts; }
    // The battle start's calls, in order.
    std::vector<std::string> starts;
    void restartFrameClock() override { starts.push_back("clock"); }
    void swapToBattleResources(LoadingBar bar) override {
      starts.push_back(bar == &drawLoadingBar ? "swap with the bar" : "swap");
    }
    void startStageMusic(const std::string& file, LoadingBar bar) override {
      starts.push_back("music " + file + (bar == &drawLoadingBar ? " with the bar" : ""));
    }
  } shell;
};

TEST(StageFiles, ChipLinesSkipTheFirstByteAndSplitAtCommas) {
  struct Case {
    const char* line;
    std::vector<int32_t> cells;
  } cases[] = {
      {"x1,2,3", {1, 2, 3}},
      {"12,5", {2, 5}},
      {",-1, 7,", {-1, 7, 0}},  // a trailing comma gives a 0 cell
      {",", {0}},
      {"", {}},
      {",99999999999", {INT32_MAX}},
      {",abc,4x", {0, 4}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> cells;
    appendChipLine(c.line, cells);
    EXPECT_EQ(cells, c.cells) << c.line;
  }
}

TEST(StageFiles, SettingLinesTakeTheFirstKeyInTheirOrder) {
  battleStage stage;
  for (const char* line : {"bgm:audio/a.mid", "layer1:image/l1.png ", "xx layer2:image/l2.png", "mess:BG:text",
                           "BG:image/bg.png", "no key here", "bgm:audio/b.mid"}) {
    readSettingLine(line, stage);
  }
  EXPECT_EQ(stage.bgmFile, "audio/b.mid");
  EXPECT_EQ(stage.layer1File, "image/l1.png ");  // not trimmed
  EXPECT_EQ(stage.layer2File, "image/l2.png");
  EXPECT_EQ(stage.caption, "BG:text");  // mess: is tested before BG:
  EXPECT_EQ(stage.bgFile, "image/bg.png");
}

TEST(StageFiles, CellsOutOfRangeAndAShortLayerTwoAreMended) {
  std::vector<int32_t> layer1 = {0, 127, 128, -1, 5};
  std::vector<int32_t> layer2 = {-1, 127, -2};
  EXPECT_EQ(mendStageCells(layer1, layer2), 5);
  EXPECT_EQ(layer1, (std::vector<int32_t>{0, 127, 0, 0, 5}));
  EXPECT_EQ(layer2, (std::vector<int32_t>{-1, 127, -1, -1, -1}));
  std::vector<int32_t> longer = {1, 2, 3, 4, 5, 6};
  mendStageCells(layer1, longer);
  EXPECT_EQ(longer.size(), layer1.size());
}

TEST(StageFiles, StartScrollAndARestoredScrollStayInsideTheMap) {
  EXPECT_EQ(startScroll(20 * 22), 0.0);
  EXPECT_EQ(startScroll(21 * 22), 32.0);
  EXPECT_LT(startScroll(3 * 22), 0.0);
  battleStage stage;  // 160 rows
  EXPECT_EQ(restoredScroll(stage, 1e9), 140 * 32.0);
  EXPECT_EQ(restoredScroll(stage, 100.0), 100.0);
  EXPECT_EQ(restoredScroll(stage, std::nan("")), 140 * 32.0);
  EXPECT_EQ(stageWindow(100.0).firstRow, 3);
  EXPECT_EQ(stageWindow(100.0).offset, 4);
}

TEST(StageLoad, AFolderFillsTheStage) {
  StageBattle battle;
  StageFolder folder;
  folder.write("chip.txt", chipText(25, 3));
  folder.write("chip2.txt", chipText(24, 200));  // short and out of range
  folder.write("setting.txt", "bgm:audio/s.mid\r\nmess:Stage\r\n");
  folder.writeBytes("enemy.dat", enemyFile({{100, 300}, {200, 100}}, 5));
  battle.load(folder);
  const battleStage& stage = *currentStage();
  EXPECT_EQ(stage.rows(), 25);
  EXPECT_EQ(stage.scroll, 160.0);
  EXPECT_EQ(stage.layer2Cells, std::vector<int32_t>(25 * 22, -1));
  EXPECT_EQ(stage.totalObjects, 2);
  EXPECT_EQ(stage.bgmFile, "audio/s.mid");
  EXPECT_EQ(stage.caption, "Stage");
  EXPECT_EQ(stage.eventIndex, 0);  // no events: nothing is ever due
  EXPECT_STREQ(stage.folder, folder.path().c_str());
}

TEST(StageLoad, AFaultyEnemyFileGivesNoObjects) {
  StageBattle battle;
  StageFolder folder;
  std::vector<uint8_t> bytes = enemyFile({{100, 300}}, 5);
  bytes.resize(bytes.size() - 3);
  folder.writeBytes("enemy.dat", bytes);
  battle.load(folder);
  EXPECT_TRUE(currentStage()->pendingObjects.empty());
  EXPECT_EQ(currentStage()->totalObjects, 0);
  EXPECT_LT(currentStage()->scroll, 0.0);  // no chip.txt: an empty map
}

TEST(StageSpawn, TheFrontObjectEntersWithinAHundredPixels) {
  StageBattle battle;
  StageFolder folder;
  folder.write("chip.txt", chipText(30, 0));
  folder.writeBytes("enemy.dat", enemyFile({{100, 200}, {300, 150}}, 5));
  battle.load(folder);
  battleStage& stage = *currentStage();
  stage.scroll = 300.5;  // trunc 300: d = -100, not due
  EXPECT_FALSE(isNextSpawnDue());
  stage.scroll = 299.0;
  ASSERT_TRUE(isNextSpawnDue());
  spawnNextStageObject();
  ASSERT_EQ(World().enemies.size(), 1u);
  EXPECT_EQ(World().enemies[0]->y, -99.0);
  EXPECT_EQ(stage.spawnedCount, 1);
  ASSERT_EQ(frontAnimes().size(), 1u);  // the marker
  stage.totalObjects = 1;  // all spawned: the rest waits for ever
  stage.scroll = 0;
  EXPECT_FALSE(isNextSpawnDue());
}

TEST(StageEvents, LinesMakeEventsAndSurviveMalformedOnes) {
  battleStage stage;
  readStageEvents(stage, {"@event 900 STORY_INSERT FORCE", "@message (ナ) a", "@endEvent",
                          "@event 800 EVENT_RADIO (オルナ,oruna_e01.ogg,312) 来るよ", "@event 700 SWITCH_BGM audio/boss.mid",
                          "@event 600 UNKNOWN x", "@event", "@event 5", "@event 500 EVENT_RADIO broken", "body"});
  ASSERT_EQ(stage.events.size(), 3u);
  EXPECT_EQ(stage.events[0].trigger, 900);
  EXPECT_EQ(stage.events[0].kind, kEventStoryInsert);
  EXPECT_EQ(stage.events[1].kind, kEventRadio);
  EXPECT_EQ(stage.events[1].line, 3);
  EXPECT_EQ(stage.events[2].kind, kEventSwitchBgm);
  EXPECT_EQ(switchedMusic(stage.eventLines[4]), "audio/boss.mid");
  EXPECT_EQ(storyInsertLines(stage.eventLines, 0), (std::vector<std::string>{"@message (ナ) a", "@endEvent"}));
  RadioLine radio;
  ASSERT_TRUE(parseRadioLine(stage.eventLines[3], radio));
  EXPECT_EQ(radio.voice, "oruna_e01.ogg");
  EXPECT_EQ(radio.imageId, 312);
  EXPECT_EQ(radio.message, "来るよ");
  EXPECT_EQ(stage.eventIndex, 0);
}

TEST(StageEvents, DueEventsFireInOrderWithTheEventsSetting) {
  struct Case {
    bool eventsOn;
    const char* storyLine;
    int storyStarts, skipped;
  } cases[] = {
      {true, "@event 900 STORY_INSERT", 1, 0},
      {false, "@event 900 STORY_INSERT", 0, 1},
      {false, "@event 900 STORY_INSERT FORCE", 1, 0},
  };
  for (const Case& c : cases) {
    StageBattle battle;
    battle.hooks.eventsOn = c.eventsOn;
    battleStage& stage = createStage();
    readStageEvents(stage, {c.storyLine, "@endEvent", "@event 800 SWITCH_BGM audio/b.mid", "@event 10 SWITCH_BGM x"});
    stage.scroll = 799;
    runStageEvent(stage, false);
    EXPECT_EQ(stage.eventIndex, 2) << c.storyLine;
    EXPECT_EQ(battle.shell.storyStarts, c.storyStarts) << c.storyLine;
    EXPECT_EQ(battle.shell.skipped, c.skipped) << c.storyLine;
    EXPECT_EQ(stage.storyEventActive, c.storyStarts);
    EXPECT_EQ(battle.shell.inserted, std::vector<std::string>{"@endEvent"});
    EXPECT_EQ(battle.shell.music, std::vector<std::string>{"audio/b.mid"});
  }
}

TEST(StageEvents, FastForwardAndTheFinishedBattleRunNoStory) {
  for (bool fastForward : {true, false}) {
    StageBattle battle;
    battleStage& stage = createStage();
    readStageEvents(stage, {"@event 900 STORY_INSERT FORCE", "@endEvent", "@event 800 SWITCH_BGM audio/b.mid"});
    stage.scroll = -5;
    runStageEvent(stage, fastForward, /*storyAllowed=*/false);
    EXPECT_EQ(stage.eventIndex, 2);
    EXPECT_EQ(stage.storyEventActive, 0);
    EXPECT_TRUE(battle.shell.inserted.empty());
    EXPECT_EQ(battle.shell.music, std::vector<std::string>{"audio/b.mid"});
  }
}

TEST(StageEvents, RadioTextsOfOneHundredTwentySevenBytesAreNotShown) {
  for (int bytes : {126, 127}) {
    StageBattle battle;
    battleStage& stage = createStage();
    readStageEvents(stage, {"@event 900 EVENT_RADIO (オルナ,none.ogg,312) " + std::string(bytes, 'a')});
    stage.scroll = 0;
    runStageEvent(stage, false);
    int texts = 0;
    for (const auto& effect : frontAnimes()) texts += effect->getTypeId() == kAnimeMessege;
    EXPECT_EQ(texts, bytes == 126 ? 1 : 0) << bytes;
    EXPECT_EQ(stage.eventIndex, 1);
  }
}

// Whole frames: a stage with two enemies in a lane, the player firing.
TEST(BattleFrame, AScriptedStageRunsFromSpawnToBonuses) {
  StageBattle battle;
  StageFolder folder;
  folder.write("chip.txt", chipText(26, 1));
  folder.writeBytes("enemy.dat", enemyFile({{400, 150}, {400, 120}}, 1));
  battle.load(folder);
  World().difficulty = 70;
  battlePlayer(1).x = 400;
  battlePlayer(1).y = 500;
  int frames = 0;
  while (battle.shell.wins == 0 && frames < 2000) {
    battle.hooks.input1.hold[InputHolds::kShot] = 1;  // the shot counter as the shell repeats it
    ++World().frameCounter;
    runBattleFrame();
    ++frames;
  }
  ASSERT_EQ(battle.shell.wins, 1);
  EXPECT_EQ(currentStage()->spawnedCount, 2);
  EXPECT_LT(currentStage()->scroll, 0.0);
  const int hpBonus = truncInt(battlePlayer(1).hp) / 2;
  EXPECT_EQ(battlePlayer(1).score, 7 + 7 + 140 + hpBonus);
  EXPECT_EQ(battle.shell.money, battlePlayer(1).score);
  EXPECT_EQ(battle.shell.pauses, 0);
}

// The frame clock starts over before the loading and again after it, so
// that neither the time before it nor the loading is taken as a slow frame.
TEST(BattleFrame, TheBattleStartRestartsTheFrameClockAroundTheLoading) {
  StageBattle battle;
  StageFolder folder;
  folder.write("chip.txt", chipText(30, 1));
  folder.write("setting.txt", "bgm:audio/stage.mid");
  startBattle(folder.path().c_str());
  EXPECT_EQ(battle.shell.starts, (std::vector<std::string>{"clock", "swap with the bar",
                                                            "music audio/stage.mid with the bar", "clock"}));
}

TEST(BattleFrame, AnEmptyShortStageEndsOnTheFirstFrame) {
  StageBattle battle;
  StageFolder folder;
  folder.write("chip.txt", chipText(20, 1));
  battle.load(folder);
  battle.hooks.input1.hold[InputHolds::kPause] = 1;
  runBattleFrame();
  EXPECT_EQ(battle.shell.wins, 1);
  EXPECT_EQ(battle.shell.pauses, 0);  // no pause on the frame the battle is over
}

TEST(BattleFrame, APiercingBulletKillsSeveralAndScoresEach) {
  StageBattle battle;
  createStage();
  for (double x : {300.0, 302.0, 304.0}) {
    auto e = std::make_unique<enemy>();
    e->x = x;
    e->y = 100;
    e->radius = 10;
    e->hp = e->maxHp = 1;
    e->score = 3;
    World().enemies.push_back(std::move(e));
  }
  // hit action 6 explodes and leaves the bullet unspent
  World().bullets.push_back(std::make_unique<bullet>(90, 5, 0, 0, 6, 1, 302.0, 100.0, kImageBulletBlue));
  resolveCollisions();
  EXPECT_TRUE(World().enemies.empty());
  EXPECT_EQ(World().bullets.size(), 1u);
  EXPECT_EQ(battlePlayer(1).score, 9);
}

// An enemy a bullet's blast killed leaves before the next bullet is tested:
// that bullet flies on instead of being spent on the wreck.
TEST(BattleFrame, ABlastKillLeavesBeforeTheNextBullet) {
  StageBattle battle;
  createStage();
  auto enemyAt = [](double y, int deathAction) {
    auto e = std::make_unique<enemy>();
    e->x = 300;
    e->y = y;
    e->radius = 10;
    e->hp = e->maxHp = 1;
    e->score = 3;
    e->deathActionId = deathAction;
    World().enemies.push_back(std::move(e));
  };
  enemyAt(100, 5);  // its death blasts everything within 100 pixels
  enemyAt(150, 0);
  // Hit action 2 spends each bullet on its first hit.
  World().bullets.push_back(std::make_unique<bullet>(90, 5, 0, 0, 2, 1, 300.0, 100.0, kImageBulletBlue));
  World().bullets.push_back(std::make_unique<bullet>(90, 5, 0, 0, 2, 1, 300.0, 150.0, kImageBulletBlue));
  resolveCollisions();
  EXPECT_TRUE(World().enemies.empty());
  ASSERT_EQ(World().bullets.size(), 1u);
  EXPECT_EQ(World().bullets[0]->y, 150.0);  // the second bullet was not spent
  EXPECT_EQ(battlePlayer(1).score, 3);      // the blast's victim scores nothing
}

TEST(BattleFrame, FireTurnsToPlayerTwoAndBothDownIsGameOver) {
  StageBattle battle;
  createStage();
  currentStage()->scroll = 500;
  World().playerCount = 2;
  battlePlayer(1).hp = 0;
  checkBattleKeys();
  EXPECT_EQ(battle.shell.losses, 0);
  battlePlayer(2).hp = 0;
  checkBattleKeys();
  EXPECT_EQ(battle.shell.losses, 1);
}

TEST(BattleFrame, OutOfFieldObjectsGoOnlyInDrawnFrames) {
  struct NotDrawn : ShellHooks {
    bool drawn = false;
    bool frameDrawn() override { return drawn; }
  } shell;
  StageBattle battle;
  installShellHooks(&shell);
  createStage();
  auto e = std::make_unique<enemy>();
  e->x = 400;
  e->y = 2000;
  e->hp = 1;
  World().enemies.push_back(std::move(e));
  drawBattle();
  EXPECT_EQ(World().enemies.size(), 1u);
  shell.drawn = true;
  drawBattle();
  EXPECT_TRUE(World().enemies.empty());
}

}  // namespace
}  // namespace game::battle
