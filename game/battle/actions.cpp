// The action table: what an enemy's death or a bullet's hit makes.
#include <cmath>

#include "game/battle/geometry.h"
#include "game/battle/motion.h"
#include "game/battle/tables.h"

namespace game::battle {
namespace {

constexpr double kPi = 3.141592653589793;

void smallExplosion(const motion& o) {
  BattleHooks& hooks = Hooks();
  hooks.addSlideEffect(kSheetSmoke, kSmokePictures, 0, o.x, o.y, 1.0);
  hooks.addSlideEffect(kSheetExplosion, kExplosionPictures, 0, o.x, o.y, 1.0);
  hooks.playSound(kSoundDamage);
}

void blastRing(const motion& o, int r) {
  const int n = 1 + truncInt(r * 2 * kPi / 20);
  const int s = 360 / n;
  for (int i = 0; i < n; ++i) {
    const double a = i * s * kPi / 180;
    Hooks().addSlideEffect(kSheetExplosion, kExplosionPictures, 0, truncInt(o.x + std::cos(a) * r),
                           truncInt(o.y + std::sin(a) * r), 1.0);
  }
}

// Enemies killed here run their own death actions at once, so blasts chain;
// the list grows by nothing meanwhile (actions add bullets and items only).
void blastDamage(const motion& o, int within) {
  EnemyList& enemies = World().enemies;
  for (size_t i = 0; i < enemies.size(); ++i) {
    enemy& e = *enemies[i];
    const int d = truncatedDistance(o.x, o.y, e.x, e.y);
    if (d < within) e.damage(10000 / (d + 50));
  }
}

// The word that follows the motion record in the object's class.
int firstOwnField(const motion& o) {
  if (const auto* e = dynamic_cast<const enemy*>(&o)) return e->score;
  if (const auto* b = dynamic_cast<const bullet*>(&o)) return b->owner;
  if (const auto* it = dynamic_cast<const item*>(&o)) return it->movementId;
  return 0;
}

bool nothing(int&, motion&) { return true; }

bool explode(int&, motion& o) {
  smallExplosion(o);
  return true;
}

bool shrink(int&, motion& o) {
  Hooks().addShrinkingImage(o.imageId, truncInt(o.x), truncInt(o.y), truncInt(o.heading));
  Hooks().playSound(kSoundDamage);
  return true;
}

bool bulletRing(int&, motion& o) {
  const int owner = firstOwnField(o);
  for (int h = 0; h < 360; h += 10) {
    World().bullets.push_back(std::make_unique<bullet>(h, 10, 20, 0, 1, owner, o.x, o.y, kImageBulletBlue));
  }
  return true;
}

bool dropMpItem(int&, motion& o) {
  auto drop = std::make_unique<item>();
  drop->x = o.x;
  drop->y = o.y;
  drop->heading = 0;
  drop->speed = 1;
  drop->imageId = kImageTornadoBullet;
  drop->radius = Hooks().imageWidth(kImageTornadoBullet) / 2;
  drop->movementId = 5;
  drop->kind = 1;
  drop->amount = 50;
  World().items.push_back(std::move(drop));
  return true;
}

bool blast(int&, motion& o) {
  for (int r = 0; r <= 80; r += 20) blastRing(o, r);
  Hooks().playSound(kSoundDamage);
  blastDamage(o, 100);
  return true;
}

bool explodeAndStay(int&, motion& o) {
  smallExplosion(o);
  return false;
}

bool wreck(int& state, motion& o) {
  if (state != 1) {
    state = 1;
    for (int r = 0; r <= 100; r += 20) blastRing(o, r);
    Hooks().playSound(kSoundDamage);
  }
  blastDamage(o, 120);
  Hooks().addDriftingImage(kImageTankWreck, truncInt(o.x), truncInt(o.y), 1.0);
  return true;
}

bool afterBurn(int&, motion& o) {
  Hooks().addDriftingImage(kImageAfterBurn, truncInt(o.x), truncInt(o.y), 1.0);
  smallExplosion(o);
  return true;
}

bool bossDeath(int&, motion& o) {
  // Loaded on first use; a failed load is tried again next time.
  Hooks().ensureSoundLoaded(kSoundBossDeath, 3);
  Hooks().playSound(kSoundBossDeath);
  smallExplosion(o);
  return true;
}

}  // namespace

const ActionEntry actionTable[kActionCount] = {
    nothing, explode, shrink, bulletRing, dropMpItem, blast, explodeAndStay, wreck, afterBurn, bossDeath,
};

}  // namespace game::battle
