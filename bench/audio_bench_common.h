// What the sound and music benchmarks share: the counter of seconds of audio
// made per second, and Ogg Vorbis decoded from memory by bare libvorbisfile,
// the peer the library's decoding is measured beside.
#pragma once

#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace bench {

inline void SetAudioCounter(benchmark::State& state, double seconds_per_iteration) {
  state.counters["audio"] =
      benchmark::Counter(seconds_per_iteration * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Decodes the whole of the bytes as 16-bit PCM into pcm (from its start, in
// blocks of at most 4096 bytes, up to its size, or over and over into its
// first 4096 bytes when it is smaller). The bytes decoded.
inline size_t DecodeWithBareVorbisfile(const std::vector<uint8_t>& bytes, std::vector<char>* pcm) {
  struct MemoryFile {
    const std::vector<uint8_t>* bytes;
    size_t position;
  };
  const ov_callbacks callbacks = {
      [](void* out, size_t size, size_t count, void* source) -> size_t {
        auto* file = static_cast<MemoryFile*>(source);
        const size_t n = std::min(size * count, file->bytes->size() - file->position);
        std::memcpy(out, file->bytes->data() + file->position, n);
        file->position += n;
        return size == 0 ? 0 : n / size;
      },
      [](void* source, ogg_int64_t offset, int origin) -> int {
        auto* file = static_cast<MemoryFile*>(source);
        const int64_t base = origin == 0 ? 0 : origin == 1 ? static_cast<int64_t>(file->position)
                                                            : static_cast<int64_t>(file->bytes->size());
        file->position = static_cast<size_t>(std::clamp<int64_t>(base + offset, 0, file->bytes->size()));
        return 0;
      },
      [](void*) { return 0; },
      [](void* source) -> long { return static_cast<long>(static_cast<MemoryFile*>(source)->position); }};
  MemoryFile file{&bytes, 0};
  OggVorbis_File vf;
  if (ov_open_callbacks(&file, &vf, nullptr, 0, callbacks) != 0) return 0;
  const bool fill = pcm->size() > 4096;
  size_t done = 0;
  int section = 0;
  long got;
  do {
    const size_t at = fill ? done : 0;
    const int room = static_cast<int>(std::min<size_t>(4096, pcm->size() - at));
    got = room > 0 ? ov_read(&vf, pcm->data() + at, room, 0, 2, 1, &section) : 0;
    if (got > 0) done += static_cast<size_t>(got);
  } while (got > 0);
  ov_clear(&vf);
  return done;
}

}  // namespace bench
