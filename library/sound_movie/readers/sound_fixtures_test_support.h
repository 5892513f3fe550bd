// Test support: small sound files made in memory. WAVE files field by field,
// Ogg Vorbis through the tools' encoder (link veziv_tool_vorbis), and MP3
// files of silent Layer III frames (a header and zeroed side information
// decode to silence, 1152 samples a frame), with optional ID3 tags.
#pragma once

#include "tools/media/vorbis_pages.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace veziv::test {

inline void PutLe16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutLe32(std::vector<uint8_t>* out, uint32_t v) {
  PutLe16(out, v & 0xFFFF);
  PutLe16(out, v >> 16);
}
inline void PutText(std::vector<uint8_t>* out, const char* text) { out->insert(out->end(), text, text + std::strlen(text)); }

struct WaveRecipe {
  uint16_t tag = 1;
  uint16_t channels = 2;
  uint32_t rate = 44100;
  uint16_t bits = 16;
  int block_align = -1;     // -1: channels x bits / 8
  int64_t avg_bytes = -1;   // -1: block align x rate
  uint32_t fmt_bytes = 16;  // 16 or more; bytes past 18 are zero
  std::vector<uint8_t> pcm;
  int64_t claimed_data = -1;  // -1: the PCM's size
  bool data_chunk = true;
  std::string chunk_before_fmt;  // a chunk id put before "fmt " when not empty
  uint32_t odd_chunk_bytes = 0;  // a "LIST" chunk of this size between fmt and data (padded when odd)
};

inline void PutChunk(std::vector<uint8_t>* out, const char* id, uint32_t size) {
  PutText(out, id);
  PutLe32(out, size);
  out->insert(out->end(), size + (size & 1), 0xAB);
}

inline std::vector<uint8_t> MakeWave(const WaveRecipe& spec) {
  std::vector<uint8_t> out;
  PutText(&out, "RIFF");
  PutLe32(&out, 0);
  PutText(&out, "WAVE");
  if (!spec.chunk_before_fmt.empty()) PutChunk(&out, spec.chunk_before_fmt.c_str(), 6);
  const uint32_t block = spec.block_align >= 0 ? static_cast<uint32_t>(spec.block_align) : spec.channels * spec.bits / 8u;
  PutText(&out, "fmt ");
  PutLe32(&out, spec.fmt_bytes);
  std::vector<uint8_t> fmt;
  PutLe16(&fmt, spec.tag);
  PutLe16(&fmt, spec.channels);
  PutLe32(&fmt, spec.rate);
  PutLe32(&fmt, spec.avg_bytes >= 0 ? static_cast<uint32_t>(spec.avg_bytes) : block * spec.rate);
  PutLe16(&fmt, block);
  PutLe16(&fmt, spec.bits);
  PutLe16(&fmt, 0);
  fmt.resize(spec.fmt_bytes + (spec.fmt_bytes & 1), 0);
  out.insert(out.end(), fmt.begin(), fmt.end());
  if (spec.odd_chunk_bytes > 0) PutChunk(&out, "LIST", spec.odd_chunk_bytes);
  if (spec.data_chunk) {
    PutText(&out, "data");
    PutLe32(&out, spec.claimed_data >= 0 ? static_cast<uint32_t>(spec.claimed_data)
                                         : static_cast<uint32_t>(spec.pcm.size()));
    out.insert(out.end(), spec.pcm.begin(), spec.pcm.end());
  }
  const uint32_t riff = static_cast<uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
  return out;
}

// 16-bit little-endian PCM of the given samples.
inline std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  for (int16_t s : samples) PutLe16(&out, static_cast<uint16_t>(s));
  return out;
}

// A Vorbis stream of a tone of frames samples a channel (a different pitch
// in each channel), encoded at quality 0.3, as pages: the header pages and
// the data pages apart. A page_fill above 0 closes data pages after that
// many bytes (a muxer interleaving by time makes such small pages).
inline bool EncodeVorbisPages(int channels, int rate, int frames, int serial, int page_fill,
                              std::vector<std::vector<uint8_t>>* headers, std::vector<std::vector<uint8_t>>* data) {
  return veziv::tools::EncodeVorbisPages(
      channels, rate, static_cast<size_t>(std::max(frames, 0)), serial, page_fill,
      [](size_t frame, int channel) {
        return 0.5f * std::sin(static_cast<float>(frame) * 0.05f * static_cast<float>(channel + 1));
      },
      headers, data);
}

// The tone above as an Ogg Vorbis file.
inline std::vector<uint8_t> MakeOggVorbis(int channels, int rate, int frames) {
  std::vector<std::vector<uint8_t>> headers, data;
  std::vector<uint8_t> out;
  if (!EncodeVorbisPages(channels, rate, frames, 1234, 0, &headers, &data)) return out;
  for (const auto* pages : {&headers, &data}) {
    for (const std::vector<uint8_t>& p : *pages) out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

struct Mp3Recipe {
  int frames = 4;
  bool mono = false;
  int id3v2_bytes = -1;     // -1: no tag; else the size field of an ID3v2.3 tag
  bool id3v24_footer = false;  // the tag is ID3v2.4 with its footer flag (and 10 footer bytes)
  bool id3v1 = false;       // a 128-byte "TAG" block at the end
  std::vector<uint8_t> junk_before;  // bytes between the tags and the first frame
};

// MPEG-1 Layer III, 44100 Hz, 128 kbit/s: 417 bytes a frame, 418 when padded
// (every third frame here).
inline std::vector<uint8_t> MakeMp3(const Mp3Recipe& spec) {
  std::vector<uint8_t> out;
  if (spec.id3v2_bytes >= 0) {
    PutText(&out, "ID3");
    out.push_back(spec.id3v24_footer ? 4 : 3);
    out.push_back(0);
    out.push_back(spec.id3v24_footer ? 0x10 : 0);
    const uint32_t n = static_cast<uint32_t>(spec.id3v2_bytes);
    for (int shift : {21, 14, 7, 0}) out.push_back(static_cast<uint8_t>((n >> shift) & 0x7F));
    out.insert(out.end(), n + (spec.id3v24_footer ? 10 : 0), 0);
  }
  out.insert(out.end(), spec.junk_before.begin(), spec.junk_before.end());
  for (int i = 0; i < spec.frames; ++i) {
    const bool padded = i % 3 == 2;
    out.push_back(0xFF);
    out.push_back(0xFB);
    out.push_back(static_cast<uint8_t>(0x90 | (padded ? 0x02 : 0)));
    out.push_back(spec.mono ? 0xC0 : 0x00);
    out.insert(out.end(), 417 + (padded ? 1 : 0) - 4, 0);
  }
  if (spec.id3v1) {
    PutText(&out, "TAG");
    out.insert(out.end(), 125, ' ');
  }
  return out;
}

}  // namespace veziv::test
