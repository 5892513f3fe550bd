// The synthesizer with the small General MIDI font, rendered through the
// mixer's Render: files sound, end and loop by the sample clock, stop at
// once, follow the master volume; and the sound font search.
#include "platform/midi/synth.h"

#include <fluidsynth.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/midi/midi_file_test_support.h"

namespace platform::midi {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 64;  // the synthesizer's own step: events fall on these

class SynthTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    mixer_ = new audio::Mixer(kRate);
    synth_ = Synth::Create(mixer_, test::kTestSoundFont).release();
  }
  static void TearDownTestSuite() {
    delete synth_;
    delete mixer_;
  }
  void SetUp() override {
    ASSERT_NE(synth_, nullptr);
    synth_->SetMasterVolume(0);
    Render(kRate / 2);  // whatever the last test left dies away
  }

  // The left channel of the next frames.
  static std::vector<int> Render(int frames) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    mixer_->Render(out.data(), frames);
    std::vector<int> left(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) left[static_cast<size_t>(i)] = out[static_cast<size_t>(i) * 2];
    return left;
  }
  static int Peak(const std::vector<int>& samples, size_t from = 0, size_t to = SIZE_MAX) {
    int peak = 0;
    for (size_t i = from; i < std::min(to, samples.size()); ++i) peak = std::max(peak, std::abs(samples[i]));
    return peak;
  }
  static double Rms(const std::vector<int>& samples) {
    double sum = 0;
    for (int s : samples) sum += static_cast<double>(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
  }
  // The first sample from `from` on that is clearly heard.
  static size_t Onset(const std::vector<int>& samples, size_t from) {
    for (size_t i = from; i < samples.size(); ++i) {
      if (std::abs(samples[i]) > 200) return i;
    }
    return samples.size();
  }
  int Open(const std::vector<uint8_t>& file) {
    const int player = synth_->OpenPlayer(file.data(), file.size());
    EXPECT_GT(player, 0);
    return player;
  }

  static inline audio::Mixer* mixer_ = nullptr;
  static inline Synth* synth_ = nullptr;
};

// One piano note of a tenth of a second in a file of one second (960 ticks).
const std::vector<uint8_t>& ShortNote() {
  static const std::vector<uint8_t> file = test::MakeOneNoteFile(96, 960);
  return file;
}

TEST_F(SynthTest, AFileSoundsAndEndsOnItsLastTick) {
  const int player = Open(ShortNote());
  EXPECT_EQ(synth_->IsPlaying(player), 0);
  ASSERT_EQ(synth_->Play(player, false), 0);
  EXPECT_EQ(synth_->IsPlaying(player), 1);
  std::vector<int> first = Render(kRate * 98 / 100);
  EXPECT_GT(Peak(first, 0, kRate / 10), 2000);
  EXPECT_LT(Peak(first, kRate * 7 / 10), 200);  // the note has died away
  EXPECT_EQ(synth_->IsPlaying(player), 1);
  Render(kRate * 4 / 100);
  EXPECT_EQ(synth_->IsPlaying(player), 0);
  EXPECT_LT(Peak(Render(kRate / 2)), 200);  // and does not come back
  EXPECT_EQ(synth_->ClosePlayer(player), 0);
}

TEST_F(SynthTest, ALoopingFileStartsAgainOnTheSampleItEnds) {
  const int player = Open(ShortNote());
  ASSERT_EQ(synth_->Play(player, true), 0);
  const std::vector<int> out = Render(kRate * 22 / 10);
  const size_t first = Onset(out, 0);
  ASSERT_LT(first, static_cast<size_t>(kRate / 50));
  EXPECT_LT(Peak(out, kRate * 7 / 10, kRate), 200);
  const size_t second = Onset(out, kRate * 9 / 10);
  const size_t third = Onset(out, kRate * 19 / 10);
  // One second of the file is one second of samples, to within the step.
  EXPECT_NEAR(static_cast<double>(second - first), kRate, kBlock);
  EXPECT_NEAR(static_cast<double>(third - first), 2.0 * kRate, kBlock);
  EXPECT_EQ(synth_->IsPlaying(player), 1);
  EXPECT_EQ(synth_->ClosePlayer(player), 0);
  // Closing stops it too: what is left is the reverb's faint tail (the note
  // itself peaks above 2000).
  EXPECT_LT(Peak(Render(kRate / 10), kRate / 50), 300);
}

TEST_F(SynthTest, StopSilencesAtOnceAndPlayStartsOver) {
  const std::vector<uint8_t> long_note = test::MakeOneNoteFile(1920, 1920);
  const int player = Open(long_note);
  ASSERT_EQ(synth_->Play(player, false), 0);
  EXPECT_GT(Peak(Render(kRate / 5)), 1500);
  ASSERT_EQ(synth_->Stop(player), 0);
  EXPECT_EQ(synth_->IsPlaying(player), 0);
  // The notes are cut within the first 10 ms; the reverb they left dies away.
  EXPECT_LT(Peak(Render(kRate / 10), kRate / 100), 200);
  EXPECT_LT(Peak(Render(kRate / 2), kRate * 3 / 10), 20);
  ASSERT_EQ(synth_->Play(player, false), 0);
  const std::vector<int> again = Render(kRate / 5);
  EXPECT_LT(Onset(again, 0), static_cast<size_t>(kRate / 50));
  EXPECT_EQ(synth_->Stop(player), 0);
  EXPECT_EQ(synth_->Stop(player), 0);  // stopping twice is harmless
  EXPECT_EQ(synth_->ClosePlayer(player), 0);
}

TEST_F(SynthTest, MasterVolumeScalesTheWholeSynthesizer) {
  const std::vector<uint8_t> long_note = test::MakeOneNoteFile(1920, 1920);
  const int player = Open(long_note);
  auto loudness = [&](int hundredths) {
    synth_->SetMasterVolume(hundredths);
    synth_->Play(player, false);
    const double rms = Rms(Render(kRate / 5));
    synth_->Stop(player);
    Render(kRate / 2);  // let the tail go
    return rms;
  };
  const double full = loudness(0);
  ASSERT_GT(full, 100.0);
  EXPECT_NEAR(loudness(-600) / full, std::pow(10.0, -600 / 2000.0), 0.02);
  EXPECT_LT(loudness(-10000), 1.0);  // below one step of the output
  synth_->SetMasterVolume(500);
  EXPECT_EQ(synth_->MasterVolume(), 0);
  synth_->SetMasterVolume(-20000);
  EXPECT_EQ(synth_->MasterVolume(), -10000);
  EXPECT_EQ(synth_->ClosePlayer(player), 0);
}

TEST_F(SynthTest, PlayersRefuseWhatIsNoMidiFile) {
  const uint8_t wave[] = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
  EXPECT_EQ(synth_->OpenPlayer(wave, sizeof wave), -1);
  EXPECT_EQ(synth_->OpenPlayer(nullptr, 0), -1);
  EXPECT_EQ(synth_->Play(12345, false), -1);
  EXPECT_EQ(synth_->Stop(12345), -1);
  EXPECT_EQ(synth_->IsPlaying(12345), -1);
  EXPECT_EQ(synth_->ClosePlayer(12345), -1);
  EXPECT_EQ(synth_->ClosePlayer(Open(ShortNote())), 0);
}

TEST_F(SynthTest, AFileOfNoLengthAskedToLoopPlaysOnce) {
  // Either would restart without end inside one render if it looped: the
  // second lasts a second by its events, but the player keeps none of them
  // after the first tick.
  test::MidiTrack empty, dropped;
  empty.End();
  dropped.Tempo(400000).Wait(960).Event({0xFF, 0x00, 0});
  for (const std::vector<uint8_t>& file : {test::MakeMidiFile({empty}), test::MakeMidiFile({dropped})}) {
    const int player = Open(file);
    ASSERT_EQ(synth_->Play(player, true), 0);
    Render(kRate / 10);
    EXPECT_EQ(synth_->IsPlaying(player), 1);  // the synthesizer's tail time
    Render(kRate * 3);
    EXPECT_EQ(synth_->IsPlaying(player), 0);
    EXPECT_EQ(synth_->ClosePlayer(player), 0);
    EXPECT_EQ(synth_->IsPlaying(player), -1);
  }
}

TEST(SynthCreateTest, NeedsAFontThatLoadsAndLeavesTheMixerWhenItGoes) {
  audio::Mixer mixer(kRate);
  EXPECT_EQ(Synth::Create(&mixer, "/nonexistent/font.sf2"), nullptr);
  EXPECT_EQ(Synth::Create(nullptr, test::kTestSoundFont), nullptr);
  std::unique_ptr<Synth> synth = Synth::Create(&mixer, "");
  ASSERT_NE(synth, nullptr);
  const std::vector<uint8_t>& file = ShortNote();
  synth->Play(synth->OpenPlayer(file.data(), file.size()), true);
  synth.reset();
  std::vector<int16_t> out(256);
  mixer.Render(out.data(), 128);  // renders no source that is gone
  EXPECT_EQ(*std::max_element(out.begin(), out.end()), 0);
}

// What the mixer gets is FluidSynth's own output under the same settings, at
// 16-bit scale and rounded half away from zero, sample for sample.
TEST(SynthCreateTest, RendersFluidSynthsSamplesRoundedToSixteenBits) {
  constexpr int kFrames = kRate / 4;
  const std::vector<uint8_t>& file = ShortNote();
  audio::Mixer mixer(kRate);
  std::unique_ptr<Synth> synth = Synth::Create(&mixer, test::kTestSoundFont);
  ASSERT_NE(synth, nullptr);
  ASSERT_EQ(synth->Play(synth->OpenPlayer(file.data(), file.size()), false), 0);
  std::vector<int16_t> ours(kFrames * 2);
  for (int done = 0; done < kFrames; done += 1000) {
    mixer.Render(ours.data() + done * 2, std::min(1000, kFrames - done));
  }

  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kRate);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_settings_setint(settings, "player.reset-synth", 0);
  fluid_settings_setint(settings, "synth.lock-memory", 0);
  fluid_settings_setnum(settings, "synth.gain", 0.5);
  fluid_synth_t* bare = new_fluid_synth(settings);
  ASSERT_NE(fluid_synth_sfload(bare, test::kTestSoundFont, 1), FLUID_FAILED);
  fluid_synth_system_reset(bare);
  fluid_player_t* player = new_fluid_player(bare);
  fluid_player_add_mem(player, file.data(), file.size());
  fluid_player_play(player);
  std::vector<float> floats(kFrames * 2);
  fluid_synth_write_float(bare, kFrames, floats.data(), 0, 2, floats.data(), 1, 2);
  fluid_player_stop(player);
  delete_fluid_player(player);
  delete_fluid_synth(bare);
  delete_fluid_settings(settings);

  int heard = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    const float sample = std::clamp(floats[i], -8.0f, 8.0f) * 32768.0f;
    const int32_t rounded = static_cast<int32_t>(sample + (sample < 0.0f ? -0.5f : 0.5f));
    ASSERT_EQ(ours[i], std::clamp(rounded, -32768, 32767)) << "sample " << i;
    heard += std::abs(rounded) > 1000;
  }
  EXPECT_GT(heard, 100);
}

TEST(SoundFontTest, TheEnvironmentNamesTheFontElseDebiansAreFound) {
  const char* saved = std::getenv(kSoundFontVariable);
  const std::string kept = saved != nullptr ? saved : "";
  const std::string own = (std::filesystem::temp_directory_path() / "veziv-test-font.sf2").string();
  std::ofstream(own) << "font";
  setenv(kSoundFontVariable, own.c_str(), 1);
  EXPECT_EQ(FindSoundFont(), own);
  setenv(kSoundFontVariable, "/nonexistent/font.sf2", 1);
  const std::string fallback = FindSoundFont();
  EXPECT_FALSE(fallback.empty());
  EXPECT_TRUE(std::filesystem::is_regular_file(fallback));
  std::filesystem::remove(own);
  if (saved != nullptr) setenv(kSoundFontVariable, kept.c_str(), 1);
  else unsetenv(kSoundFontVariable);
}

}  // namespace
}  // namespace platform::midi
