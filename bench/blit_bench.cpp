// The software renderer's blits on 800 x 600 images, side by side with memcpy
// of the same bytes (the bandwidth limit), SDL2's blitter with the nearest
// blend mode, and pixman's compositing, on the same pixels: 32-bit images,
// then 16-bit (5:6:5) and palette images, and sprites drawn by their run table.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <random>
#include <vector>

#include "bench/bench_common.h"
#include "library/softrender/blit/blit.h"
#include "library/softrender/surface/softsurface.h"

namespace {

using namespace veziv;
using namespace bench;

// One 32-bit image whose pixels are shared by our view, an SDL surface and a
// pixman image, so that every contender reads and writes the same memory.
// Alpha: per pixel at random, a third clear, a third opaque, a third in
// between; or, with sprites, discs of 28 pixels on 32 x 32 cells, opaque
// inside, clear outside, with a soft edge.
struct Image : Image32 {
  SDL_Surface* sdl = nullptr;

  Image(int w, int h, bool alpha, uint32_t seed, bool sprites = false) : Image32(w, h, alpha) {
    std::mt19937 rng(seed);
    for (size_t i = 0; i < pixels.size(); ++i) {
      uint32_t a;
      if (sprites) {
        const int dx = int(i % size_t(w)) % 32 - 16, dy = int(i / size_t(w)) % 32 - 16;
        const int r2 = dx * dx + dy * dy;
        a = r2 < 144 ? 255 : r2 > 196 ? 0 : 255 - (r2 - 144) * 4;
      } else {
        const uint32_t kind = rng() % 3;
        a = kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256;
      }
      pixels[i] = (rng() & 0x00FFFFFF) | a << 24;
    }
    block.transparentValue = pixels[7];
    sdl = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), w, h, 32, w * 4,
                                             alpha ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_XRGB8888);
  }
  ~Image() { SDL_FreeSurface(sdl); }
};

// Each contender's drawing of a whole source onto a whole 800 x 600 target,
// timed: our blit, our scaled blit, SDL's blit (with the blend mode, the alpha
// modulation when not negative, the colour key when asked) and pixman's
// composite (through a solid mask of maskAlpha when not negative).
void TimeOurBlit(benchmark::State& state, SOFTSURFACE& dst, const SOFTSURFACE& src, int32_t flag,
                 const SoftDrawSnapshot& draw) {
  for (auto _ : state) {
    SoftSurfaceBlit(&dst, &src, 0, 0, flag, nullptr, draw);
    benchmark::ClobberMemory();
  }
  Count(state);
}

void TimeOurScaled(benchmark::State& state, SOFTSURFACE& dst, const SOFTSURFACE& src, int32_t flag) {
  const SoftDrawSnapshot draw = Draw(0, 0);
  const int32_t rect[4] = {0, 0, kWidth, kHeight};
  for (auto _ : state) {
    SoftSurfaceBlitScaled(&dst, &src, rect, flag, nullptr, draw);
    benchmark::ClobberMemory();
  }
  Count(state);
}

void TimeSdlBlit(benchmark::State& state, SDL_Surface* dst, SDL_Surface* src, SDL_BlendMode mode, int alphaMod,
                 bool colorKey, uint32_t key) {
  SDL_SetSurfaceBlendMode(src, mode);
  if (alphaMod >= 0) SDL_SetSurfaceAlphaMod(src, static_cast<Uint8>(alphaMod));
  if (colorKey) SDL_SetColorKey(src, SDL_TRUE, key);
  for (auto _ : state) {
    SDL_BlitSurface(src, nullptr, dst, nullptr);
    benchmark::ClobberMemory();
  }
  Count(state);
}

void TimePixmanComposite(benchmark::State& state, pixman_image_t* dst, pixman_image_t* src, pixman_op_t op,
                         int maskAlpha) {
  pixman_image_t* mask = nullptr;
  if (maskAlpha >= 0) {
    const pixman_color_t c{0, 0, 0, static_cast<uint16_t>(maskAlpha * 257)};
    mask = pixman_image_create_solid_fill(&c);
  }
  for (auto _ : state) {
    pixman_image_composite32(op, src, mask, dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  if (mask) pixman_image_unref(mask);
  Count(state);
}

// --- the bandwidth limit

void BM_Memcpy(benchmark::State& state) {
  Image src(kWidth, kHeight, false, 1), dst(kWidth, kHeight, false, 2);
  for (auto _ : state) {
    std::memcpy(dst.pixels.data(), src.pixels.data(), size_t(kPixels) * 4);
    benchmark::ClobberMemory();
  }
  Count(state);
}
BENCHMARK(BM_Memcpy);

// The clear of the screen: memset is the floor for a value whose bytes agree.
void BM_Memset(benchmark::State& state) {
  Image dst(kWidth, kHeight, false, 2);
  for (auto _ : state) {
    std::memset(dst.pixels.data(), 0, size_t(kPixels) * 4);
    benchmark::ClobberMemory();
  }
  Count(state);
}
BENCHMARK(BM_Memset);

void OurClear(benchmark::State& state, uint32_t raw) {
  Image dst(kWidth, kHeight, false, 2);
  for (auto _ : state) {
    SoftSurfaceFillRaw(&dst.view, nullptr, raw);
    benchmark::ClobberMemory();
  }
  Count(state);
}
BENCHMARK_CAPTURE(OurClear, Black, 0u);
BENCHMARK_CAPTURE(OurClear, Colour, 0x00336699u);

void PixmanClear(benchmark::State& state) {
  Image dst(kWidth, kHeight, false, 2);
  for (auto _ : state) {
    pixman_fill(dst.pixels.data(), kWidth, 32, 0, 0, kWidth, kHeight, 0x00336699);
    benchmark::ClobberMemory();
  }
  Count(state);
}
BENCHMARK(PixmanClear);

// --- our blits: mode, parameter, source alpha, transparency flag

void OurBlit(benchmark::State& state, int32_t mode, int32_t p, bool alpha, int32_t flag, bool sprites = false) {
  Image src(kWidth, kHeight, alpha, 1, sprites), dst(kWidth, kHeight, false, 2);
  TimeOurBlit(state, dst.view, src.view, flag, Draw(mode, p));
}

void OurScaled(benchmark::State& state, int sourceWidth, int sourceHeight, bool alpha = false) {
  Image src(sourceWidth, sourceHeight, alpha, 1, alpha), dst(kWidth, kHeight, false, 2);
  TimeOurScaled(state, dst.view, src.view, alpha ? 1 : 0);
}

BENCHMARK_CAPTURE(OurBlit, Copy, 0, 0, false, 0);
BENCHMARK_CAPTURE(OurBlit, TransparentCopy, 0, 0, false, 1);
BENCHMARK_CAPTURE(OurBlit, AlphaByParameter100, 1, 100, false, 0);
BENCHMARK_CAPTURE(OurBlit, AlphaByParameter128, 1, 128, false, 0);
BENCHMARK_CAPTURE(OurBlit, SourceAlpha, 0, 0, true, 1);
BENCHMARK_CAPTURE(OurBlit, SourceAlphaSprites, 0, 0, true, 1, true);
BENCHMARK_CAPTURE(OurBlit, SourceAlphaByParameter100, 1, 100, true, 1);
BENCHMARK_CAPTURE(OurBlit, Add255, 2, 255, false, 0);
BENCHMARK_CAPTURE(OurBlit, Add200, 2, 200, false, 0);
BENCHMARK_CAPTURE(OurScaled, Scaled2x, kWidth / 2, kHeight / 2);
BENCHMARK_CAPTURE(OurScaled, ScaledHalf, kWidth * 2, kHeight * 2);
BENCHMARK_CAPTURE(OurScaled, ScaledSourceAlphaSprites2x, kWidth / 2, kHeight / 2, true);

// --- SDL2's blitter with the nearest blend mode

void SdlBlit(benchmark::State& state, SDL_BlendMode mode, int alphaMod, bool alpha, bool colorKey,
             bool sprites = false) {
  Image src(kWidth, kHeight, alpha, 1, sprites), dst(kWidth, kHeight, false, 2);
  TimeSdlBlit(state, dst.sdl, src.sdl, mode, alphaMod, colorKey, src.block.transparentValue);
}

void SdlScaled(benchmark::State& state, int sourceWidth, int sourceHeight, bool alpha = false) {
  Image src(sourceWidth, sourceHeight, alpha, 1, alpha), dst(kWidth, kHeight, false, 2);
  SDL_SetSurfaceBlendMode(src.sdl, alpha ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
  SDL_Rect to{0, 0, kWidth, kHeight};
  for (auto _ : state) {
    SDL_BlitScaled(src.sdl, nullptr, dst.sdl, &to);
    benchmark::ClobberMemory();
  }
  Count(state);
}

BENCHMARK_CAPTURE(SdlBlit, Copy, SDL_BLENDMODE_NONE, -1, false, false);
BENCHMARK_CAPTURE(SdlBlit, TransparentCopy, SDL_BLENDMODE_NONE, -1, false, true);
BENCHMARK_CAPTURE(SdlBlit, AlphaByParameter100, SDL_BLENDMODE_BLEND, 100, false, false);
BENCHMARK_CAPTURE(SdlBlit, SourceAlpha, SDL_BLENDMODE_BLEND, -1, true, false);
BENCHMARK_CAPTURE(SdlBlit, SourceAlphaSprites, SDL_BLENDMODE_BLEND, -1, true, false, true);
BENCHMARK_CAPTURE(SdlBlit, Add, SDL_BLENDMODE_ADD, -1, false, false);
BENCHMARK_CAPTURE(SdlScaled, Scaled2x, kWidth / 2, kHeight / 2);
BENCHMARK_CAPTURE(SdlScaled, ScaledHalf, kWidth * 2, kHeight * 2);
BENCHMARK_CAPTURE(SdlScaled, ScaledSourceAlphaSprites2x, kWidth / 2, kHeight / 2, true);

// --- pixman

void PixmanComposite(benchmark::State& state, pixman_op_t op, int maskAlpha, bool alpha, bool sprites = false) {
  Image src(kWidth, kHeight, alpha, 1, sprites), dst(kWidth, kHeight, false, 2);
  TimePixmanComposite(state, dst.pix, src.pix, op, maskAlpha);
}

void PixmanScaled(benchmark::State& state, int sourceWidth, int sourceHeight, bool alpha = false) {
  Image src(sourceWidth, sourceHeight, alpha, 1, alpha), dst(kWidth, kHeight, false, 2);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_int_to_fixed(sourceWidth) / kWidth,
                              pixman_int_to_fixed(sourceHeight) / kHeight);
  pixman_image_set_transform(src.pix, &t);
  pixman_image_set_filter(src.pix, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(alpha ? PIXMAN_OP_OVER : PIXMAN_OP_SRC, src.pix, nullptr, dst.pix, 0, 0, 0, 0, 0, 0,
                             kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  Count(state);
}

BENCHMARK_CAPTURE(PixmanComposite, SrcCopy, PIXMAN_OP_SRC, -1, false);
BENCHMARK_CAPTURE(PixmanComposite, OverConstantAlpha100, PIXMAN_OP_OVER, 100, false);
BENCHMARK_CAPTURE(PixmanComposite, OverSourceAlpha, PIXMAN_OP_OVER, -1, true);
BENCHMARK_CAPTURE(PixmanComposite, OverSourceAlphaMask100, PIXMAN_OP_OVER, 100, true);
BENCHMARK_CAPTURE(PixmanComposite, OverSourceAlphaSprites, PIXMAN_OP_OVER, -1, true, true);
BENCHMARK_CAPTURE(PixmanComposite, Add, PIXMAN_OP_ADD, -1, false);
BENCHMARK_CAPTURE(PixmanScaled, Scaled2x, kWidth / 2, kHeight / 2);
BENCHMARK_CAPTURE(PixmanScaled, ScaledHalf, kWidth * 2, kHeight * 2);
BENCHMARK_CAPTURE(PixmanScaled, ScaledOverSourceAlphaSprites2x, kWidth / 2, kHeight / 2, true);

// --- 16-bit (5:6:5) and palette images

// A 16-bit or palette image of our own: random 5:6:5 words (with an alpha byte
// as sprites have it for an alpha image) or random indices over a random
// palette; optionally the run table of the whole image.
struct Image16 {
  int width, height;
  std::vector<uint8_t> pixels, palette, runTable;
  SoftSurfaceShared block{};
  SOFTSURFACE view{};
  SDL_Surface* sdl = nullptr;
  pixman_image_t* pix = nullptr;

  Image16(int w, int h, int type, bool palette, bool alpha, uint32_t seed, bool runs = false)
      : width(w), height(h) {
    std::mt19937 rng(seed);
    block.references = 1;
    block.width = w;
    block.height = h;
    block.type = type;
    block.paletteFlag = palette ? 1 : 0;
    block.alphaFlag = alpha ? 1 : 0;
    block.bytesPerPixel = SoftSurfaceBytesPerPixel(type, block.paletteFlag, block.alphaFlag);
    block.pitch = w * block.bytesPerPixel;
    pixels.resize(size_t(block.pitch) * h);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(rng());
    if (alpha)
      for (int i = 0; i < w * h; ++i) {
        const int dx = i % w % 32 - 16, dy = i / w % 32 - 16, r2 = dx * dx + dy * dy;
        pixels[size_t(i) * 4 + 2] = static_cast<uint8_t>(r2 < 144 ? 255 : r2 > 196 ? 0 : 255 - (r2 - 144) * 4);
      }
    block.pixels = pixels.data();
    if (palette) {
      this->palette.resize(2048);
      for (uint8_t& b : this->palette) b = static_cast<uint8_t>(rng());
      block.palette = this->palette.data();
      block.paletteColorCount = 256;
      block.transparentValue = 7;
    } else {
      block.transparentValue = uint32_t(pixels[14] | pixels[15] << 8);
    }
    if (runs) {
      runTable.resize(size_t(w + 5) * h);
      block.runTable = runTable.data();
      BuildSoftSurfaceRunTable(&block);
    }
    view = SOFTSURFACE{kSoftSurfaceMagic, w, h, block.pixels, nullptr, &block};
    if (type == kSoftType16 && !palette && !alpha) {
      sdl = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), w, h, 16, block.pitch, SDL_PIXELFORMAT_RGB565);
      pix = pixman_image_create_bits(PIXMAN_r5g6b5, w, h, reinterpret_cast<uint32_t*>(pixels.data()), block.pitch);
    }
  }
  ~Image16() {
    if (sdl) SDL_FreeSurface(sdl);
    if (pix) pixman_image_unref(pix);
  }
};

// Our blit of a 16-bit or palette source (flag 1 with a run table takes the
// run-table path) into a target of the same type.
void Our16(benchmark::State& state, int type, bool palette, bool alpha, int32_t mode, int32_t p, int32_t flag,
           bool runs = false) {
  Image16 src(kWidth, kHeight, type, palette, alpha, 1, runs), dst(kWidth, kHeight, type, false, false, 2);
  TimeOurBlit(state, dst.view, src.view, flag, Draw(mode, p));
}

void OurScaled16(benchmark::State& state, int type, bool palette, int sourceWidth, int sourceHeight) {
  Image16 src(sourceWidth, sourceHeight, type, palette, false, 1), dst(kWidth, kHeight, type, false, false, 2);
  TimeOurScaled(state, dst.view, src.view, 0);
}

BENCHMARK_CAPTURE(Our16, Copy16, kSoftType16, false, false, 0, 0, 0);
BENCHMARK_CAPTURE(Our16, TransparentCopy16, kSoftType16, false, false, 0, 0, 2);
BENCHMARK_CAPTURE(Our16, AlphaByParameter100_16, kSoftType16, false, false, 1, 100, 0);
BENCHMARK_CAPTURE(Our16, AlphaByParameter128_16, kSoftType16, false, false, 1, 128, 0);
BENCHMARK_CAPTURE(Our16, Add255Pairs16, kSoftType16, false, false, 2, 255, 0);
BENCHMARK_CAPTURE(Our16, SourceAlphaSprites16, kSoftType16, false, true, 0, 0, 2);
BENCHMARK_CAPTURE(Our16, RunTableSourceAlphaSprites16, kSoftType16, false, true, 0, 0, 1, true);
BENCHMARK_CAPTURE(Our16, PaletteCopy32, kSoftType32, true, false, 0, 0, 0);
BENCHMARK_CAPTURE(Our16, PaletteTransparentCopy32, kSoftType32, true, false, 0, 0, 2);
BENCHMARK_CAPTURE(Our16, PaletteAlphaByParameter100_32, kSoftType32, true, false, 1, 100, 0);
BENCHMARK_CAPTURE(Our16, PaletteTransparentCopy16, kSoftType16, true, false, 0, 0, 2);
BENCHMARK_CAPTURE(Our16, PaletteRunTable32, kSoftType32, true, false, 0, 0, 1, true);
BENCHMARK_CAPTURE(OurScaled16, Scaled2x16, kSoftType16, false, kWidth / 2, kHeight / 2);
BENCHMARK_CAPTURE(OurScaled16, ScaledPalette2x32, kSoftType32, true, kWidth / 2, kHeight / 2);

void Sdl16(benchmark::State& state, SDL_BlendMode mode, int alphaMod, bool colorKey) {
  Image16 src(kWidth, kHeight, kSoftType16, false, false, 1), dst(kWidth, kHeight, kSoftType16, false, false, 2);
  TimeSdlBlit(state, dst.sdl, src.sdl, mode, alphaMod, colorKey, src.block.transparentValue);
}

void Pixman16(benchmark::State& state, pixman_op_t op, int maskAlpha) {
  Image16 src(kWidth, kHeight, kSoftType16, false, false, 1), dst(kWidth, kHeight, kSoftType16, false, false, 2);
  TimePixmanComposite(state, dst.pix, src.pix, op, maskAlpha);
}

BENCHMARK_CAPTURE(Sdl16, Copy16, SDL_BLENDMODE_NONE, -1, false);
BENCHMARK_CAPTURE(Sdl16, TransparentCopy16, SDL_BLENDMODE_NONE, -1, true);
BENCHMARK_CAPTURE(Sdl16, AlphaByParameter100_16, SDL_BLENDMODE_BLEND, 100, false);
BENCHMARK_CAPTURE(Sdl16, AlphaByParameter128_16, SDL_BLENDMODE_BLEND, 128, false);

// SDL's blit of an 8-bit palette surface (the same indices and colours) into
// a 32-bit one: a plain copy, or with the colour key of index 7.
void SdlPalette32(benchmark::State& state, bool colorKey) {
  Image16 src(kWidth, kHeight, kSoftType32, true, false, 1);
  Image dst(kWidth, kHeight, false, 2);
  SDL_Surface* from = SDL_CreateRGBSurfaceWithFormatFrom(src.pixels.data(), kWidth, kHeight, 8, src.block.pitch,
                                                         SDL_PIXELFORMAT_INDEX8);
  SDL_Color colours[256];
  for (int i = 0; i < 256; ++i) {
    const uint8_t* e = src.palette.data() + 4 * i;  // blue, green, red, fourth
    colours[i] = SDL_Color{e[2], e[1], e[0], 255};
  }
  SDL_SetPaletteColors(from->format->palette, colours, 0, 256);
  TimeSdlBlit(state, dst.sdl, from, SDL_BLENDMODE_NONE, -1, colorKey, src.block.transparentValue);
  SDL_FreeSurface(from);
}
BENCHMARK_CAPTURE(SdlPalette32, PaletteCopy32, false);
BENCHMARK_CAPTURE(SdlPalette32, PaletteTransparentCopy32, true);
BENCHMARK_CAPTURE(Pixman16, SrcCopy16, PIXMAN_OP_SRC, -1);
BENCHMARK_CAPTURE(Pixman16, OverConstantAlpha100_16, PIXMAN_OP_OVER, 100);

}  // namespace

BENCHMARK_MAIN();
