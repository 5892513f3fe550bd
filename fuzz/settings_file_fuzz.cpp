// Feeds "save/Config.dat" bytes to the settings reader: whatever the bytes,
// the record is in range, and writing it and reading it back gives it again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/core/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace game;
  const settingsRecordData r = decodeConfig(data, size);
  auto inRange = [](int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; };
  if (!inRange(r.bgmVolume, 0, 100) || !inRange(r.seVolume, 0, 100) || !inRange(r.voiceVolume, 0, 100) ||
      !inRange(r.radioVolume, 0, 100) || !inRange(r.textSpeed, kMinTextSpeed, kMaxTextSpeed) || r.midiMode > 1 ||
      r.battleEventsOn > 1 || r.storyCleared > 1) {
    std::abort();
  }
  for (uint8_t s : r.voiceEnabled) {
    if (s > 1) std::abort();
  }
  uint8_t bytes[kConfigFileSize];
  encodeConfig(r, bytes);
  uint8_t again[kConfigFileSize];
  encodeConfig(decodeConfig(bytes, sizeof bytes), again);
  if (std::memcmp(bytes, again, sizeof bytes) != 0) std::abort();
  return 0;
}
