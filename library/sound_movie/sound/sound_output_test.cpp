// The library started with sound alone on SDL's dummy driver (the tests run
// headless): a sound loaded from a file plays to its end on the device's
// own thread, once waited for and once polled; a stream sound and a MIDI
// file are waited for while the pump refills and polls them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "library/foundation/start/library_start.h"
#include "library/foundation/window/pump.h"
#include "library/sound_movie/music/music.h"
#include "library/sound_movie/sound/sound_test_support.h"
#include "platform/os/clock.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

// The library starts in a folder of its own (for its log) and with the
// subsystems the test registers; both are put back afterwards.
class SoundOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(getcwd(old_folder_, sizeof old_folder_), nullptr);
    ASSERT_EQ(chdir(folder_.path().c_str()), 0);
  }
  void TearDown() override {
    detail::ResetLibrarySubsystems();
    ASSERT_EQ(chdir(old_folder_), 0);
  }
  veziv::test::TestFolder folder_;
  char old_folder_[4096];
};

TEST_F(SoundOutputTest, PlaysASoundToItsEndThroughTheDevice) {
  detail::ResetLibrarySubsystems();
  detail::RegisterSoundWithLibrary();
  ASSERT_EQ(detail::StartLibrary(), 0);
  EXPECT_TRUE(detail::SoundDeviceOpen());

  test::WaveRecipe spec;
  // 0.4 s: long enough that a loaded machine still polls it while it plays.
  spec.pcm = test::Pcm16(std::vector<int16_t>(2 * 17640, 1000));
  const std::vector<uint8_t> wave = test::MakeWave(spec);
  const int handle = LoadSoundFromFileImage(wave.data(), static_cast<int>(wave.size()), 1, -1);
  ASSERT_NE(handle, -1);

  const uint32_t start = platform::os::MillisecondClock();
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayWait, 1), 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  EXPECT_GE(platform::os::MillisecondClock() - start, 390u);

  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  const uint32_t give_up = platform::os::MillisecondClock() + 5000;
  int last_ms = 0;
  while (IsSoundHandlePlaying(handle) == 1 && platform::os::MillisecondClock() < give_up) {
    const int ms = GetSoundHandlePlayPosMs(handle);
    EXPECT_GE(ms, last_ms);
    last_ms = ms;
    platform::os::Sleep(1);
  }
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  EXPECT_GT(last_ms, 0);

  EndLibrary();
  EXPECT_EQ(detail::SoundMixer(), nullptr);
}

TEST_F(SoundOutputTest, StreamsAndMidiPlayThroughTheDeviceWhileThePumpRuns) {
  // With the window this time: the pump refills and polls only while there is one.
  detail::RegisterSoundWithLibrary();
  SetRunWhileInactive(1);
  detail::SetSoundFontFinder([] { return std::string(platform::midi::test::kTestSoundFont); });
  ASSERT_EQ(SetSoundInitMode(1), 0);
  ASSERT_EQ(detail::StartLibrary(), 0);
  ASSERT_TRUE(detail::SoundDeviceOpen());

  test::WaveRecipe spec;
  spec.pcm = test::Pcm16(std::vector<int16_t>(2 * 8820, 1000));  // 0.2 s
  const std::vector<uint8_t> wave = test::MakeWave(spec);
  ASSERT_EQ(SetSoundCreateType(2), 0);
  const int stream = LoadSoundFromFileImage(wave.data(), static_cast<int>(wave.size()), 1, -1);
  ASSERT_NE(stream, -1);
  uint32_t start = platform::os::MillisecondClock();
  ASSERT_EQ(PlaySoundHandle(stream, SoundPlayWait, 1), 0);
  EXPECT_EQ(IsSoundHandlePlaying(stream), 0);
  EXPECT_GE(platform::os::MillisecondClock() - start, 190u);
  EXPECT_EQ(GetSoundHandlePlayPosMs(stream), 200);

  const std::vector<uint8_t> song = platform::midi::test::MakeOneNoteFile(96, 288);  // 0.3 s
  const std::string path = folder_.path() + "/song.mid";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(song.data()),
                                              static_cast<std::streamsize>(song.size()));
  start = platform::os::MillisecondClock();
  EXPECT_EQ(PlayMusicFile(path.c_str(), SoundPlayWait), 0);
  EXPECT_EQ(IsMusicPlaying(), 0);
  EXPECT_GE(platform::os::MillisecondClock() - start, 290u);

  EndLibrary();
  EXPECT_EQ(detail::SoundMixer(), nullptr);
  SetRunWhileInactive(0);
  SetSoundInitMode(0);
  detail::SetSoundFontFinder(nullptr);
}

}  // namespace
}  // namespace veziv
