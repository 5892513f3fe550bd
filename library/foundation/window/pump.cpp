// The pump: messages in passes of at most five between two looks at the
// window's flags, the inactive wait, and the per-frame upkeep of the other
// subsystems, in a fixed order.
#include "library/foundation/window/pump.h"

#include <vector>

#include "library/foundation/core/api_lock.h"
#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/main_window.h"
#include "library/foundation/window/window_state.h"
#include "platform/os/clock.h"
#include "platform/window/events.h"
#include "platform/window/harness.h"

namespace veziv {
namespace {

namespace pw = platform::window;
using detail::CallSites;
using detail::WindowState;
using detail::WindowStateBlock;

constexpr int kMessagesPerPass = 5;
constexpr uint32_t kClockMask = 0x7FFFFFFFu;

bool WaitingInactive() {
  const WindowStateBlock& s = WindowState();
  return !s.active && !s.run_while_inactive;
}

void RunUpkeep(bool main_thread) {
  WindowStateBlock& s = WindowState();
  const detail::SubsystemHooks& cs = CallSites();
  if (main_thread) UpdateFullScreenMenuByMouse();
  cs.refill_all_stream_sounds();
  cs.poll_midi_play_state();
  cs.update_joypad_vibration_timers();
  cs.pump_network_messages(1);
  s.text_entry_running = 1;
  cs.update_text_entry();
  s.text_entry_running = 0;
}

// One pass; returns the number of events dispatched, or -1 when a message
// arrived after the window was destroyed.
int RunPass(bool main_thread) {
  WindowStateBlock& s = WindowState();
  if (WaitingInactive()) platform::os::Sleep(1);
  int dispatched = 0;
  std::vector<pw::Message> messages;
  // Events are taken only on the thread that made the window.
  while (main_thread && dispatched < kMessagesPerPass) {
    messages.clear();
    if (!pw::PollMessages(&messages)) break;
    for (const pw::Message& m : messages) {
      if (m.kind == pw::MessageKind::WM_ACTIVATE && s.windowed) s.active = m.a;
      if (s.destroyed) return -1;
      MainWindowProc(m);
    }
    ++dispatched;
  }
  if (main_thread) {
    detail::SettleWindowDrag();
    CallSites().run_window_timers();
  }
  if (WaitingInactive()) {
    const detail::SubsystemHooks& cs = CallSites();
    cs.pump_network_messages(1);
    cs.refill_all_stream_sounds();
    cs.draw_movie_to_window_all();
    platform::os::Sleep(1);
  }
  return dispatched;
}

}  // namespace

int PumpMessagesUnlocked() {
  WindowStateBlock& s = WindowState();
  if (s.text_entry_running) return 0;
  if (s.window == nullptr) return s.destroyed ? -1 : 0;
  bool main_thread = detail::OnMainThread();
  int dispatched = 0;
  for (int pass = 0;; ++pass) {
    // The first pass is always made unless the window is gone. After it, an
    // active window stops at an empty pass; an inactive one waits on.
    bool may_stop = s.closing || s.active || s.run_while_inactive;
    if (pass == 0 ? s.destroyed != 0 : may_stop && (dispatched == 0 || s.destroyed)) break;
    dispatched = RunPass(main_thread);
    if (dispatched < 0) {
      RunUpkeep(main_thread);
      return -1;
    }
    if (s.destroyed || !main_thread) break;
  }
  RunUpkeep(main_thread);
  return s.destroyed ? -1 : 0;
}

int PumpMessages() {
  EnterLibraryLock();
  int result = PumpMessagesUnlocked();
  LeaveLibraryLock();
  return result;
}

int SetRunWhileInactive(int flag) {
  WindowState().run_while_inactive = flag;
  return 0;
}

void WaitWhileWindowInactive() {
  const WindowStateBlock& s = WindowState();
  // Without a window nothing can make it active again, and the pump has
  // nothing to take: waiting would never end.
  if (s.window == nullptr) return;
  if (s.paint_wait || s.active) return;
  if (s.run_while_inactive && s.windowed) return;
  while (PumpMessagesUnlocked() == 0 && !s.active) {
  }
}

int WaitMilliseconds(uint32_t ms) {
  // Elapsed time is summed step by step modulo 2^31, so neither the clock's
  // wrap nor a long wait can end it early or make it hang.
  uint32_t last = platform::os::MillisecondClock();
  uint64_t elapsed = 0;
  if (PumpMessages() != 0) return 0;
  for (;;) {
    uint32_t now = platform::os::MillisecondClock();
    elapsed += (now - last) & kClockMask;
    last = now;
    if (elapsed >= ms) break;
    platform::os::Sleep(1);
    if (PumpMessages() != 0) break;
  }
  return 0;
}

int WaitForAnyKey() {
  const detail::SubsystemHooks& cs = CallSites();
  // Each pass waits as a wait for input does: a millisecond's sleep, or
  // under the whole-game harness one frame shown again, so that the
  // script's keys reach this wait as they reach a frame that draws.
  if (PumpMessages() == 0) {
    while (cs.check_any_input(7) != 0) {
      platform::window::WaitForInputPass();
      if (PumpMessages() != 0) break;
    }
  }
  if (PumpMessages() != 0) return 0;
  int r = 0;
  for (;;) {
    r = cs.check_any_input(7);
    if (r != 0) break;
    platform::window::WaitForInputPass();
    if (PumpMessages() != 0) break;
  }
  return r;
}

namespace detail {

void PumpUntilWindowGone() {
  const WindowStateBlock& s = WindowState();
  while (s.window != nullptr && !s.destroyed && !s.destroy_handled && PumpMessagesUnlocked() == 0) {
  }
}

}  // namespace detail

}  // namespace veziv
