// STAND-IN for the story's slot section (see story_section.h): the bytes of
// the last section read are written back by the next save; before any load a
// save writes the section of a story at the start of "story/script.txt".
#include <cstring>

#include "game/shell/story_section.h"

namespace game::story {

namespace {

constexpr size_t kNameBytes = 256;
constexpr size_t kImpressions = 14;
constexpr size_t kPictureBytes = 256 + 300;
constexpr size_t kMusicNameBytes = 100;

std::vector<uint8_t>& heldSection() {
  static std::vector<uint8_t> held;
  return held;
}

// Reads a count of records of `size` bytes that the rest of the section can
// hold.
bool readCount(battle::RecordReader& in, size_t size, int32_t& count) {
  count = in.i32();
  return in.ok() && count >= 0 && static_cast<size_t>(count) <= in.remaining() / size;
}

}  // namespace

void saveStoryState(battle::RecordWriter& w) {
  if (!heldSection().empty()) {
    w.bytes(heldSection().data(), heldSection().size());
    return;
  }
  uint8_t name[kNameBytes] = {};
  std::memcpy(name, "story/script.txt", 16);
  w.bytes(name, sizeof name);
  w.zeros(4 * kImpressions + 4 + 4 + 4 + 4 + 12 + 1 + kMusicNameBytes);
}

bool loadStoryState(battle::RecordReader& in, bool /*insideBattle*/) {
  // Walks a copy to find the section's length, then takes its bytes.
  battle::RecordReader walk = in;
  walk.skip(kNameBytes + 4 * kImpressions);
  int32_t answers = 0, pictures = 0;
  if (!readCount(walk, 4, answers)) return false;
  walk.skip(4 * static_cast<size_t>(answers));
  if (!readCount(walk, kPictureBytes, pictures)) return false;
  walk.skip(kPictureBytes * static_cast<size_t>(pictures) + 4 + 4 + 12 + 1 + kMusicNameBytes);
  if (!walk.ok()) return false;
  std::vector<uint8_t> section(walk.position() - in.position());
  in.bytes(section.data(), section.size());
  heldSection() = std::move(section);
  return in.ok();
}

}  // namespace game::story
