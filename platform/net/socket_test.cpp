// Non-blocking socket calls over a connected pair.
#include "platform/net/socket.h"

#include <gtest/gtest.h>

#include <string>

namespace platform::net {
namespace {

TEST(Socket, CallsReturnAtOnceWithWhatCouldMove) {
  int pair[2];
  ASSERT_TRUE(MakeSocketPair(pair));
  char buffer[8] = {};
  EXPECT_EQ(ReceiveSocket(pair[0], buffer, sizeof buffer), kWouldBlock);
  EXPECT_EQ(PeekSocket(pair[0], buffer, sizeof buffer), kWouldBlock);
  EXPECT_EQ(SendSocket(pair[1], "abc", 3), 3);
  EXPECT_EQ(PeekSocket(pair[0], buffer, 2), 2);
  EXPECT_EQ(ReceiveSocket(pair[0], buffer, sizeof buffer), 3);  // the peek took nothing
  EXPECT_EQ(std::string(buffer, 3), "abc");
  CloseSocket(pair[1]);
  EXPECT_EQ(ReceiveSocket(pair[0], buffer, sizeof buffer), 0);  // the peer has gone
  EXPECT_EQ(SendSocket(pair[0], "x", 1), kFailed);             // and no signal ends the test
  EXPECT_NE(LastSocketError(), 0);
  CloseSocket(pair[0]);
}

TEST(Socket, ASendStopsWhenTheBufferIsFull) {
  int pair[2];
  ASSERT_TRUE(MakeSocketPair(pair));
  ASSERT_TRUE(SetSocketSendBuffer(pair[1], 4096));
  const std::string block(1 << 20, 'z');
  const int64_t sent = SendSocket(pair[1], block.data(), block.size());
  EXPECT_GT(sent, 0);
  EXPECT_LT(sent, static_cast<int64_t>(block.size()));
  EXPECT_EQ(SendSocket(pair[1], block.data(), block.size()), kWouldBlock);
  CloseSocket(pair[0]);
  CloseSocket(pair[1]);
}

}  // namespace
}  // namespace platform::net
