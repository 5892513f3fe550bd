// A test of the game's pictures and sounds on the started library: a folder
// of its own as the current one, the made data folder as the start of
// relative paths, the manual clock, and the registry's paths in place.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "game/core/resources.h"
#include "library/veziv.h"
#include "platform/os/clock.h"
#include "platform/os/host_path.h"
#include "platform/os/temp_folder_test_support.h"
#include "platform/window/inject.h"

namespace game::test {

class StartedLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    platform::os::UseManualClock(1000000);
    platform::window::ForgetPresentedFrames();
    veziv::SwitchWindowedMode(1);
    veziv::SetScreenMode(800, 600, 32, 60);
    ASSERT_EQ(veziv::InitLibrary(), 0);
    oldStart_ = platform::os::StartFolder();
    platform::os::SetStartFolder(VEZIV_RUN_FOLDER);
    registerResources();
  }
  void TearDown() override {
    platform::os::SetStartFolder(oldStart_);
    veziv::EndLibrary();
    platform::window::ForgetPresentedFrames();
    platform::os::UseRealClock();
    std::filesystem::current_path(old_);
  }
  // Whether a graph handle names a graph of the library.
  static bool graphExists(veziv::GraphHandle graph) {
    int width = 0, height = 0;
    return veziv::QueryGraphDimensions(graph, &width, &height) == 0;
  }

  veziv::test::TestFolder folder_;
  std::filesystem::path old_;
  std::string oldStart_;
};

}  // namespace game::test
