// Mask state, the mask buffer and image, the mask handle table and the
// bracket around masked drawing, in the software form (a mask image the
// draws go into) and the device's (a mask-screen texture they go into, and a
// texture of the mask that decides per pixel what the copy back lets through).
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/images/softsurface_raster.h"

#include <cstring>
#include <vector>

#include "library/foundation/core/handles.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/start/library_start.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/device/draw_backend.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawers.h"
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
  // The device form: the mask screen (a target) and the mask's texture, both
  // the screen's size rounded up to powers of two.
  platform::gpu::TextureId screenTexture = 0, maskTexture = 0;
  int textureWidth = 0, textureHeight = 0;
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

int PowerOfTwoAtLeast(int side) {
  int p = 1;
  while (p < side) p *= 2;
  return p;
}

// The device's mask screen and mask texture, made when missing.
void SetupDeviceMaskScreen() {
  MaskState& s = State();
  platform::gpu::Device* device = detail::GpuDevice();
  if (device == nullptr) return;
  const DeviceFormatTable& table = detail::FormatTable();
  const int colour = table.screen, alpha = table.kinds[kKind32Alpha];
  if (colour == 0) FatalErrorExit("マスク描画用カラーバッファで使用できるテクスチャフォーマットがありませんでした");
  if (alpha == 0) FatalErrorExit("マスク描画用アルファチャンネルバッファで使用できるテクスチャフォーマットがありませんでした");
  const detail::GraphicsScreen& screen = detail::Screen();
  s.textureWidth = PowerOfTwoAtLeast(screen.width);
  s.textureHeight = PowerOfTwoAtLeast(screen.height);
  if (s.maskTexture == 0) {
    s.maskTexture = device->CreateTexture(s.textureWidth, s.textureHeight, 1, DeviceFormatOf(alpha), false);
    if (s.maskTexture == 0) FatalErrorExit("マスク用イメージテクスチャの作成に失敗しました");
  }
  if (s.screenTexture == 0) {
    s.screenTexture = device->CreateTexture(s.textureWidth, s.textureHeight, 1, DeviceFormatOf(colour), true);
    if (s.screenTexture == 0) FatalErrorExit("マスク用スクリーンテクスチャの作成に失敗しました");
  }
}

// The mask bytes of a rectangle into the mask texture's alpha: a pixel the
// copy lets through gets alpha 255.
void WriteMaskTexture(const DrawRect& r) {
  MaskState& s = State();
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<uint32_t> alpha(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    const uint8_t* mask = s.bytes + ptrdiff_t(r.top + y) * s.pitch + r.left;
    for (int x = 0; x < w; ++x)
      alpha[size_t(y) * w + x] = ((mask[x] == 0) != (s.reverse != 0)) ? 0xFFFFFFFFu : 0x00FFFFFFu;
  }
  detail::GpuDevice()->WriteTexture(s.maskTexture, 0, {r.left, r.top, r.right, r.bottom}, alpha.data(), w * 4);
}

// The copy back on the device: the mask screen's rectangle drawn over the
// real target, the mask texture's alpha tested per pixel, in a state block
// of its own.
void CopyBackThroughMask(const DrawRect& r) {
  MaskState& s = State();
  detail::RenderTargets real;
  if (!detail::DrawTargetTextures(&real)) return;
  WriteMaskTexture(r);
  detail::UseRenderTargets(real);
  DeviceStateBlock block{};
  block.alphaTestEnable = 1, block.alphaRef = 0, block.alphaFunc = kCmpGreater, block.blendEnable = 0;
  block.textureFactor = 0xFFFFFFFF, block.srcBlend = -1, block.destBlend = -1, block.blendOp = -1;
  block.stageCount = 2;
  block.stages[0] = {s.screenTexture, 0, kArgTexture, kArgCurrent, kOpSelectArg1, kArgTexture, kArgCurrent, kOpSelectArg1};
  block.stages[1] = {s.maskTexture, 1, kArgTexture, kArgCurrent, kOpSelectArg1, kArgCurrent, kArgTexture, kOpSelectArg1};
  block.stages[2] = {0, -1, -1, -1, kOpDisable, -1, -1, kOpDisable};
  SetTextureFilterCached(0);
  ApplyDrawStateNow(&block);
  ResetViewport(r.left, r.top, r.right, r.bottom);
  const float l = float(r.left) - 0.5f, t = float(r.top) - 0.5f, rt = float(r.right) - 0.5f, b = float(r.bottom) - 0.5f;
  const float u0 = float(r.left) / float(s.textureWidth), u1 = float(r.right) / float(s.textureWidth);
  const float v0 = float(r.top) / float(s.textureHeight), v1 = float(r.bottom) / float(s.textureHeight);
  const TwoTextureVertex v[6] = {{l, t, 0.2f, 1, 0xFFFFFFFF, 0xFFFFFFFF, u0, v0, u0, v0},
                                 {rt, t, 0.2f, 1, 0xFFFFFFFF, 0xFFFFFFFF, u1, v0, u1, v0},
                                 {l, b, 0.2f, 1, 0xFFFFFFFF, 0xFFFFFFFF, u0, v1, u0, v1},
                                 {rt, b, 0.2f, 1, 0xFFFFFFFF, 0xFFFFFFFF, u1, v1, u1, v1},
                                 {l, b, 0.2f, 1, 0xFFFFFFFF, 0xFFFFFFFF, u0, v1, u0, v1},
                                 {rt, t, 0.2f, 1, 0xFFFFFFFF, 0xFFFFFFFF, u1, v0, u1, v0}};
  detail::SendVerticesNow(kBatchTwoTextures, kTriangleList, v, 6);
  // Back to the mask screen, with the draw state the next draw sets again.
  detail::DeviceCache().viewportKnown = 0;
  SetTextureFilterCached(GetDrawSampleMode() < 0 || GetDrawSampleMode() > 2 ? 0 : GetDrawSampleMode());
  ActiveDrawers().targetChanged();
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
  ActiveDrawers().targetChanged();
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
  if (detail::GpuDevice() != nullptr) {
    SetupDeviceMaskScreen();
  } else if (!SoftSurfaceIsValid(&s.image) &&
             SoftSurfaceCreateForScreen(&s.image, screen.width, screen.height, screen.bits == 16 ? 0 : 1) != 0) {
    FatalErrorExit("マスク用 SOFTSURFACE の作成に失敗しました");
  }
  s.wanted = 1;
  s.active = s.use && s.wanted ? 1 : 0;
  ActiveDrawers().targetChanged();
  return 0;
}

int FreeMaskScreen() {
  MaskState& s = State();
  FreeLibMemory(s.bytes);
  s.bytes = nullptr;
  SoftSurfaceRelease(&s.image);
  detail::ReleaseDeviceMaskTextures();
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
  if (s.screenTexture != 0) {
    // The real target's rectangle into the mask screen, on the device.
    detail::RenderTargets real;
    if (!detail::DrawTargetTextures(&real)) return 0;
    FlushVertexBatch();
    for (int i = 0; i < real.count; ++i) {
      const DrawRect from{r.left - real.originX[i], r.top - real.originY[i], r.right - real.originX[i],
                          r.bottom - real.originY[i]};
      detail::GpuDevice()->CopyTargetRect(real.texture[i], {from.left, from.top, from.right, from.bottom},
                                          s.screenTexture, r.left, r.top);
    }
    return 0;
  }
  SoftSurfaceCopyRect(&s.image, RealTarget(), &r, r.left, r.top);
  return 0;
}

int EndMaskedDraw(int x1, int y1, int x2, int y2) {
  MaskState& s = State();
  DrawRect r;
  if (!s.active || !ClipToDrawArea(x1, y1, x2, y2, &r)) return 0;
  if (s.screenTexture != 0) {
    CopyBackThroughMask(r);
    return 0;
  }
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

platform::gpu::TextureId DeviceMaskScreen() { return State().active ? State().screenTexture : 0; }

void ReleaseDeviceMaskTextures() {
  MaskState& s = State();
  platform::gpu::Device* device = GpuDevice();
  if (device != nullptr) {
    FlushVertexBatch();
    if (s.screenTexture != 0) device->ReleaseTexture(s.screenTexture);
    if (s.maskTexture != 0) device->ReleaseTexture(s.maskTexture);
  }
  s.screenTexture = s.maskTexture = 0;
}

uint8_t* MaskBytes(int* pitch) {
  if (pitch) *pitch = State().pitch;
  return State().bytes;
}

void SetMaskUseFlag(int flag) {
  MaskState& s = State();
  s.use = flag;
  s.active = s.use && s.wanted && s.bytes ? 1 : 0;
}

}  // namespace detail
}  // namespace veziv
