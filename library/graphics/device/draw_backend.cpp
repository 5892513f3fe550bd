// The hardware road's drawers.
#include "library/graphics/device/draw_backend.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "library/foundation/start/library_start.h"
#include "library/graphics/device/graph_textures.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/lights_camera.h"

namespace veziv {
namespace {

using namespace platform::gpu;

constexpr float kDepth2D = 0.2f;

struct BackEndState {
  gpu::TextureId renderTarget = 0;
};

BackEndState& B() {
  static BackEndState state;
  return state;
}

Device* D() { return detail::GpuDevice(); }

// A shape's vertex colour: the colour scaled by the draw brightness, with the
// draw alpha.
uint32_t ShapeColor(uint32_t color) {
  int r = 0, g = 0, b = 0;
  UnpackScreenColor(color, &r, &g, &b);
  const uint32_t word = GetDrawColorWord();
  const uint32_t sr = static_cast<uint32_t>(r) * (word >> 16 & 255) / 255;
  const uint32_t sg = static_cast<uint32_t>(g) * (word >> 8 & 255) / 255;
  const uint32_t sb = static_cast<uint32_t>(b) * (word & 255) / 255;
  return (word & 0xFF000000u) | sr << 16 | sg << 8 | sb;
}

// The six vertices of a quad from its corners top-left, top-right,
// bottom-left, bottom-right.
template <typename V>
void AppendQuad(int format, const V corners[4]) {
  const V six[6] = {corners[0], corners[1], corners[2], corners[3], corners[2], corners[1]};
  detail::AppendVertices(format, kTriangleList, six, 6);
}

void AppendBox(float left, float top, float right, float bottom, uint32_t color) {
  const ColoredVertex c[4] = {{left, top, kDepth2D, 1.0f, color},
                              {right, top, kDepth2D, 1.0f, color},
                              {left, bottom, kDepth2D, 1.0f, color},
                              {right, bottom, kDepth2D, 1.0f, color}};
  AppendQuad(kBatchColored, c);
}

// The blend graph laid over the drawn one: its texture and scale (none: 0).
struct BlendCover {
  gpu::TextureId texture = 0;
  float scaleX = 0, scaleY = 0;
};

BlendCover CurrentBlendCover() {
  BlendCover cover;
  const GraphRecord* blend = GetGraphRecord(GetBlendGraph());
  if (blend == nullptr || blend->pieceCount == 0) return cover;
  detail::RefreshStaleTextures(blend->drawInfo);
  const TextureTile* tile = blend->pieces[0].tile;
  cover.texture = tile->texture;
  cover.scaleX = 1.0f / static_cast<float>(tile->textureWidth);
  cover.scaleY = 1.0f / static_cast<float>(tile->textureHeight);
  return cover;
}

// One textured quad of a piece; local (x, y) per corner gives the blend
// graph's coordinates.
void AppendPieceQuad(const float pos[4][2], const float uv[4][2], const float local[4][2], const BlendCover& cover) {
  const uint32_t color = GetDrawColorWord();
  if (cover.texture == 0) {
    TexturedVertex v[4];
    for (int i = 0; i < 4; ++i) v[i] = {pos[i][0], pos[i][1], kDepth2D, 1.0f, color, uv[i][0], uv[i][1]};
    AppendQuad(kBatchTextured, v);
    return;
  }
  TwoTextureVertex v[4];
  for (int i = 0; i < 4; ++i)
    v[i] = {pos[i][0], pos[i][1], kDepth2D, 1.0f, color, 0xFFFFFFFFu,
            local[i][0] * cover.scaleX, local[i][1] * cover.scaleY, uv[i][0], uv[i][1]};
  AppendQuad(kBatchTwoTextures, v);
}

void BindPieceTexture(const GraphTilePiece& piece) {
  detail::DeviceStateCache& c = detail::DeviceCache();
  if (c.texture != piece.tile->texture) BindDrawTexture(piece.tile->texture);
  if (c.drawStateDirty || c.textureChanged) ApplyDrawStateD3D(nullptr, 0, 0);
}

// The shared start of the graph drawers: 0 to go on.
int StartGraphDraw(const GraphRecord* record, int flags) {
  if (D() == nullptr || record == nullptr || record->pieceCount == 0) return -1;
  BeginSceneOnce();
  detail::RefreshStaleTextures(record->drawInfo);
  PrepareDeviceDrawState(record->drawInfo, record->pieces[0].tile->texture, flags);
  return 0;
}

// Writes the graph's pieces through a corner placement (graph-local x, y to screen).
template <typename Place>
void AppendGraphPieces(const GraphRecord* record, Place&& place) {
  const BlendCover cover = CurrentBlendCover();
  for (int i = 0; i < record->pieceCount; ++i) {
    const GraphTilePiece& p = record->pieces[i];
    BindPieceTexture(p);
    float pos[4][2], uv[4][2], local[4][2];
    for (int c = 0; c < 4; ++c) {
      place(p.corners[c].x, p.corners[c].y, &pos[c][0], &pos[c][1]);
      uv[c][0] = p.corners[c].u, uv[c][1] = p.corners[c].v;
      local[c][0] = p.corners[c].x, local[c][1] = p.corners[c].y;
    }
    AppendPieceQuad(pos, uv, local, cover);
  }
}

void SendDirect(int type, const ColoredVertex* vertices, int count) {
  if (count <= 0) return;
  FlushVertexBatch();
  BeginSceneOnce();
  detail::VertexBatch& batch = detail::Batch();
  if (batch.currentFvf != kFvfColored) {
    D()->SetFvf(kFvfColored);
    batch.currentFvf = kFvfColored;
  }
  D()->DrawPrimitiveUp(type, detail::PrimitiveCount(type, count), vertices, sizeof(ColoredVertex));
}

// Shapes draw untextured: the texture goes first, flushing what was batched.
void StartShapeDraw() {
  BeginSceneOnce();
  if (detail::DeviceCache().texture != 0) BindDrawTexture(0);
  PrepareDeviceDrawState(nullptr, 0, kDrawColorAlways);
}

}  // namespace

void PrepareDeviceDrawState(const GraphDrawInfo* store, gpu::TextureId texture, int flags) {
  if (D() == nullptr) return;
  if (flags & kDrawLighting) {
    if (detail::LightsChanged())
      ApplyLights();
    else
      SetLightingEnableCached(1);
    SetMaterialCached(GetDrawMaterial());
  } else {
    SetLightingEnableCached(0);
  }
  SetSpecularEnableCached((flags & kDrawSpecular) ? 1 : 0);
  const int mode = GetBlendMode();
  if (!(flags & kDrawKeepBlendState)) {
    int alphaTest = 0, alphaChannel = 0;
    if (store != nullptr && texture != 0 && (flags & kDrawTransparency)) {
      const int hasAlpha = store->surface.base != nullptr && store->surface.base->alphaFlag;
      const int keyColor = !hasAlpha;
      if ((mode == 0 || mode == 8) && ((flags & kDrawKeepTextureAlpha) || GetDrawSampleMode() != 1)) {
        alphaTest = keyColor;
        alphaChannel = hasAlpha;
      } else {
        alphaChannel = 1;
      }
    }
    const int colorModulate = (flags & kDrawColorAlways) || (GetDrawColorWord() & 0xFFFFFF) != 0xFFFFFF ? 1 : 0;
    const int alphaModulate = (flags & kDrawAlphaAlways) || mode != 0 ? 1 : 0;
    SetDeferredModulation(colorModulate, alphaModulate);
    if (detail::DeviceCache().texture != texture) BindDrawTexture(texture);
    SetDeferredDrawStateA(mode, alphaTest, alphaChannel);
    int blendGraph = -1, borderParam = 0, borderRange = 0;
    GetBlendImageSelection(&blendGraph, &borderParam, &borderRange);
    const BlendCover cover = texture != 0 ? CurrentBlendCover() : BlendCover{};
    SetDeferredDrawStateC(cover.texture, borderParam, borderRange);
    detail::DeviceStateCache& c = detail::DeviceCache();
    if (c.drawStateDirty || c.textureChanged) ApplyDrawStateD3D(nullptr, 0, 0);
  }
  SetShadeModeCached((flags & kDrawGouraud) ? 2 : 1);
  SetTextureFilterCached(std::clamp(GetDrawSampleMode(), 0, 2));  // point, linear, anisotropic
  if (!(flags & kDrawUserAddress))
    for (int s = 0; s < 4; ++s) {
      SetTextureAddressUCached(s, kAddressClamp);
      SetTextureAddressVCached(s, kAddressClamp);
    }
  SetZEnableCached((flags & kDraw3DZ) ? 1 : 0);
  SetFogEnableCached((flags & kDrawFog) ? 1 : 0);
  // The draw area clips through the viewport.
  const DrawRect area = GetDrawArea();
  ResetViewport(area.left, area.top, area.right, area.bottom);
}

int SetRenderTargetSurface(gpu::TextureId surface) {
  if (D() == nullptr) return -1;
  if (B().renderTarget == surface && !detail::DeviceCache().force) return 0;
  FlushVertexBatch();
  D()->SetRenderTarget(surface);
  B().renderTarget = surface;
  if (surface == 0) ResetViewport(0, 0, D()->Width(), D()->Height());
  return 0;
}

int SetDrawStateBlock(const DeviceStateBlock* block, int blockFlag) {
  FlushVertexBatch();
  detail::DeviceStateCache& c = detail::DeviceCache();
  if (block == nullptr) {
    c.storedBlockActive = 0;
    return 0;
  }
  c.storedBlock = *block;
  c.storedBlockFlag = blockFlag;
  c.storedBlockActive = 1;
  c.drawStateDirty = c.textureChanged = 1;
  ApplyDrawStateD3D(nullptr, 0, 0);
  return 0;
}

void RestoreDeviceStateD3D() {
  if (D() == nullptr) return;
  detail::DeviceStateCache& c = detail::DeviceCache();
  c.force = 1;
  if (c.viewportKnown) SetViewportRect(c.viewport);
  if (c.scissorKnown) SetScissorRectCached(c.scissor);
  ResetTextureStageStates();
  SetTextureFilterCached(c.filterMode);
  ApplyDrawStateD3D(nullptr, 0, 0);
  SetZEnableCached(0);
  SetCullModeCached(0);
  SetShadeModeCached(c.shadeSetting);
  c.force = 0;
}

int RenderGraphD3D(const GraphRecord* record, int x, int y, float fx, float fy, int transparency, int) {
  if (StartGraphDraw(record, kDrawKeepTextureAlpha | (transparency ? kDrawTransparency : 0)) != 0) return -1;
  fx -= 0.5f, fy -= 0.5f;
  const DrawRect area = GetDrawArea();
  const int w = record->width, h = record->height;
  if (x >= area.right || y >= area.bottom || x + w <= area.left || y + h <= area.top) return 0;
  const bool inside = x >= area.left && y >= area.top && x + w <= area.right && y + h <= area.bottom;
  const BlendCover cover = CurrentBlendCover();
  const float left = static_cast<float>(area.left) - 0.5f, right = static_cast<float>(area.right) - 0.5f;
  const float top = static_cast<float>(area.top) - 0.5f, bottom = static_cast<float>(area.bottom) - 0.5f;
  for (int i = 0; i < record->pieceCount; ++i) {
    const GraphTilePiece& p = record->pieces[i];
    BindPieceTexture(p);
    float pos[4][2], uv[4][2], local[4][2];
    for (int c = 0; c < 4; ++c) {
      pos[c][0] = fx + p.corners[c].x, pos[c][1] = fy + p.corners[c].y;
      uv[c][0] = p.corners[c].u, uv[c][1] = p.corners[c].v;
      local[c][0] = p.corners[c].x, local[c][1] = p.corners[c].y;
      if (inside) continue;
      // Clamped into the draw area, the texture coordinates moved along.
      const float cx = std::clamp(pos[c][0], left, right), cy = std::clamp(pos[c][1], top, bottom);
      uv[c][0] += (cx - pos[c][0]) / static_cast<float>(p.tile->textureWidth);
      uv[c][1] += (cy - pos[c][1]) / static_cast<float>(p.tile->textureHeight);
      local[c][0] += cx - pos[c][0], local[c][1] += cy - pos[c][1];
      pos[c][0] = cx, pos[c][1] = cy;
    }
    AppendPieceQuad(pos, uv, local, cover);
  }
  return 0;
}

int RenderGraphStretchedD3D(int x1, int y1, int x2, int y2, float fx1, float fy1, float fx2, float fy2,
                            const GraphRecord* record, int transparency, int further) {
  if (D() == nullptr || x1 == x2 || y1 == y2) return -1;
  const int flags = (transparency ? kDrawTransparency : 0) |
                    (further && GetDrawSampleMode() != 1 ? kDrawKeepTextureAlpha : 0);
  if (StartGraphDraw(record, flags) != 0) return -1;
  const DrawRect area = GetDrawArea();
  if (std::max(x1, x2) <= area.left || std::min(x1, x2) >= area.right || std::max(y1, y2) <= area.top ||
      std::min(y1, y2) >= area.bottom)
    return 0;
  const float sx = (fx2 - fx1) / static_cast<float>(record->width), sy = (fy2 - fy1) / static_cast<float>(record->height);
  AppendGraphPieces(record, [&](float cx, float cy, float* ox, float* oy) {
    *ox = fx1 - 0.5f + cx * sx;
    *oy = fy1 - 0.5f + cy * sy;
  });
  return 0;
}

int RenderGraphRotatedD3D(const GraphRecord* record, float cx, float cy, double scale, double angle, int transparency,
                          int turn) {
  if (D() == nullptr || scale == 0.0) return -1;
  if (StartGraphDraw(record, transparency ? kDrawTransparency : 0) != 0) return -1;
  const int w = record->width, h = record->height;
  float halfW = static_cast<float>(w) * 0.5f, halfH = static_cast<float>(h) * 0.5f;
  const bool integral = std::fabs(cx - std::trunc(cx)) < 0.00001f && std::fabs(cy - std::trunc(cy)) < 0.00001f;
  if (integral && scale != 1.0) {
    cx -= 0.5f, cy -= 0.5f;
  } else if (integral) {
    const bool evenW = w % 2 == 0, evenH = h % 2 == 0;
    if (evenW && evenH) {
      halfW = static_cast<float>(w / 2), halfH = static_cast<float>(h / 2);
      cx -= 0.5f, cy -= 0.5f;
    } else if (evenW != evenH) {
      if (evenW) halfW -= 0.5f;
      if (evenH) halfH -= 0.5f;
    }
  }
  const float s = static_cast<float>(std::sin(angle)), c = static_cast<float>(std::cos(angle));
  const float k = static_cast<float>(scale);
  AppendGraphPieces(record, [&](float lx, float ly, float* ox, float* oy) {
    float px = lx - halfW, py = ly - halfH;
    if (turn == 1) px = -px;
    px *= k, py *= k;
    if (angle != 0.0) {
      const float rx = px * c - py * s, ry = px * s + py * c;
      px = rx, py = ry;
    }
    *ox = cx + px, *oy = cy + py;
  });
  return 0;
}

void DrawQuadPieceD3D(const float corners[8], const GraphTilePiece& piece) {
  if (D() == nullptr) return;
  BindPieceTexture(piece);
  const uint32_t color = GetDrawColorWord();
  const float dx = std::fabs((corners[2] - corners[0]) - (corners[6] - corners[4]));
  const float dy = std::fabs((corners[5] - corners[1]) - (corners[7] - corners[3]));
  if (dx < 1.0f && dy < 1.0f) {
    TexturedVertex v[4];
    for (int i = 0; i < 4; ++i)
      v[i] = {corners[2 * i], corners[2 * i + 1], kDepth2D, 1.0f, color, piece.corners[i].u, piece.corners[i].v};
    AppendQuad(kBatchTextured, v);
    return;
  }
  // Not a parallelogram: a grid interpolated between the edges.
  constexpr int kGrid = 8;
  std::vector<TexturedVertex> grid(kGrid * kGrid);
  for (int r = 0; r < kGrid; ++r) {
    const float t = static_cast<float>(r) / (kGrid - 1);
    for (int col = 0; col < kGrid; ++col) {
      const float s = static_cast<float>(col) / (kGrid - 1);
      auto lerp4 = [&](float a, float b, float c, float d) { return (a * (1 - s) + b * s) * (1 - t) + (c * (1 - s) + d * s) * t; };
      grid[r * kGrid + col] = {lerp4(corners[0], corners[2], corners[4], corners[6]),
                               lerp4(corners[1], corners[3], corners[5], corners[7]), kDepth2D, 1.0f, color,
                               lerp4(piece.corners[0].u, piece.corners[1].u, piece.corners[2].u, piece.corners[3].u),
                               lerp4(piece.corners[0].v, piece.corners[1].v, piece.corners[2].v, piece.corners[3].v)};
    }
  }
  DrawIndexedTriangles(kGrid, grid.data(), kGrid);
}

int DrawFilledBoxD3D(int left, int top, int right, int bottom, uint32_t color) {
  if (D() == nullptr) return -1;
  DrawRect rect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
  const DrawRect area = GetDrawArea();
  ClipRectToRect(&rect, &area);
  if (rect.right <= rect.left || rect.bottom <= rect.top) return 0;
  StartShapeDraw();
  AppendBox(static_cast<float>(rect.left), static_cast<float>(rect.top), static_cast<float>(rect.right),
            static_cast<float>(rect.bottom), ShapeColor(color));
  return 0;
}

int DrawBoxFrameD3D(int left, int top, int right, int bottom, uint32_t color) {
  if (D() == nullptr) return -1;
  const float l = static_cast<float>(std::min(left, right)), r = static_cast<float>(std::max(left, right));
  const float t = static_cast<float>(std::min(top, bottom)), b = static_cast<float>(std::max(top, bottom));
  StartShapeDraw();
  const uint32_t c = ShapeColor(color);
  AppendBox(l, t, r, t + 1, c);
  AppendBox(r - 1, t + 1, r, b, c);
  AppendBox(l, t + 1, l + 1, b, c);
  AppendBox(l + 1, b - 1, r - 1, b, c);
  return 0;
}

int DrawUserVerticesD3D(const GraphRecord* record, int primitiveType, const TexturedVertex* vertices, int count,
                        int flags, int remapTexture, int further) {
  if (D() == nullptr) return -1;
  if (vertices == nullptr || count <= 0) return 0;
  int drawFlags = kDrawUserAddress | flags;
  if (further) drawFlags |= kDraw3DZ | kDrawFog;
  if (further != 1) drawFlags |= kDrawColorAlways | kDrawAlphaAlways | kDrawGouraud | kDrawUserVertices;
  BeginSceneOnce();
  gpu::TextureId texture = 0;
  if (record != nullptr && record->pieceCount > 0) {
    detail::RefreshStaleTextures(record->drawInfo);
    texture = record->pieces[0].tile->texture;
  }
  PrepareDeviceDrawState(record ? record->drawInfo : nullptr, texture, drawFlags);
  std::vector<TexturedVertex> copy(vertices, vertices + count);
  if (remapTexture && record != nullptr && record->pieceCount > 0) {
    const GraphTilePiece& p = record->pieces[0];
    const int order[6] = {0, 1, 2, 3, 2, 1};
    for (int i = 0; i < count; ++i) copy[i].u = p.corners[order[i % 6]].u, copy[i].v = p.corners[order[i % 6]].v;
  }
  FlushVertexBatch();
  detail::VertexBatch& batch = detail::Batch();
  if (batch.currentFvf != kFvfTextured) {
    D()->SetFvf(kFvfTextured);
    batch.currentFvf = kFvfTextured;
  }
  D()->DrawPrimitiveUp(primitiveType, detail::PrimitiveCount(primitiveType, count), copy.data(), sizeof(TexturedVertex));
  return 0;
}

int DrawLineD3D(int x1, int y1, int x2, int y2, uint32_t color) {
  if (D() == nullptr) return -1;
  if (x1 == x2 && y1 == y2) return 0;
  StartShapeDraw();
  float ex = static_cast<float>(x2), ey = static_cast<float>(y2);
  if (x1 == x2) ey += y2 > y1 ? -0.1f : 0.1f;
  if (y1 == y2) ex += x2 > x1 ? -0.1f : 0.1f;
  const uint32_t c = ShapeColor(color);
  const ColoredVertex v[2] = {{static_cast<float>(x1), static_cast<float>(y1), kDepth2D, 1.0f, c},
                              {ex, ey, kDepth2D, 1.0f, c}};
  detail::AppendVertices(kBatchColored, kLineList, v, 2);
  return 0;
}

int DrawCircleD3D(int x, int y, int radius, uint32_t color, int fill) {
  if (D() == nullptr) return -1;
  StartShapeDraw();
  const DrawRect area = GetDrawArea();
  const uint32_t c = ShapeColor(color);
  ColoredVertex held[40];
  int count = 0;
  auto point = [&](int px, int py) {
    if (px < area.left || px > area.right || py < area.top || py > area.bottom) return;
    held[count++] = {static_cast<float>(px), static_cast<float>(py), kDepth2D, 1.0f, c};
    if (count == 40) SendDirect(kPointList, held, count), count = 0;
  };
  std::vector<uint8_t> rowDone;
  auto span = [&](int row, int dx) {
    if (row < area.top || row >= area.bottom || rowDone[row - area.top]) return;
    rowDone[row - area.top] = 1;
    const int from = std::max(x - dx, area.left), to = std::min(x + dx, area.right - 1) + 1;
    if (from >= to) return;
    held[count++] = {static_cast<float>(from), static_cast<float>(row), kDepth2D, 1.0f, c};
    held[count++] = {static_cast<float>(to), static_cast<float>(row), kDepth2D, 1.0f, c};
    if (count >= 20) SendDirect(kLineList, held, count), count = 0;
  };
  if (fill) rowDone.assign(static_cast<size_t>(std::max(0, area.bottom - area.top)), 0);
  int dx = radius, dy = 0, decision = 3 - 2 * radius;
  while (dy <= dx) {
    if (fill) {
      span(y - dy, dx), span(y + dy, dx), span(y - dx, dy), span(y + dx, dy);
    } else {
      point(x + dx, y + dy), point(x - dx, y + dy), point(x + dx, y - dy), point(x - dx, y - dy);
      point(x + dy, y + dx), point(x - dy, y + dx), point(x + dy, y - dx), point(x - dy, y - dx);
    }
    if (decision < 0) {
      decision += 4 * dy + 6;
    } else {
      decision += 4 * (dy - dx) + 10;
      --dx;
    }
    ++dy;
  }
  SendDirect(fill ? kLineList : kPointList, held, count);
  return 0;
}

int UseSubBackBuffer() {
  // The back buffer is already a texture of the device that can be read and
  // drawn into: there is no second one to switch to.
  return -1;
}

namespace {
void SubtractBracket(const DrawRect& rect, int endMode) {
  const int param = GetBlendParam();
  const uint32_t brightness = GetDrawColorWord() & 0xFFFFFF;
  if (brightness != 0xFFFFFF) SetDrawColorScalePacked(0xFFFFFF);
  if (!IsDrawingSuppressed()) ChooseBlendMode(3, 255);
  DrawFilledBoxD3D(rect.left, rect.top, rect.right, rect.bottom, PackColorForScreen(255, 255, 255));
  if (brightness != 0xFFFFFF) SetDrawColorScalePacked(brightness);
  ChooseBlendMode(endMode, param);
}
}  // namespace

void BeginSubtractEmulation(const DrawRect& rect) { SubtractBracket(rect, 5); }
void EndSubtractEmulation(const DrawRect& rect) { SubtractBracket(rect, 3); }

namespace detail {
gpu::TextureId CurrentRenderTarget() { return B().renderTarget; }
}  // namespace detail

}  // namespace veziv
