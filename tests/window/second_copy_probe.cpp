// A copy of a program on the library, for the whole-window tests: starts the
// library with the window title it is given (the instance lock's name),
// answers a box it is shown (Return, through the display, when the box is
// drawn on one), prints the box's text in UTF-8 on standard output, and exits
// 0 when the library started, 1 when it did not, and "no display" when the
// display could not be opened. With --hold it keeps the library running, once
// it has said "started", until its standard input closes.
#include <X11/keysym.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "library/veziv.h"
#include "platform/os/charset.h"
#include "platform/window/inject.h"
#include "platform/window/window.h"
#include "platform/window_capture/window_capture.h"

namespace {

namespace pw = platform::window;

std::string g_drawn_text;

void AnswerWithReturn(const pw::MessageBoxOnScreen& box) {
  if (box.passes != 1) return;
  for (const pw::BoxTextLine& line : box.layout.lines) g_drawn_text += platform::os::Cp932ToUtf8(line.cp932);
  pw::SendX11Key(box.x11_display, box.x11_window, XK_Return);
}

}  // namespace

int main(int argc, char** argv) {
  const bool hold = argc == 3 && std::strcmp(argv[1], "--hold") == 0;
  if (argc != 2 && !hold) return 2;
  pw::WatchMessageBoxes(AnswerWithReturn);
  veziv::SwitchWindowedMode(1);
  // No window manager gives the window focus on a virtual display; an
  // inactive window would wait for it.
  veziv::SetRunWhileInactive(1);
  veziv::SetScreenMode(320, 240, 32, 60);
  veziv::SetWindowTitle(argv[argc - 1]);
  const int started = veziv::InitLibrary();
  if (started == 0 && hold) {
    std::printf("started\n");
    std::fflush(stdout);
    char c;
    while (read(0, &c, 1) > 0) {
    }
  }
  if (started == 0) veziv::EndLibrary();
  if (!pw::IsHeadless() && !pw::CanOpenXDisplay()) std::printf("no display\n");
  pw::ShownMessageBox shown;
  if (!g_drawn_text.empty()) {
    std::printf("%s\n", g_drawn_text.c_str());
  } else if (pw::LastShownMessageBox(&shown)) {
    std::printf("%s\n", shown.text_utf8.c_str());
  }
  return started == 0 ? 0 : 1;
}
