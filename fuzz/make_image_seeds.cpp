// Writes the seed corpora of the image reader targets from the same small
// fixture builders the reader tests use. Run by hand when a reader learns a new
// case: make_image_seeds fuzz/corpus
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/seed_writer.h"
#include "library/graphics/images/image_test_support.h"

using namespace veziv::test;
using veziv::fuzzing::Seed;

namespace {

std::vector<std::vector<uint8_t>> Rows(int height, size_t bytes) {
  std::vector<std::vector<uint8_t>> rows(size_t(height), std::vector<uint8_t>(bytes, 0));
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t i = 0; i < bytes; ++i) rows[y][i] = uint8_t(y * 31 + i * 7);
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  veziv::fuzzing::SeedRoot() = argv[1];

  Seed("image_bmp", "24_bottom_up.bmp", MakeBmp({2, 2, 24, 0, {}, std::vector<uint8_t>(16, 0x40)}));
  Seed("image_bmp", "8_top_down.bmp", MakeBmp({3, -2, 8, 0, Palette({0x112233, 0x445566}, 256), {1, 0, 1, 0, 0, 1, 0, 0}}));
  Seed("image_bmp", "4.bmp", MakeBmp({3, 1, 4, 0, Palette({0xFF0000, 0xFF00}, 16), {0x10, 0x10, 0, 0}}));
  Seed("image_bmp", "1.bmp", MakeBmp({10, 1, 1, 0, Palette({0, 0xFFFFFF}, 2), {0xA5, 0x40, 0, 0}}));
  Seed("image_bmp", "16_555.bmp", MakeBmp({2, 1, 16, 0, Masks(0, 0, 0), Bytes().u16(0x7FFF).u16(0x0421).data}));
  Seed("image_bmp", "16_fields.bmp", MakeBmp({2, 1, 16, 3, Masks(0xF800, 0x7E0, 0x1F), Bytes().u16(0xF800).u16(0x07E0).data}));
  Seed("image_bmp", "32_fields.bmp", MakeBmp({1, 1, 32, 3, Masks(0x3FF00000, 0xFFC00, 0x3FF), Bytes().u32(0x12345678).data}));
  Seed("image_bmp", "32.bmp", MakeBmp({1, 1, 32, 0, Masks(0, 0, 0), Bytes().u32(0x00112233).data}));
  Seed("image_bmp", "rle8.bmp", MakeBmp({4, 3, 8, 1, Palette({}, 256), {2, 5, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 1, 1, 1, 6, 5, 4, 0, 1}}));
  Seed("image_bmp", "rle4.bmp", MakeBmp({5, -2, 4, 2, Palette({}, 16), {3, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0x67, 0x89, 0xA0, 0, 0, 1}}));

  Seed("image_tga", "24_bottom_up.tga", MakeTga({2, 2, 2, 24, 0x00, Pixels({3, 4, 1, 2}, 3)}));
  Seed("image_tga", "32_right_to_left.tga", MakeTga({2, 2, 2, 32, 0x30, Pixels({1, 2, 3, 4}, 4)}));
  Seed("image_tga", "16.tga", MakeTga({2, 1, 1, 16, 0x20, Pixels({0x7C00}, 2)}));
  Seed("image_tga", "mapped_id.tga", MakeTga({1, 3, 1, 8, 0x20, {0, 1, 2}, Pixels({0x112233, 0x445566}, 3), 1, 2, 24, "abc"}));
  Seed("image_tga", "rle_mapped.tga", MakeTga({9, 4, 1, 8, 0x20, {0x82, 1, 0x00, 0}, Pixels({0xAA, 0xBB}, 4), 0, 2, 32}));
  Seed("image_tga", "rle_footer.tga",
       MakeTga({10, 3, 1, 24, 0x20, Bytes().u8(0x81).raw(Pixels({7}, 3)).u8(0).raw(Pixels({9}, 3)).data, {}, 0, 0, 0, "", true}));

  Seed("image_dds", "argb_mips.dds", WithData(DdsHeader({4, 4, 0x41, "", 0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 3}), 84));
  Seed("image_dds", "format_23.dds", WithData(DdsHeader({2, 1, 4, "", 23}), 4));
  Seed("image_dds", "pitch.dds", WithData(DdsHeader({2, 2, 0x41, "", 0, 32, 0xFF0000, 0xFF00, 0xFF, 0, 0, 12}), 24));
  Seed("image_dds", "dxt1.dds", WithData(DdsHeader({8, 8, 4, "DXT1"}), 32, 0x93));
  Seed("image_dds", "dxt3_odd.dds", WithData(DdsHeader({5, 6, 4, "DXT3"}), 64, 0x6C));
  Seed("image_dds", "dxt5_mips.dds", WithData(DdsHeader({8, 4, 4, "DXT5", 0, 0, 0, 0, 0, 0, 4}), 32 + 16 + 16 + 16, 0xC3));

  Seed("image_bgra", "8.bgra", Bgra(0x08080808, 2, 1, {1, 2, 3, 4, 5, 6, 7, 8}));
  Seed("image_bgra", "16.bgra", Bgra(0x10101010, 1, 2, std::vector<uint8_t>(16, 0x80)));

  Seed("image_png", "palette_4.png", EncodePng({3, 2, PNG_COLOR_TYPE_PALETTE, 4, Rows(2, 2), Colours(16)}));
  Seed("image_png", "palette_trns.png", EncodePng({2, 1, PNG_COLOR_TYPE_PALETTE, 8, {{0, 1}}, Colours(2), {0x40}}));
  Seed("image_png", "grey_2.png", EncodePng({4, 1, PNG_COLOR_TYPE_GRAY, 2, {{0x1B}}}));
  Seed("image_png", "grey_key.png", EncodePng({2, 1, PNG_COLOR_TYPE_GRAY, 8, {{5, 6}}, {}, {}, 5}));
  Seed("image_png", "grey_alpha.png", EncodePng({2, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, Rows(2, 4)}));
  Seed("image_png", "rgba_16.png", EncodePng({2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16, Rows(2, 16)}));
  Seed("image_png", "rgb_adam7.png", EncodePng({9, 9, PNG_COLOR_TYPE_RGB, 8, Rows(9, 27), {}, {}, -1, true}));

  Seed("image_jpeg", "grey.jpg", EncodeJpeg(16, 16, 1, JCS_GRAYSCALE, 1, 1));
  Seed("image_jpeg", "colour_420.jpg", EncodeJpeg(24, 16, 3, JCS_RGB, 2, 2));
  std::vector<uint8_t> cut = EncodeJpeg(32, 32, 3, JCS_RGB, 1, 1);
  cut.resize(cut.size() - cut.size() / 4);
  Seed("image_jpeg", "cut_short.jpg", cut);
  return 0;
}
