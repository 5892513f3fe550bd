// The player's settings as "save/Config.dat" holds them: 30 bytes,
// little-endian, no header.
#pragma once

#include <cstddef>
#include <cstdint>

namespace game {

struct settingsRecordData {
  int32_t bgmVolume = 80;
  int32_t seVolume = 80;
  int32_t voiceVolume = 80;
  int32_t radioVolume = 80;
  uint8_t voiceEnabled[7] = {1, 1, 1, 1, 1, 1, 1};
  uint8_t midiMode = 1;
  uint8_t battleEventsOn = 1;
  int32_t textSpeed = 20;
  uint8_t storyCleared = 0;
};

inline constexpr int kConfigFileSize = 30;
inline constexpr const char* kConfigFile = "save/Config.dat";
inline constexpr int32_t kMinTextSpeed = 10;
inline constexpr int32_t kMaxTextSpeed = 160;

// Decodes the file's bytes over the defaults: a field the bytes hold whole
// is taken, validated (volumes clamped to 0..100, the text speed to 10..160,
// switches made 0 or 1); a field past a short file's end keeps its default.
// Bytes beyond the 30 are ignored.
settingsRecordData decodeConfig(const uint8_t* bytes, size_t size);
// The file's 30 bytes, field by field.
void encodeConfig(const settingsRecordData& record, uint8_t out[kConfigFileSize]);

// Reads the file with plain file calls: the record decoded from it, or the
// defaults when it does not open. True when the file opened.
bool readConfigFile(const char* path, settingsRecordData* record);
// Writes a record as the whole file (see save_files.h); false when not written.
bool writeConfigFile(const char* path, const settingsRecordData& record);
// Writes the session's settings to "save/Config.dat". A failed write keeps the old file.
bool saveConfig();

}  // namespace game
