// The look of a message box, drawn by the platform layer itself into a
// picture of its own: the text wrapped to the box, an icon by kind (a
// question mark for a question, an exclamation mark otherwise), the buttons
// in a row with the focused one marked, and a line naming the keys. Text is
// drawn with the platform's glyphs in the IPA Gothic face, so Japanese reads
// the same whatever the desktop's fonts and locale.
//
// A glyph's coverage level L (0 to 16) puts colour c over background b as
// (b * (16 - L) + c * L + 8) / 16, channel by channel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/glyphs/glyphs.h"
#include "platform/window/letterbox.h"
#include "platform/window/message_box_model.h"

namespace platform::window {

inline constexpr uint32_t kBoxBackground = 0xF0F0F0;
inline constexpr uint32_t kBoxTextColour = 0x000000;
inline constexpr uint32_t kBoxHintColour = 0x505050;
// The widest a line of the message may be, in pixels.
inline constexpr int kBoxMaxTextWidth = 460;

// 0xRRGGBB pixels, rows top-down.
struct BoxPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// One line of text: CP932 bytes, drawn from x with its cell's top at y.
struct BoxTextLine {
  std::string cp932;
  int x = 0;
  int y = 0;
};

// The faces a box draws with; ok() is false when no font file can be had.
class MessageBoxFonts {
 public:
  MessageBoxFonts();
  ~MessageBoxFonts();
  MessageBoxFonts(const MessageBoxFonts&) = delete;
  MessageBoxFonts& operator=(const MessageBoxFonts&) = delete;
  bool ok() const { return text_ != nullptr && small_ != nullptr && icon_ != nullptr; }
  glyphs::Font& text() { return *text_; }    // the message and the buttons
  glyphs::Font& small() { return *small_; }  // the line naming the keys
  glyphs::Font& icon() { return *icon_; }

 private:
  glyphs::Font* text_ = nullptr;
  glyphs::Font* small_ = nullptr;
  glyphs::Font* icon_ = nullptr;
};

struct MessageBoxLayout {
  int width = 0;
  int height = 0;
  ScreenRect icon;
  std::vector<BoxTextLine> lines;  // the message, in the text font
  std::vector<ScreenRect> buttons;  // by button, left to right
  std::vector<BoxTextLine> labels;  // the buttons' labels, in the text font
  BoxTextLine hint;                 // in the small font
};

// The width of a CP932 text drawn in font: the sum of its glyphs' advances.
int BoxTextWidth(glyphs::Font& font, const std::string& cp932);
// The text's lines no wider than max_width: broken at each line feed, then
// after the last blank that fits, else between characters; a closing mark
// (、。）」！？ and the like) stays on the line it ends.
std::vector<std::string> WrapBoxText(glyphs::Font& font, const std::string& cp932, int max_width);

MessageBoxLayout LayOutMessageBox(MessageBoxFonts& fonts, const std::string& text_cp932, MessageBoxKind kind);
// The whole box as the model stands.
void PaintMessageBox(MessageBoxFonts& fonts, const MessageBoxLayout& layout, MessageBoxKind kind,
                     const MessageBoxModel& model, BoxPicture* picture);
// The button under a point of the box, -1 for none.
int ButtonAt(const MessageBoxLayout& layout, int x, int y);

// A text's glyphs blended over the picture, clipped to it.
void DrawBoxText(glyphs::Font& font, const BoxTextLine& line, uint32_t colour, BoxPicture* picture);

}  // namespace platform::window
