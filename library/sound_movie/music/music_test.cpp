// Music over the mixer without a device, with the small General MIDI font:
// which road a file takes in each mode, MIDI that sounds, loops, ends and
// stops in the rendered output, the volume, the seen-playing latch and the
// sound-file player.
#include "library/sound_movie/music/music.h"

#include <gtest/gtest.h>

#include <cmath>

#include "library/foundation/window/call_sites.h"
#include "library/foundation/start/library_start.h"
#include "library/sound_movie/sound/sound_test_support.h"
#include "platform/midi/synth.h"

namespace veziv {
namespace {

using platform::midi::test::MakeOneNoteFile;
using test::SoundTest;

constexpr int kRate = 44100;

class MusicTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    midi_ = WriteFile("song.mid", MakeOneNoteFile(96, 960));  // a tenth of a second of piano in a second
    ogg_ = WriteFile("song.ogg", test::MakeOggVorbis(1, kRate, kRate / 2));
  }
  // The next frames of the left channel, polled as the pump polls.
  static std::vector<int16_t> Play(int frames) {
    std::vector<int16_t> out;
    for (int done = 0; done < frames; done += 735) {
      PollMidiPlayState();
      const std::vector<int16_t> part = Left(Render(std::min(735, frames - done)));
      out.insert(out.end(), part.begin(), part.end());
    }
    PollMidiPlayState();
    return out;
  }
  static int Peak(const std::vector<int16_t>& samples, size_t from, size_t to) {
    int peak = 0;
    for (size_t i = from; i < std::min(to, samples.size()); ++i) peak = std::max(peak, std::abs(int{samples[i]}));
    return peak;
  }
  std::string midi_, ogg_;
};

TEST_F(MusicTest, EachModeSendsAFileDownItsOwnRoad) {
  struct Case {
    int mode;
    const char* file;
    int result;
    int music_handles, sound_handles;  // while it is the current music
  };
  const std::string garbage = WriteFile("noise.mid", std::vector<uint8_t>(300, 0x41));
  const std::string missing = folder_ + "/missing.mid";
  const Case cases[] = {
      {1, midi_.c_str(), 0, 1, 0},   {1, ogg_.c_str(), -1, 0, 0},     {0, midi_.c_str(), 0, 1, 0},
      {0, ogg_.c_str(), 0, 0, 1},    {0, garbage.c_str(), -1, 0, 0},  {1, missing.c_str(), -1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " " << c.file);
    ASSERT_EQ(SetSoundInitMode(c.mode), 0);
    ASSERT_EQ(detail::SoundInitMode(), c.mode);
    EXPECT_EQ(PlayMusicFile(c.file, SoundPlayLoop), c.result);
    EXPECT_EQ(detail::MusicHandleCount(), c.music_handles);
    EXPECT_EQ(detail::SoundHandleCount(), c.sound_handles);
    EXPECT_EQ(IsMusicPlaying(), c.result == 0 ? 1 : 0);
    EXPECT_EQ(GetSoundCreateType(), 0);  // the stream road's create type is put back
    EXPECT_EQ(StopCurrentMusic(), 0);
    EXPECT_EQ(IsMusicPlaying(), 0);
    EXPECT_EQ(detail::MusicHandleCount() + detail::SoundHandleCount(), 0);
  }
  EXPECT_TRUE(Logged("ミュージックデータから DirectMusicSegment8 を取得する処理が失敗しました"));
  EXPECT_TRUE(Logged("ミュージックファイル " + missing + " の読み込みに失敗しました in LoadMusicFileToHandle"));
  // The stream road plays the Ogg data through a stream of its own.
  ASSERT_EQ(SetSoundInitMode(0), 0);
  ASSERT_EQ(PlayMusicFile(ogg_.c_str(), SoundPlayBack), 0);
  EXPECT_GT(Peak(Play(kRate / 4), 0, kRate / 4), 1000);
}

TEST_F(MusicTest, TheNextMusicReleasesTheOneBeforeWhateverItsKind) {
  const char* files[] = {midi_.c_str(), ogg_.c_str(), ogg_.c_str(), midi_.c_str(), midi_.c_str()};
  for (const char* file : files) {
    SCOPED_TRACE(file);
    ASSERT_EQ(PlayMusicFile(file, SoundPlayLoop), 0);
    EXPECT_EQ(detail::MusicHandleCount() + detail::SoundHandleCount(), 1);
    EXPECT_EQ(IsMusicPlaying(), 1);
  }
}

TEST_F(MusicTest, MidiSoundsLoopsEndsAndStopsInBothModes) {
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(SetSoundInitMode(mode), 0);
    // Looping: the note comes back a second later, and the music goes on.
    ASSERT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayLoop), 0);
    std::vector<int16_t> out = Play(kRate * 105 / 100);
    EXPECT_GT(Peak(out, 0, kRate / 10), 1000);
    EXPECT_LT(Peak(out, kRate * 7 / 10, kRate), 200);
    EXPECT_GT(Peak(out, kRate, kRate * 105 / 100), 1000);
    EXPECT_EQ(IsMusicPlaying(), 1);
    // Stopped while the note sounds: it is cut at once (only its reverb dies
    // away), and the music no longer plays.
    EXPECT_EQ(StopCurrentMusic(), 0);
    EXPECT_EQ(IsMusicPlaying(), 0);
    EXPECT_LT(Peak(Play(kRate * 6 / 10), kRate / 100, kRate / 10), 200);
    EXPECT_LT(Peak(Play(kRate / 10), 0, kRate / 10), 20);
    // Once: over at the file's end, and it does not come back.
    ASSERT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayBack), 0);
    out = Play(kRate * 9 / 10);
    EXPECT_GT(Peak(out, 0, kRate / 10), 1000);
    EXPECT_EQ(IsMusicPlaying(), 1);
    out = Play(kRate * 3 / 10);
    EXPECT_EQ(IsMusicPlaying(), 0);
    EXPECT_LT(Peak(out, kRate / 10, kRate * 3 / 10), 200);
  }
}

TEST_F(MusicTest, PlayStateWaitsUntilTheMusicHasBeenSeenPlaying) {
  ASSERT_EQ(SetSoundInitMode(1), 0);
  const int handle = LoadMusicFileToHandle(midi_.c_str());
  ASSERT_NE(handle, -1);
  EXPECT_EQ(GetMusicPlayState(handle), 0);
  ASSERT_EQ(PlayMidiMusic(handle, SoundPlayBack), 0);
  Render(kRate * 12 / 10);
  // No poll saw it playing before its end: it still counts as playing, as
  // music that has not started yet does.
  PollMidiPlayState();
  EXPECT_EQ(GetMusicPlayState(handle), 1);
  ASSERT_EQ(PlayMidiMusic(handle, SoundPlayBack), 0);
  PollMidiPlayState();  // seen playing
  EXPECT_EQ(GetMusicPlayState(handle), 1);
  Render(kRate * 12 / 10);
  PollMidiPlayState();
  EXPECT_EQ(GetMusicPlayState(handle), 0);
  EXPECT_EQ(ReleaseMusicHandle(handle), 0);
  EXPECT_EQ(GetMusicPlayState(handle), -1);
}

TEST_F(MusicTest, VolumeGoesToTheSoundOrToTheMidiMasterVolume) {
  struct Case {
    int volume, base, hundredths;
  };
  const Case cases[] = {{255, 0, 0}, {245, 0, -430}, {146, 0, -4297}, {0, 0, -10000},
                        {255, -500, -500}, {245, -500, -909}, {0, -500, -10000}};
  for (const Case& c : cases) EXPECT_EQ(detail::MusicMasterVolume(c.volume, c.base), c.hundredths) << c.volume;

  ASSERT_EQ(SetSoundInitMode(1), 0);
  ASSERT_EQ(SetMusicVolume(245), 0);
  ASSERT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayLoop), 0);  // the synthesizer is made now
  ASSERT_NE(detail::MusicSynth(), nullptr);
  EXPECT_EQ(detail::MusicSynth()->MasterVolume(), -430);
  ASSERT_EQ(SetMusicVolume(255), 0);
  EXPECT_EQ(detail::MusicSynth()->MasterVolume(), 0);

  ASSERT_EQ(SetSoundInitMode(0), 0);
  ASSERT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayLoop), 0);
  ASSERT_EQ(SetMusicVolume(100), 0);  // mode 0 keeps the MIDI volume
  EXPECT_EQ(detail::MusicSynth()->MasterVolume(), 0);
  // Music that plays as a sound takes the volume as a sound does: 128 is
  // -2.99 dB, 0.709 of the level.
  ASSERT_EQ(PlayMusicFile(ogg_.c_str(), SoundPlayLoop), 0);
  const double full = Peak(Play(kRate / 10), 0, kRate / 10);
  ASSERT_GT(full, 10000);
  ASSERT_EQ(SetMusicVolume(128), 0);
  EXPECT_NEAR(Peak(Play(kRate / 10), 0, kRate / 10) / full, 0.709, 0.01);
}

TEST_F(MusicTest, TheSoundFilePlayerKeepsOneSound) {
  EXPECT_EQ(StopFileSoundPlayer(), 0);
  EXPECT_EQ(IsSoundFilePlaying(), 0);
  const std::string first = WriteFile("a.wav", test::MakeWave({}));
  test::WaveRecipe tone;
  tone.channels = 1;
  tone.pcm = test::Pcm16(std::vector<int16_t>(kRate, 3000));
  const std::string second = WriteFile("b.wav", test::MakeWave(tone));
  ASSERT_EQ(PlayFileThroughSoundPlayer(second.c_str(), SoundPlayBack), 0);
  ASSERT_EQ(PlayFileThroughSoundPlayer(second.c_str(), SoundPlayLoop), 0);
  EXPECT_EQ(detail::SoundHandleCount(), 1);
  EXPECT_EQ(IsSoundFilePlaying(), 1);
  EXPECT_EQ(Left(Render(10)), std::vector<int16_t>(10, 3000));
  EXPECT_EQ(StopFileSoundPlayer(), 0);
  EXPECT_EQ(IsSoundFilePlaying(), 0);
  // A file that does not load leaves no player sound.
  EXPECT_EQ(PlayFileThroughSoundPlayer(first.c_str(), SoundPlayBack), -1);
  EXPECT_EQ(detail::SoundHandleCount(), 0);
  EXPECT_EQ(IsSoundFilePlaying(), 0);
  ASSERT_EQ(PlayFileThroughSoundPlayer(second.c_str(), SoundPlayBack), 0);
  EXPECT_EQ(DeleteSoundHandleAll(0), 0);  // forgets the player's sound
  EXPECT_EQ(IsSoundFilePlaying(), 0);
  EXPECT_EQ(StopFileSoundPlayer(), 0);
}

TEST_F(MusicTest, WithoutASoundFontMusicFailsAndTheRestGoesOn) {
  EndSoundSystem();
  detail::SetSoundFontFinder([] { return std::string(); });
  ASSERT_EQ(StartSoundSystem(), 0);
  EXPECT_TRUE(Logged("MIDI 用のサウンドフォントが見つかりません　MIDI は演奏されません"));
  EXPECT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayLoop), -1);  // and it is no sound either
  EXPECT_EQ(IsMusicPlaying(), 0);
  EXPECT_EQ(PlayMusicFile(ogg_.c_str(), SoundPlayLoop), 0);
  EXPECT_EQ(IsMusicPlaying(), 1);

  // A font that does not load: logged once, and MIDI fails in mode 1 too.
  detail::SetSoundFontFinder([] { return std::string("/nonexistent/font.sf2"); });
  ASSERT_EQ(SetSoundInitMode(1), 0);
  EXPECT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayLoop), -1);
  EXPECT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayLoop), -1);
  EXPECT_TRUE(Logged("サウンドフォント /nonexistent/font.sf2 の読み込みに失敗しました　MIDI は演奏されません"));
}

TEST_F(MusicTest, SoundsEndTakesTheMusicWithIt) {
  ASSERT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayLoop), 0);
  ASSERT_EQ(PlayFileThroughSoundPlayer(ogg_.c_str(), SoundPlayLoop), 0);
  ASSERT_EQ(SetSoundInitMode(1), 0);  // a restart
  EXPECT_EQ(detail::MusicHandleCount(), 0);
  EXPECT_EQ(IsMusicPlaying(), 0);
  EXPECT_EQ(IsSoundFilePlaying(), 0);
  EXPECT_EQ(Peak(Left(Render(kRate / 10)), 0, kRate / 10), 0);
  EndSoundSystem();
  EXPECT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayLoop), -1);
  EXPECT_EQ(StopCurrentMusic(), -1);
  EXPECT_EQ(IsMusicPlaying(), -1);
  EXPECT_EQ(SetMusicVolume(255), -1);
  EXPECT_EQ(PlayFileThroughSoundPlayer(ogg_.c_str(), SoundPlayBack), -1);
  EXPECT_EQ(StopFileSoundPlayer(), -1);
  EXPECT_EQ(IsSoundFilePlaying(), -1);
  EXPECT_EQ(PollMidiPlayState(), -1);
}

TEST_F(MusicTest, ThePumpPollsTheMidiAndTheLibraryStopsTheMusic) {
  detail::LibrarySubsystems saved = detail::RegisteredSubsystems();
  detail::RegisterSoundWithLibrary();
  ASSERT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayBack), 0);
  Render(kRate * 12 / 10);
  detail::CallSites().poll_midi_play_state();
  EXPECT_EQ(IsMusicPlaying(), 0);
  ASSERT_EQ(PlayMusicFile(midi_.c_str(), SoundPlayLoop), 0);
  detail::RegisteredSubsystems().stop_current_music();
  EXPECT_EQ(detail::MusicHandleCount(), 0);
  detail::ResetCallSites();
  detail::RegisteredSubsystems() = saved;
}

}  // namespace
}  // namespace veziv
