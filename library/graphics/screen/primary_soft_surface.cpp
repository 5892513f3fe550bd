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

SoftScreenImages g_soft_screen;

}  // namespace

int CreatePrimarySoftSurface() {
  ReleasePrimarySoftSurface();
  int width = 0, height = 0;
  GetScreenSizeOrDefault(&width, &height);
  const int type = GetScreenColorBitDepth() == 16 ? kSoftType16 : kSoftType32;
  SetSoftSurfaceScreenType(type);
  if (SoftSurfaceCreateForScreen(&g_soft_screen.screen, width, height, type) != 0) {
    FatalErrorExit("プライマリサーフェス用の SOFTSURFACE の作成に失敗しました");
  }
  // Work images for string drawing; without them text is not drawn, the screen still is.
  SoftSurfaceCreateForScreen(&g_soft_screen.work[0], width, height, type);
  g_soft_screen.work[1] = SOFTSURFACE{};
  SoftSurfaceCreate(&g_soft_screen.work[1], width, height, -1, 0, type, 0, 0, 1, nullptr);
  const PixelFormatDesc* format = SoftSurfacePixelFormat(type, 0, 0);
  SoftSurfaceFillRaw(&g_soft_screen.screen, nullptr, FindColorCodeForImage(format, 0, 0, 0, 0));
  detail::Screen().image = &g_soft_screen.screen;
  return 0;
}

void ReleasePrimarySoftSurface() {
  if (detail::Screen().image == &g_soft_screen.screen) detail::Screen().image = nullptr;
  SoftSurfaceRelease(&g_soft_screen.screen);
  SoftSurfaceRelease(&g_soft_screen.work[0]);
  SoftSurfaceRelease(&g_soft_screen.work[1]);
}

SOFTSURFACE* GetStringWorkSoftSurface(int index) {
  if (index < 0 || index > 1 || !SoftSurfaceIsValid(&g_soft_screen.work[index])) return nullptr;
  return &g_soft_screen.work[index];
}

}  // namespace veziv
