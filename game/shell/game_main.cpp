// The game's start-up and shutdown. It grows with the library: for now the
// game opens its 800 x 600 window with its caption, sets its default font and
// shows its title on a black screen, with the on-screen log over it, each
// frame until the window is closed and ends the library, which leaves
// "Log.txt" with the system report and the leak dump in the folder the game
// started in.
#include "game/shell/game_main.h"

#include "library/veziv.h"

namespace game {
namespace {

constexpr const char* kGameTitle = "ペルヴァロ　～ほしの渡り鳥たち～";
constexpr const char* kGameVersion = "1.02";
constexpr int kProgramIconResource = 101;
constexpr unsigned kFrameMs = 16;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
constexpr int kScreenBits = 32;
constexpr int kRefreshRate = 60;

}  // namespace

int RunGame() {
  veziv::SetRunWhileInactive(1);
  veziv::SetWindowIconFromResource(kProgramIconResource);
  veziv::SwitchWindowedMode(1);
  veziv::SetScreenMode(kScreenWidth, kScreenHeight, kScreenBits, kRefreshRate);
  char caption[256];
  veziv::FormatText(caption, sizeof caption, "%s  (ver %s)", kGameTitle, kGameVersion);
  veziv::SetWindowTitle(caption);
  if (veziv::InitLibrary() == -1) return 255;
  veziv::SetRunWhileInactive(0);
  veziv::SelectDrawTarget(veziv::kTargetBackScreen);
  veziv::SetDefaultFontType(veziv::FontTypeAntialiasEdge);
  veziv::SetDefaultFontFace("ＭＳ 明朝", -1);
  veziv::SetDefaultFontSize(20);
  veziv::SetDefaultFontThickness(9);
  veziv::PrintfToScreen("%s\n", caption);
  const uint32_t white = veziv::PackColorForScreen(255, 255, 255);
  const int titleX = (kScreenWidth - veziv::MeasureTextDefaultFont(kGameTitle, -1, 0)) / 2;
  // Each frame is drawn and shown before the messages are taken, so that the
  // window has a picture from the first frame on.
  for (;;) {
    veziv::ClearDrawTarget();
    veziv::DrawTextDefaultFont(titleX, kScreenHeight / 2 - 10, kGameTitle, white, 0);
    veziv::PresentBackBuffer();
    if (veziv::PumpMessages() != 0) break;
    veziv::WaitMilliseconds(kFrameMs);
  }
  veziv::EndLibrary();
  return 0;
}

}  // namespace game
