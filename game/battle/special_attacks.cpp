// Charging and releasing special attacks, each character's attack, and the
// MP gauge.
#include "game/battle/special_attacks.h"

#include <algorithm>
#include <cmath>

#include "game/battle/effect_layers.h"
#include "game/battle/motion.h"
#include "game/core/registry_ids.h"
#include "library/veziv.h"

namespace game::battle {
namespace {

constexpr double kPi = 3.141592653589793;

uint32_t rgb(int r, int g, int b) { return veziv::PackColorForScreen(r, g, b); }

// What each character's attack adds besides its maku: a circle of size
// max(c x circleScale / mpMax, circleMin) (circleScale 0 for none), and the
// sounds and cut-in.
struct Attack {
  int circleScale, circleMin, fullSound, cutInImage, partialSound;
};
const Attack kAttacks[6] = {
    {200, 30, 92, 234, 93}, {100, 20, 94, 231, 95}, {0, 0, 85, 230, 86},
    {0, 0, 90, 233, 91},    {0, 0, 87, 232, 89},    {0, 0, 96, 235, 97},
};

void runAttack(playerRecord& player, int character) {
  const int c = player.specialCharge;
  const Attack& a = kAttacks[character];
  addAnime(std::make_unique<maku>(&player, character, specialPower(c, player.mpMax)));
  if (a.circleScale != 0) {
    addAnime(std::make_unique<circle>(&player, std::max(static_cast<int>(int64_t{c} * a.circleScale / player.mpMax),
                                                        a.circleMin)));
  }
  if (character == 2) veziv::PlaySoundHandle(Hooks().soundHandle(kSoundSanraiga), 3, 1);
  if (c == player.mpMax) {
    Hooks().playSound(a.fullSound);
    addAnime(std::make_unique<cutIn>(a.cutInImage, 1));
  } else {
    Hooks().playSound(a.partialSound);
  }
}

template <int Character>
void attack(playerRecord& player) {
  runAttack(player, Character);
}

void noAttack(playerRecord&) {}

int ringShake() { return objectShakeOffset(World().screenShake); }

}  // namespace

const SpecialAttack specialAttackTable[kSpecialCharacterCount] = {
    attack<0>, attack<1>, attack<2>, attack<3>, attack<4>, attack<5>, noAttack,
};

int specialPower(int charge, int mpMax) {
  return mpMax > 0 ? static_cast<int>(int64_t{charge} * 100 / mpMax) : 0;
}

void chargeSpecialAttack(const InputHolds& input, playerRecord& player) {
  const int hold = input.hold[InputHolds::kSpecial];
  if (hold == 1) {
    if (player.mp >= 0.2 * player.mpMax) {
      player.specialCharge = 0;
      Hooks().playSound(kSoundCursor);
    } else {
      Hooks().playSound(kSoundCancel);
    }
  } else if (hold > 1 && player.specialCharge != -1) {
    if (player.specialCharge < player.mp) {
      player.specialCharge += 3;
      if (player.specialCharge > player.mp) {
        player.specialCharge = player.mp;
        Hooks().playSound(kSoundBombCharged);
        addAnime(std::make_unique<userMessege>("BOMB READY!!!", -1, &player, rgb(255, 255, 255)));
      }
    }
  } else if (hold == 0 && player.specialCharge != -1) {
    releaseSpecialAttack(player);
    player.specialCharge = -1;
  }
}

void releaseSpecialAttack(playerRecord& player) {
  const int c = player.specialCharge;
  if (c <= 0.2 * player.mpMax) {
    Hooks().playSound(kSoundCancel);
    return;
  }
  player.mp -= c;
  player.specialUsed = 1;
  Hooks().playSound(kSoundDecide);
  if (c == player.mpMax) {
    World().screenShake = 1080;
    Hooks().playSound(kSoundFullCharge);
    addAnime(std::make_unique<flash>(1));
  }
  // The character comes from the equipment and the slots: one outside the
  // table has no attack.
  if (player.battleCharacter >= 0 && player.battleCharacter < kSpecialCharacterCount) {
    specialAttackTable[player.battleCharacter](player);
  }
}

void drawMpGauge(int x0, const playerRecord& player) {
  BattleHooks& hooks = Hooks();
  if (player.mpMax <= 0) return;
  const uint32_t red = rgb(255, 0, 0);
  const int bar = hooks.graphOf(kImageBar);
  const int mpEnd = x0 + player.mp * 300 / player.mpMax;
  veziv::RenderGraphStretched(x0, 20, mpEnd, 30, bar, 0);
  veziv::DrawLineSegment(x0 + 60, 20, x0 + 60, 30, red, 2);
  const int c = player.specialCharge;
  if (c != -1) {
    veziv::SetDrawColorScale(255, 155, 155);
    veziv::RenderGraphStretched(mpEnd - c * 300 / player.mpMax, 20, mpEnd, 30, bar, 0);
    veziv::DrawLineSegment(mpEnd - 60, 20, mpEnd - 60, 30, red, 2);
    veziv::SetDrawColorScale(255, 255, 255);
    const double x = truncInt(player.x) + ringShake(), y = player.y;
    const int piece = hooks.graphOf(kImageRingPiece), filled = hooks.graphOf(kImageRingFilled);
    // The share of the ring to fill is compared as reals: c / mp.
    const double share = player.mp > 0 ? static_cast<double>(c) / player.mp : 0.0;
    for (int a = 0; a <= 340; a += 20) {
      veziv::RenderGraphRotScaled(x, y, 6, 32, 1.0, a * kPi / 180, piece, 1, 0);
      if (a / 360.0 <= share) {
        veziv::RenderGraphRotScaled(x, y, 6, 32, 1.0, a * kPi / 180, filled, 1, 0);
      } else {
        for (int d = a - 20, n = 0; n < 20 && d / 360.0 < share; ++d, ++n) {
          veziv::RenderGraphRotScaled(x, y, 6, 32, 1.0, d * kPi / 180, filled, 1, 0);
        }
      }
    }
    if (player.mp > 0) {
      const int u = -20 * player.mpMax / player.mp;
      int t = 80 - (u * -360 / 100);
      if (t < -270) t = 450;
      const double r = t * kPi / 180;
      veziv::DrawLineSegment(truncInt(x + 20 * std::cos(r)), truncInt(y - 20 * std::sin(r)),
                             truncInt(x + 40 * std::cos(r)), truncInt(y - 40 * std::sin(r)), red, 3);
    }
  }
  veziv::DrawFormattedTextWithFont(x0, 20, rgb(255, 255, 255), hooks.fontOf(kFontHud), "MP. %d %%",
                                   player.mp * 100 / player.mpMax);
  if (player.mp >= player.mpMax) {
    veziv::ChooseBlendMode(1, 100);
    const double r = 5.0 * (World().frameCounter % 360) * kPi / 180;
    const int charged = hooks.graphOf(kImageCharged), white = hooks.graphOf(kImageChargedWhite);
    // The two pictures turned backwards are also mirrored (turn flag 1).
    veziv::RenderGraphRotScaled(x0 + 45, 25, 12, 32, 0.4, 0.7 * r, charged, 1, 0);
    veziv::RenderGraphRotScaled(x0 + 45, 25, 12, 32, 0.5, -0.9 * r, charged, 1, 1);
    veziv::RenderGraphRotScaled(x0 + 45, 25, 12, 32, 0.5, 1.2 * r, white, 1, 0);
    veziv::RenderGraphRotScaled(x0 + 45, 25, 12, 32, 0.3, -1.3 * r, white, 1, 1);
    veziv::ChooseBlendMode(1, 190);
  }
}

}  // namespace game::battle
