// The window's event source: each SDL event becomes zero or more of the
// library's own messages. One SDL event is one "message" for the caller's
// batching, whatever it turned into.
#pragma once

#include <string>
#include <vector>

namespace platform::window {

enum class MessageKind {
  kActivate,         // a: 1 active, 0 inactive; b: 1 when the window was minimised
  kClose,            // the close box, or a quit request (also SIGINT / SIGTERM)
  kMove,             // a, b: the client origin on the desktop
  kSize,             // a, b: the client size
  kPaint,            // the window must be drawn again
  kDisplayChange,    // the window moved to another display or the display changed
  kMouseMove,        // a, b: the position as ReadMouse gives it
  kMouseButtonDown,  // a: 1 left, 2 right, 4 middle
  kMouseButtonUp,    // a: as above
  kWheel,            // a: +1 a forward notch, -1 a backward one
  kEditKey,          // a: the control character of an editing key
  kChar,             // a: one CP932 byte of typed text, or a control character
  kComposition,      // text: the input method's composition (CP932); a: its cursor
  kDropFile,         // text: the dropped file's path (CP932)
};

struct Message {
  MessageKind kind = MessageKind::kPaint;
  int a = 0;
  int b = 0;
  std::string text;
};

// Takes one event from the queue; false when the queue is empty. The event's
// messages are appended to *out (possibly none).
bool PollMessages(std::vector<Message>* out);

}  // namespace platform::window
