// CP932 <-> UTF-8 through glibc iconv. "CP932", never "SHIFT_JIS": the latter
// turns 0x5C into the yen sign.
#include "platform/window/text_codec.h"

#include <iconv.h>

#include <cerrno>

namespace platform::window::detail {
namespace {

bool Convert(const char* to, const char* from, std::string_view in, std::string* out) {
  out->clear();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string result;
  result.resize(in.size() * 4 + 4);
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char* dst = result.data();
  size_t dst_left = result.size();
  bool ok = iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return false;
  result.resize(result.size() - dst_left);
  *out = std::move(result);
  return true;
}

// Length of the UTF-8 sequence that starts with lead (1 for a stray byte).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

bool ToUtf8(std::string_view cp932, std::string* utf8) { return Convert("UTF-8", "CP932", cp932, utf8); }

bool ToCp932(std::string_view utf8, std::string* cp932) { return Convert("CP932", "UTF-8", utf8, cp932); }

std::string ToCp932Lossy(std::string_view utf8) {
  std::string result;
  std::string piece;
  size_t i = 0;
  while (i < utf8.size()) {
    size_t n = SequenceLength(static_cast<unsigned char>(utf8[i]));
    if (n > utf8.size() - i) n = utf8.size() - i;
    if (ToCp932(utf8.substr(i, n), &piece)) result += piece;
    i += n;
  }
  return result;
}

}  // namespace platform::window::detail
