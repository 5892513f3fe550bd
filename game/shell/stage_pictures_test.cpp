// Stages loaded one after another on the started library: a stage's
// pictures go with it, and a reload replaces them, so the graph table never
// fills however many battles are played.
#include <gtest/gtest.h>

#include <vector>

#include "game/battle/battle_frame.h"
#include "game/battle/stage.h"
#include "game/battle/stage_folders.h"
#include "game/core/started_library_test_support.h"

namespace game {
namespace {

class StagePictures : public test::StartedLibrary {
 protected:
  void TearDown() override {
    battle::destroyStage();
    test::StartedLibrary::TearDown();
  }
  // The stage's background and every chip piece.
  static std::vector<veziv::GraphHandle> pictures(const battle::battleStage& stage) {
    std::vector<veziv::GraphHandle> graphs{stage.bgGraph};
    graphs.insert(graphs.end(), std::begin(stage.layer1Chips), std::end(stage.layer1Chips));
    graphs.insert(graphs.end(), std::begin(stage.layer2Chips), std::end(stage.layer2Chips));
    return graphs;
  }
  static int existing(const std::vector<veziv::GraphHandle>& graphs) {
    int n = 0;
    for (veziv::GraphHandle g : graphs) n += graphExists(g) ? 1 : 0;
    return n;
  }
};

TEST_F(StagePictures, ThreeHundredStageLoadsKeepOnlyTheCurrentStagesPictures) {
  // The demo stages in turn (the last folder of the table is a test stage
  // the demo data may lack).
  const int stages = battle::kStageFolderCount - 1;
  std::vector<veziv::GraphHandle> before;
  for (int n = 0; n < 300; ++n) {
    battle::createStage();
    battle::loadStage(battle::kStageFolders[n % stages]);
    const std::vector<veziv::GraphHandle> now = pictures(*battle::currentStage());
    ASSERT_EQ(existing(now), static_cast<int>(now.size())) << "load " << n;
    if (!before.empty()) ASSERT_EQ(existing(before), 0) << "load " << n;  // the old stage's went with it
    before = now;
  }
  // A reload after a screen change replaces the pictures it had.
  battle::reloadStageGraphics();
  const std::vector<veziv::GraphHandle> reloaded = pictures(*battle::currentStage());
  EXPECT_EQ(existing(reloaded), static_cast<int>(reloaded.size()));
  EXPECT_EQ(existing(before), 0);
  battle::destroyStage();
  EXPECT_EQ(existing(reloaded), 0);
}

}  // namespace
}  // namespace game
