// The registry's id tables, its bounds and the picture sheets.
#include "game/core/resources.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "game/core/session.h"

namespace game {
namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { registerResources(); }
};

struct TableRow {
  int id;
  const char* path;
};
constexpr TableRow kTableImages[] = {
#define VEZIV_IMAGE(id, path) {id, path},
#include "game/core/registry_table.inc"
};
constexpr TableRow kTableSounds[] = {
#define VEZIV_SOUND(id, path) {id, path},
#include "game/core/registry_table.inc"
};

// Every row of the table is registered under its id with its path, and
// nothing else is; every id lies inside the handle tables.
TEST_F(Registry, TablesHoldEveryRowOfTheTableUnderItsId) {
  for (const TableRow& r : kTableImages) {
    EXPECT_EQ(imagePath(r.id), r.path) << r.id;
    EXPECT_GE(r.id, 0);
    EXPECT_LT(r.id, kImageIdCount);
  }
  for (const TableRow& r : kTableSounds) {
    EXPECT_EQ(soundPath(r.id), r.path) << r.id;
    EXPECT_GE(r.id, 0);
    EXPECT_LT(r.id, kSoundIdCount);
  }
  EXPECT_EQ(Session().registry.imagePaths.size(), std::size(kTableImages));
  EXPECT_EQ(Session().registry.soundPaths.size(), std::size(kTableSounds));
}

TEST_F(Registry, AnIdWithoutAPathGetsAnEmptyOneAndIdsOutsideAddNothing) {
  const size_t images = Session().registry.imagePaths.size();
  const size_t sounds = Session().registry.soundPaths.size();
  for (int id : {1, 360, 361}) {
    EXPECT_EQ(imagePath(id), "") << id;
    EXPECT_EQ(Session().registry.imagePaths.count(id), 1u) << id;  // the lookup added it
  }
  EXPECT_EQ(soundPath(22), "");
  EXPECT_EQ(Session().registry.soundPaths.count(22), 1u);
  for (int id : {-1, 376, 100000}) {
    EXPECT_EQ(imagePath(id), "") << id;
    EXPECT_EQ(graphOf(id), -1) << id;
    EXPECT_FALSE(isGraphLoaded(id)) << id;
    loadGraphById(id);  // stays in bounds
    cacheGraphSize(id);
    freeGraphById(id);
  }
  for (int id : {-5, 105}) {
    EXPECT_EQ(soundPath(id), "") << id;
    EXPECT_EQ(soundOf(id), -1) << id;
    ensureSoundLoaded(id);
    applySoundVolume(id);
  }
  // Only the three image lookups and the one sound lookup inside the tables added an id.
  EXPECT_EQ(Session().registry.imagePaths.size(), images + 3);
  EXPECT_EQ(Session().registry.soundPaths.size(), sounds + 1);
}

TEST_F(Registry, SheetsByPlaceWithTheirPieceSizes) {
  EXPECT_EQ(sheetPieceWidth(0), 96);
  EXPECT_EQ(sheetPieceHeight(5), 48);
  EXPECT_EQ(sheetPieceWidth(7), 168);
  EXPECT_EQ(sheetPieceHeight(9), 128);
  EXPECT_EQ(sheetPieceWidth(12), 0);
  EXPECT_EQ(sheetPieceWidth(-1), 0);
  Session().registry.sheets[explosionSheet][15] = 77;
  Session().registry.sheets[infoFrameSheet][8] = 78;
  EXPECT_EQ(sheetPiece(0, 15), 77);
  EXPECT_EQ(sheetPiece(11, 8), 78);
  EXPECT_EQ(sheetPiece(0, 16), -1);
  EXPECT_EQ(sheetPiece(11, 9), -1);
  EXPECT_EQ(sheetPiece(12, 0), -1);
}

}  // namespace
}  // namespace game
