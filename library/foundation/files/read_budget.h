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
// both the side limit and the byte budget. While a ScopedPictureStore is alive
// on the thread, the picture is counted at the store's bytes a pixel when
// that is more.
bool PictureFitsReadBudget(int64_t width, int64_t height, int64_t bytesPerPixel);

// Tells the readers, for as long as it lives on this thread, what their
// picture becomes: a graph keeps 32 bits a pixel, so a reader refuses from the
// header a picture the graph would refuse only after the whole decode.
class ScopedPictureStore {
 public:
  explicit ScopedPictureStore(int64_t bytesPerPixel);
  ~ScopedPictureStore();
  ScopedPictureStore(const ScopedPictureStore&) = delete;
  ScopedPictureStore& operator=(const ScopedPictureStore&) = delete;

 private:
  int64_t kept_;
};

}  // namespace veziv::detail
