// The fonts' entries in graphics' call sites and the on-screen log's services.
#include "library/text_input/fonts/fonts_registration.h"

#include "library/foundation/memory_log/screen_log.h"
#include "library/veziv.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/text_drawing.h"

namespace veziv::detail {
namespace {

// The default font's size and thickness noted by a screen-mode change.
struct KeptDefaultFont {
  bool kept = false;
  int size = 0;
  int thickness = 0;
};
KeptDefaultFont g_kept;

void RememberDefaultFont() {
  g_kept = KeptDefaultFont{};
  const int font = GetLibraryDefaultFont();
  if (IsValidFontHandle(font)) {
    g_kept.kept = GetFontHandleInfo(nullptr, &g_kept.size, &g_kept.thickness, font) == 0;
  }
}

void ReapplyDefaultFont() {
  if (!g_kept.kept) return;
  g_kept.kept = false;
  SetDefaultFontSizeThickness(0, g_kept.size, g_kept.thickness);
}

int ScreenWidth() {
  int width = 0;
  GetScreenSizeOrDefault(&width, nullptr);
  return width;
}

int ScreenHeight() {
  int height = 0;
  GetScreenSizeOrDefault(nullptr, &height);
  return height;
}

}  // namespace

void RegisterFontsWithLibrary() {
  GraphicsHooks& calls = GraphicsCalls();
  calls.start_font_system = [] { SetupFontSystem(); };
  calls.end_font_system = [] { TerminateFont(); };
  calls.remember_default_font = RememberDefaultFont;
  calls.reapply_default_font = ReapplyDefaultFont;
  calls.recreate_all_fonts = [] { RecreateFontHandleAll(); };

  ScreenLogServices log;
  log.ready = [] { return Screen().started != 0 && GetAppWindowHandle() != nullptr; };
  log.screen_width = ScreenWidth;
  log.screen_height = ScreenHeight;
  log.create_font = [](int size, int* lost_flag) {
    const int font = CreateFontHandle(nullptr, size, 4, FontTypeEdge, -1, -1, 0, -1, -1);
    if (font != -1) AttachFontLossFlag(font, lost_flag);
    return font;
  };
  log.delete_font = [](int font) { DeleteFontHandle(font); };
  log.measure = [](const char* text, int bytes, int font) { return MeasureTextWithFont(text, bytes, font, 0); };
  log.draw_line = [](int x, int y, const char* text, int font) {
    DrawTextWithFont(x, y, text, PackColorForScreen(255, 255, 255), font, PackColorForScreen(0, 0, 0), 0);
  };
  SetScreenLogServices(log);
}

}  // namespace veziv::detail
