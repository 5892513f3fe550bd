// CP932 <-> UTF-8 for the texts that cross into SDL (titles, message boxes,
// clipboard, typed text, dropped file names).
#pragma once

#include <string>
#include <string_view>

namespace platform::window::detail {

// False when the input holds a sequence that has no counterpart.
bool ToUtf8(std::string_view cp932, std::string* utf8);
bool ToCp932(std::string_view utf8, std::string* cp932);

// Converts code point by code point, dropping those that have no CP932 code
// (typed text and file names keep everything that can be represented).
std::string ToCp932Lossy(std::string_view utf8);

}  // namespace platform::window::detail
