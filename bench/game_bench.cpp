// The game's start-up and its title frame, on the made run folder, under
// the headless drivers: the whole start-up from the program entry to the
// first title frame (and the shutdown after it), beside the library's own
// start, first present and end, which every program pays; one title frame
// (clear, the title's drawing, the overlay, the present) beside a bare
// clear and present.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "game/shell/frame_loop.h"
#include "game/shell/resources.h"
#include "game/shell/startup.h"
#include "library/veziv.h"
#include "platform/window/inject.h"

namespace {

namespace fs = std::filesystem;

// Presents of the start-up: "Initializing..." and 21 caution frames.
constexpr int kStartupPresents = 22;

// A fresh copy of the run folder as the current folder, for one benchmark.
class RunFolder {
 public:
  RunFolder() : old_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "veziv-game-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    fs::copy(VEZIV_RUN_FOLDER, folder_, fs::copy_options::recursive);
    fs::current_path(folder_);
  }
  ~RunFolder() {
    fs::current_path(old_);
    fs::remove_all(folder_);
  }

 private:
  fs::path old_;
  fs::path folder_;
};

void resetGame() {
  game::resetFrameState();
  game::resetResources();
}

void BM_LibraryStartFirstPresentAndEnd(benchmark::State& state) {
  RunFolder run;
  for (auto _ : state) {
    veziv::SetScreenMode(800, 600, 32, 60);
    veziv::InitLibrary();
    veziv::ClearDrawTarget();
    veziv::PresentBackBuffer();
    veziv::EndLibrary();
  }
}

void BM_GameStartToFirstTitleFrameAndEnd(benchmark::State& state) {
  RunFolder run;
  for (auto _ : state) {
    resetGame();
    platform::window::ForgetPresentedFrames();
    platform::window::ScriptMessageBoxAnswer(platform::window::MessageBoxAnswer::kNo);
    platform::window::QuitAfterPresentedFrames(kStartupPresents + 1);
    if (game::runGame() != 0) state.SkipWithError("the game did not reach the title");
  }
}

void BM_BareClearAndPresent(benchmark::State& state) {
  RunFolder run;
  veziv::SetScreenMode(800, 600, 32, 60);
  veziv::InitLibrary();
  for (auto _ : state) {
    veziv::ClearDrawTarget();
    veziv::PresentBackBuffer();
  }
  veziv::EndLibrary();
}

void BM_TitleFrame(benchmark::State& state) {
  RunFolder run;
  resetGame();
  platform::window::ForgetPresentedFrames();
  platform::window::ScriptMessageBoxAnswer(platform::window::MessageBoxAnswer::kNo);
  if (game::initGame() != 0) {
    state.SkipWithError("the game did not start");
    return;
  }
  for (auto _ : state) {
    veziv::ClearDrawTarget();
    game::dispatchMode();
    game::drawOverlay();
  }
  game::exitGame();
  resetGame();
}

BENCHMARK(BM_LibraryStartFirstPresentAndEnd)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_GameStartToFirstTitleFrameAndEnd)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_BareClearAndPresent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("VEZIV_HEADLESS", "1", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
