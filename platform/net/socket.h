// Stream sockets for the library's network handles: non-blocking peeks,
// receives and sends over a connected socket's descriptor, and a connected
// pair for tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::net {

// What a receive or send that moved no byte means.
inline constexpr int64_t kWouldBlock = -1;  // nothing can move now; try again later
inline constexpr int64_t kFailed = -2;      // the connection is broken

// Each call returns at once: the bytes moved (> 0), 0 when the peer has closed
// its side (receive and peek only), or kWouldBlock / kFailed.
int64_t PeekSocket(int socket, void* buffer, size_t size);
int64_t ReceiveSocket(int socket, void* buffer, size_t size);
int64_t SendSocket(int socket, const void* data, size_t size);
// The error code of the last failed call on this thread.
int LastSocketError();
void CloseSocket(int socket);

// Two connected stream sockets; false when they cannot be made.
bool MakeSocketPair(int sockets[2]);
// Shrinks the send buffer so that a test can make a send incomplete.
bool SetSocketSendBuffer(int socket, int bytes);

}  // namespace platform::net
