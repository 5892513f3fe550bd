// Network handles: the table, the length-prefixed framing over the two ring
// buffers, and the public calls, which answer as an unstarted layer does.
#include "library/foundation/network/network.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "library/foundation/core/random.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/network/network_state.h"
#include "platform/net/socket.h"

namespace veziv {
namespace {

using detail::NetworkState;

NetworkState& State() { return detail::NetworkLayerState(); }

uint32_t ReadLittleEndian32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

void WriteLittleEndian32(uint32_t value, unsigned char* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(value >> (8 * i));
}

// Lengths the ring's int-sized counts can hold; a peer's larger length is
// taken as a broken stream, never as a request for gigabytes.
constexpr uint32_t kLargestMessage = 0x7FFFFFFFu - 0x10000u;

// Receives into the ring's free space at its write position: up to two
// pieces, the second from the start when the first reaches the end.
int64_t ReceiveIntoRing(int socket, RingBuffer& ring, uint32_t wanted) {
  int64_t total = 0;
  while (wanted > 0) {
    WrapRingBufferPositions(&ring);
    const size_t piece = std::min<size_t>(wanted, ring.size - ring.write);
    const int64_t got = platform::net::ReceiveSocket(socket, ring.data + ring.write, piece);
    if (got <= 0) return total > 0 ? total : got;
    ring.write += static_cast<size_t>(got);
    ring.count += static_cast<size_t>(got);
    WrapRingBufferPositions(&ring);
    total += got;
    wanted -= static_cast<uint32_t>(got);
    if (static_cast<size_t>(got) < piece) break;
  }
  return total;
}

}  // namespace

int ReceiveSocketMessages(NetworkRecord* r) {
  for (;;) {
    if (r->receiveMissing == 0) {
      unsigned char prefix[4];
      if (platform::net::PeekSocket(r->socket, prefix, 4) < 4) return 0;
      platform::net::ReceiveSocket(r->socket, prefix, 4);
      const uint32_t length = ReadLittleEndian32(prefix);
      if (length > kLargestMessage || ReserveRingBuffer(length, &r->receive) != 0) {
        WriteLogFormat("受信データを保存するリングバッファのリサイズに失敗しました(データサイズ %d byte)",
                       static_cast<int>(std::min<uint32_t>(length, 0x7FFFFFFFu)));
        r->error = 1;
        return -1;
      }
      r->receiveLength = length;
      r->receiveMissing = length;
    }
    int64_t arrived = 0;
    if (r->receiveMissing > 0) {
      arrived = ReceiveIntoRing(r->socket, r->receive, r->receiveMissing);
      if (arrived <= 0) return 0;
      r->receiveMissing -= static_cast<uint32_t>(arrived);
    }
    if (r->receiveMissing != 0) return 0;
    r->receivedComplete += r->receiveLength;
  }
}

int SendSocketMessages(NetworkRecord* r) {
  while (r->sendActive != 0 && (r->send.count > 0 || r->sendPrefixLeft > 0)) {
    if (r->sendPrefixLeft == 0 && r->sendRemaining == 0) {
      const uint32_t length = static_cast<uint32_t>(std::min<size_t>(r->send.count, kLargestMessage));
      WriteLittleEndian32(length, r->sendPrefix);
      r->sendPrefixLeft = 4;
      r->sendRemaining = length;
    }
    while (r->sendPrefixLeft > 0) {
      const int64_t sent =
          platform::net::SendSocket(r->socket, r->sendPrefix + (4 - r->sendPrefixLeft), static_cast<size_t>(r->sendPrefixLeft));
      if (sent <= 0) return 0;
      r->sendPrefixLeft -= static_cast<int>(sent);
    }
    while (r->sendRemaining > 0) {
      const size_t piece = std::min<size_t>({r->sendRemaining, r->send.size - r->send.read, r->send.count});
      const int64_t sent = platform::net::SendSocket(r->socket, r->send.data + r->send.read, piece);
      if (sent <= 0) return 0;
      r->send.read += static_cast<size_t>(sent);
      r->send.count -= static_cast<size_t>(sent);
      r->sendRemaining -= static_cast<uint32_t>(sent);
      WrapRingBufferPositions(&r->send);
      if (static_cast<size_t>(sent) < piece) return 0;
    }
  }
  return 0;
}

int PullSocketData(LibraryHandle handle) {
  NetworkState& s = State();
  if (!s.started || s.insidePull || !s.table.IsValid(handle)) return -1;
  NetworkRecord* r = s.table.Get(handle);
  if (r->valid == 0) return WriteLogText("有効なネットワークハンドルではありません in PullSocketData\n");
  if (r->error != 0) return WriteLogText("このネットワークハンドルにはエラーが発生しています in PullSocketData\n");
  s.insidePull = true;
  const int result = r->receiveActive != 0 ? ReceiveSocketMessages(r) : 0;
  s.insidePull = false;
  return result;
}

int PushSocketData(LibraryHandle handle) {
  NetworkState& s = State();
  if (!s.started || !s.table.IsValid(handle)) return -1;
  NetworkRecord* r = s.table.Get(handle);
  if (r->valid == 0) return WriteLogText("有効なネットワークハンドルではありません in PushSocketData\n");
  if (r->error != 0) return WriteLogText("このネットワークハンドルにはエラーが発生しています in PushSocketData\n");
  return SendSocketMessages(r);
}

// Nothing below can find work while the layer is not started.
int AcceptIncomingSocket() { return -1; }
int CloseNetworkHandle(LibraryHandle) { return -1; }
int PumpNetworkMessages(int) { return 0; }
int EndNetwork() { return 0; }
int DispatchSocketMessage(uint32_t, int) { return 0; }

int LogNetworkError(const char* format, ...) {
  char text[2048];
  va_list args;
  va_start(args, format);
  FormatTextArgs(text, sizeof text, format, args);
  va_end(args);
  return WriteLogFormat("ネットワークログ。%s[%d]", text, platform::net::LastSocketError());
}

namespace detail {

NetworkState& NetworkLayerState() {
  static NetworkState state;
  return state;
}

}  // namespace detail

}  // namespace veziv
