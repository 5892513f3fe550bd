// Test support for the fonts: a fake platform font with fixed metrics and
// glyphs drawn from small pictures, so that cache and drawing tests do not
// depend on the installed faces; a fixture with graphics started on a
// software screen, the fonts registered and the log in a temporary folder;
// and one for the whole library started on the fake font in that folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "library/foundation/memory_log/fresh_log_test_support.h"
#include "library/foundation/memory_log/log_test_support.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/memory_log/screen_log.h"
#include "library/foundation/window/window_state.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/screen/fresh_graphics_test_support.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/font_rasterizer.h"
#include "library/text_input/fonts/font_system.h"
#include "library/text_input/fonts/fonts_registration.h"

namespace veziv::detail {

// Every font deleted, the table's check counter, the default font, its wish
// and the cache road as at process start.
inline void StartFontsAfresh() {
  for (int slot = 0; slot < kFontSlots; ++slot) {
    const FontHandle font = FontHandleAtSlot(slot);
    if (font >= 0) DeleteFontHandle(font);
  }
  ResetFontTableCounter();
  DefaultWish() = DefaultFontWish{};
  DefaultFontHandle() = -1;
  SetFontTextureCacheWanted(0);
}

}  // namespace veziv::detail

namespace veziv::test {

// A glyph as a picture: one row a string, '.' for 0, '#' for 16 and the
// digits '1'..'9' and 'a'..'f' for the levels between.
struct FakeGlyph {
  std::vector<std::string> rows;
  int originX = 0;
  int originY = 0;  // top above the baseline
  int advance = 0;
};

inline int FakeLevel(char c) {
  if (c == '#') return 16;
  if (c >= '1' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// The fake font: every font made has these metrics; a code without its own
// glyph gets a solid box (half-width for a single byte, full-width else).
struct FakeFonts {
  platform::glyphs::FontMetrics metrics{12, 10, 10};
  std::map<uint32_t, FakeGlyph> glyphs;
  bool refuse = false;  // no font can be made
  // What the library asked for.
  int opened = 0;
  int closed = 0;
  int rendered = 0;  // glyph calls with a buffer
  std::vector<uint32_t> codes;  // every code asked for, size queries included
  std::vector<std::string> faces;
  std::vector<int> weights;
  std::vector<int> italics;

  FakeGlyph Glyph(uint32_t code) const {
    if (auto it = glyphs.find(code); it != glyphs.end()) return it->second;
    if (code == 0x20 || code == 0x8140) return FakeGlyph{{}, 0, 0, code == 0x20 ? 5 : 10};
    if (code > 0xFF) return FakeGlyph{std::vector<std::string>(8, "########"), 1, 9, 10};
    return FakeGlyph{std::vector<std::string>(6, "###"), 1, 8, 5};
  }
};

inline FakeFonts& Fake() {
  static FakeFonts fake;
  return fake;
}

// Letters whose pictures show where each pixel went: A with its top at the
// ascent, L shifted one right and two down, and g with four levels.
inline void UseLetterGlyphs() {
  Fake().glyphs['A'] = FakeGlyph{{".#.", "#.#", "###", "#.#"}, 0, 10, 4};
  Fake().glyphs['L'] = FakeGlyph{{"#..", "#..", "###"}, 1, 8, 4};
  Fake().glyphs['g'] = FakeGlyph{{"#8.", "4#1"}, 0, 10, 4};
}

inline void UseFakeFonts() {
  Fake() = FakeFonts{};
  detail::FontRasterizer& r = detail::FontRasterizerCalls();
  r.open = [](const char* face, int, int weight, int italic) -> void* {
    FakeFonts& f = Fake();
    f.faces.push_back(face != nullptr ? face : "(none)");
    f.weights.push_back(weight);
    f.italics.push_back(italic);
    if (f.refuse) return nullptr;
    ++f.opened;
    return new int(f.opened);
  };
  r.close = [](void* font) {
    ++Fake().closed;
    delete static_cast<int*>(font);
  };
  r.metrics = [](const void*) { return Fake().metrics; };
  r.glyph = [](void*, uint32_t code, int format, platform::glyphs::GlyphBox* box, uint8_t* buffer,
               size_t size) -> int {
    FakeFonts& f = Fake();
    f.codes.push_back(code);
    const FakeGlyph g = f.Glyph(code);
    const int height = static_cast<int>(g.rows.size());
    const int width = height > 0 ? static_cast<int>(g.rows[0].size()) : 0;
    *box = platform::glyphs::GlyphBox{width, height, g.originX, g.originY, g.advance};
    const int pitch = format == 1 ? (width + 31) / 32 * 4 : (width + 3) / 4 * 4;
    const int bytes = pitch * height;
    if (buffer == nullptr || bytes == 0) return bytes;
    if (size < static_cast<size_t>(bytes)) return -1;
    ++f.rendered;
    std::memset(buffer, 0, static_cast<size_t>(bytes));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const int level = FakeLevel(g.rows[static_cast<size_t>(y)][static_cast<size_t>(x)]);
        uint8_t* row = buffer + y * pitch;
        if (format == 1) {
          if (level >= 8) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        } else {
          row[x] = static_cast<uint8_t>(level);
        }
      }
    }
    return bytes;
  };
}

// Graphics started on a software screen (32-bit 64 x 64 unless a test starts
// another), fresh fonts on the fake font, the log in a temporary folder.
class FontTest : public test::LogFolderTest {
 protected:
  void SetUp() override {
    LogFolderTest::SetUp();
    Fresh();
    UseFakeFonts();
    StartScreen(32);
  }
  void TearDown() override {
    EndGraphicsSystem();
    Fresh();
    detail::UseRealFontRasterizer();
    LogFolderTest::TearDown();
  }

  static void Fresh() {
    detail::StartFontsAfresh();
    detail::StartScreenModeAfresh();
    detail::StartGraphicsContextAfresh();
    detail::StartMaskScreenAfresh();
    detail::StartGraphTableAfresh();
    detail::StartDrawStateAfresh();
    detail::SetScreenLogServices({});
    detail::StartScreenLogAfresh();
    detail::WindowState().destroyed = 0;
    detail::WindowState().windowed = 1;
    // No window: it counts as active.
    detail::GraphicsCalls().window_is_active = [] { return 1; };
    detail::GraphicsCalls().wait_while_window_inactive = [] {};
    detail::RegisterFontsWithLibrary();
  }

  // Graphics (re)started at the mode; the font system starts with them.
  void StartScreen(int bits, int width = 64, int height = 64) {
    EndGraphicsSystem();
    detail::GraphicsScreen& s = detail::Screen();
    s.width = width;
    s.height = height;
    s.bits = bits;
    ASSERT_EQ(StartGraphicsSystem(), 0);
    ASSERT_EQ(SelectDrawTarget(kTargetBackScreen), 0);
  }

  static SOFTSURFACE* Screen() { return detail::Screen().image; }

  // The screen's pixel as 0xRRGGBB (a 16-bit pixel as its raw value).
  static uint32_t Pixel(int x, int y) {
    const SOFTSURFACE* image = Screen();
    const uint8_t* p = image->pixels + y * image->base->pitch + x * image->base->bytesPerPixel;
    if (image->base->type == kSoftType16) return uint32_t(p[0]) | uint32_t(p[1]) << 8;
    return (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
  }

  // The screen's rectangle as a picture: each pixel by its symbol in the
  // legend (colour to character), '?' for a colour it lacks.
  static std::vector<std::string> Picture(int x, int y, int width, int height,
                                          const std::map<uint32_t, char>& legend) {
    std::vector<std::string> rows;
    for (int j = 0; j < height; ++j) {
      std::string row;
      for (int i = 0; i < width; ++i) {
        auto it = legend.find(Pixel(x + i, y + j));
        row += it != legend.end() ? it->second : '?';
      }
      rows.push_back(row);
    }
    return rows;
  }

  static void ClearScreen() { SoftSurfaceFillRaw(Screen(), nullptr, 0); }
};

// The fixture with the letter glyphs and two colours packed for its screen.
class LetterTextTest : public FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    UseLetterGlyphs();
    white_ = PackColorForScreen(255, 255, 255);
    red_ = PackColorForScreen(255, 0, 0);
  }
  uint32_t white_ = 0;
  uint32_t red_ = 0;
};

// The library started by the test (InitLibrary) in the log's folder, which
// also holds the second-copy lock apart from any other test's; graphics and
// the fonts registered, on the fake font. The library is ended at the end.
class LibraryOnFakeFontsTest : public test::LogFolderTest {
 protected:
  void SetUp() override {
    LogFolderTest::SetUp();
    old_folder_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    detail::StartFontsAfresh();
    detail::StartScreenLogAfresh();
    detail::WindowState().windowed = 1;
    UseFakeFonts();
    detail::ResetLibrarySubsystems();
    detail::RegisterGraphicsWithLibrary();
    detail::RegisterFontsWithLibrary();
  }
  void TearDown() override {
    EndLibrary();
    detail::ResetLibrarySubsystems();
    detail::UseRealFontRasterizer();
    detail::SetScreenLogServices({});
    std::filesystem::current_path(old_folder_);
    LogFolderTest::TearDown();
  }
  std::filesystem::path old_folder_;
};

}  // namespace veziv::test
