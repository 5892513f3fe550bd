// Ogg Vorbis encoding for the tools and the tests' fixtures: samples from a
// caller's function, encoded at quality 0.3, as Ogg pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace veziv::tools {

using OggPages = std::vector<std::vector<uint8_t>>;

// Encodes frames samples a channel, sample(frame, channel) in -1..1, into
// the header pages and the data pages apart. A pageFill above 0 closes data
// pages after that many bytes (a muxer interleaving by time makes such
// small pages). False when the encoder refuses the channels or rate.
bool EncodeVorbisPages(int channels, int rate, size_t frames, int serial, int pageFill,
                       const std::function<float(size_t frame, int channel)>& sample, OggPages* headers,
                       OggPages* data);

// The same as one file: the header pages, then the data pages. Empty when
// the encoder refuses.
std::vector<uint8_t> EncodeVorbisFile(int channels, int rate, size_t frames, int serial,
                                      const std::function<float(size_t frame, int channel)>& sample);

}  // namespace veziv::tools
