// CP932 <-> UTF-8 through glibc iconv, with '?' for what does not convert.
#include "platform/os/charset.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace platform::os {
namespace {

// One iconv descriptor per direction and thread: a descriptor carries state and is not shareable.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts in; on a byte sequence that does not convert, calls skip(rest) for how many bytes
  // to drop and appends '?', or, when replace is false, fails.
  template <typename Skip>
  std::optional<std::string> Run(std::string_view in, bool replace, Skip skip) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 3 / 2 + 16);
    size_t used = 0;
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    while (src_left > 0) {
      char* dst = out.data() + used;
      size_t dst_left = out.size() - used;
      size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
      used = out.size() - dst_left;
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2 + 16);
        continue;
      }
      // EILSEQ (not convertible) or EINVAL (cut off at the end).
      if (!replace) return std::nullopt;
      size_t drop = errno == EINVAL ? src_left : skip(std::string_view(src, src_left));
      src += drop;
      src_left -= drop;
      if (out.size() - used < 1) out.resize(out.size() * 2 + 16);
      out[used++] = '?';
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

// An unmapped double-byte character is dropped whole; a lone or badly followed byte alone, so
// that an ASCII byte after it survives.
size_t SkipCp932(std::string_view s) { return Cp932CharLength(s, 0); }

// An unmappable but well-formed UTF-8 character is dropped whole; a malformed byte alone.
size_t SkipUtf8(std::string_view s) {
  unsigned char c = static_cast<unsigned char>(s[0]);
  size_t len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 1;
  if (c > 0xF4 || len > s.size()) return 1;
  for (size_t i = 1; i < len; ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
  }
  return len;
}

Converter& ToUtf8() {
  thread_local Converter converter("UTF-8", "CP932");
  return converter;
}

Converter& ToCp932() {
  thread_local Converter converter("CP932", "UTF-8");
  return converter;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  return ToUtf8().Run(cp932, true, SkipCp932).value_or(std::string());
}

std::string Utf8ToCp932(std::string_view utf8) {
  return ToCp932().Run(utf8, true, SkipUtf8).value_or(std::string());
}

std::optional<std::string> TryCp932ToUtf8(std::string_view cp932) {
  return ToUtf8().Run(cp932, false, SkipCp932);
}

std::optional<std::string> TryUtf8ToCp932(std::string_view utf8) {
  return ToCp932().Run(utf8, false, SkipUtf8);
}

std::string LowerCp932Ascii(std::string_view cp932) {
  std::string out(cp932);
  for (size_t i = 0; i < out.size(); i += Cp932CharLength(out, i)) {
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
  }
  return out;
}

size_t Cp932CharLength(std::string_view s, size_t i) {
  return IsCp932LeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
                 IsCp932TrailByte(static_cast<unsigned char>(s[i + 1]))
             ? 2
             : 1;
}

bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool IsCp932TrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

}  // namespace platform::os
