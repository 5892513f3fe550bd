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

// The pixels a one-bit rendering of an outline sets, found by scanning it
// along the centre line of every column and every row of the box the smoothed
// glyph fills: a pixel whose centre lies inside the outline (non-zero or
// even-odd, as the outline says), and, for each stretch of a scan line inside
// the outline that holds no pixel centre (a stroke thinner than a pixel
// across that line), the pixel holding the stretch's middle. The outline is
// taken as straight segments (curves cut into pieces that stray less than
// 1/32 pixel), kept between a glyph's loading and its smoothing, which
// replaces the outline with the bitmap.
class OneBitScan {
 public:
  // Takes the segments of the outline (26.6 coordinates, y up).
  void Take(const FT_Outline& outline) {
    segments_.clear();
    even_odd_ = (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) != 0;
    static const FT_Outline_Funcs kFuncs = {&MoveTo, &LineTo, &ConicTo, &CubicTo, 0, 0};
    pen_valid_ = false;
    FT_Outline_Decompose(const_cast<FT_Outline*>(&outline), &kFuncs, this);
    Close();
  }

  // One byte a pixel, top-down, 1 for a set pixel, for the box of width x
  // height whose top-left pixel is (left, top) from the pen.
  void Pixels(int left, int top, int width, int height, std::vector<uint8_t>* set) {
    set->assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    // The segments in the box's pixels: x to the right, y down.
    placed_.resize(segments_.size());
    for (size_t i = 0; i < segments_.size(); ++i) {
      const Segment& g = segments_[i];
      placed_[i] = {{g.a.x - left, top - g.a.y}, {g.b.x - left, top - g.b.y}};
    }
    // Columns: x is across, the scan runs down the rows; then the rows, with
    // x and y exchanged.
    Sweep<false>(width, height, [&](int column, int row) { (*set)[static_cast<size_t>(row) * static_cast<size_t>(width) + column] = 1; });
    Sweep<true>(height, width, [&](int row, int column) { (*set)[static_cast<size_t>(row) * static_cast<size_t>(width) + column] = 1; });
  }

 private:
  struct Point {
    double x, y;
  };
  struct Segment {
    Point a, b;
  };
  struct Crossing {
    double at;
    int dir;
  };

  // Whole pixels below and above a coordinate of the box's scale (a few
  // thousand pixels at most), without a call to the library's floor.
  static int Floor(double v) {
    const int i = static_cast<int>(v);
    return i - (v < i ? 1 : 0);
  }
  static int Ceil(double v) {
    const int i = static_cast<int>(v);
    return i + (v > i ? 1 : 0);
  }
  static Point Of(const FT_Vector* v) { return {v->x / 64.0, v->y / 64.0}; }
  void Line(Point to) {
    if (to.x != pen_.x || to.y != pen_.y) segments_.push_back({pen_, to});
    pen_ = to;
  }
  void Close() {
    if (pen_valid_) Line(start_);
  }
  static int MoveTo(const FT_Vector* to, void* user) {
    auto* scan = static_cast<OneBitScan*>(user);
    scan->Close();
    scan->pen_ = scan->start_ = Of(to);
    scan->pen_valid_ = true;
    return 0;
  }
  static int LineTo(const FT_Vector* to, void* user) {
    static_cast<OneBitScan*>(user)->Line(Of(to));
    return 0;
  }
  // Pieces for a curve whose control points stray `bend` pixels from its
  // chord: a piece's error falls with the square of their number.
  static int Pieces(double bend) { return std::clamp(Ceil(std::sqrt(bend * 4.0)), 1, 64); }
  static int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* scan = static_cast<OneBitScan*>(user);
    const Point p0 = scan->pen_, p1 = Of(control), p2 = Of(to);
    const int n = Pieces(std::abs(p0.x - 2 * p1.x + p2.x) + std::abs(p0.y - 2 * p1.y + p2.y));
    for (int i = 1; i <= n; ++i) {
      const double t = static_cast<double>(i) / n, u = 1 - t;
      scan->Line({u * u * p0.x + 2 * t * u * p1.x + t * t * p2.x, u * u * p0.y + 2 * t * u * p1.y + t * t * p2.y});
    }
    return 0;
  }
  static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* scan = static_cast<OneBitScan*>(user);
    const Point p0 = scan->pen_, p1 = Of(c1), p2 = Of(c2), p3 = Of(to);
    const double bend = std::max(std::abs(p0.x - 2 * p1.x + p2.x) + std::abs(p0.y - 2 * p1.y + p2.y),
                                 std::abs(p1.x - 2 * p2.x + p3.x) + std::abs(p1.y - 2 * p2.y + p3.y));
    const int n = Pieces(1.5 * bend);
    for (int i = 1; i <= n; ++i) {
      const double t = static_cast<double>(i) / n, u = 1 - t;
      const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
      scan->Line({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
    return 0;
  }

  // Scans lines 0..lines-1 (centre at line + 0.5 across), each `length`
  // pixels long: columns with x across and y along, or rows (Rows) with the
  // two exchanged. set(line, pixel) marks a pixel.
  template <bool Rows, class Set>
  void Sweep(int lines, int length, Set set) {
    auto across = [](const Point& p) { return Rows ? p.y : p.x; };
    auto along = [](const Point& p) { return Rows ? p.x : p.y; };
    // The lines whose centre c + 0.5 lies from the lower end (included) to
    // the higher (left out), so that a line through a vertex counts it once.
    auto range = [lines](double x0, double x1, int* first, int* last) {
      const double lo = std::min(x0, x1), hi = std::max(x0, x1);
      *first = std::max(0, Ceil(lo - 0.5));
      *last = std::min(lines - 1, Ceil(hi - 0.5) - 1);
    };
    // Counted first, then filled line by line into one array.
    starts_.assign(static_cast<size_t>(lines) + 1, 0);
    for (const Segment& g : placed_) {
      int first, last;
      range(across(g.a), across(g.b), &first, &last);
      for (int c = first; c <= last; ++c) ++starts_[static_cast<size_t>(c) + 1];
    }
    for (int c = 0; c < lines; ++c) starts_[static_cast<size_t>(c) + 1] += starts_[static_cast<size_t>(c)];
    crossings_.resize(static_cast<size_t>(starts_[static_cast<size_t>(lines)]));
    fill_.assign(starts_.begin(), starts_.end() - 1);
    for (const Segment& g : placed_) {
      const double ax = across(g.a), bx = across(g.b), ay = along(g.a), by = along(g.b);
      int first, last;
      range(ax, bx, &first, &last);
      if (first > last) continue;
      const double slope = (by - ay) / (bx - ax);
      const int dir = bx > ax ? 1 : -1;
      for (int c = first; c <= last; ++c) {
        crossings_[static_cast<size_t>(fill_[static_cast<size_t>(c)]++)] = {ay + (c + 0.5 - ax) * slope, dir};
      }
    }
    for (int c = 0; c < lines; ++c) {
      Crossing* begin = crossings_.data() + starts_[static_cast<size_t>(c)];
      Crossing* end = crossings_.data() + starts_[static_cast<size_t>(c) + 1];
      // Few crossings a line: insertion sort.
      for (Crossing* k = begin + 1; k < end; ++k) {
        const Crossing v = *k;
        Crossing* m = k;
        for (; m > begin && (m - 1)->at > v.at; --m) *m = *(m - 1);
        *m = v;
      }
      int winding = 0;
      double from = 0;
      for (const Crossing* k = begin; k < end; ++k) {
        const bool inside = even_odd_ ? (winding & 1) != 0 : winding != 0;
        winding += k->dir;
        const bool now = even_odd_ ? (winding & 1) != 0 : winding != 0;
        if (!inside && now) from = k->at;
        if (!inside || now) continue;
        const double to = k->at;
        const int first = Ceil(from - 0.5), last = Floor(to - 0.5);
        if (first <= last) {
          for (int i = std::max(first, 0); i <= std::min(last, length - 1); ++i) set(c, i);
        } else {
          set(c, std::clamp(Floor((from + to) / 2), 0, length - 1));
        }
      }
    }
  }

  std::vector<Segment> segments_;
  std::vector<Segment> placed_;
  std::vector<Crossing> crossings_;
  std::vector<int> starts_, fill_;
  Point pen_{}, start_{};
  bool pen_valid_ = false;
  bool even_odd_ = false;
};

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
  OneBitScan one_bit;            // the one-bit pass of smoothed glyphs
  std::vector<uint8_t> solid;    // its pixels

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
  // A smoothed glyph is also scanned one bit a pixel from the same hinted
  // outline (taken before smoothing replaces it with the bitmap). The IPA
  // faces' hints thin some strokes to less than half a pixel, trusting the
  // one-bit rasteriser to keep a pixel of them in every column; smoothed, the
  // middle of Mincho's long-vowel mark keeps almost no ink and shows as two
  // dashes with a gap. A pixel the one-bit glyph sets but the smoothed one
  // covers less than half is drawn whole.
  const bool scanned = !mono && slot->format == FT_GLYPH_FORMAT_OUTLINE && slot->outline.n_points > 0;
  if (scanned) one_bit.Take(slot->outline);
  const bool rendered = FT_Render_Glyph(slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0;
  const FT_Bitmap& bitmap = slot->bitmap;
  const int width = rendered ? static_cast<int>(bitmap.width) : 0;
  const int height = rendered ? static_cast<int>(bitmap.rows) : 0;
  solid.clear();
  if (scanned && width > 0 && height > 0) one_bit.Pixels(slot->bitmap_left, slot->bitmap_top, width, height, &solid);
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
