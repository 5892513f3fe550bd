// The desktop driver: SDL's own video driver, message boxes drawn by the
// platform layer itself (desktop_message_box.cpp) and the screen shown
// through an SDL renderer.
#include <cstdio>

#include "platform/window/driver.h"

namespace platform::window::detail {
namespace {

// SDL's own box, for a system where ours cannot be drawn (no font file).
MessageBoxAnswer ShowSystemMessageBox(const char* title_utf8, const char* text_utf8, MessageBoxKind kind) {
  const SDL_MessageBoxButtonData ok_buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"}};
  const SDL_MessageBoxButtonData yes_no_buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "No"}};
  SDL_MessageBoxData data{};
  data.flags = SDL_MESSAGEBOX_INFORMATION;
  data.window = ModuleState().window;
  data.title = title_utf8;
  data.message = text_utf8;
  if (kind == MessageBoxKind::kOk) {
    data.numbuttons = 1;
    data.buttons = ok_buttons;
  } else {
    data.numbuttons = 2;
    data.buttons = yes_no_buttons;
  }
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return MessageBoxAnswer::kFailed;
  switch (pressed) {
    case 0:
      return MessageBoxAnswer::kOk;
    case 1:
      return MessageBoxAnswer::kYes;
    case 2:
      return MessageBoxAnswer::kNo;
    default:  // closed without a button: the escape answer
      return kind == MessageBoxKind::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kNo;
  }
}

MessageBoxAnswer ShowDesktopMessageBox(const char* title_utf8, const char* text_utf8, MessageBoxKind kind) {
  std::optional<MessageBoxAnswer> answer = ShowDrawnMessageBox(title_utf8, text_utf8, kind);
  if (!answer) answer = ShowSystemMessageBox(title_utf8, text_utf8, kind);
  // A box nobody could see still says its text where someone may read it.
  if (*answer == MessageBoxAnswer::kFailed) std::fprintf(stderr, "%s\n%s\n", title_utf8, text_utf8);
  return *answer;
}

}  // namespace

const Driver kDesktopDriver = {"desktop", nullptr, ShowDesktopMessageBox, PresentOnDesktop, PresentFrameOnDesktop};

}  // namespace platform::window::detail
