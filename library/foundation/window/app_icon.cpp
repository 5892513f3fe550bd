// The program's icon, drawn by code at first use: a 32 x 32 diamond, dark
// blue with a light edge, on a transparent ground.
#include "library/foundation/window/app_icon.h"

#include <cstring>

namespace veziv::detail {
namespace {

constexpr int kSize = 32;

uint32_t Pixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  const uint8_t bytes[4] = {r, g, b, a};
  uint32_t p;
  std::memcpy(&p, bytes, sizeof p);
  return p;
}

struct Icon {
  uint32_t pixels[kSize * kSize];
  Icon() {
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        int dx = 2 * x + 1 - kSize, dy = 2 * y + 1 - kSize;
        int d = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);  // twice the distance from the centre
        uint32_t p = Pixel(0, 0, 0, 0);
        if (d <= kSize - 6) p = Pixel(0x20, 0x30, 0x90, 0xFF);
        else if (d <= kSize) p = Pixel(0xE0, 0xE8, 0xFF, 0xFF);
        pixels[y * kSize + x] = p;
      }
    }
  }
};

}  // namespace

IconImage ProgramIcon() {
  static const Icon icon;
  return {icon.pixels, kSize, kSize};
}

}  // namespace veziv::detail
