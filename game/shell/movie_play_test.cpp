// The opening movie of the made data folder played by the game's movie
// loop on the headless library: it runs on the clock to its end, while a
// file that cannot be loaded ends the loop at once.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/shell/music_voices.h"
#include "library/foundation/start/library_start.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/sound_movie/movie/movie_handles.h"
#include "library/sound_movie/sound/sound_system.h"
#include "library/text_input/input/input.h"
#include "library/veziv.h"
#include "platform/os/clock.h"
#include "platform/os/temp_folder_test_support.h"

namespace game {
namespace {

class MoviePlay : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    platform::os::UseManualClock(1000000);
    veziv::detail::ResetLibrarySubsystems();
    veziv::detail::RegisterGraphicsWithLibrary();
    veziv::detail::RegisterInputWithLibrary();
    veziv::detail::RegisterSoundWithLibrary();
    veziv::detail::RegisterMoviesWithLibrary();
    veziv::SwitchWindowedMode(1);
    veziv::SetScreenMode(800, 600, 32, 60);
    ASSERT_EQ(veziv::detail::StartLibrary(), 0);
  }
  void TearDown() override {
    veziv::EndLibrary();
    veziv::detail::ResetLibrarySubsystems();
    platform::os::UseRealClock();
    std::filesystem::current_path(old_);
  }
  // Milliseconds of the clock a movie took.
  static int64_t play(const std::string& file) {
    const int64_t start = veziv::GetMicrosecondCount(0);
    playMovie(file, false);
    return (veziv::GetMicrosecondCount(0) - start) / 1000;
  }

  veziv::test::TestFolder folder_;
  std::filesystem::path old_;
};

TEST_F(MoviePlay, TheOpeningMovieRunsToItsEndAndAMissingOneEndsAtOnce) {
  const std::string movie = std::string(DEMODATA_RUN_FOLDER) + "/image/movie/opening.ogv";
  ASSERT_TRUE(std::filesystem::exists(movie));
  const int64_t ms = play(movie);
  EXPECT_GE(ms, 5900);  // 90 frames at 15 a second
  EXPECT_LT(ms, 6500);
  EXPECT_EQ(play("image/movie/none.ogv"), 0);
}

}  // namespace
}  // namespace game
