// The library's random numbers (one global MT19937 with the classic seeding)
// and its two printf-style formatting calls.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace veziv {

// Fills the generator from seed with the x * 69069 + 1 seeding and starts a fresh block.
void SeedRandom(uint32_t seed);
// The next tempered 32-bit word; an unseeded generator seeds itself with 4357 first.
uint32_t NextRandomWord();
// An int in 0..max (the high half of word * (max + 1)); max = -1 gives 0.
int RandomUpTo(int max);

// vsnprintf into the caller's buffer of size bytes, truncated to fit (never in
// the middle of a double-byte character). Returns the bytes written, without
// the terminating zero, or -1 for a bad format or no buffer.
int FormatTextArgs(char* buffer, size_t size, const char* format, va_list args);
// The same with the arguments inline; returns 0, or -1 where FormatTextArgs does.
int FormatText(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

namespace detail {
// Forgets every seeding, as at process start (for tests).
void ResetRandomForTest();
}  // namespace detail

}  // namespace veziv
