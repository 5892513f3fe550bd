// The calls of call_sites.h until their parts land. Each screen that has no
// screen yet goes back to the title on its first call.
#include "game/shell/call_sites.h"

#include "game/battle/battle_frame.h"
#include "game/battle/stage.h"
#include "game/shell/battle_menus.h"
#include "game/shell/battle_setup.h"
#include "game/shell/battle_site.h"
#include "game/shell/equipment.h"
#include "game/shell/frame_loop.h"
#include "game/shell/key_config.h"
#include "game/shell/resources.h"
#include "game/shell/save_screen.h"
#include "game/shell/settings_screen.h"
#include "game/shell/slot_files.h"
#include "game/shell/shop.h"
#include "game/shell/startup.h"
#include "game/shell/story_site.h"
#include "game/shell/title_menu.h"
#include "game/shell/widgets.h"
#include "library/veziv.h"

namespace game {

namespace {

bool backToTitle() {
  changeMode(kModeTitle, false);
  return false;
}

}  // namespace


// A screen-mode change took every graph with it: the screens' sets are
// marked not loaded, then the settings screen's set and the set of the
// screen behind it load again.
void releaseScreenSets() {
  for (int mode : {kModeBattle, kModeStory, kModeTitle, kModeSaveLoad, kModeBattleSetup, kModeSettings}) {
    unloadModeResources(mode);
  }
}
void reloadSettingsScreenSets() {
  loadModeResources(kModeSettings, true);
  loadModeResources(getReturnMode(kModeSettings), true);
}
void reloadBattleGraphics() { battle::reloadStageGraphics(); }
void reloadStoryGraphs() {
  if (StorySite* story = storySite()) story->reloadGraphs();
}
void releaseBattleSets() {}

void runBattleFrame() { battleStep(); }
void releaseBattleStage() { battle::destroyStage(); }
void releaseStoryResources() {
  if (StorySite* story = storySite()) story->releaseResources();
}
void applyStoryVoiceVolume() {
  if (StorySite* story = storySite()) story->applyVoiceVolume();
}

bool titleMenuStep() { return !titleMenu(); }

// The battle's frames; without a stage (no battle started) back to the title.
namespace {

bool battleFrame(void (*frame)()) {
  if (battle::currentStage() == nullptr) return backToTitle();
  installBattleSite();
  battle::World().frameCounter = frameCounter;
  battle::World().frameMs = frameDeltaMs;
  battle::World().playerCount = playerCount;
  frame();
  return false;
}

}  // namespace

bool battleStep() { return battleFrame(battle::runBattleFrame); }
bool battleResultStep() { return battleFrame(battle::runBattleResultFrame); }
bool settingsStep() {
  settingsScreen();
  return false;
}
bool shopStep() {
  shopLoop();
  return false;
}
bool padConfigStep() {
  padConfigScreen();
  return false;
}
bool pauseMenuStep() {
  pauseMenu();
  return false;
}
bool equipmentStep() {
  equipScreen();
  return false;
}
bool playerSelectStep() {
  playerCountSelect();
  return false;
}
bool keyConfigStep() {
  keyConfigScreen();
  return false;
}
bool storyStep() {
  StorySite* story = storySite();
  return story != nullptr ? !story->frame() : backToTitle();
}
bool battleSetupStep() { return battleStageSelect(); }
bool saveLoadStep() { return saveLoadScreen(); }

}  // namespace game
