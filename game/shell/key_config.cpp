// The keyboard and pad configuration screens.
#include "game/shell/key_config.h"

#include <cstring>
#include <utility>

#include "game/core/frame_loop.h"
#include "game/core/key_files.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/widgets.h"
#include "game/shell/menu_screens.h"
#include "game/shell/startup.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr int kKeyRows = 21;
constexpr int kPadRows = 22;
constexpr int kRowActions[kBoundActions] = {kActionShot, kActionUp,      kActionDown, kActionLeft, kActionRight,
                                            kActionSpecial, kActionSub, kActionSlow, kActionPause};
constexpr const char* kHelp[10] = {
    "ショットキーを指定します。", "上キーを指定します。", "下キーを指定します。", "左キーを指定します。",
    "右キーを指定します。", "必殺技キーを指定します。", "副武装のショットキーを指定します。", "低速キーを指定します。",
    "ポーズキーを指定します。", "初期状態に戻します。",
};
constexpr const char* kBackHelp = "前の画面に戻ります。";
constexpr const char* kDefaults = "デフォルトに戻す。";
constexpr int32_t kPadMasks[14] = {0x1,   0x2,   0x4,   0x8,   0x10,  0x20,   0x40,
                                   0x80,  0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000};

void saveKeyBindings();
void drawKeyColumn(const inputRecord& record, int xOffset);
void drawPadColumn(const inputRecord& record, int xOffset);

bool pressed(const inputRecord& r, int action) { return r.hold[action] == 1; }
bool eitherPressed(const inputRecord& a, const inputRecord& b, int action) {
  return pressed(a, action) || pressed(b, action);
}
bool capturing(const inputRecord& r) { return r.assigning != kNotAssigning; }

// The binding row among nine that a column's rows span from a top y; 0 for
// none. At a shared border the lower row wins.
int bindingRowAt(int y, int top) {
  int found = 0;
  for (int r = 1; r <= kBoundActions; ++r) {
    if (y >= top + 29 * (r - 1) && y <= top + 29 + 29 * (r - 1)) found = r;
  }
  return found;
}

bool inside(int x, int y, int x1, int y1, int x2, int y2) { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }

void drawRedBox(int x1, int y1, int x2, int y2) { veziv::DrawBoxFilled(x1, y1, x2, y2, Session().colourRed); }

void drawBackButton(int row, bool balloons) {
  if (Session().menuCursor == row) {
    veziv::RenderGraphAtPoint(685, 535, graphOf(kImageBackPushed), 1);
    if (balloons) drawHelpBalloon(688, 570, kBackHelp, true);
  } else {
    veziv::RenderGraphAtPoint(684, 535, graphOf(kImageBack), 1);
  }
}

void dropCaptures() {
  Session().playerInputs[0].assigning = kNotAssigning;
  Session().playerInputs[1].assigning = kNotAssigning;
}

void drawKeyScreen(bool balloons) {
  const inputRecord& p1 = Session().playerInputs[0];
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImageKeyBackground), 0);
  veziv::DrawTextDefaultFont(86, 412, kDefaults, Session().colourWhite, 0);
  veziv::DrawTextDefaultFont(426, 412, kDefaults, Session().colourWhite, 0);
  drawKeyColumn(p1, 0);
  drawKeyColumn(Session().playerInputs[1], 350);
  drawKeyConfigMenu(p1, true);
  veziv::DrawTextDefaultFont(30, 470, "変更したいキー上にカーソルを選択して、Shotキーを押してください。",
                             Session().colourWhite, 0);
  veziv::DrawTextDefaultFont(20, 500, "そして対応させたいキーを押すことで、キーの設定を変更できます",
                             Session().colourWhite, 0);
  const int row = Session().menuCursor;
  if (balloons && row >= 1 && row <= 20) {
    drawHelpBalloon(row <= 10 ? 115 : 440, 156 + 31 * ((row - 1) % 10), rowHelpText(row), false);
  }
  veziv::ChooseBlendMode(1, 100);
  const int e = (row == 2 || row == 5 || row == 12 || row == 15) ? 3 : 0;
  if (row >= 1 && row <= 9) drawRedBox(60, 109 + 29 * row, 360, 138 + 29 * row + e);
  if (row >= 11 && row <= 19) drawRedBox(385, 29 * row - 181, 685, 29 * row - 152 + e);
  if (row == 10) drawRedBox(85, 411, 282, 438);
  if (row == 20) drawRedBox(425, 411, 621, 438);
  veziv::ChooseBlendMode(0, 0);
  drawBackButton(21, balloons);
}

void drawPadScreen(bool balloons) {
  const inputRecord& p1 = Session().playerInputs[0];
  const int pads = veziv::GetPadDeviceCount();
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImagePadBackground), 0);
  drawPadColumn(p1, 50);
  drawPadColumn(Session().playerInputs[1], 400);
  veziv::DrawTextDefaultFont(105, 411, kDefaults, Session().colourWhite, 0);
  veziv::DrawTextDefaultFont(445, 411, kDefaults, Session().colourWhite, 0);
  drawKeyConfigMenu(p1, true);
  veziv::DrawTextDefaultFont(30, 480, "変更したいキー上にカーソルを選択して、Shotボタンを押してください。",
                             Session().colourWhite, 0);
  veziv::DrawTextDefaultFont(20, 510, "そして対応させたいボタンを押すことで、ボタンの設定を変更できます",
                             Session().colourWhite, 0);
  const int row = Session().menuCursor;
  if (balloons && row >= 1 && row <= 20) {
    drawHelpBalloon(row <= 10 ? 177 : 477, 169 + 29 * ((row - 1) % 10), rowHelpText(row), false);
  }
  if (balloons && row == 21) drawHelpBalloon(612, 478, "ゲームパッドの入力情報を更新します。", true);
  veziv::ChooseBlendMode(1, 100);
  if (row >= 1 && row <= 9) drawRedBox(100, 123 + 29 * row, 360, 152 + 29 * row);
  if (row >= 11 && row <= 19) drawRedBox(433, 29 * row - 167, 693, 29 * row - 138);
  if (row == 10) drawRedBox(105, 411, 303, 435);
  if (row == 20) drawRedBox(445, 411, 645, 435);
  if (row == 21) drawRedBox(490, 447, 700, 480);
  if (pads == 0) veziv::DrawBoxFilled(80, 140, 360, 440, Session().colourBlack);
  if (pads < 2) veziv::DrawBoxFilled(410, 140, 693, 440, Session().colourBlack);
  veziv::ChooseBlendMode(0, 0);
  if (pads == 0) veziv::DrawTextDefaultFont(170, 290, "<未接続>", Session().colourWhite, 0);
  if (pads < 2) veziv::DrawTextDefaultFont(490, 290, "<未接続>", Session().colourWhite, 0);
  drawBackButton(22, balloons);
}

// The keyboard screen's exits and row choices; false when the screen was
// left (or the window went away) and the frame ends.
bool keyScreenChoice(int under) {
  inputRecord& p1 = Session().playerInputs[0];
  inputRecord& p2 = Session().playerInputs[1];
  if (pressed(p1, kActionMouseRight)) {
    if (capturing(p1)) {
      p1.assigning = kNotAssigning;
    } else if (capturing(p2)) {
      p2.assigning = kNotAssigning;
    } else {
      playMenuSound(kSoundCancel);
      saveKeyBindings();
      return false;
    }
  }
  if (capturing(p1)) return true;
  if (pressed(p1, kActionPause)) {
    playMenuSound(kSoundCancel);
    saveKeyBindings();
    return false;
  }
  if (capturing(p2)) return true;
  const bool chosen = eitherPressed(p1, p2, kActionShot) || clickedRow(under) != 0;
  if (!chosen) return true;
  const int row = Session().menuCursor;
  if (row == kKeyRows) {
    playMenuSound(kSoundCancel);
    saveKeyBindings();
    return false;
  }
  playMenuSound(kSoundDecide);
  dropCaptures();
  // The shot that chose the row must be let go before a key is taken.
  const bool windowKept = waitForRelease(
      [&] {
        updateInput(p1, 1);
        updateInput(p2, 2);
        return p1.hold[kActionShot] != 0 || p2.hold[kActionShot] != 0;
      },
      [] { drawKeyScreen(false); });
  if (!windowKept) return false;
  if (row <= 9) p1.assigning = rowAction(row);
  if (row == 10) setKeyPresetA(p1);
  if (row >= 11 && row <= 19) p2.assigning = rowAction(row);
  if (row == 20) setKeyPresetKeypad(p2);
  return true;
}

// The pad screen's row choices; false when the screen was left.
bool padScreenChoice(int under) {
  inputRecord& p1 = Session().playerInputs[0];
  inputRecord& p2 = Session().playerInputs[1];
  const bool chosen = eitherPressed(p1, p2, kActionShot) || clickedRow(under) != 0;
  if (!chosen) return true;
  const int row = Session().menuCursor;
  if (row == kPadRows) {
    playMenuSound(kSoundCancel);
    Session().menuCursor = 4;
    dropCaptures();
    changeMode(kModeSettings, false);
    saveKeyFiles();
    return false;
  }
  playMenuSound(kSoundDecide);
  if (row <= 9) p1.assigning = kAssigningPad + rowAction(row);
  if (row == 10) setPadPreset(p1);
  if (row >= 11 && row <= 19) p2.assigning = kAssigningPad + rowAction(row);
  if (row == 20) setPadPreset(p2);
  if (row == 21) veziv::EnumeratePadDevices();
  return true;
}

}  // namespace

int rowAction(int row) {
  if (row >= 11 && row <= 19) row -= 10;
  return row >= 1 && row <= 9 ? kRowActions[row - 1] : -1;
}

const char* rowHelpText(int row) { return row >= 1 ? kHelp[(row - 1) % 10] : ""; }

int keyScreenRowAt(int x, int y) {
  if (x >= 60 && x <= 360) {
    if (const int r = bindingRowAt(y, 138)) return r;
    if (inside(x, y, 85, 411, 267, 438)) return 10;
  } else if (x >= 385 && x <= 685) {
    if (const int r = bindingRowAt(y, 138)) return 10 + r;
    if (inside(x, y, 425, 411, 606, 438)) return 20;
  }
  return inside(x, y, 685, 535, 758, 574) ? 21 : 0;
}

int padScreenRowAt(int x, int y, int pads) {
  if (pads >= 1 && x >= 60 && x <= 360) {
    if (const int r = bindingRowAt(y, 152)) return r;
    if (inside(x, y, 85, 411, 267, 438)) return 10;
  } else if (pads >= 2 && x >= 385 && x <= 685) {
    if (const int r = bindingRowAt(y, 152)) return 10 + r;
    if (inside(x, y, 425, 411, 606, 438)) return 20;
  }
  if (inside(x, y, 490, 450, 700, 480)) return 21;
  if (inside(x, y, 685, 535, 771, 577)) return 22;
  return 0;
}

int keyScreenNavigation(int row, const inputRecord& p1, const inputRecord& p2, bool& sound) {
  sound = false;
  const bool right = eitherPressed(p1, p2, kActionRight);
  const bool left = eitherPressed(p1, p2, kActionLeft);
  if (right && row == kKeyRows) {
    sound = true;
    return 20;
  }
  if (left && row == kKeyRows) {
    sound = true;
    return 10;
  }
  if (left || right) {
    sound = true;
    return row <= 10 ? row + 10 : row - 10;
  }
  if (row == 10 && (pressed(p1, kActionUp) || p2.hold[kActionUp] != 0)) return kKeyRows;
  if (row == 11 && (pressed(p1, kActionDown) || p2.hold[kActionDown] != 0)) return kKeyRows;
  return row;
}

int padScreenNavigation(int row, const inputRecord& p1, const inputRecord& p2, int pads, bool& sound,
                        bool& cancel) {
  sound = cancel = false;
  const bool up = eitherPressed(p1, p2, kActionUp);
  const bool down = eitherPressed(p1, p2, kActionDown);
  if (pads == 0) {
    if (row != 21 && row != kPadRows) row = 21;
    if (up || down) {
      sound = true;
      row = row == 21 ? kPadRows : 21;
    }
    return row;
  }
  if (row == 20 && pads < 2) row = kPadRows;
  const bool right = eitherPressed(p1, p2, kActionRight);
  if (right && row == 21) {
    sound = true;
    return pads >= 2 ? 20 : 10;
  }
  if (row == 21 && (pressed(p1, kActionLeft) || p2.hold[kActionLeft] != 0)) {
    sound = true;
    return 10;
  }
  if (right || eitherPressed(p1, p2, kActionLeft)) {
    sound = true;
    if (row <= 10) return pads >= 2 ? row + 10 : 21;
    if (row == kPadRows) {
      cancel = true;
      return row;
    }
    return row - 10;
  }
  if ((row == 10 && up) || (row == 11 && down)) return 21;
  return row;
}

KeyCaptureResult applyKeyCapture(inputRecord& record, inputRecord& other, int32_t code) {
  const int a = record.assigning;
  record.assigning = kNotAssigning;
  for (int b = 0; b < kBoundActions; ++b) {
    if (b != a && record.keyCode[b] == code) {
      std::swap(record.keyCode[a], record.keyCode[b]);
      return KeyCaptureResult::kSwapped;
    }
  }
  const bool named = std::strcmp(getKeyName(code), kUnknownKeyName) != 0;
  for (int c = 0; c < kBoundActions; ++c) {
    if (other.keyCode[c] != code) continue;
    if (!named) return KeyCaptureResult::kRefused;
    other.keyCode[c] = record.keyCode[a];
    record.keyCode[a] = code;
    return KeyCaptureResult::kCrossed;
  }
  if (!named) return KeyCaptureResult::kRefused;
  record.keyCode[a] = code;
  return KeyCaptureResult::kTaken;
}

int lowestHeldKey(const char keys[kKeyStateCount]) {
  for (int code = 0; code < kKeyStateCount; ++code) {
    if (keys[code] == 1) return code;
  }
  return -1;
}

int32_t firstPadMask(int bits) {
  for (int32_t mask : kPadMasks) {
    if ((bits & mask) != 0) return mask;
  }
  return 0;
}

void applyPadCapture(inputRecord& record, int32_t mask) {
  const int a = record.assigning - kAssigningPad;
  record.assigning = kNotAssigning;
  int same = -1;
  for (int b = 0; b < kBoundActions; ++b) {
    if (b != a && record.padMask[b] == mask) same = b;
  }
  if (same >= 0) {
    std::swap(record.padMask[a], record.padMask[same]);
  } else {
    record.padMask[a] = mask;
  }
}

namespace {

// The keyboard screen's exit: back to the settings, both key files written.
void saveKeyBindings() {
  Session().menuCursor = 3;
  changeMode(kModeSettings, false);
  dropCaptures();
  saveKeyFiles();
}

// One frame of capture on either screen.
void runKeyAssignScreen(inputRecord& record, inputRecord& other) {
  if (record.assigning < 0 || record.assigning >= kBoundActions) return;
  char keys[kKeyStateCount] = {};
  veziv::GetAllKeyStates(keys);
  const int code = lowestHeldKey(keys);
  if (code < 0) return;
  if (applyKeyCapture(record, other, code) == KeyCaptureResult::kRefused) {
    Session().frame.noticeQueue.push_back({"このキーは指定できません。", "OK"});
    return;
  }
  waitForRelease(
      [&] {
        veziv::GetAllKeyStates(keys);
        return keys[code] == 1;
      },
      [] { drawKeyScreen(false); });
}

void runPadAssignScreen(inputRecord& record, int pad) {
  if (record.assigning < kAssigningPad) return;
  const int bits = veziv::ReadPadInputBits(pad);
  if ((bits & record.padMask[kActionShot]) != 0) return;
  const int32_t mask = firstPadMask(bits);
  if (mask == 0) return;
  applyPadCapture(record, mask);
  waitForRelease([&] { return (veziv::ReadPadInputBits(pad) & mask) != 0; }, [] { drawPadScreen(false); });
}

// A player's nine bindings at a column's x offset.
void drawKeyColumn(const inputRecord& record, int xOffset) {
  for (int row = 1; row <= kBoundActions; ++row) {
    const int action = rowAction(row);
    const char* text = record.assigning == action ? "<キー待ち>" : getKeyName(record.keyCode[action]);
    veziv::DrawTextDefaultFont(200 + xOffset, 143 + 29 * (row - 1), text, Session().colourWhite, 0);
  }
}

void drawPadColumn(const inputRecord& record, int xOffset) {
  for (int row = 1; row <= kBoundActions; ++row) {
    const int action = rowAction(row);
    const char* text =
        record.assigning == kAssigningPad + action ? "<入力待ち>" : getPadButtonName(record.padMask[action]);
    veziv::DrawTextDefaultFont(200 + xOffset, 158 + 29 * (row - 1), text, Session().colourWhite, 0);
  }
}

}  // namespace

bool KeyConfigScreen::frame() {
  inputRecord& p1 = Session().playerInputs[0];
  inputRecord& p2 = Session().playerInputs[1];
  updateMouseButtons(p1);
  isMouseMoved();
  const int under = keyScreenRowAt(Session().frame.mouseX, Session().frame.mouseY);
  followMouse(under);
  if (!capturing(p1) && !capturing(p2)) {
    moveMenuCursor(p1, kKeyRows);
    moveMenuCursor(p2, kKeyRows);
    bool sound = false;
    Session().menuCursor = keyScreenNavigation(Session().menuCursor, p1, p2, sound);
    if (sound) playMenuSound(kSoundCursor);
  }
  if (!keyScreenChoice(under)) return false;
  runKeyAssignScreen(p1, p2);
  runKeyAssignScreen(p2, p1);
  updateMouseButtons(p1);
  if (Session().menuCursor >= 1 && Session().menuCursor <= kKeyRows) stepHelpBalloon();
  drawKeyScreen(true);
  isMouseMoved();
  return false;
}

bool PadConfigScreen::frame() {
  inputRecord& p1 = Session().playerInputs[0];
  inputRecord& p2 = Session().playerInputs[1];
  updateMouseButtons(p1);
  const int pads = veziv::GetPadDeviceCount();
  const int under = padScreenRowAt(Session().frame.mouseX, Session().frame.mouseY, pads);
  followMouse(under);
  if (pads == 0 || (!capturing(p1) && !capturing(p2))) {
    if (pads > 0) {
      moveMenuCursor(p1, kPadRows);
      moveMenuCursor(p2, kPadRows);
    }
    bool sound = false, cancel = false;
    Session().menuCursor = padScreenNavigation(Session().menuCursor, p1, p2, pads, sound, cancel);
    if (sound) playMenuSound(kSoundCursor);
    if (cancel) playMenuSound(kSoundCancel);
  }
  if (pressed(p1, kActionPause) || pressed(p1, kActionMouseRight)) {
    playMenuSound(kSoundCancel);
    Session().menuCursor = 4;
    dropCaptures();
    changeMode(kModeSettings, false);
    return false;
  }
  runPadAssignScreen(p1, 1);
  runPadAssignScreen(p2, 2);
  if (!padScreenChoice(under)) return false;
  if (Session().menuCursor >= 1 && Session().menuCursor <= kPadRows) stepHelpBalloon();
  drawPadScreen(true);
  isMouseMoved();
  return false;
}

}  // namespace game
