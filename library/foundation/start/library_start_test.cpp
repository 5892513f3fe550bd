// The library's start and end: the order of the steps, a failed start undone
// and retried, the colour-depth refusal, the start folder restored, the leak
// dump, and the fatal exit's status and log.
#include "library/foundation/start/library_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "library/foundation/files/file_functions.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/veziv.h"
#include "platform/os/clock.h"
#include "platform/os/host_path.h"

namespace veziv {
namespace {

namespace fs = std::filesystem;

// The recording subsystems: each step writes its name; a failure can be set per step.
struct Recorder {
  std::vector<std::string> calls;
  std::string failing;  // the step that fails
  bool windowed = true;
  int desktop_bits = 32;
  int screen_bits = 32;
  bool log_existed_before_tables = false;
  std::string log_at_stream_tables;
  int inactive_picture_in_end = 99;
};
Recorder g_rec;

void Record(const char* name) { g_rec.calls.push_back(name); }
int Result(const char* name) {
  Record(name);
  return g_rec.failing == name ? -1 : 0;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

detail::LibrarySubsystems RecordingSubsystems() {
  detail::LibrarySubsystems s;
  s.choose_window_mode = [] { Record("choose_window_mode"); };
  s.build_movie_color_tables = [] { Record("build_movie_color_tables"); };
  s.clear_archive_cache = [] { Record("clear_archive_cache"); };
  s.install_default_file_functions = [] {
    Record("install_default_file_functions");
    g_rec.log_existed_before_tables = fs::exists("Log.txt");
  };
  s.claim_single_instance = [] { return Result("claim_single_instance"); };
  s.desktop_bits_per_pixel = [] { return g_rec.desktop_bits; };
  s.screen_bits_per_pixel = [] { return g_rec.screen_bits; };
  s.is_windowed = [] { return g_rec.windowed; };
  s.fill_stream_function_tables = [] {
    Record("fill_stream_function_tables");
    g_rec.log_at_stream_tables = ReadFile("Log.txt");
  };
  s.clear_graphics_restore_callback = [] { Record("clear_graphics_restore_callback"); };
  s.create_main_window = [] { return Result("create_main_window"); };
  s.initialize_input = [] { return Result("initialize_input"); };
  s.start_sound_system = [] { return Result("start_sound_system"); };
  s.start_graphics_system = [] { return Result("start_graphics_system"); };
  s.init_char_input_buffer = [] { Record("init_char_input_buffer"); };
  s.set_present_waits_for_vblank = [](int on) {
    EXPECT_EQ(on, 1);
    EXPECT_EQ(detail::IsLibraryInitialised(), 1);
    Record("set_present_waits_for_vblank");
  };
  s.bring_full_screen_window_to_front = [] { Record("bring_full_screen_window_to_front"); };
  s.select_default_draw_targets = [] { Record("select_default_draw_targets"); };
  s.initialize_model_data = [] { Record("initialize_model_data"); };
  s.end_network = [] {
    EXPECT_EQ(detail::IsLibraryEnding(), 1);
    g_rec.inactive_picture_in_end = DrawInactivePicture();
    Record("end_network");
  };
  s.stop_current_music = [] { Record("stop_current_music"); };
  s.release_all_models = [] { Record("release_all_models"); };
  s.end_graphics_system = [] { Record("end_graphics_system"); };
  s.terminate_input = [] { Record("terminate_input"); };
  s.end_sound_system = [] { Record("end_sound_system"); };
  s.destroy_main_window = [] {
    Record("destroy_main_window");
    // Something moved the current folder; the end must come back to the start folder.
    fs::current_path(fs::temp_directory_path());
  };
  s.release_single_instance = [] { Record("release_single_instance"); };
  s.release_all_soft_images = [] { Record("release_all_soft_images"); };
  s.pump_until_window_gone = [] {
    EXPECT_EQ(detail::IsLibraryInitialised(), 0);
    Record("pump_until_window_gone");
  };
  s.release_all_archives = [] { Record("release_all_archives"); };
  return s;
}

const std::vector<std::string> kStartSteps = {
    "choose_window_mode",
    "build_movie_color_tables",
    "clear_archive_cache",
    "install_default_file_functions",
    "claim_single_instance",
    "fill_stream_function_tables",
    "clear_graphics_restore_callback",
    "create_main_window",
    "initialize_input",
    "start_sound_system",
    "start_graphics_system",
    "init_char_input_buffer",
    "set_present_waits_for_vblank",
    "bring_full_screen_window_to_front",
    "select_default_draw_targets",
    "initialize_model_data",
};
const std::vector<std::string> kEndSteps = {
    "end_network",        "stop_current_music", "release_all_models",      "end_graphics_system",
    "terminate_input",    "end_sound_system",   "destroy_main_window",     "release_single_instance",
    "release_all_soft_images", "pump_until_window_gone", "release_all_archives",
};

std::vector<std::string> StartsUpTo(const std::string& last) {
  std::vector<std::string> steps;
  for (const std::string& step : kStartSteps) {
    steps.push_back(step);
    if (step == last) break;
  }
  return steps;
}

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class LibraryStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_rec = Recorder{};
    old_folder_ = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "veziv-start-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = fs::canonical(pattern);
    fs::current_path(folder_);
    // Relative library paths start from the folder the program started in.
    old_start_folder_ = platform::os::StartFolder();
    platform::os::SetStartFolder(folder_.string());
    platform::os::UseManualClock(0);
    detail::RegisteredSubsystems() = RecordingSubsystems();
  }
  void TearDown() override {
    EndLibrary();
    detail::ResetLibrarySubsystems();
    platform::os::SetStartFolder(old_start_folder_);
    detail::SetLogFolder("");
    platform::os::UseRealClock();
    fs::current_path(old_folder_);
    fs::remove_all(folder_);
  }
  std::string Log() const { return ReadFile(folder_ / "Log.txt"); }

  fs::path old_folder_;
  std::string old_start_folder_;
  fs::path folder_;
};

TEST_F(LibraryStartTest, StartsAndEndsInOrder) {
  ASSERT_EQ(detail::StartLibrary(), 0);
  EXPECT_EQ(g_rec.calls, kStartSteps);
  EXPECT_FALSE(g_rec.log_existed_before_tables);
  EXPECT_NE(g_rec.log_at_stream_tables.find("VeZiv Ver1.00"), std::string::npos) << g_rec.log_at_stream_tables;
  EXPECT_EQ(detail::IsLibraryInitialised(), 1);
  EXPECT_EQ(detail::IsLibraryEnding(), 0);

  g_rec.calls.clear();
  ASSERT_EQ(EndLibrary(), 0);
  EXPECT_EQ(g_rec.calls, kEndSteps);
  EXPECT_EQ(detail::IsLibraryInitialised(), 0);
  EXPECT_EQ(fs::current_path(), folder_);
  const std::string log = Log();
  EXPECT_NE(log.find("0:Alloc memory dump\r\n0:\tTotal size:0(0.000kb)  Alloc num:0\r\n"), std::string::npos) << log;
}

TEST_F(LibraryStartTest, RepeatedStartAndEarlyEndDoNothing) {
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_TRUE(g_rec.calls.empty());
  ASSERT_EQ(detail::StartLibrary(), 0);
  g_rec.calls.clear();
  EXPECT_EQ(detail::StartLibrary(), 0);
  EXPECT_TRUE(g_rec.calls.empty());
}

TEST_F(LibraryStartTest, EndGivesRelativePathsBackToTheStartFolder) {
  fs::create_directory(folder_ / "sub");
  ASSERT_EQ(detail::StartLibrary(), 0);
  // The default (archive-aware) set answers 0 whatever happens; the effect is what counts.
  FileStreamSetCurrentDir("sub");
  ASSERT_EQ(platform::os::ResolveHostPath("x"), (folder_ / "sub" / "x").string());
  EndLibrary();
  EXPECT_EQ(fs::current_path(), folder_);
  EXPECT_EQ(platform::os::ResolveHostPath("x"), (folder_ / "x").string());
  char current[260] = {};
  FileStreamGetCurrentDir(current);
  ASSERT_NE(current[0], '\0');
  EXPECT_EQ(platform::os::ResolveHostPath(current), folder_.string());
}

TEST_F(LibraryStartTest, InactivePictureIsDrawnOnlyWhileTheLibraryEnds) {
  ASSERT_EQ(detail::StartLibrary(), 0);
  EXPECT_EQ(DrawInactivePicture(), -1);
  EndLibrary();
  EXPECT_EQ(g_rec.inactive_picture_in_end, 0);
}

TEST_F(LibraryStartTest, LeakDumpListsBlocksLeftAlive) {
  ASSERT_EQ(detail::StartLibrary(), 0);
  void* left = AllocLibMemory(3, "left.cpp", 9);
  EndLibrary();
  FreeLibMemory(left);
  const std::string log = Log();
  EXPECT_NE(log.find("file:left.cpp  line:9"), std::string::npos) << log;
  EXPECT_NE(log.find("Total size:3(0.003kb)  Alloc num:1"), std::string::npos) << log;
}

TEST_F(LibraryStartTest, FailedStartIsUndoneAndCanBeRetried) {
  for (const char* failing : {"create_main_window", "initialize_input", "start_graphics_system"}) {
    g_rec.calls.clear();
    g_rec.failing = failing;
    EXPECT_EQ(detail::StartLibrary(), -1) << failing;
    EXPECT_EQ(g_rec.calls, Joined(StartsUpTo(failing), kEndSteps)) << failing;
    EXPECT_EQ(detail::IsLibraryInitialised(), 0);
    EXPECT_EQ(fs::current_path(), folder_);

    g_rec.calls.clear();
    g_rec.failing.clear();
    EXPECT_EQ(detail::StartLibrary(), 0) << failing;
    EXPECT_EQ(g_rec.calls, kStartSteps) << failing;
    g_rec.calls.clear();
    EndLibrary();
    EXPECT_EQ(g_rec.calls, kEndSteps) << failing;
  }
}

TEST_F(LibraryStartTest, SoundFailureIsNotAStartFailure) {
  g_rec.failing = "start_sound_system";
  EXPECT_EQ(detail::StartLibrary(), 0);
  EXPECT_EQ(g_rec.calls, kStartSteps);
}

TEST_F(LibraryStartTest, TwentyFourBitPixelsAreRefused) {
  struct Case {
    bool windowed;
    int desktop_bits, screen_bits;
    int result;
  };
  const Case cases[] = {
      {true, 24, 32, -1},
      {false, 24, 32, 0},
      {true, 32, 24, -1},
      {false, 32, 24, -1},
      {true, 32, 32, 0},
      {true, 16, 16, 0},
  };
  for (const Case& c : cases) {
    g_rec = Recorder{};
    g_rec.windowed = c.windowed;
    g_rec.desktop_bits = c.desktop_bits;
    g_rec.screen_bits = c.screen_bits;
    const std::string where = std::to_string(c.windowed) + " " + std::to_string(c.desktop_bits) + " " +
                              std::to_string(c.screen_bits);
    EXPECT_EQ(detail::StartLibrary(), c.result) << where;
    const bool refused = Log().find("VeZivは２４ビットカラーモードに対応していません\r\n") != std::string::npos;
    EXPECT_EQ(refused, c.result == -1) << where;
    if (c.result == -1) {
      EXPECT_EQ(g_rec.calls, Joined(StartsUpTo("claim_single_instance"), {"release_single_instance"})) << where;
      EXPECT_EQ(detail::IsLibraryInitialised(), 0);
    }
    EndLibrary();
  }
  // A refused start leaves nothing behind that blocks the next one.
  g_rec = Recorder{};
  EXPECT_EQ(detail::StartLibrary(), 0);
}

// Another copy runs in this folder: its log is not this copy's to remake, and
// nothing was started that the end would have to undo.
TEST_F(LibraryStartTest, ASecondCopyIsTurnedAwayBeforeTheLogIsMade) {
  const std::string running_log = "0:the running copy\r\n";
  std::ofstream(folder_ / "Log.txt", std::ios::binary) << running_log;
  g_rec.failing = "claim_single_instance";
  EXPECT_EQ(detail::StartLibrary(), -1);
  EXPECT_EQ(g_rec.calls, StartsUpTo("claim_single_instance"));
  EXPECT_EQ(Log(), running_log);
  EXPECT_EQ(detail::IsLibraryInitialised(), 0);
  EXPECT_EQ(detail::IsLibraryStarting(), 0);
  g_rec = Recorder{};
  EXPECT_EQ(detail::StartLibrary(), 0);
  EXPECT_EQ(g_rec.calls, kStartSteps);
}

TEST_F(LibraryStartTest, FatalErrorLogsEndsTheLibraryAndExitsWith255) {
  ASSERT_EQ(detail::StartLibrary(), 0);
  EXPECT_EXIT(FatalErrorExit("画像が壊れています"), ::testing::ExitedWithCode(255), "");
  std::string log = Log();
  EXPECT_NE(log.find("0:画像が壊れています\r\n0:\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Alloc memory dump"), std::string::npos) << log;

  CreateLogFile();
  const std::string long_text(2000, 'e');
  EXPECT_EXIT(FatalErrorExitFormat("%d %s", 5, long_text.c_str()), ::testing::ExitedWithCode(255), "");
  log = Log();
  EXPECT_EQ(log.find("0:5 " + std::string(1021, 'e') + "\r\n"), 0u) << log.substr(0, 40);
}

TEST_F(LibraryStartTest, FatalErrorInsideAnEndStepExitsWithoutEndingAgain) {
  ASSERT_EQ(detail::StartLibrary(), 0);
  detail::RegisteredSubsystems().end_graphics_system = [] {
    Record("end_graphics_system");
    FatalErrorExit("end failed");
  };
  EXPECT_EXIT(EndLibrary(), ::testing::ExitedWithCode(255), "");
  detail::RegisteredSubsystems().end_graphics_system = [] { Record("end_graphics_system"); };
  std::string log = Log();
  size_t first = log.find("end failed");
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_EQ(log.find("end failed", first + 1), std::string::npos) << log;
}

}  // namespace
}  // namespace veziv
