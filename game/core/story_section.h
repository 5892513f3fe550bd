// The story's section of a save slot as the file holds it: the script, the
// impressions, the answers, the pictures, the line reached and the window's
// colour and music. The slot files read and write it field by field; the
// story makes one from the running story and puts one back by replaying
// its script.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "game/battle/record_bytes.h"

namespace game {

// The speakers whose impressions a section keeps.
inline constexpr int kSpeakerCount = 14;
inline constexpr size_t kStoryGraphRecordSize = 300;
inline constexpr size_t kEmptyStorySectionSize = 441;
// The largest magnitude a slot may hold for a real: a player's hit points and
// score, a story picture's position and step. Far past any screen, yet every
// sum the game makes of them stays a number an int can take once bounded.
inline constexpr double kLargestSlotReal = 1e9;
inline bool moderateSlotReal(double v) { return v >= -kLargestSlotReal && v <= kLargestSlotReal; }

// One story picture.
struct storyGraph {
  std::string fileName;
  int32_t graphHandle = -1;
  double x = 0.0, y = 0.0;
  double stepX = 0.0, stepY = 0.0;
  int32_t moveFrames = 0;
  int32_t alpha = 255;
  int32_t fadeState = -1;  // -1 opaque; 1 out, kept; 2 in; 3 out, then removed; 4 held
};

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

}  // namespace game
