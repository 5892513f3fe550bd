// The network handles' table and the layer's flags: network.cpp keeps them;
// the tests' support reaches them to make handles over socket pairs and to
// start the table afresh.
#pragma once

#include "library/foundation/core/handles.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/network/network.h"

namespace veziv::detail {

// The library's allocator holds the records, as it holds every record.
struct NetworkRecords {
  static NetworkRecord* AllocateRecord() {
    auto* record = static_cast<NetworkRecord*>(AllocLibMemoryZeroed(sizeof(NetworkRecord)));
    if (record == nullptr) WriteLogText("ソケット用のメモリの確保に失敗しました\n");
    return record;
  }
  static void FreeRecord(NetworkRecord* record) { FreeLibMemory(record); }
  static void OnTableFull() { WriteLogText("空きソケットデータがなかったので accept を拒否しました \n"); }
};

using NetworkTable = FirstFreeHandleTable<NetworkRecord, kNetworkHandleKind, kNetworkHandleSlots, NetworkRecords>;

struct NetworkState {
  // Set by a start-up this program never runs.
  bool started = false;
  bool insidePull = false;
  NetworkTable table;
};

NetworkState& NetworkLayerState();

}  // namespace veziv::detail
