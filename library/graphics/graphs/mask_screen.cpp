// Mask state, the mask buffer and image, the mask handle table and the
// software bracket around masked drawing.
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/images/softsurface_raster.h"

#include <cstring>

#include "library/foundation/core/handles.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/start/library_start.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/screen/graphics_context.h"

namespace veziv {
namespace {

struct MaskRecord {
  void* data;
  int32_t words[5];
};

struct MaskState {
  int use = 0;
  int wanted = 0;
  int active = 0;
  int reverse = 0;
  uint8_t* bytes = nullptr;
  int pitch = 0;
  SOFTSURFACE image{};
};

MaskState& State() {
  static MaskState state;
  return state;
}

using MaskTable = FirstFreeHandleTable<MaskRecord, kMaskHandleKind, kMaskHandleSlots>;

MaskTable& Masks() {
  static MaskTable table;
  return table;
}

// The rectangle ordered and clipped to the draw area; false when empty.
bool ClipToDrawArea(int x1, int y1, int x2, int y2, DrawRect* out) {
  *out = DrawRect{x1, y1, x2, y2};
  const DrawRect area = GetDrawArea();
  ClipRectToRect(out, &area);
  return out->right > out->left && out->bottom > out->top;
}

// The real target: the target graph's view or the screen image.
SOFTSURFACE* RealTarget() {
  MaskState& s = State();
  const int active = s.active;
  s.active = 0;
  SOFTSURFACE* target = CurrentDrawTargetImage();
  s.active = active;
  return target;
}

bool SameLayout(const SOFTSURFACE* a, const SOFTSURFACE* b) {
  return SoftSurfaceIsValid(a) && SoftSurfaceIsValid(b) && a->base->bytesPerPixel == b->base->bytesPerPixel;
}

}  // namespace

int SetMaskScreenUse(int flag) {
  MaskState& s = State();
  if (!s.bytes) return -1;
  s.use = flag;
  s.active = flag && s.wanted ? 1 : 0;
  return 0;
}

int GetMaskScreenUse() { return State().use; }

int SetupMaskScreen(int createFlag) {
  if (!createFlag) return 0;
  MaskState& s = State();
  const detail::GraphicsScreen& screen = detail::Screen();
  if (!s.bytes) {
    s.pitch = (screen.width + 3) / 4 * 4;
    s.bytes = static_cast<uint8_t*>(AllocLibMemoryZeroed(size_t(s.pitch) * size_t(screen.height)));
    if (!s.bytes) FatalErrorExit("マスク用 SOFTSURFACE の作成に失敗しました");
  }
  if (!SoftSurfaceIsValid(&s.image) &&
      SoftSurfaceCreateForScreen(&s.image, screen.width, screen.height, screen.bits == 16 ? 0 : 1) != 0)
    FatalErrorExit("マスク用 SOFTSURFACE の作成に失敗しました");
  s.wanted = 1;
  s.active = s.use && s.wanted ? 1 : 0;
  return 0;
}

int FreeMaskScreen() {
  MaskState& s = State();
  FreeLibMemory(s.bytes);
  s.bytes = nullptr;
  SoftSurfaceRelease(&s.image);
  // Drawing goes straight to the target until the mask screen is made again,
  // rather than into an image that no longer exists.
  s.active = 0;
  return 0;
}

int RestoreMaskScreen() {
  MaskState& s = State();
  SetupMaskScreen(s.wanted);
  if (s.use) SetMaskScreenUse(1);
  return 0;
}

int EndMaskSystem() {
  MaskState& s = State();
  if (s.use) SetMaskScreenUse(0);
  FreeMaskScreen();
  s.wanted = 0;
  s.active = 0;
  return 0;
}

int DeleteMaskHandle(int handle) {
  MaskRecord* record = Masks().Get(handle);
  if (!record) return -1;
  FreeLibMemory(record->data);
  return Masks().Delete(handle);
}

int DeleteMaskHandleAll() {
  Masks().DeleteAll([](int handle) { DeleteMaskHandle(handle); });
  return 0;
}

int BeginMaskedDraw(int x1, int y1, int x2, int y2) {
  MaskState& s = State();
  DrawRect r;
  if (!s.active || !ClipToDrawArea(x1, y1, x2, y2, &r)) return 0;
  SoftSurfaceCopyRect(&s.image, RealTarget(), &r, r.left, r.top);
  return 0;
}

int EndMaskedDraw(int x1, int y1, int x2, int y2) {
  MaskState& s = State();
  DrawRect r;
  if (!s.active || !ClipToDrawArea(x1, y1, x2, y2, &r)) return 0;
  SOFTSURFACE* to = RealTarget();
  const SOFTSURFACE* from = &s.image;
  const detail::GraphicsScreen& screen = detail::Screen();
  if (!SameLayout(from, to) || r.right > from->width || r.bottom > from->height || r.right > to->width ||
      r.bottom > to->height || r.right > screen.width || r.bottom > screen.height)
    return 0;
  const int bpp = from->base->bytesPerPixel;
  for (int y = r.top; y < r.bottom; ++y) {
    const uint8_t* mask = s.bytes + ptrdiff_t(y) * s.pitch;
    for (int x = r.left; x < r.right; ++x) {
      if ((mask[x] == 0) == (s.reverse != 0)) continue;
      std::memcpy(to->pixels + ptrdiff_t(y) * to->base->pitch + ptrdiff_t(x) * bpp,
                  from->pixels + ptrdiff_t(y) * from->base->pitch + ptrdiff_t(x) * bpp, size_t(bpp));
    }
  }
  return 0;
}

int IsMaskedDrawActive() { return State().active; }

SOFTSURFACE* MaskScreenImage() {
  MaskState& s = State();
  return SoftSurfaceIsValid(&s.image) ? &s.image : nullptr;
}

namespace detail {

uint8_t* MaskBytes(int* pitch) {
  if (pitch) *pitch = State().pitch;
  return State().bytes;
}

void SetMaskUseFlag(int flag) {
  MaskState& s = State();
  s.use = flag;
  s.active = s.use && s.wanted && s.bytes ? 1 : 0;
}

void ResetMaskScreenForTest() {
  EndMaskSystem();
  State() = MaskState{};
  DeleteMaskHandleAll();
}

}  // namespace detail
}  // namespace veziv
