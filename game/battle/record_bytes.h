// Little-endian byte records: the writer and reader every battle record goes
// through, field by field, reals as their raw IEEE-754 bits.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace game::battle {

class RecordWriter {
 public:
  explicit RecordWriter(std::vector<uint8_t>& out) : out_(out) {}
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void f64(double v) {
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i) out_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  }

 private:
  void u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  std::vector<uint8_t>& out_;
};

// Reads from a block the caller keeps alive. A read past the end gives 0 and
// leaves the reader failed, so a record is read whole and checked once.
class RecordReader {
 public:
  RecordReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int32_t i32() { return static_cast<int32_t>(static_cast<uint32_t>(take(4))); }
  double f64() { return std::bit_cast<double>(take(8)); }
  bool ok() const { return ok_; }
  size_t remaining() const { return size_ - pos_; }
  size_t position() const { return pos_; }

 private:
  uint64_t take(size_t n) {
    if (!ok_ || size_ - pos_ < n) {
      ok_ = false;
      return 0;
    }
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= static_cast<uint64_t>(data_[pos_ + i]) << (8 * i);
    pos_ += n;
    return v;
  }
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace game::battle
