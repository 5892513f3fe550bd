// Movies shown in graphs: the frame hand-over into a graph's store (its
// textures on the device, its software image otherwise), and the three calls
// the game makes on a movie graph.
#include <algorithm>
#include <cstring>

#include "library/graphics/device/graph_textures.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/images/softsurface_raster.h"
#include "library/sound_movie/movie/movie_handles.h"

namespace veziv {

void MovieFrameToGraphCallback(MovieHandleData* movie, int graph) {
  GraphRecord* record = GetGraphRecord(graph);
  if (movie == nullptr || record == nullptr || record->drawInfo == nullptr) return;
  if (movie->theora && FetchTheoraFrame(movie->decoder, 1, 0) != 1) return;
  const RasterImage* frame = movie->frameImage;
  if (frame == nullptr || frame->pixels == nullptr) return;
  // A store with textures takes each new frame into them straight away.
  if (record->drawInfo->tiles != nullptr) {
    detail::TransferRasterToTextures(record, *frame, frame->width);
    return;
  }
  SOFTSURFACE& store = record->drawInfo->surface;
  SoftSurfaceShared* block = store.base;
  const int width = std::min(record->width, frame->width);
  const int height = std::min(record->height, frame->height);
  if (width <= 0 || height <= 0) return;
  if (block->type == kSoftType32 && !block->alphaFlag && !block->paletteFlag && frame->format.bytesPerPixel == 4 &&
      frame->format.alphaMask == 0) {
    // The same layout: rows as they are.
    for (int row = 0; row < height; ++row) {
      std::memcpy(record->view.pixels + static_cast<ptrdiff_t>(row) * block->pitch,
                  static_cast<const uint8_t*>(frame->pixels) + static_cast<ptrdiff_t>(row) * frame->pitch,
                  static_cast<size_t>(width) * 4);
    }
    block->runTableValid = 0;
    return;
  }
  SoftSurfaceFromRaster(frame, nullptr, &store, 0, 0, width, height, record->offsetX, record->offsetY, 0);
}

int StartGraphMovie(GraphHandle graph, int playType, int resumeOnly) {
  const GraphRecord* record = GetGraphRecord(graph);
  if (record == nullptr) return -1;
  return record->movie == -1 ? 0 : StartMoviePlayback(record->movie, playType, resumeOnly);
}

int SuspendGraphMovie(GraphHandle graph, int keepPlaying) {
  const GraphRecord* record = GetGraphRecord(graph);
  if (record == nullptr) return -1;
  return record->movie == -1 ? 0 : SuspendMovie(record->movie, keepPlaying);
}

int ReadGraphMovieStatus(GraphHandle graph) {
  const GraphRecord* record = GetGraphRecord(graph);
  if (record == nullptr) return -1;
  return record->movie == -1 ? 0 : ReadMovieStatus(record->movie);
}

}  // namespace veziv
