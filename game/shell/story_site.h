// The story's call site in the shell: the story mode's frame, the story's
// voices and pictures after sound and screen changes, and the story window
// of the battle's story inserts. The story installs its side at start-up;
// until then there is no story (its mode goes back to the title).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/battle/record_bytes.h"

namespace game {

class StorySite {
 public:
  virtual ~StorySite() = default;
  // One frame of the story mode; false asks the program to end.
  virtual bool frame() = 0;
  // A new story from a script file, the next step of the script (a screen
  // the story handed over to returns), and a single line fed by a screen
  // (the shop): it never runs the lines after it.
  virtual void startStory(const std::string& script) = 0;
  virtual void stepStory() = 0;
  virtual void runLine(const std::string& line) = 0;
  // The story's section of a save slot; loading replays the script (false
  // for a damaged section). insideBattle: a slot saved in a story battle.
  virtual void saveState(battle::RecordWriter& out) = 0;
  virtual bool loadState(battle::RecordReader& in, bool insideBattle) = 0;
  virtual void releaseResources() = 0;
  virtual void applyVoiceVolume() = 0;
  virtual void reloadGraphs() = 0;
  // A story insert of a battle: its lines go into the script (skipPast:
  // the story moves past them unrun), the insert starts, its window runs a
  // frame, the next input.
  virtual void insertLines(const std::vector<std::string>& lines, bool skipPast) = 0;
  virtual void startInsert() = 0;
  virtual void runWindow() = 0;
  virtual void advanceText() = 0;
  // A speaker's name colour; 0 for a name the story does not know.
  virtual uint32_t speakerColour(const std::string& speaker) = 0;
};

// The installed story, or null.
StorySite* storySite();
void installStorySite(StorySite* site);

}  // namespace game
