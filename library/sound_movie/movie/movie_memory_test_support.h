// Test support: a movie held in memory behind the memory stream table, opened
// by one of the two decoders and closed with the scope, and the pixels of its
// frame image; and the grey a luma level becomes after conversion.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "library/foundation/files/streams.h"
#include "library/sound_movie/movie/yuv_convert.h"
#include "library/veziv.h"

namespace veziv::test {

template <typename Context, Context* (*Open)(const StreamFunctionTable*, StreamValue, int), int (*Close)(Context*),
          RasterImage* (*Image)(Context*)>
class MovieInMemory {
 public:
  explicit MovieInMemory(std::vector<uint8_t> bytes, int stock = 10) : bytes_(std::move(bytes)) {
    stream_ = OpenMemoryStream(bytes_.data(), static_cast<int>(bytes_.size()));
    context_ = Open(GetMemoryStreamTable(), reinterpret_cast<StreamValue>(stream_), stock);
  }
  ~MovieInMemory() {
    Close(context_);
    CloseMemoryStream(stream_);
  }
  MovieInMemory(const MovieInMemory&) = delete;
  MovieInMemory& operator=(const MovieInMemory&) = delete;
  Context* get() const { return context_; }
  MemoryStreamState* stream() const { return stream_; }
  uint32_t Pixel(int x, int y) const {
    const RasterImage* image = Image(context_);
    uint32_t v = 0;
    std::memcpy(&v, static_cast<const uint8_t*>(image->pixels) + y * image->pitch + x * 4, 4);
    return v;
  }
  // The grey level of a pixel (its green byte).
  int Grey(int x, int y) const { return static_cast<int>(Pixel(x, y) >> 8 & 0xFF); }

 private:
  std::vector<uint8_t> bytes_;
  MemoryStreamState* stream_ = nullptr;
  Context* context_ = nullptr;
};

// The green byte of a grey luma after conversion.
inline int GreyOfLuma(int y) { return static_cast<int>(detail::YuvToBgraByTables(y, 128, 128) >> 8 & 0xFF); }

}  // namespace veziv::test
