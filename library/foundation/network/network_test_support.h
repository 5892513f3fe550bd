// Test support for the network handles: the layer is never started in this
// program, so the framing is reached through handles made over a socket the
// test holds.
#pragma once

#include "library/foundation/core/handles.h"
#include "library/foundation/network/network.h"

namespace veziv::detail {

// A handle over a connected socket, receiving and sending, without the layer
// being started. -1 when the table is full.
LibraryHandle MakeConnectedNetworkHandle(int socket);
// The handle's record; null for a handle that is not in the table.
NetworkRecord* FindNetworkRecord(LibraryHandle handle);
// Closes the sockets and frees every record.
void StartNetworkAfresh();

}  // namespace veziv::detail
