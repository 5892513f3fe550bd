// The choice and character blocks: moving the script past a marker.
#include <string>

#include "game/story/script_line.h"
#include "game/story/story_scene.h"
#include "game/story/story_state.h"

namespace game::story {

namespace {

// Lines are taken one by one up to the marker word; the line after it runs.
// Passed lines are not run. Without the marker the script runs out.
void skipTo(const std::string& target, bool replaying) {
  auto& lines = State().scene.scriptLines;
  while (State().scene.lineIndex >= 0 && State().scene.lineIndex < static_cast<int32_t>(lines.size())) {
    const std::string& line = lines[static_cast<size_t>(State().scene.lineIndex)];
    State().scene.lineIndex += 1;
    if (commandWord(line) == target) {
      stepScenario(replaying);
      return;
    }
  }
}

}  // namespace

void skipToChoice(int32_t n, bool replaying) {
  // A marker holds at most two digits: an answer beyond 99 has none.
  if (n != -1 && (n < 0 || n > 99)) {
    State().scene.lineIndex = static_cast<int32_t>(State().scene.scriptLines.size());
    return;
  }
  skipTo(n == -1 ? std::string("@choiceEnd") : "@choice" + std::to_string(n), replaying);
}

void skipToChara(const std::string& name, bool replaying) {
  skipTo(name == kCharaEnd ? std::string("@charaEnd") : "@chara:" + name, replaying);
}

}  // namespace game::story
