// The settings screen.
#include "game/shell/settings_screen.h"

#include <algorithm>
#include <iterator>

#include "game/battle/stage.h"
#include "game/battle/stage_events.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/widgets.h"
#include "game/shell/menu_screens.h"
#include "game/shell/startup.h"
#include "library/veziv.h"

namespace game {

namespace {

struct Box {
  int x1, y1, x2, y2;
  bool holds(int x, int y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }
};

struct SettingsRow {
  Box highlight;
  Box mouse;
  const char* help;
  int helpX, helpY;
  bool helpToLeft;
};

constexpr const char* kVoiceHelp = "ボイス(CV)のON/OFFを指定します。";

// Rows 1 to 9 and 17 to 20; the switches (10 to 16) are laid out by voiceToggleBox.
constexpr SettingsRow kRows[kSettingsRows] = {
    {{45, 155, 300, 190}, {45, 155, 300, 190}, "画面設定をフルスクリーンにします。", 285, 170, false},
    {{45, 215, 300, 250}, {45, 215, 300, 250}, "画面設定をウィンドウモードにします。", 285, 233, false},
    {{27, 307, 335, 365}, {27, 309, 335, 365}, "キーコンフィグします。", 285, 335, false},
    {{27, 390, 335, 448}, {27, 390, 335, 448}, "ゲームパッド(コントローラー)のコンフィグです。", 285, 420, false},
    {{20, 532, 347, 548}, {32, 534, 341, 548}, "ストーリーモードの文章速度を指定します。", 285, 550, false},
    {{438, 120, 765, 138}, {368, 113, 763, 142}, "背景音楽(BGM)の音量を指定します。", 500, 140, false},
    {{438, 178, 765, 196}, {368, 161, 763, 193}, "効果音(SE)の音量を指定します。", 500, 197, false},
    {{438, 235, 765, 253}, {368, 218, 763, 247}, "ボイス(CV)の音量を指定します。", 500, 250, false},
    {{438, 293, 765, 311}, {368, 278, 763, 307}, "無線(CV)の音量を指定します。", 500, 310, false},
    {}, {}, {}, {}, {}, {}, {},
    {{431, 443, 631, 468}, {430, 440, 630, 472}, "戦闘中のイベントのON/OFFを指定します。", 480, 465, false},
    {{440, 512, 582, 531}, {440, 513, 585, 533}, "音量の微調節ができる再生方法です。", 445, 542, false},
    {{590, 512, 690, 531}, {590, 513, 735, 533}, "処理負荷が少ない再生方法です。", 580, 542, true},
    {{0, 0, 0, 0}, {684, 535, 774, 580}, "前の画面に戻ります。", 688, 570, true},
};

constexpr int kFirstToggleRow = 10;
constexpr int kToggleCount = 7;
constexpr int kSliderRows[] = {6, 7, 8, 9};
constexpr int kSliderY[] = {120, 178, 235, 293};
// The characters' on and off samples, characters 0 to 5.
constexpr int kVoiceOnSamples[6] = {35, 29, 59, 53, 47, 41};
constexpr int kVoiceOffSamples[6] = {34, 28, 58, 52, 46, 40};

Box voiceToggleBox(int k) {
  const int c = k % 4, r = k / 4;
  return {394 + 90 * c, 355 + 30 * r, 474 + 90 * c, 383 + 30 * r};
}

SettingsRow rowOf(int row) {
  if (row >= kFirstToggleRow && row < kFirstToggleRow + kToggleCount) {
    const int k = row - kFirstToggleRow;
    const int c = k % 4, r = k / 4;
    return {{395 + 90 * c, 360 + 30 * r, 480 + 90 * c, 390 + 30 * r}, voiceToggleBox(k), kVoiceHelp, 480, 414, false};
  }
  return kRows[row - 1];
}

// The value behind a slider row (5 text speed, 6 to 9 the volumes).
int32_t& sliderValue(int row) {
  switch (row) {
    case 5: return Session().settings.textSpeed;
    case 6: return Session().settings.bgmVolume;
    case 7: return Session().settings.seVolume;
    case 8: return Session().settings.voiceVolume;
    default: return Session().settings.radioVolume;
  }
}

// Slider numbers of sliderAdjusting: 1 to 4 the volume rows 6 to 9, 5 the text speed row.
int sliderRow(int slider) { return slider == 5 ? 5 : slider + 5; }

bool playing(int id) {
  const int h = soundOf(id);
  return h != 0 && h != -1 && veziv::IsSoundHandlePlaying(h) == 1;
}

void switchScreenMode(bool toWindow) {
  if (Session().windowedMode == toWindow) {
    Session().frame.noticeQueue.push_back(
        {toWindow ? "すでにウィンドウモードです。" : "すでにフルスクリーンモードです。", "OK"});
    return;
  }
  saveConfig();
  updateInput(Session().playerInputs[0], 1);
  updateMouseButtons(Session().playerInputs[0]);
  veziv::SwitchWindowedMode(toWindow ? 1 : 0);
  Session().windowedMode = toWindow;
  reloadAfterScreenChange();
}

// A sound restart took every sound with it: the game's handle caches are
// cleared without deleting, as their numbers may name new sounds by now.
void forgetSoundHandles() {
  std::fill(std::begin(Session().registry.sounds), std::end(Session().registry.sounds), 0);
  if (battle::battleStage* stage = battle::currentStage()) battle::reloadRadioVoicesAfterSoundRestart(*stage);
  Session().storyMode().forgetVoices();
}

void deleteSound(int id) {
  const int h = Session().registry.sounds[id];
  if (h != 0 && h != -1) veziv::DeleteSoundHandle(h, 0);
  Session().registry.sounds[id] = 0;
}

// Takes the mouse x into the slider whose area the mouse is in.
void dragSlider() {
  for (int row = 5; row <= 9; ++row) {
    if (!rowOf(row).mouse.holds(Session().frame.mouseX, Session().frame.mouseY)) continue;
    int32_t value = 0;
    const bool reached =
        row == 5 ? textSpeedAtMouse(Session().frame.mouseX, value) : volumeAtMouse(Session().frame.mouseX, value);
    if (reached) sliderValue(row) = value;
  }
}

// The row under the mouse, passing over the voice switches: those are
// hit by their own boxes (voiceToggleAt), not by their rows.
int mouseRow() {
  for (int row = 1; row <= kSettingsRows; ++row) {
    if (row >= kFirstToggleRow && row < kFirstToggleRow + kToggleCount) continue;
    if (rowOf(row).mouse.holds(Session().frame.mouseX, Session().frame.mouseY)) return row;
  }
  return 0;
}

}  // namespace

int settingsRowAt(int x, int y) {
  for (int row = 1; row <= kSettingsRows; ++row) {
    if (rowOf(row).mouse.holds(x, y)) return row;
  }
  return 0;
}

int voiceToggleAt(int x, int y) {
  for (int k = 0; k < kToggleCount; ++k) {
    if (voiceToggleBox(k).holds(x, y)) return k;
  }
  return -1;
}

int settingsSideStep(int row, bool right) {
  switch (row) {
    case 1: return 7;
    case 2: return 8;
    case 3: return right ? 10 : 3;
    case 4: return right ? 14 : 16;
    case 5: return right ? 18 : 20;
    case 6: return 1;
    case 7:
    case 8:
    case 9: return row - 6;
    case 10: return right ? 11 : 3;
    case 11:
    case 12:
    case 15: return right ? row + 1 : row - 1;
    case 13: return right ? 4 : 12;
    case 14: return right ? 15 : 4;
    case 16: return right ? 4 : 15;
    case 17: return 4;
    case 18: return right ? 19 : 5;
    case 19: return right ? 20 : 18;
    case 20: return right ? 5 : 19;
    default: return row;
  }
}

int settingsVerticalStep(int row, bool up, bool down) {
  if (row >= kFirstToggleRow && row < kFirstToggleRow + kToggleCount) {
    if (up) return row <= 12 ? 9 : row - 3;
    if (down) return row < 14 ? row + 3 : row == 14 ? 16 : 17;
    return row;
  }
  if (up && row == 5) return 20;
  if (down && row == 6) return 1;
  if (down && row == 1) return 6;
  if (down && row == 19) return 20;
  return row;
}

bool sliderStepDue(int32_t hold) { return hold == 1 || (hold > 30 && hold % 10 == 1); }

int32_t stepSliderValue(int32_t value, int direction, bool textSpeed) {
  const int32_t next = value + 10 * direction;
  return textSpeed ? std::clamp(next, kMinTextSpeed, kMaxTextSpeed) : std::clamp(next, 0, 100);
}

bool volumeAtMouse(int x, int32_t& volume) {
  if (x < 440 || x > 780) return false;
  volume = std::clamp((x - 445) * 100 / 310, 0, 100);
  return true;
}

bool textSpeedAtMouse(int x, int32_t& speed) {
  if (x < 30 || x > 340) return false;
  speed = std::clamp((x - 30) / 2 + 10, kMinTextSpeed, kMaxTextSpeed);
  return true;
}

void editVoiceList(std::list<int32_t>& list, int k, bool on, bool storyCleared) {
  if (k < 6) {
    if (on) {
      list.push_back(k);
    } else {
      list.remove(k);
    }
    return;
  }
  if (!on) {
    list.remove_if([](int32_t c) { return c >= 6; });
    return;
  }
  list.push_back(6);
  if (storyCleared) {
    list.push_back(7);
    list.push_back(8);
  }
}

void toggleCharacterVoice(int k) {
  if (k < 0 || k >= kToggleCount) return;
  uint8_t& enabled = Session().settings.voiceEnabled[k];
  enabled = enabled != 0 ? 0 : 1;
  for (int c = 0; c < 6; ++c) {
    for (int id : {kVoiceOnSamples[c], kVoiceOffSamples[c]}) {
      if (playing(id)) veziv::StopSoundHandle(soundOf(id));
    }
  }
  editVoiceList(Session().registry.voiceList, k, enabled != 0, Session().settings.storyCleared != 0);
  if (k == 6) return;
  applyAllVolumes();
  playMenuSound(enabled != 0 ? kVoiceOnSamples[k] : kVoiceOffSamples[k]);
}

void changeMidiMode(int mode) {
  if (Session().settings.midiMode == mode) return;
  veziv::ChooseBlendMode(1, 100);
  veziv::DrawBoxFilled(0, 0, 800, 600, Session().colourGrey);
  veziv::ChooseBlendMode(0, 0);
  presentBanner("MIDIを再生しなおしています。しばらくお待ちください。");
  const bool titleMusic = playing(kSoundTitleMusic);
  const bool jet = playing(kSoundJet);
  stopAllSounds();
  veziv::StopCurrentMusic();
  Session().settings.midiMode = static_cast<uint8_t>(mode);
  veziv::SetSoundInitMode(mode);
  forgetSoundHandles();
  replayMidiWithNotice();
  reloadSoundById();
  for (int id = 25; id <= 84; ++id) deleteSound(id);
  deleteSound(kSoundTitleMusic);
  deleteSound(kSoundJet);
  const int32_t back = getReturnMode(kModeSettings);
  if (back == kModeGameMenu) {
    loadModeResources(kModeBattle, false);
  } else if (back == kModeStory) {
    loadModeResources(kModeStory, true);
    Session().storyMode().reloadVoices();
  } else {
    loadModeResources(kModeTitle, true);
  }
  ensureSoundLoaded(kSoundJet);
  veziv::SetSoundHandleLoopPointMs(1000, soundOf(kSoundJet));
  applyAllVolumes();
  if (titleMusic) {
    ensureSoundLoaded(kSoundTitleMusic);
    veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), veziv::SoundPlayLoop, 1);
  }
  if (jet) veziv::PlaySoundHandle(soundOf(kSoundJet), veziv::SoundPlayLoop, 1);
}

void SettingsScreen::draw() const {
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImageSettingsBackground), 0);
  const SettingsRow row = rowOf(Session().menuCursor);
  if (Session().menuCursor != 20) {
    const bool yellow = Session().menuCursor >= 5 && Session().menuCursor <= 9 &&
                        (sliderAdjusting_ != kNotAdjusting || sliderDragging_);
    veziv::ChooseBlendMode(1, 100);
    veziv::DrawBoxFilled(row.highlight.x1, row.highlight.y1, row.highlight.x2, row.highlight.y2,
                         yellow ? veziv::PackColorForScreen(255, 255, 0) : Session().colourRed);
    veziv::ChooseBlendMode(0, 0);
  }
  const int32_t speed = Session().settings.textSpeed;
  if (speed == kMaxTextSpeed) {
    veziv::DrawTextDefaultFont(35, 556, "待ち時間なし", Session().colourWhite, 0);
  } else {
    veziv::DrawFormattedTextDefaultFont(35, 556, Session().colourWhite, "%d 文字/秒", speed);
  }
  veziv::RenderGraphAtPoint(2 * speed + 3, 533, graphOf(kImageSettingsKnob), 1);
  for (int i = 0; i < 4; ++i) {
    const int32_t v = sliderValue(kSliderRows[i]);
    veziv::RenderGraphAtPoint(440 + 3 * v, kSliderY[i], graphOf(kImageSettingsKnob), 1);
    veziv::DrawFormattedTextDefaultFont(740, kSliderY[i] + 15, Session().colourWhite, "%d％", v);
  }
  const bool direct = Session().settings.midiMode != 0;
  veziv::DrawTextDefaultFont(440, 510, "DirectMusic", direct ? Session().colourWhite : Session().colourGrey, 0);
  veziv::DrawTextDefaultFont(590, 510, "MCI", direct ? Session().colourGrey : Session().colourWhite, 0);
  if (direct) {
    veziv::DrawTextWithFont(440, 532, "(MIDI音量調整可)", Session().colourBlack, Session().registry.gameFont, 0, 0);
  } else {
    veziv::DrawTextWithFont(440, 532, "(MIDI音量調整不可、高速)", Session().colourBlack, Session().registry.gameFont,
                            0, 0);
    veziv::DrawTextWithFont(358, 83, "(MIDI再生モードがMCIなので、MIDI音楽の音量調節はできません。)",
                            Session().colourRed, Session().registry.gameFont, 0, 0);
  }
  if (Session().menuCursor == 20) {
    veziv::RenderGraphAtPoint(685, 535, graphOf(kImageBackPushed), 1);
  } else {
    veziv::RenderGraphAtPoint(684, 535, graphOf(kImageBack), 1);
  }
  for (int k = 0; k < kToggleCount; ++k) {
    const Box b = voiceToggleBox(k);
    veziv::RenderGraphAtPoint(b.x1, b.y1, sheetPiece(namePlateSheet, k), 1);
    if (Session().settings.voiceEnabled[k] != 0)
      veziv::RenderGraphAtPoint(b.x1 + 66, b.y1 + 7, graphOf(kImageSettingsCheck), 1);
  }
  if (Session().settings.battleEventsOn != 0) veziv::RenderGraphAtPoint(613, 446, graphOf(kImageSettingsCheck), 1);
  if (!sliderDragging_) drawHelpBalloon(row.helpX, row.helpY, row.help, row.helpToLeft);
}

// The left and right keys on the adjusted slider; shot ends the adjusting.
void SettingsScreen::adjustSlider(inputRecord& p1) {
  const bool left = sliderStepDue(p1.hold[kActionLeft]);
  const bool right = sliderStepDue(p1.hold[kActionRight]);
  if (left || right) {
    int32_t& value = sliderValue(sliderRow(sliderAdjusting_));
    value = stepSliderValue(value, right ? 1 : -1, sliderAdjusting_ == 5);
    if (sliderAdjusting_ != 5) applyAllVolumes();
    playMenuSound(kSoundCursor);
  }
  if (p1.hold[kActionShot] == 1) {
    playMenuSound(kSoundDecide);
    sliderAdjusting_ = kNotAdjusting;
    updateInput(p1, 1);
  }
}

void SettingsScreen::navigate(const inputRecord& p1) {
  const int32_t before = Session().menuCursor;
  moveMenuCursor(p1, kSettingsRows);
  if (Session().menuCursor != before)
    Session().menuCursor =
        settingsVerticalStep(Session().menuCursor, p1.hold[kActionUp] == 1, p1.hold[kActionDown] == 1);
  const bool right = p1.hold[kActionRight] == 1;
  if (right || p1.hold[kActionLeft] == 1) {
    Session().menuCursor = settingsSideStep(Session().menuCursor, right);
    playMenuSound(kSoundCursor);
  }
}

void SettingsScreen::select(int row, bool byMouse) {
  playMenuSound(kSoundDecide);
  switch (row) {
    case 20: backToCaller(); break;
    case 18: changeMidiMode(1); break;
    case 19: changeMidiMode(0); break;
    case 4:
      Session().menuCursor = 22;
      changeMode(kModePadConfig, false);
      sliderAdjusting_ = kNotAdjusting;
      break;
    case 3:
      Session().menuCursor = 21;
      changeMode(kModeKeyConfig, false);
      break;
    case 5:
      if (!byMouse) {
        sliderAdjusting_ = 5;
      } else {
        int32_t speed = 0;
        if (textSpeedAtMouse(Session().frame.mouseX, speed)) Session().settings.textSpeed = speed;
      }
      break;
    case 6:
    case 7:
    case 8:
    case 9:
      if (!byMouse) sliderAdjusting_ = row - 5;
      break;
    case 17: Session().settings.battleEventsOn = Session().settings.battleEventsOn != 0 ? 0 : 1; break;
    case 1: switchScreenMode(false); break;
    case 2: switchScreenMode(true); break;
    default:
      if (row >= kFirstToggleRow && row < kFirstToggleRow + kToggleCount) toggleCharacterVoice(row - kFirstToggleRow);
      break;
  }
}

void SettingsScreen::backToCaller() {
  Session().menuCursor = 1;
  changeMode(getReturnMode(kModeSettings), false);
  sliderAdjusting_ = kNotAdjusting;
  sliderDragging_ = false;
  saveConfig();
}

bool SettingsScreen::frame() {
  update();
  if (Session().frame.gameMode == kModeSettings) draw();
  return false;
}

void SettingsScreen::update() {
  GameSession& s = Session();
  inputRecord& p1 = s.playerInputs[0];
  updateMouseButtons(p1);
  const int toggle = voiceToggleAt(s.frame.mouseX, s.frame.mouseY);
  if (toggle >= 0) {
    followMouse(kFirstToggleRow + toggle);
    if (p1.hold[kActionMouseLeft] == 1) {
      s.menuCursor = kFirstToggleRow + toggle;
      toggleCharacterVoice(toggle);
      playMenuSound(kSoundDecide);
    }
  }
  if (!sliderDragging_) stepHelpBalloon();
  if (sliderAdjusting_ != kNotAdjusting) {
    adjustSlider(p1);
  } else {
    navigate(p1);
  }
  const int under = mouseRow();
  followMouse(under);
  if (under >= 5 && under <= 9 && p1.hold[kActionMouseLeft] == 1) sliderDragging_ = true;
  if (sliderDragging_) {
    dragSlider();
    if (p1.hold[kActionMouseLeft] == 0) {
      applyAllVolumes();
      sliderDragging_ = false;
    }
  }
  if (p1.hold[kActionPause] == 1 || p1.hold[kActionMouseRight] == 1) {
    playMenuSound(kSoundCancel);
    draw();
    backToCaller();
    return;
  }
  const int clicked = clickedRow(under);
  if (p1.hold[kActionShot] % 20 == 1 || clicked != 0) {
    // A change of mode, screen or sound system starts over the screen as it stands.
    draw();
    if (p1.hold[kActionShot] % 20 == 1) {
      select(s.menuCursor, false);
    } else {
      select(clicked, true);
    }
  }
  isMouseMoved();
}

}  // namespace game
