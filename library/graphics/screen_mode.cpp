// The screen-mode state, setting and changing the mode with its fallback
// ladder, the read-outs, the screen-mode part of starting and ending graphics
// and the software road's device set-up.
#include "library/graphics/screen_mode.h"

#include "library/foundation/call_sites.h"
#include "library/foundation/library_start.h"
#include "library/foundation/log.h"
#include "library/foundation/main_window.h"
#include "library/foundation/pump.h"
#include "library/foundation/random.h"
#include "library/foundation/rect_matrix.h"
#include "library/foundation/window_services.h"
#include "library/graphics/graphics_restore.h"
#include "platform/window/window.h"

namespace veziv {
namespace detail {
namespace {

constexpr GraphicsLifecycle kDefaultLifecycle = {
    .start = StartScreenGraphics,
    .end = EndScreenGraphics,
    .setup_device = SetupSoftwareDevice,
};

ScreenModeState g_mode;
GraphicsLifecycle g_lifecycle = kDefaultLifecycle;

struct Mode {
  int width, height, bits, refresh, half_size;
  bool SameSetting(const Mode& o) const {
    return width == o.width && height == o.height && bits == o.bits && refresh == o.refresh;
  }
};

Mode CurrentMode() { return {g_mode.width, g_mode.height, g_mode.bits, g_mode.refresh, g_mode.half_size}; }

void StoreMode(const Mode& m) {
  g_mode.width = m.width;
  g_mode.height = m.height;
  g_mode.bits = m.bits;
  g_mode.refresh = m.refresh;
  g_mode.half_size = m.half_size;
}

bool StartInMode(const Mode& m) {
  StoreMode(m);
  return g_lifecycle.start() == 0;
}

void ScreenSizeForHooks(int* width, int* height) { GetScreenSizeOrDefault(width, height); }

// Before the window exists there is nothing to switch: it opens in full screen.
bool EnterFullScreen() {
  if (!platform::window::HasWindow()) return true;
  return platform::window::SetFullScreen(true);
}

}  // namespace

ScreenModeState& ScreenMode() { return g_mode; }
GraphicsLifecycle& GraphicsLifecycleCalls() { return g_lifecycle; }

int StartScreenGraphics() {
  if (g_mode.started) return 0;
  if (g_mode.width == 0 || g_mode.height == 0) {
    g_mode.width = 640;
    g_mode.height = 480;
    g_mode.bits = 16;
  }
  InstallScreenModeHooks();
  if (g_lifecycle.setup_device() != 0) {
    g_lifecycle.end();
    return -1;
  }
  g_mode.started = 1;
  return 0;
}

int EndScreenGraphics() {
  if (!g_mode.started) return 0;
  ReleaseGraphicsDevice();
  g_mode.started = 0;
  return 0;
}

int SetupSoftwareDevice() {
  if (IsWindowedMode()) return 0;
  char line[256];
  FormatText(line, sizeof line, "画面モードの変更処理を開始します %u x %u  %u bit ", static_cast<unsigned>(g_mode.width),
             static_cast<unsigned>(g_mode.height), static_cast<unsigned>(g_mode.bits));
  WriteLogText(line);
  IncreaseLogIndent();
  if (g_mode.bits != 16 && g_mode.bits != 32) {
    DecreaseLogIndent();
    return -1;
  }
  WriteLogText("画面解像度を変更します... ");
  // The window covers the desktop in its own mode and the screen is scaled
  // into it, so no display mode is ever switched; only the switch to full
  // screen itself can fail.
  bool ok = EnterFullScreen();
  if (!ok) {
    g_mode.refresh = 0;
    ok = EnterFullScreen();
  }
  if (!ok && g_mode.width == 320 && g_mode.height == 240) {
    g_mode.width = 640;
    g_mode.height = 480;
    g_mode.half_size = 1;
    ok = EnterFullScreen();
    if (ok) ApplyWindowModeStyle();
  }
  if (!ok) {
    WriteLogText("画面モードの変更に失敗しました\n");
    DecreaseLogIndent();
    return -1;
  }
  WriteLogText("成功しました\n");
  DecreaseLogIndent();
  return 0;
}

void InstallScreenModeHooks() {
  SetScreenSizeSource(ScreenSizeForHooks);
  CallSites().get_screen_size = ScreenSizeForHooks;
  // A switch between window and full screen keeps the mode but needs the device set up again.
  CallSites().change_screen_mode = [] { return ChangeScreenMode(-1, -1, -1, 1, -1); };
  CallSites().recover_lost_device = [] { RecoverLostDevice(); };
  LibrarySubsystems& s = RegisteredSubsystems();
  s.screen_bits_per_pixel = [] { return GetScreenColorBitDepth(); };
  s.set_present_waits_for_vblank = [](int on) { SetPresentWaitsForVBlank(on); };
}

void ResetScreenModeForTest() {
  g_mode = ScreenModeState{};
  g_lifecycle = kDefaultLifecycle;
  SetScreenSizeSource(nullptr);
  ResetCallSites();
  RegisteredSubsystems().screen_bits_per_pixel = nullptr;
  RegisteredSubsystems().set_present_waits_for_vblank = nullptr;
}

}  // namespace detail

using detail::g_lifecycle;
using detail::g_mode;

int SetScreenMode(int width, int height, int color_bits, int refresh_rate) {
  if (width == 0 || height == 0) return -1;
  if (color_bits != 8 && color_bits != 16 && color_bits != 32) return -1;
  if (!detail::IsLibraryInitialised()) {
    g_mode.width = width;
    g_mode.height = height;
    g_mode.bits = color_bits;
    g_mode.refresh = refresh_rate;
    detail::InstallScreenModeHooks();
    return 0;
  }
  const detail::Mode old = detail::CurrentMode();
  ChangeScreenMode(width, height, color_bits, 0, refresh_rate);
  const detail::Mode now = detail::CurrentMode();
  // A request equal to the current mode counts as met, not as unchanged.
  if (now.SameSetting({width, height, color_bits, refresh_rate, 0})) return 0;
  if (now.SameSetting(old)) return -1;
  if (now.SameSetting({640, 480, 16, 0, 0})) return -2;
  return -1;
}

int ChangeScreenMode(int width, int height, int color_bits, int force, int refresh_rate) {
  const detail::Mode old = detail::CurrentMode();
  detail::Mode want = old;
  if (width != -1) want.width = width;
  if (height != -1) want.height = height;
  if (color_bits != -1) want.bits = color_bits;
  if (refresh_rate != -1) want.refresh = refresh_rate;
  if (force == 0 && want.SameSetting(old)) return 0;

  WriteLogText("画面モード変更処理を開始します\n");
  IncreaseLogIndent();
  if (!detail::IsLibraryStarting() && !detail::IsLibraryInitialised()) {
    DecreaseLogIndent();
    return 0;
  }
  detail::InstallScreenModeHooks();
  if (g_mode.started) g_lifecycle.end();
  if (!detail::StartInMode(want)) {
    bool started = false;
    if (want.width == 320 && want.height == 240) started = detail::StartInMode({640, 480, want.bits, want.refresh, 1});
    // The old mode comes back with its own half-size setting, so that a
    // refused 320 x 240 does not leave a plain 640 x 480 screen halved.
    if (!started) started = detail::StartInMode(old);
    if (!started) started = detail::StartInMode({640, 480, 16, 0, 0});
    if (!started) FatalErrorExit("予期せぬ画面モード変更不能現象が起きました2");
  }
  int sw = 0, sh = 0;
  GetScreenSizeOrDefault(&sw, &sh);
  if (IsWindowedMode()) {
    ApplyWindowModeStyle();
  } else {
    // Mouse positions are mapped back through the letterbox of this size.
    platform::window::SetLogicalScreenSize(sw, sh);
  }
  DecreaseLogIndent();
  WriteLogText("画面モード変更処理は正常に終了しました\n");
  PumpMessages();
  return 0;
}

int GetScreenSizeOrDefault(int* width, int* height) {
  const bool unset = g_mode.width == 0 || g_mode.height == 0;
  if (width != nullptr) *width = unset ? 640 : g_mode.width;
  if (height != nullptr) *height = unset ? 480 : g_mode.height;
  return 0;
}

int GetScreenSizeAndDepth(int* width, int* height, int* color_bits) {
  if (width != nullptr) *width = g_mode.width;
  if (height != nullptr) *height = g_mode.height;
  if (color_bits != nullptr) *color_bits = g_mode.bits;
  return 0;
}

int GetScreenColorBitDepth() { return g_mode.bits; }

int IsFullScreenMode() { return IsWindowedMode() ? 0 : 1; }

void* GetDirectDrawObject() {
  static int token;
  return &token;
}

int GetGraphicsStubFlag() { return 0; }

int SetPresentWaitsForVBlank(int flag) {
  g_mode.no_vblank_wait = flag == 0 ? 1 : 0;
  return 0;
}

int GetPresentWaitsForVBlank() { return g_mode.no_vblank_wait == 0 ? 1 : 0; }

int SetHalfSizeScreenFlag(int flag) {
  g_mode.half_size = flag;
  return 0;
}

}  // namespace veziv
