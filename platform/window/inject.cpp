// Events pushed into SDL's queue for tests, shaped as SDL's video drivers
// shape them.
#include "platform/window/inject.h"

#include <cstring>

#include "platform/window/driver.h"
#include "platform/window/window.h"

namespace platform::window {
namespace {

Uint32 WindowId() {
  SDL_Window* w = detail::ModuleState().window;
  return w != nullptr ? SDL_GetWindowID(w) : 0;
}

bool Push(SDL_Event& e) {
  if (!StartVideo()) return false;
  e.common.timestamp = SDL_GetTicks();
  return SDL_PushEvent(&e) == 1;
}

void PushWindowEvent(Uint8 event, int data1 = 0, int data2 = 0) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = WindowId();
  e.window.event = event;
  e.window.data1 = data1;
  e.window.data2 = data2;
  Push(e);
}

void PushKeyDown(SDL_Keycode key, bool ctrl, bool repeat) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = WindowId();
  e.key.state = SDL_PRESSED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.sym = key;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  e.key.keysym.mod = ctrl ? KMOD_LCTRL : KMOD_NONE;
  Push(e);
}

SDL_Keycode ToKeycode(Key key) {
  switch (key) {
    case Key::kDelete: return SDLK_DELETE;
    case Key::kLeft: return SDLK_LEFT;
    case Key::kRight: return SDLK_RIGHT;
    case Key::kUp: return SDLK_UP;
    case Key::kDown: return SDLK_DOWN;
    case Key::kHome: return SDLK_HOME;
    case Key::kEnd: return SDLK_END;
    case Key::kPageUp: return SDLK_PAGEUP;
    case Key::kPageDown: return SDLK_PAGEDOWN;
    case Key::kBackspace: return SDLK_BACKSPACE;
    case Key::kTab: return SDLK_TAB;
    case Key::kReturn: return SDLK_RETURN;
    case Key::kKeypadEnter: return SDLK_KP_ENTER;
    case Key::kEscape: return SDLK_ESCAPE;
    case Key::kF1: return SDLK_F1;
    case Key::kSpace: return SDLK_SPACE;
  }
  return SDLK_UNKNOWN;
}

}  // namespace

void InjectFocus(bool gained) {
  PushWindowEvent(gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST);
}

void InjectMinimized() { PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED); }

void InjectWindowClose() { PushWindowEvent(SDL_WINDOWEVENT_CLOSE); }

void InjectQuit() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  Push(e);
}

void InjectMoved(int x, int y) { PushWindowEvent(SDL_WINDOWEVENT_MOVED, x, y); }

// SDL queues the size message itself when the size changes.
void InjectUserResize(int width, int height) {
  if (SDL_Window* w = detail::ModuleState().window) SDL_SetWindowSize(w, width, height);
}

void InjectExposed() { PushWindowEvent(SDL_WINDOWEVENT_EXPOSED); }

void InjectDisplayChanged() { PushWindowEvent(SDL_WINDOWEVENT_DISPLAY_CHANGED); }

void InjectMouseMotion(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = WindowId();
  e.motion.x = x;
  e.motion.y = y;
  Push(e);
}

void InjectMouseButton(PhysicalButton button, bool down, int x, int y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.windowID = WindowId();
  e.button.button = static_cast<Uint8>(button);
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  Push(e);
}

void InjectWheel(int x, int y, bool flipped) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.windowID = WindowId();
  e.wheel.x = x;
  e.wheel.y = y;
  e.wheel.preciseX = static_cast<float>(x);
  e.wheel.preciseY = static_cast<float>(y);
  e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  Push(e);
}

void InjectKeyDown(Key key, bool ctrl, bool repeat) { PushKeyDown(ToKeycode(key), ctrl, repeat); }

void InjectLetterKeyDown(char letter, bool ctrl) {
  if (letter < 'a' || letter > 'z') return;
  PushKeyDown(SDLK_a + (letter - 'a'), ctrl, false);
}

void InjectText(const char* utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = WindowId();
  std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
  Push(e);
}

// A composition too long for the event's own text comes as the extended
// event, as SDL sends it when asked for whole compositions.
void InjectComposition(const char* utf8, int cursor, int selected) {
  SDL_Event e{};
  if (std::strlen(utf8) < sizeof e.edit.text) {
    e.type = SDL_TEXTEDITING;
    e.edit.windowID = WindowId();
    std::strncpy(e.edit.text, utf8, sizeof e.edit.text - 1);
    e.edit.start = cursor;
    e.edit.length = selected;
    Push(e);
    return;
  }
  e.type = SDL_TEXTEDITING_EXT;
  e.editExt.windowID = WindowId();
  e.editExt.text = SDL_strdup(utf8);
  e.editExt.start = cursor;
  e.editExt.length = selected;
  if (!Push(e)) SDL_free(e.editExt.text);
}

bool LastTextInputArea(ScreenRect* area) {
  const detail::WindowModuleState& s = detail::ModuleState();
  if (!s.text_input_area_set) return false;
  *area = s.text_input_area;
  return true;
}

void InjectDropFile(const char* utf8_path) {
  SDL_Event e{};
  e.type = SDL_DROPFILE;
  e.drop.windowID = WindowId();
  e.drop.file = SDL_strdup(utf8_path);
  if (!Push(e)) SDL_free(e.drop.file);
}

}  // namespace platform::window
