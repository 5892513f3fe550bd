// Where the window, the pump and the waits reach subsystems that sit beside
// or above the foundation (graphics, input, text entry, sound, music, movies,
// network). Each entry starts as a call that does nothing; a subsystem puts
// its own function in when it starts and takes it out when it ends, so the
// foundation never depends on them. The network layer lives in the foundation
// itself, so its pump is there from the start.
#pragma once

#include <string>

namespace veziv::detail {

struct SubsystemHooks {
  // Pump upkeep (in the order the pump calls them) and the inactive wait.
  void (*refill_all_stream_sounds)();
  void (*poll_midi_play_state)();
  void (*update_joypad_vibration_timers)();
  int (*pump_network_messages)(int flag);
  void (*update_text_entry)();
  void (*draw_movie_to_window_all)();
  // Window timers that are due (the auto-presenting draw target's tick); run
  // on the main thread after each pass of messages, as timer messages are.
  void (*run_window_timers)();

  // The character ring of text entry.
  bool (*char_buffer_has_room)();
  void (*push_input_char)(int ch);
  // The input method's composition text, its cursor and the length of the
  // part being converted from the cursor on (characters).
  void (*take_ime_composition)(const std::string& cp932, int cursor, int selected);
  // True while a key-input field has the focus.
  bool (*key_input_field_active)();
  void (*delete_text_entry_handle_all)();

  // Activation fan-out.
  void (*resume_movie_all)();
  void (*suspend_all_movies)();
  void (*reacquire_input_devices)();
  void (*update_joypad_effects)();
  void (*recover_lost_device)();

  // Input: what CheckAnyInput(7) reports (keys, pads, mouse); 0 for none.
  int (*check_any_input)(int kinds);

  // Graphics: the screen size, the screen-mode change with every setting
  // kept (its result), presenting the back screen again into the window, and
  // applying the draw area again after the window moved.
  void (*get_screen_size)(int* width, int* height);
  int (*change_screen_mode)();
  void (*present_back_screen_again)();
  void (*reapply_draw_area)();
};

SubsystemHooks& CallSites();
// Puts every entry back to its do-nothing default.
void ResetCallSites();

}  // namespace veziv::detail
