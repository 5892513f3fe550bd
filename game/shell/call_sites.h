// The shell's calls into screens and services that later parts of the game
// fill: the catalogues, unlocked stages, save slots and key files, the mode
// sets of the other screens, the menu widgets, the battle and the story.
// Until a part lands, its call does only what the shell can stand on
// honestly: nothing, or a way back to the title. Never a pretended success.
#pragma once

#include "game/shell/catalogue.h"
#include "game/shell/input.h"
#include "game/shell/records.h"
#include "game/shell/slot_files.h"

#include <string>
#include <vector>

namespace game {

// Start-up's loads of later parts: the catalogue (catalogue.h) and the
// slot headers (slot_files.h).

// The mode sets of the screens that a screen-mode change frees and reloads.
void releaseScreenSets();
void reloadSettingsScreenSets();
void reloadBattleGraphics();
void reloadStoryGraphs();
// The mode sets that the battle end screen frees, and the title's set
// loaded under the "Now Loading..." banner.
void releaseBattleSets();

// The battle and the story at the exit.
void runBattleFrame();
void releaseBattleStage();
void releaseStoryResources();
// The story's voices follow the voice volume.
void applyStoryVoiceVolume();

// The screens, one a mode: true asks the loop to end.
bool titleMenuStep();
bool battleStep();
bool battleResultStep();
bool settingsStep();
bool shopStep();
bool padConfigStep();
bool pauseMenuStep();
bool equipmentStep();
bool playerSelectStep();
bool keyConfigStep();
bool storyStep();
bool battleSetupStep();
// The battle set-up screen's choices as a new battle-mode game starts:
// no partners, the first stage, the partners the story has opened.
void resetBattleSetupChoices();
bool saveLoadStep();

}  // namespace game
