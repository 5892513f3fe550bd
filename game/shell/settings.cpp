// The settings file's reading.
#include "game/shell/settings.h"

#include <cstdio>
#include <cstring>

namespace game {

settingsRecordData settingsRecord;

namespace {

int32_t readI32(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

}  // namespace

bool decodeConfig(const uint8_t* bytes, long size, settingsRecordData* record) {
  if (size != kConfigFileSize) return false;
  record->bgmVolume = readI32(bytes + 0);
  record->seVolume = readI32(bytes + 4);
  record->voiceVolume = readI32(bytes + 8);
  record->radioVolume = readI32(bytes + 12);
  std::memcpy(record->voiceEnabled, bytes + 16, 7);
  record->midiMode = bytes[23];
  record->battleEventsOn = bytes[24];
  record->textSpeed = readI32(bytes + 25);
  record->storyCleared = bytes[29];
  return true;
}

bool readConfigFile(const char* path, settingsRecordData* record) {
  *record = settingsRecordData{};
  FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return false;
  uint8_t bytes[kConfigFileSize + 1];
  const long got = static_cast<long>(std::fread(bytes, 1, sizeof bytes, f));
  std::fclose(f);
  return decodeConfig(bytes, got, record);
}

}  // namespace game
