// The test seam of the window module: events pushed into SDL's queue as a
// desktop would send them, the headless driver's scripted message-box
// answers, counters of what the module did, and the window's X identity.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/letterbox.h"
#include "platform/window/message_box.h"
#include "platform/window/message_box_paint.h"

namespace platform::window {

enum class Key {
  kDelete, kLeft, kRight, kUp, kDown, kHome, kEnd, kPageUp, kPageDown,
  kBackspace, kTab, kReturn, kKeypadEnter, kEscape, kF1, kSpace,
};
// SDL's numbering of mouse buttons.
enum class PhysicalButton { kLeft = 1, kMiddle = 2, kRight = 3, kX1 = 4 };

void InjectFocus(bool gained);
void InjectMinimized();
void InjectWindowClose();
void InjectQuit();
void InjectMoved(int x, int y);
// The client area made width x height from outside, as a drag of the window's
// frame leaves it: the window takes the size and, when it changed, its size
// message follows.
void InjectUserResize(int width, int height);
void InjectExposed();
void InjectDisplayChanged();
void InjectMouseMotion(int x, int y);
void InjectMouseButton(PhysicalButton button, bool down, int x, int y);
void InjectWheel(int x, int y, bool flipped);
void InjectKeyDown(Key key, bool ctrl, bool repeat = false);
// letter: 'a' to 'z'.
void InjectLetterKeyDown(char letter, bool ctrl);
void InjectText(const char* utf8);
// cursor: in characters from the composition's start; selected: how many
// characters from the cursor on the input method is converting.
void InjectComposition(const char* utf8, int cursor, int selected = 0);
void InjectDropFile(const char* utf8_path);

// The headless driver answers message boxes from this queue, first in first
// out; with the queue empty it answers OK, or No to a yes/no question.
void ScriptMessageBoxAnswer(MessageBoxAnswer answer);
struct ShownMessageBox {
  std::string title_utf8;
  std::string text_utf8;
  MessageBoxKind kind = MessageBoxKind::kOk;
};
// The last box the headless driver was asked to show; false when none.
bool LastShownMessageBox(ShownMessageBox* box);

// A message box the desktop driver draws, as it stands on screen.
struct MessageBoxOnScreen {
  // The box's window on an X display (an Xlib Display* and the window's id);
  // null and 0 on another video system.
  void* x11_display = nullptr;
  unsigned long x11_window = 0;
  MessageBoxLayout layout;  // where its text and buttons are
  int focused = 0;          // the focused button
  int passes = 0;           // passes of the box's loop so far, this one included
};
// Called on every pass of a drawn box's loop, after its picture was handed to
// the display (null: no one watches); a test reads the box back and answers it.
void WatchMessageBoxes(void (*watcher)(const MessageBoxOnScreen& box));

// What the headless driver was last asked to show.
struct PresentedFrame {
  int width = 0;   // the source part's size
  int height = 0;
  // The source part's pixels, row by row, as 32-bit words read in the host's
  // byte order from bytes blue, green, red, fourth.
  std::vector<uint32_t> pixels;
  ScreenRect placement;  // where it went, in client pixels
  bool waited_for_vblank = false;
};
// Frames the headless driver has presented since the last forgetting.
int PresentedFrameCount();
// The last one; false when there is none.
bool LastPresentedFrame(PresentedFrame* frame);
void ForgetPresentedFrames();
// Posts a quit (as the user closing the program) once that many frames have
// been presented since the last forgetting; 0 never. Forgetting clears it.
void QuitAfterPresentedFrames(int count);

// The text input area SDL was last given, in window pixels; false when none
// was given since the window opened.
bool LastTextInputArea(ScreenRect* area);

// How many times the system cursor was shown or hidden.
int CursorChangeCount();
// Whether the system cursor is shown now.
bool SystemCursorShown();
// The window's title as SDL holds it (UTF-8); empty without a window.
std::string WindowTitleUtf8();
// The program's window as an X display knows it, for tests that read the
// window back from the display server: the display (an Xlib Display*) and the
// window's id. False without a window, or when it is not on an X display.
bool FindX11Window(void** display, unsigned long* window);

}  // namespace platform::window
