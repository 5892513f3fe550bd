// What a reader of untrusted bytes (image files, archive members) may spend on
// what a file merely claims: one byte budget for every decoded block and one
// limit on a picture's sides. Readers check both from the header, before
// anything is allocated.
#pragma once

#include <cstdint>

namespace veziv::detail {

// Widest and tallest picture any image reader accepts.
constexpr int64_t kMaxPictureSide = 16384;

// Largest block a reader allocates for what a file claims (256 MB by default):
// a decoded picture, an unpacked archive member.
int64_t MaxReadBytes();
// Sets the budget (tests and fuzz targets lower it so that each run is fast);
// 0 or less puts the default back.
void SetMaxReadBytes(int64_t bytes);

// True when a picture of width x height with bytesPerPixel bytes a pixel fits
// both the side limit and the byte budget.
bool PictureFitsReadBudget(int64_t width, int64_t height, int64_t bytesPerPixel);

}  // namespace veziv::detail
