// Key names, key files and the key legend line.
#include "game/core/key_files.h"

#include "game/core/resources.h"
#include "game/core/save_files.h"
#include "game/core/session.h"
#include "library/veziv.h"

namespace game {

std::string getActionKeyName(int action) {
  if (action < 0 || action >= kBoundActions) return kUnknownKeyName;
  return getKeyName(Session().playerInputs[0].keyCode[action]);
}

void loadKeyConfig(inputRecord& record, const char* path) {
  uint8_t bytes[kKeyFileSize];
  const long got = readSaveFile(path, bytes, sizeof bytes);
  if (got > 0) decodeKeyCodes(bytes, static_cast<size_t>(got), record);
}

bool saveKeyConfig(const inputRecord& record, const char* path) {
  uint8_t bytes[kKeyFileSize];
  encodeKeyCodes(record, bytes);
  return writeSaveFile(path, bytes, sizeof bytes);
}

bool saveKeyFiles() {
  const bool first = saveKeyConfig(Session().playerInputs[0], kKeyFiles[0]);
  const bool second = saveKeyConfig(Session().playerInputs[1], kKeyFiles[1]);
  if (!first || !second) noticeUnsaved("キー設定");
  return first && second;
}

void drawKeyConfigMenu(const inputRecord& record, bool withLeftRight) {
  const std::string text = keyLegendText(record, withLeftRight);
  veziv::DrawTextWithFont(51, 571, text.c_str(), veziv::PackColorForScreen(0, 0, 0), Session().registry.gameFont, 0, 0);
  veziv::DrawTextWithFont(50, 570, text.c_str(), veziv::PackColorForScreen(255, 255, 100), Session().registry.gameFont,
                          0, 0);
}

}  // namespace game
