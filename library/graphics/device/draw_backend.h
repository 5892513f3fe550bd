// The hardware road's drawers: graphs from their tile pieces and shapes as
// pre-transformed vertices into the batch, the device state a 2-D draw needs,
// the subtract bracket for devices without reverse subtraction, the switch
// to the sub back buffer, and the state re-applied after a device reset.
// Graphs drawn scaled or turned take, pixel for pixel, the texel the software
// road takes: the same mapping from target pixels to texels, with the
// geometry nudged off the pixel centres so that ties fall as they do there.
#pragma once

#include <cstdint>

#include "library/graphics/device/device_cache.h"
#include "library/graphics/graphs/graph_handles.h"

namespace veziv {

struct PolygonVertex;

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

// Draws go to the back buffer (0) from now on.
int SetRenderTargetSurface(gpu::TextureId surface);
// Draws go into a graph: each of its store's tiles that it covers.
int SetRenderTargetGraph(const GraphRecord* record);
int SetDrawStateBlock(const DeviceStateBlock* block, int blockFlag);
void RestoreDeviceState();
void PrepareDeviceDrawState(const GraphDrawInfo* store, gpu::TextureId texture, int flags);

// The graph with its top-left corner at (x, y); the float position places it
// (x, y the same numbers as integers).
int DeviceDrawGraph(const GraphRecord* record, int x, int y, float fx, float fy, int transparency);
// The graph stretched into (x1, y1)-(x2, y2); a reversed pair mirrors it. -1
// without a device or for an empty rectangle.
int DeviceDrawGraphStretched(int x1, int y1, int x2, int y2, const GraphRecord* record, int transparency);
// The graph's centre on (cx, cy), scaled and turned; turn mirrors it. -1
// without a device or for scale 0.
int DeviceDrawGraphTurned(const GraphRecord* record, float cx, float cy, double scale, double angle, int transparency,
                          int turn);
// The graph on a quadrilateral: corners 1 to 4 take its top-left, top-right,
// bottom-left and bottom-right. -1 without a device.
int DeviceDrawFreeQuad(const GraphRecord* record, const int corners[8], int transparency);
int DeviceDrawFreeQuadF(const GraphRecord* record, const float corners[8], int transparency);
// One piece of a free quad, its four corners (x, y) placed: top-left,
// top-right, bottom-left, bottom-right.
void DeviceDrawQuadPiece(const float corners[8], const GraphTilePiece& piece);
int DeviceFillBox(int left, int top, int right, int bottom, uint32_t color);
int DeviceDrawBoxFrame(int left, int top, int right, int bottom, uint32_t color);
int DeviceDrawUserVertices(const GraphRecord* record, int primitiveType, const TexturedVertex* vertices, int count,
                           int flags, int remapTexture, int further);
int DeviceDrawLine(int x1, int y1, int x2, int y2, uint32_t color);
int DeviceDrawCircle(int x, int y, int radius, uint32_t color, int fill);
// The rectangle (x, y, width, height) of a software image drawn at (x, y)
// as the blend state says (the memory road's work image of a string).
int DeviceDrawSoftImage(const SOFTSURFACE* image, int width, int height, int x, int y, int transparency);
// Screen drawing goes to the sub back buffer from now on: made the first
// time, holding what the back buffer held; the frame shown copies it back.
// -1 when it cannot be made.
int UseSubBackBuffer();
void BeginSubtractEmulation(const DrawRect& rect);
void EndSubtractEmulation(const DrawRect& rect);

namespace detail {
// The back buffer or the sub back buffer while drawing goes there.
gpu::TextureId CurrentRenderTarget();
// The draw target's own textures (a graph's, or the back buffer), whatever
// masked drawing does. False when it has none.
bool DrawTargetTextures(RenderTargets* targets);
// Graphics end and device loss: the drawers' own textures go.
void ReleaseDrawBackEndTextures();
}  // namespace detail

}  // namespace veziv
