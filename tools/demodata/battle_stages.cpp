// The demo stages' objects. Each stage uses its share of the movements, shot
// patterns and actions so that the stages together use every one of them,
// under the data rules the battle code relies on: enemies only (type ids 1
// and 2), falling map y, headings downward for all that do not park, low hit
// points for those that park (the boss excepted), action 7 only on the tank
// whose wreck it drifts, and no score of 1 to 3 on an enemy with action 3
// (the score becomes its ring's owner). An enemy on the homing movement finds
// itself as the nearest enemy, keeps its heading and flies as a smoke trail.
// The bad-pattern marker writes an error line to the screen on every call,
// so outside the test stage it sits only on an enemy that enters beyond the
// field's edge: it is swept out on its first frame, after one call.
#include "tools/demodata/battle_stages.h"

#include <fstream>
#include <map>

#include "game/battle/battle_ids.h"
#include "game/battle/stage_folders.h"

namespace demodata {
namespace {

using game::battle::kDualImageEnemyTypeId;
using game::battle::kEnemyTypeId;

constexpr int E = kEnemyTypeId;
constexpr int D = kDualImageEnemyTypeId;

// Widths of the enemy pictures the plan places, as the picture table makes them.
const std::map<int, int>& EnemyImageWidths() {
  static const std::map<int, int> widths = [] {
    std::map<int, int> w = {{13, 128}, {46, 32}, {47, 48},  {48, 96},  {195, 48}, {283, 24}, {285, 24},
                            {287, 24}, {289, 80}, {290, 80}, {291, 96}, {292, 96}, {297, 32}, {298, 32},
                            {299, 48}, {300, 48}};
    for (int id = 88; id <= 93; ++id) w[id] = 32;
    for (int id = 94; id <= 99; ++id) w[id] = 40;
    for (int id = 100; id <= 106; ++id) w[id] = 48;
    for (int id = 293; id <= 296; ++id) w[id] = 32;
    for (int id = 301; id <= 305; ++id) w[id] = 24;
    return w;
  }();
  return widths;
}

// Columns: y, x, type, image, base image, base heading, hp, score, shadow,
// shot pattern, shot image, interval, movement, death action, heading, speed.
std::vector<BattleStagePlan> MakePlans() {
  using S = game::battle::StageSource;
  return {
      {static_cast<int>(S::tut), 80, {
          {1780, 200, E, 46, 0, 0, 30, 100, 30, 4, 43, 1, 6, 1, 270, 30},
          {1640, 500, E, 88, 0, 0, 20, 50, 30, 14, 43, 1, 0, 0, 270, 10},
          {1480, 350, E, 89, 0, 0, 40, 120, 30, 0, 59, 1, 9, 2, 260, 15},
          {1320, 150, E, 90, 0, 0, 40, 150, 30, 1, 43, 1, 11, 4, 280, 40},
          {1160, 560, E, 91, 0, 0, 30, 100, 30, 4, 43, 1, 6, 1, 270, 25},
          {980, 300, E, 92, 0, 0, 40, 120, 30, 0, 59, 2, 0, 2, 270, 12},
          {800, 420, E, 93, 0, 0, 40, 150, 30, 1, 43, 1, 11, 4, 265, 30},
          // The paymaster's balloon: it drifts straight down the craft's own
          // column, so the first lesson pays for a first visit to the shop.
          {700, 400, E, 88, 0, 0, 20, 4000, 30, 14, 43, 1, 0, 0, 270, 8},
          {600, 250, E, 46, 0, 0, 30, 100, 30, 14, 43, 1, 9, 1, 275, 15},
          {400, 120, E, 88, 0, 0, 30, 100, 30, 4, 59, 1, 6, 0, 270, 30},
          {250, 600, E, 89, 0, 0, 30, 100, 30, 0, 43, 1, 0, 1, 270, 15},
      }},
      {static_cast<int>(S::s1), 130, {
          {3350, 150, E, 94, 0, 0, 40, 150, 30, 2, 115, 1, 3, 8, 270, 20},
          {3150, 550, E, 95, 0, 0, 40, 100, 30, 3, 116, 2, 4, 6, 250, 25},
          {2950, 350, E, 96, 0, 0, 50, 150, 30, 9, 117, 1, 7, 3, 270, 5},
          {2750, 200, E, 97, 0, 0, 40, 120, 30, 10, 118, 1, 8, 1, 270, 20},
          {2550, 500, E, 98, 0, 0, 40, 120, 30, 10, 119, 1, 10, 8, 280, 60},
          {2350, 300, E, 99, 0, 0, 40, 120, 30, 5, 120, 1, 14, 1, 270, 5},
          {2150, 450, E, 297, 0, 0, 30, 100, 30, 2, 121, 1, 3, 6, 265, 20},
          {1900, 250, E, 94, 0, 0, 40, 150, 30, 9, 122, 1, 7, 3, 275, 5},
          {1650, 600, E, 95, 0, 0, 40, 100, 30, 3, 123, 1, 4, 8, 260, 25},
          {1400, 120, E, 96, 0, 0, 40, 100, 30, 5, 124, 1, 14, 1, 270, 5},
          {1150, 400, E, 97, 0, 0, 40, 100, 30, 2, 125, 1, 8, 6, 270, 20},
          {900, 300, E, 98, 0, 0, 40, 100, 30, 10, 126, 1, 10, 8, 270, 50},
          {600, 500, E, 99, 0, 0, 40, 100, 30, 9, 115, 1, 3, 1, 270, 20},
      }},
      {static_cast<int>(S::s2), 140, {
          {3700, 150, E, 195, 0, 0, 60, 200, 10, 6, 127, 2, 0, 7, 270, 0},
          {3550, 500, D, 283, 284, 90, 80, 200, 10, 11, 128, 1, 2, 5, 270, 0},
          {3400, 350, E, 47, 0, 0, 60, 150, 10, 12, 129, 1, 0, 5, 270, 0},
          {3250, 600, D, 285, 286, 90, 80, 200, 10, 18, 130, 1, 2, 1, 270, 0},
          {3100, 250, E, 300, 0, 0, 20, 150, 30, 18, 131, 1, 1, 9, 270, 0},
          {2950, 400, D, 287, 288, 90, 80, 200, 10, 13, 132, 1, 2, 5, 270, 0},
          {2800, 200, E, 301, 0, 0, 40, 120, 30, 12, 133, 1, 12, 1, 270, 20},
          {2600, 500, E, 302, 0, 0, 20, 120, 30, 6, 134, 1, 15, 5, 270, 3},
          {2400, 300, E, 299, 0, 0, 60, 150, 10, 7, 135, 1, 0, 5, 270, 0},
          {2200, 450, E, 195, 0, 0, 60, 200, 10, 11, 136, 1, 0, 7, 270, 0},
          {2000, 350, E, 303, 0, 0, 40, 120, 30, 13, 137, 1, 12, 1, 270, 20},
          {1800, 150, E, 304, 0, 0, 40, 120, 30, 12, 138, 1, 0, 5, 270, 10},
          {1600, 550, E, 305, 0, 0, 40, 120, 30, 7, 127, 1, 0, 9, 270, 10},
          {1300, 300, D, 283, 284, 90, 80, 200, 10, 11, 128, 1, 2, 5, 270, 0},
          {1000, 450, E, 47, 0, 0, 60, 150, 10, 18, 129, 1, 0, 1, 270, 0},
      }},
      {static_cast<int>(S::s3), 150, {
          {4000, 300, E, 289, 0, 0, 300, 400, 40, 19, 139, 1, 0, 5, 270, 5},
          {3800, 150, E, 298, 0, 0, 10, 80, 20, 8, 140, 1, 5, 2, 270, 0},
          {3600, 500, E, 290, 0, 0, 200, 200, 40, 15, 215, 1, 6, 3, 270, 20},
          {3400, 350, D, 294, 292, 90, 150, 250, 40, 16, 141, 2, 0, 2, 270, 5},
          {3200, 200, E, 48, 0, 0, 300, 300, 40, 17, 55, 1, 10, 5, 270, 40},
          {3000, 550, E, 291, 0, 0, 200, 200, 40, 8, 142, 1, 11, 3, 275, 30},
          {2800, 400, E, 298, 0, 0, 10, 80, 20, 8, 143, 1, 5, 2, 270, 0},
          {2600, 250, E, 293, 0, 0, 40, 120, 30, 15, 215, 1, 6, 1, 270, 20},
          // A scout on the homing movement, trailing smoke straight down.
          {2500, 600, E, 94, 0, 0, 40, 120, 30, 10, 141, 1, 13, 1, 270, 15},
          {2400, 500, E, 295, 0, 0, 40, 120, 30, 16, 144, 1, 10, 5, 265, 40},
          {2200, 300, E, 296, 0, 0, 40, 120, 30, 17, 145, 1, 11, 2, 270, 30},
          {1900, 450, E, 292, 0, 0, 200, 200, 40, 19, 146, 1, 0, 3, 270, 5},
          {1600, 200, E, 298, 0, 0, 10, 80, 20, 16, 147, 1, 5, 5, 270, 0},
          {1300, 350, D, 294, 289, 90, 150, 250, 40, 17, 148, 1, 0, 2, 270, 5},
          {1000, 500, E, 48, 0, 0, 300, 300, 40, 15, 149, 1, 6, 3, 270, 20},
          {700, 250, E, 290, 0, 0, 200, 200, 40, 8, 150, 1, 10, 5, 270, 30},
          // The bad-pattern marker, beyond the left edge: gone after one call.
          {500, -100, E, 46, 0, 0, 10, 100, 30, 21, 51, 1, 0, 1, 270, 10},
      }},
      {static_cast<int>(S::s4), 110, {
          {2700, 200, E, 100, 0, 0, 40, 120, 30, 9, 124, 1, 0, 1, 270, 15},
          {2550, 500, E, 101, 0, 0, 40, 120, 30, 10, 126, 1, 12, 1, 270, 20},
          {2400, 350, E, 102, 0, 0, 40, 120, 30, 4, 145, 1, 0, 1, 270, 15},
          {2200, 150, E, 103, 0, 0, 40, 120, 30, 11, 147, 1, 12, 1, 270, 20},
          {2000, 600, E, 104, 0, 0, 40, 120, 30, 9, 124, 1, 0, 1, 270, 15},
          {1800, 300, E, 105, 0, 0, 40, 120, 30, 16, 126, 1, 12, 1, 270, 20},
          {1500, 450, E, 106, 0, 0, 40, 120, 30, 17, 145, 1, 0, 1, 270, 15},
          {1200, 250, E, 100, 0, 0, 40, 120, 30, 10, 147, 1, 0, 1, 270, 15},
          // The boss parks at y 150 and lives past its launch at counter 999.
          {400, 352, E, 13, 0, 0, 4000, 5000, 60, 20, 124, 1, 1, 9, 270, 0},
      }},
      {static_cast<int>(S::test), 40, {
          {500, 200, E, 46, 0, 0, 30, 100, 30, 21, 51, 1, 0, 1, 270, 10},
          {400, 400, E, 88, 0, 0, 30, 100, 30, 4, 51, 1, 0, 1, 270, 10},
      }},
  };
}

void PutI32(std::vector<uint8_t>& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

// Whole numbers up to 2^53 are exact doubles: their IEEE-754 bits are built
// here without leaning on the host's layout.
void PutWholeF64(std::vector<uint8_t>& out, int v) {
  uint64_t bits = 0;
  if (v != 0) {
    const uint64_t sign = v < 0 ? 1 : 0;
    uint64_t magnitude = static_cast<uint64_t>(v < 0 ? -static_cast<int64_t>(v) : v);
    int exponent = 63;
    while ((magnitude >> exponent) == 0) --exponent;
    const uint64_t fraction = (magnitude << (52 - exponent)) & ((uint64_t{1} << 52) - 1);
    bits = (sign << 63) | (static_cast<uint64_t>(exponent + 1023) << 52) | fraction;
  }
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

}  // namespace

const std::vector<BattleStagePlan>& BattleStagePlans() {
  static const std::vector<BattleStagePlan> plans = MakePlans();
  return plans;
}

int BattleImageRadius(int imageId) {
  const auto& widths = EnemyImageWidths();
  const auto it = widths.find(imageId);
  return it == widths.end() ? 0 : it->second / 2;
}

std::vector<uint8_t> EnemyFileBytes(const BattleStagePlan& plan) {
  std::vector<uint8_t> out;
  PutI32(out, static_cast<int32_t>(plan.spawns.size()));
  for (const BattleSpawn& s : plan.spawns) {
    PutI32(out, s.typeId);
    if (s.typeId == kDualImageEnemyTypeId) {
      PutI32(out, s.baseHeading);
      PutI32(out, s.baseImage);
    }
    // score hp maxHp shadowOffset shotCounter shotId shotAux shotImage
    // shotInterval movementId deathActionId deathActionState
    for (int v : {s.score, s.hp, s.hp, s.shadowOffset, 0, s.shotId, 0, s.shotImage, s.shotInterval, s.movementId,
                  s.deathActionId, 0}) {
      PutI32(out, v);
    }
    // x y radius heading speed imageId
    PutWholeF64(out, s.x);
    PutWholeF64(out, s.y);
    PutI32(out, BattleImageRadius(s.image));
    PutWholeF64(out, s.heading);
    PutI32(out, s.speed);
    PutI32(out, s.image);
  }
  return out;
}

bool WriteBattleStageObjects(const std::filesystem::path& run, std::string* error) {
  for (const BattleStagePlan& plan : BattleStagePlans()) {
    const std::filesystem::path folder = run / game::battle::kStageFolders[plan.stage];
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::vector<uint8_t> bytes = EnemyFileBytes(plan);
    std::ofstream out(folder / "enemy.dat", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (ec || !out) {
      if (error != nullptr) *error = "cannot write " + (folder / "enemy.dat").string();
      return false;
    }
  }
  return true;
}

}  // namespace demodata
