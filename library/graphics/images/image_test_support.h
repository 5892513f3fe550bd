// Helpers for the reader and writer tests and the fuzz seed generator: a
// little-endian byte builder, builders of small files in each format, a memory
// stream over a byte vector, and pixel lookups in a loaded image.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/raster_memory.h"

namespace veziv::test {

struct Bytes {
  std::vector<uint8_t> data;
  Bytes& u8(uint32_t v) {
    data.push_back(uint8_t(v));
    return *this;
  }
  Bytes& u16(uint32_t v) { return u8(v).u8(v >> 8); }
  Bytes& u32(uint32_t v) { return u16(v).u16(v >> 16); }
  Bytes& text(const std::string& s) {
    data.insert(data.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& raw(const std::vector<uint8_t>& v) {
    data.insert(data.end(), v.begin(), v.end());
    return *this;
  }
  Bytes& zeros(size_t n) {
    data.insert(data.end(), n, 0);
    return *this;
  }
  size_t size() const { return data.size(); }
};

struct BmpRecipe {
  int32_t width, height;
  int bitCount;
  uint32_t compression;
  std::vector<uint8_t> extra;  // palette or masks, written after the 40-byte header
  std::vector<uint8_t> pixels;
  uint32_t headerSize = 40;
};

inline std::vector<uint8_t> MakeBmp(const BmpRecipe& s) {
  const uint32_t offset = 14 + s.headerSize + uint32_t(s.extra.size());
  Bytes b;
  b.text("BM").u32(offset + uint32_t(s.pixels.size())).u32(0).u32(offset);
  b.u32(s.headerSize).u32(uint32_t(s.width)).u32(uint32_t(s.height)).u16(1).u16(uint32_t(s.bitCount));
  b.u32(s.compression).zeros(20).zeros(s.headerSize > 40 ? s.headerSize - 40 : 0).raw(s.extra).raw(s.pixels);
  return b.data;
}

inline std::vector<uint8_t> Palette(std::initializer_list<uint32_t> rgb, int entries) {
  Bytes b;
  for (uint32_t c : rgb) b.u32(c | 0xAB000000u);  // the fourth byte must come back 0
  b.zeros(size_t(entries - int(rgb.size())) * 4);
  return b.data;
}

inline std::vector<uint8_t> Masks(uint32_t r, uint32_t g, uint32_t b) { return Bytes().u32(r).u32(g).u32(b).data; }

struct TgaRecipe {
  int type;
  int width, height, depth, descriptor;
  std::vector<uint8_t> data;
  std::vector<uint8_t> map = {};  // entries as stored
  int mapFirst = 0, mapLength = 0, mapBits = 0;
  std::string id = "";
  bool footer = false;
  int xOrigin = 0;
};

inline std::vector<uint8_t> MakeTga(const TgaRecipe& s) {
  Bytes b;
  b.u8(uint32_t(s.id.size())).u8(s.mapLength ? 1 : 0).u8(uint32_t(s.type));
  b.u16(uint32_t(s.mapFirst)).u16(uint32_t(s.mapLength)).u8(uint32_t(s.mapBits));
  b.u16(uint32_t(s.xOrigin)).u16(0).u16(uint32_t(s.width)).u16(uint32_t(s.height));
  b.u8(uint32_t(s.depth)).u8(uint32_t(s.descriptor));
  b.text(s.id).raw(s.map).raw(s.data);
  if (s.footer) b.u32(0).u32(0).text("TRUEVISION-XFILE").text(".").u8(0);
  return b.data;
}

inline std::vector<uint8_t> Pixels(std::initializer_list<uint32_t> values, int bytes) {
  Bytes b;
  for (uint32_t v : values)
    for (int i = 0; i < bytes; ++i) b.u8(v >> (8 * i));
  return b.data;
}

struct DdsRecipe {
  uint32_t width, height;
  uint32_t pfFlags;
  std::string fourCc;  // 4 characters, or empty for fourCcNumber
  uint32_t fourCcNumber = 0;
  uint32_t bits = 0, r = 0, g = 0, b = 0, a = 0;
  uint32_t mips = 0;  // > 0 sets the mip flags
  uint32_t pitch = 0;  // > 0 sets the pitch flag
};

inline std::vector<uint8_t> DdsHeader(const DdsRecipe& s) {
  Bytes b;
  uint32_t flags = 0x1007 | (s.mips ? 0x20000 : 0) | (s.pitch ? 0x8 : 0);
  b.text("DDS ").u32(124).u32(flags).u32(s.height).u32(s.width).u32(s.pitch).u32(0).u32(s.mips).zeros(44);
  b.u32(32).u32(s.pfFlags);
  if (s.fourCc.empty())
    b.u32(s.fourCcNumber);
  else
    b.text(s.fourCc);
  b.u32(s.bits).u32(s.r).u32(s.g).u32(s.b).u32(s.a);
  b.u32(0x1000 | (s.mips ? 0x400008 : 0)).zeros(16);
  return b.data;
}

inline std::vector<uint8_t> WithData(std::vector<uint8_t> header, size_t bytes, uint8_t fill = 0x5A) {
  header.insert(header.end(), bytes, fill);
  return header;
}

inline std::vector<uint8_t> Bgra(uint32_t format, uint32_t width, uint32_t height, std::vector<uint8_t> data) {
  return Bytes().text("BGRA").u32(format).u32(width).u32(height).raw(data).data;
}

struct PngRecipe {
  int width, height, colourType, bitDepth;
  std::vector<std::vector<uint8_t>> rows;  // packed as PNG stores them
  std::vector<png_color> palette = {};
  std::vector<uint8_t> paletteAlpha = {};
  int greyKey = -1;
  bool interlaced = false;
};

inline std::vector<uint8_t> EncodePng(const PngRecipe& s) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(s.width), png_uint_32(s.height), s.bitDepth, s.colourType,
               s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), int(s.palette.size()));
  if (!s.paletteAlpha.empty())
    png_set_tRNS(png, info, s.paletteAlpha.data(), int(s.paletteAlpha.size()), nullptr);
  if (s.greyKey >= 0) {
    png_color_16 key{};
    key.gray = png_uint_16(s.greyKey);
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  std::vector<png_bytep> rows;
  for (const auto& r : s.rows) rows.push_back(const_cast<png_bytep>(r.data()));
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

inline std::vector<png_color> Colours(int n) {
  std::vector<png_color> p;
  for (int i = 0; i < n; ++i) p.push_back({uint8_t(10 + i), uint8_t(100 + i), uint8_t(200 + i)});
  return p;
}

// Blocks of 16 x 16 pixels in one flat colour each, so that the encoder's
// loss stays within a couple of steps whatever the sampling.
inline uint8_t Channel(int x, int y, int c) { return uint8_t(40 + 50 * ((x / 16 + 2 * (y / 16) + c) % 4)); }

inline std::vector<uint8_t> EncodeJpeg(int width, int height, int components, J_COLOR_SPACE space, int hSample,
                                int vSample) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(width);
  cinfo.image_height = JDIMENSION(height);
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  cinfo.comp_info[0].h_samp_factor = hSample;
  cinfo.comp_info[0].v_samp_factor = vSample;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row(size_t(width) * components);
  while (cinfo.next_scanline < cinfo.image_height) {
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < components; ++c)
        row[size_t(x) * components + c] = Channel(x, int(cinfo.next_scanline), c);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

// Runs one reader over the bytes through a memory stream; the image is freed
// by the caller (FreeRasterImage is harmless on a refused, zeroed record).
inline int ReadWith(int (*reader)(ImageStream*, RasterImage*), const std::vector<uint8_t>& bytes,
                    RasterImage* image) {
  *image = RasterImage{};
  MemoryStreamState* state = OpenMemoryStream(bytes.data(), int(bytes.size()));
  ImageStream stream{*GetMemoryStreamTable(), reinterpret_cast<StreamValue>(state)};
  int result = reader(&stream, image);
  stream.table.close(stream.stream);
  return result;
}

struct Loaded {
  RasterImage image{};
  ~Loaded() { FreeRasterImage(&image); }
  RasterImage* operator->() { return &image; }
  RasterImage* get() { return &image; }
};

// The stored pixel value at (x, y).
inline uint32_t PixelAt(const RasterImage& im, int x, int y) {
  return detail::LoadPixelValue(static_cast<const uint8_t*>(im.pixels) + y * im.pitch + x * im.format.bytesPerPixel,
                                im.format.bytesPerPixel);
}

// The colour at (x, y) as 0xRRGGBB through the record's description.
inline uint32_t RgbAt(RasterImage& im, int x, int y) {
  int r = 0, g = 0, b = 0;
  if (GetRasterImagePixel(&im, x, y, &r, &g, &b, nullptr) != 0) return 0xDEADBEEF;
  return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

}  // namespace veziv::test
