// The software screen: the screen image the screen targets draw into and the
// two work images of the software string drawing.
#include "library/graphics/screen/primary_soft_surface.h"

#include "library/foundation/start/library_start.h"
#include "library/graphics/images/raster_image.h"
#include "library/graphics/images/softsurface_raster.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/softrender/surface/softsurface.h"

namespace veziv {
namespace {

struct SoftScreenImages {
  SOFTSURFACE screen{};
  SOFTSURFACE work[2]{};
};

SoftScreenImages& State() {
  static SoftScreenImages state;
  return state;
}

}  // namespace

int CreatePrimarySoftSurface() {
  SoftScreenImages& images = State();
  ReleasePrimarySoftSurface();
  int width = 0, height = 0;
  GetScreenSizeOrDefault(&width, &height);
  const int type = GetScreenColorBitDepth() == 16 ? kSoftType16 : kSoftType32;
  SetSoftSurfaceScreenType(type);
  if (SoftSurfaceCreateForScreen(&images.screen, width, height, type) != 0) {
    FatalErrorExit("プライマリサーフェス用の SOFTSURFACE の作成に失敗しました");
  }
  // Work images for string drawing; without them text is not drawn, the screen still is.
  // The second holds smoothed text with its alpha.
  SoftSurfaceCreateForScreen(&images.work[0], width, height, type);
  images.work[1] = SOFTSURFACE{};
  SoftSurfaceCreate(&images.work[1], width, height, -1, 0, type, 0, 1, 1, nullptr);
  const PixelFormatDesc* format = SoftSurfacePixelFormat(type, 0, 0);
  SoftSurfaceFillRaw(&images.screen, nullptr, FindColorCodeForImage(format, 0, 0, 0, 0));
  detail::Screen().image = &images.screen;
  return 0;
}

void ReleasePrimarySoftSurface() {
  SoftScreenImages& images = State();
  if (detail::Screen().image == &images.screen) detail::Screen().image = nullptr;
  SoftSurfaceRelease(&images.screen);
  SoftSurfaceRelease(&images.work[0]);
  SoftSurfaceRelease(&images.work[1]);
}

SOFTSURFACE* GetStringWorkSoftSurface(int index) {
  SoftScreenImages& images = State();
  if (index < 0 || index > 1 || !SoftSurfaceIsValid(&images.work[index])) return nullptr;
  return &images.work[index];
}

}  // namespace veziv
