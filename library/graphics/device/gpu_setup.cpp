// Making and ending the hardware device, and its frame's way to the window.
#include "library/graphics/device/gpu_setup.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "library/foundation/memory_log/log.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/device/draw_backend.h"
#include "library/graphics/device/graph_textures.h"
#include "library/graphics/device/model_support.h"
#include "library/graphics/device/shader_pack.h"
#include "library/graphics/graphs/lights_camera.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/veziv.h"

namespace veziv {
namespace {

std::unique_ptr<platform::gpu::Device>& Owned() {
  static auto* device = new std::unique_ptr<platform::gpu::Device>;
  return *device;
}

int MakeDevice() {
  const detail::GraphicsScreen& screen = detail::Screen();
  WriteLogText("グラフィックデバイス(OpenGL)を作成します.... ");
  if (screen.bits != 32) {
    WriteLogText("32bit 以外の画面には使えません、ソフトウエアで描画します\n");
    return -1;
  }
  std::string why;
  std::unique_ptr<platform::gpu::Device> device = platform::gpu::CreateOpenGlDevice(screen.width, screen.height, &why);
  if (!device) {
    WriteLogFormat("作成に失敗しました、ソフトウエアで描画します (%s)\n", why.c_str());
    return -1;
  }
  WriteLogText("成功\n");
  Owned() = std::move(device);
  detail::AttachGpuDevice(Owned().get());
  SetupShaders();
  if (detail::DeviceCache().shadersInUse) CreateVertexDeclarations();
  detail::DeviceCache().force = 1;
  SetRenderTargetSurface(0);
  ResetTextureStageStates();
  detail::DeviceCache().force = 0;
  detail::RequestFullLightRefresh();
  Owned()->Clear(0xFF000000);
  InitializeModelData();
  return 0;
}

}  // namespace

int SetupGraphicsDevice() {
  if (!Owned() && GetHardwareRenderingWanted()) MakeDevice();
  return detail::SetupSoftwareDevice();
}

namespace detail {

int GpuInUse() { return Owned() ? 1 : 0; }

int GpuDrawsToScreen() {
  if (!Owned()) return 0;
  const int target = GetCurrentDrawTarget();
  return target == kTargetBackScreen || target == kTargetAutoPresent ? 1 : 0;
}

void CopyGpuFrameToScreenImage() {
  if (!Owned()) return;
  FlushVertexBatch();
  EndSceneIfOpen();
  SOFTSURFACE* image = Screen().image;
  if (!SoftSurfaceIsValid(image) || image->base->type != kSoftType32) return;
  const int width = image->width, height = image->height;
  if (image->base->pitch == width * 4) {
    Owned()->ReadPixels(0, {0, 0, width, height}, reinterpret_cast<uint32_t*>(image->pixels));
    return;
  }
  std::vector<uint32_t> row(static_cast<size_t>(width));
  for (int y = 0; y < height; ++y) {
    Owned()->ReadPixels(0, {0, y, width, y + 1}, row.data());
    std::memcpy(image->pixels + static_cast<ptrdiff_t>(y) * image->base->pitch, row.data(), row.size() * 4);
  }
}

namespace {

// The rectangle within the screen image, or false when nothing of it is left.
bool ScreenPart(const DrawRect& rect, SOFTSURFACE** image, DrawRect* part) {
  if (!GpuDrawsToScreen()) return false;
  *image = Screen().image;
  if (!SoftSurfaceIsValid(*image) || (*image)->base->type != kSoftType32) return false;
  *part = rect;
  const DrawRect whole{0, 0, (*image)->width, (*image)->height};
  ClipRectToRect(part, &whole);
  return part->right > part->left && part->bottom > part->top;
}

}  // namespace

void BeginSoftwareDrawOnScreen(const DrawRect& rect) {
  SOFTSURFACE* image = nullptr;
  DrawRect part{};
  if (!ScreenPart(rect, &image, &part)) return;
  FlushVertexBatch();
  const int w = part.right - part.left, h = part.bottom - part.top;
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  if (Owned()->ReadPixels(0, {part.left, part.top, part.right, part.bottom}, pixels.data()) != 0) return;
  for (int y = 0; y < h; ++y)
    std::memcpy(image->pixels + static_cast<ptrdiff_t>(part.top + y) * image->base->pitch + part.left * 4,
                &pixels[static_cast<size_t>(y) * w], static_cast<size_t>(w) * 4);
}

void EndSoftwareDrawOnScreen(const DrawRect& rect) {
  SOFTSURFACE* image = nullptr;
  DrawRect part{};
  if (!ScreenPart(rect, &image, &part)) return;
  const int w = part.right - part.left, h = part.bottom - part.top;
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = image->pixels + static_cast<ptrdiff_t>(part.top + y) * image->base->pitch + part.left * 4;
    for (int x = 0; x < w; ++x) {
      uint32_t p;
      std::memcpy(&p, row + x * 4, 4);
      pixels[static_cast<size_t>(y) * w + x] = p | 0xFF000000u;
    }
  }
  Owned()->WritePixels(0, {part.left, part.top, part.right, part.bottom}, pixels.data());
}

void ClearGpuBackBuffer() {
  if (!Owned()) return;
  FlushVertexBatch();
  Owned()->Clear(0xFF000000);
}

void ReleaseGpuDevice() {
  if (!Owned()) return;
  FlushVertexBatch();
  EndSceneIfOpen();
  ReleaseAllModels();
  ReleaseAllModelBaseObjects();
  ReleaseVertexDeclarations();
  ReleaseShaderObjects();
  ReleaseAllGraphTextures();
  AttachGpuDevice(nullptr);
  Owned().reset();
}

}  // namespace detail
}  // namespace veziv
