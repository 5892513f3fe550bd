// The hardware road's drawers.
#include "library/graphics/device/draw_backend.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "library/foundation/core/helpers.h"
#include "library/foundation/start/library_start.h"
#include "library/graphics/device/graph_textures.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/lights_camera.h"
#include "library/softrender/blit/blit_setup.h"
#include "library/softrender/shapes/circle_walk.h"
#include "library/softrender/shapes/rotated_scan.h"
#include "library/softrender/triangle/triangle_walk.h"

namespace veziv {
namespace {

constexpr float kDepth2D = 0.2f;
// How far the geometry of a scaled or turned graph is moved off the pixel
// centres (in pixels): a pixel whose centre falls exactly on an edge then
// lies on the side the software road puts it. And the texture coordinates'
// lead (in texels), which keeps a texel boundary that falls exactly on a
// pixel centre from rounding to the texel before it.
constexpr double kEdgeNudge = 1.0 / 32.0;
constexpr double kTexelLead = 1.0 / 4096.0;

struct BackEndState {
  gpu::TextureId renderTarget = 0;
  // The memory road's strings go through this texture.
  gpu::TextureId scratch = 0;
  int scratchWidth = 0, scratchHeight = 0;
};

BackEndState& B() {
  static BackEndState state;
  return state;
}

gpu::Device* D() { return detail::GpuDevice(); }

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

// The pixels [left, right) x [top, bottom): edges half a pixel before the
// pixel centres, so that no rasteriser has a tie to break.
void AppendBox(int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t color) {
  const float l = static_cast<float>(left) - 0.5f, r = static_cast<float>(right) - 0.5f;
  const float t = static_cast<float>(top) - 0.5f, b = static_cast<float>(bottom) - 0.5f;
  const ColoredVertex c[4] = {{l, t, kDepth2D, 1.0f, color}, {r, t, kDepth2D, 1.0f, color},
                              {l, b, kDepth2D, 1.0f, color}, {r, b, kDepth2D, 1.0f, color}};
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
  if (blend == nullptr) return cover;
  detail::BlendChannelTexture(blend, &cover.texture, &cover.scaleX, &cover.scaleY);
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
  if (c.drawStateDirty || c.textureChanged) ApplyDeviceDrawState(nullptr, 0, 0);
}

// The shared start of the graph drawers: 0 to go on.
int StartGraphDraw(const GraphRecord* record, int flags) {
  if (D() == nullptr || record == nullptr || record->pieceCount == 0) return -1;
  BeginSceneOnce();
  detail::RefreshStaleTextures(record->drawInfo);
  PrepareDeviceDrawState(record->drawInfo, record->pieces[0].tile->texture, flags);
  return 0;
}

// Writes the graph's pieces through a placement of graph-local texel
// coordinates onto target pixels, whose centres lie on whole numbers: each
// corner of a piece goes where the texel point (x - nudge, y - nudge) lands,
// and its texture coordinates say that point, led by a hair. On an axis that
// runs mirrored the nudge and the lead point the other way, so that they
// still follow the target's pixels.
template <typename Place>
void AppendPlacedPieces(const GraphRecord* record, double nudgeX, double nudgeY, bool mirrorX, bool mirrorY,
                        Place&& place) {
  const BlendCover cover = CurrentBlendCover();
  const double nx = mirrorX ? -nudgeX : nudgeX, ny = mirrorY ? -nudgeY : nudgeY;
  const double leadX = (mirrorX ? -kTexelLead : kTexelLead) - nx, leadY = (mirrorY ? -kTexelLead : kTexelLead) - ny;
  for (int i = 0; i < record->pieceCount; ++i) {
    const GraphTilePiece& p = record->pieces[i];
    BindPieceTexture(p);
    const double tw = p.tile->textureWidth, th = p.tile->textureHeight;
    float pos[4][2], uv[4][2], local[4][2];
    for (int c = 0; c < 4; ++c) {
      double px = 0, py = 0;
      place(p.corners[c].x - nx, p.corners[c].y - ny, &px, &py);
      pos[c][0] = static_cast<float>(px), pos[c][1] = static_cast<float>(py);
      uv[c][0] = static_cast<float>(p.corners[c].u + leadX / tw);
      uv[c][1] = static_cast<float>(p.corners[c].v + leadY / th);
      local[c][0] = static_cast<float>(p.corners[c].x + leadX);
      local[c][1] = static_cast<float>(p.corners[c].y + leadY);
    }
    AppendPieceQuad(pos, uv, local, cover);
  }
}

// Sends vertices of the untextured layout at once (circles).
void SendColoredNow(int type, const ColoredVertex* vertices, int count) {
  if (count > 0) detail::SendVerticesNow(kBatchColored, type, vertices, count);
}

// Shapes draw untextured: the texture goes first, flushing what was batched.
void StartShapeDraw() {
  BeginSceneOnce();
  if (detail::DeviceCache().texture != 0) BindDrawTexture(0);
  PrepareDeviceDrawState(nullptr, 0, kDrawColorAlways);
}

// The software road's stretch: 16.16 target pixels a source pixel spans,
// rounded down; 0 when the stretch is too small to walk.
int64_t StretchSpan(int64_t targetLength, int64_t sourceLength) {
  return sourceLength > 0 ? (targetLength << 16) / sourceLength : 0;
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
    if (store != nullptr && texture != 0 && (flags & kDrawTransparency) &&
        (store->request.transColorUse || store->request.alpha)) {
      if ((mode == 0 || mode == 8) && ((flags & kDrawKeepTextureAlpha) || GetDrawSampleMode() != 1)) {
        alphaTest = store->request.transColorUse;
        alphaChannel = store->request.alpha;
      } else {
        // The key colour stays out in every mode, as on the software road:
        // a blend that ignores alpha (multiply) would draw it.
        alphaChannel = 1;
        alphaTest = store->request.transColorUse;
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
    if (c.drawStateDirty || c.textureChanged) ApplyDeviceDrawState(nullptr, 0, 0);
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
  detail::DeviceStateCache& c = detail::DeviceCache();
  if (B().renderTarget == surface && c.targets.count == 1 && c.targets.texture[0] == surface && !c.force) return 0;
  detail::RenderTargets targets;
  targets.texture[0] = surface;
  detail::UseRenderTargets(targets);
  B().renderTarget = surface;
  return 0;
}

namespace {
// The textures of a graph's store that its rectangle covers, each with the
// origin that puts the graph's pixels on it.
bool TargetsOfGraph(const GraphRecord* record, detail::RenderTargets* targets) {
  const GraphDrawInfo* info = record->drawInfo;
  targets->count = 0;
  for (int i = 0; i < info->tileCount && targets->count < detail::RenderTargets::kMost; ++i) {
    const TextureTile& t = info->tiles[i];
    if (t.texture == 0 || t.x >= record->offsetX + record->width || t.x + t.width <= record->offsetX ||
        t.y >= record->offsetY + record->height || t.y + t.height <= record->offsetY)
      continue;
    targets->texture[targets->count] = t.texture;
    targets->originX[targets->count] = t.x - record->offsetX;
    targets->originY[targets->count] = t.y - record->offsetY;
    ++targets->count;
  }
  return targets->count > 0;
}
}  // namespace

int SetRenderTargetGraph(const GraphRecord* record) {
  if (D() == nullptr || record == nullptr || record->drawInfo == nullptr) return -1;
  GraphDrawInfo* info = record->drawInfo;
  detail::RefreshStaleTextures(info);
  detail::RenderTargets targets;
  if (!TargetsOfGraph(record, &targets)) return -1;
  detail::UseRenderTargets(targets);
  B().renderTarget = targets.texture[0];
  detail::MarkStoreDrawnOnDevice(info);
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
  ApplyDeviceDrawState(nullptr, 0, 0);
  return 0;
}

void RestoreDeviceState() {
  if (D() == nullptr) return;
  detail::DeviceStateCache& c = detail::DeviceCache();
  c.force = 1;
  if (c.viewportKnown) SetViewportRect(c.viewport);
  if (c.scissorKnown) SetScissorRectCached(c.scissor);
  ResetTextureStageStates();
  SetTextureFilterCached(c.filterMode);
  ApplyDeviceDrawState(nullptr, 0, 0);
  SetZEnableCached(0);
  SetCullModeCached(0);
  SetShadeModeCached(c.shadeSetting);
  c.force = 0;
}

int DeviceDrawGraph(const GraphRecord* record, int x, int y, float fx, float fy, int transparency) {
  if (StartGraphDraw(record, kDrawKeepTextureAlpha | (transparency ? kDrawTransparency : 0)) != 0) return -1;
  fx -= 0.5f, fy -= 0.5f;
  const DrawRect area = GetDrawArea();
  const int64_t w = record->width, h = record->height;
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

namespace {

// One axis of a stretch, as the software road walks it: target pixel i
// (from the rectangle's first edge) shows source index floor(i / k), k the
// span a source pixel takes, rounded down in 16.16; counted from the far end
// when the axis is mirrored. Its plain copy (no blend graph, brightness or
// alpha) walks leanly: shrinking, at an exact tie it keeps the index before,
// and pixel 0 shows index 0.
struct StretchAxis {
  double origin, k;  // the rectangle's first pixel, pixels a source pixel spans
  int pixels;        // the rectangle's size in pixels
  int size;          // the graph's size along the axis
  bool mirror, lean;

  // A band of target pixels with one texture-coordinate lead: its edges in
  // pixels and in source index space (before mirroring).
  struct Band {
    double from, to;    // pixel-space edges
    double lead;        // added to the source index at each pixel
  };

  // The pixel-space edge of a seam at source index s between two pieces.
  double Seam(double s) const {
    if (s <= 0) return origin - 0.5;
    if (s >= size) return origin + pixels - 0.5;
    // A pixel exactly on the seam goes to the higher piece, or on a lean walk to the lower one.
    return origin + (lean ? s + kEdgeNudge / k : s - kEdgeNudge / k) * k;
  }

  // The bands of a piece covering source indices [a, b) (graph-local).
  std::vector<Band> BandsOf(int a, int b) const {
    const double lo = mirror ? size - b : a, hi = mirror ? size - a : b;
    const double from = Seam(lo), to = Seam(hi);
    if (!lean) return {{from, to, kTexelLead}};
    if (lo > 0) return {{from, to, -kTexelLead}};
    // Pixel 0 shows index 0; the rest lean.
    const double split = std::min(origin + 0.5, to);
    std::vector<Band> bands = {{from, split, kTexelLead}};
    if (to > split) bands.push_back({split, to, -kTexelLead});
    return bands;
  }

  // The graph-local texel coordinate the band's texture says at a pixel-space point.
  double TexelAt(double x, double lead) const {
    const double index = (x - origin) / k + lead;
    return mirror ? size - index : index;
  }
};

}  // namespace

// Target column i (from the left edge) shows source column floor(i / k),
// with k the software road's span a source pixel takes, the lean walk of its
// plain copies included; a reversed pair counts the source from its far end.
int DeviceDrawGraphStretched(int x1, int y1, int x2, int y2, const GraphRecord* record, int transparency) {
  if (D() == nullptr || x1 == x2 || y1 == y2) return -1;
  if (record == nullptr) return -1;
  const int64_t left = std::min(x1, x2), right = std::max(x1, x2), top = std::min(y1, y2), bottom = std::max(y1, y2);
  const int64_t width = right - left, height = bottom - top;
  // The graph's own size, unmirrored, is the plain blit.
  if (width == record->width && height == record->height && x1 < x2 && y1 < y2)
    return DeviceDrawGraph(record, x1, y1, static_cast<float>(x1), static_cast<float>(y1), transparency);
  const int64_t spanX = StretchSpan(width, record->width), spanY = StretchSpan(height, record->height);
  if (spanX == 0 || spanY == 0) return 0;
  int targetWidth = 0, targetHeight = 0;
  if (QueryGraphDimensions(GetCurrentDrawTarget(), &targetWidth, &targetHeight) != 0) return -1;
  SOFTSURFACE target{};
  target.width = targetWidth, target.height = targetHeight;
  const softrender::ClipBox box = softrender::ClipToDrawArea(left, top, right, bottom, GetDrawArea(), target);
  if (box.right <= box.left || box.bottom <= box.top) return 0;
  // The software road draws nothing when its last column or row would run
  // past the graph (its spans are rounded down).
  if (((box.right - left - 1) << 16) / spanX >= record->width || ((box.bottom - top - 1) << 16) / spanY >= record->height)
    return 0;
  if (StartGraphDraw(record, transparency ? kDrawTransparency : 0) != 0) return -1;
  const bool plain = GetBlendGraph() == -1 && (GetDrawColorWord() & 0xFFFFFF) == 0xFFFFFF &&
                    !record->drawInfo->request.alpha &&
                    ((GetBlendMode() == 0) || (GetBlendMode() == 1 && GetBlendParam() == 255) ||
                     (GetBlendMode() == 3 && GetBlendParam() == 255));
  const StretchAxis ax{static_cast<double>(left), spanX / 65536.0, static_cast<int>(width), record->width, x1 > x2,
                       plain && spanX < 65536};
  const StretchAxis ay{static_cast<double>(top), spanY / 65536.0, static_cast<int>(height), record->height, y1 > y2,
                       plain && spanY < 65536};
  const BlendCover cover = CurrentBlendCover();
  for (int i = 0; i < record->pieceCount; ++i) {
    const GraphTilePiece& p = record->pieces[i];
    BindPieceTexture(p);
    const double tw = p.tile->textureWidth, th = p.tile->textureHeight;
    for (const StretchAxis::Band& bx : ax.BandsOf(p.destX, p.destX + p.width))
      for (const StretchAxis::Band& by : ay.BandsOf(p.destY, p.destY + p.height)) {
        const double xs[2] = {bx.from, bx.to}, ys[2] = {by.from, by.to};
        float pos[4][2], uv[4][2], local[4][2];
        for (int c = 0; c < 4; ++c) {
          const double px = xs[c & 1], py = ys[c >> 1];
          const double tx = ax.TexelAt(px, bx.lead), ty = ay.TexelAt(py, by.lead);
          pos[c][0] = static_cast<float>(px), pos[c][1] = static_cast<float>(py);
          uv[c][0] = static_cast<float>((p.srcX + tx - p.destX) / tw);
          uv[c][1] = static_cast<float>((p.srcY + ty - p.destY) / th);
          local[c][0] = static_cast<float>(tx), local[c][1] = static_cast<float>(ty);
        }
        AppendPieceQuad(pos, uv, local, cover);
      }
  }
  return 0;
}

// Turned as the software road turns: its scan of the target gives each pixel
// its texel through one affine map (the fixed-point start and steps, their
// truncation included), and the graph's quad is placed where that map puts
// the graph's edges, nudged as for stretched graphs. The centre is taken in
// whole pixels, as there. Mirrored, the turned corners become a free quad,
// as there.
int DeviceDrawGraphTurned(const GraphRecord* record, float cx, float cy, double scale, double angle, int transparency,
                          int turn) {
  if (D() == nullptr || scale == 0.0 || !std::isfinite(scale) || !std::isfinite(angle)) return -1;
  if (record == nullptr || record->width <= 0 || record->height <= 0) return -1;
  const int32_t centreX = TruncateFloatToInt(cx), centreY = TruncateFloatToInt(cy);
  const uint32_t w = static_cast<uint32_t>(record->width), h = static_cast<uint32_t>(record->height);
  if (turn != 0) {
    const softrender::RotatedCorners c =
        softrender::TurnCorners(w, h, centreX, centreY, static_cast<float>(angle), static_cast<float>(scale));
    int corners[8];
    const int order[4] = {3, 0, 2, 1};
    for (int i = 0; i < 4; ++i) {
      corners[2 * i] = static_cast<int>(std::clamp<int64_t>(c.x[order[i]] >> softrender::kFixedShift, INT32_MIN, INT32_MAX));
      corners[2 * i + 1] = static_cast<int>(std::clamp<int64_t>(c.y[order[i]] >> softrender::kFixedShift, INT32_MIN, INT32_MAX));
    }
    return DeviceDrawFreeQuad(record, corners, transparency);
  }
  int targetWidth = 0, targetHeight = 0;
  if (QueryGraphDimensions(GetCurrentDrawTarget(), &targetWidth, &targetHeight) != 0) return -1;
  SOFTSURFACE target{};
  target.width = targetWidth, target.height = targetHeight;
  softrender::RotatedScan scan;
  if (!softrender::SetUpRotatedScan(w, h, centreX, centreY, static_cast<float>(angle), static_cast<float>(scale),
                                    GetDrawArea(), target, &scan))
    return 0;
  if (StartGraphDraw(record, transparency ? kDrawTransparency : 0) != 0) return -1;
  // Texel (u, v) of pixel (x, y): start + (x - left) * column step + (y - top) * row step.
  const double one = static_cast<double>(softrender::kFixedOne);
  const double u0 = static_cast<int32_t>(scan.u) / one, v0 = static_cast<int32_t>(scan.v) / one;
  const double du = static_cast<int32_t>(scan.du) / one, dv = static_cast<int32_t>(scan.dv) / one;
  const double ru = static_cast<int32_t>(scan.rowU) / one, rv = static_cast<int32_t>(scan.rowV) / one;
  const double det = du * rv - ru * dv;
  if (det == 0.0 || !std::isfinite(det)) return 0;
  const double left = static_cast<double>(scan.box.left), top = static_cast<double>(scan.box.top);
  const double nudge = kEdgeNudge * std::sqrt(std::fabs(det));
  AppendPlacedPieces(record, nudge, nudge, false, false, [&](double tx, double ty, double* ox, double* oy) {
    const double a = tx - u0, b = ty - v0;
    *ox = left + (a * rv - b * ru) / det;
    *oy = top + (b * du - a * dv) / det;
  });
  return 0;
}

// Even an upright rectangle is drawn as a quad, as the software road draws
// it. A graph of one piece is drawn as the software road draws a quad: two
// triangles over the corners split along the same diagonal, each corner at
// its pixel's centre and its texel coordinates those the software road's
// set-up gives it (its fixed-point gradients, truncation included), so that
// the same map from pixel to texel runs over each triangle.
int DeviceDrawFreeQuad(const GraphRecord* record, const int corners[8], int transparency) {
  if (D() == nullptr) return -1;
  if (record == nullptr || record->pieceCount != 1 || GetBlendGraph() != -1) {
    float f[8];
    for (int i = 0; i < 8; ++i) f[i] = static_cast<float>(corners[i]);
    return DeviceDrawFreeQuadF(record, f, transparency);
  }
  if (StartGraphDraw(record, transparency ? kDrawTransparency : 0) != 0) return -1;
  const GraphTilePiece& p = record->pieces[0];
  BindPieceTexture(p);
  const int w = record->width, h = record->height;
  const softrender::TriangleVertex quad[4] = {{corners[0], corners[1], 0, 0},
                                              {corners[2], corners[3], w, 0},
                                              {corners[4], corners[5], 0, h},
                                              {corners[6], corners[7], w, h}};
  const double one = static_cast<double>(softrender::kFixedOne);
  const double tw = p.tile->textureWidth, th = p.tile->textureHeight;
  const double u0 = p.corners[0].u, v0 = p.corners[0].v;
  const uint32_t color = GetDrawColorWord();
  for (const auto& three : {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{1, 2, 3}}) {
    const softrender::TriangleVertex t[3] = {quad[three[0]], quad[three[1]], quad[three[2]]};
    softrender::TriangleSetup setup;
    if (!softrender::SetUpTriangle(t, true, &setup)) continue;
    TexturedVertex v[3];
    for (int i = 0; i < 3; ++i) {
      const double dx = static_cast<double>(t[i].x - setup.referenceColumn);
      const double dy = static_cast<double>(t[i].y - setup.referenceRow);
      const double u = (static_cast<int32_t>(setup.referenceU) + dx * setup.dUdx + dy * setup.dUdy) / one;
      const double vv = (static_cast<int32_t>(setup.referenceV) + dx * setup.dVdx + dy * setup.dVdy) / one;
      v[i] = {static_cast<float>(t[i].x), static_cast<float>(t[i].y), kDepth2D, 1.0f, color,
              static_cast<float>(u0 + u / tw), static_cast<float>(v0 + vv / th)};
    }
    detail::AppendVertices(kBatchTextured, kTriangleList, v, 3);
  }
  return 0;
}

// Each piece of the graph is placed by the bilinear interpolation of the four
// corners at its edges. A quad that is a parallelogram, or a graph of one
// piece, is drawn as the software road draws a quad: each corner where its
// texel point lands, two triangles split along the same diagonal; other
// pieces are drawn as grids between their edges.
int DeviceDrawFreeQuadF(const GraphRecord* record, const float corners[8], int transparency) {
  if (D() == nullptr) return -1;
  if (StartGraphDraw(record, transparency ? kDrawTransparency : 0) != 0) return -1;
  const double gw = record->width, gh = record->height;
  auto at = [&](double sx, double sy, double* x, double* y) {
    *x = (corners[0] * (1 - sx) + corners[2] * sx) * (1 - sy) + (corners[4] * (1 - sx) + corners[6] * sx) * sy;
    *y = (corners[1] * (1 - sx) + corners[3] * sx) * (1 - sy) + (corners[5] * (1 - sx) + corners[7] * sx) * sy;
  };
  const bool parallelogram = std::fabs((corners[2] - corners[0]) - (corners[6] - corners[4])) < 1.0f &&
                             std::fabs((corners[3] - corners[1]) - (corners[7] - corners[5])) < 1.0f;
  if (record->pieceCount == 1 && GetBlendGraph() == -1) {
    int whole[8];
    for (int i = 0; i < 8; ++i) whole[i] = TruncateFloatToInt(corners[i]);
    return DeviceDrawFreeQuad(record, whole, transparency);
  }
  if (parallelogram || GetBlendGraph() != -1) {
    // The nudge in texels: a pixel's worth of it along the shorter scale.
    const double across = std::hypot(corners[2] - corners[0], corners[3] - corners[1]) / gw;
    const double down = std::hypot(corners[4] - corners[0], corners[5] - corners[1]) / gh;
    const double scale = std::max(std::min(across, down), 1e-6);
    AppendPlacedPieces(record, kEdgeNudge / scale, kEdgeNudge / scale, false, false,
                       [&](double tx, double ty, double* ox, double* oy) { at(tx / gw, ty / gh, ox, oy); });
    return 0;
  }
  for (int i = 0; i < record->pieceCount; ++i) {
    const GraphTilePiece& p = record->pieces[i];
    float placed[8];
    for (int c = 0; c < 4; ++c) {
      double x = 0, y = 0;
      at(p.corners[c].x / gw, p.corners[c].y / gh, &x, &y);
      placed[2 * c] = static_cast<float>(x), placed[2 * c + 1] = static_cast<float>(y);
    }
    DeviceDrawQuadPiece(placed, p);
  }
  return 0;
}

void DeviceDrawQuadPiece(const float corners[8], const GraphTilePiece& piece) {
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

int DeviceFillBox(int left, int top, int right, int bottom, uint32_t color) {
  if (D() == nullptr) return -1;
  DrawRect rect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
  const DrawRect area = GetDrawArea();
  ClipRectToRect(&rect, &area);
  if (rect.right <= rect.left || rect.bottom <= rect.top) return 0;
  StartShapeDraw();
  AppendBox(rect.left, rect.top, rect.right, rect.bottom, ShapeColor(color));
  return 0;
}

// The outline as the software road draws it: four one-pixel lines around,
// (x1, y1) to (x2 - 1, y1) to (x2 - 1, y2 - 1) to (x1, y2 - 1) and back, each
// drawing its start and not its end, the corners as given (reversed ones
// too); the far edges taken in 64 bits.
int DeviceDrawBoxFrame(int left, int top, int right, int bottom, uint32_t color) {
  if (D() == nullptr) return -1;
  const int r = static_cast<int>(std::max<int64_t>(int64_t{right} - 1, INT32_MIN));
  const int b = static_cast<int>(std::max<int64_t>(int64_t{bottom} - 1, INT32_MIN));
  DeviceDrawLine(left, top, r, top, color);
  DeviceDrawLine(r, top, r, b, color);
  DeviceDrawLine(r, b, left, b, color);
  DeviceDrawLine(left, b, left, top, color);
  return 0;
}

int DeviceDrawUserVertices(const GraphRecord* record, int primitiveType, const TexturedVertex* vertices, int count,
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
  // Untextured vertices leave their coordinates unread.
  const int format = texture != 0 ? kBatchTextured : kBatchColored;
  if (format == kBatchTextured) return detail::SendVerticesNow(format, primitiveType, copy.data(), count);
  std::vector<ColoredVertex> colored(copy.size());
  for (size_t i = 0; i < copy.size(); ++i) colored[i] = {copy[i].x, copy[i].y, copy[i].z, copy[i].rhw, copy[i].diffuse};
  return detail::SendVerticesNow(format, primitiveType, colored.data(), count);
}

// The software road's one-pixel line, pixel for pixel: the start clamped
// onto the draw area and the (undrawn) end onto the first row or column
// outside it, then stepped with an integer error term. Each pixel is a point
// on its centre.
int DeviceDrawLine(int x1, int y1, int x2, int y2, uint32_t color) {
  if (D() == nullptr) return -1;
  const DrawRect area = GetDrawArea();
  const int32_t L = area.left, T = area.top, R = area.right, B = area.bottom;
  if (R <= L || B <= T) return 0;
  if (std::min(y1, y2) >= B || std::min(x1, x2) >= R || std::max(y1, y2) < T || std::max(x1, x2) < L) return 0;
  const double kx = y1 != y2 ? (double(x2) - x1) / (double(y2) - y1) : 0.0;
  const double ky = x1 != x2 ? (double(y2) - y1) / (double(x2) - x1) : 0.0;
  const double bx = x1 - kx * y1, by = y1 - ky * x1;
  auto xAt = [&](int64_t y) { return TruncateDoubleToInt(kx * double(y) + bx); };
  auto yAt = [&](int64_t x) { return TruncateDoubleToInt(ky * double(x) + by); };
  // Each clamp uses the values the one before left.
  if (x1 < L) {
    x1 = L, y1 = yAt(L);
  } else if (x1 >= R) {
    x1 = R - 1, y1 = yAt(R - 1);
  }
  if (x2 < L) {
    x2 = L - 1, y2 = yAt(int64_t{L} - 1);
  } else if (x2 >= R) {
    x2 = R, y2 = yAt(R);
  }
  if (y1 < T) {
    y1 = T, x1 = xAt(T);
  } else if (y1 >= B) {
    y1 = B - 1, x1 = xAt(B - 1);
  }
  if (y2 < T) {
    y2 = T - 1, x2 = xAt(int64_t{T} - 1);
  } else if (y2 >= B) {
    y2 = B, x2 = xAt(B);
  }
  x1 = std::clamp(x1, L, R - 1);
  x2 = std::clamp(x2, L - 1, R);
  y1 = std::clamp(y1, T, B - 1);
  y2 = std::clamp(y2, T - 1, B);
  const int32_t dx = x2 - x1, dy = y2 - y1;
  if (dx == 0 && dy == 0) return 0;
  StartShapeDraw();
  const uint32_t c = ShapeColor(color);
  const int32_t adx = std::abs(dx), ady = std::abs(dy);
  const int32_t stepX = dx < 0 ? -1 : 1, stepY = dy < 0 ? -1 : 1;
  const bool xMajor = adx >= ady;
  const int32_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  std::vector<ColoredVertex> points;
  points.reserve(static_cast<size_t>(major));
  int32_t x = x1, y = y1, e = 0;
  for (int32_t i = 0; i < major; ++i) {
    points.push_back({static_cast<float>(x), static_cast<float>(y), kDepth2D, 1.0f, c});
    if (xMajor)
      x += stepX;
    else
      y += stepY;
    e += minor;
    if (e >= major) {
      if (xMajor)
        y += stepY;
      else
        x += stepX;
      e -= major;
    }
  }
  for (size_t i = 0; i < points.size(); i += 1024) {
    const int count = static_cast<int>(std::min<size_t>(1024, points.size() - i));
    detail::AppendVertices(kBatchColored, kPointList, points.data() + i, count);
  }
  return 0;
}

// The software road's circle walk (softrender/shapes/circle_walk.h): the
// outline's eight mirrored points a step, duplicates included, and the
// disc's row spans, each row once, with the widest span the walk reaches on
// it. Points sit on pixel centres; spans are one-pixel boxes.
int DeviceDrawCircle(int x, int y, int radius, uint32_t color, int fill) {
  if (D() == nullptr) return -1;
  if (radius < 0) return 0;
  StartShapeDraw();
  const DrawRect drawArea = GetDrawArea();
  const softrender::ClipBox area{drawArea.left, drawArea.top, drawArea.right, drawArea.bottom};
  if (!softrender::CircleTouchesArea(x, y, radius, area)) return 0;
  const uint32_t c = ShapeColor(color);
  if (!fill) {
    std::vector<ColoredVertex> points;
    softrender::WalkCircleOutline(x, y, radius, area, [&](int64_t px, int64_t py) {
      points.push_back({static_cast<float>(px), static_cast<float>(py), kDepth2D, 1.0f, c});
    });
    for (size_t i = 0; i < points.size(); i += 40)
      SendColoredNow(kPointList, points.data() + i, static_cast<int>(std::min<size_t>(40, points.size() - i)));
    return 0;
  }
  std::vector<uint8_t> rowDrawn(static_cast<size_t>(area.bottom - area.top), 0);
  softrender::WalkCircleDisc(x, y, radius, area, rowDrawn.data(), [&](int64_t row, int64_t first, int64_t last) {
    AppendBox(first, row, last + 1, row + 1, c);
  });
  return 0;
}

int DeviceDrawSoftImage(const SOFTSURFACE* image, int width, int height, int x, int y, int transparency) {
  if (D() == nullptr || !SoftSurfaceIsValid(image) || width <= 0 || height <= 0) return -1;
  width = std::min(width, image->width), height = std::min(height, image->height);
  BackEndState& b = B();
  if (b.scratch == 0 || b.scratchWidth < width || b.scratchHeight < height) {
    if (b.scratch != 0) {
      FlushVertexBatch();
      D()->ReleaseTexture(b.scratch);
    }
    int w = 8, h = 8;
    while (w < width) w *= 2;
    while (h < height) h *= 2;
    b.scratch = D()->CreateTexture(w, h, 1, gpu::Format::kA8R8G8B8, false);
    b.scratchWidth = b.scratch ? w : 0, b.scratchHeight = b.scratch ? h : 0;
    if (b.scratch == 0) return -1;
  }
  // What is batched was drawn from the texture as it was.
  FlushVertexBatch();
  std::vector<uint32_t> argb;
  detail::ConvertSoftImageToArgb(*image, width, height, &argb);
  if (!D()->WriteTexture(b.scratch, 0, {0, 0, width, height}, argb.data(), width * 4)) return -1;
  BeginSceneOnce();
  GraphDrawInfo store{};
  store.request.alpha = 1;
  PrepareDeviceDrawState(&store, b.scratch, kDrawKeepTextureAlpha | (transparency ? kDrawTransparency : 0));
  const BlendCover cover = CurrentBlendCover();
  const float l = static_cast<float>(x) - 0.5f, t = static_cast<float>(y) - 0.5f;
  const float r = l + static_cast<float>(width), bt = t + static_cast<float>(height);
  const float u = static_cast<float>(width) / static_cast<float>(b.scratchWidth);
  const float v = static_cast<float>(height) / static_cast<float>(b.scratchHeight);
  const float pos[4][2] = {{l, t}, {r, t}, {l, bt}, {r, bt}};
  const float uv[4][2] = {{0, 0}, {u, 0}, {0, v}, {u, v}};
  const float local[4][2] = {{0, 0}, {static_cast<float>(width), 0}, {0, static_cast<float>(height)},
                             {static_cast<float>(width), static_cast<float>(height)}};
  AppendPieceQuad(pos, uv, local, cover);
  return 0;
}

int UseSubBackBuffer() {
  if (D() == nullptr) return -1;
  if (detail::SubBackBuffer() != 0) return 0;
  FlushVertexBatch();
  EndSceneIfOpen();
  if (CreateSubBackBuffer() != 0) return -1;
  const detail::GraphicsDeviceFacts& facts = detail::DeviceFacts();
  D()->CopyTargetRect(0, {0, 0, facts.width, facts.height}, detail::SubBackBuffer(), 0, 0);
  detail::DeviceStateCache& c = detail::DeviceCache();
  c.force = 1;
  SetRenderTargetSurface(detail::SubBackBuffer());
  c.force = 0;
  return 0;
}

namespace {
void SubtractBracket(const DrawRect& rect, int endMode) {
  const int param = GetBlendParam();
  const uint32_t brightness = GetDrawColorWord() & 0xFFFFFF;
  if (brightness != 0xFFFFFF) SetDrawColorScalePacked(0xFFFFFF);
  if (!IsDrawingSuppressed()) ChooseBlendMode(3, 255);
  DeviceFillBox(rect.left, rect.top, rect.right, rect.bottom, PackColorForScreen(255, 255, 255));
  if (brightness != 0xFFFFFF) SetDrawColorScalePacked(brightness);
  ChooseBlendMode(endMode, param);
}
}  // namespace

void BeginSubtractEmulation(const DrawRect& rect) { SubtractBracket(rect, 5); }
void EndSubtractEmulation(const DrawRect& rect) { SubtractBracket(rect, 3); }

namespace detail {

gpu::TextureId CurrentRenderTarget() { return B().renderTarget; }

bool DrawTargetTextures(RenderTargets* targets) {
  *targets = RenderTargets{};
  if (const GraphRecord* record = GetGraphRecord(GetCurrentDrawTarget())) {
    if (record->drawInfo == nullptr) return false;
    RefreshStaleTextures(record->drawInfo);
    return TargetsOfGraph(record, targets);
  }
  const gpu::TextureId sub = SubBackBuffer();
  targets->texture[0] = sub != 0 && B().renderTarget == sub ? sub : 0;
  return true;
}

void ReleaseDrawBackEndTextures() {
  BackEndState& b = B();
  if (b.scratch != 0 && D() != nullptr) D()->ReleaseTexture(b.scratch);
  b = BackEndState{};
}

}  // namespace detail
}  // namespace veziv
