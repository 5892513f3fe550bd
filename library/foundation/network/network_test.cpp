// Network handles: the unstarted layer's answers, and the message framing
// over a connected socket pair through a handle made for tests.
#include "library/foundation/network/network.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "library/foundation/memory_log/log_test_support.h"
#include "library/foundation/network/network_test_support.h"
#include "library/foundation/window/call_sites.h"
#include "platform/net/socket.h"

namespace veziv {
namespace {

std::string Prefixed(const std::string& message) {
  std::string out(4, '\0');
  const uint32_t n = static_cast<uint32_t>(message.size());
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<char>(n >> (8 * i));
  return out + message;
}

std::string Pattern(size_t size, char first) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>(first + i % 26);
  return s;
}

// Takes n bytes out of a ring, across its end when they wrap.
std::string TakeFromRing(RingBuffer& ring, size_t n) {
  std::string out;
  while (out.size() < n && ring.count > 0) {
    const size_t piece = std::min({n - out.size(), ring.size - ring.read, ring.count});
    out.append(reinterpret_cast<const char*>(ring.data + ring.read), piece);
    ring.read += piece;
    ring.count -= piece;
    WrapRingBufferPositions(&ring);
  }
  return out;
}

// Queues bytes behind what the ring holds, across its end when they wrap.
void QueueInRing(RingBuffer& ring, const std::string& bytes) {
  ASSERT_EQ(ReserveRingBuffer(bytes.size(), &ring), 0);
  size_t done = 0;
  while (done < bytes.size()) {
    WrapRingBufferPositions(&ring);
    const size_t piece = std::min(bytes.size() - done, ring.size - ring.write);
    std::memcpy(ring.data + ring.write, bytes.data() + done, piece);
    ring.write += piece;
    ring.count += piece;
    done += piece;
  }
  WrapRingBufferPositions(&ring);
}

// The log goes to a folder of the test's own: a bad length is logged.
class NetworkFramingTest : public test::LogFolderTest {
 protected:
  void SetUp() override {
    test::LogFolderTest::SetUp();
    ASSERT_TRUE(platform::net::MakeSocketPair(pair_));
    handle_ = detail::MakeConnectedNetworkHandle(pair_[0]);
    ASSERT_GE(handle_, 0);
    record_ = detail::FindNetworkRecord(handle_);
    ASSERT_NE(record_, nullptr);
  }
  void TearDown() override {
    detail::StartNetworkAfresh();
    platform::net::CloseSocket(pair_[1]);
    test::LogFolderTest::TearDown();
  }

  void PeerSends(const std::string& bytes) {
    ASSERT_EQ(platform::net::SendSocket(pair_[1], bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
  }
  std::string PeerReceivesAll() {
    std::string out;
    char buffer[65536];
    for (int64_t n; (n = platform::net::ReceiveSocket(pair_[1], buffer, sizeof buffer)) > 0;) {
      out.append(buffer, static_cast<size_t>(n));
    }
    return out;
  }

  int pair_[2] = {-1, -1};
  LibraryHandle handle_ = -1;
  NetworkRecord* record_ = nullptr;
};

TEST_F(NetworkFramingTest, AMessageSplitInTwoReadsCompletesOnTheSecond) {
  const std::string message = Pattern(300, 'a');
  const std::string wire = Prefixed(message);
  PeerSends(wire.substr(0, 104));
  EXPECT_EQ(ReceiveSocketMessages(record_), 0);
  EXPECT_EQ(record_->receivedComplete, 0u);
  EXPECT_EQ(record_->receiveMissing, 200u);
  PeerSends(wire.substr(104));
  EXPECT_EQ(ReceiveSocketMessages(record_), 0);
  EXPECT_EQ(record_->receiveMissing, 0u);
  EXPECT_EQ(record_->receivedComplete, 300u);
  EXPECT_EQ(TakeFromRing(record_->receive, 300), message);
}

TEST_F(NetworkFramingTest, ALengthPrefixSplitWaitsForAllFourBytes) {
  const std::string wire = Prefixed("hello") + Prefixed("") + Prefixed("world");
  for (size_t cut : {1u, 2u, 3u}) {
    SCOPED_TRACE(cut);
    PeerSends(wire.substr(0, cut));
    EXPECT_EQ(ReceiveSocketMessages(record_), 0);
    EXPECT_EQ(record_->receivedComplete, 0u);
    EXPECT_EQ(record_->receiveMissing, 0u);
    PeerSends(wire.substr(cut));
    EXPECT_EQ(ReceiveSocketMessages(record_), 0);
    // Every complete message in the socket is taken in one call, the empty one too.
    EXPECT_EQ(record_->receivedComplete, 10u);
    EXPECT_EQ(TakeFromRing(record_->receive, 10), "helloworld");
    record_->receivedComplete = 0;
  }
}

TEST_F(NetworkFramingTest, ReceivedMessagesWrapAroundTheRingsEnd) {
  const std::string first = Pattern(600, 'A');
  PeerSends(Prefixed(first));
  ASSERT_EQ(ReceiveSocketMessages(record_), 0);
  ASSERT_EQ(TakeFromRing(record_->receive, 600), first);
  const size_t sizeBefore = record_->receive.size;
  const std::string second = Pattern(sizeBefore - 100, 'a');  // fits, but only across the end
  PeerSends(Prefixed(second));
  ASSERT_EQ(ReceiveSocketMessages(record_), 0);
  EXPECT_EQ(record_->receive.size, sizeBefore);
  EXPECT_LT(record_->receive.write, record_->receive.read);
  EXPECT_EQ(record_->receivedComplete, 600u + second.size());
  EXPECT_EQ(TakeFromRing(record_->receive, second.size()), second);
}

TEST_F(NetworkFramingTest, AnImpossibleLengthSetsTheErrorFlag) {
  PeerSends(std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(ReceiveSocketMessages(record_), -1);
  EXPECT_EQ(record_->error, 1);
  EXPECT_EQ(record_->receivedComplete, 0u);
  EXPECT_EQ(ReadLogWithoutStamps(),
            "受信データを保存するリングバッファのリサイズに失敗しました(データサイズ 2147483647 byte)\r\n");
}

TEST_F(NetworkFramingTest, NetworkErrorsAreLoggedWithTheSocketError) {
  int broken[2];
  ASSERT_TRUE(platform::net::MakeSocketPair(broken));
  platform::net::CloseSocket(broken[1]);
  ASSERT_EQ(platform::net::SendSocket(broken[0], "x", 1), platform::net::kFailed);
  platform::net::CloseSocket(broken[0]);
  EXPECT_EQ(LogNetworkError("acceptに失敗しました %d", 7), -1);
  EXPECT_EQ(ReadLogWithoutStamps(),
            "ネットワークログ。acceptに失敗しました 7[" + std::to_string(platform::net::LastSocketError()) + "]\r\n");
}

TEST_F(NetworkFramingTest, QueuedBytesGoOutAsOneMessagePerPushAcrossTheRingsEnd) {
  const std::string first = Pattern(600, 'A');
  QueueInRing(record_->send, first);
  EXPECT_EQ(SendSocketMessages(record_), 0);
  EXPECT_EQ(record_->send.count, 0u);
  EXPECT_EQ(PeerReceivesAll(), Prefixed(first));
  const std::string second = Pattern(record_->send.size - 100, 'a');
  QueueInRing(record_->send, second);
  EXPECT_LT(record_->send.write, record_->send.read);  // the queued bytes wrap
  EXPECT_EQ(SendSocketMessages(record_), 0);
  EXPECT_EQ(PeerReceivesAll(), Prefixed(second));
}

TEST_F(NetworkFramingTest, AnIncompleteSendResumesWhereItStopped) {
  ASSERT_TRUE(platform::net::SetSocketSendBuffer(pair_[0], 4096));
  const std::string message = Pattern(1 << 20, 'k');
  QueueInRing(record_->send, message);
  std::string wire;
  int passes = 0;
  for (; passes < 100000 && (record_->send.count > 0 || record_->sendPrefixLeft > 0); ++passes) {
    EXPECT_EQ(SendSocketMessages(record_), 0);
    wire += PeerReceivesAll();
  }
  EXPECT_GT(passes, 1);
  wire += PeerReceivesAll();
  EXPECT_EQ(wire.size(), message.size() + 4);
  EXPECT_TRUE(wire == Prefixed(message));
}

TEST_F(NetworkFramingTest, PublicCallsAnswerAsAnUnstartedLayer) {
  PeerSends(Prefixed("unread"));
  struct Case {
    const char* name;
    int result;
    int expected;
  };
  const Case cases[] = {
      {"PullSocketData", PullSocketData(handle_), -1},
      {"PushSocketData", PushSocketData(handle_), -1},
      {"AcceptIncomingSocket", AcceptIncomingSocket(), -1},
      {"CloseNetworkHandle", CloseNetworkHandle(handle_), -1},
      {"PumpNetworkMessages", PumpNetworkMessages(1), 0},
      {"EndNetwork", EndNetwork(), 0},
      {"DispatchSocketMessage", DispatchSocketMessage(1, pair_[0]), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, c.expected) << c.name;
  // None of them touched the connection.
  EXPECT_EQ(record_->receivedComplete, 0u);
  EXPECT_EQ(detail::FindNetworkRecord(handle_), record_);
}

TEST(NetworkHandles, TheFramePumpReachesTheNetworkPump) {
  detail::CallSites().pump_network_messages = [](int) { return -1; };
  detail::ResetCallSites();
  EXPECT_EQ(detail::CallSites().pump_network_messages, &PumpNetworkMessages);
}

TEST(NetworkHandles, HandlesAreOfTheNetworkKindAndFailOnceFreed) {
  int pair[2];
  ASSERT_TRUE(platform::net::MakeSocketPair(pair));
  const LibraryHandle a = detail::MakeConnectedNetworkHandle(pair[0]);
  const LibraryHandle b = detail::MakeConnectedNetworkHandle(pair[1]);
  EXPECT_EQ(a & kHandleKindMask, kNetworkHandleKind);
  EXPECT_EQ(HandleSlot(a), 0);
  EXPECT_EQ(HandleSlot(b), 1);
  detail::StartNetworkAfresh();
  EXPECT_EQ(detail::FindNetworkRecord(a), nullptr);
  EXPECT_EQ(detail::FindNetworkRecord(-1), nullptr);
}

}  // namespace
}  // namespace veziv
