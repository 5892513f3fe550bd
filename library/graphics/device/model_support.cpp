// Model tables and their hooks.
#include "library/graphics/device/model_support.h"

#include <vector>

#include "library/graphics/device/device_cache.h"

namespace veziv {
namespace {

// A slot holds a record, the reserved mark 1, or nothing.
struct ModelTable {
  std::vector<void*> slots;
  int live = 0;
};

struct ModelState {
  int setUp = 0;
  ModelTable bases;
  ModelTable instances;
};

ModelState& M() {
  static ModelState state;
  return state;
}

constexpr int kBaseKind = 0x08000000;
constexpr int kInstanceKind = 0x10000000;

}  // namespace

int InitializeModelData() {
  ModelState& m = M();
  if (detail::GpuDevice() == nullptr || m.setUp) return 0;
  m.bases = ModelTable{};
  m.instances = ModelTable{};
  m.setUp = 1;
  return 0;
}

// No base model or instance is ever made, so there are no materials or
// buffers to make again or to release: the walks below find empty tables.
int RestoreModelTextures() { return 0; }
int RefreshAllModelBases() { return 0; }
int ReleaseAllModelBaseObjects() { return 0; }

int ReleaseAllModels() {
  ModelState& m = M();
  if (!m.setUp) return 0;
  m.instances = ModelTable{};
  m.bases = ModelTable{};
  m.setUp = 0;
  return 0;
}

namespace detail {

int IsModelBaseHandle(int handle) {
  const ModelTable& t = M().bases;
  const int slot = handle & 0x1FFFF;
  return (handle & 0x78000000) == kBaseKind && slot < static_cast<int>(t.slots.size()) && t.slots[slot] ? 1 : 0;
}

int IsModelInstanceHandle(int handle) {
  const ModelTable& t = M().instances;
  const int slot = handle & 0xFFFF;
  return (handle & 0x78000000) == kInstanceKind && (handle & 0x1FFFF) < 65536 &&
                 slot < static_cast<int>(t.slots.size()) && t.slots[slot]
             ? 1
             : 0;
}

int ModelTablesSetUp() { return M().setUp; }

}  // namespace detail
}  // namespace veziv
