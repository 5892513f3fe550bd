// The settings file: its layout, the validation of what it holds, and its writing.
#include "game/core/settings.h"

#include <algorithm>

#include "game/core/save_files.h"
#include "game/core/session.h"

namespace game {

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

bool saveConfig() {
  if (writeConfigFile(kConfigFile, Session().settings)) return true;
  noticeUnsaved("設定");
  return false;
}

}  // namespace game
