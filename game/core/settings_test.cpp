// The settings file: its bytes, what a damaged or short file gives, and the
// whole-file writing that every file under save/ goes through.
#include "game/core/settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/core/save_files.h"
#include "platform/os/temp_folder_test_support.h"

namespace game {
namespace {

std::vector<uint8_t> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::vector<uint8_t> kGolden = {10, 0, 0, 0, 20, 0, 0, 0, 30, 0, 0,   0, 100, 0, 0,
                                      0,  1, 0, 1, 0,  1, 0, 1, 0,  1, 160, 0, 0,   0, 1};

TEST(SettingsFile, GoldenBytesBothWays) {
  settingsRecordData r;
  r.bgmVolume = 10;
  r.seVolume = 20;
  r.voiceVolume = 30;
  r.radioVolume = 100;
  const uint8_t switches[7] = {1, 0, 1, 0, 1, 0, 1};
  std::copy(switches, switches + 7, r.voiceEnabled);
  r.midiMode = 0;
  r.battleEventsOn = 1;
  r.textSpeed = 160;
  r.storyCleared = 1;
  uint8_t out[kConfigFileSize];
  encodeConfig(r, out);
  EXPECT_EQ(std::vector<uint8_t>(out, out + kConfigFileSize), kGolden);

  const settingsRecordData back = decodeConfig(kGolden.data(), kGolden.size());
  uint8_t again[kConfigFileSize];
  encodeConfig(back, again);
  EXPECT_EQ(std::vector<uint8_t>(again, again + kConfigFileSize), kGolden);

  veziv::test::TestFolder folder;
  const std::string path = folder / "Config.dat";
  ASSERT_TRUE(writeConfigFile(path.c_str(), r));
  EXPECT_EQ(fileBytes(path), kGolden);
  settingsRecordData read;
  ASSERT_TRUE(readConfigFile(path.c_str(), &read));
  EXPECT_EQ(read.textSpeed, 160);
  EXPECT_EQ(read.midiMode, 0);
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST(SettingsFile, MissingFileGivesDefaultsAndWritesNothing) {
  veziv::test::TestFolder folder;
  settingsRecordData r;
  r.bgmVolume = 3;
  r.storyCleared = 1;
  const std::string path = folder / "Config.dat";
  EXPECT_FALSE(readConfigFile(path.c_str(), &r));
  EXPECT_EQ(r.bgmVolume, 80);
  EXPECT_EQ(r.radioVolume, 80);
  EXPECT_EQ(r.voiceEnabled[6], 1);
  EXPECT_EQ(r.midiMode, 1);
  EXPECT_EQ(r.battleEventsOn, 1);
  EXPECT_EQ(r.textSpeed, 20);
  EXPECT_EQ(r.storyCleared, 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SettingsFile, HostileValuesAreClampedAndShortFilesKeepDefaults) {
  // Out-of-range volumes and speeds, switches other than 0 and 1.
  std::vector<uint8_t> bytes = kGolden;
  putLeI32(bytes.data() + 0, -5);
  putLeI32(bytes.data() + 4, 256);
  putLeI32(bytes.data() + 8, INT32_MIN);
  bytes[16] = 0xFF;
  bytes[23] = 7;
  bytes[24] = 0x80;
  putLeI32(bytes.data() + 25, 0);
  bytes[29] = 2;
  settingsRecordData r = decodeConfig(bytes.data(), bytes.size());
  EXPECT_EQ(r.bgmVolume, 0);
  EXPECT_EQ(r.seVolume, 100);
  EXPECT_EQ(r.voiceVolume, 0);
  EXPECT_EQ(r.voiceEnabled[0], 1);
  EXPECT_EQ(r.midiMode, 1);
  EXPECT_EQ(r.battleEventsOn, 1);
  EXPECT_EQ(r.textSpeed, kMinTextSpeed);
  EXPECT_EQ(r.storyCleared, 1);
  putLeI32(bytes.data() + 25, 100000);
  EXPECT_EQ(decodeConfig(bytes.data(), bytes.size()).textSpeed, kMaxTextSpeed);

  // A short file: the whole fields it holds, defaults behind them. A field
  // cut in the middle (the text speed of a 27-byte file) is not taken.
  struct ShortCase {
    size_t size;
    int32_t bgm, radio;
    uint8_t lastSwitch, midi;
    int32_t speed;
  };
  const ShortCase cases[] = {
      {0, 80, 80, 1, 1, 20},   {3, 80, 80, 1, 1, 20},   {4, 10, 80, 1, 1, 20},    {16, 10, 100, 1, 1, 20},
      {24, 10, 100, 1, 0, 20}, {27, 10, 100, 1, 0, 20}, {29, 10, 100, 1, 0, 160},
  };
  for (const ShortCase& c : cases) {
    SCOPED_TRACE(c.size);
    r = decodeConfig(kGolden.data(), c.size);
    EXPECT_EQ(r.bgmVolume, c.bgm);
    EXPECT_EQ(r.radioVolume, c.radio);
    EXPECT_EQ(r.voiceEnabled[6], c.lastSwitch);
    EXPECT_EQ(r.midiMode, c.midi);
    EXPECT_EQ(r.textSpeed, c.speed);
    EXPECT_EQ(r.storyCleared, 0);
  }
  // Bytes beyond the 30 are ignored.
  std::vector<uint8_t> longer = kGolden;
  longer.resize(64, 0xEE);
  EXPECT_EQ(decodeConfig(longer.data(), longer.size()).storyCleared, 1);
}

TEST(SaveFileWrite, FailureKeepsTheOldFileWhole) {
  veziv::test::TestFolder folder;
  const std::string path = folder / "Config.dat";
  settingsRecordData r;
  r.bgmVolume = 55;
  ASSERT_TRUE(writeConfigFile(path.c_str(), r));
  const std::vector<uint8_t> before = fileBytes(path);
  ASSERT_EQ(before.size(), 30u);

  // A disk that takes 16 bytes and then is full: the file size limit makes
  // the kernel refuse the rest of the write.
  r.bgmVolume = 77;
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const sighandler_t oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = writeConfigFile(path.c_str(), r);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(written);
  EXPECT_EQ(fileBytes(path), before);
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

  // A folder that does not exist: nothing written, nothing created.
  const std::string nowhere = folder / "missing/Config.dat";
  EXPECT_FALSE(writeConfigFile(nowhere.c_str(), r));
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));

  // The next write that can go through replaces the file.
  ASSERT_TRUE(writeConfigFile(path.c_str(), r));
  settingsRecordData read;
  ASSERT_TRUE(readConfigFile(path.c_str(), &read));
  EXPECT_EQ(read.bgmVolume, 77);
}

}  // namespace
}  // namespace game
