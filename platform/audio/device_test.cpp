// The device over SDL's dummy driver (the tests run headless): it pulls the
// mixer from its own thread until a short sound has played out, and lets go of
// it at a close.
#include "platform/audio/device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace platform::audio {
namespace {

TEST(AudioDeviceTest, PullsTheMixerUntilASoundHasPlayedOut) {
  Mixer mixer(44100);
  DeviceDescription description;
  ASSERT_TRUE(OpenDevice(&mixer, &description));
  EXPECT_TRUE(IsDeviceOpen());
  EXPECT_FALSE(OpenDevice(&mixer, nullptr));  // one at a time
  EXPECT_EQ(description.driver, "dummy");
  EXPECT_EQ(description.rate, 44100);
  EXPECT_EQ(description.channels, 2);
  EXPECT_EQ(description.bits, 16);
  EXPECT_GT(description.block_frames, 0);

  // Half a second, so that a poll sees the sound under way even on a busy
  // machine where the test's thread sleeps far longer than it asks.
  const int buffer = mixer.CreateBuffer({2, 16, 44100}, 22050 * 4);
  ASSERT_GT(buffer, 0);
  ASSERT_EQ(mixer.Play(buffer, false), 0);
  uint32_t status = kStatusPlaying;
  uint32_t last = 0;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while ((status & kStatusPlaying) != 0 && std::chrono::steady_clock::now() < give_up) {
    uint32_t cursor = 0;
    ASSERT_EQ(mixer.GetPosition(buffer, &cursor), 0);
    ASSERT_EQ(mixer.GetStatus(buffer, &status), 0);
    if (status & kStatusPlaying) {
      EXPECT_GE(cursor, last);
      last = cursor;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(status & kStatusPlaying, 0u);
  EXPECT_GT(last, 0u);
  CloseDevice();
  EXPECT_FALSE(IsDeviceOpen());
  CloseDevice();
}

// After CloseDevice the device no longer touches the mixer (the test frees it
// and waits a few blocks: AddressSanitizer would see a late pull), and the
// next OpenDevice pulls the new mixer until its sound has played out.
TEST(AudioDeviceTest, ACloseLetsGoOfTheMixerAndTheNextOpenPullsTheNewOne) {
  auto first = std::make_unique<Mixer>(44100);
  ASSERT_TRUE(OpenDevice(first.get(), nullptr));
  CloseDevice();
  EXPECT_FALSE(IsDeviceOpen());
  first.reset();
  std::this_thread::sleep_for(std::chrono::milliseconds(80));

  Mixer second(44100);
  DeviceDescription description;
  ASSERT_TRUE(OpenDevice(&second, &description));
  EXPECT_TRUE(IsDeviceOpen());
  EXPECT_EQ(description.driver, "dummy");
  EXPECT_EQ(description.rate, 44100);
  const int buffer = second.CreateBuffer({2, 16, 44100}, 4410 * 4);
  ASSERT_GT(buffer, 0);
  ASSERT_EQ(second.Play(buffer, false), 0);
  uint32_t status = kStatusPlaying;
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while ((status & kStatusPlaying) != 0 && std::chrono::steady_clock::now() < give_up) {
    ASSERT_EQ(second.GetStatus(buffer, &status), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(status & kStatusPlaying, 0u);
  CloseDevice();
  EXPECT_FALSE(IsDeviceOpen());
}

}  // namespace
}  // namespace platform::audio
