// Fonts on FreeType: the face sized so that its cell (OS/2 win ascent plus
// descent) has the asked height, the text metrics with the same meaning,
// synthetic bold and slant, glyph lookup with borrowing from other faces, and
// the bitmaps in the cache's two layouts.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/glyphs/face_lookup.h"
#include "platform/glyphs/glyphs.h"
#include "platform/os/charset.h"

namespace platform::glyphs {
namespace {

constexpr int kMaxCellHeight = 2048;
constexpr double kDefaultEm = 12.0;

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  return library;
}

struct FaceCloser {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FaceOwner = std::unique_ptr<FT_FaceRec_, FaceCloser>;

FaceOwner OpenFace(const detail::FaceFile& file, FT_F26Dot6 em) {
  FT_Face face = nullptr;
  if (Library() == nullptr || FT_New_Face(Library(), file.path.c_str(), file.index, &face) != 0) return nullptr;
  FaceOwner owner(face);
  if (!FT_IS_SCALABLE(face)) return nullptr;
  FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_NOMINAL, 0, em, 0, 0};
  if (FT_Request_Size(face, &request) != 0) return nullptr;
  return owner;
}

// The CP932 code's character, or false for a code that names none.
bool CodePoint(uint32_t code, char32_t* out) {
  char bytes[2];
  size_t count = 0;
  if (code == 0 || code > 0xFFFF) return false;
  if (code > 0xFF) {
    if ((code & 0xFF) == 0) return false;
    bytes[count++] = static_cast<char>(code >> 8);
  }
  bytes[count++] = static_cast<char>(code & 0xFF);
  const std::optional<std::string> utf8 = os::TryCp932ToUtf8(std::string_view(bytes, count));
  if (!utf8 || utf8->empty()) return false;
  const auto* s = reinterpret_cast<const unsigned char*>(utf8->data());
  const size_t n = utf8->size();
  if (s[0] < 0x80 && n == 1) {
    *out = s[0];
  } else if ((s[0] & 0xE0) == 0xC0 && n == 2) {
    *out = char32_t(s[0] & 0x1F) << 6 | (s[1] & 0x3F);
  } else if ((s[0] & 0xF0) == 0xE0 && n == 3) {
    *out = char32_t(s[0] & 0x0F) << 12 | char32_t(s[1] & 0x3F) << 6 | (s[2] & 0x3F);
  } else {
    return false;  // one CP932 character is one code point of the basic plane
  }
  return true;
}

// The one-bit rendering of an outline, in a box of width x height whose
// top-left pixel is (left, top) from the pen; one byte a pixel, top-down, 1
// for a set pixel; empty when the outline cannot be rasterised. The outline
// is moved to the box's corner.
std::vector<uint8_t> OneBitPixels(FT_Outline& outline, int left, int top, int width, int height) {
  std::vector<uint8_t> out;
  if (outline.n_points <= 0) return out;
  FT_Outline_Translate(&outline, -static_cast<FT_Pos>(left) * 64, static_cast<FT_Pos>(height - top) * 64);
  const int pitch = (width + 7) / 8;
  std::vector<unsigned char> bits(static_cast<size_t>(pitch) * static_cast<size_t>(height), 0);
  FT_Bitmap bitmap{};
  bitmap.rows = static_cast<unsigned>(height);
  bitmap.width = static_cast<unsigned>(width);
  bitmap.pitch = pitch;
  bitmap.buffer = bits.data();
  bitmap.num_grays = 2;
  bitmap.pixel_mode = FT_PIXEL_MODE_MONO;
  if (FT_Outline_Get_Bitmap(Library(), &outline, &bitmap) != 0) return out;
  out.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out[static_cast<size_t>(y * width + x)] = bits[static_cast<size_t>(y * pitch + x / 8)] >> (7 - x % 8) & 1;
  return out;
}

}  // namespace

struct Font {
  FaceOwner face;
  detail::FaceFile file;
  FT_F26Dot6 em = 0;
  FontMetrics metrics;
  int bold_pixels = 0;  // 0: no synthetic bold
  bool slant = false;

  struct Borrowed {
    detail::FallbackFace face;
    FaceOwner opened;
    bool tried = false;
  };
  bool fallbacks_listed = false;
  std::vector<Borrowed> fallbacks;

  // The glyph rendered last: the cache asks for a glyph's size and then for
  // its bits, and the second ask is served from here.
  bool last_valid = false;
  uint32_t last_code = 0;
  GlyphFormat last_format = GlyphFormat::kMono;
  GlyphBox last_box;
  std::vector<uint8_t> last_bits;

  // The face that has the character and its glyph index; the own face's
  // default glyph when none has it.
  std::pair<FT_Face, FT_UInt> Find(char32_t code);
  void Render(uint32_t code, GlyphFormat format);
};

std::pair<FT_Face, FT_UInt> Font::Find(char32_t code) {
  if (const FT_UInt index = FT_Get_Char_Index(face.get(), code); index != 0) return {face.get(), index};
  if (!fallbacks_listed) {
    fallbacks_listed = true;
    for (detail::FallbackFace& f : detail::FallbackFaces(file)) fallbacks.push_back(Borrowed{std::move(f), nullptr});
  }
  for (Borrowed& b : fallbacks) {
    if (!b.face.Has(code)) continue;
    if (!b.tried) {
      b.tried = true;
      b.opened = OpenFace(b.face.file, em);
    }
    if (!b.opened) continue;
    if (const FT_UInt index = FT_Get_Char_Index(b.opened.get(), code); index != 0) return {b.opened.get(), index};
  }
  return {face.get(), 0};
}

void Font::Render(uint32_t code, GlyphFormat format) {
  last_valid = true;
  last_code = code;
  last_format = format;
  last_box = GlyphBox{};
  last_bits.clear();

  char32_t character = 0;
  auto [where, index] = CodePoint(code, &character) ? Find(character) : std::pair<FT_Face, FT_UInt>{face.get(), 0};
  const bool mono = format == GlyphFormat::kMono;
  const FT_Int32 flags = FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
  if (FT_Load_Glyph(where, index, flags) != 0) return;
  FT_GlyphSlot slot = where->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    // Emboldened sideways only, by whole pixels, and the advance grows by as
    // much, as a bold face made from a regular one does.
    if (bold_pixels > 0) FT_Outline_EmboldenXY(&slot->outline, bold_pixels * 64, 0);
    if (slant) FT_GlyphSlot_Oblique(slot);
  }
  last_box.advance = static_cast<int>((slot->advance.x + 32) >> 6) + bold_pixels;
  // A smoothed glyph is also rasterised one bit a pixel from the same hinted
  // outline (kept here: rendering replaces it with the bitmap). The IPA
  // faces' hints thin some strokes to less than half a pixel, trusting the
  // one-bit rasteriser to keep a pixel of them in every column; smoothed, the
  // middle of Mincho's long-vowel mark keeps almost no ink and shows as two
  // dashes with a gap. A pixel the one-bit glyph sets but the smoothed one
  // covers less than half is drawn whole.
  FT_Outline hinted{};
  const bool kept = !mono && slot->format == FT_GLYPH_FORMAT_OUTLINE &&
                    FT_Outline_New(Library(), static_cast<FT_UInt>(std::max<int>(slot->outline.n_points, 0)),
                                   slot->outline.n_contours, &hinted) == 0;
  if (kept) FT_Outline_Copy(&slot->outline, &hinted);
  const bool rendered = FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0;
  const FT_Bitmap& bitmap = slot->bitmap;
  const int width = rendered ? static_cast<int>(bitmap.width) : 0;
  const int height = rendered ? static_cast<int>(bitmap.rows) : 0;
  std::vector<uint8_t> solid;
  if (kept) {
    if (width > 0 && height > 0) solid = OneBitPixels(hinted, slot->bitmap_left, slot->bitmap_top, width, height);
    FT_Outline_Done(Library(), &hinted);
  }
  if (width <= 0 || height <= 0) return;
  const int pitch = GlyphRowPitch(format, width);
  last_bits.assign(static_cast<size_t>(pitch) * static_cast<size_t>(height), 0);
  bool any = false;
  for (int y = 0; y < height; ++y) {
    const unsigned char* in = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
    uint8_t* out = last_bits.data() + static_cast<size_t>(y) * static_cast<size_t>(pitch);
    if (mono) {
      std::memcpy(out, in, static_cast<size_t>((width + 7) / 8));
      // Bits past the box stay clear, whatever the renderer left there.
      if (width % 8 != 0) out[width / 8] &= static_cast<uint8_t>(0xFF00 >> (width % 8));
      for (int i = 0; i < (width + 7) / 8; ++i) any = any || out[i] != 0;
    } else {
      const uint8_t* set = solid.empty() ? nullptr : solid.data() + static_cast<ptrdiff_t>(y) * width;
      for (int x = 0; x < width; ++x) {
        out[x] = static_cast<uint8_t>((in[x] * 16 + 127) / 255);
        if (set != nullptr && set[x] != 0 && out[x] < 8) out[x] = 16;
        any = any || out[x] != 0;
      }
    }
  }
  if (!any) {
    last_bits.clear();
    return;
  }
  last_box.width = width;
  last_box.height = height;
  last_box.origin_x = slot->bitmap_left;
  last_box.origin_y = slot->bitmap_top;
}

Font* OpenFont(std::string_view face_cp932, int height, int weight, bool italic) {
  if (height > kMaxCellHeight || height < -kMaxCellHeight) return nullptr;
  const std::string name = os::Cp932ToUtf8(face_cp932);
  const char* table = detail::TableFamily(name);
  const std::optional<detail::FaceFile> file = detail::FindFaceFile(table != nullptr ? table : name);
  if (!file) return nullptr;

  // Sized once to read the tables; the em is set from them below.
  FaceOwner probe = OpenFace(*file, 64 * 64);
  if (!probe) return nullptr;
  FT_Face face = probe.get();
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  double ascent = face->ascender, descent = -face->descender;
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascent = os2->usWinAscent;
    descent = os2->usWinDescent;
  }
  const double widest = hhea != nullptr ? hhea->advance_Width_Max : face->max_advance_width;
  if (ascent + descent <= 0 || face->units_per_EM == 0) return nullptr;
  const double em_pixels = height > 0 ? height * face->units_per_EM / (ascent + descent)
                           : height < 0 ? -height
                                        : kDefaultEm;
  const double scale = em_pixels / face->units_per_EM;

  auto font = std::make_unique<Font>();
  font->file = *file;
  font->em = std::max<FT_F26Dot6>(64, std::lround(em_pixels * 64));
  font->face = OpenFace(*file, font->em);
  if (!font->face) return nullptr;
  font->metrics.ascent = static_cast<int>(std::lround(ascent * scale));
  font->metrics.height = font->metrics.ascent + static_cast<int>(std::lround(descent * scale));
  font->metrics.max_char_width = static_cast<int>(std::lround(widest * scale));
  const int face_weight = os2 != nullptr && os2->version != 0xFFFF ? os2->usWeightClass
                          : (face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ? 700
                                                                          : 400;
  if (weight >= face_weight + 200) {
    font->bold_pixels = std::max(1, static_cast<int>(std::lround(em_pixels / 24)));
    font->metrics.max_char_width += font->bold_pixels;
  }
  font->slant = italic && (face->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
  return font.release();
}

void CloseFont(Font* font) { delete font; }

FontMetrics GetFontMetrics(const Font& font) { return font.metrics; }

std::string FontFamily(const Font& font) { return font.file.family; }

int GlyphRowPitch(GlyphFormat format, int width) {
  const int bytes = format == GlyphFormat::kMono ? (width + 7) / 8 : width;
  return (bytes + 3) / 4 * 4;
}

int RenderGlyph(Font& font, uint32_t code, GlyphFormat format, GlyphBox* box, uint8_t* buffer, size_t size) {
  if (!(font.last_valid && font.last_code == code && font.last_format == format)) font.Render(code, format);
  if (box != nullptr) *box = font.last_box;
  const size_t bytes = font.last_bits.size();
  if (buffer != nullptr && bytes > 0) {
    if (size < bytes) return -1;
    std::memcpy(buffer, font.last_bits.data(), bytes);
  }
  return static_cast<int>(bytes);
}

}  // namespace platform::glyphs
