// The graph table and the new-graph settings: graph_handles.cpp keeps them;
// the tests' support starts them afresh between tests.
#pragma once

#include <cstdint>
#include <memory>

#include "library/foundation/core/handles.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/start/library_start.h"
#include "library/graphics/graphs/graph_handles.h"

namespace veziv::detail {

struct GraphRecordPolicy {
  static GraphRecord* AllocateRecord() {
    auto* record = static_cast<GraphRecord*>(AllocLibMemoryZeroed(sizeof(GraphRecord)));
    if (!record) FatalErrorExit("メモリの確保に失敗しました");
    return record;
  }
  static void FreeRecord(GraphRecord* record) { FreeLibMemory(record); }
  static void OnTableFull() { FatalErrorExit("グラフィックの数が許容量を越えました終了します"); }
};

using GraphTable = CountedHandleTable<GraphRecord, kGraphHandleKind, kGraphHandleSlots, GraphRecordPolicy>;

struct NewGraphSettings {
  int bitDepth = 0;
  int movieSurfaceMode = 0;
  int transColorUse = 1;
  int blankGraphAlpha = 0;
  int createOptionWord = 0;
  int defaultPool = 0;
  uint32_t transparentColor = 0;
  int singleTextureWish = 0;
};

struct GraphState {
  std::unique_ptr<GraphTable> table = std::make_unique<GraphTable>();
  NewGraphSettings settings;
};

GraphState& GraphTableState();

}  // namespace veziv::detail
