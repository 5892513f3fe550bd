// The game's session: everything a run of the game keeps between frames
// outside the screens' own states and the battle's world. The program's
// entry owns it and installs it for the run; tests install their own.
#pragma once

#include <cstdint>

#include "game/core/catalogue.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/ranking.h"
#include "game/core/records.h"
#include "game/core/resources.h"
#include "game/core/screen.h"
#include "game/core/settings.h"
#include "game/core/slot_files.h"
#include "game/core/story_mode_hooks.h"
#include "game/core/unlocks.h"
#include "game/core/widgets.h"

namespace game {

struct GameSession {
  // The frame loop: the mode, Back targets, pacing, the fade, captures,
  // notices and the mouse.
  FrameState frame;
  // The mode table: each game mode's screen, null for a mode without one.
  Screen* screens[kModeCount] = {};
  // The story, reached through its one interface; null until installed.
  StoryModeHooks* story = nullptr;
  // Both players' input records.
  inputRecord playerInputs[2] = {resetInputRecord(), resetInputRecord()};
  resourceRegistryRecord registry;
  settingsRecordData settings;
  // The four colours made at start-up, packed for the screen.
  uint32_t colourWhite = 0;
  uint32_t colourGrey = 0;
  uint32_t colourBlack = 0;
  uint32_t colourRed = 0;
  bool windowedMode = true;
  // The 1-based row the menu screens share.
  int32_t menuCursor = 1;
  titleSkyRecord titleSky;
  helpBalloonRecord helpBalloon;
  PlayState play;
  slotTableRecord slotTable;
  EquipCatalogues catalogue;
  // Stage 0 is the tutorial; non-zero = open. All 0 until read.
  uint8_t openStages[kStageCount] = {};
  MusicState music;
  RankingState ranking;

  // The story, or one that does nothing while none is installed.
  StoryModeHooks& storyMode() { return story != nullptr ? *story : noStory_; }

 private:
  NoStory noStory_;
};

// The installed session. Only one is installed at a time.
GameSession& Session();

// Installs a session for its lifetime (the program's run, a test) and puts
// the one it replaced back at its end.
class SessionScope {
 public:
  explicit SessionScope(GameSession& session);
  ~SessionScope();
  SessionScope(const SessionScope&) = delete;
  SessionScope& operator=(const SessionScope&) = delete;

 private:
  GameSession* previous_;
};

}  // namespace game
