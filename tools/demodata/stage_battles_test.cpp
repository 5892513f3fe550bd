// The demo stages as the game reads them: each made stage folder's files go
// through the game's own readers with nothing to mend, its events fall and
// lie inside the map, and its whole battle, from the first frame to the
// stage clear, played headless twice with the same scripted input, gives the
// same battle state in every frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/battle/battle_frame.h"
#include "game/battle/battle_test_support.h"
#include "game/battle/effect_layers.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/battle/stage_events.h"
#include "game/battle/stage_folders.h"
#include "library/veziv.h"

namespace game::battle {
namespace {

// The run folder is the working directory of the game: the stages' paths
// are relative to it.
class RunFolder {
 public:
  RunFolder() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(DEMODATA_RUN_FOLDER); }
  ~RunFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

struct Shell : ShellHooks {
  int wins = 0, losses = 0;
  void battleWon() override { ++wins; }
  void gameOver() override { ++losses; }
  void startStoryInsert() override {
    // The story window is the story's; here the insert ends at once.
    currentStage()->storyEventActive = 0;
  }
};

// FNV-1a over the battle state of one frame.
class Digest {
 public:
  template <class T>
  void add(const T& v) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&v);
    for (size_t i = 0; i < sizeof v; ++i) hash_ = (hash_ ^ bytes[i]) * 1099511628211ull;
  }
  uint64_t value() const { return hash_; }

 private:
  uint64_t hash_ = 1469598103934665603ull;
};

uint64_t frameDigest() {
  Digest d;
  const BattleWorld& w = World();
  for (const auto& e : w.enemies) d.add(e->x), d.add(e->y), d.add(e->hp), d.add(e->heading), d.add(e->shotCounter);
  for (const auto& b : w.bullets) d.add(b->x), d.add(b->y), d.add(b->heading), d.add(b->owner);
  for (const auto& it : w.items) d.add(it->x), d.add(it->y);
  for (int n = 1; n <= 2; ++n) {
    const playerRecord& p = battlePlayer(n);
    d.add(p.x), d.add(p.y), d.add(p.hp), d.add(p.score), d.add(p.mp);
  }
  const battleStage& s = *currentStage();
  d.add(s.scroll), d.add(s.spawnedCount), d.add(s.eventIndex), d.add(w.screenShake);
  d.add(frontAnimes().size()), d.add(backAnimes().size());
  return d.value();
}

struct StageRun {
  std::vector<uint64_t> digests;
  int wins = 0, losses = 0, spawned = 0, total = 0;
  double lastScroll = 0;
};

// One whole battle: the shot held by press every frame, the craft weaving.
StageRun playStage(const char* folder) {
  test::Battle battle;
  Shell shell;
  installShellHooks(&shell);
  World().difficulty = 70;
  startBattle(folder);
  World().random.seed(32);
  battlePlayer(1).hp = battlePlayer(1).maxHp = 1e9;  // lives to the end of the battle
  StageRun run;
  const int frames = currentStage()->rows() * 32 + 12000;
  for (int f = 0; f < frames && shell.wins == 0 && shell.losses == 0; ++f) {
    InputHolds& in = battle.hooks.input1;
    in = InputHolds{};
    in.hold[InputHolds::kShot] = 1;
    in.hold[(f / 90) % 2 ? InputHolds::kLeft : InputHolds::kRight] = f % 90 + 1;
    ++World().frameCounter;
    runBattleFrame();
    run.digests.push_back(frameDigest());
  }
  run.wins = shell.wins;
  run.losses = shell.losses;
  run.spawned = currentStage()->spawnedCount;
  run.total = currentStage()->totalObjects;
  run.lastScroll = currentStage()->scroll;
  destroyStage();
  installShellHooks(nullptr);
  return run;
}

TEST(DemoStages, FilesReadCleanAndEventsLieInsideTheMap) {
  RunFolder run;
  for (const char* folder : kStageFolders) {
    std::vector<int32_t> layer1, layer2;
    for (const std::string& line : readStageLines(std::string(folder) + "/chip.txt")) appendChipLine(line, layer1);
    for (const std::string& line : readStageLines(std::string(folder) + "/chip2.txt")) appendChipLine(line, layer2);
    ASSERT_GE(layer1.size(), 21u * kStageColumns) << folder;
    EXPECT_EQ(layer1.size() % kStageColumns, 0u) << folder;
    EXPECT_EQ(mendStageCells(layer1, layer2), 0) << folder;
    battleStage stage;
    for (const std::string& line : readStageLines(std::string(folder) + "//setting.txt")) readSettingLine(line, stage);
    for (const std::string* file : {&stage.bgmFile, &stage.layer1File, &stage.layer2File, &stage.bgFile}) {
      EXPECT_TRUE(std::filesystem::exists(*file)) << folder << ": " << *file;
    }
    EXPECT_FALSE(stage.caption.empty());
    readStageEvents(stage, readStageLines(std::string(folder) + "/events.txt"));
    ASSERT_FALSE(stage.events.empty()) << folder;
    int previous = static_cast<int>(startScroll(layer1.size()));
    for (const stageEvent& e : stage.events) {
      EXPECT_LT(e.trigger, previous) << folder;
      EXPECT_GE(e.trigger, 0) << folder;
      previous = e.trigger;
    }
  }
}

// The radio's longest line and the first one too long, in a stage the game
// opens, and none longer.
TEST(DemoStages, AStageTheGameOpensMeetsTheRadioLineLimit) {
  RunFolder run;
  std::vector<size_t> sizes;
  for (const char* folder : kStageFolders) {
    if (std::strcmp(folder, kStageFolders[static_cast<int>(StageSource::test)]) == 0) continue;
    battleStage stage;
    readStageEvents(stage, readStageLines(std::string(folder) + "/events.txt"));
    for (const stageEvent& e : stage.events) {
      RadioLine radio;
      if (parseRadioLine(stage.eventLines[static_cast<size_t>(e.line)], radio)) sizes.push_back(radio.message.size());
    }
  }
  ASSERT_FALSE(sizes.empty());
  EXPECT_NE(std::find(sizes.begin(), sizes.end(), size_t{kRadioMessageBytes} - 2), sizes.end());
  EXPECT_NE(std::find(sizes.begin(), sizes.end(), size_t{kRadioMessageBytes} - 1), sizes.end());
  EXPECT_LE(*std::max_element(sizes.begin(), sizes.end()), size_t{kRadioMessageBytes} - 1);
}

TEST(DemoStages, EveryStagePlaysToTheEndOfItsMapTheSameTwice) {
  RunFolder folderRun;
  for (const char* folder : kStageFolders) {
    const StageRun first = playStage(folder);
    const StageRun second = playStage(folder);
    EXPECT_EQ(first.spawned, first.total) << folder;
    EXPECT_LT(first.lastScroll, 0.0) << folder;
    EXPECT_EQ(first.losses, 0) << folder;
    ASSERT_EQ(first.digests.size(), second.digests.size()) << folder;
    for (size_t f = 0; f < first.digests.size(); ++f) {
      ASSERT_EQ(first.digests[f], second.digests[f]) << folder << " frame " << f;
    }
    EXPECT_EQ(first.wins, 1) << folder;  // every object killed or gone: the end test held
  }
}

}  // namespace
}  // namespace game::battle
