// POSIX stream sockets, every call non-blocking; SIGPIPE never raised.
#include "platform/net/socket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace platform::net {
namespace {

int& LastError() {
  thread_local int state = 0;
  return state;
}

int64_t Outcome(ssize_t result) {
  if (result >= 0) return result;
  LastError() = errno;
  return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? kWouldBlock : kFailed;
}

}  // namespace

int64_t PeekSocket(int socket, void* buffer, size_t size) {
  return Outcome(::recv(socket, buffer, size, MSG_PEEK | MSG_DONTWAIT));
}

int64_t ReceiveSocket(int socket, void* buffer, size_t size) {
  return Outcome(::recv(socket, buffer, size, MSG_DONTWAIT));
}

int64_t SendSocket(int socket, const void* data, size_t size) {
  return Outcome(::send(socket, data, size, MSG_DONTWAIT | MSG_NOSIGNAL));
}

int LastSocketError() { return LastError(); }

void CloseSocket(int socket) {
  if (socket >= 0) ::close(socket);
}

bool MakeSocketPair(int sockets[2]) {
  return ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) == 0;
}

bool SetSocketSendBuffer(int socket, int bytes) {
  return ::setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes) == 0;
}

}  // namespace platform::net
