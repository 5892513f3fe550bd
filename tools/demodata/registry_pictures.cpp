// Every registry picture that the start-up's generator does not draw, and
// the picture sheets: labelled placeholders at the sizes the game's screens
// draw them, sheets with exact grids and numbered pieces.
#include <algorithm>
#include <set>

#include "tools/demodata/canvas.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"

namespace demodata {

namespace {

struct Size {
  int w, h;
};

bool within(int id, int lo, int hi) { return id >= lo && id <= hi; }

// The pixel size a screen draws an image id at.
Size sizeOfImage(int id, const std::string& path) {
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
    default: return {64, 64};
  }
}

bool endsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string stem(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string name = path.substr(slash + 1);
  return name.substr(0, name.rfind('.'));
}

Rgba tint(const std::string& path, uint8_t alpha) {
  Random r(hashText(path));
  return {static_cast<uint8_t>(60 + r.next() % 150), static_cast<uint8_t>(60 + r.next() % 150),
          static_cast<uint8_t>(60 + r.next() % 150), alpha};
}

// A filled, framed rectangle with the file's name when it fits.
Canvas labelled(const std::string& path, Size size, bool opaque) {
  Canvas c(size.w, size.h);
  c.fill(tint(path, opaque ? 255 : 210));
  if (size.w >= 8 && size.h >= 8) c.frame(std::max(1, std::min(size.w, size.h) / 16), {250, 250, 250, 255});
  const std::string label = stem(path);
  const int px = std::min(24, size.h / 3);
  if (px >= 8 && c.textWidth(label, px) <= size.w - 4) {
    c.text((size.w - c.textWidth(label, px)) / 2, (size.h - px) / 2, label, px, {255, 255, 255, 255},
           {20, 20, 30, 255});
  }
  if (opaque) c.avoidPureBlack();
  return c;
}

// The digit strip: digit d in the 14 x 15 cell at (0, 15d).
Canvas digitStrip() {
  Canvas c(14, 150);
  for (int d = 0; d < 10; ++d) c.text(2, 15 * d, std::string(1, static_cast<char>('0' + d)), 14, {255, 255, 255, 255});
  return c;
}

Canvas sheet(const SheetRow& s) {
  Canvas c(s.across * s.width, s.down * s.height);
  for (int k = 0; k < s.pieces; ++k) {
    const int x = (k % s.across) * s.width;
    const int y = (k / s.across) * s.height;
    Rgba colour = tint(std::string(s.path) + std::to_string(k), 220);
    c.fillRect(x + 1, y + 1, s.width - 2, s.height - 2, colour);
    const int px = std::min(20, s.height - 4);
    if (px >= 8) c.text(x + 3, y + 2, std::to_string(k), px, {255, 255, 255, 255}, {20, 20, 30, 255});
  }
  return c;
}

// The nine-slice window frame: black is its transparent colour.
Canvas infoFrame(const SheetRow& s) {
  Canvas c(s.across * s.width, s.down * s.height, {0, 0, 0, 255});
  c.fillRect(2, 2, c.width() - 4, c.height() - 4, {230, 235, 250, 255});
  c.fillRect(5, 5, c.width() - 10, c.height() - 10, {30, 40, 90, 255});
  return c;
}

// The ids makeStartupPictures draws.
const std::set<int>& startupPictureIds() {
  static const std::set<int> ids = {2, 4, 32, 33, 38, 39, 50, 52, 56, 65, 66, 67, 68, 69, 192, 218, 219, 220};
  return ids;
}

}  // namespace

void makeRegistryPictures(const Sources&, Outputs& out) {
  for (const auto& [id, path] : registryImages()) {
    if (startupPictureIds().count(id) || drawnBySetupScreen(id) || drawnByOutfitScreens(id)) continue;
    if (id == 70) {
      out.add(path, digitStrip().png(true));
    } else if (endsWith(path, ".jpg")) {
      out.add(path, labelled(path, sizeOfImage(id, path), true).jpeg(85));
    } else {
      out.add(path, labelled(path, sizeOfImage(id, path), false).png(true));
    }
  }
  for (const SheetRow& s : registrySheets()) {
    if (drawnBySetupScreen(s)) continue;
    if (endsWith(s.path, ".bmp")) {
      out.add(s.path, infoFrame(s).bmp());
    } else {
      out.add(s.path, sheet(s).png(true));
    }
  }
}

}  // namespace demodata
