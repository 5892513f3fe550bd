// Key files, the names of keys and pad buttons, and the key legend line of
// the menus. A key file ("save/key1.dat", "save/key2.dat") holds a player's
// nine key codes as i32 little-endian in action order 0..8; pad masks are
// not stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/core/input.h"

namespace game {

inline constexpr int kKeyFileSize = 4 * kBoundActions;  // 36
inline constexpr const char* kKeyFiles[2] = {"save/key1.dat", "save/key2.dat"};
// The name of a code outside the table; a key with this name cannot be bound.
inline constexpr const char* kUnknownKeyName = "エラー";

// The text of a key's scan code; "エラー" for any code without a name.
const char* getKeyName(int32_t code);
// The text of one pad mask bit; "ERROR" for any other value.
const char* getPadButtonName(int32_t mask);
// The name of player 1's key for an action.
std::string getActionKeyName(int action);

// Takes the key codes the bytes hold whole over the record's, in action
// order; a code outside 0..255 or without a name keeps the record's code for
// that action. A 32-byte file so sets actions 0..7 and keeps the pause key.
void decodeKeyCodes(const uint8_t* bytes, size_t size, inputRecord& record);
void encodeKeyCodes(const inputRecord& record, uint8_t out[kKeyFileSize]);
// Reads up to 36 bytes of a key file over the record; a missing file
// leaves it unchanged.
void loadKeyConfig(inputRecord& record, const char* path);
// Writes the record's nine key codes as the whole file; false when not written.
bool saveKeyConfig(const inputRecord& record, const char* path);
// Both players' key files from the session's records; a failed write is
// told to the player, once. False when either was not written.
bool saveKeyFiles();

// The legend line built from a record's key names: up, down, (right and
// left), decide (shot) and cancel (pause).
std::string keyLegendText(const inputRecord& record, bool withLeftRight);
// Draws the legend line at the bottom of the screen in the game font,
// shadowed.
void drawKeyConfigMenu(const inputRecord& record, bool withLeftRight);

}  // namespace game
