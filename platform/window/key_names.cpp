// The key name table: one row per key code, then a few short forms people
// write anyway. The codes are the ones the input module's scancode table
// gives, which its tests hold the two tables to.
#include "platform/window/key_names.h"

#include <cstdint>

namespace platform::window {
namespace {

struct NamedKey {
  const char* name;
  uint8_t code;
};

constexpr NamedKey kNames[] = {
    {"A", 0x1E}, {"B", 0x30}, {"C", 0x2E}, {"D", 0x20}, {"E", 0x12}, {"F", 0x21}, {"G", 0x22},
    {"H", 0x23}, {"I", 0x17}, {"J", 0x24}, {"K", 0x25}, {"L", 0x26}, {"M", 0x32}, {"N", 0x31},
    {"O", 0x18}, {"P", 0x19}, {"Q", 0x10}, {"R", 0x13}, {"S", 0x1F}, {"T", 0x14}, {"U", 0x16},
    {"V", 0x2F}, {"W", 0x11}, {"X", 0x2D}, {"Y", 0x15}, {"Z", 0x2C},
    {"Digit1", 0x02}, {"Digit2", 0x03}, {"Digit3", 0x04}, {"Digit4", 0x05}, {"Digit5", 0x06},
    {"Digit6", 0x07}, {"Digit7", 0x08}, {"Digit8", 0x09}, {"Digit9", 0x0A}, {"Digit0", 0x0B},
    {"Return", 0x1C}, {"Escape", 0x01}, {"Backspace", 0x0E}, {"Tab", 0x0F}, {"Space", 0x39},
    {"Minus", 0x0C}, {"Caret", 0x90}, {"At", 0x91}, {"LeftBracket", 0x1A}, {"RightBracket", 0x1B},
    {"Semicolon", 0x27}, {"Colon", 0x92}, {"Comma", 0x33}, {"Period", 0x34}, {"Slash", 0x35},
    {"Backslash", 0x2B}, {"Yen", 0x7D}, {"Kanji", 0x94}, {"Kana", 0x70}, {"Convert", 0x79},
    {"NoConvert", 0x7B},
    {"CapsLock", 0x3A}, {"LeftShift", 0x2A}, {"RightShift", 0x36}, {"LeftControl", 0x1D},
    {"RightControl", 0x9D}, {"LeftAlt", 0x38}, {"RightAlt", 0xB8}, {"LeftMeta", 0xDB},
    {"RightMeta", 0xDC}, {"Application", 0xDD},
    {"F1", 0x3B}, {"F2", 0x3C}, {"F3", 0x3D}, {"F4", 0x3E}, {"F5", 0x3F}, {"F6", 0x40},
    {"F7", 0x41}, {"F8", 0x42}, {"F9", 0x43}, {"F10", 0x44}, {"F11", 0x57}, {"F12", 0x58},
    {"PrintScreen", 0xB7}, {"ScrollLock", 0x46}, {"Pause", 0xC5}, {"NumLock", 0x45},
    {"Insert", 0xD2}, {"Delete", 0xD3}, {"Home", 0xC7}, {"End", 0xCF}, {"PageUp", 0xC9},
    {"PageDown", 0xD1}, {"Up", 0xC8}, {"Left", 0xCB}, {"Right", 0xCD}, {"Down", 0xD0},
    {"Keypad0", 0x52}, {"Keypad1", 0x4F}, {"Keypad2", 0x50}, {"Keypad3", 0x51}, {"Keypad4", 0x4B},
    {"Keypad5", 0x4C}, {"Keypad6", 0x4D}, {"Keypad7", 0x47}, {"Keypad8", 0x48}, {"Keypad9", 0x49},
    {"KeypadPeriod", 0x53}, {"KeypadMultiply", 0x37}, {"KeypadMinus", 0x4A}, {"KeypadPlus", 0x4E},
    {"KeypadDivide", 0xB5}, {"KeypadEnter", 0x9C},
    // Short forms.
    {"Esc", 0x01}, {"Enter", 0x1C},
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

int KeyCodeForName(std::string_view name) {
  for (const NamedKey& k : kNames) {
    if (SameName(name, k.name)) return k.code;
  }
  return -1;
}

const char* KeyNameForCode(int code) {
  for (const NamedKey& k : kNames) {
    if (k.code == code) return k.name;
  }
  return nullptr;
}

}  // namespace platform::window
