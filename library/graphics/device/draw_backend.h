// The hardware road's drawers: graphs from their tile pieces and shapes as
// pre-transformed vertices into the batch, the device state a 2-D draw needs,
// the subtract bracket for devices without reverse subtraction, and the state
// re-applied after a device reset.
#pragma once

#include <cstdint>

#include "library/graphics/device/device_cache.h"
#include "library/graphics/graphs/graph_handles.h"

namespace veziv {

// Draw-mode flags of PrepareDeviceDrawState.
enum DrawModeFlag : int {
  kDrawTransparency = 0x0001,
  kDrawKeepTextureAlpha = 0x0002,
  kDrawGouraud = 0x0008,
  kDrawUserVertices = 0x0010,
  kDrawColorAlways = 0x0020,
  kDrawAlphaAlways = 0x0040,
  kDrawFog = 0x0080,
  kDrawKeepBlendState = 0x0100,
  kDrawLighting = 0x0200,
  kDrawSpecular = 0x0400,
  kDraw3DZ = 0x0800,
  kDrawUserAddress = 0x1000,
};

int SetRenderTargetSurface(gpu::TextureId surface);
int SetDrawStateBlock(const DeviceStateBlock* block, int blockFlag);
void RestoreDeviceStateD3D();
void PrepareDeviceDrawState(const GraphDrawInfo* store, gpu::TextureId texture, int flags);
int RenderGraphD3D(const GraphRecord* record, int x, int y, float fx, float fy, int transparency, int);
int RenderGraphStretchedD3D(int x1, int y1, int x2, int y2, float fx1, float fy1, float fx2, float fy2,
                            const GraphRecord* record, int transparency, int further);
int RenderGraphRotatedD3D(const GraphRecord* record, float cx, float cy, double scale, double angle, int transparency,
                          int turn);
// One piece of a free quad, its four corners (x, y) placed: top-left,
// top-right, bottom-left, bottom-right.
void DrawQuadPieceD3D(const float corners[8], const GraphTilePiece& piece);
int DrawFilledBoxD3D(int left, int top, int right, int bottom, uint32_t color);
int DrawBoxFrameD3D(int left, int top, int right, int bottom, uint32_t color);
int DrawUserVerticesD3D(const GraphRecord* record, int primitiveType, const TexturedVertex* vertices, int count,
                        int flags, int remapTexture, int further);
int DrawLineD3D(int x1, int y1, int x2, int y2, uint32_t color);
int DrawCircleD3D(int x, int y, int radius, uint32_t color, int fill);
int UseSubBackBuffer();
void BeginSubtractEmulation(const DrawRect& rect);
void EndSubtractEmulation(const DrawRect& rect);

namespace detail {
// The current render target (0: the back buffer).
gpu::TextureId CurrentRenderTarget();
}  // namespace detail

}  // namespace veziv
