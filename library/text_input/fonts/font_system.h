// The font system's state shared by its files: the handle table, the
// default-font wish and the road new fonts take. Internal to the fonts.
#pragma once

#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/fonts/glyph_raster.h"

namespace veziv::detail {

// What the default font should be; the setters write it, EnsureDefaultFont reads it.
struct DefaultFontWish {
  char face[kFontFaceBytes] = {};
  int size = 16;
  int thickness = 6;
  int type = 0;
  int charsetIndex = 1;
  int edge = 1;
  int italic = 0;
  int spacing = 0;
};

DefaultFontWish& DefaultWish();
// The default font handle (-1 when none).
int& DefaultFontHandle();

// The live font in a slot, or -1.
FontHandle FontHandleAtSlot(int slot);
inline constexpr int kFontSlots = kFontHandleSlots;

// A fresh table whose check counter starts at 0 (the font system's start;
// every font must have been deleted).
void ResetFontTableCounter();

// 1: new fonts keep their cache in graphs (the hardware road sets it); 0: in
// a memory image, the software road's way.
void SetFontTextureCacheWanted(int flag);
int FontTextureCacheWanted();

// The record's cache layout, and where one of its cells lies in the cache.
FontCacheLayout LayoutOf(const FontHandleData& font);
void CellPositionOf(const FontHandleData& font, int cellIndex, int* x, int* y);

// The colour depth of the cache graphs: the screen's, as the software
// renderer draws only between images of one pixel type.
int TextCacheGraphBits();

// The code page's charset index: 2 for Korean, else 1. Here always 1.
int DefaultCharsetIndex();

// Copies a face name into the record's field, cut to fit without splitting a character.
void CopyFaceName(char (&to)[kFontFaceBytes], const char* face);

}  // namespace veziv::detail
