// String, memory and number helpers. Float-to-int truncation relies on the
// language's conversion (always toward zero) after an explicit range check, so
// neither the rounding mode nor undefined out-of-range casts come into play.
#include "library/foundation/core/helpers.h"

#include <bit>
#include <climits>
#include <cstdint>
#include <cmath>
#include <cstring>

#include "library/foundation/core/path.h"

namespace veziv {
namespace {

// Steps over one character: two bytes for a lead byte with a trail byte, else one.
const char* NextChar(const char* p) {
  if (detail::IsShiftJisLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') return p + 2;
  return p + 1;
}

int TruncateChecked(double value) {
  // Negated test so that NaN falls into the INT_MIN branch too.
  if (!(value > -2147483649.0 && value < 2147483648.0)) return INT_MIN;
  return static_cast<int>(value);
}

// True, with value rounded to float, when every double within 16 units in
// the last place of value rounds to that same float (in the rounding mode in
// force); false for zero, values near it, infinities and NaN.
bool RoundsToOneFloat(double value, float* rounded) {
  constexpr uint64_t kUnits = 16;
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  const uint64_t magnitude = bits & ~(uint64_t{1} << 63);
  // Below the smallest normal float, or at the top of the double range
  // (infinities and NaN included): the stepping below would not stay apart
  // from zero and the end of the range.
  if (magnitude < std::bit_cast<uint64_t>(0x1p-120) || magnitude >= std::bit_cast<uint64_t>(0x1p1000)) return false;
  const float low = static_cast<float>(std::bit_cast<double>(bits - kUnits));
  const float high = static_cast<float>(std::bit_cast<double>(bits + kUnits));
  *rounded = static_cast<float>(value);
  return low == high && low == *rounded;
}

}  // namespace

void CopyCString(char* destination, const char* source) {
  std::memmove(destination, source, std::strlen(source) + 1);
}

void AppendCString(char* destination, const char* source) {
  CopyCString(destination + std::strlen(destination), source);
}

const char* FindCharInCString(const char* text, char ch) {
  if (text == nullptr || ch == '\0') return nullptr;
  for (const char* p = text; *p != '\0'; p = NextChar(p)) {
    if (*p == ch) return p;
  }
  return nullptr;
}

char* FindCharInCString(char* text, char ch) {
  return const_cast<char*>(FindCharInCString(static_cast<const char*>(text), ch));
}

int CompareCString(const char* a, const char* b) { return std::strcmp(a, b) == 0 ? 0 : 1; }

void UpperCaseCString(char* text) {
  for (char* p = text; *p != '\0';) {
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
    p = const_cast<char*>(NextChar(p));
  }
}

int CompareCStringN(const char* a, const char* b, int n) {
  if (n < 0) return 1;
  for (int i = 0; i < n; ++i) {
    if (a[i] != b[i]) return 1;
  }
  return 0;
}

uint8_t FillMemoryBytes(void* destination, uint8_t value, size_t count) {
  if (count != 0) std::memset(destination, value, count);
  return value;
}

int CompareMemoryBytes(const void* a, const void* b, size_t count) {
  if (count == 0) return 0;
  return std::memcmp(a, b, count) == 0 ? 0 : 1;
}

void CopyMemoryBytes(void* destination, const void* source, size_t count) {
  // memmove keeps even a forbidden overlap defined.
  if (count != 0) std::memmove(destination, source, count);
}

void MoveMemoryBytes(void* destination, const void* source, size_t count) {
  if (count != 0 && destination != source) std::memmove(destination, source, count);
}

void SinCosFloat(float angle, float* sine, float* cosine) {
  // The double sine and cosine are within one unit in their last place of
  // the exact values, and so is the long double pair, far closer. Rounding
  // to float is monotonic: when the doubles a few units either side of a
  // value round to one float, the exact value and its long double form round
  // to that float too, and the long double pass (whose argument reduction is
  // many times slower) is not needed. Only a value next to a rounding
  // boundary (about one in ten million) takes it.
  const double a = angle;
  const double ds = std::sin(a), dc = std::cos(a);
  float fs, fc;
  if (RoundsToOneFloat(ds, &fs) && RoundsToOneFloat(dc, &fc)) {
    if (sine != nullptr) *sine = fs;
    if (cosine != nullptr) *cosine = fc;
    return;
  }
  long double la = angle;
  long double s = std::sin(la);
  long double c = std::cos(la);
  if (sine != nullptr) *sine = static_cast<float>(s);
  if (cosine != nullptr) *cosine = static_cast<float>(c);
}

int AbsInt(int value) { return (value < 0 && value != INT_MIN) ? -value : value; }

double AbsFloat(float value) { return value < 0.0f ? -static_cast<double>(value) : value; }

int TruncateFloatToInt(float value) { return TruncateChecked(value); }

int TruncateDoubleToInt(double value) { return TruncateChecked(value); }

void TruncateFourDoublesToInt(const double* values, int* results) {
  for (int i = 0; i < 4; ++i) results[i] = TruncateChecked(values[i]);
}

float SqrtFloat(float value) { return std::sqrt(value); }

char* FormatIntToText(int value, char* buffer, int radix) {
  if (buffer == nullptr) return nullptr;
  if (radix < 2 || radix > 36) {
    buffer[0] = '\0';
    return buffer;
  }
  // The magnitude in unsigned arithmetic, where negating INT_MIN is defined.
  uint32_t magnitude = static_cast<uint32_t>(value);
  if (value < 0) magnitude = 0u - magnitude;
  char digits[32];
  int count = 0;
  do {
    uint32_t digit = magnitude % static_cast<uint32_t>(radix);
    digits[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + (digit - 10));
    magnitude /= static_cast<uint32_t>(radix);
  } while (magnitude != 0);
  char* out = buffer;
  if (value < 0) *out++ = '-';
  while (count > 0) *out++ = digits[--count];
  *out = '\0';
  return buffer;
}

void MultiplyUInt64Wide(uint64_t a, uint64_t b, UInt128* out) {
  unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  out->low = static_cast<uint64_t>(product);
  out->high = static_cast<uint64_t>(product >> 64);
}

void DivideUInt128By64(const UInt128& dividend, uint64_t divisor, UInt128* out) {
  if (divisor == 0) {
    // Every subtraction of zero succeeds, so every quotient bit is set.
    out->low = UINT64_MAX;
    out->high = UINT64_MAX;
    return;
  }
  unsigned __int128 n = (static_cast<unsigned __int128>(dividend.high) << 64) | dividend.low;
  unsigned __int128 q = n / divisor;
  out->low = static_cast<uint64_t>(q);
  out->high = static_cast<uint64_t>(q >> 64);
}

int BuildFullPath(const char* path, std::string* destination, const char* base) {
  if (destination == nullptr) return -1;
  std::string current;
  if (base == nullptr) {
    current = ReadCurrentDirectoryForPaths();
    base = current.c_str();
  }
  return NormalizePath(path != nullptr ? path : "", base, PathOptions{}, destination);
}

}  // namespace veziv
