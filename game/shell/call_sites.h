// The shell's calls into screens and services that later parts of the game
// fill: the catalogues, unlocked stages, save slots and key files, the mode
// sets of the other screens, the menu widgets, the battle and the story.
// Until a part lands, its call does only what the shell can stand on
// honestly: nothing, or a way back to the title. Never a pretended success.
#pragma once

#include "game/shell/input.h"

#include <string>
#include <vector>

namespace game {

// Start-up's loads of later parts.
void buildEquipCatalogue();
void loadOpenStages();
void readSlotHeaders();
// Reads a key file over a record's key codes; a missing file leaves them.
void loadKeyConfig(const char* path, inputRecord& record);

// Widgets.
void drawCursorBar(int y, int width, int brightness);
// A modal box with message lines and a button label; waits for the user.
void showMessageBox(const std::vector<std::string>& lines);
// The name of a player's key for an action ("Z", "ESC", ...).
std::string getActionKeyName(int player, int action);

// The mode sets of the screens that a screen-mode change frees and reloads.
void releaseScreenSets();
void reloadSettingsScreenSets();
void reloadBattleGraphics();
void reloadStoryGraphs();
// The mode sets that the battle end screen frees, and the title's set
// loaded under the "Now Loading..." banner.
void releaseBattleSets();
void loadTitleSetWithBanner();

// The battle and the story at the exit.
void runBattleFrame();
void releaseBattleStage();
void releaseStoryResources();
// Forgets the music name kept for replaying it.
void clearRememberedMusic();
// Plays the remembered music again when it stopped (MIDI mode 0).
void replayMidiWithNotice();
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
bool saveLoadStep();

}  // namespace game
