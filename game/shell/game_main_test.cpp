// The game's run in a fresh folder: the library starts, its window opens and
// shows the title on a black 800 x 600 screen, with the on-screen log at the
// top, until it is closed (as by the close box), the library ends, and the
// log holds the system report, the window's life, input's start and end and a
// leak dump with no block left.
#include "game/shell/game_main.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/window/inject.h"

namespace game {
namespace {

namespace fs = std::filesystem;

TEST(RunGame, WritesTheSystemReportAndAnEmptyLeakDump) {
  const fs::path old_folder = fs::current_path();
  std::string pattern = (fs::temp_directory_path() / "veziv-game-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  fs::current_path(pattern);
  setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);

  platform::window::ForgetPresentedFrames();
  // The window is closed once the game has shown a frame.
  platform::window::QuitAfterPresentedFrames(1);
  EXPECT_EQ(RunGame(), 0);
  platform::window::PresentedFrame frame;
  ASSERT_TRUE(platform::window::LastPresentedFrame(&frame));
  EXPECT_EQ(frame.width, 800);
  EXPECT_EQ(frame.height, 600);
  ASSERT_EQ(frame.pixels.size(), 800u * 600u);
  // Text in the middle (the title) and at the top (the log); black elsewhere.
  int title = 0, log_line = 0, elsewhere = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) {
      if ((frame.pixels[size_t(y) * 800 + size_t(x)] & 0xFFFFFFu) == 0) continue;
      if (y >= 280 && y < 310) ++title;
      else if (y < 16) ++log_line;
      else ++elsewhere;
    }
  }
  EXPECT_GT(title, 200);
  EXPECT_GT(log_line, 100);
  EXPECT_EQ(elsewhere, 0);
  std::ifstream in("Log.txt", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const std::string log = text.str();

  fs::current_path(old_folder);
  fs::remove_all(pattern);
  EXPECT_NE(log.find("システムの情報を出力します\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\tVeZiv Ver1.00\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("ウインドウの作成に成功しました\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("入力関連の初期化をしました\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("入力関連の終了処理... 完了\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("ソフトを終了する準備が整いました\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Alloc memory dump\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(":\tTotal size:0(0.000kb)  Alloc num:0\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("\tsize:"), std::string::npos) << log;
}

}  // namespace
}  // namespace game
