// Making graphs from image files and from images held in memory: the colour
// image with its "_a" alpha companion, mirrored on request, a file cut into
// equal pieces, a file no image reader accepts opened as a movie, and an
// existing graph refilled from memory.
#pragma once

#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/images/raster_image.h"

namespace veziv {


// The flag arguments marked "no effect" are taken and ignored.

// ImportGraphFileToHandle(fileName, !flag, 0, 0).
GraphHandle ImportGraphFile(const char* fileName, int flag);
// The file and its companion as a new graph that keeps the file name; a file
// no reader accepts becomes a movie graph. reverse 1 mirrors left to right.
// The new handle, or -1.
GraphHandle ImportGraphFileToHandle(const char* fileName, int flag, int reverse, int movieOption);
// A new graph filled with the images (alpha may be null). With reverse and
// mirrorHere both 1 the images are mirrored for the transfer and back after.
// A block-compressed image is decoded to plain pixels on the way.
GraphHandle BuildGraphFromRasterEx(RasterImage* colour, RasterImage* alpha, int flag, int reverse, int mirrorHere);
// A new graph of the colour image's size with storage fitting the images; -1
// also when an alpha image of another size is given.
GraphHandle BuildGraphFromRaster(const RasterImage* colour, const RasterImage* alpha);
// The file cut into count pieces of width x height, row by row; see
// SplitRasterIntoGraphs. 0, or -1.
int ImportGraphFileAsPieces(const char* fileName, int count, int across, int down, int width, int height,
                            GraphHandle* handles, int flag);
// Fills handles[0 .. count-1] with sub-graphs of one graph made from the
// images: at most `down` rows of at most `across` pieces, columns running
// right to left when reverse is 1. 0; -1 when a piece cannot be made or the
// rows run out first, and then every entry is -1 and no piece is left.
int SplitRasterIntoGraphs(RasterImage* colour, RasterImage* alpha, int count, int across, int down, int width,
                          int height, GraphHandle* handles, int flag, int reverse, int unused);
// A new graph from image bytes and optional alpha image bytes (alphaData may
// be null). No file name is kept, so a reload cannot restore it.
GraphHandle DecodeGraphFromBuffer(const void* data, int size, const void* alphaData, int alphaSize, int flag,
                                  int reverse);
// Refills an existing graph of the same size from image bytes. 0, or -1.
int RedecodeGraphFromBuffer(const void* data, int size, GraphHandle handle, const void* alphaData, int alphaSize,
                            int option, int reverse);
// Refills an existing graph from images of its own size, alpha included. 0, or -1.
int RebuildGraphFromRaster(RasterImage* colour, RasterImage* alpha, GraphHandle handle, int option, int reverse,
                           int mirrorHere);

namespace detail {

// A colour image and its alpha companion, freed when the pair goes or is loaded again.
struct LoadedImagePair {
  RasterImage colour{};
  RasterImage alpha{};
  bool hasAlpha = false;

  LoadedImagePair() = default;
  LoadedImagePair(const LoadedImagePair&) = delete;
  LoadedImagePair& operator=(const LoadedImagePair&) = delete;
  ~LoadedImagePair();
  RasterImage* Alpha() { return hasAlpha ? &alpha : nullptr; }
  void Free();
  // From the file (with its "_a" companion) when fileName is given, else from
  // the two memory blocks, with the loaders' option word; block-compressed
  // pictures come back decoded. false when the colour image does not load.
  bool Load(const char* fileName, const void* data, int size, const void* alphaData, int alphaSize, int option);
};

// Where loading reaches the movie player. The defaults open nothing, so that
// a file no image reader accepts fails to load until the player puts its own
// functions in.
struct MovieLoaderCallSites {
  // The movie's handle and frame size, or -1.
  int (*create_movie_from_file)(const char* fileName, int* width, int* height, int option);
  // 1 when the movie's frames carry alpha.
  int (*movie_has_alpha)(int movie);
  // Makes each new frame of the movie refresh the graph.
  void (*set_movie_frame_callback)(int movie, GraphHandle graph);
};

MovieLoaderCallSites& MovieLoaderCalls();
void ResetMovieLoaderCallsForTest();

}  // namespace detail
}  // namespace veziv
