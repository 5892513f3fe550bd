// The defaults of the subsystem call sites: do-nothing calls, but for the
// network pump, which is the foundation's own. The screen size is the one the
// graphics layer reports while no mode has been set.
#include "library/foundation/window/call_sites.h"

#include "library/foundation/network/network.h"

namespace veziv::detail {
namespace {

void Nothing() {}
bool Yes() { return true; }
bool No() { return false; }
void NoChar(int) {}
void NoComposition(const std::string&, int, int) {}
int NoInput(int) { return 0; }
void DefaultScreenSize(int* width, int* height) {
  *width = 640;
  *height = 480;
}
int ModeUnchanged() { return 0; }

constexpr SubsystemHooks kDefaults = {
    .refill_all_stream_sounds = Nothing,
    .poll_midi_play_state = Nothing,
    .update_joypad_vibration_timers = Nothing,
    .pump_network_messages = PumpNetworkMessages,
    .update_text_entry = Nothing,
    .draw_movie_to_window_all = Nothing,
    .run_window_timers = Nothing,
    .char_buffer_has_room = Yes,
    .push_input_char = NoChar,
    .take_ime_composition = NoComposition,
    .key_input_field_active = No,
    .delete_text_entry_handle_all = Nothing,
    .resume_movie_all = Nothing,
    .suspend_all_movies = Nothing,
    .reacquire_input_devices = Nothing,
    .update_joypad_effects = Nothing,
    .recover_lost_device = Nothing,
    .check_any_input = NoInput,
    .get_screen_size = DefaultScreenSize,
    .change_screen_mode = ModeUnchanged,
    .present_back_screen_again = Nothing,
    .reapply_draw_area = Nothing,
};

}  // namespace

SubsystemHooks& CallSites() {
  static SubsystemHooks state = kDefaults;
  return state;
}

void ResetCallSites() { CallSites() = kDefaults; }

}  // namespace veziv::detail
