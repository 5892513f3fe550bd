// The registry's id tables, its bounds and the picture sheets.
#include "game/core/resources.h"

#include <gtest/gtest.h>

#include <string>

#include "game/core/session.h"

namespace game {
namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { registerResources(); }
};

TEST_F(Registry, TablesHoldEveryIdWithItsPath) {
  EXPECT_EQ(Session().registry.imagePaths.size(), 316u);
  EXPECT_EQ(Session().registry.soundPaths.size(), 101u);
  struct Row {
    int id;
    const char* path;
  };
  const Row images[] = {
      {0, "image/System/keyConfigBG.jpg"},   {7, "image/BGs/格納庫.jpg"},
      {88, "image/enemy/plane1.png"},        {106, "image/enemy/plane19.png"},
      {115, "image/bullets/b2_b.png"},       {118, "image/bullets/b2_p.png"},
      {121, "image/bullets/b3_b.png"},       {150, "image/bullets/b7_y.png"},
      {166, "image/stageMaker/shot15.jpg"},  {170, "image/stageMaker/shot103.jpg"},
      {189, "image/stageMaker/move14.jpg"},  {210, "image/stageMaker/aftHit10.jpg"},
      {215, "image/bullets/Vミサイル.png"},  {235, "image/combat/cutin-hobe.png"},
      {240, "image/stands/oruna.png"},       {260, "image/faceGraph/NONE.jpg"},
      {271, "image/faceGraph/taisyo_1.jpg"}, {312, "image/faceGraph/velk_7.jpg"},
      {343, "image/faceGraph/tirun_7.jpg"},  {351, "image/faceGraph/hobe_7.jpg"},
      {359, "image/faceGraph/ryotyo_2.jpg"}, {366, "image/faceGraph/kuro_2.jpg"},
      {368, "image/combat/slow dot.png"},    {374, "image/faceGraph/hobe_8.jpg"},
      {375, "image/faceGraph/zemm_5.jpg"},   {298, "image/enemy/plane_part2.png"},
  };
  for (const Row& r : images) EXPECT_EQ(imagePath(r.id), r.path) << r.id;
  const Row sounds[] = {
      {21, "audio/junk.ogg"},
      {84, "voice/sys/temu_system13.ogg"},
      {88, "voice/sys/dolu_system100_1.ogg"},
      {104, "voice/sys/velk_system104.ogg"},
  };
  for (const Row& r : sounds) EXPECT_EQ(soundPath(r.id), r.path) << r.id;
}

TEST_F(Registry, AnIdWithoutAPathGetsAnEmptyOneAndIdsOutsideAddNothing) {
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
  EXPECT_EQ(Session().registry.imagePaths.size(), 319u);
  EXPECT_EQ(Session().registry.soundPaths.size(), 102u);
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
