// The story mode's frame: the story's keys and mouse turned into the
// window's actions (next, hide, skip, log) and the story menu's items.
#include <filesystem>

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/save_question.h"
#include "game/core/session.h"
#include "game/core/slot_files.h"
#include "game/core/widgets.h"
#include "game/story/story_screen.h"
#include "library/veziv.h"

namespace game::story {

namespace {

constexpr int kSaveLoadImages[] = {15, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 85};
constexpr int kStoryImages[] = {35, 36, 81, 82, 83, 86, 87, 260, 221};

void toSaveLoadScreen(bool save) {
  playStorySound(kSoundDecide);
  if (save) {
    playRandomMenuVoice();
  } else {
    playRandomStartVoice();
  }
  veziv::CaptureScreenToGraph(0, 0, 800, 600, Session().frame.backdropCapture);
  Session().frame.returnModeMap[kModeSaveLoad] = kModeStory;
  showNowLoading("Now Loading...");
  veziv::PresentBackBuffer();
  for (int id : kSaveLoadImages) {
    if (!isGraphLoaded(id)) loadGraphById(id);
  }
  State().scene.logOffset = 0;
  changeMode(kModeSaveLoad, false);
}

void backToTitle() {
  playStorySound(kSoundDecide);
  if (!showYesNoBox("タイトルに戻ります。", "よろしいですか？")) return;
  for (int id : kStoryImages) {
    if (isGraphLoaded(id)) freeGraphById(id);
  }
  loadModeResources(kModeTitle, true);
  releaseStoryResources();
  stopAllSounds();
  stopMusic();
  veziv::StopFileSoundPlayer();
  ensureSoundLoaded(kSoundTitleMusic);
  veziv::PlaySoundHandle(soundOf(kSoundTitleMusic), veziv::SoundPlayLoop, 1);
  changeMode(kModeTitle, false);
}

// The back input: the first of the cascade that applies.
void goBack() {
  auto& s = State().scene;
  if (s.windowHidden != 0) {
    s.windowHidden = 0;
    playStorySound(kSoundCancel);
  } else if (s.sideBarLocked != 0) {
    s.sideBarLocked = 0;
    playStorySound(kSoundCancel);
  } else if (s.skipMode != 0) {
    s.skipMode = 0;
    playStorySound(kSoundCancel);
  } else if (s.logOffset != 0) {
    s.logOffset = 0;
    playStorySound(kSoundCancel);
  } else if (s.sideBarPos == 100) {
    s.menuHoldMs = 0;
    s.sideBarPos = 0;
    playStorySound(kSoundDecide);
  } else {
    playStorySound(kSoundDecide);
    s.menuHoldMs = 1500;
  }
}

}  // namespace

void playStorySound(int soundId) { Hooks().playSound(soundId); }

void runStoryMenuAction() {
  auto& s = State().scene;
  switch (Session().menuCursor) {
    case 1:
      toSaveLoadScreen(true);
      break;
    case 2:
      toSaveLoadScreen(false);
      break;
    case 3:
      playStorySound(kSoundDecide);
      Session().frame.returnModeMap[kModeSettings] = kModeStory;
      loadModeResources(kModeSettings, true);
      changeMode(kModeSettings, false);
      break;
    case 4:
      if (s.logOffset != 0) {
        s.logOffset = 0;
        playStorySound(kSoundDecide);
      } else {
        Session().menuCursor = 3;
        playStorySound(scrollLogBack(1) ? kSoundDecide : kSoundCancel);
      }
      break;
    case 5:
      backToTitle();
      break;
    case 7:
      playStorySound(kSoundDecide);
      s.sideBarLocked = s.sideBarLocked != 0 ? 0 : 1;
      break;
    case 8:
      if (Session().slotTable.present[kQuickSlot] == 0) {
        playStorySound(kSoundCancel);
        break;
      }
      releaseStoryResources();
      stopAllSounds();
      stopPageVoices();
      veziv::StopCurrentMusic();
      veziv::StopFileSoundPlayer();
      playStorySound(kSoundDecide);
      loadGameFromMenu(kQuickSlot);
      break;
    case 9:
      playStorySound(kSoundDecide);
      veziv::CaptureScreenToGraph(0, 0, 800, 600, Session().frame.backdropCapture);
      Session().frame.returnModeMap[kModeSaveLoad] = kModeStory;
      runSaveScreen(kQuickSlot);
      break;
    case 10:
      playStorySound(kSoundDecide);
      toggleMessageWindow();
      break;
    case 11:
      if (s.choiceState == -1) {
        playStorySound(kSoundDecide);
        s.skipMode = s.skipMode != 0 ? 0 : 1;
      } else {
        playStorySound(kSoundCancel);
      }
      break;
    default:
      break;
  }
}

bool applyStoryInput(const StoryKeys& keys) {
  auto& s = State().scene;
  const int32_t* hold = Session().playerInputs[0].hold;
  if (keys.hide) {
    State().hideKeyHold += 1;
    if (State().hideKeyHold == 1) {
      playStorySound(kSoundDecide);
      s.skipMode = 0;
      s.windowHidden = s.windowHidden != 0 ? 0 : 1;
    }
  } else {
    State().hideKeyHold = 0;
  }

  const int step = hold[kActionUp] == 1 ? -1 : hold[kActionDown] == 1 ? 1 : 0;
  if (step != 0) {
    if (s.windowHidden != 0) {
      playStorySound(kSoundCancel);
    } else if (s.sideBarPos != 0 && s.logOffset == 0) {
      playStorySound(kSoundCursor);
      Session().menuCursor += step;
      s.menuIdleMs = 0;
      if (Session().menuCursor <= 0) Session().menuCursor = 11;
      if (Session().menuCursor > 11) Session().menuCursor = 1;
    }
  }

  if (s.logOffset != 0) {
    if (keys.wheel < 0) {
      advanceStoryText(-keys.wheel);
    } else if (keys.wheel > 0) {
      scrollLogBack(keys.wheel);
    }
  } else if (keys.wheel > 0) {
    scrollLogBack(keys.wheel);
  }

  if (keys.control) {
    s.skipMode = 1;
    State().skipByControl = true;
  } else if (State().skipByControl) {
    s.skipMode = 0;
    State().skipByControl = false;
  }

  if (hold[kActionPause] == 1 || hold[kActionMouseRight] == 1) {
    goBack();
  } else if (hold[kActionShot] == 1 && s.logOffset == 0) {
    if (s.sideBarPos != 0) {
      runStoryMenuAction();
      if (Session().menuCursor == 6) {
        playStorySound(kSoundDecide);
        if (showYesNoBox("終了します。よろしいですか？", "")) return false;
      }
    } else {
      advanceStoryText(1);
    }
  } else if (hold[kActionMouseLeft] == 1 && s.logOffset == 0) {
    if (isMouseOnStoryMenu()) {
      runStoryMenuAction();
      if (Session().menuCursor == 6) {
        playStorySound(kSoundDecide);
        if (showYesNoBox("ゲームを終了します。", "よろしいですか？")) {
          releaseStoryResources();
          return false;
        }
      }
    } else if (s.skipMode != 0) {
      s.skipMode = 0;
      playStorySound(kSoundCancel);
    } else {
      advanceStoryText(1);
    }
  }
  return true;
}

bool updateStoryScene() {
  updateMouseButtons(Session().playerInputs[0]);
  drawStoryScreen();
  StoryKeys keys;
  keys.hide = veziv::IsKeyDown(0x0E) == 1 || veziv::IsKeyDown(0x39) == 1;
  keys.control = veziv::IsKeyDown(0x1D) == 1 || veziv::IsKeyDown(0x9D) == 1;
  keys.wheel = veziv::TakeWheelRotation(1);
  if (!applyStoryInput(keys)) return false;
  if (State().scene.scriptEnded != 0) veziv::PrintfToScreen("ストーリーの終端です。\n");
  readStoryMouse();
  return true;
}

}  // namespace game::story
