// Text bytes drawn and measured, as the story's and the stages' texts are:
// any bytes (lone lead bytes, control bytes, long lines) walked through the
// glyph cache of fonts of every type on the installed faces, across and
// down, plain and blended, into a small software screen, with byte counts
// that cut the text anywhere. Every glyph must stay inside its cell and every
// pixel inside the screen.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/window/window_state.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/font_system.h"
#include "library/text_input/fonts/fonts_registration.h"
#include "library/text_input/fonts/text_drawing.h"

namespace {

constexpr int kFonts = 5;
int g_fonts[kFonts];

void Start() {
  static bool started = false;
  if (started) return;
  started = true;
  veziv::detail::SetLogFolder(std::filesystem::temp_directory_path().c_str());
  veziv::CreateLogFile();
  veziv::detail::WindowState().windowed = 1;
  veziv::detail::GraphicsCalls().window_is_active = [] { return 1; };
  veziv::detail::GraphicsCalls().wait_while_window_inactive = [] {};
  veziv::detail::RegisterFontsWithLibrary();
  veziv::detail::GraphicsScreen& s = veziv::detail::Screen();
  s.width = 96;
  s.height = 64;
  s.bits = 32;
  // The software screen: the glyphs are checked in its image.
  veziv::SetHardwareRenderingWanted(0);
  if (veziv::StartGraphicsSystem() != 0) std::abort();
  veziv::SelectDrawTarget(veziv::kTargetBackScreen);
  const char* mincho = "\x82\x6c\x82\x72 \x96\xbe\x92\xa9";  // the Mincho face's name in CP932
  g_fonts[0] = veziv::CreateFontHandle(nullptr, 16, 4, veziv::FontTypeNormal, -1, -1, 0, -1, -1);
  g_fonts[1] = veziv::CreateFontHandle(nullptr, 16, 4, veziv::FontTypeEdge, -1, 2, 0, -1, -1);
  g_fonts[2] = veziv::CreateFontHandle(mincho, 18, 6, veziv::FontTypeAntialias, -1, -1, 1, -1, -1);
  g_fonts[3] = veziv::CreateFontHandle(mincho, 20, 9, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  veziv::detail::SetFontTextureCacheWanted(1);
  g_fonts[4] = veziv::CreateFontHandle(nullptr, 14, 4, veziv::FontTypeAntialiasEdge, -1, -1, 0, -1, -1);
  veziv::detail::SetFontTextureCacheWanted(0);
  for (const int font : g_fonts)
    if (font == -1) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > 8192) return 0;
  Start();
  // Byte 0 picks the font; byte 1: bit 0 down, bit 1 blended, bits 2-7 the
  // place; bytes 2 and 3 the byte count (signed).
  const int font = g_fonts[data[0] % kFonts];
  const int vertical = data[1] & 1;
  const int x = (data[1] >> 2 & 7) * 9 - 20, y = (data[1] >> 5) * 8 - 8;
  const int count = int16_t(uint16_t(data[2] | data[3] << 8));
  const std::string text(reinterpret_cast<const char*>(data + 4), size - 4);  // cut at the first zero by the calls
  veziv::ChooseBlendMode((data[1] & 2) != 0 ? 1 : 0, 128);
  const uint32_t white = veziv::PackColorForScreen(255, 255, 255), red = veziv::PackColorForScreen(255, 0, 0);

  const int width = veziv::MeasureTextWithFont(text.c_str(), count, font, vertical);
  if (width < -1) std::abort();
  veziv::DrawTextWithFont(x, y, text.c_str(), white, font, red, vertical);
  veziv::DrawFormattedTextWithFont(x, y + 20, white, font, "%s|%d", text.c_str(), count);
  const veziv::DrawRect area = veziv::GetDrawArea();
  veziv::ProcessTextWithFont(1, x, y, 1, 1.5, 0.75, text.c_str(), white, veziv::detail::Screen().image, &area, 1, font,
                             red, count, vertical, nullptr);
  veziv::ChooseBlendMode(0, 0);
  return 0;
}
