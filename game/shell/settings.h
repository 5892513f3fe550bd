// The player's settings as "save/Config.dat" holds them: 30 bytes,
// little-endian, no header.
#pragma once

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
extern settingsRecordData settingsRecord;

inline constexpr int kConfigFileSize = 30;
inline constexpr const char* kConfigFile = "save/Config.dat";

// Decodes the file's 30 bytes; false (and the record untouched) for any other size.
bool decodeConfig(const uint8_t* bytes, long size, settingsRecordData* record);
// Reads the file with plain file calls: the record from it, or the defaults
// when it is missing or not 30 bytes long. True when the file was used.
bool readConfigFile(const char* path, settingsRecordData* record);

}  // namespace game
