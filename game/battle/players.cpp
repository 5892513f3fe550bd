// The players: records, flight, weapons, damage and the status panel.
#include "game/battle/players.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/battle/effect_layers.h"
#include "game/battle/effects.h"
#include "game/battle/motion.h"
#include "game/battle/special_attacks.h"
#include "game/core/registry_ids.h"
#include "library/veziv.h"

namespace game::battle {
namespace {

constexpr double kPi = 3.141592653589793;

uint32_t rgb(int r, int g, int b) { return veziv::PackColorForScreen(r, g, b); }

void addNotice(playerRecord& player, const char* text, int number, uint32_t colour) {
  addAnime(std::make_unique<userMessege>(text, number, &player, colour));
}

// A main weapon's bullets: heading and x offset, y offset for the one that
// starts higher.
struct Shot {
  int heading, dx, dy;
};
struct MainWeapon {
  Shot shots[5];
  int count, power, speed, hitAction, image, sound;
};
const MainWeapon kMainWeapons[] = {
    {{{90, 5, 0}, {90, -5, 0}}, 2, 25, 20, 2, kImageBulletBlue, kSoundMainShot},
    {{{90, 0, 0}}, 1, 10, 40, 6, kImageBulletYellow, kSoundLaserShot},
    {{{90, 5, 0}, {90, -5, 0}}, 2, 25, 25, 2, kImageBulletBlue, kSoundMainShot},
    {{{90, 5, 0}, {90, -5, 0}}, 2, 6, 40, 6, kImageBulletYellow, kSoundLaserShot},
    {{{90, 5, 0}, {90, -5, 0}}, 2, 50, 20, 2, kImageBulletBlue, kSoundMainShot},
    {{{90, 0, 0}, {80, 5, 0}, {100, -5, 0}}, 3, 25, 20, 2, kImageBulletBlue, kSoundMainShot},
    {{{90, 5, 0}, {90, -5, 0}, {90, 0, -5}, {80, 5, 0}, {100, -5, 0}}, 5, 15, 20, 2, kImageBulletBlue,
     kSoundMainShot},
};

struct SubShot {
  int heading, power, speed, movement, hitAction;
};
struct SubWeapon {
  SubShot shots[2];
  int count, image;
};
const SubWeapon kSubWeapons[] = {
    {{{90, 20, 30, 0, 3}}, 1, kImageMine},    {{{90, 20, 30, 3, 3}}, 1, kImageSpreadMissile},
    {{{90, 150, 30, 13, 1}}, 1, kImageMine}, {{{90, 20, 30, 3, 5}}, 1, kImageBurstMissile},
    {{{120, 150, 30, 3, 1}, {60, 150, 30, 3, 1}}, 2, kImageVMissile}, {{{90, 20, 50, 0, 0}}, 1, kImageBulletBlue},
};
constexpr int kSubWeaponCount = 6;

bool hasItem(int item1, int item2, int id) { return item1 == id || item2 == id; }

int ringShake() { return objectShakeOffset(World().screenShake); }

}  // namespace

playerRecord& battlePlayer(int playerNumber) { return *World().records[playerNumber == 1 ? 0 : 1]; }

void installPlayers() {
  BattleWorld& w = World();
  w.players[0] = w.records[0].get();
  w.players[1] = w.records[1].get();
}

playerRecord* recordOf(PlayerPosition* player) {
  for (auto& record : World().records) {
    if (player == record.get()) return record.get();
  }
  return nullptr;
}

MainWeaponState getPlayerWeaponState(int mainWeaponId, int item1, int item2) {
  MainWeaponState s;
  s.id = mainWeaponId;
  s.reload = Hooks().mainWeaponReload(mainWeaponId);
  if (hasItem(item1, item2, 3)) s.reload = truncInt(s.reload * 0.8);
  s.attackBonus = hasItem(item1, item2, 0) ? 20 : 0;
  return s;
}

playerRecord buildPlayer(int playerNumber, int mainWeapon, int subWeapon, int battleCharacter, int item1, int item2) {
  playerRecord p;
  p.playerNumber = playerNumber;
  p.bulletOwner = playerNumber;
  p.mainWeapon = getPlayerWeaponState(mainWeapon, item1, item2);
  p.subWeapon.id = subWeapon;
  p.subWeapon.reload = Hooks().subWeaponReload(subWeapon);
  p.subWeapon.fullAmmo = Hooks().subWeaponAmmo(subWeapon);
  p.subWeapon.ammo = p.subWeapon.fullAmmo * (hasItem(item1, item2, 5) ? 2 : 1);
  p.battleCharacter = battleCharacter;
  if (hasItem(item1, item2, 1)) p.hp = p.maxHp = truncInt(1000 * 1.2);
  if (hasItem(item1, item2, 2)) p.mpMax = 700;
  if (hasItem(item1, item2, 4)) p.moveSpeed = 30;
  return p;
}

void updatePlayer(const InputHolds& input, playerRecord& player) {
  const int* hold = input.hold;
  if (hold[InputHolds::kSlow] == 1) player.slowMode = player.slowMode != 0 ? 0 : 1;
  const int factor = player.slowMode != 0 ? 50 : 100;
  const int step = (player.moveSpeed / 5) * factor / 100;
  if (hold[InputHolds::kLeft] > 0) player.x -= step;
  if (hold[InputHolds::kUp] > 0) player.y -= step;
  if (hold[InputHolds::kRight] > 0) player.x += step;
  if (hold[InputHolds::kDown] > 0) player.y += step;
  if (player.slowMode != 0) {
    if (player.slowIndicator < 100) player.slowIndicator += 20;
  } else if (player.slowIndicator > 0) {
    player.slowIndicator -= 20;
  }
  player.x = std::clamp(player.x, 16.0, 688.0);
  player.y = std::clamp(player.y, 25.0, 584.0);
  if (player.shownHp > player.hp) {
    player.shownHp -= 0.04 * World().frameMs;
  } else if (player.shownHp < player.hp - 1) {
    player.shownHp = player.hp;
  }
  player.subWeapon.counter += 1;
  player.mainWeapon.counter += 1;
  player.framesSinceDamage += 1;
  if (player.specialCharge == -1 && player.mp < player.mpMax) {
    player.mp += 1;
    if (player.mp == player.mpMax) {
      Hooks().playSound(kSoundBombCharged);
      addNotice(player, "BOMB FULLY CHARGED!!!", -1, rgb(255, 255, 255));
    }
  }
}

void firePlayerWeapon(playerRecord& player) {
  player.mainWeapon.counter = 0;
  const int id = player.mainWeapon.id;
  if (id < 0 || id >= static_cast<int>(std::size(kMainWeapons))) return;
  const MainWeapon& w = kMainWeapons[id];
  const int x = truncInt(player.x), y = truncInt(player.y);
  for (int i = 0; i < w.count; ++i) {
    const Shot& s = w.shots[i];
    World().bullets.push_back(std::make_unique<bullet>(s.heading, w.power + player.mainWeapon.attackBonus, w.speed, 0,
                                                       w.hitAction, player.playerNumber, x + s.dx, y + s.dy,
                                                       w.image));
  }
  Hooks().playSound(w.sound);
}

void fireSubWeapon(playerRecord& player) {
  SubWeaponState& sub = player.subWeapon;
  sub.counter = 0;
  sub.ammo -= 1;
  if (sub.id < 0 || sub.id >= kSubWeaponCount) return;
  const SubWeapon& w = kSubWeapons[sub.id];
  for (int i = 0; i < w.count; ++i) {
    const SubShot& s = w.shots[i];
    World().bullets.push_back(std::make_unique<bullet>(s.heading, s.power, s.speed, s.movement, s.hitAction,
                                                       player.playerNumber, player.x, player.y, w.image));
  }
  if (sub.id == 5) {
    Hooks().playSound(kSoundSubShot);
  } else {
    Hooks().playSound(kSoundMissile);
    Hooks().playSound(kSoundSubLaunch);
  }
}

void fireSubWeaponIfReady(const InputHolds& input, playerRecord& player) {
  const bool pressed = input.hold[InputHolds::kSub] == 1;
  if (player.subWeapon.counter >= player.subWeapon.reload && player.subWeapon.ammo > 0) {
    fireSubWeapon(player);
  } else if (pressed) {
    Hooks().playSound(kSoundEmptyClick);
  }
}

void firePlayerShots(const InputHolds& input1, const InputHolds& input2) {
  const int count = World().playerCount == 2 ? 2 : 1;
  const InputHolds* inputs[2] = {&input1, &input2};
  for (int i = 0; i < count; ++i) {
    playerRecord& p = *World().records[i];
    const InputHolds& in = *inputs[i];
    if (p.alive() && p.mainWeapon.counter >= p.mainWeapon.reload && in.hold[InputHolds::kShot] == 1) {
      firePlayerWeapon(p);
    }
    if (p.alive() && in.hold[InputHolds::kSub] >= 1) fireSubWeaponIfReady(in, p);
  }
  for (int i = 0; i < count; ++i) {
    if (World().records[i]->alive()) chargeSpecialAttack(*inputs[i], *World().records[i]);
  }
}

void showDamageReaction(playerRecord& player, double damage) {
  BattleHooks& hooks = Hooks();
  player.framesSinceDamage = 0;
  player.hp -= damage;
  addNotice(player, "Damage! -", truncInt(damage), rgb(255, 0, 0));
  if (player.hp < 0) player.hp = 0;
  if (!player.alive()) {
    veziv::StartPadRumble(player.bulletOwner, 1000, 800);
    return;
  }
  veziv::StartPadRumble(player.bulletOwner, 900, 200);
  struct Line {
    double share;
    int sound;
    const char* text;
  };
  static const Line kLines[] = {
      {0.25, kSoundRadio25, "まずい！機体がもう持たない！"},
      {0.50, kSoundRadio50, "大分やられたな…頼む、持ってくれ！"},
      {0.75, kSoundRadio75, "ちょっと当たっただけだ！まだまだ行ける！"},
  };
  const double before = player.hp + damage;
  for (size_t i = 0; i < std::size(kLines); ++i) {
    const double mark = kLines[i].share * player.maxHp;
    if (!(before >= mark && player.hp < mark)) continue;
    const int handle = hooks.soundHandle(kLines[i].sound);
    addAnime(std::make_unique<imageShower>(1, kImageRadioPilot, 752, 82, kModeWhileSound, handle, 0.5));
    if (hooks.battleEventsOn()) {
      addAnime(std::make_unique<messege>(394, 0, kLines[i].text, rgb(255, 200, 60), false, handle, kFontRadio,
                                         kModeWhileSound));
    }
    hooks.playSound(kLines[i].sound);
    // The lines of the higher marks give way to this one.
    for (size_t j = i + 1; j < std::size(kLines); ++j) veziv::StopSoundHandle(hooks.soundHandle(kLines[j].sound));
    break;
  }
}

void drawPlayerCraft(const InputHolds& input, const playerRecord& player) {
  BattleHooks& hooks = Hooks();
  const int x = truncInt(player.x), y = truncInt(player.y);
  veziv::RenderGraphStretched(x - 20, y + 55, x + 20, y + 95, hooks.graphOf(kImageShadow), 1);
  int pose = 1;
  if (hooks.craftFollowsKeys()) {
    const bool left = input.hold[InputHolds::kLeft] > 0, right = input.hold[InputHolds::kRight] > 0;
    if (left && !right) pose = 0;
    if (right && !left) pose = 2;
  }
  if (player.framesSinceDamage < 60) pose += 3;
  if (player.slowIndicator != 0) {
    veziv::RenderGraphRotScaled(x + ringShake(), y, 32, 32, player.slowIndicator / 100.0,
                                World().frameCounter * kPi / 180, hooks.graphOf(kImageSlowRing), 1, 0);
  }
  veziv::RenderGraphAtPoint(x - 16, y - 16, hooks.craftPoseGraph(pose), 1);
  if (player.slowMode != 0) veziv::RenderGraphAtPoint(x - 5, y - 5, hooks.graphOf(kImageHitDot), 1);
}

void drawPlayerStatus(int x0, playerRecord& player) {
  BattleHooks& hooks = Hooks();
  const int font = hooks.fontOf(kFontHud);
  const uint32_t white = rgb(255, 255, 255), red = rgb(255, 0, 0), black = rgb(0, 0, 0);
  veziv::ChooseBlendMode(1, 190);
  veziv::RenderGraphAtPoint(x0 - 10, 0, hooks.graphOf(kImageScoreBoard), 1);
  // A bar's end from its share of the maximum, held to a span the screen
  // cannot show past (a restored record may hold a tiny maximum).
  auto barEnd = [x0, &player](double value) {
    return x0 + truncInt(std::clamp(300 * value / player.maxHp, -1e6, 1e6));
  };
  const int hpEnd = barEnd(player.hp);
  if (player.hp < player.shownHp) {
    veziv::RenderGraphStretched(hpEnd, 35, barEnd(player.shownHp), 45, hooks.graphOf(kImageBarDamage), 1);
  }
  veziv::RenderGraphStretched(x0, 35, hpEnd, 45, hooks.graphOf(kImageBar), 1);
  veziv::DrawFormattedTextWithFont(x0, 35, white, font, "HP. %d %%", truncInt(100 * player.hp / player.maxHp));
  drawMpGauge(x0, player);
  if (!player.alive()) {
    veziv::DrawLineSegment(x0, 2, x0 + 300, 60, red, 1);
    veziv::DrawLineSegment(x0, 60, x0 + 300, 2, red, 1);
    veziv::DrawFormattedTextWithFont(x0 + 125, 20, red, veziv::GetLibraryDefaultFont(), "DEAD");
  }
  const MainWeaponState& main = player.mainWeapon;
  const int mainEnd = main.reload > 0 && main.counter < main.reload ? x0 + main.counter * 100 / main.reload : x0 + 100;
  veziv::DrawBoxShape(x0, 50, mainEnd, 64, white, 1);
  veziv::DrawBoxShape(x0, 50, x0 + 100, 64, black, 0);
  drawSubWeaponStatus(x0 + 110, player.subWeapon);
  veziv::ChooseBlendMode(0, 0);
  veziv::DrawFormattedTextWithFont(x0 + 5, 6, white, font, "SCORE:");
  drawScoreDigits(x0 + 60, player.score, player.shownScore);
}

void drawSubWeaponStatus(int x, SubWeaponState& sub) {
  const int font = Hooks().fontOf(kFontHud);
  if (sub.counter == sub.reload + 1) sub.counter = sub.reload;
  if (sub.ammo <= 0) {
    veziv::DrawFormattedTextWithFont(x + 2, 49, rgb(255, 0, 0), font, "弾切れ");
    return;
  }
  const int end = sub.reload > 0 && sub.counter < sub.reload ? x + sub.counter * 100 / sub.reload : x + 100;
  veziv::DrawBoxShape(x, 50, end, 64, rgb(255, 255, 255), 1);
  veziv::DrawFormattedTextWithFont(x + 2, 50, rgb(0, 0, 0), font, "R: %d", sub.ammo);
  veziv::DrawBoxShape(x, 50, x + 100, 64, rgb(0, 0, 0), 0);
}

int scoreDigitCount(double shown) {
  // A value of 0 or less has no logarithm: it shows no digit, as a value
  // below 0.1 does.
  if (!(shown > 0)) return 0;
  return std::max(truncInt(std::log10(shown)) + 1, 0);
}

void drawScoreDigits(int x, int score, double& shown) {
  shown += (score - shown) * 0.1;
  if (std::fabs(score - shown) < 0.1) shown = score;
  const int n = scoreDigitCount(shown);
  const int graph = Hooks().graphOf(kImageDigits);
  for (int k = 0; k < n; ++k) {
    double d;
    if (k == n - 1) {
      d = shown - 10 * std::trunc(shown / 10);
    } else {
      d = std::fmod(std::trunc(shown / std::pow(10.0, n - 1 - k)), 10.0);
    }
    if (d < 0) d = 0;
    veziv::RenderGraphPart(x + k * 14, 5, 0, truncInt(d * 15), 14, 15, graph, 1, 0);
  }
}

}  // namespace game::battle
