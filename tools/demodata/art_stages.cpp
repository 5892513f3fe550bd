// The stages' ground: for each theme a tile sheet of the ground (layer 1,
// tiles 0-31 in four bands of eight), a sheet of things over it (layer 2,
// tiles 64-79, with transparency) and the far background (256 x 256). The
// maps put tiles in any order, so each ground tile repeats the same edges
// (a texture that wraps every 32 pixels) and varies only inside; the ground
// is quiet and mid-dark, so that the bright, outlined bullets stand out.
#include "tools/demodata/art_stages.h"

#include <algorithm>
#include <cmath>

#include "tools/demodata/shapes.h"

namespace demodata {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Noise over a square of `size` pixels that wraps at its edges: octaves of
// 4, 8 and 16 cells.
double wrapFractal(uint32_t seed, double x, double y, double size) {
  double n = 0, amp = 0.5;
  for (int cells = 4; cells <= 16; cells *= 2, amp *= 0.5) n += amp * valueNoise(seed + cells, x / size * cells, y / size * cells, cells);
  return n / 0.875;
}

// Zero on a tile's edges, one in its middle.
double window(double x, double y) { return std::sin(kPi * x / 32) * std::sin(kPi * y / 32); }

struct Theme {
  Rgba low, high;  // the ground's two tones
  Rgba detail;     // the inner details' tone
  double bandShift;  // how much the four bands differ in brightness
};

Theme themeOf(StageTheme t) {
  switch (t) {
    case StageTheme::meadow: return {{70, 110, 70, 255}, {104, 138, 86, 255}, {150, 170, 100, 255}, 0.012};
    case StageTheme::clouds: return {{128, 148, 186, 255}, {176, 192, 222, 255}, {226, 232, 246, 255}, 0.012};
    case StageTheme::ground: return {{96, 88, 64, 255}, {128, 120, 86, 255}, {86, 110, 64, 255}, 0.012};
    case StageTheme::sea: return {{22, 56, 104, 255}, {38, 84, 140, 255}, {120, 170, 220, 255}, 0.012};
    case StageTheme::fortress: return {{60, 62, 74, 255}, {86, 88, 102, 255}, {130, 136, 150, 255}, 0.012};
    default: return {{96, 100, 108, 255}, {112, 116, 124, 255}, {140, 144, 150, 255}, 0.012};
  }
}

void groundTile(Canvas& c, int tile, StageTheme t, uint32_t seed) {
  const Theme th = themeOf(t);
  const int ox = (tile % 8) * 32, oy = (tile / 8) * 32;
  const int band = tile / 8;
  const double lift = (band - 1.5) * th.bandShift;
  Random r(seed + tile * 7919u);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      // The shared texture, the same on every tile's edges, kept faint so
      // that its 32-pixel repeat does not show...
      double n = 0.5 + (wrapFractal(seed, x, y, 32) - 0.5) * 0.45;
      // ...and the tile's own variation inside, which fades out only near
      // the edges.
      n += (wrapFractal(seed + 101 + tile, x, y, 32) - 0.5) * 0.8 * std::sqrt(window(x + 0.5, y + 0.5));
      Rgba col = mixColour(th.low, th.high, std::clamp(n, 0.0, 1.0));
      if (t == StageTheme::sea) {
        // Wave crests: thin bright lines where the noise crosses a level.
        const double w = wrapFractal(seed + 7, x, y * 2, 32);
        if (std::abs(w - 0.55) < 0.02) col = mixColour(col, th.detail, 0.35);
      }
      if (t == StageTheme::fortress) {
        // Plates: a seam around every tile and a rivet in each corner.
        if (x == 0 || y == 0) col = shade(col, -0.16);
        if (x == 1 || y == 1) col = shade(col, 0.07);
        if ((x == 4 || x == 27) && (y == 4 || y == 27)) col = shade(col, 0.15);
      }
      c.set(ox + x, oy + y, shade(col, lift));
    }
  // A few inner details per theme, away from the edges.
  const int details = 1 + static_cast<int>(r.next() % 3);
  for (int k = 0; k < details; ++k) {
    const double x = ox + 8 + r.unit() * 16, y = oy + 8 + r.unit() * 16;
    switch (t) {
      case StageTheme::meadow:
      case StageTheme::ground:
        fillShape(c, circle(x, y, 1.5 + r.unit() * 2.5), withAlpha(shade(th.detail, -0.2 + r.unit() * 0.3), 60));
        break;
      case StageTheme::clouds:
        fillShape(c, ellipse(x, y, 5 + r.unit() * 4, 2 + r.unit() * 2), withAlpha(th.detail, 60));
        break;
      case StageTheme::sea:
        fillShape(c, capsule(x - 3, y, x + 3, y, 0.6), withAlpha(th.detail, 90));
        break;
      case StageTheme::fortress:
        if (k == 0) fillShape(c, roundRect(x - 5, y - 3, 10, 6, 1), withAlpha(shade(th.low, -0.3), 200));
        break;
      default:
        break;
    }
  }
}

// The things over the ground, tiles 64-79, by theme.
void decoration(Canvas& c, int tile, StageTheme t, uint32_t seed) {
  const double ox = (tile % 8) * 32, oy = (tile / 8) * 32, cx = ox + 16, cy = oy + 16;
  Random r(seed + tile * 31u);
  const int k = tile - 64;
  switch (t) {
    case StageTheme::meadow:
    case StageTheme::ground: {
      if (k % 4 == 3 && t == StageTheme::ground) {  // a roof
        const Shape roof = rect(cx - 10, cy - 8, 20, 16);
        shadowShape(c, roof, 2, 3, 2, {0, 0, 0, 110});
        fillShape(c, roof, linear(cx - 10, 0, cx + 10, 0, {{0, {170, 90, 70, 255}}, {0.5, {150, 76, 60, 255}}, {0.5, {120, 60, 48, 255}}, {1, {110, 54, 44, 255}}}));
        break;
      }
      // A tree or a bush from above.
      const double rr = 6 + r.unit() * 6;
      shadowShape(c, circle(cx, cy, rr), 2, 3, 2, {0, 10, 0, 100});
      fillShape(c, circle(cx, cy, rr), radial(cx - rr * 0.3, cy - rr * 0.3, rr * 1.3, {{0, {110, 150, 80, 255}}, {1, {40, 74, 40, 255}}}));
      break;
    }
    case StageTheme::clouds: {
      Shape puff = ellipse(cx, cy + 3, 14, 6);
      for (int p = 0; p < 3; ++p) puff = unite(puff, circle(cx - 8 + 8 * p, cy - (p == 1 ? 2 : 0), 6 + r.unit() * 2));
      fillShape(c, puff, linear(0, cy - 10, 0, cy + 9, {{0, {250, 252, 255, 150}}, {1, {200, 214, 240, 120}}}));
      break;
    }
    case StageTheme::sea: {
      if (k % 3 == 0) {  // a jagged islet with foam along its shore
        std::vector<Point> shore;
        for (int p = 0; p < 9; ++p) {
          const double a = p * 2 * kPi / 9, rr = 5 + r.unit() * 6;
          shore.push_back({cx + rr * std::cos(a) * 1.4, cy + rr * std::sin(a) * 0.8});
        }
        glowShape(c, polygon(shore), 3, {200, 220, 240, 90});
        fillShape(c, polygon(shore), linear(0, cy - 8, 0, cy + 8, {{0, {96, 110, 80, 255}}, {1, {60, 66, 52, 255}}}));
      } else {  // whitecaps
        for (int w = 0; w < 3; ++w)
          fillShape(c, capsule(cx - 8 + 5 * w, cy - 6 + 6 * w, cx - 2 + 5 * w, cy - 6 + 6 * w, 0.9), {230, 240, 255, 130});
      }
      break;
    }
    case StageTheme::fortress: {
      if (k % 2 == 0) {  // a vent
        const Shape vent = roundRect(cx - 9, cy - 9, 18, 18, 3);
        fillShape(c, vent, {40, 42, 52, 230});
        for (int s = 0; s < 4; ++s) fillShape(c, rect(cx - 7, cy - 7 + 4 * s, 14, 1.5), {110, 116, 130, 230});
        strokeShape(c, vent, 1, {140, 146, 160, 230});
      } else {  // a light
        glowShape(c, circle(cx, cy, 2), 6, k % 4 == 1 ? Rgba{255, 80, 80, 170} : Rgba{120, 220, 255, 170});
        fillShape(c, circle(cx, cy, 2), {255, 255, 240, 255});
      }
      break;
    }
    default:
      fillShape(c, rect(cx - 2, cy - 2, 4, 4), {160, 160, 170, 150});
  }
}

}  // namespace

std::vector<uint8_t> stageTileSheet(StageTheme t, uint32_t seed, bool decorations) {
  Canvas sheet(256, 512);
  for (int tile = 0; tile < 128; ++tile) {
    if (decorations) {
      if (tile >= 64 && tile < 80) decoration(sheet, tile, t, seed);
    } else {
      groundTile(sheet, tile, t, seed);
    }
  }
  if (!decorations) sheet.avoidPureBlack();
  return sheet.png(true);
}

std::vector<uint8_t> stageBackground(StageTheme t, uint32_t seed) {
  const Theme th = themeOf(t);
  Canvas bg(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      double n = 0, amp = 0.5;
      for (int cells = 4; cells <= 32; cells *= 2, amp *= 0.5) n += amp * valueNoise(seed + cells, x / 256.0 * cells, y / 256.0 * cells, cells);
      bg.set(x, y, shade(mixColour(th.low, th.high, std::clamp(n / 0.94, 0.0, 1.0)), -0.15));
    }
  bg.avoidPureBlack();
  return bg.png(false);
}

}  // namespace demodata
