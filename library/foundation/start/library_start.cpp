// The library's start and end sequences and the fatal exit. Steps of
// subsystems built elsewhere run through the registered table; a failed start
// runs the whole end sequence, each subsystem ending only what it started.
#include "library/foundation/start/library_start.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "library/foundation/core/api_lock.h"
#include "library/foundation/core/random.h"
#include "library/foundation/files/archive_cache.h"
#include "library/foundation/files/file_functions.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/memory_log/screen_log.h"
#include "library/foundation/memory_log/system_report.h"
#include "library/foundation/network/network.h"
#include "library/foundation/window/main_window.h"
#include "library/foundation/window/pump.h"
#include "library/veziv.h"
#include "platform/os/host_path.h"

namespace veziv {
namespace {

struct LibraryState {
  std::atomic<int> initialised{0};
  std::atomic<int> starting{0};
  std::atomic<int> ending{0};
  std::string start_folder;  // host path of the folder the program started in
};

LibraryState& State() {
  static LibraryState state;
  return state;
}

template <typename Hook, typename... Args>
void Run(Hook hook, Args... args) {
  if (hook != nullptr) hook(args...);
}

int EndLibraryUnlocked();

// 24-bit pixels are refused: on the desktop when the program runs in a window,
// or as the program's own screen depth.
bool RefusesColourDepth(const detail::LibrarySubsystems& s) {
  const bool windowed = s.is_windowed == nullptr || s.is_windowed();
  if (windowed && s.desktop_bits_per_pixel != nullptr && s.desktop_bits_per_pixel() == 24) return true;
  return s.screen_bits_per_pixel != nullptr && s.screen_bits_per_pixel() == 24;
}

// Undoes a partial start and reports the failure.
int FailStart() {
  EndLibraryUnlocked();
  State().starting = 0;
  return -1;
}

int InitLibraryUnlocked() {
  LibraryState& library = State();
  if (library.initialised) return 0;
  library.starting = 1;
  library.ending = 0;
  const detail::LibrarySubsystems& s = detail::RegisteredSubsystems();

  Run(s.choose_window_mode);
  Run(s.build_movie_color_tables);
  Run(s.clear_archive_cache);
  Run(s.install_default_file_functions);

  library.start_folder = platform::os::CurrentFolder();
  // A second copy is turned away before the log file is made: in the same
  // folder that file is the running copy's, and making it would empty it.
  if (s.claim_single_instance != nullptr && s.claim_single_instance() == -1) {
    library.starting = 0;
    return -1;
  }
  detail::SetLogFolder(library.start_folder.c_str());
  CreateLogFile();

  if (RefusesColourDepth(s)) {
    WriteLogText("VeZivは２４ビットカラーモードに対応していません\n");
    Run(s.release_single_instance);
    library.starting = 0;
    return -1;
  }
  LogSystemInfo();
  Run(s.fill_stream_function_tables);
  Run(s.clear_graphics_restore_callback);

  if (s.create_main_window != nullptr && s.create_main_window() == -1) return FailStart();
  if (s.initialize_input != nullptr && s.initialize_input() == -1) return FailStart();
  Run(s.start_sound_system);  // the program runs on without sound
  if (s.start_graphics_system != nullptr && s.start_graphics_system() < 0) return FailStart();
  Run(s.init_char_input_buffer);

  library.initialised = 1;
  Run(s.set_present_waits_for_vblank, 1);
  Run(s.bring_full_screen_window_to_front);
  InitScreenLog();
  Run(s.select_default_draw_targets);
  Run(s.initialize_model_data);
  library.starting = 0;
  return 0;
}

int EndLibraryUnlocked() {
  LibraryState& library = State();
  // A start in progress is ended too: that is how a failed start is undone.
  if (!library.initialised && !library.starting) return 0;
  library.ending = 1;
  const detail::LibrarySubsystems& s = detail::RegisteredSubsystems();

  detail::ReleaseScreenLogFont();
  Run(s.end_network);
  Run(s.stop_current_music);
  Run(s.release_all_models);
  Run(s.end_graphics_system);
  Run(s.terminate_input);
  Run(s.end_sound_system);
  Run(s.destroy_main_window);
  Run(s.release_single_instance);
  Run(s.release_all_soft_images);
  library.initialised = 0;
  Run(s.pump_until_window_gone);

  // Through the installed file functions: they also keep the folder that
  // relative library paths start from, which a plain chdir would leave behind.
  if (!library.start_folder.empty()) FileStreamSetCurrentDir(library.start_folder.c_str());
  Run(s.release_all_archives);
  DumpLibMemory();
  return 0;
}

}  // namespace

namespace detail {

int StartLibrary() {
  if (State().initialised) return 0;
  EnterLibraryLock();
  const int result = InitLibraryUnlocked();
  LeaveLibraryLock();
  return result;
}

}  // namespace detail

int EndLibrary() {
  if (!State().initialised) return 0;
  EnterLibraryLock();
  EndLibraryUnlocked();
  LeaveLibraryLock();
  return 0;
}

void FatalErrorExit(const char* text) {
  WriteLogText(text);
  WriteLogText("\n");
  // An end step that fails fatally must not run the whole end again (and again).
  if (!State().ending) EndLibraryUnlocked();
  std::fflush(nullptr);
  std::_Exit(255);
}

void FatalErrorExitFormat(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  if (FormatTextArgs(text, sizeof text, format, args) < 0) text[0] = '\0';
  va_end(args);
  FatalErrorExit(text);
}

namespace detail {

namespace {

// The foundation's own steps; the subsystems above it add theirs.
LibrarySubsystems FoundationSteps() {
  LibrarySubsystems s;
  s.clear_archive_cache = [] { ClearArchiveCache(); };
  s.install_default_file_functions = [] { SetFileFunctionTable(nullptr); };
  s.end_network = [] { EndNetwork(); };
  s.release_all_archives = [] { ReleaseAllArchives(); };
  s.desktop_bits_per_pixel = [] {
    int bits = 0;
    GetDesktopMode(nullptr, nullptr, &bits);
    return bits;
  };
  s.is_windowed = [] { return IsWindowedMode() != 0; };
  s.claim_single_instance = [] { return ClaimSingleInstance(); };
  s.create_main_window = [] { return CreateMainWindow(); };
  s.bring_full_screen_window_to_front = [] {
    if (!IsWindowedMode()) ForceWindowToForeground(1);
  };
  s.destroy_main_window = [] { DestroyMainWindow(); };
  s.release_single_instance = [] { ReleaseSingleInstance(); };
  s.pump_until_window_gone = [] { PumpUntilWindowGone(); };
  return s;
}

}  // namespace

LibrarySubsystems& RegisteredSubsystems() {
  static LibrarySubsystems subsystems = FoundationSteps();
  return subsystems;
}

void ResetLibrarySubsystems() { RegisteredSubsystems() = FoundationSteps(); }

int IsLibraryInitialised() { return State().initialised; }

int IsLibraryStarting() { return State().starting; }

int IsLibraryEnding() { return State().ending; }

}  // namespace detail
}  // namespace veziv
