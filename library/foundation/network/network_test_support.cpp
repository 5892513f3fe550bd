#include "library/foundation/network/network_test_support.h"

#include "library/foundation/network/network_state.h"
#include "platform/net/socket.h"

namespace veziv::detail {

LibraryHandle MakeConnectedNetworkHandle(int socket) {
  NetworkTable& table = NetworkLayerState().table;
  const LibraryHandle handle = table.Create();
  if (handle < 0) return -1;
  NetworkRecord* r = table.Get(handle);
  r->valid = 1;
  r->connected = 1;
  r->receiveActive = 1;
  r->sendActive = 1;
  r->socket = socket;
  r->handle = handle;
  return handle;
}

NetworkRecord* FindNetworkRecord(LibraryHandle handle) { return NetworkLayerState().table.Get(handle); }

void StartNetworkAfresh() {
  NetworkTable& table = NetworkLayerState().table;
  table.DeleteAll([&table](LibraryHandle handle) {
    NetworkRecord* r = table.Get(handle);
    platform::net::CloseSocket(r->socket);
    FreeRingBuffer(&r->receive);
    FreeRingBuffer(&r->send);
    table.Delete(handle);
  });
}

}  // namespace veziv::detail
