// The calls of call_sites.h until their parts land. Each screen that has no
// screen yet goes back to the title on its first call.
#include "game/shell/call_sites.h"

#include "game/battle/battle_frame.h"
#include "game/battle/stage.h"
#include "game/shell/battle_site.h"
#include "game/shell/equipment.h"
#include "game/shell/frame_loop.h"
#include "game/shell/resources.h"
#include "game/shell/shop.h"
#include "game/shell/startup.h"
#include "game/shell/widgets.h"
#include "library/veziv.h"

namespace game {

namespace {

bool backToTitle() {
  changeMode(kModeTitle, false);
  return false;
}

}  // namespace

void readSlotHeaders() {}
// No slot is read yet, so none is present.
std::vector<gameHeader> presentSlotHeaders() { return {}; }

void releaseScreenSets() {}
void reloadSettingsScreenSets() {}
void reloadBattleGraphics() { battle::reloadStageGraphics(); }
void reloadStoryGraphs() {}
void releaseBattleSets() {}

void runBattleFrame() { battleStep(); }
void releaseBattleStage() { battle::destroyStage(); }
void releaseStoryResources() {}
void applyStoryVoiceVolume() {}

bool titleMenuStep() {
  // The title's first form: its sky and the game's name.
  if (!drawThisFrame) return false;
  drawTitleSky();
  const int width = veziv::MeasureTextDefaultFont(kGameTitle, -1, 0);
  veziv::DrawTextDefaultFont((800 - width) / 2, 290, kGameTitle, colourWhite, 0);
  return false;
}

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
bool settingsStep() { return backToTitle(); }
bool shopStep() {
  shopLoop();
  return false;
}
bool padConfigStep() { return backToTitle(); }
bool pauseMenuStep() { return backToTitle(); }
bool equipmentStep() {
  equipScreen();
  return false;
}
bool playerSelectStep() { return backToTitle(); }
bool keyConfigStep() { return backToTitle(); }
bool storyStep() { return backToTitle(); }
bool battleSetupStep() { return backToTitle(); }
bool saveLoadStep() { return backToTitle(); }

}  // namespace game
