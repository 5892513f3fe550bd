// Network handles: TCP connections whose received and queued data travel as
// length-prefixed messages (a 4-byte little-endian length, then the bytes)
// through one ring buffer each way.
//
// The layer is never started in this program: no socket is opened and no
// connection made, so every call answers as an unstarted layer does. The
// frame pump and the library end still call into it.
#pragma once

#include <cstdint>

#include "library/foundation/core/handles.h"
#include "library/foundation/memory_log/memory.h"

namespace veziv {

// -1 unless the layer is started and the handle valid; otherwise moves the
// socket's complete messages into the receive ring. 0.
int PullSocketData(LibraryHandle handle);
// -1 unless the layer is started and the handle valid; otherwise sends the
// queued bytes as messages. 0.
int PushSocketData(LibraryHandle handle);
// -1 unless started: accepts a waiting connection into a new handle.
int AcceptIncomingSocket();
// -1 unless started and the handle valid; otherwise drains, closes and frees. 0.
int CloseNetworkHandle(LibraryHandle handle);
// 0; once started, with flag 1 first closes the handles whose connection ended.
int PumpNetworkMessages(int flag);
// 0; once started, closes every handle and ends the layer.
int EndNetwork();
// The socket message's handler: 1 when it was handled, 0 otherwise.
int DispatchSocketMessage(uint32_t eventWord, int socket);
// Logs the formatted text with the last socket error. Always -1.
int LogNetworkError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One connection.
struct NetworkRecord {
  int valid;
  int error;
  int connected;
  int peerClosed;
  int receiveActive;
  int sendActive;
  int socket;
  uint32_t receiveMissing;    // bytes still missing of the message being received
  RingBuffer receive;
  uint32_t receiveLength;     // length of the message being received
  uint32_t receivedComplete;  // bytes of complete messages in the receive ring
  RingBuffer send;
  uint32_t sendRemaining;     // bytes still to send of the current message
  int sendPrefixLeft;         // bytes of its length prefix still to send
  unsigned char sendPrefix[4];
  unsigned char peerAddress[4];
  int peerPort;
  LibraryHandle handle;
};

// The framing of one pull and one push on a record; 0, or -1 after the
// error flag was set.
int ReceiveSocketMessages(NetworkRecord* record);
int SendSocketMessages(NetworkRecord* record);

}  // namespace veziv
