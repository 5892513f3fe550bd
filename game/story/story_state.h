// The story's state: the scene with its page list, the picture and speaker
// tables, the replay's bounds, the step's bookkeeping and the story screen's
// memory from frame to frame. The story screen owns it; State() reaches the
// state of the story installed in the session.
#pragma once

#include <climits>
#include <cstdint>
#include <map>
#include <string>

#include "game/story/story_hooks.h"
#include "game/story/story_scene.h"

namespace game::story {

struct StoryState {
  storySceneRecord scene;
  // Picture name to picture; name order is the drawing order.
  std::map<std::string, storyGraph> storyGraphTable;
  // Speaker display name to entry, in byte order of the names.
  std::map<std::string, speakerEntry> speakerTable;
  // While a saved story is replayed no line at or past this index runs
  // (INT32_MAX: no bound).
  int32_t replayLineLimit = INT32_MAX;
  // Where the last replayed "@startBattle" put its events' lines, and how many.
  int32_t replayedEventsAt = 0;
  int32_t replayedEventsCount = 0;
  // The events' lines that replayed "@startBattle" lines may still put into
  // the loaded script: as many as a script holds, so that an events file
  // that starts its own battle again cannot grow the script without end.
  int32_t replayInsertsLeft = kMaxScriptLines;

  // The step runs as a loop: a line that steps on while a line runs only
  // asks for the next step, which runs when that line has returned. Every
  // word steps on as its last act, so the order is that of nested calls,
  // without a stack that grows with the chain.
  int stepDepth = 0;
  int chainLoads = 0;  // scripts loaded by the running chain
  bool stepPending = false;
  bool pendingReplaying = false;

  // The alpha the story screen is drawn at this frame.
  int screenAlpha = 255;
  // The choice cursor (1-based) of the open choice.
  int32_t choiceCursor = 1;
  // The story frame's key memory.
  int32_t hideKeyHold = 0;
  bool skipByControl = false;

  // What the story's words call for hand-overs; null: nothing happens.
  StoryHooks* hooks = nullptr;
  StoryHooks noHooks;
};

// The state of the story installed in the session.
StoryState& State();

}  // namespace game::story
