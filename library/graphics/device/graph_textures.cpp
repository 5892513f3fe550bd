// The textures of graph stores and the pieces of graph records.
#include "library/graphics/device/graph_textures.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/graphs/graph_tiling.h"
#include "library/graphics/screen/graphics_context.h"

namespace veziv {
namespace {

using namespace platform::gpu;

// Textures always hold 32-bit pixels with alpha: a store without alpha gets
// alpha 0 where its pixel is the transparent colour, so the draw's
// transparency flag decides by the alpha test. Graphs are drawn into on the
// software road, so their textures are only read: none is a render target.
constexpr int kTextureFormat = kFormatA8R8G8B8;

uint8_t Widen(uint32_t value, int bits) {
  const uint32_t top = value << (8 - bits);
  return static_cast<uint8_t>(top | top >> bits);
}

uint32_t Load16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }

uint32_t ArgbOf16(uint32_t v) { return uint32_t{Widen(v >> 11 & 31, 5)} << 16 | uint32_t{Widen(v >> 5 & 63, 6)} << 8 | Widen(v & 31, 5); }

// One pixel of a store's image as 0xAARRGGBB.
uint32_t StorePixel(const SoftSurfaceShared& b, const uint8_t* p) {
  uint32_t raw, argb, alpha = 255;
  if (b.paletteFlag && b.palette) {
    raw = p[0];
    const uint8_t* entry = b.palette + raw * (b.type == kSoftType32 ? 4 : 2);
    argb = b.type == kSoftType32 ? (Load16(entry) | uint32_t{entry[2]} << 16) : ArgbOf16(Load16(entry));
  } else if (b.type == kSoftType32) {
    raw = Load16(p) | uint32_t{p[2]} << 16;
    argb = raw;
    if (b.alphaFlag) alpha = p[3];
  } else {
    raw = Load16(p);
    argb = ArgbOf16(raw);
    if (b.alphaFlag) alpha = p[2];
  }
  if (!b.alphaFlag && raw == (b.transparentValue & (b.type == kSoftType32 && !b.paletteFlag ? 0xFFFFFFu : 0xFFFFu)))
    alpha = 0;
  return alpha << 24 | (argb & 0xFFFFFF);
}

// Copies the image rectangle (x, y, w, h) of the store into the tiles it meets.
int UploadStoreRect(GraphDrawInfo* info, int x, int y, int w, int h) {
  Device* device = detail::GpuDevice();
  if (device == nullptr || info->tiles == nullptr) return -1;
  const SoftSurfaceShared* b = info->surface.base;
  if (b == nullptr) return -1;
  FlushVertexBatch();  // vertices already batched show the texture as it was
  std::vector<uint32_t> argb;
  for (int i = 0; i < info->tileCount; ++i) {
    TextureTile& t = info->tiles[i];
    if (t.texture == 0) continue;
    const int left = std::max(x, t.x), top = std::max(y, t.y);
    const int right = std::min(x + w, t.x + t.width), bottom = std::min(y + h, t.y + t.height);
    if (left >= right || top >= bottom) continue;
    const int rw = right - left, rh = bottom - top;
    argb.resize(static_cast<size_t>(rw) * static_cast<size_t>(rh));
    for (int row = 0; row < rh; ++row) {
      const uint8_t* in = b->pixels + static_cast<ptrdiff_t>(top + row) * b->pitch + static_cast<ptrdiff_t>(left) * b->bytesPerPixel;
      for (int col = 0; col < rw; ++col, in += b->bytesPerPixel) argb[static_cast<size_t>(row) * rw + col] = StorePixel(*b, in);
    }
    if (device->UpdateTexture(t.texture, 0, {left - t.x, top - t.y, right - t.x, bottom - t.y}, argb.data(), rw * 4) != 0) {
      WriteLogText("テクスチャのロックに失敗しました\n");
      return -1;
    }
  }
  return 0;
}

template <typename Visit>
void ForEachLiveStore(Visit&& visit) {
  for (int slot = 0; slot < detail::GraphEndMark(); ++slot) {
    const GraphHandle handle = detail::GraphHandleAtSlot(slot);
    if (handle < 0) continue;
    GraphRecord* record = GetGraphRecord(handle);
    if (record && record->drawInfo) visit(record->drawInfo);
  }
}

}  // namespace

int CreateGraphTextures(GraphDrawInfo* info) {
  Device* device = detail::GpuDevice();
  if (device == nullptr) return -1;
  if (info->tiles == nullptr) return 0;
  if (device->CheckFormat(kTextureFormat, false) != 0) {
    WriteLogText("指定のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
    return -1;
  }
  for (int i = 0; i < info->tileCount; ++i) {
    TextureTile& t = info->tiles[i];
    if (t.texture != 0) continue;
    t.texture = device->CreateTexture(t.textureWidth, t.textureHeight, std::max(1, info->mipLevels), kTextureFormat,
                                      false);
    if (t.texture == 0) {
      WriteLogText("テクスチャの作成に失敗しました\n");
      return -1;
    }
    t.surface = t.texture;
  }
  info->texturesStale = 1;
  return 0;
}

int ReleaseGraphTextures(GraphDrawInfo* info) {
  Device* device = detail::GpuDevice();
  if (info->tiles == nullptr) return 0;
  for (int i = 0; i < info->tileCount; ++i) {
    TextureTile& t = info->tiles[i];
    if (t.texture != 0 && device != nullptr) {
      if (detail::DeviceCache().texture == t.texture) BindDrawTexture(0);
      FlushVertexBatch();
      device->ReleaseTexture(t.texture);
    }
    t.texture = t.surface = 0;
  }
  return 0;
}

int ReleaseRenderTargetCompanion(GraphDrawInfo* info) {
  if (info->tiles != nullptr) {
    for (int i = 0; i < info->tileCount; ++i) {
      TextureTile& t = info->tiles[i];
      if (t.companion != 0 && detail::GpuDevice() != nullptr) detail::GpuDevice()->ReleaseTexture(t.companion);
      t.companion = 0;
    }
  }
  if (info->targetCompanion) {
    SoftSurfaceRelease(info->targetCompanion);
    FreeLibMemory(info->targetCompanion);
    info->targetCompanion = nullptr;
  }
  return 0;
}

int ReleaseAllGraphTextures() {
  ForEachLiveStore([](GraphDrawInfo* info) { ReleaseGraphTextures(info); });
  return 0;
}

int RecreateAllGraphTextures() {
  ForEachLiveStore([](GraphDrawInfo* info) { CreateGraphTextures(info); });
  return 0;
}

int TransferImageToTexture(GraphHandle handle, int x, int y, int width, int height) {
  GraphRecord* record = GetGraphRecord(handle);
  if (record == nullptr || record->drawInfo == nullptr || !detail::Screen().started || detail::GpuDevice() == nullptr)
    return -1;
  x = std::max(x, 0), y = std::max(y, 0);
  width = std::min(width, record->width - x), height = std::min(height, record->height - y);
  if (width <= 0 || height <= 0) return 0;
  return UploadStoreRect(record->drawInfo, record->offsetX + x, record->offsetY + y, width, height);
}

namespace detail {

int CreateStoreTextures(GraphDrawInfo* info) {
  Device* device = GpuDevice();
  if (device == nullptr) return -1;
  TilingLimits limits;
  limits.maxSide = std::min(device->MaxTextureSize(), 2048);
  limits.screenWidth = Screen().width;
  std::vector<TextureTileLayout> layout;
  if (!LayOutGraphTiles(info->width, info->height, limits, &layout) || layout.empty()) return -1;
  auto* tiles = static_cast<TextureTile*>(AllocLibMemoryZeroed(sizeof(TextureTile) * layout.size()));
  if (tiles == nullptr) return -1;
  for (size_t i = 0; i < layout.size(); ++i) {
    const TextureTileLayout& l = layout[i];
    tiles[i] = TextureTile{0, 0, 0, l.x, l.y, l.usedWidth, l.usedHeight, l.textureWidth, l.textureHeight};
  }
  info->tiles = tiles;
  info->tileCount = static_cast<int32_t>(layout.size());
  if (CreateGraphTextures(info) != 0) {
    ReleaseStoreTextures(info);
    return -1;
  }
  return 0;
}

int BuildGraphPieces(GraphRecord* record) {
  FreeGraphPieces(record);
  GraphDrawInfo* info = record->drawInfo;
  if (info == nullptr || info->tiles == nullptr) return 0;
  const int ox = record->offsetX, oy = record->offsetY, gw = record->width, gh = record->height;
  std::vector<GraphTilePiece> pieces;
  for (int i = 0; i < info->tileCount; ++i) {
    TextureTile& t = info->tiles[i];
    if (t.x >= ox + gw || t.x + t.width <= ox || t.y >= oy + gh || t.y + t.height <= oy) continue;
    GraphTilePiece p{};
    p.tile = &t;
    auto side = [](int tilePos, int tileSize, int offset, int graphSize, int32_t* dest, int32_t* src, int32_t* size) {
      if (tilePos > offset) {
        *dest = tilePos - offset, *src = 0;
        *size = tilePos + tileSize > offset + graphSize ? offset + graphSize - tilePos : tileSize;
      } else {
        *dest = 0, *src = offset - tilePos;
        *size = tilePos + tileSize > offset + graphSize ? graphSize : tilePos + tileSize - offset;
      }
    };
    side(t.x, t.width, ox, gw, &p.destX, &p.srcX, &p.width);
    side(t.y, t.height, oy, gh, &p.destY, &p.srcY, &p.height);
    const float l = static_cast<float>(p.destX), r = static_cast<float>(p.destX + p.width);
    const float tp = static_cast<float>(p.destY), bt = static_cast<float>(p.destY + p.height);
    const float tw = static_cast<float>(t.textureWidth), th = static_cast<float>(t.textureHeight);
    const float ul = static_cast<float>(p.srcX) / tw, ur = static_cast<float>(p.srcX + p.width) / tw;
    const float vt = static_cast<float>(p.srcY) / th, vb = static_cast<float>(p.srcY + p.height) / th;
    p.corners[0] = {l, tp, ul, vt};
    p.corners[1] = {r, tp, ur, vt};
    p.corners[2] = {l, bt, ul, vb};
    p.corners[3] = {r, bt, ur, vb};
    for (int c = 0; c < 4; ++c) {
      const double x = p.corners[c].x, y = p.corners[c].y;
      p.upperLeft[c] = y <= gh - x * gh / static_cast<double>(gw) ? 1 : 0;
    }
    pieces.push_back(p);
  }
  if (pieces.empty()) {
    WriteLogText("テクスチャ描画情報の作成に失敗しました\n");
    return -1;
  }
  record->pieces = static_cast<GraphTilePiece*>(AllocLibMemory(sizeof(GraphTilePiece) * pieces.size()));
  if (record->pieces == nullptr) {
    WriteLogText("画像描画情報格納用メモリの確保に失敗しました\n");
    return -1;
  }
  std::memcpy(record->pieces, pieces.data(), sizeof(GraphTilePiece) * pieces.size());
  record->pieceCount = static_cast<int32_t>(pieces.size());
  return 0;
}

void FreeGraphPieces(GraphRecord* record) {
  FreeLibMemory(record->pieces);
  record->pieces = nullptr;
  record->pieceCount = 0;
}

void ReleaseStoreTextures(GraphDrawInfo* info) {
  ReleaseRenderTargetCompanion(info);
  ReleaseGraphTextures(info);
  FreeLibMemory(info->tiles);
  info->tiles = nullptr;
  info->tileCount = 0;
}

void RefreshStaleTextures(GraphDrawInfo* info) {
  if (info == nullptr || !info->texturesStale || info->tiles == nullptr) return;
  if (UploadStoreRect(info, 0, 0, info->width, info->height) == 0) info->texturesStale = 0;
}

}  // namespace detail
}  // namespace veziv
