// The battle's moving objects: enemies, bullets and dropped items. They move,
// fire and die through the movement, shot-pattern and action tables, whose
// ids they carry; this file owns their fields, geometry, damage and records.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "game/battle/battle_ids.h"
#include "game/battle/battle_world.h"
#include "game/battle/record_bytes.h"
#include "library/veziv.h"

namespace game::battle {

class motion {
 public:
  motion() = default;
  virtual ~motion() = default;
  motion(const motion&) = delete;
  motion& operator=(const motion&) = delete;

  virtual void update() {}
  virtual void draw();
  // True once the object has left the play area.
  virtual bool isOut() const;
  // Pixels a frame, truncated toward zero.
  int getPixelSpeed() const;
  // The position one frame back along the heading.
  double getPrevX() const;
  double getPrevY() const;
  virtual int getTypeId() const { return kMotionTypeId; }
  // The slot record of the class.
  virtual void save(std::vector<uint8_t>& out) const;
  virtual void load(RecordReader& in);
  // The "enemy.dat" record of the class, from a library file handle; false on
  // a short read.
  bool loadFromFile(veziv::FileHandle handle);
  // The same record from bytes.
  virtual void readFileRecord(RecordReader& in);
  virtual int fileRecordBytes() const { return kMotionRecordBytes; }
  // Whether every field read from a file lies inside what the game can use.
  virtual bool hasValidFields() const;

  double x = 0.0;
  double y = 0.0;
  int radius = 0;
  double heading = 0.0;
  int speed = 0;
  int imageId = 0;

 protected:
  void saveMotionRecord(std::vector<uint8_t>& out) const;
  void loadMotionRecord(RecordReader& in);
  // The picture of imageId, centred, turned to the heading.
  void drawBody(int shake) const;
};

class enemy : public motion {
 public:
  // For the loaders, which always fill the record at once.
  enemy() = default;
  // An enemy launched by a shot pattern: plane 4 at (x, y), flying at heading.
  enemy(int heading, double x, double y);

  void update() override;
  void draw() override;
  int getTypeId() const override { return kEnemyTypeId; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  void readFileRecord(RecordReader& in) override;
  int fileRecordBytes() const override { return kEnemyRecordBytes; }
  bool hasValidFields() const override;
  // True when this hit killed the enemy (the death action's result).
  bool damage(int amount);
  int getScore() const { return score; }

  int score = 0;
  int hp = 0;
  int maxHp = 1;
  int shadowOffset = 0;
  // The shot-pattern state: the patterns address these five words in order.
  int shotCounter = 0;
  int shotId = 0;
  int shotAux = 0;
  int shotImage = kImageBulletRed;
  int shotInterval = 1;
  int movementId = 0;
  int deathActionId = 0;
  int deathActionState = 0;

 protected:
  void saveEnemyWords(std::vector<uint8_t>& out) const;
  void loadEnemyWords(RecordReader& in);
  void drawEnemy(int shake);
};

class enemy_dualImage : public enemy {
 public:
  enemy_dualImage() = default;
  void draw() override;
  int getTypeId() const override { return kDualImageEnemyTypeId; }
  int secondImage() const { return baseImage; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  void readFileRecord(RecordReader& in) override;
  int fileRecordBytes() const override { return kDualImageEnemyRecordBytes; }
  bool hasValidFields() const override;

  int baseHeading = 0;
  int baseImage = 0;
};

class bullet : public motion {
 public:
  bullet() = default;
  bullet(int heading, int power, int speed, int movementId, int hitActionId, int owner, double x, double y,
         int imageId);

  void update() override;
  bool isOut() const override;
  int getTypeId() const override { return kBulletTypeId; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;
  // Whether the bullet touched the circle (x, y, r) along its last frame's path.
  bool hitTest(double x, double y, int r) const;
  // Runs the hit action; true when the bullet is spent.
  bool onHit();
  void onKill() {}

  int owner = 0;
  int power = 0;
  int movementId = 0;
  int hitActionId = 1;
  int hitActionState = 0;
};

class item : public motion {
 public:
  item() = default;
  void update() override;
  void draw() override;
  int getTypeId() const override { return kItemTypeId; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;
  // Whether the player at position is close enough to take the item.
  bool pickUpTest(const PlayerPosition& position) const;

  int movementId = 5;
  int kind = 0;
  int amount = 0;
};

// A new object of the type id, with the factory's values; null for any other id.
std::unique_ptr<motion> createMotion(int typeId);

// The shake offset of object pictures for a shake value.
int objectShakeOffset(int screenShake);
// Width in pixels of the filled part of an enemy's HP bar.
int hpBarFill(int hp, int maxHp);
// trunc toward zero into an int: NaN gives 0, values beyond the range saturate.
int truncInt(double v);

// Applies a picked-up item to a player record (fields mp, mpMax, hp, maxHp, score).
template <class PlayerRecord>
void applyItemPickup(PlayerRecord& player, const item& it) {
  switch (it.kind) {
    case 1:
      player.mp += it.amount;
      if (player.mp > player.mpMax) player.mp = player.mpMax;
      break;
    case 2:
      player.hp += it.amount;
      if (player.hp > player.maxHp) player.hp = player.maxHp;
      break;
    case 3:
      player.score += it.amount;
      break;
    default:
      break;
  }
}

}  // namespace game::battle
