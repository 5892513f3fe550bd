// Graph textures on the hardware road. Every graph keeps its software image
// (the store's SOFTSURFACE), which loading, filling, capture and software
// drawing write; with a device the store also holds a set of power-of-two
// textures tiled over that image, refilled from it before the next draw
// whenever it changed, and each graph record holds the pieces of the tiles it
// shows, with ready-made positions and texture coordinates.
#pragma once

#include <cstdint>

#include "library/graphics/graphs/graph_handles.h"
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
// software image into its textures. -1 for a bad handle, before graphics
// start or without a device; 0 for an empty rectangle.
int TransferImageToTexture(GraphHandle handle, int x, int y, int width, int height);

namespace detail {
// Graph creation with a device: the store's tiles laid out and their textures
// made. -1 when they cannot be (the graph stays usable on the software road).
int CreateStoreTextures(GraphDrawInfo* info);
// The record's pieces from its offset and size in the store (none without tiles).
int BuildGraphPieces(GraphRecord* record);
void FreeGraphPieces(GraphRecord* record);
// Graph deletion: companion, textures and tiles of a store about to be freed.
void ReleaseStoreTextures(GraphDrawInfo* info);
// Refills a stale store's textures from its software image.
void RefreshStaleTextures(GraphDrawInfo* info);
}  // namespace detail

}  // namespace veziv
