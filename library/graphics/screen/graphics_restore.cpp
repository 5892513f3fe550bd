// The restore callback, the built-in reload of graphs from their files and
// the recovery after a device loss on the software road.
#include "library/graphics/screen/graphics_restore.h"

#include <string>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/start/library_start.h"
#include "library/graphics/device/draw_backend.h"
#include "library/graphics/device/gpu_setup.h"
#include "library/graphics/device/graph_textures.h"
#include "library/graphics/device/model_support.h"
#include "library/graphics/graphs/drawers.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/graphs/lights_camera.h"
#include "library/graphics/graphs/graph_loading.h"
#include "library/graphics/graphs/mask_screen.h"
#include "library/graphics/screen/graphics_context.h"
#include "library/graphics/screen/screen_mode.h"

namespace veziv {
namespace {

detail::GraphicsRestoreRecord& State() { return detail::GraphicsRestoreState(); }

bool GraphicsStarted() { return detail::Screen().started != 0; }

// The images of the file loaded last, with the name and option word they came from.
struct LoadedFile {
  std::string name;
  int option = 0;
  bool valid = false;
  detail::LoadedImagePair images;

  bool Holds(const std::string& file, int word) const { return valid && name == file && option == word; }
  bool Load(const std::string& file, int word) {
    ++State().reloadedFiles;
    valid = images.Load(file.c_str(), nullptr, 0, nullptr, 0, word);
    name = file;
    option = word;
    return valid;
  }
};

}  // namespace

int SetGraphicsRestoreCallback(GraphicsRestoreCallback callback) {
  detail::GraphicsRestoreRecord& restore = State();
  restore.callback = callback;
  restore.set = 1;
  return 0;
}

int IsGraphicsRestoreCallbackSet() { return State().set; }

int ReloadGraphsFromFiles() {
  WriteLogText("グラフィックを復帰します\n");
  State().reloadedFiles = 0;
  LoadedFile file;
  const int end = detail::GraphEndMark();
  for (int slot = 0; slot < end; ++slot) {
    const GraphHandle handle = detail::GraphHandleAtSlot(slot);
    const GraphRecord* record = GetGraphRecord(handle);
    if (record == nullptr || record->sourceFile == nullptr) continue;
    // A copy: the refill replaces the kept name it was read from.
    const std::string name = record->sourceFile->path;
    const int option = record->sourceOption;
    if (!file.Holds(name, option) && !file.Load(name, option)) continue;
    SetGraphicSourceImage(&file.images.colour, file.images.Alpha(), record->sourceX, record->sourceY, handle, option,
                          name.c_str());
    // A graph that shows the whole compressed picture gets its blocks back.
    if (file.images.blocks.Kind() != 0 && record->sourceX == 0 && record->sourceY == 0)
      TransferBlocksToTexture(handle, file.images.blocks.image);
  }
  return 0;
}

int RecoverLostDevice() {
  detail::GraphicsRestoreRecord& restore = State();
  // A device that lost its objects goes whole, textures, mask screen and all.
  const bool lost = detail::DeviceLost() != 0;
  if (lost && !detail::IsLibraryEnding()) detail::ReleaseGpuDevice();
  if (void (*endInput)() = detail::RegisteredSubsystems().terminate_input) endInput();
  if (detail::IsLibraryEnding() || !GraphicsStarted()) return 0;
  detail::GraphicsLifecycleCalls().setup_device();
  if (!lost) {
    // Before the program's callback, which may draw.
    RestoreMaskScreen();
    if (restore.callback != nullptr) restore.callback();
    detail::GraphicsCalls().reopen_all_movies();
    return 0;
  }
  WriteLogText("グラフィックデバイスを復帰します\n");
  detail::ChooseDrawers(detail::GpuInUse() != 0);
  // Every graph's textures again, refilled from its image; then the mask
  // screen, the draw target and the device's state as the cache holds it.
  RecreateAllGraphTextures();
  RestoreMaskScreen();
  SelectDrawTarget(GetCurrentDrawTarget());
  RestoreDeviceState();
  for (int i = 0; i < 2; ++i) {
    ClearDrawTarget();
    PresentBackBuffer();
  }
  if (restore.callback != nullptr)
    restore.callback();
  else
    ReloadGraphsFromFiles();
  RestoreModelTextures();
  detail::GraphicsCalls().recreate_all_fonts();
  RefreshAllModelBases();
  detail::RequestFullLightRefresh();
  detail::GraphicsCalls().reopen_all_movies();
  return 0;
}

namespace detail {

void ClearGraphicsRestoreCallback() { SetGraphicsRestoreCallback(State().callback); }

GraphicsRestoreRecord& GraphicsRestoreState() {
  static GraphicsRestoreRecord state;
  return state;
}

}  // namespace detail
}  // namespace veziv
