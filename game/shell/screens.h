// The shell's screens, one object a game mode with a screen, and the game's
// side of the battle's hooks. The program's entry owns them for the run.
#pragma once

#include "game/shell/battle_menus.h"
#include "game/shell/battle_setup.h"
#include "game/shell/battle_site.h"
#include "game/shell/equipment.h"
#include "game/shell/key_config.h"
#include "game/shell/save_screen.h"
#include "game/shell/settings_screen.h"
#include "game/shell/shop.h"
#include "game/shell/title_menu.h"

namespace game {

struct GameSession;
class StoryModeHooks;

struct ShellScreens {
  TitleScreen title;
  EquipmentScreen equipment;
  BattleSetupScreen battleSetup{equipment};
  PlayerSelectScreen playerSelect{battleSetup};
  BattleScreen battle;
  BattleResultScreen battleResult;
  PauseScreen pause;
  SettingsScreen settings;
  KeyConfigScreen keyConfig;
  PadConfigScreen padConfig;
  ShopScreen shop;
  SaveLoadScreen saveLoad;
  GameBattleHooks battleHooks;
  GameShellHooks shellHooks{battleResult};
};

// Points the session's mode table at the screens and the story, and the
// battle's world at the game's hooks.
void installGame(GameSession& session, ShellScreens& screens, StoryModeHooks& story);

}  // namespace game
