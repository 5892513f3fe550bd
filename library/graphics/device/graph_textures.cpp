// The textures of graph stores and the pieces of graph records.
#include "library/graphics/device/graph_textures.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/graphs/graph_tiling.h"
#include "library/graphics/images/raster_image.h"
#include "library/graphics/screen/graphics_context.h"

namespace veziv {
namespace {

namespace gpu = platform::gpu;

gpu::Device* D() { return detail::GpuDevice(); }

uint8_t Widen(uint32_t value, int bits) {
  const uint32_t top = value << (8 - bits);
  return static_cast<uint8_t>(top | top >> bits);
}

uint32_t Load16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }

uint32_t ArgbOf16(uint32_t v) { return uint32_t{Widen(v >> 11 & 31, 5)} << 16 | uint32_t{Widen(v >> 5 & 63, 6)} << 8 | Widen(v & 31, 5); }

// One pixel of a software image as 0xAARRGGBB: an image without alpha gives
// its transparent colour alpha 0, so the draw's transparency flag decides by
// the alpha test.
uint32_t ImagePixel(const SoftSurfaceShared& b, const uint8_t* p) {
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

// 0xAARRGGBB packed into a format: each channel's top bits in its place.
uint32_t Pack(uint32_t argb, const PixelFormatDesc& f) {
  auto put = [](uint32_t value, int width, int shift) { return width ? (value >> (8 - width)) << shift : 0u; };
  return put(argb >> 16 & 255, f.redWidth, f.redShift) | put(argb >> 8 & 255, f.greenWidth, f.greenShift) |
         put(argb & 255, f.blueWidth, f.blueShift) | put(argb >> 24, f.alphaWidth, f.alphaShift);
}

void StorePacked(uint8_t* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The store's format number, or 0 when the table has none for its type.
int StoreFormat(const GraphDrawInfo& info) {
  const int kind = info.pixelType;
  return kind >= 0 && kind < kTextureKinds ? detail::FormatTable().kinds[kind] : 0;
}

bool IsCompressedFormat(int format) { return platform::gpu::IsCompressed(DeviceFormatOf(format)); }

// Writes the store rectangle (x, y, w, h) of the software image into one
// tile's texture, with its mip levels made from it by halving.
int UploadTileRect(const GraphDrawInfo& info, const TextureTile& t, int x, int y, int w, int h) {
  const PixelFormatDesc* desc = GetPixelFormatOfDeviceFormat(StoreFormat(info));
  const SoftSurfaceShared* b = info.surface.base;
  if (desc == nullptr || b == nullptr) return -1;
  const int bytes = desc->bytesPerPixel;
  const int levels = std::max(1, static_cast<int>(info.mipLevels));
  // The chain halves whole powers of two: the rectangle is widened to them.
  int pw = w, ph = h;
  if (levels > 1) {
    pw = 1, ph = 1;
    while (pw < w) pw *= 2;
    while (ph < h) ph *= 2;
  }
  std::vector<uint8_t> level(static_cast<size_t>(pw) * static_cast<size_t>(ph) * static_cast<size_t>(bytes), 0);
  for (int row = 0; row < h; ++row) {
    const uint8_t* in = b->pixels + static_cast<ptrdiff_t>(y + row) * b->pitch + static_cast<ptrdiff_t>(x) * b->bytesPerPixel;
    uint8_t* out = level.data() + static_cast<size_t>(row) * static_cast<size_t>(pw) * static_cast<size_t>(bytes);
    for (int col = 0; col < w; ++col, in += b->bytesPerPixel, out += bytes) StorePacked(out, Pack(ImagePixel(*b, in), *desc), bytes);
  }
  const int tx = x - t.x, ty = y - t.y;
  if (!D()->WriteTexture(t.texture, 0, {tx, ty, tx + w, ty + h}, level.data(), pw * bytes)) {
    WriteLogText("テクスチャのロックに失敗しました\n");
    return -1;
  }
  std::vector<uint8_t> half;
  for (int k = 1, lw = pw, lh = ph; k < levels; ++k) {
    const int nw = std::max(1, lw / 2), nh = std::max(1, lh / 2);
    half.assign(static_cast<size_t>(nw) * static_cast<size_t>(nh) * static_cast<size_t>(bytes), 0);
    if (ShrinkPixelsByHalf(desc, half.data(), nw * bytes, level.data(), lw * bytes, 0, 0, 0, 0, lw, lh) != 0) break;
    level.swap(half);
    lw = nw, lh = nh;
    // The texture rectangle shifted down by the level, at least one pixel.
    const int left = tx >> k, top = ty >> k;
    const int right = std::max(left + 1, (tx + w) >> k), bottom = std::max(top + 1, (ty + h) >> k);
    const int rw = std::min(right - left, lw), rh = std::min(bottom - top, lh);
    if (!D()->WriteTexture(t.texture, k, {left, top, left + rw, top + rh}, level.data(), lw * bytes)) {
      WriteLogText("ミップマップテクスチャのロックに失敗しました\n");
      return -1;
    }
  }
  return 0;
}

// Copies the image rectangle (x, y, w, h) of the store into the tiles it meets.
int UploadStoreRect(GraphDrawInfo* info, int x, int y, int w, int h) {
  if (D() == nullptr || info->tiles == nullptr || info->surface.base == nullptr) return -1;
  if (IsCompressedFormat(StoreFormat(*info))) {
    WriteLogText("DXTフォーマットのテクスチャに標準形式のイメージを転送することはできません\n");
    return 0;
  }
  FlushVertexBatch();  // vertices already batched show the texture as it was
  for (int i = 0; i < info->tileCount; ++i) {
    const TextureTile& t = info->tiles[i];
    if (t.texture == 0) continue;
    const int left = std::max(x, t.x), top = std::max(y, t.y);
    const int right = std::min(x + w, t.x + t.width), bottom = std::min(y + h, t.y + t.height);
    if (left >= right || top >= bottom) continue;
    if (UploadTileRect(*info, t, left, top, right - left, bottom - top) != 0) return -1;
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

// The tiles of a graph's store that its rectangle meets, and where.
template <typename Visit>
void ForEachTileOfGraph(GraphRecord* record, Visit&& visit) {
  GraphDrawInfo* info = record->drawInfo;
  for (int i = 0; i < info->tileCount; ++i) {
    TextureTile& t = info->tiles[i];
    const int left = std::max(t.x, record->offsetX), top = std::max(t.y, record->offsetY);
    const int right = std::min(t.x + t.width, record->offsetX + record->width);
    const int bottom = std::min(t.y + t.height, record->offsetY + record->height);
    if (t.texture == 0 || left >= right || top >= bottom) continue;
    visit(t, DrawRect{left, top, right, bottom});
  }
}

struct BlendChannel {
  const GraphDrawInfo* store = nullptr;
  int offsetX = 0, offsetY = 0, width = 0, height = 0;
  int32_t version = -1;
  gpu::TextureId texture = 0;
  int textureWidth = 0, textureHeight = 0;
};

BlendChannel& Channel() {
  static BlendChannel channel;
  return channel;
}

}  // namespace

int CreateGraphTextures(GraphDrawInfo* info) {
  gpu::Device* device = D();
  if (device == nullptr) return -1;
  if (info->tiles == nullptr) return 0;
  const int format = StoreFormat(*info);
  if (format == 0) {
    WriteLogText("指定のフォーマットで作成できるテクスチャフォーマットがありませんでした\n");
    return -1;
  }
  for (int i = 0; i < info->tileCount; ++i) {
    TextureTile& t = info->tiles[i];
    if (t.texture != 0) continue;
    t.texture = device->CreateTexture(t.textureWidth, t.textureHeight, std::max(1, static_cast<int>(info->mipLevels)),
                                      DeviceFormatOf(format), info->request.renderTarget != 0);
    if (t.texture == 0) {
      WriteLogText("テクスチャの作成に失敗しました\n");
      return -1;
    }
    t.surface = t.texture;
  }
  detail::MarkStoreStale(info, nullptr);
  return 0;
}

int ReleaseGraphTextures(GraphDrawInfo* info) {
  gpu::Device* device = D();
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
  if (Channel().store == info) detail::ReleaseBlendChannelTexture();
  return 0;
}

int ReleaseRenderTargetCompanion(GraphDrawInfo* info) {
  if (info->tiles != nullptr) {
    for (int i = 0; i < info->tileCount; ++i) {
      TextureTile& t = info->tiles[i];
      if (t.companion != 0 && D() != nullptr) D()->ReleaseTexture(t.companion);
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
  if (record == nullptr || record->drawInfo == nullptr || !detail::Screen().started || D() == nullptr) return -1;
  x = std::max(x, 0), y = std::max(y, 0);
  width = std::min(width, record->width - x), height = std::min(height, record->height - y);
  if (width <= 0 || height <= 0) return 0;
  return UploadStoreRect(record->drawInfo, record->offsetX + x, record->offsetY + y, width, height);
}

int TransferBlocksToTexture(GraphHandle handle, const RasterImage& blocks) {
  GraphRecord* record = GetGraphRecord(handle);
  if (record == nullptr || record->drawInfo == nullptr || D() == nullptr) return -1;
  GraphDrawInfo* info = record->drawInfo;
  const gpu::Format format = DeviceFormatOf(StoreFormat(*info));
  const int kind = static_cast<int>(blocks.format.compressedKind);
  if (kind < 1 || kind > 5 || format != DeviceFormatOf(kFmtDxt1 + ((kind - 1) << 24)) || info->tileCount != 1)
    return -1;
  const TextureTile& t = info->tiles[0];
  if (t.texture == 0 || blocks.width != t.textureWidth || blocks.height != t.textureHeight) return -1;
  const uint8_t* level = static_cast<const uint8_t*>(blocks.pixels);
  const int levels = std::max(1, static_cast<int>(info->mipLevels));
  if (levels > 1 && blocks.levelCount < levels) return -1;
  for (int k = 0, w = t.textureWidth, h = t.textureHeight; k < levels; ++k, w = std::max(1, w / 2), h = std::max(1, h / 2)) {
    const int bytes = gpu::CompressedLevelBytes(format, w, h);
    if (!D()->WriteCompressedLevel(t.texture, k, level, bytes)) return -1;
    level += bytes;
  }
  info->staleRect = DrawRect{};
  return 0;
}

bool DeviceBlocks::Keep(const RasterImage& picture) {
  *this = DeviceBlocks{};
  const int kind = static_cast<int>(picture.format.compressedKind);
  if (D() == nullptr || kind < 1 || kind > 5 || picture.pixels == nullptr) return false;
  const int format = detail::FormatTable().kinds[kKindDxt1 + kind - 1];
  if (!IsCompressedFormat(format)) return false;
  const int largest = std::min(detail::DeviceFacts().maxTextureSize, 2048);
  auto fills = [largest](int side) { return side >= 8 && side <= largest && (side & (side - 1)) == 0; };
  if (!fills(picture.width) || !fills(picture.height)) return false;
  size_t total = 0;
  for (int k = 0, w = picture.width, h = picture.height; k < std::max(1, static_cast<int>(picture.levelCount));
       ++k, w = std::max(1, w / 2), h = std::max(1, h / 2))
    total += static_cast<size_t>(gpu::CompressedLevelBytes(DeviceFormatOf(format), w, h));
  const auto* from = static_cast<const uint8_t*>(picture.pixels);
  bytes.assign(from, from + total);
  image = picture;
  image.pixels = bytes.data();
  return true;
}

namespace detail {

int CreateStoreTextures(GraphDrawInfo* info) {
  gpu::Device* device = D();
  if (device == nullptr) return -1;
  TilingLimits limits;
  limits.maxSide = std::min(DeviceFacts().maxTextureSize, 2048);
  limits.screenWidth = Screen().width;
  limits.oneTexture = info->request.renderTarget || info->request.blendImage || SingleTextureWished() ||
                      IsCompressedFormat(StoreFormat(*info));
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

void MarkStoreStale(GraphDrawInfo* info, const DrawRect* storeRect) {
  if (info == nullptr) return;
  ++info->imageVersion;
  DrawRect r = storeRect ? *storeRect : DrawRect{0, 0, info->width, info->height};
  const DrawRect whole{0, 0, info->width, info->height};
  ClipRectToRect(&r, &whole);
  if (r.right <= r.left || r.bottom <= r.top) return;
  DrawRect& s = info->staleRect;
  if (s.right <= s.left || s.bottom <= s.top) {
    s = r;
    return;
  }
  s = DrawRect{std::min(s.left, r.left), std::min(s.top, r.top), std::max(s.right, r.right), std::max(s.bottom, r.bottom)};
}

void RefreshStaleTextures(GraphDrawInfo* info) {
  if (info == nullptr || info->tiles == nullptr) return;
  const DrawRect s = info->staleRect;
  if (s.right <= s.left || s.bottom <= s.top) return;
  info->staleRect = DrawRect{};
  UploadStoreRect(info, s.left, s.top, s.right - s.left, s.bottom - s.top);
}

int StoreTexturesTakeDraws(const GraphDrawInfo& info) { return IsCompressedFormat(StoreFormat(info)) ? 0 : 1; }

void MarkStoreDrawnOnDevice(GraphDrawInfo* info) {
  // The image no longer says what the textures hold; a graph used as a
  // blend graph afterwards reads what the image holds, as on the software road.
  if (info != nullptr) info->drawnOnDevice = 1;
}

int TransferRasterToTextures(GraphRecord* record, const RasterImage& image, int width) {
  if (D() == nullptr || record == nullptr || record->drawInfo == nullptr || record->drawInfo->tiles == nullptr) return -1;
  GraphDrawInfo* info = record->drawInfo;
  const PixelFormatDesc* desc = GetPixelFormatOfDeviceFormat(StoreFormat(*info));
  if (desc == nullptr || IsCompressedFormat(StoreFormat(*info)) || image.pixels == nullptr) return -1;
  const int bytes = desc->bytesPerPixel;
  const int w = std::min(width, record->width), h = std::min(image.height, record->height);
  FlushVertexBatch();
  std::vector<uint8_t> pixels;
  ForEachTileOfGraph(record, [&](const TextureTile& t, const DrawRect& r) {
    const int left = std::max(r.left, record->offsetX), top = std::max(r.top, record->offsetY);
    const int right = std::min(r.right, record->offsetX + w), bottom = std::min(r.bottom, record->offsetY + h);
    if (left >= right || top >= bottom) return;
    const int rw = right - left, rh = bottom - top;
    pixels.assign(static_cast<size_t>(rw) * static_cast<size_t>(rh) * static_cast<size_t>(bytes), 0);
    for (int y = 0; y < rh; ++y)
      for (int x = 0; x < rw; ++x) {
        const uint32_t argb = GetRasterImagePixelArgb(&image, left - record->offsetX + x, top - record->offsetY + y);
        StorePacked(pixels.data() + (static_cast<size_t>(y) * rw + x) * bytes, Pack(argb | 0xFF000000u, *desc), bytes);
      }
    D()->WriteTexture(t.texture, 0, {left - t.x, top - t.y, right - t.x, bottom - t.y}, pixels.data(), rw * bytes);
  });
  return 0;
}

int CopyTargetIntoGraph(gpu::TextureId target, const DrawRect& rect, GraphRecord* record) {
  if (D() == nullptr || record == nullptr || record->drawInfo == nullptr || record->drawInfo->tiles == nullptr) return -1;
  // What the image holds and the textures do not yet goes first: the copy
  // lands over it.
  RefreshStaleTextures(record->drawInfo);
  FlushVertexBatch();
  EndSceneIfOpen();
  bool copied = true;
  ForEachTileOfGraph(record, [&](const TextureTile& t, const DrawRect& r) {
    // Store rectangle r holds graph pixels (r - offset), read from the target
    // at rect's corner plus them.
    const int gx = r.left - record->offsetX, gy = r.top - record->offsetY;
    const gpu::Rect from{rect.left + gx, rect.top + gy, rect.left + gx + (r.right - r.left), rect.top + gy + (r.bottom - r.top)};
    copied = D()->CopyTargetRect(target, from, t.texture, r.left - t.x, r.top - t.y) && copied;
  });
  MarkStoreDrawnOnDevice(record->drawInfo);
  return copied ? 0 : -1;
}

void BlendChannelTexture(const GraphRecord* blend, gpu::TextureId* texture, float* scaleX, float* scaleY) {
  *texture = 0;
  *scaleX = *scaleY = 0;
  if (D() == nullptr || blend == nullptr || blend->drawInfo == nullptr || blend->view.base == nullptr) return;
  BlendChannel& c = Channel();
  const GraphDrawInfo* store = blend->drawInfo;
  const bool same = c.texture != 0 && c.store == store && c.offsetX == blend->offsetX && c.offsetY == blend->offsetY &&
                    c.width == blend->width && c.height == blend->height && c.version == store->imageVersion;
  if (!same) {
    int tw = 8, th = 8;
    while (tw < blend->width) tw *= 2;
    while (th < blend->height) th *= 2;
    if (tw > DeviceFacts().maxTextureSize || th > DeviceFacts().maxTextureSize) return;
    if (c.texture != 0 && (c.textureWidth != tw || c.textureHeight != th)) ReleaseBlendChannelTexture();
    if (c.texture == 0) {
      c.texture = D()->CreateTexture(tw, th, 1, gpu::Format::kA8R8G8B8, false);
      c.textureWidth = tw, c.textureHeight = th;
      if (c.texture == 0) return;
    }
    FlushVertexBatch();
    // The software road reads the blend image one byte a pixel from the
    // start of each of its rows, whatever the image's own pixel size.
    const SOFTSURFACE& view = blend->view;
    const int w = blend->width, h = blend->height;
    std::vector<uint32_t> alpha(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = view.pixels + static_cast<ptrdiff_t>(y) * view.base->pitch;
      for (int x = 0; x < w; ++x) alpha[static_cast<size_t>(y) * w + x] = uint32_t{row[x]} << 24 | 0xFFFFFF;
    }
    if (!D()->WriteTexture(c.texture, 0, {0, 0, w, h}, alpha.data(), w * 4)) return;
    c.store = store, c.offsetX = blend->offsetX, c.offsetY = blend->offsetY, c.width = w, c.height = h;
    c.version = store->imageVersion;
  }
  *texture = c.texture;
  *scaleX = 1.0f / static_cast<float>(c.textureWidth);
  *scaleY = 1.0f / static_cast<float>(c.textureHeight);
}

void ReleaseBlendChannelTexture() {
  BlendChannel& c = Channel();
  if (c.texture != 0 && D() != nullptr) {
    FlushVertexBatch();
    D()->ReleaseTexture(c.texture);
  }
  c = BlendChannel{};
}

void ConvertSoftImageToArgb(const SOFTSURFACE& image, int width, int height, std::vector<uint32_t>* out) {
  out->assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  const SoftSurfaceShared& b = *image.base;
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = image.pixels + static_cast<ptrdiff_t>(y) * b.pitch;
    for (int x = 0; x < width; ++x, in += b.bytesPerPixel) (*out)[static_cast<size_t>(y) * width + x] = ImagePixel(b, in);
  }
}

}  // namespace detail
}  // namespace veziv
