// Test images for the renderer's tests: a SOFTSURFACE view inside a larger block
// with guard pixels around it and spare bytes at the end of each row, all of it
// random, so that a comparison of the whole memory catches any stray write.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "library/softrender/blend/blend_tables.h"
#include "library/softrender/surface/draw_snapshot.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv::test {

struct TestImage {
  std::vector<uint8_t> memory;
  SoftSurfaceShared block{};
  SOFTSURFACE view{};
  int32_t guard = 0;
  std::vector<uint8_t> palette;  // a palette image's 256 entries

  // A view of width x height pixels at (guard, guard) of a block with guard
  // pixels on every side and `slack` spare bytes a row.
  TestImage(int32_t width, int32_t height, int32_t type, bool alpha, int32_t guard, int32_t slack,
            std::mt19937& rng)
      : guard(guard) {
    block.references = 1;
    block.type = type;
    block.alphaFlag = alpha ? 1 : 0;
    block.bytesPerPixel = SoftSurfaceBytesPerPixel(type, 0, block.alphaFlag);
    block.width = width + 2 * guard;
    block.height = height + 2 * guard;
    block.pitch = block.width * block.bytesPerPixel + slack;
    block.pitchShift = -1;
    memory.resize(size_t(block.pitch) * block.height);
    for (uint8_t& b : memory) b = static_cast<uint8_t>(rng());
    view.magic = kSoftSurfaceMagic;
    view.width = width;
    view.height = height;
    Repoint();
  }
  TestImage(const TestImage& o)
      : memory(o.memory), block(o.block), view(o.view), guard(o.guard), palette(o.palette) {
    Repoint();
  }
  TestImage& operator=(const TestImage&) = delete;

  void Repoint() {
    block.pixels = memory.data();
    block.palette = palette.empty() ? nullptr : palette.data();
    view.base = &block;
    view.pixels = memory.data() + ptrdiff_t(guard) * block.pitch + ptrdiff_t(guard) * block.bytesPerPixel;
  }

  uint8_t* At(int32_t x, int32_t y) {
    return view.pixels + ptrdiff_t(y) * block.pitch + ptrdiff_t(x) * block.bytesPerPixel;
  }
  const uint8_t* At(int32_t x, int32_t y) const {
    return view.pixels + ptrdiff_t(y) * block.pitch + ptrdiff_t(x) * block.bytesPerPixel;
  }
  uint32_t Get32(int32_t x, int32_t y) const {
    uint32_t v;
    std::memcpy(&v, At(x, y), 4);
    return v;
  }
  void Set32(int32_t x, int32_t y, uint32_t v) { std::memcpy(At(x, y), &v, 4); }
  uint32_t Get16(int32_t x, int32_t y) const {
    uint16_t v;
    std::memcpy(&v, At(x, y), 2);
    return v;
  }
  void Set16(int32_t x, int32_t y, uint32_t v) {
    const uint16_t w = static_cast<uint16_t>(v);
    std::memcpy(At(x, y), &w, 2);
  }
  uint8_t Get8(int32_t x, int32_t y) const { return *At(x, y); }
  void Set8(int32_t x, int32_t y, uint8_t v) { *At(x, y) = v; }
};

// A one-byte-a-pixel blend image with random weights.
inline TestImage MakeBlendImage(int32_t width, int32_t height, std::mt19937& rng) {
  return TestImage(width, height, kSoftTypeGray8, false, 1, 3, rng);
}

// Sets a 16-bit pixel; with an alpha (not negative) the pixel is the 5:6:5
// word, that alpha byte and a zero byte, as an alpha image holds it.
inline void Set16WithAlpha(TestImage& image, int32_t x, int32_t y, uint32_t v, int alpha) {
  if (alpha >= 0)
    image.Set32(x, y, v | uint32_t(alpha) << 16);
  else
    image.Set16(x, y, v);
}

// A one-pixel blend image whose pixel, index `index`, weighs `weight` through
// its own weight table; a negative weight stands for no blend image.
struct OnePixelBlend {
  TestImage image;
  uint8_t weights[256] = {};
  int weight;

  OnePixelBlend(int weight, uint8_t index, std::mt19937& rng) : image(MakeBlendImage(1, 1, rng)), weight(weight) {
    image.Set8(0, 0, index);
    weights[index] = static_cast<uint8_t>(weight);
  }
  const SOFTSURFACE* View() const { return weight < 0 ? nullptr : &image.view; }
};

// Random 32-bit pixels with the values that matter planted among them: the
// transparent value, the transparent value with another byte 3, alphas 0, 1,
// 254 and 255, and channels 0, 1, 254 and 255.
inline void PlantPixels32(TestImage& image, uint32_t key, std::mt19937& rng) {
  static const uint8_t kEdges[4] = {0, 1, 254, 255};
  for (int32_t y = 0; y < image.view.height; ++y)
    for (int32_t x = 0; x < image.view.width; ++x) {
      uint32_t v = static_cast<uint32_t>(rng());
      switch (rng() % 8) {
        case 0: v = key; break;
        case 1: v = (key & 0x00FFFFFFu) | (v & 0xFF000000u); break;
        case 2: v = (v & 0x00FFFFFFu) | uint32_t(kEdges[rng() % 4]) << 24; break;
        case 3: {
          const int shift = 8 * int(rng() % 3);
          v = (v & ~(0xFFu << shift)) | uint32_t(kEdges[rng() % 4]) << shift;
          break;
        }
        default: break;
      }
      image.Set32(x, y, v);
    }
}

// Alpha in runs of 1 to 9 pixels, each clear, opaque or one random level, as
// sprites have them; colours at random.
inline void PlantAlphaRuns(TestImage& image, std::mt19937& rng) {
  for (int32_t y = 0; y < image.view.height; ++y)
    for (int32_t x = 0; x < image.view.width;) {
      const uint32_t kind = rng() % 3;
      const uint32_t a = kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256;
      for (int32_t n = int32_t(rng() % 9) + 1; n > 0 && x < image.view.width; --n, ++x)
        image.Set32(x, y, (static_cast<uint32_t>(rng()) & 0x00FFFFFFu) | a << 24);
    }
}

// 256 random weights with 0 and 255 among them.
inline std::vector<uint8_t> RandomBlendAlphaTable(std::mt19937& rng) {
  std::vector<uint8_t> t(256);
  for (uint8_t& b : t) b = static_cast<uint8_t>(rng());
  for (int i = 0; i < 256; i += 7) t[i] = (i / 7) % 2 ? 255 : 0;
  return t;
}

// A 32-bit source with random transparent value and planted pixels.
inline TestImage PlantedSource32(int32_t width, int32_t height, bool alpha, int32_t guard, int32_t slack,
                                 std::mt19937& rng) {
  TestImage source(width, height, kSoftType32, alpha, guard, slack, rng);
  source.block.transparentValue = static_cast<uint32_t>(rng());
  PlantPixels32(source, source.block.transparentValue, rng);
  return source;
}

// Random 16-bit pixels (with their alpha byte for an alpha image) with the
// transparent colour, fields at 0 and at their maximum, and alphas 0, 1, 254
// and 255 planted among them.
inline void PlantPixels16(TestImage& image, uint32_t key, std::mt19937& rng) {
  static const uint8_t kEdges[4] = {0, 1, 254, 255};
  static const uint32_t kFieldMasks[3] = {0x001F, 0x07E0, 0xF800};
  const bool alpha = image.block.alphaFlag == 1;
  for (int32_t y = 0; y < image.view.height; ++y)
    for (int32_t x = 0; x < image.view.width; ++x) {
      uint32_t v = static_cast<uint32_t>(rng());
      switch (rng() % 8) {
        case 0: v = (v & 0xFFFF0000u) | (key & 0xFFFF); break;
        case 1: v = (v & 0xFF00FFFFu) | uint32_t(kEdges[rng() % 4]) << 16; break;
        case 2: {
          const uint32_t m = kFieldMasks[rng() % 3];
          v = rng() % 2 ? v | m : v & ~m;
          break;
        }
        default: break;
      }
      if (alpha)
        image.Set32(x, y, v);
      else
        image.Set16(x, y, v);
    }
}

// A 16-bit source with planted pixels; its transparent colour is a 5:6:5 value
// or, now and then, one with bits above the low 16 set.
inline TestImage PlantedSource16(int32_t width, int32_t height, bool alpha, int32_t guard, int32_t slack,
                                 std::mt19937& rng) {
  TestImage source(width, height, kSoftType16, alpha, guard, slack, rng);
  source.block.transparentValue = static_cast<uint32_t>(rng()) & (rng() % 4 == 0 ? 0x3FFFFu : 0xFFFFu);
  PlantPixels16(source, source.block.transparentValue, rng);
  return source;
}

// A palette source of the given type: random entries (fourth bytes too),
// random indices with the transparent index planted among them. The
// transparent value is an index, or 0xFFFF or 300, which leave no index out.
inline TestImage PlantedPaletteSource(int32_t width, int32_t height, int32_t type, int32_t guard, int32_t slack,
                                      std::mt19937& rng) {
  TestImage source(width, height, type, false, guard, slack, rng);
  source.block.paletteFlag = 1;
  source.block.bytesPerPixel = 1;
  source.block.paletteColorCount = 256;
  source.palette.resize(2048);
  for (uint8_t& b : source.palette) b = static_cast<uint8_t>(rng());
  source.Repoint();
  const uint32_t choice = rng() % 6;
  source.block.transparentValue = choice == 0 ? 0xFFFF : choice == 1 ? 300 : rng() % 256;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      source.Set8(x, y, rng() % 4 == 0 ? uint8_t(source.block.transparentValue) : uint8_t(rng()));
  return source;
}

// Builds the run table of a test image's whole block into table.
inline void BuildRunTable(TestImage& image, std::vector<uint8_t>& table) {
  table.assign(size_t(image.block.width + 5) * size_t(image.block.height), 0);
  image.block.runTable = table.data();
  BuildSoftSurfaceRunTable(&image.block);
}

// A snapshot of the draw state over the graphics layer's tables.
inline SoftDrawSnapshot Snapshot(int32_t mode, int32_t p, uint32_t brightness, DrawRect area) {
  SoftDrawSnapshot d;
  d.drawArea = area;
  d.blendMode = mode;
  d.blendParam = p;
  d.drawBrightness = brightness;
  d.tables = &GetBlendTables();
  return d;
}

// The draw states a loop sweep runs through; a negative parameter stands for
// a random one, drawn anew each time.
struct Sweep {
  std::vector<int32_t> modes;
  std::vector<int32_t> params;
  std::vector<uint32_t> brightnesses;
  std::vector<int32_t> flags;
};

// Calls fn(draw, withBlend, flag) for every combination of the sweep, blend
// image or none, and MMX flag 0 and 1; stops when fn returns false.
template <class Fn>
void ForEachDrawState(const Sweep& sweep, DrawRect area, const uint8_t* blendAlphaTable, std::mt19937& rng, Fn fn) {
  for (int32_t mode : sweep.modes)
    for (int32_t p0 : sweep.params)
      for (bool withBlend : {false, true})
        for (uint32_t brightness : sweep.brightnesses)
          for (int32_t flag : sweep.flags)
            for (uint32_t mmx : {0u, 1u}) {
              SoftDrawSnapshot draw = Snapshot(mode, p0 < 0 ? int32_t(rng() % 256) : p0, brightness, area);
              draw.blendAlphaTable = blendAlphaTable;
              draw.mmxUsable = mmx;
              if (!fn(draw, withBlend, flag)) return;
            }
}


// Where two images' memories first differ, as a pixel of the view (guard
// pixels give negative or out-of-range positions) with both 32-bit words.
inline std::string FirstDifference(const TestImage& expected, const TestImage& actual) {
  for (size_t i = 0; i < expected.memory.size(); ++i) {
    if (expected.memory[i] == actual.memory[i]) continue;
    const int64_t row = int64_t(i) / expected.block.pitch, col = int64_t(i) % expected.block.pitch;
    const size_t word = i - size_t(col % 4);
    uint32_t e = 0, a = 0;
    std::memcpy(&e, &expected.memory[word], std::min<size_t>(4, expected.memory.size() - word));
    std::memcpy(&a, &actual.memory[word], std::min<size_t>(4, actual.memory.size() - word));
    std::ostringstream s;
    s << "pixel " << col / 4 - expected.guard << "," << row - expected.guard << " byte " << col % 4 << std::hex
      << " expected 0x" << e << " actual 0x" << a;
    return s.str();
  }
  return "";
}

}  // namespace veziv::test
