// A scripted run of the whole game under the whole-game harness
// (VEZIV_HARNESS: SDL's dummy drivers, the manual clock, the script's keys
// by presented frame), as fast as the harness lets it go: from the program
// entry through the start-up, the title, the player-count select and the
// battle set-up screen's choices, and the tutorial battle played through
// (bench/game_run.harness). It reports
// frames a second and the slowest frame of the loop, overall and in the
// battle; beside it, a bare clear and present under the same harness, the
// floor that every frame pays. With --story it plays instead the whole story
// from a new game to the ending and back at the title: the first start of
// the whole-game test's script (tests/game/whole_game.harness), cut where
// the title comes back.
//
// The harness starts with the program, so the benchmark starts itself again
// with VEZIV_HARNESS set, in a fresh copy of the run folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/core/frame_loop.h"
#include "game/core/session.h"
#include "game/shell/setup_run_test_support.h"
#include "game/shell/startup.h"
#include "game/story/story_screen.h"
#include "library/veziv.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kFolderVariable = "VEZIV_GAME_RUN_BENCH_FOLDER";
constexpr const char* kStoryVariable = "VEZIV_GAME_RUN_BENCH_STORY";
// The whole-game script's frame at which the ending has brought the title back.
constexpr int kStoryEndFrame = 19400;

// The loop's passes as they end: each pass's length and the mode it ran in.
struct PassTimes {
  int32_t lastCounter = -1;
  Clock::time_point lastStart;
  int32_t lastMode = 0;
  std::vector<double> ms;
  std::vector<int32_t> modes;
  bool reachedSetUp = false;
  bool reachedStory = false;
  bool titleAfterStory = false;
};
PassTimes* passes = nullptr;

game::test::Step beforeScreen(int32_t mode) {
  PassTimes& p = *passes;
  const int32_t counter = game::Session().frame.frameCounter;
  if (counter != p.lastCounter) {
    const Clock::time_point now = Clock::now();
    if (p.lastCounter >= 0) {
      p.ms.push_back(std::chrono::duration<double, std::milli>(now - p.lastStart).count());
      p.modes.push_back(p.lastMode);
    }
    p.lastCounter = counter;
    p.lastStart = now;
    p.lastMode = mode;
  }
  if (mode == game::kModeBattleSetup) p.reachedSetUp = true;
  if (mode == game::kModeStory) p.reachedStory = true;
  if (mode == game::kModeTitle && p.reachedStory) p.titleAfterStory = true;
  return game::test::Step::kRun;
}

// story: the run must have played the story, else reached the set-up screen.
void ScriptedRun(benchmark::State& state, bool story) {
  PassTimes times;
  passes = &times;
  game::story::StoryScreen storyScreen;
  game::test::WrappedGame run(storyScreen, beforeScreen);
  const Clock::time_point start = Clock::now();
  int result = 0;
  for (auto _ : state) result = game::runGame(run.session());
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  passes = nullptr;
  if (result != 0 || !(story ? times.titleAfterStory : times.reachedSetUp)) {
    state.SkipWithError(story ? "the run did not play the story to its end" : "the run did not reach the set-up screen");
    return;
  }
  double slowest = 0, slowestBattle = 0, battleMs = 0;
  int slowestAt = 0, battleFrames = 0, resultFrames = 0;
  for (size_t i = 0; i < times.ms.size(); ++i) {
    if (times.modes[i] == game::kModeBattleResult) ++resultFrames;
    if (times.ms[i] > slowest) slowest = times.ms[i], slowestAt = static_cast<int>(i);
    if (times.modes[i] == game::kModeBattle && times.modes[i] == times.modes[std::max<size_t>(i, 1) - 1]) {
      slowestBattle = std::max(slowestBattle, times.ms[i]);
      battleMs += times.ms[i];
      ++battleFrames;
    }
  }
  state.counters["loop_frames"] = static_cast<double>(times.ms.size());
  state.counters["fps_whole_run"] = static_cast<double>(times.ms.size()) / seconds;
  state.counters["slowest_ms"] = slowest;
  state.counters["slowest_mode"] = times.modes.empty() ? -1 : times.modes[slowestAt];
  state.counters["slowest_at"] = slowestAt;
  state.counters["battle_frames"] = battleFrames;
  state.counters["battle_fps"] = battleMs > 0 ? battleFrames * 1000.0 / battleMs : 0;
  state.counters["slowest_battle_ms"] = slowestBattle;
  // Frames after the tutorial's end (the finished battle moving on).
  state.counters["battle_over_frames"] = resultFrames;
}

void BM_BareClearAndPresent(benchmark::State& state) {
  veziv::SetScreenMode(800, 600, 32, 60);
  veziv::InitLibrary();
  for (auto _ : state) {
    veziv::ClearDrawTarget();
    veziv::PresentBackBuffer();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  veziv::EndLibrary();
}

void BM_ScriptedRunTitleToTheTutorialsEnd(benchmark::State& state) { ScriptedRun(state, false); }
void BM_ScriptedStoryNewGameToTheEnding(benchmark::State& state) { ScriptedRun(state, true); }

// The first start of the whole-game script, its limit moved to where the
// ending has brought the title back.
bool WriteStoryScript(const fs::path& to) {
  std::ifstream in(VEZIV_WHOLE_GAME_SCRIPT);
  std::ofstream out(to);
  std::string line;
  while (std::getline(in, line) && line.rfind("#! restart", 0) != 0) {
    out << (line.rfind("limit ", 0) == 0 ? "limit " + std::to_string(kStoryEndFrame) : line) << "\n";
  }
  return !in.bad() && out.good();
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("VEZIV_HARNESS") == nullptr) {
    const bool story = std::find_if(argv + 1, argv + argc, [](const char* a) {
                         return std::strcmp(a, "--story") == 0;
                       }) != argv + argc;
    std::string pattern = (fs::temp_directory_path() / "veziv-game-run-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    fs::copy(VEZIV_RUN_FOLDER, pattern, fs::copy_options::recursive);
    fs::remove_all(fs::path(pattern) / "save");
    fs::current_path(pattern);
    const fs::path storyScript = fs::path(pattern) / "story-run.harness";
    if (story && !WriteStoryScript(storyScript)) return 1;
    setenv("VEZIV_HARNESS", story ? storyScript.c_str() : VEZIV_GAME_RUN_SCRIPT, 1);
    if (story) setenv(kStoryVariable, "1", 1);
    setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
    setenv(kFolderVariable, pattern.c_str(), 1);
    execv("/proc/self/exe", argv);
    return 1;
  }
  // The run first: the script counts presented frames from the program's start.
  if (std::getenv(kStoryVariable) != nullptr) {
    benchmark::RegisterBenchmark("BM_ScriptedStoryNewGameToTheEnding", BM_ScriptedStoryNewGameToTheEnding)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  } else {
    benchmark::RegisterBenchmark("BM_ScriptedRunTitleToTheTutorialsEnd", BM_ScriptedRunTitleToTheTutorialsEnd)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("BM_BareClearAndPresent", BM_BareClearAndPresent)->Unit(benchmark::kMicrosecond);
  }
  // --story is ours, not the benchmark library's.
  argc = static_cast<int>(
      std::remove_if(argv + 1, argv + argc, [](const char* a) { return std::strcmp(a, "--story") == 0; }) - argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (const char* folder = std::getenv(kFolderVariable)) {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
  }
  return 0;
}
