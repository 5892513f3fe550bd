// Laying out and drawing a message box with the platform's glyphs.
#include "platform/window/message_box_paint.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "platform/os/charset.h"

namespace platform::window {
namespace {

namespace os = platform::os;
using glyphs::Font;
using glyphs::GlyphBox;
using glyphs::GlyphFormat;

// Cell heights of the three faces, in pixels.
constexpr int kTextCell = 20;
constexpr int kSmallCell = 15;
constexpr int kIconCell = 30;
constexpr int kMargin = 20;
constexpr int kIconSize = 40;
constexpr int kIconGap = 16;
constexpr int kLineGap = 4;
constexpr int kButtonHeight = 32;
constexpr int kButtonMinWidth = 96;
constexpr int kButtonPadding = 32;
constexpr int kButtonGap = 12;
constexpr int kMinWidth = 300;

constexpr uint32_t kButtonFace = 0xE1E1E1;
constexpr uint32_t kButtonBorder = 0xADADAD;
constexpr uint32_t kFocusFace = 0xE5F1FB;
constexpr uint32_t kFocusBorder = 0x0078D7;
constexpr uint32_t kPressedFace = 0xCCE4F7;
constexpr uint32_t kQuestionColour = 0x2F6FBF;
constexpr uint32_t kWarningColour = 0xF0B400;

// The labels and the key lines are the box's own words, kept here in UTF-8.
const char* LabelUtf8(MessageBoxAnswer answer) {
  switch (answer) {
    case MessageBoxAnswer::kYes: return "はい";
    case MessageBoxAnswer::kNo: return "いいえ";
    default: return "OK";
  }
}

const char* HintUtf8(MessageBoxKind kind) {
  return kind == MessageBoxKind::kYesNo ? "←→・Tab：選択　Enter：決定　Esc：いいえ" : "Enter・Esc：閉じる";
}

uint32_t Blend(uint32_t under, uint32_t colour, int level) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t b = (under >> shift) & 0xFF, c = (colour >> shift) & 0xFF;
    out |= ((b * static_cast<uint32_t>(16 - level) + c * static_cast<uint32_t>(level) + 8) / 16) << shift;
  }
  return out;
}

void BlendPixel(BoxPicture* p, int x, int y, uint32_t colour, int level) {
  if (level <= 0 || x < 0 || y < 0 || x >= p->width || y >= p->height) return;
  uint32_t& px = p->pixels[static_cast<size_t>(y) * static_cast<size_t>(p->width) + static_cast<size_t>(x)];
  px = Blend(px, colour, std::min(level, 16));
}

void FillRect(BoxPicture* p, const ScreenRect& r, uint32_t colour) {
  for (int y = std::max(r.y, 0); y < std::min(r.y + r.height, p->height); ++y) {
    for (int x = std::max(r.x, 0); x < std::min(r.x + r.width, p->width); ++x) {
      p->pixels[static_cast<size_t>(y) * static_cast<size_t>(p->width) + static_cast<size_t>(x)] = colour;
    }
  }
}

// A border of the given thickness just inside r.
void FrameRect(BoxPicture* p, const ScreenRect& r, int thickness, uint32_t colour) {
  FillRect(p, {r.x, r.y, r.width, thickness}, colour);
  FillRect(p, {r.x, r.y + r.height - thickness, r.width, thickness}, colour);
  FillRect(p, {r.x, r.y, thickness, r.height}, colour);
  FillRect(p, {r.x + r.width - thickness, r.y, thickness, r.height}, colour);
}

// A shape over its bounding box, smoothed by sampling each pixel 4 x 4 times;
// inside(u, v) takes coordinates from 0 to 1 over the box.
template <typename Inside>
void FillShape(BoxPicture* p, const ScreenRect& r, uint32_t colour, Inside inside) {
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) {
      int level = 0;
      for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
          level += inside((x + (sx + 0.5) / 4) / r.width, (y + (sy + 0.5) / 4) / r.height) ? 1 : 0;
        }
      }
      BlendPixel(p, r.x + x, r.y + y, colour, level);
    }
  }
}

// Calls f(code, bytes) for each CP932 character: the code as the glyph layer
// takes it (a byte, or lead << 8 | trail).
template <typename F>
void ForEachCharacter(std::string_view s, F f) {
  for (size_t i = 0; i < s.size();) {
    const size_t n = os::Cp932CharLength(s, i);
    uint32_t code = static_cast<unsigned char>(s[i]);
    if (n == 2) code = code << 8 | static_cast<unsigned char>(s[i + 1]);
    f(code, s.substr(i, n));
    i += n;
  }
}

int Advance(Font& font, uint32_t code) {
  GlyphBox box;
  glyphs::RenderGlyph(font, code, GlyphFormat::kGray, &box, nullptr, 0);
  return box.advance;
}

bool IsBlank(uint32_t code) { return code == ' ' || code == 0x8140; }

// Marks that end a phrase and so never begin a line.
bool IsClosingMark(uint32_t code) {
  switch (code) {
    case ')': case ',': case '.': case '!': case '?': case ':': case ';':
    case 0x8141: case 0x8142: case 0x8143: case 0x8144: case 0x8146: case 0x8147: case 0x8148:
    case 0x8149: case 0x815B: case 0x8163: case 0x816A: case 0x816E: case 0x8170: case 0x8172:
    case 0x8174: case 0x8176: case 0x8178: case 0x817A:
      return true;
    default:
      return false;
  }
}

int CenteredIn(int start, int span, int size) { return start + (span - size) / 2; }

}  // namespace

MessageBoxFonts::MessageBoxFonts() {
  // The empty face name is IPA Gothic.
  text_ = glyphs::OpenFont("", kTextCell, 400, false);
  small_ = glyphs::OpenFont("", kSmallCell, 400, false);
  icon_ = glyphs::OpenFont("", kIconCell, 700, false);
}

MessageBoxFonts::~MessageBoxFonts() {
  for (Font* f : {text_, small_, icon_}) {
    if (f != nullptr) glyphs::CloseFont(f);
  }
}

int BoxTextWidth(Font& font, const std::string& cp932) {
  int width = 0;
  ForEachCharacter(cp932, [&](uint32_t code, std::string_view) { width += Advance(font, code); });
  return width;
}

std::vector<std::string> WrapBoxText(Font& font, const std::string& cp932, int max_width) {
  struct Piece {
    uint32_t code;
    std::string_view bytes;
    int advance;
  };
  std::vector<std::string> lines;
  std::vector<Piece> line;
  int width = 0;
  auto emit = [&](size_t end) {
    std::string text;
    for (size_t i = 0; i < end; ++i) text += line[i].bytes;
    lines.push_back(text);
  };
  ForEachCharacter(cp932, [&](uint32_t code, std::string_view bytes) {
    if (code == '\r') return;
    if (code == '\n') {
      emit(line.size());
      line.clear();
      width = 0;
      return;
    }
    const int advance = Advance(font, code);
    if (!line.empty() && width + advance > max_width && !IsClosingMark(code) && !IsBlank(code)) {
      size_t blank = line.size();
      while (blank > 1 && !IsBlank(line[blank - 1].code)) --blank;
      if (blank > 1) {
        // Break after the last blank; the blank itself goes.
        emit(blank - 1);
        line.erase(line.begin(), line.begin() + static_cast<ptrdiff_t>(blank));
      } else {
        emit(line.size());
        line.clear();
      }
      width = 0;
      for (const Piece& p : line) width += p.advance;
    }
    line.push_back({code, bytes, advance});
    width += advance;
  });
  if (!line.empty()) emit(line.size());
  return lines;
}

MessageBoxLayout LayOutMessageBox(MessageBoxFonts& fonts, const std::string& text_cp932, MessageBoxKind kind) {
  MessageBoxLayout layout;
  const glyphs::FontMetrics text_metrics = glyphs::GetFontMetrics(fonts.text());
  const glyphs::FontMetrics small_metrics = glyphs::GetFontMetrics(fonts.small());
  const int line_height = text_metrics.height + kLineGap;

  const std::vector<std::string> wrapped = WrapBoxText(fonts.text(), text_cp932, kBoxMaxTextWidth);
  const int text_x = kMargin + kIconSize + kIconGap;
  int text_width = 0;
  for (const std::string& l : wrapped) text_width = std::max(text_width, BoxTextWidth(fonts.text(), l));
  const int text_height = static_cast<int>(wrapped.size()) * line_height - (wrapped.empty() ? 0 : kLineGap);
  const int content_height = std::max(kIconSize, text_height);

  int row_width = 0;
  std::vector<int> button_widths;
  for (MessageBoxAnswer a : MessageBoxButtons(kind)) {
    const std::string label = os::Utf8ToCp932(LabelUtf8(a));
    const int w = std::max(kButtonMinWidth, BoxTextWidth(fonts.text(), label) + kButtonPadding);
    button_widths.push_back(w);
    row_width += w + (row_width > 0 ? kButtonGap : 0);
    layout.labels.push_back({label, 0, 0});
  }
  layout.hint.cp932 = os::Utf8ToCp932(HintUtf8(kind));
  const int hint_width = BoxTextWidth(fonts.small(), layout.hint.cp932);

  layout.width = std::max({kMinWidth, text_x + text_width + kMargin, row_width + 2 * kMargin, hint_width + 2 * kMargin});
  layout.icon = {kMargin, kMargin + (content_height - kIconSize) / 2, kIconSize, kIconSize};
  int y = kMargin + (content_height - text_height) / 2;
  for (const std::string& l : wrapped) {
    layout.lines.push_back({l, text_x, y});
    y += line_height;
  }
  const int buttons_y = kMargin + content_height + kMargin;
  int x = CenteredIn(0, layout.width, row_width);
  for (size_t i = 0; i < button_widths.size(); ++i) {
    layout.buttons.push_back({x, buttons_y, button_widths[i], kButtonHeight});
    BoxTextLine& label = layout.labels[i];
    label.x = CenteredIn(x, button_widths[i], BoxTextWidth(fonts.text(), label.cp932));
    label.y = CenteredIn(buttons_y, kButtonHeight, text_metrics.height);
    x += button_widths[i] + kButtonGap;
  }
  const int hint_y = buttons_y + kButtonHeight + kButtonGap;
  layout.hint.x = CenteredIn(0, layout.width, hint_width);
  layout.hint.y = hint_y;
  layout.height = hint_y + small_metrics.height + kButtonGap;
  return layout;
}

void DrawBoxText(Font& font, const BoxTextLine& line, uint32_t colour, BoxPicture* picture) {
  const int baseline = line.y + glyphs::GetFontMetrics(font).ascent;
  int pen = line.x;
  std::vector<uint8_t> bits;
  ForEachCharacter(line.cp932, [&](uint32_t code, std::string_view) {
    GlyphBox box;
    const int bytes = glyphs::RenderGlyph(font, code, GlyphFormat::kGray, &box, nullptr, 0);
    if (bytes > 0) {
      bits.resize(static_cast<size_t>(bytes));
      glyphs::RenderGlyph(font, code, GlyphFormat::kGray, &box, bits.data(), bits.size());
      const int pitch = glyphs::GlyphRowPitch(GlyphFormat::kGray, box.width);
      for (int gy = 0; gy < box.height; ++gy) {
        for (int gx = 0; gx < box.width; ++gx) {
          BlendPixel(picture, pen + box.origin_x + gx, baseline - box.origin_y + gy, colour,
                     bits[static_cast<size_t>(gy) * static_cast<size_t>(pitch) + static_cast<size_t>(gx)]);
        }
      }
    }
    pen += box.advance;
  });
}

void PaintMessageBox(MessageBoxFonts& fonts, const MessageBoxLayout& layout, MessageBoxKind kind,
                     const MessageBoxModel& model, BoxPicture* picture) {
  picture->width = layout.width;
  picture->height = layout.height;
  picture->pixels.assign(static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height), kBoxBackground);

  // The icon: a question mark in a blue disc, or an exclamation mark in a yellow triangle.
  const ScreenRect& icon = layout.icon;
  std::string mark;
  uint32_t mark_colour = 0xFFFFFF;
  if (kind == MessageBoxKind::kYesNo) {
    FillShape(picture, icon, kQuestionColour, [](double u, double v) {
      return (u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5) <= 0.25;
    });
    mark = "?";
  } else {
    FillShape(picture, icon, kWarningColour, [](double u, double v) {
      return v >= 0.06 && v <= 0.94 && std::abs(u - 0.5) <= 0.5 * (v - 0.06) / 0.88;
    });
    mark = "!";
    mark_colour = 0x000000;
  }
  const glyphs::FontMetrics icon_metrics = glyphs::GetFontMetrics(fonts.icon());
  const int mark_width = BoxTextWidth(fonts.icon(), mark);
  const int mark_drop = kind == MessageBoxKind::kYesNo ? 0 : icon.height / 10;
  DrawBoxText(fonts.icon(),
              {mark, CenteredIn(icon.x, icon.width, mark_width),
               CenteredIn(icon.y, icon.height, icon_metrics.height) + mark_drop},
              mark_colour, picture);

  for (const BoxTextLine& line : layout.lines) DrawBoxText(fonts.text(), line, kBoxTextColour, picture);

  for (size_t i = 0; i < layout.buttons.size(); ++i) {
    const ScreenRect& r = layout.buttons[i];
    const bool focused = static_cast<int>(i) == model.focused();
    const bool pressed = static_cast<int>(i) == model.pressed();
    FillRect(picture, r, pressed ? kPressedFace : focused ? kFocusFace : kButtonFace);
    FrameRect(picture, r, focused ? 2 : 1, focused ? kFocusBorder : kButtonBorder);
    DrawBoxText(fonts.text(), layout.labels[i], kBoxTextColour, picture);
  }
  DrawBoxText(fonts.small(), layout.hint, kBoxHintColour, picture);
}

int ButtonAt(const MessageBoxLayout& layout, int x, int y) {
  for (size_t i = 0; i < layout.buttons.size(); ++i) {
    const ScreenRect& r = layout.buttons[i];
    if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace platform::window
