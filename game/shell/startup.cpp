// The program's start-up and shutdown.
#include "game/shell/startup.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "game/battle/battle_frame.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/core/catalogue.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/key_files.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/slot_files.h"
#include "game/core/unlocks.h"
#include "game/core/widgets.h"
#include "game/shell/screens.h"
#include "library/veziv.h"
#include "platform/window/message_box.h"

namespace game {

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kProgramIcon = 101;
constexpr const char* kWantedNames[] = {"save", "stages", "story", "voice", "image", "audio"};

void setColours() {
  Session().colourWhite = veziv::PackColorForScreen(255, 255, 255);
  Session().colourGrey = veziv::PackColorForScreen(155, 155, 155);
  Session().colourBlack = veziv::PackColorForScreen(0, 0, 0);
  Session().colourRed = veziv::PackColorForScreen(255, 0, 0);
}

void setDefaultFont() {
  veziv::SetDefaultFontType(veziv::FontTypeAntialiasEdge);
  veziv::SetDefaultFontFace("ＭＳ 明朝", -1);
  veziv::SetDefaultFontSize(20);
  veziv::SetDefaultFontThickness(9);
}

bool pump() { return veziv::PumpMessages() == 0; }

// A start-up failure after the library started still ends it, so that the
// log is closed and the leak dump written.
int failAfterStart() {
  veziv::EndLibrary();
  return -1;
}

}  // namespace

DataFolderCheck checkDataFolderNames(const std::vector<std::string>& entries) {
  std::vector<std::string> kept;
  for (const std::string& e : entries) {
    if (e == "." || e == "..") continue;
    kept.push_back(e.substr(0, e.find('.')));
  }
  DataFolderCheck check;
  for (const char* wanted : kWantedNames) {
    bool found = false;
    for (auto it = kept.begin(); it != kept.end(); ++it) {
      if (*it == wanted) {
        kept.erase(it);
        found = true;
        break;
      }
    }
    if (found) continue;
    if (std::string(wanted) == "save") {
      check.saveMissing = true;
      continue;
    }
    check.missing = wanted;
    break;
  }
  return check;
}

std::string missingDataText(const std::string& name) {
  return name + ".dat が見つかりません。\nゲームを再インストールしてください。";
}

bool checkDataFolders() {
  std::vector<std::string> entries;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(".", ec)) {
    entries.push_back(entry.path().filename().string());
  }
  const DataFolderCheck check = checkDataFolderNames(entries);
  if (check.saveMissing) ::mkdir("save", 0777);
  if (check.missing.empty()) return true;
  platform::window::ShowMessageBox("ファイルエラー", missingDataText(check.missing).c_str(),
                                   platform::window::MessageBoxKind::kOk);
  return false;
}

CautionRow cautionRow(int row, int percent, int stage) {
  CautionRow r;
  if (stage < 1 || stage > 3) return r;
  if (row < stage) {
    r.kind = CautionRow::kDone;
    r.barRight = 700;
  } else if (row == stage) {
    r.kind = CautionRow::kPercent;
    r.barRight = 400 + 3 * percent;
  } else {
    r.kind = CautionRow::kZero;
  }
  return r;
}

void showCaution(int percent, int stage) {
  veziv::PumpMessages();
  veziv::ClearDrawTarget();
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImageCaution), 1);
  veziv::ChooseBlendMode(1, 120);
  veziv::DrawBoxShape(10, 160, 790, 450, Session().colourWhite, 1);
  veziv::ChooseBlendMode(0, 0);
  const struct {
    int x, y;
    const char* text;
  } kTexts[] = {
      {350, 180, "-ご注意-"},
      {260, 220, "本作品はフィクションです。"},
      {200, 260, "登場する人物名,団体名,地名,作品名等は、"},
      {70, 300, "すべて架空のものであり、実在するものとは一切関係ありません。"},
      {110, 340, "本作品のご使用により生じる如何なる事態,損害等には"},
      {120, 380, "対応,対処できません。すべて自己責任でお願いします。"},
      {60, 50, "■Image..."},
      {60, 80, "■Sound..."},
      {60, 110, "■Initializing..."},
      {400, 30, "0"},
      {550, 30, "50"},
      {700, 30, "100"},
  };
  for (const auto& t : kTexts) veziv::DrawTextDefaultFont(t.x, t.y, t.text, Session().colourWhite, 0);
  showNowLoading("Now Loading...");
  for (int row = 1; row <= 3; ++row) {
    const int y = 20 + 30 * row;
    const CautionRow r = cautionRow(row, percent, stage);
    switch (r.kind) {
      case CautionRow::kNone:
        break;
      case CautionRow::kDone:
        veziv::RenderGraphStretched(400, y, 700, y + 20, graphOf(kImageBar), 1);
        veziv::DrawTextDefaultFont(300, y, "Done!", Session().colourWhite, 0);
        break;
      case CautionRow::kPercent:
        veziv::RenderGraphStretched(400, y, r.barRight, y + 20, graphOf(kImageBar), 1);
        veziv::DrawFormattedTextDefaultFont(300, y, Session().colourWhite, "%d％", percent);
        break;
      case CautionRow::kZero: veziv::DrawTextDefaultFont(300, y, "0％", Session().colourWhite, 0); break;
    }
  }
  veziv::PresentBackBuffer();
  veziv::PumpMessages();
}

int initGame() {
  veziv::SetRunWhileInactive(1);
  veziv::SetGraphicsRestoreCallback(onGraphicsRestored);
  veziv::SetWindowIconFromResource(kProgramIcon);
  if (!checkDataFolders()) return -1;
  // Only a Yes gives full screen; No, a closed box or a box that could not
  // be shown give a window.
  const platform::window::MessageBoxAnswer answer = platform::window::ShowMessageBox(
      "スクリーン設定", "フルスクリーンモードで起動しますか？\n(フルスクリーン推奨)",
      platform::window::MessageBoxKind::kYesNo);
  Session().windowedMode = answer != platform::window::MessageBoxAnswer::kYes;
  veziv::SwitchWindowedMode(Session().windowedMode ? 1 : 0);
  veziv::SetScreenMode(kScreenWidth, kScreenHeight, 32, 60);
  char caption[256];
  veziv::FormatText(caption, sizeof caption, "%s  (ver %s)", kGameTitle, kGameVersion);
  veziv::SetWindowTitle(caption);
  if (veziv::InitLibrary() == -1) return -1;
  if (veziv::SelectDrawTarget(veziv::kTargetBackScreen) != 0) return failAfterStart();
  veziv::DrawBoxShape(0, 0, kScreenWidth, kScreenHeight, veziv::PackColorForScreen(0, 0, 0), 1);
  setDefaultFont();
  Session().colourWhite = veziv::PackColorForScreen(255, 255, 255);
  veziv::DrawTextDefaultFont(0, 570, "Initializing...", Session().colourWhite, 0);
  veziv::PresentBackBuffer();
  veziv::EnableArchiveReading(1);
  veziv::SetArchiveFileExtension("dat");
  veziv::SetArchiveKeyText(kArchiveKey);
  veziv::ReadMousePosition(&Session().frame.mouseX, &Session().frame.mouseY);
  veziv::SetCursorVisibility(1);
  Session().frame.hoverNeedsMove = true;
  veziv::SetWindowTitle(kGameTitle);
  if (!pump()) return failAfterStart();
  if (!initGameData()) return failAfterStart();
  veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), veziv::SoundPlayLoop, 1);
  if (!Session().registry.voiceList.empty()) {
    auto it = Session().registry.voiceList.begin();
    std::advance(it, veziv::RandomUpTo(static_cast<int>(Session().registry.voiceList.size()) - 1));
    const int id = voiceIdFor(greetingVoiceIds, *it);
    if (id >= 0) {
      ensureSoundLoaded(id);
      veziv::PlaySoundHandle(soundOf(id), veziv::SoundPlayBack, 1);
    }
  }
  veziv::SetRunWhileInactive(0);
  return 0;
}

bool initGameData() {
  // No locale is set: every text is handled as bytes.
  setColours();
  buildEquipCatalogue();
  Session().frame.backdropCapture = veziv::CreateEmptyGraph(kScreenWidth, kScreenHeight, 0);
  Session().frame.fadeCapture = veziv::CreateEmptyGraph(kScreenWidth, kScreenHeight, 0);
  loadOpenStages();
  // Plain files: everything under save/ is read and written outside the archives.
  readConfigFile(kConfigFile, &Session().settings);
  veziv::SetSoundInitMode(Session().settings.midiMode != 0 ? 1 : 0);
  if (!pump()) return false;
  registerResources();
  if (!pump()) return false;
  showCaution(0, 1);
  loadBattleImages(showCaution);
  if (!pump()) return false;
  showCaution(0, 3);
  showCaution(20, 3);
  setKeyPresetKeypad(Session().playerInputs[1]);
  showCaution(55, 3);
  Session().play.playerCount = 1;
  Session().menuCursor = 1;
  readSlotHeaders();
  showCaution(90, 3);
  Session().playerInputs[0] = resetInputRecord();
  Session().playerInputs[1] = resetInputRecord();
  setKeyPresetKeypad(Session().playerInputs[1]);
  loadKeyConfig(Session().playerInputs[0], kKeyFiles[0]);
  loadKeyConfig(Session().playerInputs[1], kKeyFiles[1]);
  if (!pump()) return false;
  initReturnModeMap();
  Session().play.currentDifficulty = 100;
  showCaution(100, 3);
  veziv::CaptureScreenToGraph(0, 0, kScreenWidth, kScreenHeight, Session().frame.backdropCapture);
  freeGraphById(kImageCaution);
  applyAllVolumes();
  return true;
}

void reloadAfterScreenChange() {
  veziv::SelectDrawTarget(veziv::kTargetBackScreen);
  auto playing = [](int id) {
    const int h = soundOf(id);
    return h != 0 && h != -1 && veziv::IsSoundHandlePlaying(h) == 1;
  };
  const bool titleMusic = playing(kSoundTitleMusic);
  const bool jet = playing(kSoundJet);
  stopAllSounds();
  // The screen-mode change took every graph: the screens' sets are marked
  // not loaded.
  for (int mode : {kModeBattle, kModeStory, kModeTitle, kModeSaveLoad, kModeBattleSetup, kModeSettings}) {
    unloadModeResources(mode);
  }
  // So did the pictures loaded on demand (faces, enemies, the radio's):
  // they load again when next wanted, never through an old number.
  forgetGraphHandles();
  setDefaultFont();
  setColours();
  loadGraphById(kImageCaution);
  loadGraphById(kImageBar);
  showCaution(0, 1);
  unloadModeResources(kModeTitle);
  showCaution(0, 2);
  loadBattleImages(showCaution);
  showCaution(70, 2);
  loadModeResources(kModeSettings, true);
  loadModeResources(getReturnMode(kModeSettings), true);
  readSlotHeaders();
  showCaution(100, 2);
  showCaution(0, 3);
  showCaution(20, 3);
  showCaution(55, 3);
  Session().menuCursor = 1;
  showCaution(90, 3);
  showCaution(100, 3);
  if (titleMusic) veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), veziv::SoundPlayLoop, 1);
  if (jet) veziv::PlaySoundHandle(soundOf(kSoundJet), veziv::SoundPlayLoop, 1);
  veziv::SetCursorVisibility(1);
  Session().frame.backdropCapture = veziv::CreateEmptyGraph(kScreenWidth, kScreenHeight, 0);
  Session().frame.fadeCapture = veziv::CreateEmptyGraph(kScreenWidth, kScreenHeight, 0);
  if (getReturnMode(kModeSettings) == kModeGameMenu) {
    // A battle stands behind the settings: its set, its stage's pictures,
    // then one frame of it under the pause menu.
    loadModeResources(kModeBattle, false);
    battle::reloadStageGraphics();
    onGraphicsRestored();
  }
  if (getReturnMode(kModeSettings) == kModeStory) Session().storyMode().reloadGraphs();
  freeGraphById(kImageCaution);
}

void onGraphicsRestored() {
  const bool battleBehind =
      (Session().frame.gameMode == kModeSettings && getReturnMode(kModeSettings) == kModeGameMenu) ||
      Session().frame.gameMode == kModeGameMenu;
  if (!battleBehind) return;
  Session().frame.drawThisFrame = true;
  if (Screen* battle = screenOf(kModeBattle)) battle->frame();
  veziv::CaptureScreenToGraph(0, 0, kScreenWidth, kScreenHeight, Session().frame.backdropCapture);
  veziv::ClearDrawTarget();
  Session().frame.drawThisFrame = false;
}

void exitGame() {
  veziv::SetRunWhileInactive(1);
  if (pump()) {
    int voice = -1;
    if (!Session().registry.voiceList.empty() && Session().settings.voiceVolume != 0) {
      auto it = Session().registry.voiceList.begin();
      std::advance(it, veziv::RandomUpTo(static_cast<int>(Session().registry.voiceList.size()) - 1));
      const int id = voiceIdFor(exitVoiceIds, *it);
      if (id >= 0) {
        ensureSoundLoaded(id);
        voice = soundOf(id);
        veziv::PlaySoundHandle(voice, veziv::SoundPlayBack, 1);
      }
    }
    runExitVeil(
        [voice] {
          return veziv::IsSoundHandlePlaying(soundOf(kSoundDecide)) == 1 ||
                 (voice != -1 && veziv::IsSoundHandlePlaying(voice) == 1);
        },
        pump,
        [] {
          veziv::ChooseBlendMode(1, 10);
          veziv::DrawBoxShape(0, 0, kScreenWidth, kScreenHeight, Session().colourBlack, 1);
          veziv::ChooseBlendMode(0, 0);
          veziv::DrawTextDefaultFont(355, 280, "終了中", Session().colourWhite, 0);
          veziv::PresentBackBuffer();
        });
  }
  battle::destroyStage();
  Session().storyMode().releaseResources();
  veziv::StopCurrentMusic();
  veziv::DeleteSoundHandleAll(0);
  veziv::FreeAllGraphHandles(0);
  veziv::EndLibrary();
}

void installGame(GameSession& session, ShellScreens& screens, StoryModeHooks& story) {
  Screen** table = session.screens;
  table[kModeTitle] = &screens.title;
  table[kModeBattle] = &screens.battle;
  table[kModeBattleResult] = &screens.battleResult;
  table[kModeSettings] = &screens.settings;
  table[kModeShop] = &screens.shop;
  table[kModePadConfig] = &screens.padConfig;
  table[kModeGameMenu] = &screens.pause;
  table[kModeEquipment] = &screens.equipment;
  table[kModePlayerSelect] = &screens.playerSelect;
  table[kModeKeyConfig] = &screens.keyConfig;
  table[kModeStory] = &story;
  table[kModeBattleSetup] = &screens.battleSetup;
  table[kModeSaveLoad] = &screens.saveLoad;
  session.story = &story;
  battle::World().hooks = &screens.battleHooks;
  battle::installShellHooks(&screens.shellHooks);
  battle::installPlayers();
}

int runGame(GameSession& session) {
  const SessionScope scope(session);
  if (initGame() == -1) return -1;
  updateInput(Session().playerInputs[0], 1);
  if (veziv::PumpMessages() == 0) {
    for (;;) {
      paceFrame();
      if (dispatchMode()) break;
      drawOverlay();
      if (veziv::PumpMessages() != 0) break;
    }
  }
  exitGame();
  return 0;
}

}  // namespace game
