// A battle for the tests: a fresh world with hooks that record every call and
// know the sizes of the images the tests use.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "game/battle/battle_world.h"
#include "game/battle/motion.h"

namespace game::battle::test {

struct SlideCall {
  int sheet, pictures, lastPass;
  double x, y, step;
};

class RecordingHooks : public BattleHooks {
 public:
  std::map<int, std::pair<int, int>> sizes = {
      {kImageBulletBlue, {8, 8}},     {kImageBulletRed, {8, 8}},      {kImageTornadoBullet, {24, 24}},
      {kImageLaunchedPlane, {48, 48}}, {kImageTank, {48, 48}},        {kImageBossBarrage, {24, 24}},
      {kImageBurstMissile, {12, 24}}, {46, {32, 32}},                 {13, {128, 128}},
  };
  std::vector<SlideCall> slides;
  std::vector<int> sounds;
  std::vector<int> soundLoads;
  std::vector<int> imageLoads;
  std::vector<std::vector<int>> shrinking;  // image, x, y, heading
  std::vector<std::vector<int>> drifting;   // image, x, y
  std::vector<std::pair<PlayerPosition*, int>> damages;

  int graphOf(int imageId) override { return sizes.count(imageId) ? 1000 + imageId : -1; }
  int imageWidth(int imageId) override { return sizes.count(imageId) ? sizes[imageId].first : 0; }
  int imageHeight(int imageId) override { return sizes.count(imageId) ? sizes[imageId].second : 0; }
  void ensureImageLoaded(int imageId) override { imageLoads.push_back(imageId); }
  void ensureSoundLoaded(int soundId, int) override { soundLoads.push_back(soundId); }
  void playSound(int soundId) override { sounds.push_back(soundId); }
  void addSlideEffect(int sheet, int pictures, int lastPass, double x, double y, double step) override {
    slides.push_back({sheet, pictures, lastPass, x, y, step});
  }
  void addShrinkingImage(int imageId, int x, int y, int heading) override {
    shrinking.push_back({imageId, x, y, heading});
  }
  void addDriftingImage(int imageId, int x, int y, double) override { drifting.push_back({imageId, x, y}); }
  void showDamageReaction(PlayerPosition& player, int damage) override { damages.push_back({&player, damage}); }
};

// Installs the hooks and two players into a fresh world; empties it again at
// the end.
class Battle {
 public:
  Battle() {
    ResetBattleWorld();
    World().hooks = &hooks;
    World().players[0] = &player1;
    World().players[1] = &player2;
  }
  ~Battle() { ResetBattleWorld(); }
  Battle(const Battle&) = delete;
  Battle& operator=(const Battle&) = delete;

  RecordingHooks hooks;
  PlayerPosition player1;
  PlayerPosition player2{200.0, 550.0};
};

}  // namespace game::battle::test
