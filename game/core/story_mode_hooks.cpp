#include "game/core/story_mode_hooks.h"

#include "game/battle/stage.h"
#include "game/core/frame_loop.h"

namespace game {

bool NoStory::frame() {
  changeMode(kModeTitle, false);
  return false;
}

void NoStory::startInsert() {
  if (battle::battleStage* stage = battle::currentStage()) stage->storyEventActive = 0;
}

}  // namespace game
