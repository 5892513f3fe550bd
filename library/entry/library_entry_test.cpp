// InitLibrary in a fresh folder: whatever the start and end table held
// before, it starts the window, input, sound, graphics and the fonts, and
// EndLibrary ends each of them again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "library/foundation/start/library_start.h"
#include "library/foundation/window/main_window.h"
#include "library/veziv.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/sound_movie/sound/sound_system.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/input/input_state.h"
#include "platform/os/temp_folder_test_support.h"

namespace veziv {
namespace {

namespace fs = std::filesystem;

class LibraryEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    old_folder_ = fs::current_path();
    fs::current_path(folder_.path());
    setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    SwitchWindowedMode(1);
  }
  void TearDown() override {
    EndLibrary();
    detail::ResetLibrarySubsystems();
    fs::current_path(old_folder_);
  }
  std::string Log() const {
    std::ifstream in(folder_ / "Log.txt", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  test::TestFolder folder_;
  fs::path old_folder_;
};

TEST_F(LibraryEntry, StartsAndEndsEverySubsystemWhateverTheTableHeld) {
  struct Case {
    const char* name;
    void (*prepare)();
  };
  // (The table as a process starts with it is the game's run.)
  const Case cases[] = {
      {"emptied", [] { detail::RegisteredSubsystems() = {}; }},
      {"a stray step", [] { detail::RegisteredSubsystems().start_graphics_system = [] { return -1; }; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.prepare();
    ASSERT_EQ(InitLibrary(), 0);
    EXPECT_NE(GetAppWindowHandle(), nullptr);
    EXPECT_TRUE(detail::Input().set_up);
    EXPECT_NE(detail::SoundMixer(), nullptr);
    EXPECT_EQ(detail::Screen().started, 1);
    EXPECT_EQ(IsValidFontHandle(GetLibraryDefaultFont()), 1);
    EXPECT_EQ(InitLibrary(), 0) << "already started";

    EXPECT_EQ(EndLibrary(), 0);
    EXPECT_EQ(GetAppWindowHandle(), nullptr);
    EXPECT_FALSE(detail::Input().set_up);
    EXPECT_EQ(detail::SoundMixer(), nullptr);
    EXPECT_EQ(detail::Screen().started, 0);
    const std::string log = Log();
    EXPECT_NE(log.find("入力関連の初期化をしました\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(":\tTotal size:0(0.000kb)  Alloc num:0\r\n"), std::string::npos) << log;
  }
}

}  // namespace
}  // namespace veziv
