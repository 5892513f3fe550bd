// The light table, the camera and the material: lights_camera.cpp keeps
// them; the tests' support starts them afresh between tests.
#pragma once

#include <memory>

#include "library/foundation/core/handles.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/start/library_start.h"
#include "library/graphics/graphs/lights_camera.h"

namespace veziv::detail {

struct LightRecordPolicy {
  static LightRecord* AllocateRecord() {
    auto* record = static_cast<LightRecord*>(AllocLibMemoryZeroed(sizeof(LightRecord)));
    if (!record) FatalErrorExit("ライト用のメモリの確保に失敗しました");
    return record;
  }
  static void FreeRecord(LightRecord* record) { FreeLibMemory(record); }
  static void OnTableFull() {}
};

using LightTable = CountedHandleTable<LightRecord, kLightHandleKind, kLightHandleSlots, LightRecordPolicy>;

struct LightCameraState {
  std::unique_ptr<LightTable> lights = std::make_unique<LightTable>();
  int current = -1;
  int lightsChanged = 0;
  int fullRefresh = 0;
  int highestDeviceIndex = -1;  // the highest device index the last refresh used
  int lightingOff = 0;           // 0: the device's lighting is on
  int statePair[2] = {0, 0};     // two words of the draw state that nothing sets
  DrawCamera camera;
  DrawMaterial material{};
};

LightCameraState& LightsAndCameraState();

}  // namespace veziv::detail
