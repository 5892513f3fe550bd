// The menus' shared pieces: cursor movement, window frames, cursor bars,
// framed boxes, the loading banner, the help balloon with its typed text,
// the title sky, the mouse hit test, and the modal OK and yes/no boxes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/core/input.h"

namespace game {

// The cursor after one frame of the up and down hold counters over `count`
// rows (up wins; repeats on the first frame, then past 20 every 5; wraps).
// moved tells whether it moved.
int32_t cursorAfterHolds(int32_t cursor, int32_t up, int32_t down, int32_t count, bool& moved);
// Moves menuCursor by a record's up and down counters, with sound 0.
void moveMenuCursor(const inputRecord& record, int32_t count);

void drawWindowFrame(int x, int y, int width, int height);
void drawCursorBar(int x, int y, int width, int brightness);
// A colour of 0 draws nothing of that part.
void drawFramedBox(int x, int y, int width, int height, int alpha, uint32_t fill, int thickness, uint32_t frame);
// The loading banner at the foot of the screen, not presented.
void showNowLoading(const std::string& text);
bool isMouseInRect(int x, int y, int width, int height, bool needMove);
void waitAnyKeyPrompt(const std::string& line1, const std::string& line2, bool wait);

// The bytes drawTypedText shows of a Shift-JIS text at a percent: whole
// characters, a double-byte one cut in half taken whole.
size_t typedTextBytes(const std::string& text, int percent);
void drawTypedText(const std::string& text, int x, int y, int percent);
// The help balloon's width after `timer` frames, and the percent of its text shown.
int balloonWidth(int timer, int textWidth);
int balloonPercent(int width, int textWidth);
// The balloon's frame, where a screen shows one: it opens anew when the
// cursor moved, else it has been up one frame more. The balloon shows from
// its 30th frame.
void stepHelpBalloon();
void drawHelpBalloon(int x, int y, const std::string& text, bool toLeft);

// The title sky's moving layers.
struct titleSkyRecord {
  int band = 0;
  int trail = 0;
  int right = 300;
  int left = -100;
};
// One frame's movement at a frame counter.
void stepTitleSky(titleSkyRecord& sky, int32_t frame);
void drawTitleSky();

// The help balloon's memory from frame to frame: the cursor it opened for
// and the frames it has been up.
struct helpBalloonRecord {
  int32_t cursor = -1;
  int timer = 0;
};

// One frame of a modal box's input.
struct boxInput {
  bool leftOrRight = false;  // a press of left or right
  bool pause = false;        // a press of pause
  bool shot = false;         // a press of shot
  bool click = false;        // a press of the left mouse button
  int overButton = -1;       // the button under the mouse (0 Yes or OK, 1 No), -1 none
  bool hover = false;        // the mouse moved, or hovering needs no move
};
// A modal box's state from frame to frame.
struct boxRecord {
  int frame = 1;
  bool yesNo = false;
  bool yes = true;  // the yes/no box's choice
  int flips = 0;    // the OK box's hidden choice
  bool done = false;
  std::vector<int> sounds;  // played this frame, by sound id
};
// Applies one frame's input; the frame number then advances.
void stepBox(boxRecord& box, const boxInput& in);
// The OK box's size for message lines of the given widest width, and the
// label's width; and the yes/no box's half distance between its buttons.
struct boxSize {
  int width, height;
};
boxSize messageBoxSize(int widestLine, int lineCount, int labelWidth);
boxSize yesNoBoxSize(int widestLine, int buttonWidth);
// The last string is the button's label, the others are the lines.
void showMessageBox(const std::vector<std::string>& lines);
// true for Yes. A closed window answers the current choice.
bool showYesNoBox(const std::string& line1, const std::string& line2);

}  // namespace game
