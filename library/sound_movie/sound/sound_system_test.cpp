// Sound set-up: start and end, the two modes and the restart, the primary
// format, the log, output without a device, and the library's hooks.
#include "library/sound_movie/sound/sound_system.h"

#include <gtest/gtest.h>

#include "library/foundation/window/call_sites.h"
#include "library/foundation/start/library_start.h"
#include "library/sound_movie/sound/sound_test_support.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

using test::SoundTest;

class SoundSystemTest : public SoundTest {};

TEST_F(SoundSystemTest, StartsOnceEndsOnceAndLogsTheDevice) {
  EXPECT_EQ(StartSoundSystem(), -1);
  const std::string log = ReadLogWithoutStamps();
  const char* in_order[] = {"DirectSound の初期化を行います", "DirectSound インターフェースの取得を行います....",
                            "引き続きインターフェースの初期化処理...",
                            "サウンドの出力デバイスが開けませんでした　音は出力されません",
                            "\tDirectSound デバイスを列挙します", "\t\tモジュール名:           none  ドライバ記述: ",
                            "\t最大サンプリングレート:200.00KHz 最小サンプリングレート:0.10KHz ",
                            "\t プライマリ １６bit = OK  ８bit = OK ", "DirectSound の初期化は正常に終了しました"};
  size_t at = 0;
  for (const char* line : in_order) {
    at = log.find(line, at);
    ASSERT_NE(at, std::string::npos) << line;
  }
  EXPECT_EQ(detail::SoundInitMode(), 0);
  EXPECT_FALSE(detail::SoundDeviceOpen());
  EXPECT_EQ(detail::SoundMixer()->OutputRate(), 44100);
  EXPECT_EQ(detail::SoundMixer()->BufferCount(), 1);  // the silent loop

  ASSERT_EQ(EndSoundSystem(), 0);
  EXPECT_EQ(detail::SoundMixer(), nullptr);
  EXPECT_EQ(EndSoundSystem(), -1);
  EXPECT_TRUE(Logged("DirectSound の終了処理は正常に終了しました"));
}

TEST_F(SoundSystemTest, ModeChangeWhileUpRestartsAndDeletesEverySound) {
  const int handle = LoadSamples({1, 2, 3});
  ASSERT_NE(handle, -1);
  detail::SetSoundFontFinder([] { return std::string("/fonts/FluidR3_GM.sf2"); });
  EXPECT_EQ(SetSoundInitMode(0), 0);  // unchanged: nothing happens
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
  EXPECT_EQ(SetSoundInitMode(1), 0);
  EXPECT_EQ(IsSoundHandlePlaying(handle), -1);
  EXPECT_EQ(detail::SoundInitMode(), 1);
  EXPECT_EQ(detail::SoundFontPath(), "/fonts/FluidR3_GM.sf2");
  EXPECT_TRUE(Logged("DirectSound8 の初期化を行います"));
  EXPECT_TRUE(Logged("出力ポート  Device0:FluidSynth (FluidR3_GM.sf2) "));

  // While down the mode is only stored.
  ASSERT_EQ(EndSoundSystem(), 0);
  EXPECT_EQ(SetSoundInitMode(0), 0);
  EXPECT_EQ(detail::SoundMixer(), nullptr);
  ASSERT_EQ(StartSoundSystem(), 0);
  EXPECT_EQ(detail::SoundInitMode(), 0);
}

TEST_F(SoundSystemTest, ModeOneWithoutASoundFontFallsBackToModeZero) {
  detail::SetSoundFontFinder([] { return std::string(); });
  ASSERT_EQ(SetSoundInitMode(1), 0);
  EXPECT_NE(detail::SoundMixer(), nullptr);
  EXPECT_EQ(detail::SoundInitMode(), 0);
  const std::string log = ReadLogWithoutStamps();
  const size_t failed = log.find("DirectMusicLoader8 オブジェクトの作成に失敗しました\r\n前バージョンでの初期化処理に移ります\r\n");
  ASSERT_NE(failed, std::string::npos);
  EXPECT_NE(log.find("DirectSound の初期化を行います", failed), std::string::npos);
}

TEST(PrimaryFormatTest, FollowsTheCapabilities) {
  struct Case {
    bool stereo, sixteen;
    int max_rate;
    detail::PrimaryFormat expected;
  };
  const Case cases[] = {{true, true, 200000, {2, 16, 44100}},
                        {false, true, 48000, {1, 16, 44100}},
                        {true, false, 22050, {2, 8, 22050}}};
  for (const Case& c : cases) {
    detail::SoundDeviceCaps caps{};
    caps.primaryStereo = c.stereo;
    caps.primary16Bit = c.sixteen;
    caps.maxSecondaryRate = c.max_rate;
    const detail::PrimaryFormat format = detail::ChoosePrimaryFormat(caps);
    EXPECT_EQ(format.channels, c.expected.channels);
    EXPECT_EQ(format.bits, c.expected.bits);
    EXPECT_EQ(format.rate, c.expected.rate);
  }
}

TEST_F(SoundSystemTest, WithoutADeviceTheClockMovesSoundsOn) {
  const int handle = LoadSamples(std::vector<int16_t>(4410, 5));  // 100 ms
  ASSERT_EQ(PlaySoundHandle(handle, SoundPlayBack, 1), 0);
  platform::os::AdvanceManualClock(60'000);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 1);
  EXPECT_EQ(GetSoundHandlePlayPosMs(handle), 60);
  platform::os::AdvanceManualClock(40'000);
  EXPECT_EQ(IsSoundHandlePlaying(handle), 0);
}

TEST_F(SoundSystemTest, RegistersItsStepsWithTheLibrary) {
  detail::RegisteredSubsystems() = {};
  detail::RegisterSoundWithLibrary();
  const detail::LibrarySubsystems& s = detail::RegisteredSubsystems();
  ASSERT_NE(s.start_sound_system, nullptr);
  ASSERT_NE(s.end_sound_system, nullptr);
  s.end_sound_system();
  EXPECT_EQ(detail::SoundMixer(), nullptr);
  EXPECT_EQ(s.start_sound_system(), 0);
  EXPECT_EQ(RefillAllStreamSounds(), 0);
  static int refills = 0;
  detail::StreamCalls().refill_all = [] { return ++refills, 0; };
  detail::CallSites().refill_all_stream_sounds();
  EXPECT_EQ(refills, 1);
  detail::ResetCallSites();
  detail::ResetLibrarySubsystems();
}

}  // namespace
}  // namespace veziv
