// The players: building from the equipment, flight, both weapons, MP, the
// damage reaction with its radio lines, and the score digits.
#include <gtest/gtest.h>

#include "game/battle/battle_test_support.h"
#include "game/battle/effect_layers.h"
#include "game/battle/players.h"

namespace game::battle {
namespace {

class PlayerBattle : public test::Battle {
 public:
  PlayerBattle() {
    installPlayers();
    battlePlayer(1) = buildPlayer(1, 0, 0, 0, -1, -1);
    battlePlayer(2) = buildPlayer(2, 0, 0, 0, -1, -1);
    clearAnimes();
  }
  ~PlayerBattle() { clearAnimes(); }
  // Counters as the input holds them: 1 on the press frame.
  static InputHolds holding(std::initializer_list<std::pair<int, int>> holds) {
    InputHolds in;
    for (auto [action, frames] : holds) in.hold[action] = frames;
    return in;
  }
};

TEST(PlayerBuild, ItemsChangeTheRecord) {
  PlayerBattle battle;
  struct Case {
    int item1, item2;
    double hp;
    int mpMax, moveSpeed, reload, bonus, ammo;
  };
  // The test catalogue: main weapon 0 reloads in 10, sub weapons hold 5.
  const Case cases[] = {
      {-1, -1, 1000, 1000, 20, 10, 0, 5}, {0, -1, 1000, 1000, 20, 10, 20, 5}, {1, 4, 1200, 1000, 30, 10, 0, 5},
      {-1, 2, 1000, 700, 20, 10, 0, 5},   {3, -1, 1000, 1000, 20, 8, 0, 5},   {5, 3, 1000, 1000, 20, 8, 0, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.item1 << "," << c.item2);
    const playerRecord p = buildPlayer(2, 0, 1, 3, c.item1, c.item2);
    EXPECT_EQ(p.playerNumber, 2);
    EXPECT_EQ(p.bulletOwner, 2);
    EXPECT_EQ(p.hp, c.hp);
    EXPECT_EQ(p.maxHp, c.hp);
    EXPECT_EQ(p.shownHp, 1000);
    EXPECT_EQ(p.mpMax, c.mpMax);
    EXPECT_EQ(p.moveSpeed, c.moveSpeed);
    EXPECT_EQ(p.mainWeapon.reload, c.reload);
    EXPECT_EQ(p.mainWeapon.attackBonus, c.bonus);
    EXPECT_EQ(p.subWeapon.ammo, c.ammo);
    EXPECT_EQ(p.subWeapon.fullAmmo, 5);
    EXPECT_EQ(p.battleCharacter, 3);
  }
  // Reload x 0.8 truncated: 20 gives 16.
  EXPECT_EQ(getPlayerWeaponState(1, 3, -1).reload, 16);
}

TEST(PlayerFlight, StepsSlowModeClampAndShownHp) {
  PlayerBattle battle;
  playerRecord& p = battlePlayer(1);
  p = buildPlayer(1, 0, 0, 0, 1, 4);
  updatePlayer(PlayerBattle::holding({{InputHolds::kLeft, 1}, {InputHolds::kUp, 3}}), p);
  EXPECT_EQ(p.x, 394);
  EXPECT_EQ(p.y, 544);
  EXPECT_EQ(p.shownHp, 1200);  // 1000 for the first frame only
  // The slow key flips on its press frame only; opposite keys cancel.
  updatePlayer(PlayerBattle::holding({{InputHolds::kSlow, 1}, {InputHolds::kRight, 2}}), p);
  EXPECT_EQ(p.x, 397);
  updatePlayer(PlayerBattle::holding({{InputHolds::kSlow, 2}, {InputHolds::kLeft, 2}, {InputHolds::kRight, 2}}), p);
  EXPECT_EQ(p.x, 397);
  EXPECT_EQ(p.slowIndicator, 40);
  for (int i = 0; i < 300; ++i) updatePlayer(PlayerBattle::holding({{InputHolds::kRight, 5}, {InputHolds::kDown, 5}}), p);
  EXPECT_EQ(p.x, 688);
  EXPECT_EQ(p.y, 584);
  EXPECT_EQ(p.slowIndicator, 100);

  // The shown HP falls by 0.04 a millisecond after a hit.
  p.hp = 600;
  World().frameMs = 20;
  updatePlayer(InputHolds{}, p);
  EXPECT_DOUBLE_EQ(p.shownHp, 1199.2);
}

TEST(PlayerFlight, MpRefillsAndAnnouncesTheFullBarOnce) {
  PlayerBattle battle;
  playerRecord& p = battlePlayer(1);
  p.mp = 998;
  updatePlayer(InputHolds{}, p);
  EXPECT_TRUE(battle.hooks.sounds.empty());
  updatePlayer(InputHolds{}, p);
  updatePlayer(InputHolds{}, p);
  EXPECT_EQ(p.mp, 1000);
  EXPECT_EQ(battle.hooks.sounds, std::vector<int>{kSoundBombCharged});
  ASSERT_EQ(frontAnimes().size(), 1u);
  EXPECT_STREQ(dynamic_cast<const userMessege&>(*frontAnimes()[0]).text, "BOMB FULLY CHARGED!!!");
}

TEST(PlayerWeapons, MainWeaponTable) {
  struct Case {
    int weapon;
    size_t bullets;
    int power, speed, image, sound;
  };
  const Case cases[] = {
      {0, 2, 25, 20, 42, 2}, {1, 1, 10, 40, 41, 19}, {2, 2, 25, 25, 42, 2}, {3, 2, 6, 40, 41, 19},
      {4, 2, 50, 20, 42, 2}, {5, 3, 25, 20, 42, 2},  {6, 5, 15, 20, 42, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.weapon);
    PlayerBattle battle;
    playerRecord& p = battlePlayer(1);
    p.mainWeapon.id = c.weapon;
    p.mainWeapon.attackBonus = 20;
    firePlayerWeapon(p);
    ASSERT_EQ(World().bullets.size(), c.bullets);
    for (const auto& b : World().bullets) {
      EXPECT_EQ(b->power, c.power + 20);
      EXPECT_EQ(b->speed, c.speed);
      EXPECT_EQ(b->imageId, c.image);
      EXPECT_EQ(b->owner, 1);
      EXPECT_EQ(b->movementId, 0);
    }
    EXPECT_EQ(battle.hooks.sounds, std::vector<int>{c.sound});
  }
  PlayerBattle battle;
  battlePlayer(1).mainWeapon.id = 7;
  firePlayerWeapon(battlePlayer(1));
  EXPECT_TRUE(World().bullets.empty());
  EXPECT_TRUE(battle.hooks.sounds.empty());
}

TEST(PlayerWeapons, ShotFiresOncePerPressAndSubWeaponRepeatsWhileHeld) {
  PlayerBattle battle;
  playerRecord& p = battlePlayer(1);
  p.mainWeapon.counter = 100;
  p.subWeapon.counter = 100;
  // Holding the shot key for 40 frames fires once.
  for (int held = 1; held <= 40; ++held) {
    updatePlayer(InputHolds{}, p);
    firePlayerShots(PlayerBattle::holding({{InputHolds::kShot, held}}), InputHolds{});
  }
  EXPECT_EQ(World().bullets.size(), 2u);
  World().bullets.clear();

  // The sub weapon (reload 30, 5 rounds) fires on frames 1, 31, 61, ...
  // while held; empty, it clicks on the press frame only.
  std::vector<int> shotFrames;
  for (int held = 1; held <= 200; ++held) {
    updatePlayer(InputHolds{}, p);
    const size_t before = World().bullets.size();
    firePlayerShots(PlayerBattle::holding({{InputHolds::kSub, held}}), InputHolds{});
    if (World().bullets.size() > before) shotFrames.push_back(held);
  }
  EXPECT_EQ(shotFrames, (std::vector<int>{1, 31, 61, 91, 121}));
  EXPECT_EQ(p.subWeapon.ammo, 0);
  battle.hooks.sounds.clear();
  firePlayerShots(PlayerBattle::holding({{InputHolds::kSub, 1}}), InputHolds{});
  firePlayerShots(PlayerBattle::holding({{InputHolds::kSub, 2}}), InputHolds{});
  EXPECT_EQ(battle.hooks.sounds, std::vector<int>{kSoundEmptyClick});

  // A dead player fires nothing.
  p.hp = 0;
  p.mainWeapon.counter = 100;
  firePlayerShots(PlayerBattle::holding({{InputHolds::kShot, 1}}), InputHolds{});
  EXPECT_EQ(World().bullets.size(), 5u);
}

TEST(PlayerDamage, RadioLinesByThreshold) {
  struct Case {
    double before, damage;
    std::vector<int> sounds;
    bool line;
  };
  const Case cases[] = {
      {1000, 300, {kSoundRadio75}, true},
      {800, 600, {kSoundRadio25}, true},  // 80 % to 20 %: the lowest mark alone
      {600, 200, {kSoundRadio50}, true},
      {600, 50, {}, false},
      {300, 300, {}, false},  // the killing hit: no line
      {200, 50, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    PlayerBattle battle;
    playerRecord& p = battlePlayer(1);
    p.hp = c.before;
    p.framesSinceDamage = 500;
    showDamageReaction(p, c.damage);
    EXPECT_EQ(p.hp, std::max(0.0, c.before - c.damage));
    EXPECT_EQ(p.framesSinceDamage, 0);
    EXPECT_EQ(battle.hooks.sounds, c.sounds);
    // The notice, then the pilot's picture and the text while the line plays.
    ASSERT_EQ(frontAnimes().size(), c.line ? 3u : 1u);
    const auto& notice = dynamic_cast<const userMessege&>(*frontAnimes()[0]);
    EXPECT_STREQ(notice.text, "Damage! -");
    EXPECT_EQ(notice.number, static_cast<int>(c.damage));
    if (c.line) {
      EXPECT_EQ(dynamic_cast<const imageShower&>(*frontAnimes()[1]).mode, kModeWhileSound);
      const auto& text = dynamic_cast<const messege&>(*frontAnimes()[2]);
      EXPECT_EQ(text.fontIndex, kFontRadio);
      EXPECT_EQ(text.x, 394);
    }
  }
  // With in-battle events off, the picture alone.
  PlayerBattle battle;
  battle.hooks.eventsOn = false;
  showDamageReaction(battlePlayer(1), 300);
  EXPECT_EQ(frontAnimes().size(), 2u);
}

TEST(ScoreDigits, CountAndEasing) {
  struct Case {
    double shown;
    int digits;
  };
  // A score of 0 shows no digit; so does a value still easing below 0.1.
  const Case cases[] = {{0, 0},    {-40, 0},  {0.05, 0}, {0.2, 1},    {0.5, 1},
                        {9.99, 1}, {10, 2},   {999, 3},  {12345, 5}};
  for (const Case& c : cases) EXPECT_EQ(scoreDigitCount(c.shown), c.digits) << c.shown;
  test::Battle battle;
  double shown = 0;
  drawScoreDigits(10, 1000, shown);
  EXPECT_DOUBLE_EQ(shown, 100);
  shown = 999.95;
  drawScoreDigits(10, 1000, shown);
  EXPECT_EQ(shown, 1000);
}

// A record a slot restored may hold any hit points over a maximum just
// above zero: the bars are drawn without an overflow.
TEST(PlayerStatus, BarsOfATinyMaximumAreDrawnWithoutFault) {
  test::Battle battle;
  for (const double hp : {1e9, -1e9, 0.0}) {
    playerRecord p = buildPlayer(1, 0, 0, 0, -1, -1);
    p.maxHp = 1e-300;
    p.hp = hp;
    p.shownHp = 1e9;
    drawPlayerStatus(10, p);
  }
}

}  // namespace
}  // namespace game::battle
