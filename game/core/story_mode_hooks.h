// The story as the shell reaches it: the story mode's screen, and what the
// other screens ask of the story (a new story, the next step when a screen
// hands back, single lines from the shop, the story's section of a save
// slot, its voices and pictures after sound and screen changes, and the
// story window of the battle's story inserts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/core/screen.h"
#include "game/core/story_section.h"

namespace game {

class StoryModeHooks : public Screen {
 public:
  // A new story from the first script, up to its first stop.
  virtual void startNewStory() = 0;
  // The next step of the script, when a screen the story handed over to
  // (a battle, the shop, the equipment screen) returns.
  virtual void stepStory() = 0;
  // A single line fed by a screen (the shop): it never runs the lines after it.
  virtual void runLine(const std::string& line) = 0;
  // The page shown shows whole at once.
  virtual void revealPage() = 0;
  // The story's section of a save slot: the running story as one, and a
  // checked one put back with its script replayed (insideBattle: a slot
  // saved in a story battle).
  virtual storySection saveSection() = 0;
  virtual void loadSection(const storySection& section, bool insideBattle) = 0;
  // Stops and frees the page voices and the pictures; forgets the answers.
  virtual void releaseResources() = 0;
  // The voice volume reaches every page voice.
  virtual void applyVoiceVolume() = 0;
  // A sound restart took every sound: the page voices' handles are
  // forgotten, then the newest pages' voices are loaded again.
  virtual void forgetVoices() = 0;
  virtual void reloadVoices() = 0;
  // A screen-mode change took every graph: the pictures and the face load again.
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

// The story while none is installed (the shell's own tests): its mode goes
// back to the title, nothing is stepped, saved or drawn, and a story insert
// ends at once.
class NoStory final : public StoryModeHooks {
 public:
  bool frame() override;
  void startNewStory() override {}
  void stepStory() override {}
  void runLine(const std::string&) override {}
  void revealPage() override {}
  storySection saveSection() override { return {}; }
  void loadSection(const storySection&, bool) override {}
  void releaseResources() override {}
  void applyVoiceVolume() override {}
  void forgetVoices() override {}
  void reloadVoices() override {}
  void reloadGraphs() override {}
  void insertLines(const std::vector<std::string>&, bool) override {}
  void startInsert() override;
  void runWindow() override {}
  void advanceText() override {}
  uint32_t speakerColour(const std::string&) override { return 0xFFFFFF; }
};

}  // namespace game
