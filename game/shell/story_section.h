// The story's section of a save slot, as the slot files call it. The story
// writes it at the stream's position and reads it back, rebuilding its scene
// by a replay of its script.
//
// STAND-IN: until the story's own writer and reader are joined in, the
// definitions in story_section_stub.cpp carry the section's bytes through a
// load and the next save unchanged, checking only that the section is whole;
// they do not rebuild the story scene. Remove that file when the story's
// definitions land.
#pragma once

#include <cstdint>
#include <vector>

#include "game/battle/record_bytes.h"

namespace game::story {

// Writes the story section of the running story at the writer's end.
void saveStoryState(battle::RecordWriter& out);
// Reads the section at the reader's position; false (the slot is refused)
// when it is short or holds counts or values the story cannot use.
// insideBattle: the slot is of kind 2.
bool loadStoryState(battle::RecordReader& in, bool insideBattle = false);

}  // namespace game::story
