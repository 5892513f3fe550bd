// The window's event source: each SDL event becomes zero or more of the
// library's own messages. One SDL event is one "message" for the caller's
// batching, whatever it turned into.
#pragma once

#include <string>
#include <vector>

namespace platform::window {

enum class MessageKind {
  WM_ACTIVATE,         // a: 1 active, 0 inactive; b: 1 when the window was minimised
  WM_CLOSE,            // the close box, or a quit request (also SIGINT / SIGTERM)
  WM_DESTROY,          // the window is going: the library's answer to WM_CLOSE
  WM_MOVE,             // a, b: the client origin on the desktop
  WM_SIZE,             // a, b: the client size
  WM_PAINT,            // the window must be drawn again
  WM_DISPLAYCHANGE,    // the window moved to another display or the display changed
  WM_MOUSEMOVE,        // a, b: the position as ReadMouse gives it
  kMouseButtonDown,    // a: 1 left, 2 right, 4 middle
  kMouseButtonUp,      // a: as above
  WM_MOUSEWHEEL,       // a: +1 a forward notch, -1 a backward one
  WM_KEYDOWN,          // a: the control character of an editing key
  WM_CHAR,             // a: one CP932 byte of typed text, or a control character
  WM_IME_COMPOSITION,  // text: the input method's composition (CP932); a: its cursor; b: the
                       // length of the part being converted from the cursor on (characters, 0: none)
  WM_DROPFILES,        // text: the dropped file's path (CP932)
};

struct Message {
  MessageKind kind = MessageKind::WM_PAINT;
  int a = 0;
  int b = 0;
  std::string text;
};

// Takes one event from the queue; false when the queue is empty. The event's
// messages are appended to *out (possibly none).
bool PollMessages(std::vector<Message>* out);

}  // namespace platform::window
