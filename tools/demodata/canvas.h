// An RGBA picture in memory with the few drawing operations the demo data's
// pictures are made of, and its PNG, JPEG and BMP encodings.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace demodata {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 255;
};

// How a text is written: its size, colours, an outline of edgeWidth pixels
// when edge.a is not 0, a drop shadow when shadow.a is not 0, the Mincho
// face instead of the Gothic, and a heavier stroke.
struct TextStyle {
  int px = 16;
  Rgba colour{255, 255, 255, 255};
  Rgba edge{0, 0, 0, 0};
  double edgeWidth = 1;
  Rgba shadow{0, 0, 0, 0};
  int shadowDx = 1, shadowDy = 2;
  bool mincho = false;
  bool bold = false;
};

class Canvas {
 public:
  Canvas(int width, int height, Rgba fill = {0, 0, 0, 0});
  int width() const { return width_; }
  int height() const { return height_; }
  Rgba at(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  void set(int x, int y, Rgba c);
  // Source-over blending of c at coverage 0..1.
  void blend(int x, int y, Rgba c, double coverage = 1.0);

  void fill(Rgba c);
  // Top to bottom from `top` to `bottom`.
  void verticalGradient(Rgba top, Rgba bottom);
  void fillRect(int x, int y, int w, int h, Rgba c);
  // Anti-aliased filled ellipse.
  void fillEllipse(double cx, double cy, double rx, double ry, Rgba c);
  // Soft clouds: value noise over the picture, blended in c where it is dense.
  void clouds(uint32_t seed, double scale, double density, Rgba c);
  // A frame of thickness t just inside the edges.
  void frame(int t, Rgba c);
  // Text in a Japanese face (IPA Gothic, or IPA Mincho with mincho = true),
  // UTF-8, top-left at (x, y), px pixels high; an outline of edge colour
  // when edge.a is not 0. False when no face is found (nothing is drawn).
  bool text(int x, int y, const std::string& utf8, int px, Rgba colour, Rgba edge = {0, 0, 0, 0},
            bool mincho = false);
  // The width text() would take.
  int textWidth(const std::string& utf8, int px, bool mincho = false);
  // Writes text with its top-left at (x, y); returns the width taken.
  int write(double x, double y, const std::string& utf8, const TextStyle& style);
  int measure(const std::string& utf8, const TextStyle& style);
  // Writes text centred in the box, shrunk (down to 8 pixels) until it fits.
  void writeInBox(double x, double y, double w, double h, const std::string& utf8, TextStyle style);
  // Draws another picture with its top-left at (x, y), its coverage scaled
  // by opacity (0..1), by source-over blending.
  void draw(const Canvas& src, int x, int y, double opacity = 1.0);
  // Scales every pixel's alpha by f(x, y) (0..1).
  template <typename F>
  void fadeAlpha(F f) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        Rgba& p = pixels_[static_cast<size_t>(y) * width_ + x];
        p.a = static_cast<uint8_t>(p.a * std::clamp(f(x, y), 0.0, 1.0) + 0.5);
      }
  }
  // Lifts every pixel that is pure black to (1, 1, 1), for pictures drawn
  // with black as the transparent colour.
  void avoidPureBlack();

  std::vector<uint8_t> png(bool alpha) const;
  std::vector<uint8_t> jpeg(int quality) const;
  // A 24-bit uncompressed BMP (alpha dropped).
  std::vector<uint8_t> bmp() const;
  // A picture read back from PNG, baseline or progressive JPEG or 24-bit
  // BMP bytes; nothing when the bytes are none of these.
  static std::optional<Canvas> decode(const std::vector<uint8_t>& bytes);

 private:
  int width_;
  int height_;
  std::vector<Rgba> pixels_;
};

// A small deterministic generator for noise and jitter.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed * 2654435761u + 1u) {}
  uint32_t next();
  double unit() { return (next() >> 8) * (1.0 / 16777216.0); }

 private:
  uint32_t state_;
};

// Value noise 0..1 on a lattice of unit cells; with period > 0 it wraps
// every `period` cells, so that a picture of period cells tiles without a
// seam.
double valueNoise(uint32_t seed, double x, double y, int period = 0);
// Octaves of value noise, each twice as fine and half as strong as the one
// before, from the first's weight 0.5 (so mostly 0..1).
double fractalNoise(uint32_t seed, double x, double y, int octaves);

// FNV-1a of a text: seeds derived from file paths.
uint32_t hashText(const std::string& text);

}  // namespace demodata
