// Music and stream sounds. A three-minute MIDI file made here (drums, bass,
// chords, a pad and a tune on six channels, 120 beats a minute) rendered
// through the MIDI player into the mixer, beside the same file through a bare
// FluidSynth player writing floats; with the full General MIDI font when it
// is installed and with the small one. And a 60-second stereo Ogg Vorbis
// stream sound played through the library as the pump plays it (a refill
// each sixtieth of a second, the mixer rendering between), beside bare
// libvorbisfile decoding the same bytes. "audio" is seconds of audio made per
// second: for the MIDI it is the factor faster than real time, and 100 / audio
// is the percent of one core that a second of playing costs.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/audio_bench_common.h"
#include "library/foundation/memory_log/log.h"
#include "library/sound_movie/readers/sound_fixtures_test_support.h"
#include "library/sound_movie/sound/sound_handles.h"
#include "library/sound_movie/sound/sound_system.h"
#include "library/sound_movie/sound/stream_calls.h"
#include "platform/audio/mixer.h"
#include "platform/midi/midi_file_test_support.h"
#include "platform/midi/synth.h"
#include "platform/os/clock.h"

namespace {

using platform::midi::test::MidiTrack;

constexpr int kRate = 44100;
constexpr int kBlock = 1024;
constexpr int kSongSeconds = 180;
constexpr int kStreamSeconds = 60;
constexpr const char* kFullFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

using bench::SetAudioCounter;

// 480 ticks a beat at 120 beats a minute: 960 ticks a second, 360 bars.
const std::vector<uint8_t>& Song() {
  static const std::vector<uint8_t> song = [] {
    constexpr int kBeat = 480;
    constexpr int kBars = kSongSeconds / 2;
    static const int kChords[4][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};
    MidiTrack drums, bass, chords, pad, tune;
    bass.Program(1, 33);
    chords.Program(2, 0);
    pad.Program(3, 48);
    tune.Program(4, 73);
    for (int bar = 0; bar < kBars; ++bar) {
      const auto& chord = kChords[bar % 4];
      // Kick and snare on the beats, a hi-hat every eighth.
      for (int eighth = 0; eighth < 8; ++eighth) {
        drums.NoteOn(9, 42, 70);
        if (eighth % 4 == 0) drums.NoteOn(9, 36, 110);
        if (eighth % 4 == 2) drums.NoteOn(9, 38, 100);
        drums.Wait(kBeat / 2).NoteOff(9, 42);
        if (eighth % 4 == 0) drums.NoteOff(9, 36);
        if (eighth % 4 == 2) drums.NoteOff(9, 38);
      }
      for (int beat = 0; beat < 4; ++beat) {
        bass.NoteOn(1, chord[0] - 24, 100).Wait(kBeat - 20).NoteOff(1, chord[0] - 24).Wait(20);
        for (int key : chord) chords.NoteOn(2, key, 80);
        chords.Wait(kBeat / 2);
        for (int key : chord) chords.NoteOff(2, key);
        chords.Wait(kBeat / 2);
        const int step = (bar * 4 + beat) * 5 % 7;
        tune.NoteOn(4, 72 + step, 90).Wait(kBeat / 2).NoteOff(4, 72 + step).NoteOn(4, 74 + step, 80);
        tune.Wait(kBeat / 2).NoteOff(4, 74 + step);
      }
      for (int key : chord) pad.NoteOn(3, key + 12, 60);
      pad.Wait(4 * kBeat);
      for (int key : chord) pad.NoteOff(3, key + 12);
    }
    for (MidiTrack* track : {&drums, &bass, &chords, &pad, &tune}) track->End();
    return platform::midi::test::MakeMidiFile({drums, bass, chords, pad, tune}, kBeat);
  }();
  return song;
}

const char* Font(const benchmark::State& state) {
  return state.range(0) == 1 && std::filesystem::exists(kFullFont) ? kFullFont : platform::midi::test::kTestSoundFont;
}

void BM_MidiThroughMixer(benchmark::State& state) {
  platform::audio::Mixer mixer(kRate);
  std::unique_ptr<platform::midi::Synth> synth = platform::midi::Synth::Create(&mixer, Font(state));
  if (!synth) {
    state.SkipWithError("no sound font");
    return;
  }
  const int player = synth->OpenPlayer(Song().data(), Song().size());
  std::vector<int16_t> out(kBlock * 2);
  for (auto _ : state) {
    synth->Play(player, false);
    for (int done = 0; done < kRate * kSongSeconds; done += kBlock) mixer.Render(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel(std::filesystem::path(Font(state)).filename().string());
  SetAudioCounter(state, kSongSeconds);
}

void BM_MidiBareFluidSynth(benchmark::State& state) {
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kRate);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_settings_setint(settings, "synth.lock-memory", 0);
  fluid_synth_t* synth = new_fluid_synth(settings);
  fluid_synth_sfload(synth, Font(state), 1);
  const std::vector<uint8_t>& song = Song();  // made before the timing starts
  std::vector<float> out(kBlock * 2);
  for (auto _ : state) {
    fluid_synth_system_reset(synth);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add_mem(player, song.data(), song.size());
    fluid_player_play(player);
    for (int done = 0; done < kRate * kSongSeconds; done += kBlock) {
      fluid_synth_write_float(synth, kBlock, out.data(), 0, 2, out.data(), 1, 2);
    }
    benchmark::DoNotOptimize(out.data());
    fluid_player_stop(player);
    delete_fluid_player(player);
  }
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  state.SetLabel(std::filesystem::path(Font(state)).filename().string());
  SetAudioCounter(state, kSongSeconds);
}

const std::vector<uint8_t>& StreamOgg() {
  static const std::vector<uint8_t> ogg = veziv::test::MakeOggVorbis(2, kRate, kRate * kStreamSeconds);
  return ogg;
}

void BM_OggStreamSoundPlayed(benchmark::State& state) {
  const std::string folder = (std::filesystem::temp_directory_path() / "veziv-music-bench").string();
  std::filesystem::create_directories(folder);
  veziv::detail::SetLogFolder(folder.c_str());
  // The mixer moves only as rendered here: no device, a clock that stands.
  platform::os::UseManualClock(0);
  veziv::detail::SetSoundDeviceAllowed(false);
  veziv::StartSoundSystem();
  veziv::SetSoundCreateType(2);
  const int handle = veziv::LoadSoundFromFileImage(StreamOgg().data(), static_cast<int>(StreamOgg().size()), 1, -1);
  std::vector<int16_t> out(735 * 2);
  for (auto _ : state) {
    veziv::PlaySoundHandle(handle, veziv::SoundPlayBack, 1);
    for (int done = 0; done < kRate * kStreamSeconds; done += 735) {
      veziv::RefillAllStreamSounds();
      veziv::detail::SoundMixer()->Render(out.data(), 735);
    }
    benchmark::DoNotOptimize(out.data());
  }
  veziv::EndSoundSystem();
  platform::os::UseRealClock();
  veziv::detail::SetLogFolder("");
  std::filesystem::remove_all(folder);
  SetAudioCounter(state, kStreamSeconds);
}

void BM_OggBareVorbisfile(benchmark::State& state) {
  // Made before the timing starts: run alone, the first call would encode it inside the loop.
  const std::vector<uint8_t>& ogg = StreamOgg();
  std::vector<char> pcm(4096);
  for (auto _ : state) benchmark::DoNotOptimize(bench::DecodeWithBareVorbisfile(ogg, &pcm));
  SetAudioCounter(state, kStreamSeconds);
}

// Argument 1: the full font when installed; 0: the small one.
BENCHMARK(BM_MidiThroughMixer)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_MidiBareFluidSynth)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_OggStreamSoundPlayed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OggBareVorbisfile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
