// The story section of a save slot, written field by field and read back
// with every count and value checked before it is used.
#include "game/story/story_slots.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

#include "game/shell/music_voices.h"
#include "game/story/story_screen.h"
#include "library/veziv.h"

namespace game::story {

namespace {

constexpr size_t kNameField = 256;
constexpr size_t kMusicField = 100;
constexpr size_t kPictureSize = kNameField + kStoryGraphRecordSize;
// Answers are option numbers of at most two digits.
constexpr int32_t kMaxAnswer = 99;

// A text in a fixed field: its bytes, a terminator, zeros after it (a text
// that does not fit keeps its first size - 1 bytes).
void writeText(battle::RecordWriter& out, const std::string& text, size_t size) {
  const size_t n = std::min(text.size(), size - 1);
  out.bytes(reinterpret_cast<const uint8_t*>(text.data()), n);
  out.zeros(size - n);
}

// A fixed field read as the text before its first zero; a field without
// one is damaged.
bool readText(battle::RecordReader& in, size_t size, std::string& text) {
  std::string field(size, '\0');
  in.bytes(reinterpret_cast<uint8_t*>(field.data()), size);
  const size_t end = field.find('\0');
  if (!in.ok() || end == std::string::npos) return false;
  text = field.substr(0, end);
  return true;
}

// A count read from the file, refused when negative or when the bytes left
// cannot hold that many records.
bool readCount(battle::RecordReader& in, size_t recordSize, int32_t& count) {
  count = in.i32();
  return in.ok() && count >= 0 && static_cast<size_t>(count) <= in.remaining() / recordSize;
}

bool validFadeState(int32_t state) { return state == -1 || (state >= 1 && state <= 4); }

// Runs the script again, replaying, until the line index reaches the
// target; a step that does not move the index ends it (the script ran out).
void replayTo(int32_t target) {
  replayLineLimit = target;
  while (storyScene.lineIndex < target) {
    const int32_t before = storyScene.lineIndex;
    stepScenario(true);
    if (storyScene.lineIndex == before) break;
  }
  replayLineLimit = INT32_MAX;
}

}  // namespace

void writeStoryGraph(battle::RecordWriter& out, const storyGraph& picture) {
  writeText(out, picture.fileName, kNameField);
  out.f64(picture.x);
  out.f64(picture.y);
  out.f64(picture.stepX);
  out.f64(picture.stepY);
  out.i32(picture.moveFrames);
  out.i32(picture.alpha);
  out.i32(picture.fadeState);
}

bool readStoryGraph(battle::RecordReader& in, storyGraph& picture) {
  if (!readText(in, kNameField, picture.fileName)) return false;
  picture.x = in.f64();
  picture.y = in.f64();
  picture.stepX = in.f64();
  picture.stepY = in.f64();
  picture.moveFrames = in.i32();
  picture.alpha = in.i32();
  picture.fadeState = in.i32();
  if (!in.ok()) return false;
  for (double v : {picture.x, picture.y, picture.stepX, picture.stepY}) {
    if (!std::isfinite(v)) return false;
  }
  if (!validFadeState(picture.fadeState) || picture.alpha < 0 || picture.alpha > 255 || picture.moveFrames < 0) {
    return false;
  }
  picture.graphHandle = veziv::ImportGraphFile(picture.fileName.c_str(), 0);
  return true;
}

void saveStoryState(battle::RecordWriter& out) {
  const auto& s = storyScene;
  writeText(out, s.scriptName, kNameField);
  for (int32_t value : s.impressionBlock) out.i32(value);
  out.i32(static_cast<int32_t>(s.choiceHistory.size()));
  for (int32_t answer : s.choiceHistory) out.i32(answer);
  out.i32(static_cast<int32_t>(storyGraphTable.size()));
  for (const auto& [name, picture] : storyGraphTable) {
    writeText(out, name, kNameField);
    writeStoryGraph(out, picture);
  }
  out.i32(s.lineIndex);
  out.i32(s.pendingPages);
  for (int32_t value : s.boxColour) out.i32(value);
  out.u8(veziv::IsMusicPlaying() == 1 ? 1 : 0);
  writeText(out, rememberedMusic, kMusicField);
}

bool loadStoryState(battle::RecordReader& in, bool insideBattle) {
  auto& s = storyScene;
  std::string script;
  if (!readText(in, kNameField, script) || script.empty()) return false;

  // The reset empties the page list (freeing its voices) and the answers.
  s.lineIndex = 0;
  s.choiceHistory.clear();
  s.choiceTexts.clear();
  resetScenario(script);

  int32_t block[kSpeakerCount];
  for (int32_t& value : block) value = in.i32();
  if (!in.ok()) return false;
  // Every impression goes back to its speaker, in name order.
  std::copy(std::begin(block), std::end(block), s.impressionBlock);
  int i = 0;
  for (auto& entry : speakerTable) {
    if (i >= kSpeakerCount) break;
    entry.second.impression = block[i++];
  }

  int32_t answers = 0;
  if (!readCount(in, 4, answers)) return false;
  for (int32_t k = 0; k < answers; ++k) {
    const int32_t answer = in.i32();
    if (answer < 1 || answer > kMaxAnswer) return false;
    s.choiceHistory.push_back(answer);
  }
  s.choiceReplayIndex = 0;

  for (auto& entry : storyGraphTable) releaseStoryGraph(entry.second);
  storyGraphTable.clear();
  int32_t pictures = 0;
  if (!readCount(in, kPictureSize, pictures)) return false;
  for (int32_t k = 0; k < pictures; ++k) {
    std::string name;
    storyGraph picture;
    if (!readText(in, kNameField, name) || !readStoryGraph(in, picture)) return false;
    auto [it, added] = storyGraphTable.emplace(name, picture);
    if (!added) {
      // A name twice: the later record stands, the earlier graph is freed.
      releaseStoryGraph(it->second);
      it->second = picture;
    }
  }

  const int32_t saved = in.i32();
  const int32_t pending = in.i32();
  int32_t colour[3];
  for (int32_t& value : colour) value = in.i32();
  const uint8_t musicPlaying = in.u8();
  std::string music;
  if (!in.ok() || !readText(in, kMusicField, music) || saved < 0) return false;

  if (insideBattle) {
    // Up to the battle's start; of the events' lines the replayed
    // "@startBattle" put in, only those that ran before the save stay (the
    // events fire in file order), so no insert runs twice.
    replayedEventsCount = 0;
    replayTo(saved);
    const int32_t end = replayedEventsAt + replayedEventsCount;
    if (replayedEventsCount > 0 && s.lineIndex < end && end <= static_cast<int32_t>(s.scriptLines.size())) {
      s.scriptLines.erase(s.scriptLines.begin() + s.lineIndex, s.scriptLines.begin() + end);
    }
  } else {
    // The line before the saved one runs live at the next step, with its voice.
    replayTo(saved - 1);
  }

  const int32_t last = std::max<int32_t>(0, static_cast<int32_t>(s.pages.size()) - 1);
  s.pendingPages = std::clamp(pending, 0, last);
  for (int c = 0; c < 3; ++c) s.boxColour[c] = std::clamp(colour[c], 0, 255);
  s.logOffset = 0;
  rememberedMusic = music;
  if (musicPlaying == 1) replayMidiWithNotice();
  return true;
}

}  // namespace game::story
