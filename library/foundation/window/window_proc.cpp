// The window procedure: turns the platform's translated messages into
// window state (active, closing, destroyed, wheel, clicks, dropped files) and
// hands typed characters, activation changes and the rest to the subsystems.
#include "library/foundation/memory_log/log.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/main_window.h"
#include "library/foundation/window/window_state.h"
#include "platform/window/window.h"

namespace veziv {
namespace {

namespace pw = platform::window;
using detail::CallSites;
using detail::WindowState;
using detail::WindowStateBlock;

// The window itself stays until DestroyMainWindow, after graphics has ended;
// closing only makes it "destroyed" for the pump and the game.
void HandleClose() {
  WindowStateBlock& s = WindowState();
  WriteLogText("ウインドウを閉じようとしています\n");
  pw::Message destroy;
  destroy.kind = pw::MessageKind::WM_DESTROY;
  MainWindowProc(destroy);
  if (!s.ending) s.ending = 1;
}

void HandleDestroy() {
  WindowStateBlock& s = WindowState();
  WriteLogText("ウインドウが破棄されようとしています\n");
  s.destroy_handled = 1;
  s.destroyed = 1;
  WriteLogText("ソフトを終了する準備が整いました\n");
}

void HandleActivation(int state, bool minimised) {
  WindowStateBlock& s = WindowState();
  const detail::SubsystemHooks& cs = CallSites();
  s.active = state;
  if (state) {
    if (!s.windowed && detail::IsLibraryInitialised()) {
      if (!minimised) cs.recover_lost_device();
      cs.resume_movie_all();
      cs.reacquire_input_devices();
    } else {
      if (!s.run_while_inactive) cs.resume_movie_all();
      cs.reacquire_input_devices();
    }
  } else if (!s.windowed) {
    // The software screen cannot stay in front of other programs.
    pw::Minimize();
  } else {
    if (!s.run_while_inactive) cs.suspend_all_movies();
    cs.reacquire_input_devices();
  }
  cs.update_joypad_effects();
}

void HandlePaint() {
  WindowStateBlock& s = WindowState();
  if (s.windowed) s.paint_wait = 1;
  if (detail::IsLibraryInitialised()) CallSites().present_back_screen_again();
  s.paint_wait = 0;
}

// A display change never ends the program here: the screen is scaled into
// whatever the desktop becomes.
void HandleDisplayChange() {
  WindowStateBlock& s = WindowState();
  if (s.windowed && !s.mode_changing) CallSites().resume_movie_all();
  s.display_change_seen = 1;
}

}  // namespace

namespace detail {

int FilterTypedChar(int ch) {
  if (ch >= 0x20) return ch;
  switch (ch) {
    case 10:
      return 13;
    case 1:
    case 3:
    case 8:
    case 9:
    case 13:
    case 0x10:
    case 0x16:
    case 0x18:
    case 0x1B:
      return ch;
    default:
      return -1;
  }
}

}  // namespace detail

void MainWindowProc(const pw::Message& m) {
  WindowStateBlock& s = WindowState();
  const detail::SubsystemHooks& cs = CallSites();
  switch (m.kind) {
    case pw::MessageKind::WM_CLOSE:
      HandleClose();
      break;
    case pw::MessageKind::WM_DESTROY:
      HandleDestroy();
      break;
    case pw::MessageKind::WM_MOVE:
      if (s.windowed && !s.mode_changing) UpdateClientRectOnMove(m.a, m.b);
      break;
    case pw::MessageKind::WM_SIZE:
      // A maximised window's size is the window manager's to keep.
      if (!pw::IsMaximized()) detail::FollowWindowSize();
      break;
    case pw::MessageKind::WM_ACTIVATE:
      HandleActivation(m.a, m.b != 0);
      break;
    case pw::MessageKind::WM_PAINT:
      HandlePaint();
      break;
    case pw::MessageKind::WM_DISPLAYCHANGE:
      HandleDisplayChange();
      break;
    case pw::MessageKind::WM_MOUSEMOVE:
    case pw::MessageKind::kMouseButtonUp:
      break;
    case pw::MessageKind::kMouseButtonDown:
      RecordMouseClick(m.a);
      break;
    case pw::MessageKind::WM_MOUSEWHEEL:
      s.wheel_count += m.a > 0 ? 1 : -1;
      break;
    case pw::MessageKind::WM_KEYDOWN:
      if (cs.char_buffer_has_room()) cs.push_input_char(m.a);
      break;
    case pw::MessageKind::WM_CHAR: {
      int c = detail::FilterTypedChar(m.a);
      if (c >= 0) cs.push_input_char(c);
      break;
    }
    case pw::MessageKind::WM_IME_COMPOSITION:
      cs.take_ime_composition(m.text, m.a, m.b);
      break;
    case pw::MessageKind::WM_DROPFILES:
      if (static_cast<int>(s.dropped_files.size()) < detail::kMaxDroppedFiles) s.dropped_files.push_back(m.text);
      break;
  }
}

}  // namespace veziv
