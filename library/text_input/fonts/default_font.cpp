// The library's default font (the wish its setters write and the font made
// from it), the reset and the re-creation of all fonts, and the font
// system's start and end within graphics start and end.
#include <cstring>

#include "library/foundation/memory_log/log.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/font_system.h"

namespace veziv {
namespace {

bool GraphicsStarted() { return detail::Screen().started != 0; }

// The settings a font was made with, as the reset and the re-creation keep them.
struct FontSettings {
  char face[kFontFaceBytes];
  int size, thickness, type, charsetIndex, edge, italic, spacing, check;
  int* lostFlag;
};

FontSettings SettingsOf(const FontHandleData& r) {
  FontSettings s{};
  std::memcpy(s.face, r.face, sizeof s.face);
  s.size = r.size;
  s.thickness = r.thickness;
  s.type = r.type;
  s.charsetIndex = r.charsetIndex;
  s.edge = r.edgeSize;
  s.italic = r.italic;
  s.spacing = r.spacing;
  s.check = r.check;
  s.lostFlag = r.lostFlag;
  return s;
}

void DeleteEveryFont() {
  for (int slot = 0; slot < detail::kFontSlots; ++slot) {
    const FontHandle font = detail::FontHandleAtSlot(slot);
    if (font >= 0) DeleteFontHandle(font);
  }
}

}  // namespace

int GetLibraryDefaultFont() { return detail::DefaultFontHandle(); }

int GetDefaultFontSize() {
  EnsureDefaultFont();
  return GetFontHandleSize(detail::DefaultFontHandle());
}

int SetDefaultFontSize(int size) {
  detail::DefaultWish().size = size == -1 ? 16 : size;
  return EnsureDefaultFont();
}

int SetDefaultFontThickness(int thickness) {
  detail::DefaultWish().thickness = thickness == -1 ? 6 : thickness;
  return EnsureDefaultFont();
}

int SetDefaultFontSizeThickness(int, int size, int thickness) {
  if (!GraphicsStarted()) return -1;
  detail::DefaultWish().size = size == -1 ? 16 : size;
  detail::DefaultWish().thickness = thickness == -1 ? 6 : thickness;
  return EnsureDefaultFont();
}

int SetDefaultFontFace(const char* face, int charsetIndex) {
  detail::CopyFaceName(detail::DefaultWish().face, face);
  detail::DefaultWish().charsetIndex = charsetIndex == -1 ? detail::DefaultCharsetIndex() : charsetIndex;
  return EnsureDefaultFont();
}

int SetDefaultFontType(int type) {
  detail::DefaultWish().type = type == -1 ? 0 : type;
  return EnsureDefaultFont();
}

int EnsureDefaultFont() {
  // Fonts live from graphics start to graphics end; the wish waits until then.
  if (!GraphicsStarted()) return 0;
  const detail::DefaultFontWish& w = detail::DefaultWish();
  int& font = detail::DefaultFontHandle();
  // The type a wish becomes: an 8-bit screen has no smoothing, and comparing
  // with the wish itself would make the font again on every call.
  const int type = GetScreenColorBitDepth() == 8 ? w.type & ~2 : w.type;
  if (const FontHandleData* r = GetFontRecord(font)) {
    if (std::strcmp(r->face, w.face) == 0 && r->type == type && r->size == w.size && r->thickness == w.thickness &&
        r->charsetIndex == w.charsetIndex && r->edgeSize == w.edge && r->italic == w.italic) {
      return 0;
    }
    DeleteFontHandle(font);
  }
  font = CreateFontHandle(w.face, w.size, w.thickness, w.type, w.charsetIndex, (w.type & 1) != 0 ? w.edge : -1,
                          w.italic, -1, -1);
  if (font != -1) SetFontCharSpacing(w.spacing, font);
  return 0;
}

int ResetAllFonts() {
  if (!GraphicsStarted()) return -1;
  WriteLogText("フォントの初期化を行います\n");
  IncreaseLogIndent();
  int& font = detail::DefaultFontHandle();
  const FontHandleData* r = GetFontRecord(font);
  const bool had = r != nullptr;
  const FontSettings kept = had ? SettingsOf(*r) : FontSettings{};
  DeleteEveryFont();
  font = had ? CreateFontHandle(kept.face, kept.size, kept.thickness, kept.type, kept.charsetIndex, kept.edge,
                                kept.italic, -1, -1)
             : CreateFontHandle("", 16, 6, -1, -1, -1, 0, -1, -1);
  DecreaseLogIndent();
  WriteLogText("フォントの初期化は正常に終了しました\n");
  return 0;
}

int RecreateFontHandleAll() {
  for (int slot = 0; slot < detail::kFontSlots; ++slot) {
    const FontHandle font = detail::FontHandleAtSlot(slot);
    FontHandleData* r = GetFontRecord(font);
    if (r == nullptr) continue;
    const FontSettings kept = SettingsOf(*r);
    // The font comes back under the same handle: its owner keeps its flag
    // down, and the flag goes on with the new record.
    r->lostFlag = nullptr;
    DeleteFontHandle(font);
    const FontHandle again = CreateFontHandle(kept.face, kept.size, kept.thickness, kept.type, kept.charsetIndex,
                                              kept.edge, kept.italic, slot, kept.check);
    if (FontHandleData* made = GetFontRecord(again)) {
      made->spacing = kept.spacing;
      made->lostFlag = kept.lostFlag;
    } else if (kept.lostFlag != nullptr) {
      *kept.lostFlag = 1;  // it could not be made again: the owner makes its own
    }
  }
  return 0;
}

int SetupFontSystem() {
  DeleteEveryFont();
  detail::ResetFontTableCounter();
  detail::DefaultWish() = detail::DefaultFontWish{};
  detail::DefaultFontHandle() = -1;
  ResetAllFonts();
  return 0;
}

int TerminateFont() {
  ResetAllFonts();
  DeleteFontHandle(detail::DefaultFontHandle());
  return 0;
}

}  // namespace veziv
