// Turning decoded movie pictures (Y'CbCr planes) into 32-bit pixels, bytes
// blue, green, red, 255. 4:2:0 pictures go through fixed-point tables (14
// fraction bits) built once at library start, 32 or 16 pixels at a time with
// AVX-512 or AVX2 where the processor has them (the same sums, exactly), two
// rows over each chroma row; 4:2:2 and 4:4:4 pictures are converted in single
// precision with the chroma sample that covers each
// pixel. Depends on nothing but the standard library.
#pragma once

#include <cstdint>

namespace veziv {

// Builds the conversion tables. 0. The library's start calls it; converting
// before it builds them on first use.
int InitYuvToRgbTables();

namespace detail {

struct YuvToRgbTables {
  uint8_t clamp[1280];  // index + 512 for -512..767
  int32_t yTerm[256];   // 1.164 (Y - 16)
  int32_t rFromV[256];  // 1.596 (V - 128)
  int32_t gFromU[256];  // -0.391 (U - 128)
  int32_t gFromV[256];  // -0.813 (V - 128)
  int32_t bFromU[256];  // 2.018 (U - 128)
};
const YuvToRgbTables& YuvTables();

// One picture's planes, as the decoder hands them out.
struct YuvPlanes {
  const uint8_t* y;
  const uint8_t* u;
  const uint8_t* v;
  int yWidth, yHeight, yStride;
  int uvWidth, uvHeight, uvStride;
};

// The picture (x, y, width, height) of the planes into rows of width 32-bit
// pixels at out, pitch bytes apart. The region must lie inside the luma plane.
void ConvertYuvPicture(const YuvPlanes& planes, int x, int y, int width, int height, uint8_t* out, int pitch);

// One pixel by the tables (4:2:0) and by the float formula, for checks.
uint32_t YuvToBgraByTables(int y, int u, int v);
uint32_t YuvToBgraByFloat(int y, int u, int v);

}  // namespace detail
}  // namespace veziv
