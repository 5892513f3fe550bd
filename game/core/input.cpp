// Player input: the records, their defaults and presets, and the counting.
#include "game/core/input.h"

#include <algorithm>
#include <iterator>

#include "library/veziv.h"

namespace game {

namespace {

// Key codes of the library's key-state buffer.
constexpr int32_t kDefaultKeys[kBoundActions] = {0x2C, 0xCB, 0xC8, 0xCD, 0xD0, 0x2E, 0x2D, 0x2A, 0x01};
constexpr int32_t kPresetAKeys[kBoundActions] = {0x2C, 0xCB, 0xC8, 0xCD, 0xD0, 0x1F, 0x2D, 0x2A, 0x01};
constexpr int32_t kKeypadKeys[kBoundActions] = {0x47, 0x4B, 0x48, 0x4D, 0x50, 0xB5, 0x49, 0x4F, 0x0E};
// Pad bits: 0x1 down, 0x2 left, 0x4 right, 0x8 up, buttons from 0x10.
constexpr int32_t kDefaultPadMasks[kBoundActions] = {0x10, 0x02, 0x08, 0x04, 0x01, 0x20, 0x80, 0x100, 0x1000};

void count(int32_t& counter, bool held) { counter = held ? counter + 1 : 0; }

}  // namespace

inputRecord resetInputRecord() {
  inputRecord r{};
  std::copy(std::begin(kDefaultKeys), std::end(kDefaultKeys), r.keyCode);
  std::copy(std::begin(kDefaultPadMasks), std::end(kDefaultPadMasks), r.padMask);
  r.assigning = kNotAssigning;
  return r;
}

void setKeyPresetA(inputRecord& record) {
  std::copy(std::begin(kPresetAKeys), std::end(kPresetAKeys), record.keyCode);
  record.assigning = kNotAssigning;
}

void setKeyPresetKeypad(inputRecord& record) {
  std::copy(std::begin(kKeypadKeys), std::end(kKeypadKeys), record.keyCode);
}

void setPadPreset(inputRecord& record) {
  std::copy(std::begin(kDefaultPadMasks), std::end(kDefaultPadMasks), record.padMask);
  record.assigning = kNotAssigning;
}

void countKeyHolds(inputRecord& record, const char keys[kKeyStateCount]) {
  for (int a = 0; a < kBoundActions; ++a) {
    const int32_t code = record.keyCode[a];
    count(record.hold[a], code >= 0 && code < kKeyStateCount && keys[code] == 1);
  }
}

void updateKeyHoldCounters(inputRecord& record) {
  char keys[kKeyStateCount] = {};
  veziv::GetAllKeyStates(keys);
  countKeyHolds(record, keys);
}

void updatePadHoldCounters(inputRecord& record, int bits) {
  for (int a = 0; a < kBoundActions; ++a) count(record.hold[a], (record.padMask[a] & bits) != 0);
}

void countMouseHolds(inputRecord& record, int buttons) {
  count(record.hold[kActionMouseLeft], (buttons & 1) != 0);
  count(record.hold[kActionMouseRight], (buttons & 2) != 0);
}

void updateMouseButtons(inputRecord& record) {
  count(record.hold[kActionMouseLeft], (veziv::GetMouseButtons() & 1) != 0);
  count(record.hold[kActionMouseRight], (veziv::GetMouseButtons() & 2) != 0);
}

void latchInput(inputRecord& record, bool inFront, int padBits, const char keys[kKeyStateCount]) {
  if (!inFront) {
    for (int a = 0; a < kHoldCount; ++a) {
      if (a != kActionPause) record.hold[a] = 0;
    }
  }
  if (padBits != 0) {
    updatePadHoldCounters(record, padBits);
  } else {
    countKeyHolds(record, keys);
  }
}

void updateInput(inputRecord& record, int pad) {
  const bool inFront = veziv::IsWindowActive() == 1;
  const int bits = veziv::ReadPadInputBits(pad);
  char keys[kKeyStateCount] = {};
  if (bits == 0) veziv::GetAllKeyStates(keys);
  latchInput(record, inFront, bits, keys);
}

}  // namespace game
