// Graphs from image files and memory: loading the colour image and its alpha
// companion, building and filling graphs from them, cutting a file into
// pieces, and opening a file no image reader accepts as a movie graph.
#include "library/graphics/graphs/graph_loading.h"

#include <climits>
#include <cstdint>

#include "library/foundation/core/random.h"
#include "library/foundation/files/file_functions.h"
#include "library/foundation/files/read_budget.h"
#include "library/foundation/memory_log/log.h"
#include "library/graphics/images/image_loaders.h"
#include "library/graphics/images/raster_image.h"
#include "library/graphics/screen/graphics_context.h"

namespace veziv {
namespace detail {
namespace {

int NoMovie(const char*, int*, int*, int) { return -1; }
int NoMovieAlpha(int) { return 0; }
void NoFrameCallback(int, GraphHandle) {}

constexpr MovieLoaderHooks kNoMoviePlayer = {
    .create_movie_from_file = NoMovie,
    .movie_has_alpha = NoMovieAlpha,
    .set_movie_frame_callback = NoFrameCallback,
};

}  // namespace

MovieLoaderHooks& MovieLoaderCalls() {
  static MovieLoaderHooks state = kNoMoviePlayer;
  return state;
}
const MovieLoaderHooks& NoMoviePlayerCalls() { return kNoMoviePlayer; }

LoadedImagePair::~LoadedImagePair() { Free(); }

void LoadedImagePair::Free() {
  FreeRasterImage(&colour);
  FreeRasterImage(&alpha);
  colour = RasterImage{};
  alpha = RasterImage{};
  hasAlpha = false;
  blocks = DeviceBlocks{};
}

bool LoadedImagePair::Load(const char* fileName, const void* data, int size, const void* alphaData, int alphaSize,
                           int option) {
  Free();
  // The graph's store takes 32 bits a pixel: the readers refuse from the
  // header what the store would refuse after decoding.
  const ScopedPictureStore store(4);
  const int memory = fileName ? 0 : 1;
  const int result = LoadRasterImageWithAlpha(fileName, data, size, memory, alphaData, alphaSize, memory, &colour,
                                              &alpha, option);
  hasAlpha = result == 0;
  if (result == -1) return false;
  if (!hasAlpha) blocks.Keep(colour);
  // The software store holds plain pixels only.
  if (DecompressRasterImageDxt(&colour) != 0 || (hasAlpha && DecompressRasterImageDxt(&alpha) != 0)) {
    Free();
    return false;
  }
  return true;
}

}  // namespace detail

namespace {

// The screen record this file reads.
bool GraphicsStarted() { return detail::Screen().started != 0; }
int ScreenColourBits() { return detail::Screen().bits; }

void WaitWhileInactive() { detail::GraphicsCalls().wait_while_window_inactive(); }

// A log line whose text ends the way the caller wrote it.
void LogWithName(const char* format, const char* name) {
  char text[1024];
  if (FormatText(text, sizeof text, format, name) >= 0) WriteLogText(text);
}

// The software store holds plain pixels only, and the mirror turns stored
// pixels, so a block-compressed image is decoded first.
int MakePlain(RasterImage* image) { return image ? DecompressRasterImageDxt(image) : 0; }

int MirrorImages(RasterImage* colour, RasterImage* alpha) {
  if (MakePlain(colour) != 0 || MirrorRasterImage(colour) != 0) return -1;
  if (alpha && (MakePlain(alpha) != 0 || MirrorRasterImage(alpha) != 0)) return -1;
  return 0;
}

// The transparent colour, put back when the keeper goes.
struct KeptTransparentColour {
  int r = 0, g = 0, b = 0;
  bool kept;
  KeptTransparentColour() : kept(GetTransparentColorRGB(&r, &g, &b) == 0) {}
  ~KeptTransparentColour() {
    if (kept) SetTransparentColorRGB(r, g, b);
  }
};

// The new-graph settings a movie graph is made with, put back afterwards.
struct KeptNewGraphSettings {
  int bits = GetNewGraphBitDepth();
  int optionWord = GetGraphCreateOptionWord();
  int defaultPool = GetNewGraphDefaultPoolFlag();
  int transColorUse = GetTransColorUseFlag();
  int movieSurfaceMode = GetNewGraphMovieSurfaceMode();

  void Restore() const {
    SetNewGraphBitDepth(bits);
    SetGraphCreateOptionWord(optionWord);
    SetNewGraphDefaultPoolFlag(defaultPool);
    SetTransColorUseFlag(transColorUse);
    SetNewGraphMovieSurfaceMode(movieSurfaceMode);
  }
};

// A file that exists but that no image reader accepts: a graph showing the
// movie's frames.
GraphHandle ImportMovieGraph(const char* fileName, int option) {
  const KeptNewGraphSettings kept;
  detail::MovieLoaderHooks& movies = detail::MovieLoaderCalls();
  int width = 0, height = 0;
  const int movie = movies.create_movie_from_file(fileName, &width, &height, option);
  if (movie == -1) {
    LogWithName("右記のグラフィックファイルのロードに失敗しました：%s \n", fileName);
    return -1;
  }
  SetNewGraphBitDepth(ScreenColourBits());
  SetGraphCreateOptionWord(1);
  detail::SetSingleTextureWish(1);  // stays set: movies want one texture from now on
  SetTransColorUseFlag(0);
  SetNewGraphDefaultPoolFlag(1);
  SetNewGraphMovieSurfaceMode(1);
  GraphHandle handle = AllocGraphHandle();
  // A failed creation deletes the handle itself.
  if (handle != -1 && CreateGraphSurface(handle, width, height, movies.movie_has_alpha(movie), 0, 0, -1) != 0)
    handle = -1;
  if (handle == -1)
    WriteLogFormat("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：%s", fileName);
  kept.Restore();
  if (handle == -1) {
    detail::GraphicsCalls().close_movie(movie);
    return -1;
  }
  GetGraphRecord(handle)->movie = movie;
  movies.set_movie_frame_callback(movie, handle);
  return handle;
}

// A graph for the picture colour (with its alpha companion), whose textures
// take the block format compressedKind (0 for plain pixels) with levelCount
// mip levels (0 for one).
GraphHandle BuildGraphOfKind(const RasterImage* colour, const RasterImage* alpha, int compressedKind,
                             int levelCount);

// The blocks a graph's texture takes from the picture: none when the plain
// pixels must go there (an alpha companion, a mirror), those the loader kept,
// else the picture's own, kept in *own.
const DeviceBlocks& BlocksFor(const RasterImage& colour, bool plainNeeded, const DeviceBlocks* loaded,
                              DeviceBlocks* own) {
  if (!plainNeeded && loaded) return *loaded;
  if (!plainNeeded) own->Keep(colour);
  return *own;
}

// A picture made ready to fill a graph: the blocks its texture takes (see
// BlocksFor) kept, its pixels made plain and mirrored here when asked. The
// mirror is undone, and the transparent colour put back, when it goes.
class PreparedPicture {
 public:
  PreparedPicture(RasterImage* colour, RasterImage* alpha, int reverse, int mirrorHere, const DeviceBlocks* loaded)
      : colour_(colour),
        alpha_(alpha),
        mirror_(reverse == 1 && mirrorHere == 1),
        blocks_(BlocksFor(*colour, alpha || mirror_, loaded, &own_)) {
    ready_ = MakePlain(colour) == 0 && MakePlain(alpha) == 0 && (!mirror_ || MirrorImages(colour, alpha) == 0);
  }
  ~PreparedPicture() {
    if (ready_ && mirror_) MirrorImages(colour_, alpha_);
  }
  PreparedPicture(const PreparedPicture&) = delete;
  PreparedPicture& operator=(const PreparedPicture&) = delete;

  bool Ready() const { return ready_; }
  const DeviceBlocks& Blocks() const { return blocks_; }
  // The graph's textures take the blocks when the picture gave any.
  void GiveBlocks(GraphHandle handle) const {
    if (blocks_.Kind() != 0) TransferBlocksToTexture(handle, blocks_.image);
  }

 private:
  const KeptTransparentColour keptColour_;
  RasterImage* colour_;
  RasterImage* alpha_;
  bool mirror_;
  DeviceBlocks own_;
  const DeviceBlocks& blocks_;
  bool ready_ = false;
};

// A graph from the picture, mirrored here when asked; a compressed picture
// the device shows as it is gives its texture the blocks.
GraphHandle BuildGraphKeepingBlocks(RasterImage* colour, RasterImage* alpha, int reverse, int mirrorHere,
                                    const DeviceBlocks* loaded) {
  if (!colour) return -1;
  const PreparedPicture picture(colour, alpha, reverse, mirrorHere, loaded);
  if (!picture.Ready()) return -1;
  const DeviceBlocks& blocks = picture.Blocks();
  const int levels = blocks.Kind() != 0 ? blocks.image.levelCount : colour->levelCount;
  GraphHandle handle = BuildGraphOfKind(colour, alpha, blocks.Kind(), levels);
  if (handle != -1 && SetGraphicSourceImage(colour, alpha, 0, 0, handle, 0, nullptr) != 0) {
    FreeGraphHandle(handle, 0);
    handle = -1;
  }
  if (handle != -1) picture.GiveBlocks(handle);
  return handle;
}

// The blocks the loader kept, unless the loaded pixels were mirrored since.
const DeviceBlocks* BlocksUnlessMirrored(const detail::LoadedImagePair& images, int reverse) {
  return reverse == 1 ? nullptr : &images.blocks;
}

// A graph refilled from the picture (of the graph's size), with the blocks as
// for a new graph.
int RebuildKeepingBlocks(RasterImage* colour, RasterImage* alpha, GraphHandle handle, int option, int reverse,
                         int mirrorHere, const DeviceBlocks* loaded) {
  const GraphRecord* record = GetGraphRecord(handle);
  if (!record || !colour) return -1;
  if (colour->width != record->width || colour->height != record->height) return -1;
  if (alpha && (alpha->width != record->width || alpha->height != record->height)) return -1;
  const PreparedPicture picture(colour, alpha, reverse, mirrorHere, loaded);
  if (!picture.Ready()) return -1;
  if (SetGraphicSourceImage(colour, alpha, 0, 0, handle, option, nullptr) != 0) return -1;
  picture.GiveBlocks(handle);
  return 0;
}

// The picture made into a graph cut into count pieces (see SplitRasterIntoGraphs).
int SplitKeepingBlocks(RasterImage* colour, RasterImage* alpha, int count, int across, int down, int width,
                       int height, GraphHandle* handles, const DeviceBlocks* loaded, int reverse = 0);

// A coordinate of the division, or -1 (which no image holds) when it leaves
// the int range.
int PieceCoordinate(int64_t value) { return value < 0 || value > INT_MAX ? -1 : int(value); }

// Cuts up to count pieces out of whole into handles, row by row; the number
// made, which stops at the first piece that fails.
int CutPieces(GraphHandle whole, int count, int across, int down, int width, int height, int reverse,
              GraphHandle* handles) {
  const int64_t firstX = reverse == 1 ? (int64_t(across) - 1) * width : 0;
  const int64_t stepX = reverse == 1 ? -int64_t(width) : int64_t(width);
  int made = 0;
  for (int row = 0; row < down && made < count; ++row) {
    const int y = PieceCoordinate(int64_t(row) * height);
    for (int column = 0; column < across && made < count; ++column) {
      const GraphHandle piece = MakeSubGraph(PieceCoordinate(firstX + column * stepX), y, width, height, whole);
      if (piece == -1) return made;
      handles[made++] = piece;
    }
  }
  return made;
}

}  // namespace

GraphHandle ImportGraphFile(const char* fileName, int flag) {
  return ImportGraphFileToHandle(fileName, flag == 0 ? 1 : 0, 0, 0);
}

GraphHandle ImportGraphFileToHandle(const char* fileName, int, int reverse, int movieOption) {
  if (!GraphicsStarted() || !fileName) return -1;
  WaitWhileInactive();
  detail::LoadedImagePair images;
  if (images.Load(fileName, nullptr, 0, nullptr, 0, 0)) {
    if (reverse == 1 && MirrorImages(&images.colour, images.Alpha()) != 0) return -1;
    const GraphHandle handle =
        BuildGraphKeepingBlocks(&images.colour, images.Alpha(), reverse, 0, BlocksUnlessMirrored(images, reverse));
    if (handle != -1) RegisterGraphSourceFile(handle, fileName, -1);
    return handle;
  }
  const FileHandle file = FileStreamOpen(fileName, 0, 1, 0);
  if (file == 0) {
    WriteLogFormat("グラフィックファイル %s がありません", fileName);
    return -1;
  }
  FileStreamClose(file);
  return ImportMovieGraph(fileName, movieOption);
}

GraphHandle BuildGraphFromRasterEx(RasterImage* colour, RasterImage* alpha, int, int reverse, int mirrorHere) {
  return BuildGraphKeepingBlocks(colour, alpha, reverse, mirrorHere, nullptr);
}

GraphHandle BuildGraphFromRaster(const RasterImage* colour, const RasterImage* alpha) {
  return colour ? BuildGraphOfKind(colour, alpha, int(colour->format.compressedKind), colour->levelCount) : -1;
}

namespace {

GraphHandle BuildGraphOfKind(const RasterImage* colour, const RasterImage* alpha, int compressedKind,
                             int levelCount) {
  if (!GraphicsStarted() || !colour) return -1;
  WaitWhileInactive();
  if (alpha && (alpha->width != colour->width || alpha->height != colour->height)) return -1;
  // The store keeps up to 32 bits a pixel in each of its planes: a picture
  // whose plane would not fit the readers' budget is refused here, before
  // anything is made or converted.
  if (!detail::PictureFitsReadBudget(colour->width, colour->height, 4)) return -1;
  const GraphHandle handle = AllocGraphHandle();
  if (handle == -1) return -1;
  const PixelFormatDesc& format = colour->format;
  const int alphaFlag = format.alphaWidth != 0 || alpha ? 1 : 0;
  const int paletteFlag = format.bytesPerPixel == 1 && !alphaFlag ? 1 : 0;
  const int mipLevels = levelCount != 0 ? levelCount : -1;
  if (CreateGraphSurface(handle, colour->width, colour->height, alphaFlag, paletteFlag, compressedKind, mipLevels) != 0)
    return -1;
  return handle;
}

}  // namespace

int ImportGraphFileAsPieces(const char* fileName, int count, int across, int down, int width, int height,
                            GraphHandle* handles, int) {
  if (!fileName) return -1;
  WaitWhileInactive();
  detail::LoadedImagePair images;
  if (!images.Load(fileName, nullptr, 0, nullptr, 0, 0)) {
    WriteLogFormat("右記のグラフィックファイルのロードに失敗しました：%s", fileName);
    return -1;
  }
  const int result = SplitKeepingBlocks(&images.colour, images.Alpha(), count, across, down, width, height, handles,
                                        &images.blocks);
  if (result == 0)
    for (int i = 0; i < count; ++i) RegisterGraphSourceFile(handles[i], fileName, -1);
  return result;
}

int SplitRasterIntoGraphs(RasterImage* colour, RasterImage* alpha, int count, int across, int down, int width,
                          int height, GraphHandle* handles, int, int reverse, int) {
  return SplitKeepingBlocks(colour, alpha, count, across, down, width, height, handles, nullptr, reverse);
}

namespace {

int SplitKeepingBlocks(RasterImage* colour, RasterImage* alpha, int count, int across, int down, int width,
                       int height, GraphHandle* handles, const DeviceBlocks* loaded, int reverse) {
  if (count > 0 && !handles) return -1;
  const GraphHandle whole = BuildGraphKeepingBlocks(colour, alpha, reverse, 0, loaded);
  const int made = whole == -1 ? 0 : CutPieces(whole, count, across, down, width, height, reverse, handles);
  const bool complete = whole != -1 && made >= count;
  // A failed piece, or rows that ran out before count pieces: no half division
  // is left, and no entry names a deleted graph.
  if (!complete) {
    if (whole != -1) WriteLogText("グラフィックの分割に失敗しました in SplitRasterIntoGraphs\n");
    for (int i = 0; i < count; ++i) {
      if (i < made) FreeGraphHandle(handles[i], 0);
      handles[i] = -1;
    }
  }
  // The pieces share the whole graph's store and keep it alive.
  if (whole != -1) FreeGraphHandle(whole, 0);
  return complete ? 0 : -1;
}

}  // namespace

GraphHandle DecodeGraphFromBuffer(const void* data, int size, const void* alphaData, int alphaSize, int,
                                  int reverse) {
  detail::LoadedImagePair images;
  if (!images.Load(nullptr, data, size, alphaData, alphaSize, 0)) return -1;
  if (reverse == 1 && MirrorImages(&images.colour, images.Alpha()) != 0) return -1;
  return BuildGraphKeepingBlocks(&images.colour, images.Alpha(), reverse, 0, BlocksUnlessMirrored(images, reverse));
}

int RedecodeGraphFromBuffer(const void* data, int size, GraphHandle handle, const void* alphaData, int alphaSize,
                            int option, int reverse) {
  detail::LoadedImagePair images;
  if (!images.Load(nullptr, data, size, alphaData, alphaSize, 0)) return -1;
  if (reverse == 1 && MirrorImages(&images.colour, images.Alpha()) != 0) return -1;
  return RebuildKeepingBlocks(&images.colour, images.Alpha(), handle, option, reverse, 0,
                              BlocksUnlessMirrored(images, reverse));
}

int RebuildGraphFromRaster(RasterImage* colour, RasterImage* alpha, GraphHandle handle, int option, int reverse,
                           int mirrorHere) {
  return RebuildKeepingBlocks(colour, alpha, handle, option, reverse, mirrorHere, nullptr);
}

}  // namespace veziv
