// Graph textures on the hardware road. Every graph keeps its software image
// (the store's SOFTSURFACE), which loading, filling and the software road
// write; with a device the store also holds a set of power-of-two textures
// tiled over that image, in the format its texture type number asks for
// (with mip levels when asked), refilled from the image where it changed
// before the next draw. Draws into a graph on the device go straight into
// its textures, which then hold what the image does not. Each graph record
// holds the pieces of the tiles it shows, with ready-made positions and
// texture coordinates.
#pragma once

#include <cstdint>
#include <vector>

#include "library/graphics/graphs/graph_handles.h"
#include "library/veziv.h"
#include "platform/gpu/device.h"

namespace veziv {

struct TextureTile {
  platform::gpu::TextureId texture;  // 0 while released
  platform::gpu::TextureId surface;  // the texture's first level: the texture itself here
  platform::gpu::TextureId companion;
  int32_t x, y;                          // where the tile sits in the image
  int32_t width, height;                 // part of the image it covers
  int32_t textureWidth, textureHeight;   // its texture's size
};

struct GraphTilePiece {
  int32_t destX, destY;  // where the piece starts inside the graph
  int32_t srcX, srcY;    // where it starts inside the tile's texture
  int32_t width, height;
  struct Corner {
    float x, y, u, v;
  } corners[4];  // top-left, top-right, bottom-left, bottom-right
  uint8_t upperLeft[4];  // on or above the graph's anti-diagonal
  TextureTile* tile;
};

// 0 (also for a store without tiles); -1 without a device, without a usable
// format or when a texture cannot be made (those made stay).
int CreateGraphTextures(GraphDrawInfo* info);
int ReleaseGraphTextures(GraphDrawInfo* info);
int ReleaseRenderTargetCompanion(GraphDrawInfo* info);
// Device lost / device back: every live graph's store.
int ReleaseAllGraphTextures();
int RecreateAllGraphTextures();
// Brings the graph's rectangle (x, y, width, height, graph coordinates) of the
// software image into its textures, with the mip levels made from it. -1 for
// a bad handle, before graphics start or without a device; 0 for an empty
// rectangle. A DXT texture takes no plain image: the refusal is logged and
// the tile left.
int TransferImageToTexture(GraphHandle handle, int x, int y, int width, int height);
// The blocks of a compressed image (with its mip levels) into the graph's
// textures of the same DXT format, each tile whole. -1 when they differ.
int TransferBlocksToTexture(GraphHandle handle, const RasterImage& blocks);

// The blocks of a compressed picture, kept apart while the software image
// takes its plain pixels, when the device can show them as they are: a
// device in use whose format table holds the picture's block format, and a
// picture that fills one texture (power-of-two sides the device allows).
struct DeviceBlocks {
  RasterImage image{};  // its pixels point into bytes
  std::vector<uint8_t> bytes;
  // False, with nothing kept, when the device cannot take the picture's blocks.
  bool Keep(const RasterImage& picture);
  int Kind() const { return static_cast<int>(image.format.compressedKind); }
};

namespace detail {
// Graph creation with a device: the store's tiles laid out and their textures
// made. -1 when they cannot be (the graph stays usable on the software road).
int CreateStoreTextures(GraphDrawInfo* info);
// The record's pieces from its offset and size in the store (none without tiles).
int BuildGraphPieces(GraphRecord* record);
void FreeGraphPieces(GraphRecord* record);
// Graph deletion: companion, textures and tiles of a store about to be freed.
void ReleaseStoreTextures(GraphDrawInfo* info);
// The software image changed in a rectangle of the store (all of it when
// null): the textures are refilled there before the next draw.
void MarkStoreStale(GraphDrawInfo* info, const DrawRect* storeRect);
// Refills a stale store's textures from its software image.
void RefreshStaleTextures(GraphDrawInfo* info);
// 1 when the store's textures can be drawn into (they are not compressed).
int StoreTexturesTakeDraws(const GraphDrawInfo& info);
// A draw went into the store's textures on the device.
void MarkStoreDrawnOnDevice(GraphDrawInfo* info);
// An image record (a movie's frame) straight into the textures of a graph,
// at the graph's top-left corner, cut at its edges; the software image is
// left behind. -1 without textures.
int TransferRasterToTextures(GraphRecord* record, const RasterImage& image, int width);
// A rectangle of the device's current target copied into a graph's textures,
// on the device. -1 without textures or a device.
int CopyTargetIntoGraph(platform::gpu::TextureId target, const DrawRect& rect, GraphRecord* record);
// The blend texture of a graph used as blend graph: one texture whose alpha
// holds, at each texel, the byte the software road reads there as the blend
// value; and the scale from graph pixels to its coordinates.
void BlendChannelTexture(const GraphRecord* blend, platform::gpu::TextureId* texture, float* scaleX, float* scaleY);
void ReleaseBlendChannelTexture();
// A software image's top-left width x height as 0xAARRGGBB, its transparent
// colour at alpha 0 when it has no alpha of its own.
void ConvertSoftImageToArgb(const SOFTSURFACE& image, int width, int height, std::vector<uint32_t>* out);
}  // namespace detail

}  // namespace veziv
