// The canvas's drawing and its encoders (libpng, libjpeg, FreeType).
#include "tools/demodata/canvas.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace demodata {

uint32_t Random::next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

uint32_t hashText(const std::string& text) {
  uint32_t h = 2166136261u;
  for (unsigned char c : text) h = (h ^ c) * 16777619u;
  return h;
}

Canvas::Canvas(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Canvas::set(int x, int y, Rgba c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  pixels_[static_cast<size_t>(y) * width_ + x] = c;
}

void Canvas::blend(int x, int y, Rgba c, double coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  Rgba& d = pixels_[static_cast<size_t>(y) * width_ + x];
  const double sa = c.a / 255.0 * std::clamp(coverage, 0.0, 1.0);
  const double da = d.a / 255.0;
  const double oa = sa + da * (1 - sa);
  if (oa <= 0) {
    d = {0, 0, 0, 0};
    return;
  }
  auto mix = [&](uint8_t s, uint8_t t) {
    return static_cast<uint8_t>(std::lround((s * sa + t * da * (1 - sa)) / oa));
  };
  d = {mix(c.r, d.r), mix(c.g, d.g), mix(c.b, d.b), static_cast<uint8_t>(std::lround(oa * 255))};
}

void Canvas::fill(Rgba c) { std::fill(pixels_.begin(), pixels_.end(), c); }

void Canvas::verticalGradient(Rgba top, Rgba bottom) {
  for (int y = 0; y < height_; ++y) {
    const double t = height_ > 1 ? double(y) / (height_ - 1) : 0;
    auto lerp = [t](uint8_t a, uint8_t b) { return static_cast<uint8_t>(std::lround(a + (b - a) * t)); };
    const Rgba c{lerp(top.r, bottom.r), lerp(top.g, bottom.g), lerp(top.b, bottom.b), lerp(top.a, bottom.a)};
    for (int x = 0; x < width_; ++x) set(x, y, c);
  }
}

void Canvas::fillRect(int x, int y, int w, int h, Rgba c) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) blend(i, j, c);
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, Rgba c) {
  const int x0 = static_cast<int>(std::floor(cx - rx - 1)), x1 = static_cast<int>(std::ceil(cx + rx + 1));
  const int y0 = static_cast<int>(std::floor(cy - ry - 1)), y1 = static_cast<int>(std::ceil(cy + ry + 1));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      // Distance to the edge in pixels, roughly, for a one-pixel soft edge.
      const double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
      const double d = std::sqrt(dx * dx + dy * dy);
      const double edge = (1 - d) * std::min(rx, ry);
      if (edge > -0.5) blend(x, y, c, edge + 0.5);
    }
  }
}

namespace {

double smooth(double t) { return t * t * (3 - 2 * t); }

}  // namespace

double valueNoise(uint32_t seed, double x, double y, int period) {
  const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  auto lattice = [seed, period](int i, int j) {
    if (period > 0) {
      i = ((i % period) + period) % period;
      j = ((j % period) + period) % period;
    }
    uint32_t h = seed ^ (static_cast<uint32_t>(i) * 374761393u) ^ (static_cast<uint32_t>(j) * 668265263u);
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
  };
  const double fx = smooth(x - xi), fy = smooth(y - yi);
  const double a = lattice(xi, yi), b = lattice(xi + 1, yi), c = lattice(xi, yi + 1), d = lattice(xi + 1, yi + 1);
  return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

double fractalNoise(uint32_t seed, double x, double y, int octaves) {
  double n = 0, amp = 0.5;
  for (int o = 0; o < octaves; ++o, amp *= 0.5, x *= 2, y *= 2) n += amp * valueNoise(seed + o, x, y);
  return n;
}

void Canvas::draw(const Canvas& src, int x, int y, double opacity) {
  for (int j = 0; j < src.height(); ++j)
    for (int i = 0; i < src.width(); ++i) {
      const Rgba p = src.at(i, j);
      if (p.a) blend(x + i, y + j, {p.r, p.g, p.b, 255}, p.a / 255.0 * opacity);
    }
}

void Canvas::clouds(uint32_t seed, double scale, double density, Rgba c) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const double n = fractalNoise(seed, x / scale, y / scale, 4);
      const double cover = std::clamp((n - (1 - density)) / 0.25, 0.0, 1.0);
      if (cover > 0) blend(x, y, c, cover);
    }
  }
}

void Canvas::frame(int t, Rgba c) {
  fillRect(0, 0, width_, t, c);
  fillRect(0, height_ - t, width_, t, c);
  fillRect(0, t, t, height_ - 2 * t, c);
  fillRect(width_ - t, t, t, height_ - 2 * t, c);
}

void Canvas::avoidPureBlack() {
  for (Rgba& p : pixels_) {
    if (p.r == 0 && p.g == 0 && p.b == 0) p = {1, 1, 1, p.a};
  }
}

namespace {

const char* kGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const char* kMincho = "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf";

std::u32string decodeUtf8(const std::string& s) {
  std::u32string out;
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = s[i];
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    out.push_back(cp);
    i += n;
  }
  return out;
}

// One FreeType library and face per thread and face kind: the generators
// run side by side, and opening a face for every label is slow.
struct Face {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  explicit Face(bool mincho) {
    if (FT_Init_FreeType(&library) != 0) return;
    if (FT_New_Face(library, mincho ? kMincho : kGothic, 0, &face) != 0) face = nullptr;
  }
  ~Face() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
  static Face& of(bool mincho) {
    thread_local Face gothic(false), minchoFace(true);
    return mincho ? minchoFace : gothic;
  }
};

// Calls draw(bitmap, left, top) for each glyph; returns the advance width.
template <typename Draw>
int layout(const std::string& utf8, int px, bool mincho, Draw draw) {
  Face& f = Face::of(mincho);
  if (!f.face) return -1;
  FT_Set_Pixel_Sizes(f.face, 0, px);
  const int ascender = static_cast<int>(f.face->size->metrics.ascender >> 6);
  int pen = 0;
  for (char32_t cp : decodeUtf8(utf8)) {
    if (FT_Load_Char(f.face, cp, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = f.face->glyph;
    draw(g->bitmap, pen + g->bitmap_left, ascender - g->bitmap_top);
    pen += static_cast<int>(g->advance.x >> 6);
  }
  return pen;
}

}  // namespace

int Canvas::textWidth(const std::string& utf8, int px, bool mincho) {
  return layout(utf8, px, mincho, [](const FT_Bitmap&, int, int) {});
}

bool Canvas::text(int x, int y, const std::string& utf8, int px, Rgba colour, Rgba edge, bool mincho) {
  auto paint = [&](int dx, int dy, Rgba c) {
    return layout(utf8, px, mincho, [&](const FT_Bitmap& b, int left, int top) {
      for (unsigned r = 0; r < b.rows; ++r)
        for (unsigned col = 0; col < b.width; ++col) {
          const uint8_t v = b.buffer[r * b.pitch + col];
          if (v) blend(x + left + int(col) + dx, y + top + int(r) + dy, c, v / 255.0);
        }
    });
  };
  if (edge.a != 0) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (dx || dy) paint(dx, dy, edge);
  }
  return paint(0, 0, colour) >= 0;
}

namespace {

// The coverage of a text, 0..1 a pixel, in a mask with room for an outline
// and a shadow around it.
struct TextMask {
  int width = 0, height = 0, margin = 0;
  int advance = 0;
  std::vector<float> cover;
  float at(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? 0.0f : cover[static_cast<size_t>(y) * width + x];
  }
};

TextMask textMask(const std::string& utf8, const TextStyle& style, int margin) {
  TextMask m;
  m.margin = margin;
  m.advance = layout(utf8, style.px, style.mincho, [](const FT_Bitmap&, int, int) {});
  if (m.advance < 0) return m;
  const int extra = style.bold ? 1 : 0;
  m.width = m.advance + 2 * margin + style.px / 2 + extra;
  m.height = style.px + style.px / 2 + 2 * margin;
  m.cover.assign(static_cast<size_t>(m.width) * m.height, 0.0f);
  layout(utf8, style.px, style.mincho, [&](const FT_Bitmap& b, int left, int top) {
    for (unsigned r = 0; r < b.rows; ++r)
      for (unsigned col = 0; col < b.width; ++col) {
        const float v = b.buffer[r * b.pitch + col] / 255.0f;
        for (int k = 0; k <= extra; ++k) {
          const int x = margin + left + static_cast<int>(col) + k, y = margin + top + static_cast<int>(r);
          if (x >= 0 && y >= 0 && x < m.width && y < m.height) {
            float& d = m.cover[static_cast<size_t>(y) * m.width + x];
            d = std::max(d, v);
          }
        }
      }
  });
  return m;
}

// The mask grown by `radius` pixels (a disc), with a soft rim.
TextMask dilate(const TextMask& m, double radius) {
  TextMask out = m;
  const int r = static_cast<int>(std::ceil(radius));
  for (int y = 0; y < m.height; ++y)
    for (int x = 0; x < m.width; ++x) {
      float best = 0;
      for (int dy = -r; dy <= r && best < 1; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
          const double d = std::hypot(dx, dy);
          if (d > radius + 0.5) continue;
          const float w = static_cast<float>(std::clamp(radius + 0.5 - d, 0.0, 1.0));
          best = std::max(best, m.at(x + dx, y + dy) * w);
        }
      out.cover[static_cast<size_t>(y) * m.width + x] = best;
    }
  return out;
}

}  // namespace

int Canvas::measure(const std::string& utf8, const TextStyle& style) {
  return std::max(0, layout(utf8, style.px, style.mincho, [](const FT_Bitmap&, int, int) {})) + (style.bold ? 1 : 0);
}

int Canvas::write(double x, double y, const std::string& utf8, const TextStyle& style) {
  const int margin = static_cast<int>(std::ceil(style.edgeWidth)) + 3;
  const TextMask mask = textMask(utf8, style, margin);
  if (mask.advance < 0) return 0;
  const int ox = static_cast<int>(std::lround(x)) - margin, oy = static_cast<int>(std::lround(y)) - margin;
  auto paint = [&](const TextMask& m, int dx, int dy, Rgba c) {
    for (int j = 0; j < m.height; ++j)
      for (int i = 0; i < m.width; ++i) {
        const float v = m.cover[static_cast<size_t>(j) * m.width + i];
        if (v > 0) blend(ox + i + dx, oy + j + dy, c, v);
      }
  };
  const bool edged = style.edge.a != 0 && style.edgeWidth > 0;
  const TextMask outer = edged ? dilate(mask, style.edgeWidth) : mask;
  if (style.shadow.a != 0) paint(outer, style.shadowDx, style.shadowDy, style.shadow);
  if (edged) paint(outer, 0, 0, style.edge);
  paint(mask, 0, 0, style.colour);
  return mask.advance + (style.bold ? 1 : 0);
}

void Canvas::writeInBox(double x, double y, double w, double h, const std::string& utf8, TextStyle style) {
  const double room = w - 2 * std::ceil(style.edgeWidth);
  while (style.px > 8 && measure(utf8, style) > room) --style.px;
  const int tw = measure(utf8, style);
  // The glyphs of the IPA faces fill about 0.88 of the pixel size below
  // the top the layout gives: centre that band.
  write(x + (w - tw) / 2, y + (h - style.px * 0.92) / 2 - style.px * 0.06, utf8, style);
}

std::vector<uint8_t> Canvas::png(bool alpha) const {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("PNG encoding failed");
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t size) {
        auto* o = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        o->insert(o->end(), data, data + size);
      },
      nullptr);
  png_set_IHDR(png, info, width_, height_, 8, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 6);
  png_write_info(png, info);
  const int channels = alpha ? 4 : 3;
  std::vector<uint8_t> row(static_cast<size_t>(width_) * channels);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const Rgba p = at(x, y);
      uint8_t* d = &row[static_cast<size_t>(x) * channels];
      d[0] = p.r;
      d[1] = p.g;
      d[2] = p.b;
      if (alpha) d[3] = p.a;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<uint8_t> Canvas::jpeg(int quality) const {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &buffer, &size);
  c.image_width = static_cast<JDIMENSION>(width_);
  c.image_height = static_cast<JDIMENSION>(height_);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width_) * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < width_; ++x) {
      const Rgba p = at(x, static_cast<int>(c.next_scanline));
      row[x * 3] = p.r;
      row[x * 3 + 1] = p.g;
      row[x * 3 + 2] = p.b;
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

std::vector<uint8_t> Canvas::bmp() const {
  const uint32_t stride = (static_cast<uint32_t>(width_) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = stride * static_cast<uint32_t>(height_);
  std::vector<uint8_t> out;
  auto u16 = [&](uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
  };
  auto u32 = [&](uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  out.push_back('B');
  out.push_back('M');
  u32(54 + pixelBytes);
  u32(0);
  u32(54);
  u32(40);
  u32(static_cast<uint32_t>(width_));
  u32(static_cast<uint32_t>(height_));  // bottom-up rows
  u16(1);
  u16(24);
  for (uint32_t v : {0u, pixelBytes, 2835u, 2835u, 0u, 0u}) u32(v);
  for (int y = height_ - 1; y >= 0; --y) {
    for (int x = 0; x < width_; ++x) {
      const Rgba p = at(x, y);
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    for (uint32_t k = static_cast<uint32_t>(width_) * 3; k < stride; ++k) out.push_back(0);
  }
  return out;
}

namespace {

struct PngSource {
  const std::vector<uint8_t>* bytes;
  size_t at;
};

std::optional<Canvas> decodePng(const std::vector<uint8_t>& bytes) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, [](png_structp, const char*) {});
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  PngSource source{&bytes, 8};
  // Everything that outlives an error jump is made before it.
  std::vector<uint8_t> rows;
  std::vector<png_bytep> pointers;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return std::nullopt;
  }
  png_set_read_fn(png, &source, [](png_structp p, png_bytep data, png_size_t size) {
    auto* s = static_cast<PngSource*>(png_get_io_ptr(p));
    if (s->at + size > s->bytes->size()) png_error(p, "cut");
    std::memcpy(data, s->bytes->data() + s->at, size);
    s->at += size;
  });
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(png, info);
  const int w = static_cast<int>(png_get_image_width(png, info)), h = static_cast<int>(png_get_image_height(png, info));
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384) png_error(png, "size");
  rows.resize(static_cast<size_t>(w) * h * 4);
  pointers.resize(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) pointers[y] = rows.data() + static_cast<size_t>(y) * w * 4;
  png_read_image(png, pointers.data());
  png_destroy_read_struct(&png, &info, nullptr);
  Canvas c(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &rows[(static_cast<size_t>(y) * w + x) * 4];
      c.set(x, y, {p[0], p[1], p[2], p[3]});
    }
  return c;
}

struct JpegError {
  jpeg_error_mgr manager;
  jmp_buf jump;
};

std::optional<Canvas> decodeJpeg(const std::vector<uint8_t>& bytes) {
  jpeg_decompress_struct d{};
  JpegError error{};
  d.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = [](j_common_ptr info) { longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); };
  error.manager.output_message = [](j_common_ptr) {};
  // Everything that outlives an error jump is made before it.
  std::vector<uint8_t> pixels;
  int w = 0, h = 0;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&d);
    return std::nullopt;
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&d, TRUE);
  d.out_color_space = JCS_RGB;
  jpeg_start_decompress(&d);
  w = static_cast<int>(d.output_width);
  h = static_cast<int>(d.output_height);
  pixels.resize(static_cast<size_t>(w) * h * 3);
  while (d.output_scanline < d.output_height) {
    JSAMPROW r = pixels.data() + static_cast<size_t>(d.output_scanline) * w * 3;
    jpeg_read_scanlines(&d, &r, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  Canvas c(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &pixels[(static_cast<size_t>(y) * w + x) * 3];
      c.set(x, y, {p[0], p[1], p[2], 255});
    }
  return c;
}

std::optional<Canvas> decodeBmp(const std::vector<uint8_t>& b) {
  auto le = [&](size_t at, int n) {
    uint32_t v = 0;
    for (int k = n - 1; k >= 0; --k) v = v << 8 | b[at + k];
    return v;
  };
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || le(28, 2) != 24 || le(30, 4) != 0) return std::nullopt;
  const int w = static_cast<int>(le(18, 4));
  const int rawH = static_cast<int>(le(22, 4));
  const int h = rawH < 0 ? -rawH : rawH;
  const size_t offset = le(10, 4);
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  if (w <= 0 || h <= 0 || w > 16384 || h > 16384 || offset + stride * h > b.size()) return std::nullopt;
  Canvas c(w, h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = b.data() + offset + stride * (rawH < 0 ? y : h - 1 - y);
    for (int x = 0; x < w; ++x) c.set(x, y, {row[x * 3 + 2], row[x * 3 + 1], row[x * 3], 255});
  }
  return c;
}

}  // namespace

std::optional<Canvas> Canvas::decode(const std::vector<uint8_t>& bytes) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (bytes.size() >= 8 && std::equal(kPng, kPng + 8, bytes.begin())) return decodePng(bytes);
  if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8) return decodeJpeg(bytes);
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return decodeBmp(bytes);
  return std::nullopt;
}

}  // namespace demodata
