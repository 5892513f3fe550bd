// The story's section of a save slot: the script, the impressions, the
// answers, the pictures, the line reached and the window's colour and
// music. Loading rebuilds the rest by replaying the script.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game/battle/record_bytes.h"
#include "game/story/story_scene.h"

namespace game::story {

inline constexpr size_t kStoryGraphRecordSize = 300;
inline constexpr size_t kEmptyStorySectionSize = 441;

// A picture's record: its file, position, step, moves left, alpha and fade.
void writeStoryGraph(battle::RecordWriter& out, const storyGraph& picture);
// Reads a record (its graph is loaded when the section is restored); false
// for a short or damaged record.
bool readStoryGraph(battle::RecordReader& in, storyGraph& picture);

// A story section as the slot holds it, read and checked but not yet put
// into the running story.
struct storySection {
  std::string script;
  int32_t impressions[kSpeakerCount] = {};
  std::vector<int32_t> answers;
  std::vector<std::pair<std::string, storyGraph>> pictures;  // in file order
  int32_t lineIndex = 0;
  int32_t pendingPages = 0;
  int32_t colour[3] = {};
  uint8_t musicPlaying = 0;
  std::string music;
};

void writeStorySection(battle::RecordWriter& out, const storySection& section);
// Reads and checks a section without touching the running story; false for
// a short or damaged section.
bool readStorySection(battle::RecordReader& in, storySection& section);
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
