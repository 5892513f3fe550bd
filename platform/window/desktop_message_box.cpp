// The desktop driver's message box: a small window of its own, drawn by
// message_box_paint.cpp and run by message_box_model.cpp until it is
// answered. It is modal: while it stands, every key typed to the program
// goes to it, and the program's other events wait and are queued again
// afterwards, in their order.
#include <SDL_syswm.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/os/charset.h"
#include "platform/window/driver.h"
#include "platform/window/inject.h"
#include "platform/window/message_box_paint.h"
#include "platform/window/window.h"

namespace platform::window {
namespace detail {
namespace {

namespace os = platform::os;

void (*g_watcher)(const MessageBoxOnScreen&) = nullptr;

// An SDL hint set for a while and then given back its old value.
class HintFor {
 public:
  HintFor(const char* name, const char* value) : name_(name) {
    const char* old = SDL_GetHint(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    SDL_SetHint(name, value);
  }
  ~HintFor() { SDL_SetHint(name_, had_ ? old_.c_str() : nullptr); }
  HintFor(const HintFor&) = delete;
  HintFor& operator=(const HintFor&) = delete;

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

std::optional<BoxKey> BoxKeyOf(const SDL_KeyboardEvent& e) {
  switch (e.keysym.sym) {
    case SDLK_TAB: return (e.keysym.mod & KMOD_SHIFT) != 0 ? BoxKey::kShiftTab : BoxKey::kTab;
    case SDLK_LEFT: return BoxKey::kLeft;
    case SDLK_RIGHT: return BoxKey::kRight;
    case SDLK_UP: return BoxKey::kUp;
    case SDLK_DOWN: return BoxKey::kDown;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return BoxKey::kReturn;
    case SDLK_SPACE: return BoxKey::kSpace;
    case SDLK_ESCAPE: return BoxKey::kEscape;
    default: return std::nullopt;
  }
}

// Input the box takes for itself (from any of the program's windows).
bool IsInputEvent(Uint32 type) {
  switch (type) {
    case SDL_KEYDOWN: case SDL_KEYUP: case SDL_TEXTEDITING: case SDL_TEXTEDITING_EXT: case SDL_TEXTINPUT:
    case SDL_MOUSEMOTION: case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: case SDL_MOUSEWHEEL:
    case SDL_FINGERDOWN: case SDL_FINGERUP: case SDL_FINGERMOTION:
      return true;
    default:
      return false;
  }
}

// The window an event belongs to; 0 for events of no window.
Uint32 WindowOf(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_KEYDOWN: case SDL_KEYUP: return e.key.windowID;
    case SDL_TEXTINPUT: return e.text.windowID;
    case SDL_TEXTEDITING: return e.edit.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    default: return 0;
  }
}

bool ShowPicture(SDL_Window* window, const BoxPicture& picture) {
  SDL_Surface* target = nullptr;
  {
    // The video driver's own frame buffer: no renderer, which would make the
    // window again for a GL context, and the pixels reach the display as drawn.
    HintFor unaccelerated(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    target = SDL_GetWindowSurface(window);
  }
  if (target == nullptr) return false;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint32_t*>(picture.pixels.data()), picture.width, picture.height, 32, picture.width * 4,
      SDL_PIXELFORMAT_RGB888);
  if (source == nullptr) return false;
  SDL_FillRect(target, nullptr, SDL_MapRGB(target->format, 0xF0, 0xF0, 0xF0));
  const bool blitted = SDL_BlitSurface(source, nullptr, target, nullptr) == 0;
  SDL_FreeSurface(source);
  return blitted && SDL_UpdateWindowSurface(window) == 0;
}

}  // namespace

std::optional<MessageBoxAnswer> ShowDrawnMessageBox(const char* title_utf8, const char* text_utf8,
                                                    MessageBoxKind kind) {
  MessageBoxFonts fonts;
  if (!fonts.ok() || !StartVideo()) return std::nullopt;
  // SDL falls back to drawing nowhere when no display can be reached: a box
  // there would wait for an answer nobody can give.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
    return std::nullopt;
  }
  MessageBoxOnScreen view;
  view.layout = LayOutMessageBox(fonts, os::Utf8ToCp932(text_utf8), kind);
  MessageBoxModel model(kind);

  // Closing the box is an answer, not the end of the program, even when it
  // is the program's only window; and a click on a button counts even when
  // it is also the click that gives the box the focus.
  HintFor no_quit(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  HintFor click_through(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_Window* box = SDL_CreateWindow(title_utf8, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, view.layout.width,
                                     view.layout.height, SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP);
  if (box == nullptr) return std::nullopt;
  SDL_Window* owner = ModuleState().window;
  const bool owner_full_screen = owner != nullptr && (SDL_GetWindowFlags(owner) & SDL_WINDOW_FULLSCREEN) != 0;
  if (owner != nullptr) SDL_SetWindowModalFor(box, owner);
  const Uint32 box_id = SDL_GetWindowID(box);
  SDL_ShowWindow(box);
  SDL_RaiseWindow(box);

  std::vector<SDL_Event> kept;
  std::optional<MessageBoxAnswer> answer;
  BoxPicture picture;
  bool dirty = true;
  bool shown = true;
  auto take = [&](const SDL_Event& e) {
    const Uint32 window = WindowOf(e);
    if (e.type == SDL_QUIT) {
      // A quit from outside: the box closes, and the program hears it after.
      kept.push_back(e);
      answer = model.Close();
    } else if (e.type == SDL_WINDOWEVENT && window == box_id) {
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: answer = model.Close(); break;
        case SDL_WINDOWEVENT_SHOWN:
          // Without a window manager nobody else gives it the keyboard.
          SDL_SetWindowInputFocus(box);
          dirty = true;
          break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: dirty = true; break;
        default: break;
      }
    } else if (e.type == SDL_KEYDOWN) {
      if (const std::optional<BoxKey> key = BoxKeyOf(e.key)) {
        answer = model.Key(*key);
        dirty = true;
      }
    } else if (e.type == SDL_MOUSEBUTTONDOWN && window == box_id && e.button.button == SDL_BUTTON_LEFT) {
      answer = model.MouseDown(ButtonAt(view.layout, e.button.x, e.button.y));
      dirty = true;
    } else if (e.type == SDL_MOUSEBUTTONUP && window == box_id && e.button.button == SDL_BUTTON_LEFT) {
      answer = model.MouseUp(ButtonAt(view.layout, e.button.x, e.button.y));
      dirty = true;
    } else if (!IsInputEvent(e.type) && window != box_id) {
      kept.push_back(e);
    }
  };
  while (!answer && shown) {
    if (dirty) {
      PaintMessageBox(fonts, view.layout, kind, model, &picture);
      shown = ShowPicture(box, picture);
      dirty = false;
      SDL_SysWMinfo info;
      SDL_VERSION(&info.version);
      if (SDL_GetWindowWMInfo(box, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
        view.x11_display = info.info.x11.display;
        view.x11_window = info.info.x11.window;
      }
    }
    view.focused = model.focused();
    ++view.passes;
    if (g_watcher != nullptr) g_watcher(view);
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 50) == 0) continue;
    take(e);
    while (!answer && SDL_PollEvent(&e) != 0) take(e);
  }
  SDL_DestroyWindow(box);
  // What the box's window left behind (its focus and visibility going) is
  // not the program's; the rest is, in its order.
  SDL_PumpEvents();
  SDL_Event e;
  while (SDL_PollEvent(&e) != 0) {
    if (WindowOf(e) != box_id && !IsInputEvent(e.type)) kept.push_back(e);
  }
  for (SDL_Event& k : kept) SDL_PushEvent(&k);
  // A full-screen window gives way while the box has the focus; it comes back.
  if (owner_full_screen && (SDL_GetWindowFlags(owner) & SDL_WINDOW_MINIMIZED) != 0) {
    SDL_RestoreWindow(owner);
    SDL_RaiseWindow(owner);
  }
  if (!answer) return std::nullopt;
  return answer;
}

}  // namespace detail

void WatchMessageBoxes(void (*watcher)(const MessageBoxOnScreen& box)) { detail::g_watcher = watcher; }

}  // namespace platform::window
