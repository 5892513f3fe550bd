// The game's start-up and its title frame, on the made run folder, under
// the headless drivers: the whole start-up from the program entry to the
// first title frame (and the shutdown after it), beside the library's own
// start, first present and end, which every program pays; one title frame
// (clear, the title's drawing, the overlay, the present) beside a bare
// clear and present; a battle frame on the busiest stretch of a demo stage;
// one battle frame as the enemy bullets grow from none to 8,000.
// The title frame and the battle frame, each with its present, also run on
// either road: software (argument 0) and the device (1; any device taken,
// so Mesa's llvmpipe on a machine without a graphics card).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/battle/battle_frame.h"
#include "game/battle/battle_ids.h"
#include "game/battle/motion.h"
#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/battle/stage_folders.h"
#include "game/core/frame_loop.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/shell/screens.h"
#include "game/shell/startup.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/veziv.h"
#include "platform/window/inject.h"

namespace {

namespace fs = std::filesystem;

// Presents of the start-up: "Initializing..." and 21 caution frames.
constexpr int kStartupPresents = 22;

// A fresh copy of the run folder as the current folder, for one benchmark.
// The library resolves relative paths against the folder it was last told
// (at first the one the program started in): it is told each copy, so that
// a benchmark after another reads its own copy, not the removed one before.
class RunFolder {
 public:
  RunFolder() : old_(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "veziv-game-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    fs::copy(VEZIV_RUN_FOLDER, folder_, fs::copy_options::recursive);
    veziv::FileStreamSetCurrentDir(folder_.c_str());
    if (fs::current_path() != folder_) std::abort();
  }
  ~RunFolder() {
    veziv::FileStreamSetCurrentDir(old_.c_str());
    fs::remove_all(folder_);
  }

 private:
  fs::path old_;
  fs::path folder_;
};

// The game as the program's entry makes it, without a story, installed for
// one benchmark.
class BenchGame {
 public:
  BenchGame() { game::installGame(session_, screens_, story_); }
  ~BenchGame() { game::battle::ResetBattleWorld(); }

 private:
  game::GameSession session_;
  game::ShellScreens screens_;
  game::NoStory story_;
  game::SessionScope scope_{session_};
};

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
    BenchGame bench;
    platform::window::ForgetPresentedFrames();
    platform::window::ScriptMessageBoxAnswer(platform::window::MessageBoxAnswer::kNo);
    platform::window::QuitAfterPresentedFrames(kStartupPresents + 1);
    if (game::runGame(game::Session()) != 0) state.SkipWithError("the game did not reach the title");
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
  BenchGame bench;
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
}

// A battle on a demo stage in the game, the player out of reach, no input:
// the enemies and their fire pile up. Starts the battle and runs `frames`
// frames (clear, the battle frame with its drawing, the overlay).
constexpr int kBusyStage = static_cast<int>(game::battle::StageSource::s4);
constexpr int kStretchFrames = 600;

bool startBenchBattle() {
  platform::window::ForgetPresentedFrames();
  platform::window::ScriptMessageBoxAnswer(platform::window::MessageBoxAnswer::kNo);
  if (game::initGame() != 0) return false;
  game::battle::startBattle(game::battle::kStageFolders[kBusyStage]);
  game::battle::World().random.seed(32);
  game::battle::battlePlayer(1).hp = game::battle::battlePlayer(1).maxHp = 1e12;
  game::changeMode(game::kModeBattle, true);
  return true;
}

int battleFrame() {
  veziv::ClearDrawTarget();
  game::dispatchMode();
  game::drawOverlay();
  return static_cast<int>(game::battle::World().enemies.size() + game::battle::World().bullets.size());
}

// The first frame of the busiest stretch (most objects summed over
// kStretchFrames frames) of the whole stage.
int busiestStretch() {
  BenchGame bench;
  if (!startBenchBattle()) return 0;
  std::vector<int> load;
  while (game::Session().frame.gameMode == game::kModeBattle && load.size() < 20000) load.push_back(battleFrame());
  game::exitGame();
  int best = 0;
  long sum = 0, bestSum = -1;
  for (size_t f = 0; f < load.size(); ++f) {
    sum += load[f] - (f >= kStretchFrames ? load[f - kStretchFrames] : 0);
    if (f + 1 >= kStretchFrames && sum > bestSum) bestSum = sum, best = static_cast<int>(f + 1 - kStretchFrames);
  }
  return best;
}

void BM_BattleFrameBusiestStretch(benchmark::State& state) {
  RunFolder run;
  const int first = busiestStretch();
  BenchGame bench;
  if (!startBenchBattle()) {
    state.SkipWithError("the game did not start");
    return;
  }
  for (int f = 0; f < first; ++f) battleFrame();
  long objects = 0;
  for (auto _ : state) objects += battleFrame();
  state.counters["objects"] = static_cast<double>(objects) / static_cast<double>(state.iterations());
  state.counters["first_frame"] = first;
  game::exitGame();
}

// The road of the next start: the device with any device taken, or software.
// False, with the benchmark skipped, when the game did not get that road.
bool GotRoad(benchmark::State& state, bool started) {
  const bool device = state.range(0) == 1;
  if (!started) {
    state.SkipWithError("the game did not start");
    return false;
  }
  if ((veziv::detail::GpuInUse() != 0) != device) {
    state.SkipWithError(device ? "no device here" : "the device was taken");
    return false;
  }
  return true;
}

void ChooseRoad(const benchmark::State& state) { setenv("VEZIV_GPU", state.range(0) == 1 ? "any" : "off", 1); }

void BM_TitleFrameOnRoad(benchmark::State& state) {
  RunFolder run;
  ChooseRoad(state);
  BenchGame bench;
  platform::window::ForgetPresentedFrames();
  platform::window::ScriptMessageBoxAnswer(platform::window::MessageBoxAnswer::kNo);
  if (GotRoad(state, game::initGame() == 0)) {
    for (auto _ : state) {
      veziv::ClearDrawTarget();
      game::dispatchMode();
      game::drawOverlay();
      veziv::PresentBackBuffer();
    }
  }
  game::exitGame();
  unsetenv("VEZIV_GPU");
}

void BM_BattleFrameOnRoad(benchmark::State& state) {
  RunFolder run;
  setenv("VEZIV_GPU", "off", 1);  // the stretch is found on the software road, which is quicker at it here
  const int first = busiestStretch();
  ChooseRoad(state);
  BenchGame bench;
  if (GotRoad(state, startBenchBattle())) {
    for (int f = 0; f < first; ++f) battleFrame();
    long objects = 0;
    for (auto _ : state) {
      objects += battleFrame();
      veziv::PresentBackBuffer();
    }
    state.counters["objects"] = static_cast<double>(objects) / static_cast<double>(state.iterations());
  }
  game::exitGame();
  unsetenv("VEZIV_GPU");
}

// The battle at scale: one frame of a battle on the software road with a
// set number of enemy bullets (standing, or each moving on its own heading),
// beside the player's shots into a row of planes and explosions on the
// effect layers. Before each frame (outside the timing) the scene is laid
// out again, so that every frame starts from the same objects: the stage's
// waiting objects are dropped and its scroll held, so nothing else enters.
constexpr int kScenePlanes = 6;
constexpr int kScenePlayerShots = 48;
constexpr int kSceneExplosions = 24;

// A small linear congruential generator: the scene's places and headings,
// the same in every run and apart from the battle's own random numbers.
class SceneNumbers {
 public:
  int upTo(int n) {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 8) % static_cast<uint32_t>(n));
  }

 private:
  uint32_t state_ = 7;
};

void layOutBattleScene(int bullets, bool moving, double scroll) {
  namespace gb = game::battle;
  gb::BattleWorld& w = gb::World();
  gb::clearBattleObjects();
  gb::battleStage& stage = *gb::currentStage();
  stage.pendingObjects.clear();
  stage.scroll = scroll;
  w.screenShake = 0;
  w.random.seed(32);
  gb::playerRecord& player = gb::battlePlayer(1);
  player.hp = player.maxHp = 1e12;
  SceneNumbers numbers;
  for (int i = 0; i < kScenePlanes; ++i) {
    auto plane = std::make_unique<gb::enemy>(270, 80.0 + i * 100, 80.0);
    plane->hp = plane->maxHp = 1 << 30;
    w.enemies.push_back(std::move(plane));
  }
  for (int i = 0; i < kScenePlayerShots; ++i) {
    w.bullets.push_back(std::make_unique<gb::bullet>(90, 10, 25, 0, 1, 1, 80.0 + (i % kScenePlanes) * 100,
                                                     100.0 + (i / kScenePlanes) * 50, game::kImageBulletBlue));
  }
  for (int i = 0; i < bullets; ++i) {
    const int speed = moving ? 10 + 5 * (i % 4) : 0;
    w.bullets.push_back(std::make_unique<gb::bullet>(numbers.upTo(360), 10, speed, 0, 1, 3, 20.0 + numbers.upTo(660),
                                                     20.0 + numbers.upTo(460), game::kImageBulletRed));
  }
  for (int i = 0; i < kSceneExplosions; ++i) {
    gb::Hooks().addSlideEffect(i % 2 == 0 ? gb::kSheetExplosion : gb::kSheetSmoke,
                               i % 2 == 0 ? gb::kExplosionPictures : gb::kSmokePictures, 0, 40.0 + numbers.upTo(620),
                               40.0 + numbers.upTo(500), 1.0);
  }
}

// One timed frame of the scene; a function of its own, so that a profiler can
// count the timed frames alone (valgrind --toggle-collect='*sceneFrame*').
[[gnu::noinline]] int sceneFrame() { return battleFrame(); }

// Arguments: enemy bullets, and whether they move (1) or stand (0).
void BM_BattleFrameAtScale(benchmark::State& state) {
  RunFolder run;
  setenv("VEZIV_GPU", "off", 1);
  const int bullets = static_cast<int>(state.range(0));
  const bool moving = state.range(1) == 1;
  BenchGame bench;
  if (GotRoad(state, startBenchBattle())) {
    // A few frames in, so that the stage has scrolled onto its field.
    for (int f = 0; f < 60; ++f) battleFrame();
    const double scroll = game::battle::currentStage()->scroll;
    long objects = 0;
    for (auto _ : state) {
      state.PauseTiming();
      layOutBattleScene(bullets, moving, scroll);
      state.ResumeTiming();
      objects += sceneFrame();
    }
    state.counters["objects"] = static_cast<double>(objects) / static_cast<double>(state.iterations());
    state.counters["bullets"] = bullets;
    // The whole frame over its enemy bullets; the cost of a bullet alone is
    // this row's time less the row without bullets, over the bullets.
    if (bullets > 0) {
      state.counters["frame_per_bullet"] =
          benchmark::Counter(bullets, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    }
  }
  game::exitGame();
  unsetenv("VEZIV_GPU");
}

BENCHMARK(BM_LibraryStartFirstPresentAndEnd)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_GameStartToFirstTitleFrameAndEnd)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_BareClearAndPresent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BattleFrameBusiestStretch)->Unit(benchmark::kMicrosecond)->Iterations(kStretchFrames);
BENCHMARK(BM_TitleFrameOnRoad)->Unit(benchmark::kMicrosecond)->Arg(0)->Arg(1);
BENCHMARK(BM_BattleFrameOnRoad)->Unit(benchmark::kMicrosecond)->Iterations(kStretchFrames)->Arg(0)->Arg(1);
BENCHMARK(BM_BattleFrameAtScale)
    ->Unit(benchmark::kMicrosecond)
    ->ArgNames({"bullets", "moving"})
    ->ArgsProduct({{0, 250, 1000, 4000, 8000}, {0, 1}});

}  // namespace

int main(int argc, char** argv) {
  setenv("VEZIV_HEADLESS", "1", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
