// Setting and changing the screen mode with its fallback ladder, the
// read-outs, and the software road's device set-up.
#include "library/graphics/screen/screen_mode.h"

#include "library/foundation/core/random.h"
#include "library/foundation/core/rect_matrix.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/main_window.h"
#include "library/foundation/window/pump.h"
#include "library/veziv.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/graphics_restore.h"
#include "library/graphics/screen/graphics_system.h"
#include "platform/window/window.h"

namespace veziv {
namespace detail {
namespace {

constexpr GraphicsLifecycle kDefaultLifecycle = {
    .start = StartGraphicsSystem,
    .end = EndGraphicsSystem,
    .setup_device = SetupGraphicsDevice,
};

struct Mode {
  int width, height, bits, refresh, half_size;
  bool SameSetting(const Mode& o) const {
    return width == o.width && height == o.height && bits == o.bits && refresh == o.refresh;
  }
};

Mode CurrentMode() {
  const GraphicsScreen& s = Screen();
  return {s.width, s.height, s.bits, s.refresh, s.half_size};
}

void StoreMode(const Mode& m) {
  GraphicsScreen& s = Screen();
  s.width = m.width;
  s.height = m.height;
  s.bits = m.bits;
  s.refresh = m.refresh;
  s.half_size = m.half_size;
}

bool StartInMode(const Mode& m) {
  StoreMode(m);
  return GraphicsLifecycleCalls().start() == 0;
}

void ScreenSizeForHooks(int* width, int* height) { GetScreenSizeOrDefault(width, height); }

// Before the window exists there is nothing to switch: it opens in full screen.
bool EnterFullScreen() {
  if (!platform::window::HasWindow()) return true;
  return platform::window::SetFullScreen(true);
}

}  // namespace

GraphicsLifecycle& GraphicsLifecycleCalls() {
  static GraphicsLifecycle state = kDefaultLifecycle;
  return state;
}
const GraphicsLifecycle& DefaultGraphicsLifecycle() { return kDefaultLifecycle; }

int SetupSoftwareDevice() {
  if (IsWindowedMode()) return 0;
  GraphicsScreen& screen = Screen();
  char line[256];
  FormatText(line, sizeof line, "画面モードの変更処理を開始します %u x %u  %u bit ", static_cast<unsigned>(screen.width),
             static_cast<unsigned>(screen.height), static_cast<unsigned>(screen.bits));
  WriteLogText(line);
  IncreaseLogIndent();
  if (screen.bits != 16 && screen.bits != 32) {
    DecreaseLogIndent();
    return -1;
  }
  WriteLogText("画面解像度を変更します... ");
  // The window covers the desktop in its own mode and the screen is scaled
  // into it, so no display mode is ever switched; only the switch to full
  // screen itself can fail.
  bool ok = EnterFullScreen();
  if (!ok) {
    screen.refresh = 0;
    ok = EnterFullScreen();
  }
  if (!ok && screen.width == 320 && screen.height == 240) {
    screen.width = 640;
    screen.height = 480;
    screen.half_size = 1;
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
}

}  // namespace detail

using detail::GraphicsLifecycleCalls;

int SetScreenMode(int width, int height, int color_bits, int refresh_rate) {
  if (width == 0 || height == 0) return -1;
  if (color_bits != 8 && color_bits != 16 && color_bits != 32) return -1;
  if (!detail::IsLibraryInitialised()) {
    detail::StoreMode({width, height, color_bits, refresh_rate, detail::Screen().half_size});
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
  if (detail::Screen().started) detail::GraphicsCalls().remember_default_font();
  if (!detail::IsLibraryStarting() && !detail::IsLibraryInitialised()) {
    DecreaseLogIndent();
    return 0;
  }
  detail::InstallScreenModeHooks();
  if (detail::Screen().started) GraphicsLifecycleCalls().end();
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
  detail::GraphicsCalls().reapply_default_font();
  DecreaseLogIndent();
  WriteLogText("画面モード変更処理は正常に終了しました\n");
  PumpMessages();
  return 0;
}

int GetScreenSizeOrDefault(int* width, int* height) {
  const detail::GraphicsScreen& s = detail::Screen();
  const bool unset = s.width == 0 || s.height == 0;
  if (width != nullptr) *width = unset ? 640 : s.width;
  if (height != nullptr) *height = unset ? 480 : s.height;
  return 0;
}

int GetScreenSizeAndDepth(int* width, int* height, int* color_bits) {
  const detail::GraphicsScreen& s = detail::Screen();
  if (width != nullptr) *width = s.width;
  if (height != nullptr) *height = s.height;
  if (color_bits != nullptr) *color_bits = s.bits;
  return 0;
}

int GetScreenColorBitDepth() { return detail::Screen().bits; }

int IsFullScreenMode() { return IsWindowedMode() ? 0 : 1; }

void* GetDirectDrawObject() {
  static int token;
  return &token;
}

int GetGraphicsStubFlag() { return 0; }

int SetPresentWaitsForVBlank(int flag) {
  detail::Screen().no_vblank_wait = flag == 0 ? 1 : 0;
  return 0;
}

int GetPresentWaitsForVBlank() { return detail::Screen().no_vblank_wait == 0 ? 1 : 0; }

int SetHalfSizeScreenFlag(int flag) {
  detail::Screen().half_size = flag;
  return 0;
}

}  // namespace veziv
