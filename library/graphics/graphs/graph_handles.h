// Graph handles: the table of graph records, the shared pixel holder
// (GraphDrawInfo) of a graph and its sub-graphs, the kept source-file name,
// the settings that shape new graphs, and creating, cutting, clearing and
// deleting graphs. In the software form a graph's store is one SOFTSURFACE and
// each record holds its own view onto it.
#pragma once

#include <cstdint>

#include "library/foundation/core/handles.h"
#include "library/graphics/graphs/graph_tiling.h"
#include "library/softrender/surface/softsurface.h"
#include "library/veziv.h"

namespace veziv {

struct RasterImage;
struct TextureTile;
struct GraphTilePiece;

// A full path shared by a graph and its sub-graphs; the last reference frees it.
struct KeptGraphName {
  int32_t references;
  char path[1];  // allocated to the path's length plus its terminator
};

struct GraphDrawInfo {
  int32_t references;
  int32_t pixelType;  // software: 15, 16 (16-bit with alpha), 17, 18 (32-bit with alpha)
  GraphCreateRequest request;
  uint32_t transparentColor;  // r << 16 | g << 8 | b at creation
  int32_t width;
  int32_t height;
  int32_t mipLevels;
  int32_t tileCount;
  SOFTSURFACE surface;               // the whole image (software form)
  SOFTSURFACE* targetCompanion;      // a software render target's second image, or null
  // The hardware road's copy of the image: tileCount tiles (null without a
  // device), refilled from the software image where it changed (the stale
  // rectangle, in store pixels; empty when none) before the next draw.
  TextureTile* tiles;
  DrawRect staleRect;
  int32_t imageVersion;   // counts the software image's changes
  int32_t drawnOnDevice;  // the textures hold draws the image does not
};

struct GraphRecord {
  int32_t check;
  GraphHandle handle;
  int* lostFlag;
  GraphDrawInfo* drawInfo;
  int32_t movie;  // -1 when none
  KeptGraphName* sourceFile;
  int32_t sourceX;
  int32_t sourceY;
  int32_t sourceOption;
  int32_t offsetX;
  int32_t offsetY;
  int32_t width;
  int32_t height;
  void* ownedBuffer[2];
  SOFTSURFACE view;  // this graph's rectangle of the store (software form)
  int32_t pieceCount;      // what the graph shows of each tile (hardware road)
  GraphTilePiece* pieces;
};

// Table.
GraphHandle AllocGraphHandle();
GraphRecord* GetGraphRecord(GraphHandle handle);
int IsGraphHandleValid(GraphHandle handle);
int RegisterGraphSourceFile(GraphHandle handle, const char* fileName, GraphHandle other);
// 1 when the graph can be a draw target: always on the software road; on the
// device when its textures are not block-compressed.
int GraphCanBeDrawnInto(const GraphRecord& record);

// Creation and deletion.
int CreateGraphSurface(GraphHandle handle, int width, int height, int alphaFlag, int paletteFlag,
                       int compressedFormat, int mipLevels);
int SetupSubGraphView(GraphHandle handle, GraphHandle source, int x, int y, int width, int height);
// Converts srcRect (null: the whole image) of image, with its alpha image when
// given, into the graph at (dstX, dstY), cut at the graph's right and bottom
// edge; keyAlpha gives pixels of the transparent colour alpha 0. Keeps the
// file name and the source position for a reload. 0 for an empty rectangle.
int TransferImageToGraph(const RasterImage* image, const RasterImage* alphaImage, const DrawRect* srcRect, int dstX,
                         int dstY, GraphHandle handle, int sourceOption, const char* fileName, int keyAlpha);
// The graph's size from (x, y) of image, to the graph's top-left corner.
int SetGraphicSourceImage(const RasterImage* image, const RasterImage* alphaImage, int x, int y, GraphHandle handle,
                          int sourceOption, const char* fileName);

namespace detail {
// The single-texture wish (set by the movie loader, never cleared).
void SetSingleTextureWish(int flag);
int SingleTextureWished();
// Live graphs and the end mark of the table.
int GraphCount();
int GraphEndMark();
// The live graph in a slot of the table, or -1.
GraphHandle GraphHandleAtSlot(int slot);
// Graphics start: the table from slot 0 again (any graph left is deleted).
void EmptyGraphTable();
}  // namespace detail

}  // namespace veziv
