// Charging and releasing, each character's attack, and the routines' frames
// and effects on enemies and bullets.
#include <gtest/gtest.h>

#include "game/battle/battle_test_support.h"
#include "game/battle/effect_layers.h"
#include "game/battle/special_attacks.h"

namespace game::battle {
namespace {

class SpecialBattle : public test::Battle {
 public:
  SpecialBattle() {
    installPlayers();
    battlePlayer(1) = buildPlayer(1, 0, 0, 0, -1, -1);
    battlePlayer(2) = buildPlayer(2, 0, 0, 0, -1, -1);
    battlePlayer(2).x = 200;
    clearAnimes();
  }
  ~SpecialBattle() { clearAnimes(); }

  static InputHolds special(int held) {
    InputHolds in;
    in.hold[InputHolds::kSpecial] = held;
    return in;
  }
  // Press, hold for `frames` frames, release.
  static void chargeAndRelease(playerRecord& p, int frames) {
    for (int held = 1; held <= frames; ++held) chargeSpecialAttack(special(held), p);
    chargeSpecialAttack(special(0), p);
  }
  static enemy& addEnemy(double x, double y, int hp) {
    World().enemies.push_back(std::make_unique<enemy>());
    enemy& e = *World().enemies.back();
    e.x = x;
    e.y = y;
    e.hp = e.maxHp = hp;
    e.radius = 16;
    e.score = 7;
    return e;
  }
  static bullet& addEnemyBullet(double x, double y) {
    World().bullets.push_back(std::make_unique<bullet>(270, 10, 0, 0, 1, 3, x, y, kImageBulletRed));
    return *World().bullets.back();
  }
};

int count(const std::vector<int>& sounds, int id) { return static_cast<int>(std::count(sounds.begin(), sounds.end(), id)); }

TEST(SpecialCharge, ChargeAndReleaseBoundaries) {
  struct Case {
    const char* name;
    int mp, frames;
    bool started, ready, released;
    int mpAfter;
  };
  const Case cases[] = {
      // Exactly 20 %: charging starts, every release is refused.
      {"twenty percent", 200, 100, true, true, false, 200},
      {"below twenty percent", 199, 100, false, false, false, 199},
      // 300 is a multiple of 3: the charge lands on it without the notice.
      {"lands on the mp", 300, 150, true, false, true, 0},
      {"passes the mp", 500, 200, true, true, true, 0},
      {"released early", 900, 90, true, false, true, 633},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SpecialBattle battle;
    playerRecord& p = battlePlayer(1);
    p.mp = c.mp;
    p.battleCharacter = 6;
    SpecialBattle::chargeAndRelease(p, c.frames);
    const auto& sounds = battle.hooks.sounds;
    EXPECT_EQ(count(sounds, kSoundCursor), c.started ? 1 : 0);
    EXPECT_EQ(count(sounds, kSoundBombCharged), c.ready ? 1 : 0);
    EXPECT_EQ(count(sounds, kSoundDecide), c.released ? 1 : 0);
    EXPECT_EQ(count(sounds, kSoundCancel), !c.released ? 1 : 0);
    EXPECT_EQ(p.mp, c.mpAfter);
    EXPECT_EQ(p.specialCharge, -1);
    EXPECT_EQ(p.specialUsed, c.released ? 1 : 0);
    // Character 6 has no attack: nothing but the notices.
    for (const auto& e : frontAnimes()) EXPECT_EQ(e->getTypeId(), kAnimeUserMessege);
    EXPECT_TRUE(backAnimes().empty());
  }
}

TEST(SpecialCharge, MpDoesNotRefillWhileCharging) {
  SpecialBattle battle;
  playerRecord& p = battlePlayer(1);
  p.mp = 500;
  chargeSpecialAttack(SpecialBattle::special(1), p);
  updatePlayer(InputHolds{}, p);
  EXPECT_EQ(p.mp, 500);
  chargeSpecialAttack(SpecialBattle::special(0), p);
  updatePlayer(InputHolds{}, p);
  EXPECT_EQ(p.mp, 501);  // the release at 0 was refused
}

TEST(SpecialRelease, FullAndPartialChargesPerCharacter) {
  struct Case {
    int character, fullSound, partialSound, cutInImage;
    bool ring;
  };
  const Case cases[] = {{0, 92, 93, 234, true},  {1, 94, 95, 231, true},  {2, 85, 86, 230, false},
                        {3, 90, 91, 233, false}, {4, 87, 89, 232, false}, {5, 96, 97, 235, false}};
  for (const Case& c : cases) {
    for (const bool full : {true, false}) {
      SCOPED_TRACE(testing::Message() << c.character << (full ? " full" : " partial"));
      SpecialBattle battle;
      playerRecord& p = battlePlayer(1);
      p.battleCharacter = c.character;
      p.mp = 1000;
      p.specialCharge = full ? 1000 : 600;
      releaseSpecialAttack(p);
      EXPECT_EQ(World().screenShake, full ? 1080 : 0);
      EXPECT_EQ(count(battle.hooks.sounds, kSoundFullCharge), full ? 1 : 0);
      EXPECT_EQ(count(battle.hooks.sounds, c.fullSound), full ? 1 : 0);
      EXPECT_EQ(count(battle.hooks.sounds, c.partialSound), full ? 0 : 1);
      ASSERT_FALSE(backAnimes().empty());
      const auto& attack = dynamic_cast<const maku&>(*backAnimes()[0]);
      EXPECT_EQ(attack.routine, c.character);
      EXPECT_EQ(attack.state, full ? 100 : 60);
      EXPECT_EQ(backAnimes().size(), c.ring ? 2u : 1u);
      if (c.ring) {
        const int size = dynamic_cast<const circle&>(*backAnimes()[1]).maxRadius;
        EXPECT_EQ(size, c.character == 0 ? (full ? 200 : 120) : (full ? 100 : 60));
      }
      // A full charge: the flash, then the cut-in, in the front layer.
      ASSERT_EQ(frontAnimes().size(), full ? 2u : 0u);
      if (full) {
        EXPECT_EQ(frontAnimes()[0]->getTypeId(), kAnimeFlash);
        EXPECT_EQ(dynamic_cast<const cutIn&>(*frontAnimes()[1]).imageId, c.cutInImage);
      }
    }
  }
  // A small charge still gets the ring's least size.
  SpecialBattle battle;
  playerRecord& p = battlePlayer(1);
  p.mp = 1000;
  p.specialCharge = 210;
  releaseSpecialAttack(p);
  EXPECT_EQ(dynamic_cast<const circle&>(*backAnimes()[1]).maxRadius, 42);
}

// The update on which a routine ends.
int endFrame(int routine, int power) {
  maku attack(World().players[0], routine, power);
  for (int frame = 1; frame <= 1000; ++frame) {
    if (attack.update()) return frame;
  }
  return 0;
}

TEST(SpecialRoutines, EndFramesAtTwoPowers) {
  SpecialBattle battle;
  const int expected[7][2] = {{100, 50}, {100, 50}, {299, 149}, {300, 150}, {400, 200}, {299, 149}, {0, 0}};
  for (int routine = 0; routine < kMakuRoutineCount; ++routine) {
    SCOPED_TRACE(routine);
    EXPECT_EQ(endFrame(routine, 100), expected[routine][0]);
    EXPECT_EQ(endFrame(routine, 50), expected[routine][1]);
  }
}

TEST(SpecialRoutines, SprayAndBeam) {
  SpecialBattle battle;
  playerRecord& p = battlePlayer(1);
  EXPECT_EQ(endFrame(0, 100), 100);
  EXPECT_EQ(World().bullets.size(), 200u);
  for (const auto& b : World().bullets) EXPECT_EQ(b->owner, 1);
  World().bullets.clear();

  // Routine 1 reaches 33 pixels on frame 10, hitting on even frames only.
  enemy& near = SpecialBattle::addEnemy(p.x + 32.5, 100, 1000);
  enemy& far = SpecialBattle::addEnemy(p.x - 33, 100, 1000);
  maku beam(&p, 1, 100);
  for (int i = 0; i < 9; ++i) beam.update();
  const int nearBefore = near.hp;
  beam.update();
  EXPECT_EQ(near.hp, nearBefore - 50);
  EXPECT_EQ(far.hp, 1000);
  beam.update();
  EXPECT_EQ(near.hp, nearBefore - 50);
  EXPECT_EQ(count(battle.hooks.sounds, 12), 1);

  // A kill scores for the player and removes the enemy.
  World().enemies.clear();
  SpecialBattle::addEnemy(p.x, 100, 40);
  beam.update();
  EXPECT_TRUE(World().enemies.empty());
  EXPECT_EQ(p.score, 7);
}

TEST(SpecialRoutines, TriangleClearsInsideAndSparesTheEdges) {
  SpecialBattle battle;
  playerRecord& p = battlePlayer(1);
  p.x = 300;
  p.y = 300;
  maku triangle(&p, 2, 100);
  for (int i = 0; i < 59; ++i) triangle.update();
  // On frame 60 the corner A points at 90 degrees: (300, 445) with R 145.
  SpecialBattle::addEnemyBullet(300, 310);  // inside
  SpecialBattle::addEnemyBullet(300, 500);  // beyond the corner
  SpecialBattle::addEnemyBullet(300, 200);  // outside
  triangle.update();
  ASSERT_EQ(World().bullets.size(), 2u);
  EXPECT_EQ(World().bullets[0]->y, 500);
}

TEST(SpecialRoutines, BarrierSizeAndPush) {
  SpecialBattle battle;
  playerRecord& p = battlePlayer(1);
  p.x = 300;
  p.y = 300;
  maku barrier(&p, 3, 100);
  for (int i = 0; i < 59; ++i) barrier.update();
  // Frame 60: full size, half-width 180. A bullet on the ellipse goes.
  SpecialBattle::addEnemyBullet(480, 300);
  SpecialBattle::addEnemyBullet(481, 300);
  SpecialBattle::addEnemyBullet(300, 199);
  enemy& e = SpecialBattle::addEnemy(400, 300, 100);
  barrier.update();
  ASSERT_EQ(World().bullets.size(), 2u);
  EXPECT_EQ(World().bullets[0]->x, 481);
  // The enemy on the right is pushed down the screen (clockwise) and hit.
  EXPECT_NEAR(e.x, 400, 1e-9);
  EXPECT_NEAR(e.y, 304, 1e-9);
  EXPECT_EQ(e.hp, 98);
  // An enemy on the player's own spot has no direction: it stays and is hit.
  enemy& centre = SpecialBattle::addEnemy(300, 300, 100);
  barrier.update();
  EXPECT_EQ(centre.x, 300);
  EXPECT_EQ(centre.hp, 98);
}

TEST(SpecialRoutines, VortexSeizesSteersAndThrowsBack) {
  for (const int owner : {1, 2}) {
    SCOPED_TRACE(owner);
    SpecialBattle battle;
    playerRecord& p = battlePlayer(owner);
    p.x = 300;
    p.y = 300;
    maku vortex(&p, 4, 100);
    for (int i = 0; i < 49; ++i) vortex.update();
    // Frame 50: radius 60; 59 is seized, 60 is not.
    bullet& seized = SpecialBattle::addEnemyBullet(300, 359);
    bullet& free = SpecialBattle::addEnemyBullet(360, 300);
    // Player 1's keys steer, whoever owns the attack.
    battle.hooks.input1.hold[InputHolds::kLeft] = 1;
    vortex.update();
    EXPECT_EQ(seized.speed, 0);
    EXPECT_EQ(seized.heading, 270);
    EXPECT_NEAR(seized.x, 304, 1e-9);
    EXPECT_NEAR(seized.y, 350, 1e-9);
    EXPECT_EQ(free.x, 360);
    battle.hooks.input1.hold[InputHolds::kLeft] = 0;
    for (int frame = 51; frame < 300; ++frame) vortex.update();
    EXPECT_EQ(seized.owner, 3);
    EXPECT_EQ(count(battle.hooks.sounds, 88), 0);
    vortex.update();  // frame 300
    EXPECT_EQ(count(battle.hooks.sounds, 88), 1);
    EXPECT_EQ(seized.owner, owner);
    EXPECT_EQ(seized.speed, 50);
    EXPECT_EQ(seized.movementId, 11);
  }
}

// The vortex's pictures grow by a figure whose divisor is a whole number.
TEST(SpecialRoutines, VortexGrowthDividesByAWholeSpread) {
  struct Case {
    int power;
    double counter, growth;
  };
  const Case cases[] = {
      {100, 229, 1.0},                     // before p x 230 / 100
      {100, 230, 0.5 + 35.0 * 35 / 2440},  // falls ...
      {100, 265, 0.5},                     // ... to a half ...
      {100, 400, 0.5 + 135.0 * 135 / 2440},  // ... and grows again
      {33, 74, 1.0},
      {33, 75, 0.5 + 11.0 * 11 / 805},  // 33 x 2440 / 100 is 805, not 805.2
      {33, 132, 0.5 + 46.0 * 46 / 805},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(vortexGrowth(c.power, c.counter), c.growth) << c.power << " " << c.counter;
  }
}

TEST(SpecialRoutines, BeamsAndTheFullPowerSpray) {
  SpecialBattle battle;
  playerRecord& p = battlePlayer(1);
  p.x = 300;
  p.y = 300;
  for (const int power : {99, 100}) {
    SCOPED_TRACE(power);
    World().bullets.clear();
    maku beams(&p, 5, power);
    for (int i = 0; i < 10; ++i) beams.update();
    EXPECT_EQ(World().bullets.size(), power == 100 ? 5u : 0u);
  }
  // Frame 1 at power 100: strength 0.2, beams 40 long from 50 out; beam 0 at 3 degrees.
  World().bullets.clear();
  maku beams(&p, 5, 100);
  enemy& hit = SpecialBattle::addEnemy(370, 303, 100);
  enemy& missed = SpecialBattle::addEnemy(400, 303, 100);
  SpecialBattle::addEnemyBullet(360, 303);
  beams.update();
  EXPECT_EQ(hit.hp, 90);
  EXPECT_EQ(missed.hp, 100);
  EXPECT_EQ(count(battle.hooks.sounds, kSoundDamage), 1);
  EXPECT_TRUE(std::none_of(World().bullets.begin(), World().bullets.end(),
                           [](const auto& b) { return b->owner == 3; }));
  ASSERT_EQ(frontAnimes().size(), 1u);
  EXPECT_EQ(frontAnimes()[0]->getTypeId(), kAnimeExpanding);
  ASSERT_EQ(backAnimes().size(), 1u);
  EXPECT_EQ(backAnimes()[0]->getTypeId(), kAnimeStationalSlide);
}

// Drawing shows the state and never moves it: without a screen every draw
// runs, and afterwards the players, the attacks, the effect layers and the
// world are as they were, and nothing was played or loaded.
TEST(SpecialDrawing, DrawsRunWithoutAScreenAndChangeNothing) {
  SpecialBattle battle;
  playerRecord& p = battlePlayer(1);
  p.mp = 600;
  p.specialCharge = 300;
  World().screenShake = 500;
  addAnime(std::make_unique<circle>(&p, 60));
  addAnime(std::make_unique<cutIn>(231));
  addAnime(std::make_unique<messege>(10, 0, "radio", 0u, true, 5, kFontRadio, kModeWhileSound));
  addAnime(std::make_unique<stationalSlideAnime>(0, 16, 0, 5, 5, 1));
  addAnime(std::make_unique<userMessege>("Up +", 5, &p, 0u));
  addAnime(std::make_unique<imageShower>(1, 61, 1, 1, kModeTimedFading, 0, 1));
  const size_t front = frontAnimes().size(), back = backAnimes().size();

  drawPlayerStatus(10, p);
  EXPECT_EQ(p.mp, 600);
  EXPECT_EQ(p.specialCharge, 300);
  p.mp = p.mpMax;
  p.hp = 0;
  drawPlayerStatus(400, p);
  drawPlayerCraft(InputHolds{}, p);
  EXPECT_EQ(p.mp, p.mpMax);
  EXPECT_EQ(p.hp, 0);
  for (int routine = 0; routine < kMakuRoutineCount; ++routine) {
    for (const int power : {1, 20, 100}) {
      maku attack(&p, routine, power);
      for (int frame = 0; frame < 420; frame += 7) {
        attack.counter = frame;
        attack.draw();
        ASSERT_EQ(attack.counter, frame) << routine << " " << power;
      }
    }
  }
  drawFrontAnimes();
  drawBackAnimes();
  EXPECT_EQ(frontAnimes().size(), front);
  EXPECT_EQ(backAnimes().size(), back);
  EXPECT_EQ(World().screenShake, 500);
  EXPECT_TRUE(World().enemies.empty());
  EXPECT_TRUE(World().bullets.empty());
  EXPECT_TRUE(battle.hooks.sounds.empty());
  EXPECT_TRUE(battle.hooks.slides.empty());
  EXPECT_TRUE(battle.hooks.damages.empty());
}

}  // namespace
}  // namespace game::battle
