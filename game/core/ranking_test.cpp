// The online ranking: the board text, the URLs, the name rules, the send
// gates, and the board and send requests against the ranking server and
// against servers that answer badly or never.
#include "game/core/ranking.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "game/battle/players.h"
#include "game/battle/stage.h"
#include "game/core/frame_loop.h"
#include "game/core/session.h"
#include "tools/ranking_server/ranking_server_test_support.h"
#include "tools/ranking_server/stand_in_servers.h"

namespace game {
namespace {

// Sets the two base addresses for the test's length.
class RankingAddresses {
 public:
  RankingAddresses(const std::string& send, const std::string& fetch) {
    setenv("VEZIV_RANKING_SEND", send.c_str(), 1);
    setenv("VEZIV_RANKING_FETCH", fetch.c_str(), 1);
  }
  ~RankingAddresses() {
    unsetenv("VEZIV_RANKING_SEND");
    unsetenv("VEZIV_RANKING_FETCH");
  }
};

using ranking::CannedServer;
using ranking::SilentServer;

class Ranking : public ::testing::Test {
 protected:
  void SetUp() override {
    battle::battleStage& stage = battle::createStage();
    std::snprintf(stage.folder, sizeof stage.folder, "stages/%s", kTutorial);
    for (rankingEntry& e : Session().ranking.table) e = rankingEntry{};
    std::strcpy(Session().ranking.table[0].name, "before");
    Session().ranking.table[0].score = 77;
    Session().frame.noticeQueue.clear();
    Session().ranking.entryState = kRankingOpen;
  }
  void TearDown() override {
    battle::destroyStage();
    Session().frame.noticeQueue.clear();
    Session().ranking.entryState = kRankingOpen;
  }
  // A board fetch that must fail, at once, and leave the table as it was.
  static void expectFailedFetch() {
    const std::time_t start = std::time(nullptr);
    EXPECT_FALSE(fetchRankingBoard(kTutorial, Session().ranking.table));
    EXPECT_LE(std::time(nullptr) - start, 8);
    EXPECT_STREQ(Session().ranking.table[0].name, "before");
    EXPECT_EQ(Session().ranking.table[0].score, 77);
    EXPECT_FALSE(sendRankingScore("name", 1, kTutorial));
  }
  static constexpr const char* kTutorial = "チュートリアル";
};

TEST(RankingText, BoardTextsOfEveryShape) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::pair<std::string, int>> firstRanks;  // the rest are empty
  };
  const Case cases[] = {
      {"ten lines",
       "a**10\nb**9\nc**8\nd**7\ne**6\nf**5\ng**4\nh**3\ni**2\nj**1\neof",
       {{"a", 10}, {"b", 9}, {"c", 8}, {"d", 7}, {"e", 6}, {"f", 5}, {"g", 4}, {"h", 3}, {"i", 2}, {"j", 1}}},
      {"fewer lines", "a**10\nb**9\neof", {{"a", 10}, {"b", 9}}},
      {"a line without **", "a**10\nnothing\nc**8\neof", {{"a", 10}, {"", 0}, {"c", 8}}},
      {"extra fields", "a**10**x**y\neof", {{"a", 10}}},
      {"a name holding eof", "a**10\nbeofb**9\nc**8\neof", {{"a", 10}}},
      {"no eof", "a**10\nb**9", {{"a", 10}, {"b", 9}}},
      {"digits then junk", "a**12x3\neof", {{"a", 12}}},
      {"no digits", "a**x\neof", {{"a", 0}}},
      {"beyond i32", "a**99999999999\neof", {{"a", 2147483647}}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rankingEntry table[kRankCount];
    std::strcpy(table[9].name, "stale");
    table[9].score = 5;
    parseRankingBoard(c.text, table);
    for (int r = 0; r < kRankCount; ++r) {
      const auto expected =
          r < static_cast<int>(c.firstRanks.size()) ? c.firstRanks[r] : std::make_pair(std::string(), 0);
      EXPECT_EQ(table[r].name, expected.first) << r;
      EXPECT_EQ(table[r].score, expected.second) << r;
    }
  }
}

TEST(RankingText, UrlsNamesAndBoards) {
  EXPECT_EQ(boardNameOf("stages/s1"), "s1");
  EXPECT_EQ(boardNameOf("stages/a/b"), "a/b");
  EXPECT_EQ(boardNameOf("plain"), "plain");
  EXPECT_EQ(percentEncode("aZ09-._~ &#%?/*+"), "aZ09-._~%20%26%23%25%3F%2F%2A%2B");
  EXPECT_EQ(percentEncode("\x83\x94"), "%83%94");
  EXPECT_EQ(sendUrl("http://h/send/", "a&b", -20, "s1"), "http://h/send/a%26b**-20**s1");
  EXPECT_EQ(boardUrl("http://h/board/", "a/b"), "http://h/board/a%2Fb.txt");
  EXPECT_EQ(boardUrl("http://h/", std::string(90, '\x83')), "");  // 270 encoded bytes: over 255
  struct Case {
    const char* name;
    int fault;
  };
  for (const Case c : {Case{"ok", 0}, Case{"", 1}, Case{"a b", 2}, Case{"a*", 3}, Case{"＊", 0},
                      Case{"Geoffrey", 4}, Case{"eof", 4}, Case{"EOF", 0}, Case{"e of", 2}}) {
    EXPECT_EQ(nameFault(c.name), c.fault) << c.name;
  }
}

TEST_F(Ranking, SendGatesComeBeforeTheNameEntry) {
  Session().ranking.table[9].score = 500;
  battle::battlePlayer(1).score = 499;
  EXPECT_FALSE(submitRanking());
  ASSERT_EQ(Session().frame.noticeQueue.size(), 1u);
  EXPECT_EQ(Session().frame.noticeQueue.back(),
            (std::vector<std::string>{"残念ながら得点が足りませんでした。", "500　点以上を目指しましょう。", "OK"}));
  battle::battlePlayer(1).score = 500;  // equal to the tenth: past this gate
  Session().ranking.entryState = kRankingSent;
  EXPECT_FALSE(submitRanking());
  EXPECT_EQ(Session().frame.noticeQueue.back(), (std::vector<std::string>{"すでに送信済みです。", "OK"}));
  Session().ranking.entryState = kRankingRestored;
  EXPECT_FALSE(submitRanking());
  EXPECT_EQ(Session().frame.noticeQueue.back().front(), "ランキングに参加する権利がありません。");
  EXPECT_EQ(std::string(Session().ranking.board), kTutorial);
}

TEST_F(Ranking, TheBoardComesFromTheRankingServer) {
  veziv::test::LoopbackRankingServer server;
  RankingAddresses addresses(server.sendBase(), server.fetchBase());
  // Sent as the game sends: the Shift-JIS name and board percent-encoded.
  const std::string name = "ヴェ&ルク%#";
  ASSERT_TRUE(sendRankingScore(name, 4200, kTutorial));
  ASSERT_TRUE(sendRankingScore("second", -3, kTutorial));
  ASSERT_TRUE(downloadRanking());
  EXPECT_EQ(std::string(Session().ranking.board), kTutorial);
  EXPECT_EQ(Session().ranking.table[0].name, name);
  EXPECT_EQ(Session().ranking.table[0].score, 4200);
  EXPECT_STREQ(Session().ranking.table[1].name, "second");
  EXPECT_EQ(Session().ranking.table[1].score, 0);  // the board's digits stop at the sign
  EXPECT_STREQ(Session().ranking.table[2].name, "");
  // A name the server refuses is not sent.
  EXPECT_FALSE(sendRankingScore("xeofx", 1, kTutorial));
}

TEST_F(Ranking, BadAnswersAndAbsentServersFailAtOnce) {
  CannedServer canned;
  {
    SCOPED_TRACE("an HTML error page");
    RankingAddresses a(canned.base("html"), canned.base("html"));
    expectFailedFetch();
  }
  {
    SCOPED_TRACE("no server on the port");
    RankingAddresses a("http://127.0.0.1:1/", "http://127.0.0.1:1/");
    expectFailedFetch();
  }
  {
    SCOPED_TRACE("a server that never answers");
    SilentServer silent;
    RankingAddresses a(silent.base(), silent.base());
    expectFailedFetch();
  }
  {
    SCOPED_TRACE("a body over 1 KB: its first 1023 bytes, nothing beyond");
    RankingAddresses a(canned.base("big"), canned.base("big"));
    ASSERT_TRUE(fetchRankingBoard("b", Session().ranking.table));
    EXPECT_STREQ(Session().ranking.table[0].name, "name0");
    EXPECT_EQ(Session().ranking.table[0].score, 900);
    EXPECT_STREQ(Session().ranking.table[9].name, "name9");
  }
}

}  // namespace
}  // namespace game
