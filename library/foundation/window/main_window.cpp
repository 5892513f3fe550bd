// Creation, mode switching, placement, the user's drags of the window's
// frame (which set the zoom) and destruction of the main window. SDL stands
// in for the window class and styles: it cannot hold a drag to the screen's
// shape, so the window takes that shape once the drag has settled; full
// screen is the desktop's own mode with the screen scaled into it.
#include "library/foundation/window/main_window.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "library/foundation/core/helpers.h"
#include "library/foundation/core/random.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/pump.h"
#include "library/veziv.h"
#include "library/foundation/window/window_state.h"
#include "platform/os/clock.h"
#include "platform/window/message_box.h"
#include "platform/window/single_instance.h"
#include "platform/window/window.h"

namespace veziv {
namespace {

namespace pw = platform::window;
using detail::WindowState;
using detail::WindowStateBlock;

constexpr double kBytesPerMegabyte = 1048576.0;
constexpr uint32_t kCreationPumpMs = 200;
// SDL tells nobody when the user lets go of the window's frame: a drag counts
// as over once its size has held this long.
constexpr uint32_t kDragSettleMs = 250;

void ClientSizeForWindowMode(int* width, int* height) {
  int sw = 0, sh = 0;
  detail::ScreenSize(&sw, &sh);
  double zoom = GetWindowZoomRatio();
  *width = TruncateDoubleToInt(sw * zoom);
  *height = TruncateDoubleToInt(sh * zoom);
}

// The zoom that gives the screen a client size of width x height once
// truncated, for a size of the screen's shape: the plain quotient, nudged up
// when rounding left it a hair short (800 x 29 / 800 comes to 28.999...).
double ZoomForClientSize(int screen_width, int screen_height, int width, int height) {
  double zoom = std::max(static_cast<double>(width) / screen_width, static_cast<double>(height) / screen_height);
  while (TruncateDoubleToInt(zoom * screen_width) < width || TruncateDoubleToInt(zoom * screen_height) < height)
    zoom = std::nextafter(zoom, 2.0 * zoom + 1.0);
  return zoom;
}

void StoreClientRect(int left, int top, int width, int height) {
  WindowStateBlock& s = WindowState();
  s.client_left = left;
  s.client_top = top;
  s.client_right = left + width;
  s.client_bottom = top + height;
}

void LogMemory() {
  pw::MemoryStatus m = pw::QueryMemoryStatus();
  WriteLogFormat("メモリ総量:%.2fMB  空きメモリ領域:%.2fMB ", static_cast<double>(m.total) / kBytesPerMegabyte,
                 static_cast<double>(m.available) / kBytesPerMegabyte);
}

// Pumps for the first moments of the window's life, sleeping between pumps
// so that the wait neither spins nor stalls a clock that only sleeping moves.
void PumpForCreation() {
  uint32_t start = platform::os::MillisecondClock();
  while (((platform::os::MillisecondClock() - start) & 0x7FFFFFFFu) < kCreationPumpMs) {
    if (PumpMessagesUnlocked() != 0) break;
    platform::os::Sleep(1);
  }
}

}  // namespace

namespace detail {

int ClaimSingleInstance() {
  WindowStateBlock& s = WindowState();
  if (s.class_name.empty()) s.class_name = s.title.empty() ? "V24K0ZQ" : s.title;
  if (pw::AcquireInstanceLock(s.class_name.c_str()) != pw::InstanceLockResult::kHeldElsewhere) return 0;
  WriteLogText("二重起動されています、ソフトを終了します\n");
  s.destroyed = 1;
  pw::ShowMessageBox(s.title.empty() ? "VeZiv" : s.title.c_str(),
                     "このソフトは既に起動しています。\n同時に二つは起動できないため、終了します。",
                     pw::MessageBoxKind::kOk);
  pw::StopVideo();
  return -1;
}

void ReleaseSingleInstance() { pw::ReleaseInstanceLock(); }

}  // namespace detail

int CreateMainWindow() {
  detail::ClearWindowStateForCreation();
  WindowStateBlock& s = WindowState();
  if (s.class_name.empty()) s.class_name = s.title.empty() ? "V24K0ZQ" : s.title;
  s.main_thread = std::this_thread::get_id();

  LogMemory();
  pw::DesktopMode desk = pw::GetDesktopMode();
  s.desktop_width = desk.width;
  s.desktop_height = desk.height;
  s.desktop_bits = desk.bits_per_pixel;
  SeedRandom(platform::os::MillisecondClock());
  pw::SetScreenSaverAllowed(false);

  // The library's start has made the check already, before its log file;
  // the lock it took is this copy's and is kept.
  WriteLogText("ソフトの二重起動検査... ");
  if (detail::ClaimSingleInstance() != 0) return -1;
  WriteLogText("二重起動はされていませんでした\n");

  s.creating = 1;
  WriteLogText("ウインドウクラスを登録します... ");
  if (!pw::StartVideo()) {
    s.destroyed = 1;
    WriteLogText("ウインドウクラスの登録に失敗しました\n");
    pw::StopVideo();
    pw::ReleaseInstanceLock();
    return -1;
  }
  WriteLogText("登録に成功しました\n");
  if (s.title.empty()) s.title = "VeZiv";

  int sw = 0, sh = 0;
  detail::ScreenSize(&sw, &sh);
  pw::SetLogicalScreenSize(sw, sh);
  int x = 0, y = 0, width = sw, height = sh;
  if (s.windowed) {
    WriteLogText("ウインドウモード起動用のウインドウを作成します\n");
    s.cursor_wanted = 1;
    ClientSizeForWindowMode(&width, &height);
    x = (s.desktop_width - width) / 2;
    y = (s.desktop_height - height) / 2;
  } else {
    WriteLogText("フルスクリーンモード用のウインドウを作成します\n");
    s.cursor_wanted = 0;
  }
  if (!pw::OpenWindow(s.title.c_str(), x, y, width, height, !s.windowed)) {
    s.destroyed = 1;
    WriteLogText("ウインドウの作成に失敗しました\n");
    pw::StopVideo();
    pw::ReleaseInstanceLock();
    return -1;
  }
  WriteLogText("ウインドウの作成に成功しました\n");
  s.window = pw::WindowIdentity();
  SetWindowIconFromResource(s.icon_resource_id);

  s.closing = 0;
  s.destroy_handled = 0;
  s.active = 1;
  if (!s.windowed) {
    WriteLogText("カーソルを不可視にしました\n");
    pw::ShowSystemCursor(false);
  }
  // SDL delivers typed text only while text input is on; text entry switches
  // it off at its start and on while a field exists.
  WriteLogText("ＩＭＥを無効にしました\n");
  if (s.windowed) {
    int left = 0, top = 0;
    pw::GetPosition(&left, &top);
    StoreClientRect(left, top, width, height);
  } else {
    StoreClientRect(0, 0, sw, sh);
  }
  s.charset_index = 1;
  SetCursorVisibility(s.cursor_wanted);
  s.ending = 0;
  pw::Raise(false);

  PumpForCreation();
  UpdateWindowPlacement();
  s.creating = 0;
  return 0;
}

int SetWindowModeFlag(int flag) {
  WindowState().windowed = flag;
  WriteLogText(flag == 1 ? "ウインドウモードフラグが立てられました\n" : "ウインドウモードフラグが倒されました\n");
  return 0;
}

int SwitchWindowedMode(int flag) {
  WindowStateBlock& s = WindowState();
  flag = flag != 0 ? 1 : 0;
  WriteLogText("SwitchWindowedMode実行 \n");
  if (flag == s.windowed) return 0;
  s.style_applied = 1;
  s.display_change_seen = 0;
  SetWindowModeFlag(flag);
  if (s.window == nullptr) return 0;
  s.mode_changing = 1;
  ApplyWindowModeStyle();
  int r = detail::CallSites().change_screen_mode();
  // No display-change notice follows a switch over the desktop's own mode:
  // the switch itself is the change, so nothing is left to wait for.
  s.display_change_seen = 1;
  s.mode_changing = 0;
  return r;
}

int ApplyWindowModeStyle() {
  WindowStateBlock& s = WindowState();
  if (s.window == nullptr) return 0;
  int sw = 0, sh = 0;
  detail::ScreenSize(&sw, &sh);
  pw::SetLogicalScreenSize(sw, sh);
  if (!s.windowed) {
    WriteLogText("ウインドウスタイルをフルスクリーンモード用に変更します... ");
    StoreClientRect(0, 0, sw, sh);
    pw::SetFullScreen(true);
    pw::Raise(true);
    SetCursorVisibility(0);
  } else {
    WriteLogText("ウインドウスタイルをウインドウモード用に変更します... ");
    pw::SetFullScreen(false);
    int width = 0, height = 0;
    ClientSizeForWindowMode(&width, &height);
    pw::SetClientSize(width, height);
    pw::SetPosition((s.desktop_width - width) / 2, (s.desktop_height - height) / 2);
    pw::Raise(false);
    int left = 0, top = 0;
    pw::GetPosition(&left, &top);
    if (left < 0 || top < 0) {
      left = left < 0 ? 0 : left;
      top = top < 0 ? 0 : top;
      pw::SetPosition(left, top);
    }
    StoreClientRect(left, top, width, height);
    SetCursorVisibility(1);
  }
  WriteLogText("完了\n");
  return 0;
}

int UpdateWindowPlacement() {
  WindowStateBlock& s = WindowState();
  if (s.window == nullptr) return 0;
  if (s.zoom <= 0.0) s.zoom = 1.0;
  if (!s.windowed) return 0;
  int width = 0, height = 0;
  ClientSizeForWindowMode(&width, &height);
  pw::SetClientSize(width, height);
  StoreClientRect(s.client_left, s.client_top, width, height);
  if (!s.style_applied) {
    s.style_applied = 1;
    ApplyWindowModeStyle();
  }
  return 0;
}

int UpdateClientRectOnMove(int x, int y) {
  WindowStateBlock& s = WindowState();
  StoreClientRect(x, y, s.client_right - s.client_left, s.client_bottom - s.client_top);
  detail::CallSites().reapply_draw_area();
  return 0;
}

namespace detail {

double ZoomAfterDrag(int screen_width, int screen_height, int from_width, int from_height, int to_width,
                     int to_height, double zoom) {
  if (screen_width <= 0 || screen_height <= 0 || to_width <= 0 || to_height <= 0) return zoom;
  const int64_t dw = std::llabs(int64_t{to_width} - from_width);
  const int64_t dh = std::llabs(int64_t{to_height} - from_height);
  if (dw == 0 && dh == 0) return zoom;
  // Changes compared as zooms, so that a wide screen does not favour its width.
  const bool by_width = dh == 0 || (dw != 0 && dw * screen_height >= dh * screen_width);
  int64_t width = to_width, height = to_height;
  if (by_width) {
    height = width * screen_height / screen_width;
  } else {
    width = height * screen_width / screen_height;
  }
  return ZoomForClientSize(screen_width, screen_height, static_cast<int>(std::max<int64_t>(width, 1)),
                           static_cast<int>(std::max<int64_t>(height, 1)));
}

void FollowWindowSize() {
  WindowStateBlock& s = WindowState();
  if (s.windowed && !s.mode_changing && s.window != nullptr) {
    // The size now, not the message's: a message may be older than a size
    // this program has set since.
    int width = 0, height = 0;
    pw::GetClientSize(&width, &height);
    int zoomed_width = 0, zoomed_height = 0;
    ClientSizeForWindowMode(&zoomed_width, &zoomed_height);
    if (width != zoomed_width || height != zoomed_height) {
      if (!s.sizing) {
        s.sizing = 1;
        s.sizing_from_width = s.client_right - s.client_left;
        s.sizing_from_height = s.client_bottom - s.client_top;
      }
      int sw = 0, sh = 0;
      ScreenSize(&sw, &sh);
      s.zoom = ZoomAfterDrag(sw, sh, s.sizing_from_width, s.sizing_from_height, width, height,
                             GetWindowZoomRatio());
      StoreClientRect(s.client_left, s.client_top, width, height);
      s.sizing_changed_ms = platform::os::MillisecondClock();
      return;
    }
    s.sizing = 0;
  }
  UpdateWindowPlacement();
}

void SettleWindowDrag() {
  WindowStateBlock& s = WindowState();
  if (!s.sizing) return;
  if (((platform::os::MillisecondClock() - s.sizing_changed_ms) & 0x7FFFFFFFu) < kDragSettleMs) return;
  s.sizing = 0;
  if (!pw::IsMaximized()) UpdateWindowPlacement();
}

}  // namespace detail

int ForceWindowToForeground(int topmost) {
  pw::Raise(topmost != 0);
  return 0;
}

int UpdateFullScreenMenuByMouse() {
  WindowStateBlock& s = WindowState();
  if (s.windowed || s.window == nullptr) return 0;
  int y = 0;
  ReadMousePosition(nullptr, &y);
  s.mouse_in_menu_area = y < 60 ? 1 : 0;
  SetCursorVisibility(s.cursor_wanted);
  return 0;
}

void RecordMouseClick(int button) {
  WindowStateBlock& s = WindowState();
  if (s.click_count >= detail::kMaxMouseClicks) return;
  detail::MouseClick& c = s.clicks[s.click_count++];
  c.button = button;
  ReadMousePosition(&c.x, &c.y);
}

int ClearDroppedFileList() {
  WindowState().dropped_files.clear();
  return 0;
}

int DestroyMainWindow() {
  WindowStateBlock& s = WindowState();
  if (s.window == nullptr) return 0;
  pw::SetScreenSaverAllowed(true);
  s.cursor_wanted = 1;
  if (!s.cursor_shown) {
    pw::ShowSystemCursor(true);
    s.cursor_shown = 1;
  }
  if (!s.closing) s.closing = 1;
  if (!s.destroy_handled) {
    platform::window::Message close;
    close.kind = platform::window::MessageKind::WM_CLOSE;
    MainWindowProc(close);
  }
  while (!s.destroy_handled && PumpMessagesUnlocked() == 0) {
  }
  detail::CallSites().delete_text_entry_handle_all();
  ClearDroppedFileList();
  // The window goes only now, after graphics has ended, so no draw call can
  // reach a surface that is already gone.
  pw::StopVideo();
  detail::ReleaseSingleInstance();
  s.window = nullptr;
  return 0;
}

}  // namespace veziv
