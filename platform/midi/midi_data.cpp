// The walk over a standard MIDI file's header, track chunks and events.
// Every length is checked against the bytes that are there before it is
// used; nothing is allocated.
#include "platform/midi/midi_data.h"

#include <cstring>

namespace platform::midi {
namespace {

constexpr uint32_t kMaxTicks = 0x7FFFFFFF;

uint32_t Be32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

class TrackReader {
 public:
  TrackReader(const uint8_t* at, size_t size) : at_(at), end_(at + size) {}

  // The track's length in ticks, or false when an event does not read.
  bool Walk(uint32_t* ticks) {
    uint64_t now = 0;
    uint8_t running = 0;
    while (at_ < end_) {
      uint32_t delta = 0;
      if (!Number(&delta)) return false;
      now += delta;
      if (now > kMaxTicks) return false;
      if (at_ >= end_) return false;
      uint8_t status = *at_;
      if (status < 0x80) {
        if (running == 0) return false;  // data with no status before it
        status = running;
      } else {
        ++at_;
      }
      if (status < 0xF0) {
        running = status;
        const int data = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        for (int i = 0; i < data; ++i) {
          if (at_ >= end_ || *at_ >= 0x80) return false;
          ++at_;
        }
      } else if (status == 0xF0) {
        // The player takes no running status past a system exclusive message.
        running = 0;
        uint32_t length = 0;
        if (!Number(&length) || !Skip(length)) return false;
      } else if (status == 0xFF) {
        // Nor past a meta event (after some of them it stumbles).
        running = 0;
        if (at_ >= end_) return false;
        const uint8_t type = *at_++;
        uint32_t length = 0;
        if (type >= 0x80 || !Number(&length) || !MetaLengthFits(type, length) || !Skip(length)) return false;
        if (type == 0x2F) break;  // end of track: what follows in the chunk is not read
      } else {
        return false;  // system common, real-time and escaped messages are not taken
      }
    }
    *ticks = static_cast<uint32_t>(now);
    return true;
  }

 private:
  // A variable-length number of at most four bytes.
  bool Number(uint32_t* value) {
    uint32_t result = 0;
    for (int i = 0; i < 4; ++i) {
      if (at_ >= end_) return false;
      const uint8_t byte = *at_++;
      result = result << 7 | (byte & 0x7F);
      if ((byte & 0x80) == 0) {
        *value = result;
        return true;
      }
    }
    return false;
  }
  bool Skip(uint32_t bytes) {
    if (bytes > static_cast<size_t>(end_ - at_)) return false;
    at_ += bytes;
    return true;
  }
  // The meta events the player reads have a fixed size; it refuses the file
  // when one has another.
  static bool MetaLengthFits(uint8_t type, uint32_t length) {
    switch (type) {
      case 0x2F: return length == 0;  // end of track
      case 0x51: return length == 3;  // tempo
      case 0x54: return length == 5;  // SMPTE offset
      case 0x58: return length == 4;  // time signature
      case 0x59: return length == 2;  // key signature
      default: return true;
    }
  }

  const uint8_t* at_;
  const uint8_t* end_;
};

bool ReadStandardFile(const uint8_t* bytes, size_t size, MidiData* found) {
  if (size < 14 || std::memcmp(bytes, "MThd", 4) != 0 || Be32(bytes + 4) != 6) return false;
  const int format = Be16(bytes + 8);
  const int tracks = Be16(bytes + 10);
  const uint16_t division = Be16(bytes + 12);
  // Time in SMPTE frames (top bit set) is not played; zero ticks a beat is no time at all.
  if (format > 2 || tracks < 1 || tracks > kMaxMidiTracks || division == 0 || (division & 0x8000) != 0) return false;
  size_t at = 14;
  uint32_t longest = 0;
  // The player reads the tracks one chunk after another and refuses any other chunk.
  for (int track = 0; track < tracks; ++track) {
    if (size - at < 8 || std::memcmp(bytes + at, "MTrk", 4) != 0) return false;
    const uint32_t length = Be32(bytes + at + 4);
    at += 8;
    if (length > size - at) return false;
    uint32_t ticks = 0;
    if (!TrackReader(bytes + at, length).Walk(&ticks)) return false;
    if (ticks > longest) longest = ticks;
    at += length;
  }
  found->size = at;
  found->format = format;
  found->tracks = tracks;
  found->ticks = longest;
  return true;
}

}  // namespace

bool FindMidiData(const uint8_t* bytes, size_t size, MidiData* found) {
  if (bytes == nullptr || found == nullptr) return false;
  MidiData data;
  if (size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "RMID", 4) == 0) {
    // The RIFF size is not trusted: the chunks are walked up to the end of the bytes.
    size_t at = 12;
    while (size - at >= 8) {
      const uint32_t length = Le32(bytes + at + 4);
      const size_t body = at + 8;
      if (length > size - body) return false;
      if (std::memcmp(bytes + at, "data", 4) == 0) {
        if (!ReadStandardFile(bytes + body, length, &data)) return false;
        data.offset = body;
        *found = data;
        return true;
      }
      at = body + length;
      if ((length & 1) != 0 && at < size) ++at;
    }
    return false;
  }
  if (!ReadStandardFile(bytes, size, &data)) return false;
  *found = data;
  return true;
}

}  // namespace platform::midi
