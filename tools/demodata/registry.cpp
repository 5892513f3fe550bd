#include "tools/demodata/registry.h"

#include <stdexcept>

namespace demodata {

const std::map<int, std::string>& registryImages() {
  static const std::map<int, std::string> table = {
#define VEZIV_IMAGE(id, path) {id, path},
#include "game/core/registry_table.inc"
  };
  return table;
}

const std::map<int, std::string>& registrySounds() {
  static const std::map<int, std::string> table = {
#define VEZIV_SOUND(id, path) {id, path},
#include "game/core/registry_table.inc"
  };
  return table;
}

const std::vector<SheetRow>& registrySheets() {
  static const std::vector<SheetRow> table = {
#define VEZIV_SHEET(name, path, pieces, across, down, width, height) \
  {#name, path, pieces, across, down, width, height},
#include "game/core/registry_table.inc"
  };
  return table;
}

const std::string& imagePathOf(int id) { return registryImages().at(id); }

namespace {

bool within(int id, int lo, int hi) { return id >= lo && id <= hi; }

}  // namespace

// The pixel size a screen draws an image id at.
PictureSize registryPictureSize(int id) {
  const std::string& path = imagePathOf(id);
  if (path.rfind("image/faceGraph/", 0) == 0) return {120, 120};
  if (path.rfind("image/stageMaker/", 0) == 0) return {64, 64};
  if (within(id, 115, 150)) {
    constexpr int kSide[] = {10, 12, 14, 16, 20, 24};
    const int side = kSide[(id - 115) / 6];
    return {side, side};
  }
  if (within(id, 88, 106) || id == 46) return {32 + 2 * ((id * 7) % 17), 32 + 2 * ((id * 7) % 17)};
  if (within(id, 230, 235)) return {256, 80};
  if (within(id, 240, 245)) return {300, 460};
  if (within(id, 289, 292)) return {80 + 4 * (id - 289), 160 + 8 * (id - 289)};
  if (within(id, 293, 298)) return {32, 32};
  if (within(id, 301, 305)) return {24, 40};
  if (within(id, 370, 373)) return {96, 24};
  switch (id) {
    case 0: case 4: case 7: case 9: case 15: case 27: case 34: case 37: case 52: case 62: return {800, 600};
    case 2: case 49: return {32, 8};
    case 8: return {20, 20};
    case 11: return {400, 80};
    case 12: return {256, 64};
    case 13: case 107: return {128, 128};
    case 14: return {32, 64};
    case 16: return {32, 210};
    case 17: case 18: return {96, 36};
    case 21: case 22: return {156, 36};
    case 19: case 20: case 23: case 24: case 25: case 26: return {112, 36};
    case 29: return {310, 68};
    case 31: case 45: return {16, 16};
    case 35: return {770, 200};
    case 36: return {124, 213};
    case 40: case 44: case 78: return {24, 24};
    case 41: case 42: case 43: case 59: return {8, 8};
    case 47: case 195: case 196: case 284: case 286: case 288: case 299: case 300: case 58: return {48, 48};
    case 48: return {96, 192};
    case 51: case 79: case 109: case 367: return {64, 64};
    case 53: case 54: return {24, 32};
    case 55: case 61: return {32, 32};
    case 57: case 60: case 74: case 75: case 76: case 306: return {300, 40};
    case 63: return {210, 42};
    case 70: return {14, 150};
    case 72: return {12, 18};
    case 73: return {254, 243};
    case 77: return {360, 200};
    case 80: case 82: case 87: case 108: case 111: case 112: return {64, 32};
    case 81: return {256, 16};
    case 83: return {128, 141};
    case 84: return {280, 64};
    case 85: return {128, 64};
    case 86: return {24, 16};
    case 110: return {92, 92};
    case 113: return {245, 354};
    case 190: case 191: return {12, 32};
    case 194: return {400, 100};
    case 215: case 216: case 217: return {12, 24};
    case 221: return {44, 32};
    case 280: return {128, 4};
    case 283: case 285: case 287: return {24, 48};
    case 368: return {10, 10};
    case 369: return {80, 80};
    case 32: case 33: return {24, 24};
    case 38: case 39: return {90, 45};
    case 50: case 192: return {300, 100};
    case 56: return {211, 56};
    case 65: return {540, 160};
    case 66: return {760, 362};
    case 67: return {726, 450};
    case 68: return {230, 8};
    case 69: return {700, 250};
    case 218: return {32, 26};
    case 219: case 220: return {16, 16};
    case 260: return {120, 120};
    default: throw std::out_of_range("no size for image id " + std::to_string(id));
  }
}

const std::string& soundPathOf(int id) { return registrySounds().at(id); }

}  // namespace demodata
