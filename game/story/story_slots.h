// The story's section of a save slot: the script, the impressions, the
// answers, the pictures, the line reached and the window's colour and
// music. Loading rebuilds the rest by replaying the script.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game/battle/record_bytes.h"
#include "game/core/story_section.h"
#include "game/story/story_scene.h"

namespace game::story {

// The running story as a section.
storySection currentStorySection();
// Rebuilds the story from a section and replays its script (see loadStoryState).
void restoreStorySection(const storySection& section, bool insideBattle);

// Writes the story section at the writer's end.
void saveStoryState(battle::RecordWriter& out);
// Reads the section, rebuilds the story and replays its script. A slot
// saved inside a battle (kind 2) replays up to the battle's start and
// keeps only the lines of the events that had fired; the battle's own
// section then brings the rest. False for a short or damaged section (the
// story is then left as it was).
bool loadStoryState(battle::RecordReader& in, bool insideBattle = false);

}  // namespace game::story
