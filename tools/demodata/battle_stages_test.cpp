// The demo stages' objects read back through the game's own reader, and the
// data rules the battle code relies on.
#include "tools/demodata/battle_stages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

#include "game/battle/motion.h"
#include "game/battle/object_files.h"
#include "game/battle/stage_folders.h"

namespace demodata {
namespace {

namespace fs = std::filesystem;
using namespace game::battle;

std::vector<uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BattleStagesTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "veziv-demodata-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    run_ = pattern;
  }
  void TearDown() override { fs::remove_all(run_); }
  fs::path run_;
};

TEST_F(BattleStagesTest, EveryStageFileReadsBackAsPlanned) {
  std::string error;
  ASSERT_TRUE(WriteBattleStageObjects(run_, &error)) << error;
  ASSERT_EQ(BattleStagePlans().size(), size_t{kStageFolderCount});
  for (const BattleStagePlan& plan : BattleStagePlans()) {
    SCOPED_TRACE(kStageFolders[plan.stage]);
    const std::vector<uint8_t> bytes = ReadAll(run_ / kStageFolders[plan.stage] / "enemy.dat");
    EXPECT_EQ(bytes, EnemyFileBytes(plan));
    EnemyList read;
    const char* fault = readEnemyFile(bytes.data(), bytes.size(), read);
    ASSERT_EQ(fault, nullptr) << fault;
    ASSERT_EQ(read.size(), plan.spawns.size());
    for (size_t i = 0; i < read.size(); ++i) {
      const enemy& e = *read[i];
      const BattleSpawn& s = plan.spawns[i];
      EXPECT_EQ(e.getTypeId(), s.typeId);
      EXPECT_EQ(e.x, s.x);
      EXPECT_EQ(e.y, s.y);
      EXPECT_EQ(e.heading, s.heading);
      EXPECT_EQ(e.speed, s.speed);
      EXPECT_EQ(e.imageId, s.image);
      EXPECT_EQ(e.hp, s.hp);
      EXPECT_EQ(e.maxHp, s.hp);
      EXPECT_EQ(e.score, s.score);
      EXPECT_EQ(e.shotId, s.shotId);
      EXPECT_EQ(e.shotImage, s.shotImage);
      EXPECT_EQ(e.shotInterval, s.shotInterval);
      EXPECT_EQ(e.movementId, s.movementId);
      EXPECT_EQ(e.deathActionId, s.deathActionId);
      if (s.typeId == kDualImageEnemyTypeId) {
        EXPECT_EQ(static_cast<const enemy_dualImage&>(e).baseImage, s.baseImage);
        EXPECT_EQ(static_cast<const enemy_dualImage&>(e).baseHeading, s.baseHeading);
      }
    }
  }
}

TEST(BattleStagePlans, KeepTheDataRules) {
  for (const BattleStagePlan& plan : BattleStagePlans()) {
    SCOPED_TRACE(kStageFolders[plan.stage]);
    const bool testStage = plan.stage == static_cast<int>(StageSource::test);
    const int startScroll = (plan.rows - 20) * 32;
    int previousY = startScroll;
    for (const BattleSpawn& s : plan.spawns) {
      SCOPED_TRACE(s.y);
      // Falling y, and not due on the first frame.
      EXPECT_LT(s.y, previousY);
      EXPECT_LT(s.y + 100, startScroll);
      previousY = s.y;
      EXPECT_GT(BattleImageRadius(s.image), 0);
      // The bad-pattern marker writes a line to the screen on every call:
      // outside the test stage only on an enemy that enters beyond the
      // field's side, swept out after its first call. Every other enemy
      // enters inside the field.
      const bool outside = s.x < -BattleImageRadius(s.image) || s.x > kFieldWidth + BattleImageRadius(s.image);
      EXPECT_EQ(outside, s.shotId == 21 && !testStage);
      if (s.deathActionId == 7) {
        EXPECT_EQ(s.image, game::kImageTank);
      }
      if (s.deathActionId == 3) {
        EXPECT_TRUE(s.score < 1 || s.score > 3);
      }
      const bool parks = s.movementId == 1 || s.movementId == 15 || s.movementId == 5 ||
                         (s.movementId == 2 && s.speed > 0);
      if (parks && s.shotId != 20) {
        EXPECT_LE(s.hp, 20);
      }
      if (!parks) {
        EXPECT_GE(s.heading, 180);
        EXPECT_LE(s.heading, 360);
      }
    }
  }
}

TEST(BattleStagePlans, UseEveryMovementPatternAndAction) {
  // The stages the story and the battle mode open, the test stage left out.
  std::set<int> movements, patterns, actions, types;
  for (const BattleStagePlan& plan : BattleStagePlans()) {
    if (plan.stage == static_cast<int>(StageSource::test)) continue;
    for (const BattleSpawn& s : plan.spawns) {
      movements.insert(s.movementId);
      patterns.insert(s.shotId);
      actions.insert(s.deathActionId);
      types.insert(s.typeId);
    }
  }
  EXPECT_EQ(movements.size(), size_t{kMovementCount});
  EXPECT_EQ(patterns.size(), size_t{kShotPatternCount});
  EXPECT_EQ(actions.size(), size_t{kActionCount});
  EXPECT_EQ(types, (std::set<int>{kEnemyTypeId, kDualImageEnemyTypeId}));
}

}  // namespace
}  // namespace demodata
