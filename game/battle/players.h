// The players of a battle: their records, flight, both weapons, the damage
// reaction with the radio lines, and the craft and status panel drawing.
#pragma once

#include <cstdint>

#include "game/battle/battle_world.h"
#include "game/core/registry_ids.h"

namespace game::battle {

struct MainWeaponState {
  int id = 0;
  int reload = 0;
  int counter = 0;
  int attackBonus = 0;
};

struct SubWeaponState {
  int unused = 0;  // a word the battle does not read
  int reload = 0;
  int counter = 0;
  int ammo = 0;
  int fullAmmo = 0;
  int id = 0;
};

// One player; its position opens the record, as the objects read it.
struct playerRecord : PlayerPosition {
  int playerNumber = 1;
  char pilotName[100] = "ななし";
  int moveSpeed = 20;
  int specialCharge = -1;  // -1 while no special attack is being charged
  double hp = 1000, maxHp = 1000;
  double shownHp = 1000;
  int framesSinceDamage = 1000;
  uint8_t slowMode = 0;
  int slowIndicator = 0;
  int score = 0;
  int reserved = 0;
  int hitRadius = 5;
  int bulletOwner = 1;
  MainWeaponState mainWeapon;
  SubWeaponState subWeapon;
  int battleCharacter = 0;
  int mp = 0, mpMax = 1000;
  uint8_t specialUsed = 0;
  double shownScore = 0.0;

  bool alive() const { return hp / maxHp > 0; }
};

// The battle's two player records; installPlayers points the world's players
// at them.
playerRecord& battlePlayer(int playerNumber);
void installPlayers();
// The record of a player the objects know by position; null for another.
playerRecord* recordOf(PlayerPosition* player);

MainWeaponState getPlayerWeaponState(int mainWeaponId, int item1, int item2);
playerRecord buildPlayer(int playerNumber, int mainWeapon, int subWeapon, int battleCharacter, int item1, int item2);

void updatePlayer(const InputHolds& input, playerRecord& player);
void firePlayerWeapon(playerRecord& player);
void fireSubWeapon(playerRecord& player);
void fireSubWeaponIfReady(const InputHolds& input, playerRecord& player);
// Both players' weapons and special attacks for one frame.
void firePlayerShots(const InputHolds& input1, const InputHolds& input2);
void showDamageReaction(playerRecord& player, double damage);

void drawPlayerCraft(const InputHolds& input, const playerRecord& player);
void drawPlayerStatus(int x0, playerRecord& player);
void drawSubWeaponStatus(int x, SubWeaponState& sub);
// The score digits, easing the shown value a tenth of the way each frame.
void drawScoreDigits(int x, int score, double& shown);
// How many digits a shown score has: trunc(log10) + 1, so 1 from 0.1 up to
// 10; none for a value below 0.1, 0 or negative (a score of 0 shows nothing).
int scoreDigitCount(double shown);

}  // namespace game::battle
