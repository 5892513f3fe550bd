// The mixer's buffers and its render loop. Positions are frames in 32.32 fixed
// point, so any playback rate steps through the data exactly; between two
// frames the sample is interpolated linearly (a 15-bit fraction), which is
// the whole of the rate conversion to the output rate.
#include "platform/audio/mixer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::audio {

bool IsMixablePcmFormat(const PcmFormat& format) {
  return (format.channels == 1 || format.channels == 2) && (format.bits == 8 || format.bits == 16) &&
         format.rate >= kMinRate && format.rate <= kMaxRate;
}

int32_t VolumeToGain(int hundredths_db) {
  if (hundredths_db <= kSilentVolume) return 0;
  if (hundredths_db >= 0) return 65536;
  return static_cast<int32_t>(std::lround(std::pow(10.0, hundredths_db / 2000.0) * 65536.0));
}

namespace {

using Clock = std::chrono::steady_clock;

struct Pcm {
  std::unique_ptr<uint8_t[]> bytes;
  uint32_t size = 0;
};

struct Voice {
  std::shared_ptr<Pcm> pcm;
  PcmFormat format;
  uint32_t block_align = 0;
  uint32_t frames = 0;
  bool playing = false;
  bool looping = false;
  uint64_t position = 0;  // frames, 32.32
  uint64_t step = 0;      // frames per output frame, 32.32
  int frequency = 0;      // 0: the data's own rate
  int volume = 0;
  int32_t gain = 65536;
  // Where the block the device last took started, while it is still the
  // voice's current block (see GetPosition).
  bool block_valid = false;
  uint64_t block_start = 0;

  uint64_t End() const { return static_cast<uint64_t>(frames) << 32; }
};

uint64_t StepFor(int source_rate, int output_rate) {
  return (static_cast<uint64_t>(source_rate) << 32) / static_cast<uint64_t>(output_rate);
}

template <int kBits, int kChannels>
inline void ReadFrame(const uint8_t* data, uint32_t frame, int32_t* left, int32_t* right) {
  if constexpr (kBits == 8) {
    const uint8_t* p = data + static_cast<size_t>(frame) * kChannels;
    *left = (static_cast<int32_t>(p[0]) - 128) * 256;
    *right = kChannels == 2 ? (static_cast<int32_t>(p[1]) - 128) * 256 : *left;
  } else {
    const uint8_t* p = data + static_cast<size_t>(frame) * 2 * kChannels;
    *left = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    *right = kChannels == 2 ? static_cast<int16_t>(static_cast<uint16_t>(p[2] | (p[3] << 8))) : *left;
  }
}

constexpr uint64_t kUnitStep = uint64_t{1} << 32;

// (s * gain) >> 16 of one 16-bit sample, as the frame loop scales it.
inline int32_t Scaled(int32_t sample, int32_t gain) { return (sample * gain) >> 16; }

// count frames of 16-bit PCM from frame `first`, at the output rate and on
// whole frames, scaled by gain and added into the mix: the frame loop's sums
// without its per-frame position arithmetic, eight samples at a time where
// SSE2 is there. For gain below 65536, (s * gain) >> 16 is the signed high
// half of s times gain as a signed 16-bit value, plus s once more when that
// value came out negative (gain from 32768 on); the result is smaller than s,
// so 16-bit lanes hold it.
template <int kChannels>
void MixDirect16(const uint8_t* data, uint32_t first, int count, int32_t gain, int32_t* mix) {
  const uint8_t* p = data + static_cast<size_t>(first) * 2 * kChannels;
  const int samples = count * kChannels;  // source samples
  int j = 0;
#if defined(__SSE2__)
  const bool whole = gain >= 65536;
  const __m128i g = _mm_set1_epi16(static_cast<short>(static_cast<uint16_t>(gain)));
  const __m128i again = _mm_set1_epi16(gain >= 32768 && !whole ? -1 : 0);
  auto add = [](int32_t* m, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(m), _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<__m128i*>(m)), v));
  };
  for (; j + 8 <= samples; j += 8) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * j));
    const __m128i v = whole ? s : _mm_add_epi16(_mm_mulhi_epi16(s, g), _mm_and_si128(s, again));
    if constexpr (kChannels == 2) {
      int32_t* m = mix + j;
      add(m, _mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16));
      add(m + 4, _mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16));
    } else {
      int32_t* m = mix + 2 * j;
      const __m128i lo = _mm_unpacklo_epi16(v, v), hi = _mm_unpackhi_epi16(v, v);  // each sample twice
      add(m, _mm_srai_epi32(_mm_unpacklo_epi16(lo, lo), 16));
      add(m + 4, _mm_srai_epi32(_mm_unpackhi_epi16(lo, lo), 16));
      add(m + 8, _mm_srai_epi32(_mm_unpacklo_epi16(hi, hi), 16));
      add(m + 12, _mm_srai_epi32(_mm_unpackhi_epi16(hi, hi), 16));
    }
  }
#endif
  for (; j < samples; ++j) {
    const int32_t v = Scaled(static_cast<int16_t>(static_cast<uint16_t>(p[2 * j] | (p[2 * j + 1] << 8))), gain);
    if constexpr (kChannels == 2) {
      mix[j] += v;
    } else {
      mix[2 * j] += v;
      mix[2 * j + 1] += v;
    }
  }
}

void StopAtEnd(Voice& voice) {
  voice.playing = false;
  voice.block_valid = false;
  voice.position = 0;
}

// The frame under the position; a position past the end goes round to the
// start when the voice loops, else the voice stops there (false).
inline bool FrameToPlay(Voice& voice, uint64_t end, uint64_t* position, uint32_t* frame) {
  *frame = static_cast<uint32_t>(*position >> 32);
  if (*frame < voice.frames) return true;
  if (!voice.looping) {
    StopAtEnd(voice);
    return false;
  }
  *position %= end;
  *frame = static_cast<uint32_t>(*position >> 32);
  return true;
}

template <int kBits, int kChannels>
void MixVoice(Voice& voice, int32_t* mix, int frames) {
  const uint8_t* data = voice.pcm->bytes.get();
  const uint32_t total = voice.frames;
  const uint64_t end = voice.End();
  const uint64_t step = voice.step;
  const int32_t gain = voice.gain;
  const bool looping = voice.looping;
  uint64_t position = voice.position;
  int i = 0;
  if constexpr (kBits == 16) {
    // Data at the output rate, on a whole frame: runs of frames up to the end
    // of the data, summed without interpolation (every fraction is 0).
    if (step == kUnitStep && (position & 0xFFFFFFFFu) == 0) {
      while (i < frames) {
        uint32_t frame;
        if (!FrameToPlay(voice, end, &position, &frame)) return;
        const int n = static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(frames - i), total - frame));
        MixDirect16<kChannels>(data, frame, n, gain, mix + 2 * i);
        position += static_cast<uint64_t>(n) << 32;
        i += n;
      }
    }
  }
  for (; i < frames; ++i) {
    uint32_t frame;
    if (!FrameToPlay(voice, end, &position, &frame)) return;
    int32_t left, right;
    ReadFrame<kBits, kChannels>(data, frame, &left, &right);
    const int32_t fraction = static_cast<int32_t>((position >> 17) & 0x7FFF);
    if (fraction != 0) {
      uint32_t next = frame + 1;
      if (next >= total) next = looping ? 0 : frame;
      int32_t next_left, next_right;
      ReadFrame<kBits, kChannels>(data, next, &next_left, &next_right);
      left += ((next_left - left) * fraction) >> 15;
      right += ((next_right - right) * fraction) >> 15;
    }
    mix[2 * i] += Scaled(left, gain);
    mix[2 * i + 1] += Scaled(right, gain);
    position += step;
  }
  // A voice whose last frame has sounded is over now, not a block later.
  if (!looping && position >= end) StopAtEnd(voice);
  else voice.position = position;
}

// A voice too quiet to hear still moves on.
void AdvanceSilently(Voice& voice, int frames) {
  const uint64_t moved = voice.position + voice.step * static_cast<uint64_t>(frames);
  if (moved < voice.End()) voice.position = moved;
  else if (voice.looping) voice.position = moved % voice.End();
  else StopAtEnd(voice);
}

void MixOne(Voice& voice, int32_t* mix, int frames) {
  if (voice.gain == 0) {
    AdvanceSilently(voice, frames);
    return;
  }
  const int kind = voice.format.bits * 10 + voice.format.channels;
  switch (kind) {
    case 81: MixVoice<8, 1>(voice, mix, frames); break;
    case 82: MixVoice<8, 2>(voice, mix, frames); break;
    case 161: MixVoice<16, 1>(voice, mix, frames); break;
    default: MixVoice<16, 2>(voice, mix, frames); break;
  }
}

struct Source {
  int id = 0;
  SourceRender render = nullptr;
  void* user = nullptr;
};

}  // namespace

struct Mixer::State {
  int rate = 44100;
  mutable std::mutex mutex;
  std::vector<std::unique_ptr<Voice>> voices;  // id - 1; null: free
  std::vector<Source> sources;
  int next_source = 1;
  std::vector<int32_t> mix;
  // The device's last block: when it was taken and how long it is.
  bool device_timing = false;
  Clock::time_point block_time;
  int block_frames = 0;

  Voice* Find(int id) const {
    if (id < 1 || static_cast<size_t>(id) > voices.size()) return nullptr;
    return voices[static_cast<size_t>(id) - 1].get();
  }
  int Store(std::unique_ptr<Voice> voice) {
    for (size_t i = 0; i < voices.size(); ++i) {
      if (!voices[i]) {
        voices[i] = std::move(voice);
        return static_cast<int>(i) + 1;
      }
    }
    voices.push_back(std::move(voice));
    return static_cast<int>(voices.size());
  }
  // The frame the listener is at: the voice's position, or while the device
  // plays, the start of the device's block plus the time since it was taken.
  uint64_t Cursor(const Voice& voice) const {
    if (!voice.playing || !voice.block_valid || !device_timing) return voice.position;
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - block_time).count();
    uint64_t frames = static_cast<uint64_t>(std::max<int64_t>(elapsed, 0)) * static_cast<uint64_t>(rate) / 1000000u;
    frames = std::min<uint64_t>(frames, static_cast<uint64_t>(block_frames));
    uint64_t cursor = voice.block_start + voice.step * frames;
    if (cursor >= voice.End()) cursor = voice.looping ? cursor % voice.End() : voice.position;
    return cursor;
  }
  void Mix(int16_t* out, int frames) {
    mix.assign(static_cast<size_t>(frames) * 2, 0);
    for (const auto& voice : voices) {
      if (voice && voice->playing) MixOne(*voice, mix.data(), frames);
    }
    for (const Source& source : sources) source.render(source.user, mix.data(), frames);
    size_t i = 0;
#if defined(__SSE2__)
    // The signed saturating pack is the clamp to 16 bits.
    for (; i + 8 <= mix.size(); i += 8) {
      const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mix.data() + i));
      const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mix.data() + i + 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(lo, hi));
    }
#endif
    for (; i < mix.size(); ++i) out[i] = static_cast<int16_t>(std::clamp(mix[i], -32768, 32767));
  }
};

Mixer::Mixer(int output_rate) : state_(std::make_unique<State>()) {
  state_->rate = std::clamp(output_rate, kMinRate, kMaxRate);
}

Mixer::~Mixer() = default;

int Mixer::OutputRate() const { return state_->rate; }

int Mixer::CreateBuffer(const PcmFormat& format, uint32_t bytes) {
  if (!IsMixablePcmFormat(format)) return -1;
  const uint32_t block_align = static_cast<uint32_t>(format.channels * format.bits / 8);
  const uint32_t frames = bytes / block_align;
  if (frames == 0) return -1;
  auto pcm = std::make_shared<Pcm>();
  pcm->bytes.reset(new (std::nothrow) uint8_t[bytes]());
  if (!pcm->bytes) return -1;
  pcm->size = bytes;
  auto voice = std::make_unique<Voice>();
  voice->pcm = std::move(pcm);
  voice->format = format;
  voice->block_align = block_align;
  voice->frames = frames;
  std::lock_guard<std::mutex> lock(state_->mutex);
  voice->step = StepFor(format.rate, state_->rate);
  return state_->Store(std::move(voice));
}

int Mixer::DuplicateBuffer(int buffer) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  const Voice* original = state_->Find(buffer);
  if (!original) return -1;
  auto voice = std::make_unique<Voice>();
  voice->pcm = original->pcm;
  voice->format = original->format;
  voice->block_align = original->block_align;
  voice->frames = original->frames;
  voice->step = original->step;
  voice->frequency = original->frequency;
  voice->volume = original->volume;
  voice->gain = original->gain;
  return state_->Store(std::move(voice));
}

int Mixer::ReleaseBuffer(int buffer) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  if (!state_->Find(buffer)) return -1;
  state_->voices[static_cast<size_t>(buffer) - 1].reset();
  while (!state_->voices.empty() && !state_->voices.back()) state_->voices.pop_back();
  return 0;
}

int Mixer::Play(int buffer, bool loop) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  voice->looping = loop;
  if (!voice->playing) {
    voice->playing = true;
    voice->block_valid = false;
  }
  return 0;
}

int Mixer::Stop(int buffer) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  if (voice->playing) voice->position = state_->Cursor(*voice);
  voice->playing = false;
  voice->block_valid = false;
  return 0;
}

int Mixer::GetStatus(int buffer, uint32_t* status) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  const Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  *status = voice->playing ? kStatusPlaying : 0;
  return 0;
}

int Mixer::Lock(int buffer, uint32_t offset, uint32_t bytes, LockedRegions* regions) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  const Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  const uint32_t size = voice->pcm->size;
  if (offset >= size || bytes > size) return -1;
  uint8_t* data = voice->pcm->bytes.get();
  *regions = LockedRegions{};
  regions->first = data + offset;
  regions->first_bytes = std::min(bytes, size - offset);
  if (regions->first_bytes < bytes) {
    regions->second = data;
    regions->second_bytes = bytes - regions->first_bytes;
  }
  return 0;
}

int Mixer::Unlock(int buffer) {
  // Taking the lock is what hands the caller's writes to the render thread.
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->Find(buffer) ? 0 : -1;
}

int Mixer::SetFrequency(int buffer, int hz) {
  if (hz != 0 && (hz < kMinRate || hz > kMaxRate)) return -1;
  std::lock_guard<std::mutex> lock(state_->mutex);
  Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  if (voice->playing) voice->position = state_->Cursor(*voice);
  voice->block_valid = false;
  voice->frequency = hz;
  voice->step = StepFor(hz == 0 ? voice->format.rate : hz, state_->rate);
  return 0;
}

int Mixer::GetFrequency(int buffer, int* hz) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  const Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  *hz = voice->frequency;
  return 0;
}

int Mixer::SetVolume(int buffer, int hundredths_db) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  voice->volume = std::clamp(hundredths_db, kSilentVolume, 0);
  voice->gain = VolumeToGain(voice->volume);
  return 0;
}

int Mixer::GetVolume(int buffer, int* hundredths_db) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  const Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  *hundredths_db = voice->volume;
  return 0;
}

int Mixer::SetPosition(int buffer, uint32_t byte) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  const uint32_t frame = byte / voice->block_align;
  if (frame >= voice->frames) return -1;
  voice->position = static_cast<uint64_t>(frame) << 32;
  voice->block_valid = false;
  return 0;
}

int Mixer::GetPosition(int buffer, uint32_t* byte) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  const Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  *byte = static_cast<uint32_t>(state_->Cursor(*voice) >> 32) * voice->block_align;
  return 0;
}

int Mixer::GetSize(int buffer, uint32_t* bytes) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  const Voice* voice = state_->Find(buffer);
  if (!voice) return -1;
  *bytes = voice->pcm->size;
  return 0;
}

int Mixer::AddSource(SourceRender render, void* user) {
  if (!render) return -1;
  std::lock_guard<std::mutex> lock(state_->mutex);
  const int id = state_->next_source++;
  state_->sources.push_back(Source{id, render, user});
  return id;
}

int Mixer::RemoveSource(int source) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  auto& sources = state_->sources;
  auto found = std::find_if(sources.begin(), sources.end(), [source](const Source& s) { return s.id == source; });
  if (found == sources.end()) return -1;
  sources.erase(found);
  return 0;
}

void Mixer::Render(int16_t* out, int frames) {
  if (frames <= 0) return;
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->device_timing = false;
  state_->Mix(out, frames);
}

void Mixer::RenderForDevice(int16_t* out, int frames) {
  if (frames <= 0) return;
  std::lock_guard<std::mutex> lock(state_->mutex);
  for (const auto& voice : state_->voices) {
    if (!voice) continue;
    voice->block_valid = voice->playing;
    voice->block_start = voice->position;
  }
  state_->device_timing = true;
  state_->block_time = Clock::now();
  state_->block_frames = frames;
  state_->Mix(out, frames);
}

int Mixer::BufferCount() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return static_cast<int>(std::count_if(state_->voices.begin(), state_->voices.end(),
                                        [](const auto& voice) { return voice != nullptr; }));
}

}  // namespace platform::audio
