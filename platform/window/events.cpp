// Translation of SDL events into the library's messages: window events,
// mouse, wheel, editing keys and control characters from key presses, typed
// text as CP932 bytes, dropped files.
#include "platform/window/events.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "platform/os/charset.h"
#include "platform/window/driver.h"
#include "platform/window/window.h"

namespace platform::window {
namespace {

using detail::ModuleState;

// Length of the UTF-8 sequence that starts with lead (1 for a stray byte).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Typed text as CP932, character by character: a character that CP932 lacks
// is dropped rather than typed as a stand-in.
std::string TypedTextToCp932(std::string_view utf8) {
  std::string result;
  size_t i = 0;
  while (i < utf8.size()) {
    size_t n = std::min(SequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    if (std::optional<std::string> c = platform::os::TryUtf8ToCp932(utf8.substr(i, n))) result += *c;
    i += n;
  }
  return result;
}

void Add(std::vector<Message>* out, MessageKind kind, int a = 0, int b = 0) {
  Message m;
  m.kind = kind;
  m.a = a;
  m.b = b;
  out->push_back(std::move(m));
}

// Editing keys arrive as key presses; text entry wants them as control characters.
int EditKeyCharacter(SDL_Keycode key) {
  switch (key) {
    case SDLK_DELETE: return 0x10;
    case SDLK_LEFT: return 0x1D;
    case SDLK_RIGHT: return 0x1C;
    case SDLK_UP: return 0x1E;
    case SDLK_DOWN: return 0x1F;
    case SDLK_HOME: return 0x1A;
    case SDLK_END: return 0x19;
    case SDLK_PAGEUP: return 0x17;
    case SDLK_PAGEDOWN: return 0x15;
    default: return 0;
  }
}

// SDL's text events carry no control characters: they come from key presses,
// as a keyboard driver would produce them (Ctrl+letter is 1 to 26, Ctrl+Return
// a line feed).
int ControlCharacter(SDL_Keycode key, Uint16 mod) {
  bool ctrl = (mod & KMOD_CTRL) != 0;
  switch (key) {
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return ctrl ? 10 : 13;
    case SDLK_ESCAPE: return 0x1B;
    default: break;
  }
  if (ctrl && key >= SDLK_a && key <= SDLK_z) return static_cast<int>(key - SDLK_a) + 1;
  return 0;
}

int ButtonCode(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    default: return 0;
  }
}

void NoteMouse(int x, int y) {
  ModuleState().mouse_x = x;
  ModuleState().mouse_y = y;
}

void TranslateWindowEvent(const SDL_WindowEvent& e, std::vector<Message>* out) {
  switch (e.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED: Add(out, MessageKind::WM_ACTIVATE, 1, 0); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: Add(out, MessageKind::WM_ACTIVATE, 0, 0); break;
    case SDL_WINDOWEVENT_MINIMIZED: Add(out, MessageKind::WM_ACTIVATE, 0, 1); break;
    case SDL_WINDOWEVENT_CLOSE: Add(out, MessageKind::WM_CLOSE); break;
    case SDL_WINDOWEVENT_MOVED: Add(out, MessageKind::WM_MOVE, e.data1, e.data2); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: Add(out, MessageKind::WM_SIZE, e.data1, e.data2); break;
    case SDL_WINDOWEVENT_EXPOSED: Add(out, MessageKind::WM_PAINT); break;
    case SDL_WINDOWEVENT_DISPLAY_CHANGED: Add(out, MessageKind::WM_DISPLAYCHANGE); break;
    default: break;
  }
}

void Translate(const SDL_Event& e, std::vector<Message>* out) {
  switch (e.type) {
    case SDL_QUIT: Add(out, MessageKind::WM_CLOSE); break;
    case SDL_WINDOWEVENT: TranslateWindowEvent(e.window, out); break;
    case SDL_DISPLAYEVENT: Add(out, MessageKind::WM_DISPLAYCHANGE); break;
    case SDL_MOUSEMOTION: {
      NoteMouse(e.motion.x, e.motion.y);
      int x = 0, y = 0;
      ReadMouse(&x, &y);
      Add(out, MessageKind::WM_MOUSEMOVE, x, y);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      NoteMouse(e.button.x, e.button.y);
      int code = ButtonCode(e.button.button);
      if (code != 0)
        Add(out, e.type == SDL_MOUSEBUTTONDOWN ? MessageKind::kMouseButtonDown : MessageKind::kMouseButtonUp, code);
      break;
    }
    case SDL_MOUSEWHEEL: {
      // Only the vertical wheel counts; a sideways scroll is no notch.
      Sint32 y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      if (y != 0) Add(out, MessageKind::WM_MOUSEWHEEL, y > 0 ? 1 : -1);
      break;
    }
    case SDL_KEYDOWN: {
      if (int c = EditKeyCharacter(e.key.keysym.sym)) {
        Add(out, MessageKind::WM_KEYDOWN, c);
      } else if (int ctl = ControlCharacter(e.key.keysym.sym, e.key.keysym.mod)) {
        Add(out, MessageKind::WM_CHAR, ctl);
      }
      break;
    }
    case SDL_TEXTINPUT:
      for (unsigned char byte : TypedTextToCp932(e.text.text)) Add(out, MessageKind::WM_CHAR, byte);
      break;
    case SDL_TEXTEDITING: {
      Message m;
      m.kind = MessageKind::WM_IME_COMPOSITION;
      m.a = e.edit.start;
      m.b = std::max(e.edit.length, 0);
      m.text = TypedTextToCp932(e.edit.text);
      out->push_back(std::move(m));
      break;
    }
    case SDL_TEXTEDITING_EXT: {
      Message m;
      m.kind = MessageKind::WM_IME_COMPOSITION;
      m.a = e.editExt.start;
      m.b = std::max(e.editExt.length, 0);
      if (e.editExt.text != nullptr) m.text = TypedTextToCp932(e.editExt.text);
      out->push_back(std::move(m));
      SDL_free(e.editExt.text);
      break;
    }
    case SDL_DROPFILE: {
      Message m;
      m.kind = MessageKind::WM_DROPFILES;
      // A name with a character that CP932 lacks could not be opened again: skip it.
      std::optional<std::string> name;
      if (e.drop.file != nullptr) name = platform::os::TryUtf8ToCp932(e.drop.file);
      if (name) {
        m.text = std::move(*name);
        out->push_back(std::move(m));
      }
      SDL_free(e.drop.file);
      break;
    }
    default: break;
  }
}

}  // namespace

bool PollMessages(std::vector<Message>* out) {
  if (!ModuleState().video_started) return false;
  SDL_Event e;
  if (SDL_PollEvent(&e) == 0) return false;
  Translate(e, out);
  return true;
}

}  // namespace platform::window
