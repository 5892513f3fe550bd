// The library's own string, memory and number helpers with fixed semantics:
// Shift-JIS-aware C-string work, byte fills/copies, float-to-int truncation
// that ignores the rounding mode, 128-bit products, and full paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace veziv {

// Strings are zero-terminated Shift-JIS byte strings. A lead byte (0x81-0x9F,
// 0xE0-0xFC) and the byte after it are one character; a lead byte directly
// before the terminator is taken as a single byte, so no helper reads past it.

// Copies source and its terminating zero to destination.
void CopyCString(char* destination, const char* source);
// Copies source (with its zero) to destination's terminating zero.
void AppendCString(char* destination, const char* source);
// First occurrence of ch as a single-byte character; a trail byte never
// matches. Null when absent, when the text is empty, or for ch == 0.
const char* FindCharInCString(const char* text, char ch);
char* FindCharInCString(char* text, char ch);
// 0 when the two strings have the same bytes, 1 otherwise (no ordering).
int CompareCString(const char* a, const char* b);
// In place, ASCII a-z to A-Z; double-byte characters are left unchanged.
void UpperCaseCString(char* text);
// 0 when the first n bytes are equal, 1 otherwise. Stops at the first
// difference but not at a zero, so both must have n readable bytes unless they
// differ earlier. n == 0 gives 0, a negative n gives 1.
int CompareCStringN(const char* a, const char* b, int n);

// Sets count bytes to value; returns value.
uint8_t FillMemoryBytes(void* destination, uint8_t value, size_t count);
// 0 when the count bytes are equal (count 0 included), 1 otherwise.
int CompareMemoryBytes(const void* a, const void* b, size_t count);
// Copies count bytes; the ranges must not overlap (use MoveMemoryBytes).
void CopyMemoryBytes(void* destination, const void* source, size_t count);
// Copies count bytes; the ranges may overlap.
void MoveMemoryBytes(void* destination, const void* source, size_t count);

// Sine and cosine computed together in long double, each then rounded to float.
void SinCosFloat(float angle, float* sine, float* cosine);
// Absolute value; INT_MIN has none and is returned as it is.
int AbsInt(int value);
// -x for x below 0, else x: -0.0 and NaN pass unchanged.
double AbsFloat(float value);
// Truncation toward zero whatever the rounding mode is (the mode is left as it
// was). NaN and values outside the int range give INT_MIN.
int TruncateFloatToInt(float value);
int TruncateDoubleToInt(double value);
// The same for values[0..3] into results[0..3].
void TruncateFourDoublesToInt(const double* values, int* results);
// Square root rounded to float.
float SqrtFloat(float value);

// Size of a buffer that holds any FormatIntToText result: "-" and 32 binary
// digits and the terminating zero.
inline constexpr size_t kIntTextSize = 34;
// Writes value in radix (2..36): most significant digit first, lower-case
// letters above 9, a leading '-' when negative, "0" for zero. INT_MIN is
// written in full. A radix outside 2..36 writes the empty text. Returns buffer.
char* FormatIntToText(int value, char* buffer, int radix);

// An unsigned 128-bit value as two halves.
struct UInt128 {
  uint64_t low = 0;
  uint64_t high = 0;
};
// The full 128-bit product a * b.
void MultiplyUInt64Wide(uint64_t a, uint64_t b, UInt128* out);
// Quotient of dividend / divisor, truncated, as shift-and-subtract gives it:
// a zero divisor does not trap but gives all bits set.
void DivideUInt128By64(const UInt128& dividend, uint64_t divisor, UInt128* out);

// Full path of path against base, in the library's path form: components
// joined by '\' after a prefix ("C:", a root "\" or a "\\" network prefix).
// A null base means the current directory (see path.h); a null path gives the
// base itself. Returns 0, or -1 when destination is null.
int BuildFullPath(const char* path, std::string* destination, const char* base);

namespace detail {
// True for the first byte of a Shift-JIS double-byte character.
inline bool IsShiftJisLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
}  // namespace detail

}  // namespace veziv
