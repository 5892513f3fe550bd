// One 40-character Japanese line through the library's fonts on the software
// road: measured and drawn with every glyph already in the cache, and with
// the cache emptied first (each glyph rasterised again), in the game's
// default font (Mincho 20 bold, smoothed with an edge) and its small font
// (Gothic 14, one bit a pixel). Beside them FreeType rendering the same 40
// glyphs of the same face and em into its own buffer (FT_Load_Char with
// rendering), smoothed and one bit: what a cached line must beat.
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "library/foundation/start/library_start.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/text_drawing.h"
#include "platform/os/charset.h"

namespace {

using namespace veziv;

// 40 characters, none repeated in a way that matters: kana and kanji of the game's kind.
constexpr const char* kLine = "ほしの渡り鳥たちは夜空を越えて遠い町へ向かう旅の始まりを告げる鐘の音に耳を澄ます";

struct Fonts {
  int mincho = -1;
  int gothic = -1;
};

Fonts& TheFonts() {
  static Fonts fonts = [] {
    if (getenv("DISPLAY") == nullptr) {
      setenv("VEZIV_HEADLESS", "1", 1);
      setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "veziv-text-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
      std::filesystem::current_path(pattern);
      setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
    }
    Fonts f;
    SetScreenMode(800, 600, 32, 60);
    if (InitLibrary() != 0) return f;
    SelectDrawTarget(kTargetBackScreen);
    f.mincho = CreateFontHandle("ＭＳ 明朝", 20, 9, FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
    f.gothic = CreateFontHandle(nullptr, 14, 4, FontTypeNormal, -1, -1, 0, -1, -1);
    return f;
  }();
  return fonts;
}

int FontOf(const benchmark::State& state) {
  return state.range(0) == 0 ? TheFonts().mincho : TheFonts().gothic;
}

void Label(benchmark::State& state) {
  state.SetLabel(state.range(0) == 0 ? "Mincho 20 bold smoothed edged" : "Gothic 14 one bit");
  state.SetItemsProcessed(state.iterations() * 40);
}

void BM_MeasureCached(benchmark::State& state) {
  const int font = FontOf(state);
  if (font < 0) return state.SkipWithError("no font");
  MeasureTextWithFont(kLine, -1, font, 0);
  for (auto _ : state) benchmark::DoNotOptimize(MeasureTextWithFont(kLine, -1, font, 0));
  Label(state);
}

void BM_MeasureUncached(benchmark::State& state) {
  const int font = FontOf(state);
  if (font < 0) return state.SkipWithError("no font");
  for (auto _ : state) {
    ClearFontGlyphCache(font);
    benchmark::DoNotOptimize(MeasureTextWithFont(kLine, -1, font, 0));
  }
  Label(state);
}

void BM_DrawCached(benchmark::State& state) {
  const int font = FontOf(state);
  if (font < 0) return state.SkipWithError("no font");
  const uint32_t white = PackColorForScreen(255, 255, 255), black = PackColorForScreen(0, 0, 0);
  DrawTextWithFont(10, 100, kLine, white, font, black, 0);
  for (auto _ : state) benchmark::DoNotOptimize(DrawTextWithFont(10, 100, kLine, white, font, black, 0));
  Label(state);
}

void BM_DrawUncached(benchmark::State& state) {
  const int font = FontOf(state);
  if (font < 0) return state.SkipWithError("no font");
  const uint32_t white = PackColorForScreen(255, 255, 255), black = PackColorForScreen(0, 0, 0);
  for (auto _ : state) {
    ClearFontGlyphCache(font);
    benchmark::DoNotOptimize(DrawTextWithFont(10, 100, kLine, white, font, black, 0));
  }
  Label(state);
}

// The same 40 characters as code points.
std::vector<char32_t> CodePoints() {
  const std::string utf8 = platform::os::Cp932ToUtf8(kLine);
  std::vector<char32_t> codes;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
    char32_t v = n == 1 ? c : n == 2 ? c & 0x1F : c & 0x0F;
    for (int k = 1; k < n; ++k) v = v << 6 | (static_cast<unsigned char>(utf8[i + size_t(k)]) & 0x3F);
    codes.push_back(v);
    i += size_t(n);
  }
  return codes;
}

// FreeType alone: the face opened once, at the em the library's font gets for
// its cell height (win ascent plus descent), each glyph loaded and rendered.
void BM_FreeTypeRender(benchmark::State& state) {
  const bool mono = state.range(0) == 1;
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  const char* file = mono ? "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
                          : "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf";
  if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, file, 0, &face) != 0) {
    return state.SkipWithError("no face");
  }
  const double cell = mono ? 14.0 : 20.0;
  const double units = mono ? 1802 + 401 : 1802 + 455;  // the IPA faces' win ascent plus descent
  FT_Set_Char_Size(face, 0, std::lround(cell * face->units_per_EM / units * 64), 72, 72);
  const std::vector<char32_t> codes = CodePoints();
  const FT_Int32 flags = FT_LOAD_RENDER | FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  for (auto _ : state) {
    for (const char32_t code : codes) {
      FT_Load_Char(face, code, flags);
      benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
    }
  }
  state.SetLabel(mono ? "Gothic 14 one bit" : "Mincho 20 smoothed");
  state.SetItemsProcessed(state.iterations() * int64_t(codes.size()));
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

// 0: the default font, 1: the small font.
BENCHMARK(BM_FreeTypeRender)->Arg(0)->Arg(1);
BENCHMARK(BM_MeasureCached)->Arg(0)->Arg(1);
BENCHMARK(BM_MeasureUncached)->Arg(0)->Arg(1);
BENCHMARK(BM_DrawCached)->Arg(0)->Arg(1);
BENCHMARK(BM_DrawUncached)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
