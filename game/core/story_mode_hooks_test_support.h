// A story for the shell's tests: it keeps what the screens asked of it.
#pragma once

#include <string>
#include <vector>

#include "game/core/story_mode_hooks.h"

namespace game::test {

class RecordingStory final : public StoryModeHooks {
 public:
  std::vector<std::string> lines;  // single lines fed, in order
  int newStories = 0;
  int steps = 0;
  int reveals = 0;
  int releases = 0;
  int voiceForgets = 0;
  int voiceReloads = 0;
  int graphReloads = 0;
  int frames = 0;
  storySection saved;  // what a save takes from the story
  std::vector<storySection> loaded;
  std::vector<bool> loadedInsideBattle;

  // The text of the newest "@message" line fed, "" when none.
  std::string newestMessage() const {
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
      if (it->rfind("@message", 0) == 0) return *it;
    }
    return "";
  }

  bool frame() override {
    ++frames;
    return false;
  }
  void startNewStory() override { ++newStories; }
  void stepStory() override { ++steps; }
  void runLine(const std::string& line) override { lines.push_back(line); }
  void revealPage() override { ++reveals; }
  storySection saveSection() override { return saved; }
  void loadSection(const storySection& section, bool insideBattle) override {
    loaded.push_back(section);
    loadedInsideBattle.push_back(insideBattle);
  }
  void releaseResources() override { ++releases; }
  void applyVoiceVolume() override {}
  void forgetVoices() override { ++voiceForgets; }
  void reloadVoices() override { ++voiceReloads; }
  void reloadGraphs() override { ++graphReloads; }
  void insertLines(const std::vector<std::string>&, bool) override {}
  void startInsert() override {}
  void runWindow() override {}
  void advanceText() override {}
  uint32_t speakerColour(const std::string&) override { return 0; }
};

}  // namespace game::test
