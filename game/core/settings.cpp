// The settings file: its layout, the validation of what it holds, and its writing.
#include "game/core/settings.h"

#include <algorithm>

#include "game/core/save_files.h"
#include "game/core/session.h"

namespace game {

namespace {

uint8_t asSwitch(uint8_t byte) { return byte != 0 ? 1 : 0; }

}  // namespace

settingsRecordData decodeConfig(const uint8_t* bytes, size_t size) {
  settingsRecordData r;
  auto whole = [size](size_t offset, size_t length) { return offset + length <= size; };
  int32_t* const volumes[4] = {&r.bgmVolume, &r.seVolume, &r.voiceVolume, &r.radioVolume};
  for (size_t i = 0; i < 4; ++i) {
    if (whole(4 * i, 4)) *volumes[i] = std::clamp(readLeI32(bytes + 4 * i), 0, 100);
  }
  for (size_t i = 0; i < 7; ++i) {
    if (whole(16 + i, 1)) r.voiceEnabled[i] = asSwitch(bytes[16 + i]);
  }
  if (whole(23, 1)) r.midiMode = asSwitch(bytes[23]);
  if (whole(24, 1)) r.battleEventsOn = asSwitch(bytes[24]);
  if (whole(25, 4)) r.textSpeed = std::clamp(readLeI32(bytes + 25), kMinTextSpeed, kMaxTextSpeed);
  if (whole(29, 1)) r.storyCleared = asSwitch(bytes[29]);
  return r;
}

void encodeConfig(const settingsRecordData& record, uint8_t out[kConfigFileSize]) {
  putLeI32(out + 0, record.bgmVolume);
  putLeI32(out + 4, record.seVolume);
  putLeI32(out + 8, record.voiceVolume);
  putLeI32(out + 12, record.radioVolume);
  std::copy(record.voiceEnabled, record.voiceEnabled + 7, out + 16);
  out[23] = record.midiMode;
  out[24] = record.battleEventsOn;
  putLeI32(out + 25, record.textSpeed);
  out[29] = record.storyCleared;
}

bool readConfigFile(const char* path, settingsRecordData* record) {
  uint8_t bytes[kConfigFileSize];
  const long got = readSaveFile(path, bytes, sizeof bytes);
  *record = got < 0 ? settingsRecordData{} : decodeConfig(bytes, static_cast<size_t>(got));
  return got >= 0;
}

bool writeConfigFile(const char* path, const settingsRecordData& record) {
  uint8_t bytes[kConfigFileSize];
  encodeConfig(record, bytes);
  return writeSaveFile(path, bytes, sizeof bytes);
}

bool saveConfig() { return writeConfigFile(kConfigFile, Session().settings); }

}  // namespace game
