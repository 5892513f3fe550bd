// The story section of a save slot, written field by field and read back
// with every count and value checked before it is used.
#include "game/core/story_section.h"

#include <algorithm>
#include <cmath>

namespace game {

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
    if (!moderateSlotReal(v)) return false;
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

}  // namespace game
