// The ranking server over HTTP on a loopback port: sends recorded by board,
// the boards' text, refused requests, scores that outlive the server or
// cannot be stored; its command line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/veziv.h"
#include "platform/os/temp_folder_test_support.h"
#include "tools/ranking_server/ranking_options.h"
#include "tools/ranking_server/ranking_server_test_support.h"

namespace {

// "チュートリアル" and "ヴェルク" in Shift-JIS.
const std::string kTutorial = "\x83\x60\x83\x85\x81\x5B\x83\x67\x83\x8A\x83\x41\x83\x8B";
const std::string kVelk = "\x83\x94\x83\x46\x83\x8B\x83\x4E";

std::string encode(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : bytes) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

// The status, or -1; the body in body.
int get(const std::string& url, std::string* body = nullptr) {
  char text[1024];
  const int status = veziv::RequestUrlText(url.c_str(), "test", text, sizeof text, 2000, 4000);
  if (body != nullptr) *body = text;
  return status;
}

int send(const veziv::test::LoopbackRankingServer& server, const std::string& name, const std::string& score,
         const std::string& board) {
  return get(server.sendBase() + encode(name) + "**" + score + "**" + encode(board));
}

TEST(RankingServer, SendsMakeBoardsOfTheTenBestByBoard) {
  veziv::test::LoopbackRankingServer server;
  ASSERT_GT(server.port(), 0);
  std::string body;
  ASSERT_EQ(get(server.fetchBase() + encode(kTutorial) + ".txt", &body), 200);
  EXPECT_EQ(body, "eof");

  // Twelve scores on the tutorial board, names with the bytes a URL holds
  // specially.
  const char* names[] = {"a%b", "c&d", "e#f", "g?h", "i/j", "k+l", "m", "n", "o", "p", "q", "r"};
  for (int i = 0; i < 12; ++i) ASSERT_EQ(send(server, names[i], std::to_string(i * 10 - 20), kTutorial), 200) << i;
  ASSERT_EQ(send(server, kVelk, "30", kTutorial),
            200);  // ties with "k+l": the earlier send ranks first
  ASSERT_EQ(send(server, "other", "999", "s1"), 200);

  ASSERT_EQ(get(server.fetchBase() + encode(kTutorial) + ".txt", &body), 200);
  EXPECT_EQ(body, "r**90\nq**80\np**70\no**60\nn**50\nm**40\nk+l**30\n" + kVelk + "**30\ni/j**20\ng?h**10\neof");
  ASSERT_EQ(get(server.fetchBase() + "s1.txt", &body), 200);
  EXPECT_EQ(body, "other**999\neof");
}

TEST(RankingServer, RefusesWhatABoardCannotShow) {
  veziv::test::LoopbackRankingServer server;
  struct Case {
    const char* what;
    std::string name, score, board;
  };
  const Case cases[] = {
      {"blank", "a b", "1", "s1"},
      {"star", "a*b", "1", "s1"},
      {"eof", "xeofx", "1", "s1"},
      {"20 bytes", std::string(20, 'n'), "1", "s1"},
      {"empty name", "", "1", "s1"},
      {"score letters", "a", "1x", "s1"},
      {"score too big", "a", "4294967296", "s1"},
      {"empty board", "a", "1", ""},
      {"board with a slash", "a", "1", "x/y"},
      {"control byte", "a\nb", "1", "s1"},
  };
  for (const Case& c : cases) EXPECT_EQ(send(server, c.name, c.score, c.board), -1) << c.what;
  EXPECT_EQ(get(server.sendBase() + "onlyname"), -1);
  EXPECT_EQ(get(server.base() + "elsewhere"), -1);
  std::string body;
  ASSERT_EQ(get(server.fetchBase() + "s1.txt", &body), 200);
  EXPECT_EQ(body, "eof");
  // A negative score is a score.
  EXPECT_EQ(send(server, "low", "-5", "s1"), 200);
  ASSERT_EQ(get(server.fetchBase() + "s1.txt", &body), 200);
  EXPECT_EQ(body, "low**-5\neof");
}

TEST(RankingServer, ScoresOutliveTheServer) {
  veziv::test::TestFolder folder;
  const std::string db = folder / "ranking.db";
  {
    veziv::test::LoopbackRankingServer server(db);
    ASSERT_EQ(send(server, kVelk, "1200", kTutorial), 200);
  }
  veziv::test::LoopbackRankingServer again(db);
  std::string body;
  ASSERT_EQ(get(again.fetchBase() + encode(kTutorial) + ".txt", &body), 200);
  EXPECT_EQ(body, kVelk + "**1200\neof");
}

TEST(RankingServer, ScoresThatCannotBeStoredAreLogged) {
  veziv::test::TestFolder folder;
  const std::string db = folder / "ranking.db";
  {
    veziv::test::LoopbackRankingServer server(db);
    ASSERT_EQ(send(server, "first", "5", "s1"), 200);
  }
  testing::internal::CaptureStderr();
  {
    veziv::test::LoopbackRankingServer readOnly("file:" + db + "?mode=ro");
    EXPECT_EQ(send(readOnly, "second", "9", "s1"), -1);
    std::string body;
    ASSERT_EQ(get(readOnly.fetchBase() + "s1.txt", &body), 200);
    EXPECT_EQ(body, "first**5\neof");
  }
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_THAT(log, testing::HasSubstr("is read-only: scores sent will not be stored"));
  EXPECT_THAT(log, testing::HasSubstr("a score was not stored in file:" + db + "?mode=ro: attempt to write a readonly database"));
}

TEST(RankingServerOptions, RefusesPortsItCouldNotAnnounce) {
  struct Case {
    std::vector<const char*> args;
    bool ok;
    int port;
    std::string error;
  };
  const Case cases[] = {
      {{}, true, 48620, ""},
      {{"--port", "80"}, true, 80, ""},
      {{"--port", "0"}, true, 0, ""},
      {{"--port", "65535"}, true, 65535, ""},
      {{"--port", "99999"}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"99999\""},
      {{"--port", "abc"}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"abc\""},
      {{"--port", "-1"}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"-1\""},
      {{"--port", "80x"}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"80x\""},
      {{"--port", ""}, false, 0, "--port takes a number from 0 to 65535 (0 for any free port), not \"\""},
      {{"--port", "000080"}, true, 80, ""},
      {{"--port", "4294967376"}, false, 0,
       "--port takes a number from 0 to 65535 (0 for any free port), not \"4294967376\""},
      {{"--port"}, false, 0, "--port needs a value"},
      {{"--verbose"}, false, 0, "unknown option \"--verbose\""},
  };
  for (const Case& c : cases) {
    ranking::Options options;
    std::string error;
    const bool ok = ranking::parseOptions(static_cast<int>(c.args.size()), c.args.data(), options, error);
    EXPECT_EQ(ok, c.ok) << c.error;
    EXPECT_EQ(error, c.error);
    if (ok) {
      EXPECT_EQ(options.port, c.port);
    }
  }
  ranking::Options options;
  std::string error;
  const char* args[] = {"--db", "scores.db", "--address", "0.0.0.0", "--port", "1"};
  ASSERT_TRUE(ranking::parseOptions(6, args, options, error));
  EXPECT_EQ(options.db, "scores.db");
  EXPECT_EQ(options.address, "0.0.0.0");
  EXPECT_EQ(options.port, 1);
}

}  // namespace
