// The software screen: the screen image the screen targets draw into and the
// two work images of the software string drawing.
#include "library/foundation/library_start.h"
#include "library/graphics/graphics_context.h"
#include "library/graphics/raster_image.h"
#include "library/graphics/screen_mode.h"
#include "library/graphics/softsurface.h"

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
  // The second holds smoothed text with its alpha.
  SoftSurfaceCreateForScreen(&g_soft_screen.work[0], width, height, type);
  g_soft_screen.work[1] = SOFTSURFACE{};
  SoftSurfaceCreate(&g_soft_screen.work[1], width, height, -1, 0, type, 0, 1, 1, nullptr);
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
