// The whole game on both roads: the game run under the harness once on the
// software road and once on the device (the offscreen EGL context, any
// device taken, so Mesa's llvmpipe here), the same script both times, and
// the frames it writes out compared pixel by pixel with each frame's
// tolerance. Skipped where no device can be made.
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/os/temp_folder_test_support.h"

namespace veziv::test {
namespace {

namespace fs = std::filesystem;

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

bool ReadPng(const fs::path& path, Picture* picture) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  picture->width = static_cast<int>(image.width);
  picture->height = static_cast<int>(image.height);
  picture->rgb.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr) != 0;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One run of the game in a fresh copy of the run folder; false when it
// could not be started or ended with a failure.
bool RunGame(const fs::path& folder, const char* road) {
  fs::create_directories(folder);
  fs::copy(VEZIV_RUN_FOLDER, folder, fs::copy_options::recursive);
  const fs::path runtime = folder / "runtime";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
  // The game's own switches and drivers come from the harness, not from the
  // test run's headless settings.
  unsetenv("VEZIV_HEADLESS");
  unsetenv("SDL_VIDEODRIVER");
  setenv("VEZIV_GPU", road, 1);
  setenv("VEZIV_HARNESS", VEZIV_GAME_SCRIPT, 1);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  // The GL driver is unloaded before the leak check, so what it keeps to
  // the end cannot be told apart from the program's own: on the device the
  // library's own leak dump (checked below) stands in for the sanitizer's.
  const char* sanitizer = std::getenv("ASAN_OPTIONS");
  const std::string kept = sanitizer ? sanitizer : "";
  if (std::string(road) != "off") setenv("ASAN_OPTIONS", (kept + ":detect_leaks=0").c_str(), 1);
  const std::string command = "cd '" + folder.string() + "' && '" VEZIV_GAME "' > game-output.txt 2>&1";
  const int status = std::system(command.c_str());
  setenv("ASAN_OPTIONS", kept.c_str(), 1);
  return status == 0;
}

struct FrameTolerance {
  int frame;
  const char* shows;
  int channel;  // the difference a channel may show
  int pixels;   // how many pixels may go beyond it
};

// The harness script's frames: what each shows, and what the device may
// differ by. Strings differ most: the software road blends its glyph cells
// in sixteenths up to fifteen (a full edge lets a little of the background
// through), the device draws the glyph cache's textures, whose full cells
// are opaque. Graphs turned at any angle may take a neighbouring texel at
// their edges.
constexpr FrameTolerance kFrames[] = {
    {23, "the caution screen's text over the sky", 32, 1000},
    {40, "the title", 4, 0},
    {200, "the opening story's pictures", 4, 0},
    {330, "the opening story's text", 32, 500},
    {600, "the tutorial battle with its board's text", 16, 250},
    {760, "the tutorial battle, shots flying", 4, 100},
    {900, "the tutorial battle later", 4, 80},
};

TEST(GameOnBothRoads, TheChosenFramesAgreeWithinTheirTolerance) {
  TestFolder folder;
  const fs::path software = fs::path(folder.path()) / "software", device = fs::path(folder.path()) / "device";
  ASSERT_TRUE(RunGame(software, "off")) << ReadText(software / "game-output.txt");
  const bool ran = RunGame(device, "any");
  const std::string deviceLog = ReadText(device / "Log.txt");
  // The log is in Shift-JIS, as this file's literals are.
  if (deviceLog.find("ハードウエアで描画します") == std::string::npos)
    GTEST_SKIP() << "no device here: " << deviceLog;
  ASSERT_TRUE(ran) << ReadText(device / "game-output.txt");
  for (const fs::path& run : {software, device}) {
    SCOPED_TRACE(run.filename().string());
    EXPECT_NE(ReadText(run / "Log.txt").find("\tTotal size:0(0.000kb)  Alloc num:0\r"), std::string::npos)
        << "the library's leak dump is empty";
  }
  const std::string softwareFrames = ReadText(software / "harness-frames.txt");
  const std::string deviceFrames = ReadText(device / "harness-frames.txt");
  EXPECT_EQ(std::count(softwareFrames.begin(), softwareFrames.end(), '\n'),
            std::count(deviceFrames.begin(), deviceFrames.end(), '\n'))
      << "both roads present as many frames";

  for (const FrameTolerance& f : kFrames) {
    SCOPED_TRACE(f.shows);
    const std::string name = "harness-frame-" + std::to_string(f.frame) + ".png";
    Picture a, b;
    ASSERT_TRUE(ReadPng(software / name, &a)) << name;
    ASSERT_TRUE(ReadPng(device / name, &b)) << name;
    ASSERT_EQ(a.width, b.width);
    ASSERT_EQ(a.height, b.height);
    int worst = 0, beyond = 0, firstAt = -1;
    for (size_t p = 0; p + 2 < a.rgb.size(); p += 3) {
      int diff = 0;
      for (size_t c = 0; c < 3; ++c) diff = std::max(diff, std::abs(int(a.rgb[p + c]) - int(b.rgb[p + c])));
      worst = std::max(worst, diff);
      if (diff > f.channel && beyond++ == 0) firstAt = static_cast<int>(p / 3);
    }
    std::printf("frame %4d %-40s worst %3d, beyond %d\n", f.frame, f.shows, worst, beyond);
    // VEZIV_CROSSCHECK_FRAMES names a folder for both roads' frames and their
    // differences (eight times as strong), to look at.
    if (const char* out = std::getenv("VEZIV_CROSSCHECK_FRAMES")) {
      const fs::path to(out);
      fs::copy_file(software / name, to / ("software-" + name), fs::copy_options::overwrite_existing);
      fs::copy_file(device / name, to / ("device-" + name), fs::copy_options::overwrite_existing);
      std::vector<uint8_t> diff(a.rgb.size());
      for (size_t i = 0; i < diff.size(); ++i)
        diff[i] = static_cast<uint8_t>(std::min(255, 8 * std::abs(int(a.rgb[i]) - int(b.rgb[i]))));
      png_image image{};
      image.version = PNG_IMAGE_VERSION;
      image.width = static_cast<png_uint_32>(a.width);
      image.height = static_cast<png_uint_32>(a.height);
      image.format = PNG_FORMAT_RGB;
      png_image_write_to_file(&image, (to / ("difference-" + name)).c_str(), 0, diff.data(), 0, nullptr);
    }
    EXPECT_LE(beyond, f.pixels) << "worst channel difference " << worst << "; first beyond at "
                                << firstAt % a.width << "," << firstAt / a.width;
  }
}

}  // namespace
}  // namespace veziv::test
