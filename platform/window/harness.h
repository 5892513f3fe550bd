// The whole-game harness: one switch, VEZIV_HARNESS=<script file>, read
// once, runs the program headless and reproducible: SDL's dummy drivers,
// the manual clock from a fixed start (which also fixes the random seed
// taken from it), scripted message-box answers, scripted keys, mouse and
// pad bits by frame, a checksum of every presented frame written to
// "harness-frames.txt" in the folder the program started in, and chosen
// frames as "harness-frame-N.png".
//
// The script, one statement a line ('#' starts a comment):
//   box yes|no|ok|fail     the next message box's answer, in order
//   png N                  writes presented frame N (1 = the first)
//   limit N                quits after N presented frames (default 20000)
//   F key down|up KEY      after F frames: a key held or released, by its name
//                          (Z, Escape, Return, Up, LeftShift, Keypad8, Digit1:
//                          key_names.h) or by its library key code (0x2C)
//   F key tap KEY          the key held from frame F to F + 2
//   F-G/N ...              any of these but quit every N frames (3 or more) from F through G
//   F mouse X Y BUTTONS    after F frames: mouse position and buttons (1 left, 2 right, 4 middle)
//   F pad BITS             after F frames: pad 1's bits (0x1 down, 0x2 left, 0x4 right, 0x8 up, 0x10.. buttons)
//   F quit                 after F frames: the user closes the program
//   F text WORD            after F frames: WORD typed (UTF-8, no blanks), as a text entry gets it
//   F return               after F frames: the Return key pressed and let go, as a text entry gets it
// Each present moves the manual clock on by 16 ms, as a present that waits
// for the display's refresh would. A wait for a key that shows nothing new
// presents the last frame again each pass (WaitForInputPass), so the
// script's keys reach it by frame as they reach the frames that draw.
// A script is at most kMaxHarnessScriptBytes long; its lines make at most
// half a million events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::window {

// True when VEZIV_HARNESS names a script (read once, at program start).
bool HarnessActive();

// The scripted state the input module reads under the harness.
struct HarnessInput {
  uint8_t keys[256] = {};  // by library key code, 1 = held
  int mouse_buttons = 0;
  int pad_bits = 0;
};
const HarnessInput& HarnessInputState();

// A parsed script, for tests of the reader.
struct HarnessEvent {
  int frame = 0;
  enum Kind { kKeyDown, kKeyUp, kMouse, kPad, kQuit, kText, kReturn } kind = kQuit;
  int a = 0, b = 0, c = 0;
  std::string text;  // kText: UTF-8
};
struct HarnessScript {
  std::vector<int> answers;  // MessageBoxAnswer values
  std::vector<int> png_frames;
  int limit = 20000;
  std::vector<HarnessEvent> events;  // in frame order
};
// Reads a script's text; false with the line's number and text in *error.
bool ParseHarnessScript(const std::string& text, HarnessScript* script, std::string* error);

inline constexpr size_t kMaxHarnessScriptBytes = 1 << 20;
// Reads a script file whole; false, with the reason in *error, for a file
// that cannot be read, a folder, or more than kMaxHarnessScriptBytes (a pipe
// or a device is read only that far).
bool ReadHarnessScriptFile(const char* path, std::string* text, std::string* error);

// The checksum of a frame's pixels: 64 bits, over every pixel and its place,
// at the speed the frame is read from memory. Only runs of the same build
// compare checksums, so it may change between builds.
uint64_t FrameChecksum(const uint32_t* pixels, size_t count);

// Writes a presented frame as an RGB PNG; false when the file cannot be
// written.
struct PresentedFrame;
bool WriteFramePng(const char* path, const PresentedFrame& frame);

// One pass of a wait for input that has nothing new to show: sleeps a
// millisecond; under the harness the last frame is presented again instead,
// as a display keeps showing it, so that the script's input for the next
// frame arrives and the script's frame limit ends a wait no key ends.
void WaitForInputPass();

}  // namespace platform::window
