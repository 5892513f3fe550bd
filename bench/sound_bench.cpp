// The mixer rendering 32 voices of 44.1 kHz stereo at mixed playback rates
// for 10 seconds of audio, beside a plain summing loop over the same samples
// at their own rate (no rate conversion, no volume); and Ogg Vorbis and MP3
// decoding through the sound readers beside bare libvorbisfile and
// libmpg123 on the same bytes. "audio" is seconds of audio made per second:
// 100 / audio is the percent of one core the work costs.
#include <benchmark/benchmark.h>
#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/audio_bench_common.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/files/streams.h"
#include "library/sound_movie/readers/sound_decoder.h"
#include "library/sound_movie/readers/sound_fixtures_test_support.h"
#include "platform/audio/mixer.h"

namespace {

constexpr int kRate = 44100;
constexpr int kVoices = 32;
constexpr int kSeconds = 10;
constexpr int kBlock = 1024;
constexpr int kVoiceFrames = kRate * 2;  // two seconds each, looping

std::vector<int16_t> VoiceSamples(int voice) {
  std::vector<int16_t> samples(static_cast<size_t>(kVoiceFrames) * 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>((i * (voice + 3) * 97) % 20000 - 10000);
  return samples;
}

using bench::SetAudioCounter;

void BM_MixerMixedRates(benchmark::State& state) {
  platform::audio::Mixer mixer(kRate);
  for (int v = 0; v < kVoices; ++v) {
    const std::vector<int16_t> samples = VoiceSamples(v);
    const int id = mixer.CreateBuffer({2, 16, kRate}, static_cast<uint32_t>(samples.size() * 2));
    platform::audio::LockedRegions regions;
    mixer.Lock(id, 0, static_cast<uint32_t>(samples.size() * 2), &regions);
    std::memcpy(regions.first, samples.data(), regions.first_bytes);
    mixer.Unlock(id);
    // A quarter at the data's own rate, the rest pitched up or down, some quieter.
    static constexpr int kRates[] = {0, 22050, 32000, 48000, 44000, 30000, 11025, 88200};
    mixer.SetFrequency(id, kRates[v % 8]);
    mixer.SetVolume(id, -(v % 4) * 300);
    mixer.Play(id, true);
  }
  std::vector<int16_t> out(kBlock * 2);
  for (auto _ : state) {
    for (int done = 0; done < kRate * kSeconds; done += kBlock) mixer.Render(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
  }
  SetAudioCounter(state, kSeconds);
}

void BM_PlainSum(benchmark::State& state) {
  std::vector<std::vector<int16_t>> voices;
  for (int v = 0; v < kVoices; ++v) voices.push_back(VoiceSamples(v));
  std::vector<int32_t> mix(kBlock * 2);
  std::vector<int16_t> out(kBlock * 2);
  for (auto _ : state) {
    size_t position = 0;
    for (int done = 0; done < kRate * kSeconds; done += kBlock) {
      std::fill(mix.begin(), mix.end(), 0);
      for (const auto& voice : voices) {
        const int16_t* in = voice.data() + (position % kVoiceFrames) * 2;
        const size_t n = std::min<size_t>(kBlock, kVoiceFrames - position % kVoiceFrames) * 2;
        for (size_t i = 0; i < n; ++i) mix[i] += in[i];
      }
      for (size_t i = 0; i < mix.size(); ++i) out[i] = static_cast<int16_t>(std::clamp(mix[i], -32768, 32767));
      position += kBlock;
    }
    benchmark::DoNotOptimize(out.data());
  }
  SetAudioCounter(state, kSeconds);
}

const std::vector<uint8_t>& OggSample() {
  static const std::vector<uint8_t> ogg = veziv::test::MakeOggVorbis(2, kRate, kRate * kSeconds);
  return ogg;
}

const std::vector<uint8_t>& Mp3Sample() {
  static const std::vector<uint8_t> mp3 = [] {
    veziv::test::Mp3Recipe spec;
    spec.frames = kRate * kSeconds / 1152;
    return veziv::test::MakeMp3(spec);
  }();
  return mp3;
}

double SecondsOf(int bytes, int block_rate) { return static_cast<double>(bytes) / block_rate; }

void DecodeThroughReaders(benchmark::State& state, const std::vector<uint8_t>& bytes) {
  double seconds = 0;
  for (auto _ : state) {
    veziv::MemoryStreamState* stream = veziv::OpenMemoryStream(bytes.data(), static_cast<int>(bytes.size()));
    veziv::SoundDecoderRecord record{};
    veziv::OpenSoundSource(veziv::GetMemoryStreamTable(), reinterpret_cast<veziv::StreamValue>(stream), &record);
    veziv::SoundWaveFormat format;
    void* pcm = nullptr;
    int size = 0;
    veziv::DecodeSoundSourceToPcm(&record, &format, &pcm, &size);
    seconds = SecondsOf(size, format.avgBytesPerSec);
    veziv::FreeLibMemory(pcm);
    veziv::CloseSoundSource(&record);
    veziv::CloseMemoryStream(stream);
  }
  SetAudioCounter(state, seconds);
}

void BM_VorbisThroughReaders(benchmark::State& state) { DecodeThroughReaders(state, OggSample()); }
void BM_Mp3ThroughReaders(benchmark::State& state) { DecodeThroughReaders(state, Mp3Sample()); }

void BM_VorbisBareVorbisfile(benchmark::State& state) {
  std::vector<char> pcm(static_cast<size_t>(kRate) * 4 * (kSeconds + 1));
  double seconds = 0;
  for (auto _ : state) {
    const size_t done = bench::DecodeWithBareVorbisfile(OggSample(), &pcm);
    seconds = static_cast<double>(done) / (kRate * 4);
  }
  SetAudioCounter(state, seconds);
}

void BM_Mp3BareMpg123(benchmark::State& state) {
  mpg123_init();
  const std::vector<uint8_t>& mp3 = Mp3Sample();
  std::vector<unsigned char> pcm(static_cast<size_t>(kRate) * 4 * (kSeconds + 1));
  double seconds = 0;
  for (auto _ : state) {
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_open_feed(h);
    size_t done = 0, got = 0;
    mpg123_decode(h, mp3.data(), mp3.size(), pcm.data(), pcm.size(), &got);
    done += got;
    int result;
    do {
      result = mpg123_decode(h, nullptr, 0, pcm.data() + done, pcm.size() - done, &got);
      done += got;
    } while (result == MPG123_OK || result == MPG123_NEW_FORMAT);
    mpg123_delete(h);
    seconds = static_cast<double>(done) / (kRate * 4);
  }
  SetAudioCounter(state, seconds);
}

BENCHMARK(BM_MixerMixedRates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VorbisThroughReaders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VorbisBareVorbisfile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mp3ThroughReaders)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mp3BareMpg123)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
