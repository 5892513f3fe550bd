// The screen image into the window through the active driver, the desktop
// driver's SDL renderer with its streaming texture, and the display modes.
#include "platform/window/present.h"

#include <cstdint>

#include "platform/window/driver.h"
#include "platform/window/window.h"

namespace platform::window {
namespace detail {

bool PresentRequestIsSound(const PresentRequest& r) {
  const ScreenImage& im = r.image;
  if (im.pixels == nullptr || im.width <= 0 || im.height <= 0) return false;
  if (int64_t{im.pitch} < int64_t{im.width} * 4) return false;
  const ScreenRect& s = r.source;
  if (s.x < 0 || s.y < 0 || s.width <= 0 || s.height <= 0) return false;
  return int64_t{s.x} + s.width <= im.width && int64_t{s.y} + s.height <= im.height;
}

namespace {

bool EnsureRenderer(WindowModuleState& s) {
  if (s.renderer != nullptr) return true;
  s.renderer = SDL_CreateRenderer(s.window, -1, 0);
  s.renderer_vsync = -1;
  return s.renderer != nullptr;
}

// A texture of exactly the source's size, so that the copy needs no source rectangle.
bool EnsureTexture(WindowModuleState& s, int width, int height) {
  if (s.texture != nullptr && s.texture_width == width && s.texture_height == height) return true;
  if (s.texture != nullptr) SDL_DestroyTexture(s.texture);
  // XRGB8888: the fourth byte of the screen image is not alpha and is ignored.
  s.texture = SDL_CreateTexture(s.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
  // A zoomed window shows each screen pixel as a block of window pixels:
  // sharp, the same on every renderer, and whatever the scaling hint says.
  if (s.texture != nullptr) SDL_SetTextureScaleMode(s.texture, SDL_ScaleModeNearest);
  s.texture_width = s.texture != nullptr ? width : 0;
  s.texture_height = s.texture != nullptr ? height : 0;
  return s.texture != nullptr;
}

}  // namespace

bool PresentOnDesktop(const PresentRequest& r, const ScreenRect& placement) {
  WindowModuleState& s = ModuleState();
  if (!EnsureRenderer(s) || !EnsureTexture(s, r.source.width, r.source.height)) return false;
  const int vsync = r.wait_for_vblank ? 1 : 0;
  if (s.renderer_vsync != vsync) {
    // Not every renderer can change it; the frame is shown all the same.
    SDL_RenderSetVSync(s.renderer, vsync);
    s.renderer_vsync = vsync;
  }
  const uint8_t* first = r.image.pixels + static_cast<ptrdiff_t>(r.source.y) * r.image.pitch + r.source.x * 4;
  if (SDL_UpdateTexture(s.texture, nullptr, first, r.image.pitch) != 0) return false;
  SDL_SetRenderDrawColor(s.renderer, 0, 0, 0, 255);
  if (SDL_RenderClear(s.renderer) != 0) return false;
  const SDL_Rect dst{placement.x, placement.y, placement.width, placement.height};
  if (SDL_RenderCopy(s.renderer, s.texture, nullptr, &dst) != 0) return false;
  SDL_RenderPresent(s.renderer);
  return true;
}

bool PresentFrameOnDesktop(FrameSource& frame, const FrameRequest& request, const ScreenRect& placement) {
  ReleasePresenter();
  return frame.Show(request.source, placement, request.wait_for_vblank);
}

void ReleasePresenter() {
  WindowModuleState& s = ModuleState();
  if (s.texture != nullptr) SDL_DestroyTexture(s.texture);
  if (s.renderer != nullptr) SDL_DestroyRenderer(s.renderer);
  s.texture = nullptr;
  s.renderer = nullptr;
  s.texture_width = 0;
  s.texture_height = 0;
  s.renderer_vsync = -1;
}

int StoredBitsPerPixel(Uint32 format) {
  const int bytes = SDL_BYTESPERPIXEL(format);
  return bytes > 0 ? bytes * 8 : static_cast<int>(SDL_BITSPERPIXEL(format));
}

}  // namespace detail

ScreenRect PresentPlacement(const PresentRequest& request, bool full_screen, int client_width, int client_height) {
  if (!full_screen) return request.destination;
  return LetterboxRect(client_width, client_height, request.source.width, request.source.height);
}

bool PresentScreenImage(const PresentRequest& request) {
  if (!HasWindow() || !detail::PresentRequestIsSound(request)) return false;
  int cw = 0, ch = 0;
  GetClientSize(&cw, &ch);
  const ScreenRect placement = PresentPlacement(request, IsFullScreen(), cw, ch);
  if (placement.width <= 0 || placement.height <= 0) return false;
  return detail::ActiveDriver().present(request, placement);
}

bool PresentFrame(FrameSource& frame, const FrameRequest& request) {
  if (!HasWindow() || request.source.x != 0 || request.source.y != 0 || request.source.width <= 0 ||
      request.source.height <= 0)
    return false;
  PresentRequest shape;
  shape.source = request.source;
  shape.destination = request.destination;
  int cw = 0, ch = 0;
  GetClientSize(&cw, &ch);
  const ScreenRect placement = PresentPlacement(shape, IsFullScreen(), cw, ch);
  if (placement.width <= 0 || placement.height <= 0) return false;
  return detail::ActiveDriver().present_frame(frame, request, placement);
}

std::vector<DisplayMode> ListDisplayModes() {
  std::vector<DisplayMode> modes;
  if (!StartVideo()) return modes;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode dm{};
    if (SDL_GetDisplayMode(0, i, &dm) != 0) continue;
    modes.push_back({dm.w, dm.h, detail::StoredBitsPerPixel(dm.format), dm.refresh_rate});
  }
  return modes;
}

}  // namespace platform::window
