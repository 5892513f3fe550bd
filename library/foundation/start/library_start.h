// Starting and ending the library, and the one way out on an unrecoverable error.
#pragma once

#include "library/veziv.h"

namespace veziv {

// Logs the text, ends the library as far as it can and ends the process with status 255.
[[noreturn]] void FatalErrorExit(const char* text);
// Formats into a 1024-byte buffer (truncating), then FatalErrorExit.
[[noreturn]] void FatalErrorExitFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

namespace detail {

// The start and end steps that belong to subsystems built elsewhere. Each
// subsystem's issue fills its members; a null member is a step that has
// nothing to do yet. The members are listed in the order they run.
struct LibrarySubsystems {
  // Start.
  void (*choose_window_mode)() = nullptr;  // windowed when full screen's size is not offered
  void (*build_movie_color_tables)() = nullptr;
  void (*clear_archive_cache)() = nullptr;
  void (*install_default_file_functions)() = nullptr;
  int (*claim_single_instance)() = nullptr;  // -1: another copy runs; made before the log file
  int (*desktop_bits_per_pixel)() = nullptr;  // a 4-byte pixel counts as 32
  int (*screen_bits_per_pixel)() = nullptr;   // the depth chosen for the program
  bool (*is_windowed)() = nullptr;
  void (*fill_stream_function_tables)() = nullptr;
  void (*clear_graphics_restore_callback)() = nullptr;
  int (*create_main_window)() = nullptr;   // -1: failure
  int (*initialize_input)() = nullptr;     // -1: failure
  int (*start_sound_system)() = nullptr;   // failure is not fatal
  int (*start_graphics_system)() = nullptr;  // negative: failure
  void (*init_char_input_buffer)() = nullptr;
  void (*set_present_waits_for_vblank)(int on) = nullptr;
  void (*bring_full_screen_window_to_front)() = nullptr;
  void (*select_default_draw_targets)() = nullptr;
  void (*initialize_model_data)() = nullptr;
  // End. Each checks its own started flag, so that a partial start ends cleanly.
  void (*end_network)() = nullptr;
  void (*stop_current_music)() = nullptr;
  void (*release_all_models)() = nullptr;
  void (*end_graphics_system)() = nullptr;
  void (*terminate_input)() = nullptr;
  void (*end_sound_system)() = nullptr;
  void (*destroy_main_window)() = nullptr;
  void (*release_single_instance)() = nullptr;
  void (*release_all_soft_images)() = nullptr;
  void (*pump_until_window_gone)() = nullptr;
  void (*release_all_archives)() = nullptr;
};

// The table the start and end run through.
LibrarySubsystems& RegisteredSubsystems();
// The table back to the foundation's own steps alone, as at process start.
void ResetLibrarySubsystems();

// Starts the subsystems through the table as it stands. 0 (also when already
// started), or -1 after the partial start has been undone.
int StartLibrary();

// 1 between a completed start and the end.
int IsLibraryInitialised();
// 1 while a start is in progress.
int IsLibraryStarting();
// 1 from the moment the end (or the undoing of a failed start) begins until the next start.
int IsLibraryEnding();

}  // namespace detail
}  // namespace veziv
