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
#include "game/shell/session.h"
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
  State().replayLineLimit = target;
  while (State().scene.lineIndex < target) {
    const int32_t before = State().scene.lineIndex;
    stepScenario(true);
    if (State().scene.lineIndex == before) break;
  }
  State().replayLineLimit = INT32_MAX;
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
  return validFadeState(picture.fadeState) && picture.alpha >= 0 && picture.alpha <= 255 && picture.moveFrames >= 0;
}

void writeStorySection(battle::RecordWriter& out, const storySection& section) {
  writeText(out, section.script, kNameField);
  for (int32_t value : section.impressions) out.i32(value);
  out.i32(static_cast<int32_t>(section.answers.size()));
  for (int32_t answer : section.answers) out.i32(answer);
  out.i32(static_cast<int32_t>(section.pictures.size()));
  for (const auto& [name, picture] : section.pictures) {
    writeText(out, name, kNameField);
    writeStoryGraph(out, picture);
  }
  out.i32(section.lineIndex);
  out.i32(section.pendingPages);
  for (int32_t value : section.colour) out.i32(value);
  out.u8(section.musicPlaying);
  writeText(out, section.music, kMusicField);
}

bool readStorySection(battle::RecordReader& in, storySection& section) {
  if (!readText(in, kNameField, section.script) || section.script.empty()) return false;
  for (int32_t& value : section.impressions) value = in.i32();
  if (!in.ok()) return false;
  int32_t answers = 0;
  if (!readCount(in, 4, answers)) return false;
  section.answers.clear();
  for (int32_t k = 0; k < answers; ++k) {
    const int32_t answer = in.i32();
    if (answer < 1 || answer > kMaxAnswer) return false;
    section.answers.push_back(answer);
  }
  int32_t pictures = 0;
  if (!readCount(in, kPictureSize, pictures)) return false;
  section.pictures.clear();
  for (int32_t k = 0; k < pictures; ++k) {
    std::string name;
    storyGraph picture;
    if (!readText(in, kNameField, name) || !readStoryGraph(in, picture)) return false;
    section.pictures.emplace_back(name, picture);
  }
  section.lineIndex = in.i32();
  section.pendingPages = in.i32();
  for (int32_t& value : section.colour) value = in.i32();
  section.musicPlaying = in.u8();
  return in.ok() && readText(in, kMusicField, section.music) && section.lineIndex >= 0;
}

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
