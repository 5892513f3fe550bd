// Starting and ending the graphics system on the software road, showing the
// finished frame in the window, and graphics' steps in the library's start
// and end.
#include "library/graphics/screen/graphics_system.h"
#include "library/graphics/screen/primary_soft_surface.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "library/foundation/memory_log/screen_log.h"
#include "library/foundation/start/library_start.h"
#include "library/veziv.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/device/shader_pack.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawers.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/lights_camera.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/images/raster_image.h"
#include "library/graphics/images/raster_memory.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/graphics_restore.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/softrender/blend/blend_tables.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {
namespace {

struct PresentState {
  // The window takes 32-bit pixels only; a 16-bit screen is widened into this
  // image for each present.
  std::vector<uint8_t> widened;
};

PresentState& State() {
  static PresentState state;
  return state;
}

uint8_t Widen(uint32_t value, int bits) {
  const uint32_t top = value << (8 - bits);
  return static_cast<uint8_t>(top | top >> bits);
}

// Bytes blue, green, red, unused from an R5G6B5 image, each channel widened
// so that its full value becomes 255.
const uint8_t* WidenSixteenBitScreen(const SOFTSURFACE& image, int* pitch) {
  const int width = image.width, height = image.height;
  std::vector<uint8_t>& widened = State().widened;
  widened.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  const int bytes = image.base->bytesPerPixel;
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = image.pixels + static_cast<ptrdiff_t>(y) * image.base->pitch;
    uint8_t* out = widened.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
    for (int x = 0; x < width; ++x, in += bytes, out += 4) {
      const uint32_t p = detail::LoadLe16(in);
      out[0] = Widen(p & 0x1F, 5);
      out[1] = Widen(p >> 5 & 0x3F, 6);
      out[2] = Widen(p >> 11 & 0x1F, 5);
      out[3] = 0;
    }
  }
  *pitch = width * 4;
  return widened.data();
}

// The on-screen log over the whole screen, drawn plainly; the draw area, blend
// and brightness the game had are put back.
void DrawScreenLogOverScreen() {
  const DrawRect area = GetDrawArea();
  const int mode = GetBlendMode(), param = GetBlendParam();
  const uint32_t brightness = GetDrawColorWord() & 0xFFFFFFu;
  int width = 0, height = 0;
  GetScreenSizeOrDefault(&width, &height);
  SetDrawAreaDirect({0, 0, width, height});
  ChooseBlendMode(0, 0);
  SetDrawColorScale(255, 255, 255);
  DrawScreenLog();
  SetDrawAreaDirect(area);
  ChooseBlendMode(mode, param);
  SetDrawColorScalePacked(brightness);
}

}  // namespace

int StartGraphicsSystem() {
  detail::GraphicsScreen& screen = detail::Screen();
  if (screen.started) return 0;
  detail::EmptyGraphTable();
  if (screen.width == 0 || screen.height == 0) {
    screen.width = 640;
    screen.height = 480;
    screen.bits = 16;
  }
  detail::InstallScreenModeHooks();
  if (detail::GraphicsLifecycleCalls().setup_device() != 0) {
    EndGraphicsSystem();
    return -1;
  }
  screen.started = 1;
  detail::ChooseDrawers(detail::GpuInUse() != 0);
  CreatePrimarySoftSurface();
  ResetDrawState();
  BuildBlendTables();
  detail::GraphicsCalls().start_font_system();
  detail::ConnectGraphicsToPump();
  return 0;
}

int EndGraphicsSystem() {
  detail::GraphicsCalls().end_font_system();
  detail::GraphicsScreen& screen = detail::Screen();
  if (!screen.started) return 0;
  detail::DisconnectGraphicsFromPump();
  FreeAllGraphHandles(0);
  detail::ReleaseGpuDevice();
  detail::ChooseDrawers(false);
  detail::ReleaseShaderPack();
  EndMaskSystem();
  DeleteMaskHandleAll();
  detail::FreeEveryLight();
  detail::ReleaseGraphicsDevice();
  ReleasePrimarySoftSurface();
  std::vector<uint8_t>().swap(State().widened);
  screen.started = 0;
  return 0;
}

int PresentBackBuffer() {
  if (!detail::IsLibraryInitialised() || IsWindowEnded()) return -1;
  if (IsScreenLogActive()) DrawScreenLogOverScreen();
  if (detail::GpuInUse()) return detail::PresentScreenFrame();
  const SOFTSURFACE* image = detail::Screen().image;
  if (!SoftSurfaceIsValid(image)) return 0;
  int pitch = image->base->pitch;
  const uint8_t* pixels = image->base->type == kSoftType16 ? WidenSixteenBitScreen(*image, &pitch) : image->pixels;
  return detail::PresentScreenImage(pixels, image->width, image->height, pitch);
}

int PresentAfterEndScene() { return PresentBackBuffer(); }

int SetDeviceDialogBoxMode(int) { return 0; }

int SetDialogBoxModeAfterEndScene(int) { return 0; }

namespace detail {

void RegisterGraphicsWithLibrary() {
  LibrarySubsystems& s = RegisteredSubsystems();
  s.screen_bits_per_pixel = [] { return GetScreenColorBitDepth(); };
  s.clear_graphics_restore_callback = ClearGraphicsRestoreCallback;
  s.start_graphics_system = [] { return GraphicsLifecycleCalls().start(); };
  s.set_present_waits_for_vblank = [](int on) { SetPresentWaitsForVBlank(on); };
  s.select_default_draw_targets = [] {
    SelectDrawTarget(kTargetBackScreen);
    SelectDrawTarget(kTargetAutoPresent);
  };
  s.end_graphics_system = [] { GraphicsLifecycleCalls().end(); };
  s.release_all_soft_images = TerminateSoftImages;
}

}  // namespace detail

}  // namespace veziv
