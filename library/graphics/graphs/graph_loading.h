// Making graphs from image files and from images held in memory: the colour
// image with its "_a" alpha companion, mirrored on request, a file cut into
// equal pieces, a file no image reader accepts opened as a movie, and an
// existing graph refilled from memory.
#pragma once

#include "library/graphics/device/graph_textures.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/images/raster_image.h"
#include "library/veziv.h"

namespace veziv {
namespace detail {

// A colour image and its alpha companion, freed when the pair goes or is loaded again.
struct LoadedImagePair {
  RasterImage colour{};
  RasterImage alpha{};
  bool hasAlpha = false;
  // A compressed colour picture's blocks, kept when the device shows them as
  // they are (and no alpha companion changes the picture).
  DeviceBlocks blocks;

  LoadedImagePair() = default;
  LoadedImagePair(const LoadedImagePair&) = delete;
  LoadedImagePair& operator=(const LoadedImagePair&) = delete;
  ~LoadedImagePair();
  RasterImage* Alpha() { return hasAlpha ? &alpha : nullptr; }
  void Free();
  // From the file (with its "_a" companion) when fileName is given, else from
  // the two memory blocks, with the loaders' option word; block-compressed
  // pictures come back decoded (their blocks kept aside as above). false
  // when the colour image does not load.
  bool Load(const char* fileName, const void* data, int size, const void* alphaData, int alphaSize, int option);
};

// Where loading reaches the movie player. The defaults open nothing, so that
// a file no image reader accepts fails to load until the player puts its own
// functions in.
struct MovieLoaderHooks {
  // The movie's handle and frame size, or -1.
  int (*create_movie_from_file)(const char* fileName, int* width, int* height, int option);
  // 1 when the movie's frames carry alpha.
  int (*movie_has_alpha)(int movie);
  // Makes each new frame of the movie refresh the graph.
  void (*set_movie_frame_callback)(int movie, GraphHandle graph);
};

MovieLoaderHooks& MovieLoaderCalls();
// The call sites before the player puts its own in: no movie opens.
const MovieLoaderHooks& NoMoviePlayerCalls();

}  // namespace detail
}  // namespace veziv
