// The story's section of a save slot: the script, the impressions, the
// answers, the pictures, the line reached and the window's colour and
// music. Loading rebuilds the rest by replaying the script.
#pragma once

#include <cstdint>

#include "game/battle/record_bytes.h"
#include "game/story/story_scene.h"

namespace game::story {

inline constexpr size_t kStoryGraphRecordSize = 300;
inline constexpr size_t kEmptyStorySectionSize = 441;

// A picture's record: its file, position, step, moves left, alpha and fade.
void writeStoryGraph(battle::RecordWriter& out, const storyGraph& picture);
// Reads a record and loads its graph; false for a short or damaged record.
bool readStoryGraph(battle::RecordReader& in, storyGraph& picture);

// Writes the story section at the writer's end.
void saveStoryState(battle::RecordWriter& out);
// Reads the section, rebuilds the story and replays its script. A slot
// saved inside a battle (kind 2) replays up to the battle's start and
// keeps only the lines of the events that had fired; the battle's own
// section then brings the rest. False for a short or damaged section (the
// story is then left reset).
bool loadStoryState(battle::RecordReader& in, bool insideBattle = false);

}  // namespace game::story
