// CP932 (Shift-JIS as Windows writes it) <-> UTF-8 at the host boundary.
//
// Texts inside VeZiv are CP932 bytes; the host (file names, window title, clipboard) speaks UTF-8.
// Conversion uses glibc iconv's "CP932", which keeps 0x5C as the backslash and maps 81 60 to U+FF5E.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::os {

// Converts CP932 bytes to UTF-8. A byte that starts no valid CP932 character becomes '?' and
// conversion goes on with the next byte; never throws.
std::string Cp932ToUtf8(std::string_view cp932);
// Converts UTF-8 to CP932. A character with no CP932 form, or a byte that starts no valid UTF-8
// sequence, becomes one '?'; never throws.
std::string Utf8ToCp932(std::string_view utf8);

// The same conversions without replacement: nullopt when any byte or character does not convert.
// For names, where a '?' would silently make two different names the same.
std::optional<std::string> TryCp932ToUtf8(std::string_view cp932);
std::optional<std::string> TryUtf8ToCp932(std::string_view utf8);

// The length, 1 or 2, of the CP932 character starting at s[i]; a lead byte not followed by a trail
// byte stands alone.
size_t Cp932CharLength(std::string_view s, size_t i);

// Lower-cases the single-byte ASCII letters of a CP932 text. A trail byte that happens to be a
// letter ("ア" is 83 41) belongs to its character and is kept.
std::string LowerCp932Ascii(std::string_view cp932);

// True for the first byte of a CP932 double-byte character (0x81-0x9F, 0xE0-0xFC).
bool IsCp932LeadByte(unsigned char c);
// True for a byte that may follow a lead byte (0x40-0x7E, 0x80-0xFC); never '/' or NUL.
bool IsCp932TrailByte(unsigned char c);

}  // namespace platform::os
