// The graph table and graph records: allocation under the counted handle
// table, the shared draw info and kept source-file names, software stores,
// sub-graphs, clearing and deletion, and the new-graph settings.
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/images/softsurface_raster.h"

#include <cstring>
#include <memory>
#include <string>

#include "library/foundation/core/helpers.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/start/library_start.h"
#include "library/graphics/device/device_cache.h"
#include "library/graphics/device/graph_textures.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/graph_table_state.h"
#include "library/graphics/graphs/soft_renderer_calls.h"
#include "library/graphics/images/pixel_format.h"
#include "library/graphics/screen/graphics_context.h"

namespace veziv {
namespace {

using detail::GraphState;
using detail::GraphTable;
using detail::NewGraphSettings;

GraphState& State() { return detail::GraphTableState(); }

GraphTable& Table() { return *State().table; }

void DropKeptName(GraphRecord* record) {
  KeptGraphName* name = record->sourceFile;
  record->sourceFile = nullptr;
  if (name && --name->references <= 0) FreeLibMemory(name);
}


void ReleaseDrawInfo(GraphDrawInfo* info) {
  if (--info->references > 0) return;
  detail::ReleaseStoreTextures(info);
  SoftSurfaceRelease(&info->surface);
  FreeLibMemory(info);
}

// Makes the record's view onto its draw info's image, and its pieces of the
// store's textures when the store has them.
int CreateTextureDrawInfo(GraphRecord* record) {
  if (!record->drawInfo) return -1;
  if (SoftSurfaceMakeView(&record->view, &record->drawInfo->surface, record->offsetX, record->offsetY, record->width,
                          record->height) != 0)
    return -1;
  return detail::BuildGraphPieces(record);
}

}  // namespace

GraphHandle AllocGraphHandle() {
  GraphTable& table = Table();
  const GraphHandle handle = table.Create();
  if (handle < 0) return -1;
  GraphRecord* record = table.Get(handle);
  record->check = HandleCheck(handle);
  record->handle = handle;
  record->movie = -1;
  return handle;
}

GraphRecord* GetGraphRecord(GraphHandle handle) { return Table().Get(handle); }

int IsGraphHandleValid(GraphHandle handle) { return Table().IsValid(handle) ? 1 : 0; }

int QueryGraphDimensions(GraphHandle handle, int* width, int* height) {
  int w = 0, h = 0;
  if (handle == kTargetBackScreen || handle == kTargetAutoPresent) {
    w = detail::Screen().width;
    h = detail::Screen().height;
  } else {
    const GraphRecord* record = GetGraphRecord(handle);
    if (!record) return -1;
    w = record->width;
    h = record->height;
  }
  if (width) *width = w;
  if (height) *height = h;
  return 0;
}

int GraphCanBeDrawnInto(const GraphRecord& record) {
  if (!record.drawInfo) return 0;
  return record.drawInfo->tiles == nullptr || detail::StoreTexturesTakeDraws(*record.drawInfo) ? 1 : 0;
}

int AttachGraphLossFlag(GraphHandle handle, int* flag) {
  GraphRecord* record = GetGraphRecord(handle);
  if (!record) return -1;
  record->lostFlag = flag;
  if (flag) *flag = 0;
  return 0;
}

int RegisterGraphSourceFile(GraphHandle handle, const char* fileName, GraphHandle other) {
  GraphRecord* record = GetGraphRecord(handle);
  if (!record) return -1;
  DropKeptName(record);
  if (fileName) {
    std::string path;
    BuildFullPath(fileName, &path, nullptr);
    auto* name = static_cast<KeptGraphName*>(AllocLibMemory(offsetof(KeptGraphName, path) + path.size() + 1));
    if (!name) return WriteLogText("転送する画像ファイルのファイル名を保存するメモリ領域の確保に失敗しました\n");
    name->references = 1;
    std::memcpy(name->path, path.c_str(), path.size() + 1);
    record->sourceFile = name;
    return 0;
  }
  if (other == -1) return 0;
  GraphRecord* source = GetGraphRecord(other);
  if (!source) return -1;
  record->sourceFile = source->sourceFile;
  if (record->sourceFile) ++record->sourceFile->references;
  return 0;
}

int CreateGraphSurface(GraphHandle handle, int width, int height, int alphaFlag, int paletteFlag,
                       int compressedFormat, int mipLevels) {
  GraphRecord* record = GetGraphRecord(handle);
  if (!record) return -1;
  const NewGraphSettings& settings = State().settings;
  const bool device = detail::GpuDevice() != nullptr;
  GraphCreateRequest request{};
  request.textureBacked = device ? 1 : 0;
  request.defaultPool = static_cast<uint8_t>(settings.defaultPool != 0);
  request.compressedFormat = static_cast<uint8_t>(compressedFormat);
  request.mipLevels = static_cast<uint8_t>(mipLevels != -1 ? mipLevels : 1);
  if (settings.movieSurfaceMode == 1) {
    request.renderTarget = 1;
    request.alpha = 0;
    request.transColorUse = 0;
    request.defaultPool = 1;
    request.mipLevels = 0;
  } else {
    request.transColorUse = static_cast<uint8_t>(settings.transColorUse != 0);
    request.alpha = static_cast<uint8_t>(alphaFlag != 0);
    request.renderTarget = 0;
  }
  request.palette = static_cast<uint8_t>(paletteFlag != 0);
  // The software image keeps the new-graph depth, else the screen's.
  const int imageBits = settings.bitDepth != 0 ? settings.bitDepth : detail::Screen().bits;
  if (device) {
    request.colorBits = static_cast<uint8_t>(settings.bitDepth != 0 ? settings.bitDepth : alphaFlag == 1 ? 32 : detail::Screen().bits);
    request.systemMemory = 0;
    if (request.alpha) request.transColorUse = 0;
  } else {
    request.colorBits = static_cast<uint8_t>(imageBits);
    request.compressedFormat = 0;
    request.systemMemory = 1;
    request.defaultPool = 0;
    request.renderTarget = 1;
    request.mipLevels = 0;
    request.transColorUse = 0;
  }

  auto* info = static_cast<GraphDrawInfo*>(AllocLibMemoryZeroed(sizeof(GraphDrawInfo)));
  if (!info) {
    FreeGraphHandle(handle, 0);
    return WriteLogText("グラフィックのオリジナル画像データ保存用メモリの確保に失敗しました\n");
  }
  info->request = request;
  info->transparentColor = settings.transparentColor;
  info->width = width;
  info->height = height;
  info->references = 1;
  record->drawInfo = info;
  record->offsetX = 0;
  record->offsetY = 0;
  record->width = width;
  record->height = height;

  const int type = imageBits == 16 ? kSoftType16 : kSoftType32;
  info->pixelType = device ? TextureTypeForRequest(request) : (type == kSoftType16 ? 15 : 17) + request.alpha;
  info->mipLevels = request.mipLevels;
  const uint32_t transparentValue =
      request.palette ? 0xFFFFu
                      : FindColorCodeForImage(SoftSurfacePixelFormat(type, request.alpha, 0),
                                              int(settings.transparentColor >> 16 & 0xFF),
                                              int(settings.transparentColor >> 8 & 0xFF),
                                              int(settings.transparentColor & 0xFF), 0);
  // Every store gets the extra planes, so that an image loaded into it whole
  // builds its run table and alpha plane.
  if (SoftSurfaceCreate(&info->surface, width, height, -1, transparentValue, type, request.palette, request.alpha,
                        1, nullptr) != 0) {
    WriteLogText("メモリイメージの作成に失敗しました\n");
    FreeGraphHandle(handle, 0);
    return -1;
  }
  // With a device the image gets its textures too.
  if (device && detail::CreateStoreTextures(info) != 0) {
    FreeGraphHandle(handle, 0);
    return -1;
  }
  if (CreateTextureDrawInfo(record) != 0) {
    FreeGraphHandle(handle, 0);
    return -1;
  }
  return 0;
}

GraphHandle CreateEmptyGraph(int width, int height, int) {
  detail::GraphicsCalls().wait_while_window_inactive();
  const GraphHandle handle = AllocGraphHandle();
  if (handle < 0) return -1;
  if (CreateGraphSurface(handle, width, height, State().settings.blankGraphAlpha, 0, 0, -1) != 0) return -1;
  return handle;
}

int SetupSubGraphView(GraphHandle handle, GraphHandle sourceHandle, int x, int y, int width, int height) {
  GraphRecord* record = GetGraphRecord(handle);
  GraphRecord* source = GetGraphRecord(sourceHandle);
  if (!record || !source || !source->drawInfo) return -1;
  record->drawInfo = source->drawInfo;
  ++record->drawInfo->references;
  RegisterGraphSourceFile(handle, nullptr, sourceHandle);
  record->sourceX = source->sourceX + x;
  record->sourceY = source->sourceY + y;
  record->sourceOption = source->sourceOption;
  record->offsetX = source->offsetX + x;
  record->offsetY = source->offsetY + y;
  record->width = width;
  record->height = height;
  return CreateTextureDrawInfo(record);
}

GraphHandle MakeSubGraph(int x, int y, int width, int height, GraphHandle source) {
  // Suppressed drawing makes no graph; -1 is the failure every caller tests.
  if (IsDrawingSuppressed()) return -1;
  const GraphRecord* src = GetGraphRecord(source);
  if (!src) return -1;
  if (x < 0 || y < 0 || x >= src->width || y >= src->height) return -1;
  if (width > src->width - x) width = src->width - x;
  if (height > src->height - y) height = src->height - y;
  const GraphHandle handle = AllocGraphHandle();
  if (handle < 0) return -1;
  if (SetupSubGraphView(handle, source, x, y, width, height) != 0) {
    FreeGraphHandle(handle, 0);
    return -1;
  }
  return handle;
}

int ClearGraphToColor(GraphHandle handle, int r, int g, int b, int) {
  GraphRecord* record = GetGraphRecord(handle);
  if (!record) return -1;
  auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
  const uint32_t colour = PackColorForScreen(clamp(r), clamp(g), clamp(b));
  SoftDrawSnapshot draw;
  FillSoftDrawSnapshot(&draw);
  // The fill covers the whole graph whatever the current target's draw area is.
  draw.drawArea = DrawRect{0, 0, record->width, record->height};
  if (SoftRenderer().fillBox) SoftRenderer().fillBox(&record->view, &draw.drawArea, colour, draw);
  // The textures take the filled image over the graph's rectangle, key
  // colour and alpha as the image has them.
  const DrawRect rect{record->offsetX, record->offsetY, record->offsetX + record->width, record->offsetY + record->height};
  detail::MarkStoreStale(record->drawInfo, &rect);
  return 0;
}

int FreeGraphHandle(GraphHandle handle, int) {
  GraphRecord* record = GetGraphRecord(handle);
  if (!record) return -1;
  detail::GraphicsCalls().close_movie(record->movie);
  SoftSurfaceRelease(&record->view);
  detail::FreeGraphPieces(record);
  if (record->drawInfo) ReleaseDrawInfo(record->drawInfo);
  record->drawInfo = nullptr;
  FreeLibMemory(record->ownedBuffer[0]);
  FreeLibMemory(record->ownedBuffer[1]);
  record->ownedBuffer[0] = record->ownedBuffer[1] = nullptr;
  RegisterGraphSourceFile(handle, nullptr, -1);
  if (record->lostFlag) *record->lostFlag = 1;
  return Table().Delete(handle);
}

int FreeAllGraphHandles(int) {
  if (!detail::Screen().started) return 0;
  Table().DeleteAll([](GraphHandle handle) { FreeGraphHandle(handle, 0); });
  return 0;
}

int SetNewGraphBitDepth(int bits) {
  State().settings.bitDepth = bits;
  return 0;
}
int GetNewGraphBitDepth() { return State().settings.bitDepth; }
int SetNewGraphMovieSurfaceMode(int flag) {
  State().settings.movieSurfaceMode = flag;
  return 0;
}
int GetNewGraphMovieSurfaceMode() { return State().settings.movieSurfaceMode; }
int SetTransColorUseFlag(int flag) {
  State().settings.transColorUse = flag;
  return 0;
}
int GetTransColorUseFlag() { return State().settings.transColorUse; }
int SetBlankGraphAlphaFlag(int flag) {
  State().settings.blankGraphAlpha = flag;
  return 0;
}
int GetBlankGraphAlphaFlag() { return State().settings.blankGraphAlpha; }
int SetGraphCreateOptionWord(int word) {
  State().settings.createOptionWord = word;
  return 0;
}
int GetGraphCreateOptionWord() { return State().settings.createOptionWord; }
int SetNewGraphDefaultPoolFlag(int flag) {
  State().settings.defaultPool = flag;
  return 0;
}
int GetNewGraphDefaultPoolFlag() { return State().settings.defaultPool; }

int SetTransparentColorRGB(int r, int g, int b) {
  if (detail::Screen().bits == 8) return 0;
  State().settings.transparentColor = uint32_t(r & 0xFF) << 16 | uint32_t(g & 0xFF) << 8 | uint32_t(b & 0xFF);
  return 0;
}

int GetTransparentColorRGB(int* r, int* g, int* b) {
  if (detail::Screen().bits == 8) return -1;
  const uint32_t c = State().settings.transparentColor;
  if (r) *r = int(c >> 16 & 0xFF);
  if (g) *g = int(c >> 8 & 0xFF);
  if (b) *b = int(c & 0xFF);
  return 0;
}

namespace detail {

void SetSingleTextureWish(int flag) { State().settings.singleTextureWish = flag; }
int SingleTextureWished() { return State().settings.singleTextureWish; }
int GraphCount() { return Table().Count(); }
int GraphEndMark() { return Table().EndIndex(); }
GraphHandle GraphHandleAtSlot(int slot) { return Table().HandleAt(slot); }

void EmptyGraphTable() {
  Table().DeleteAll([](GraphHandle handle) { FreeGraphHandle(handle, 0); });
}

GraphState& GraphTableState() {
  static GraphState state;
  return state;
}

}  // namespace detail
}  // namespace veziv
