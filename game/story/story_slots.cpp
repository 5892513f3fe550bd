// The story's side of its section of a save slot: the running story as a
// section, and a section put back by replaying the script.
#include "game/story/story_slots.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

#include "game/core/music_voices.h"
#include "game/core/session.h"
#include "game/story/story_screen.h"
#include "library/veziv.h"

namespace game::story {

namespace {

// Runs the script again, replaying, until the line index reaches the
// target; a step that does not move the index ends it (the script ran out).
// The replayed battles add at most a script's worth of lines, so any
// target, however far, ends at the script's end.
void replayTo(int32_t target) {
  State().replayLineLimit = target;
  while (State().scene.lineIndex < target) {
    const int32_t before = State().scene.lineIndex;
    stepScenario(true);
    if (State().scene.lineIndex == before) break;
  }
  State().replayLineLimit = INT32_MAX;
}

}  // namespace

storySection currentStorySection() {
  const auto& s = State().scene;
  storySection section;
  section.script = s.scriptName;
  std::copy(std::begin(s.impressionBlock), std::end(s.impressionBlock), section.impressions);
  section.answers.assign(s.choiceHistory.begin(), s.choiceHistory.end());
  for (const auto& [name, picture] : State().storyGraphTable) section.pictures.emplace_back(name, picture);
  section.lineIndex = s.lineIndex;
  section.pendingPages = s.pendingPages;
  std::copy(std::begin(s.boxColour), std::end(s.boxColour), section.colour);
  section.musicPlaying = veziv::IsMusicPlaying() == 1 ? 1 : 0;
  section.music = Session().music.rememberedMusic;
  return section;
}

void restoreStorySection(const storySection& section, bool insideBattle) {
  auto& s = State().scene;
  // The reset empties the page list (freeing its voices) and the answers.
  s.lineIndex = 0;
  s.choiceHistory.clear();
  s.choiceTexts.clear();
  resetScenario(section.script);

  // Every impression goes back to its speaker, in name order.
  std::copy(std::begin(section.impressions), std::end(section.impressions), s.impressionBlock);
  int i = 0;
  for (auto& entry : State().speakerTable) {
    if (i >= kSpeakerCount) break;
    entry.second.impression = section.impressions[i++];
  }
  s.choiceHistory.assign(section.answers.begin(), section.answers.end());
  s.choiceReplayIndex = 0;

  for (auto& entry : State().storyGraphTable) releaseStoryGraph(entry.second);
  State().storyGraphTable.clear();
  for (const auto& [name, record] : section.pictures) {
    storyGraph picture = record;
    picture.graphHandle = veziv::ImportGraphFile(picture.fileName.c_str(), 0);
    auto [it, added] = State().storyGraphTable.emplace(name, picture);
    if (!added) {
      // A name twice: the later record stands, the earlier graph is freed.
      releaseStoryGraph(it->second);
      it->second = picture;
    }
  }

  if (insideBattle) {
    // Up to the battle's start; of the events' lines the replayed
    // "@startBattle" put in, only those that ran before the save stay (the
    // events fire in file order), so no insert runs twice.
    State().replayedEventsCount = 0;
    replayTo(section.lineIndex);
    const int32_t end = State().replayedEventsAt + State().replayedEventsCount;
    if (State().replayedEventsCount > 0 && s.lineIndex < end && end <= static_cast<int32_t>(s.scriptLines.size())) {
      s.scriptLines.erase(s.scriptLines.begin() + s.lineIndex, s.scriptLines.begin() + end);
    }
  } else {
    // The line before the saved one runs live at the next step, with its voice.
    replayTo(section.lineIndex - 1);
  }

  const int32_t last = std::max<int32_t>(0, static_cast<int32_t>(s.pages.size()) - 1);
  s.pendingPages = std::clamp(section.pendingPages, 0, last);
  for (int c = 0; c < 3; ++c) s.boxColour[c] = std::clamp(section.colour[c], 0, 255);
  s.logOffset = 0;
  Session().music.rememberedMusic = section.music;
  if (section.musicPlaying == 1) replayMidiWithNotice();
}

void saveStoryState(battle::RecordWriter& out) { writeStorySection(out, currentStorySection()); }

bool loadStoryState(battle::RecordReader& in, bool insideBattle) {
  storySection section;
  if (!readStorySection(in, section)) return false;
  restoreStorySection(section, insideBattle);
  return true;
}

}  // namespace game::story
