// The menus' shared pieces and the modal boxes.
#include "game/core/widgets.h"

#include <algorithm>
#include <cmath>

#include "game/core/frame_loop.h"
#include "game/core/key_files.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr int kOpenFrames = 16;  // the frame from which an answer counts
constexpr int kGrowFrames = 10;

bool repeats(int32_t hold) { return hold == 1 || (hold > 20 && hold % 5 == 0); }

bool leadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

constexpr double kPi = 3.14159265358979323846;

// The contents' alpha while the box opens: nothing before frame 11.
int openingAlpha(int frame) { return frame < kOpenFrames ? std::max(0, ((frame - 1) - 9) * 255 / 6) : 255; }

// Reads the modal boxes' input for one frame.
boxInput readBoxInput() {
  inputRecord& p = Session().playerInputs[0];
  updateInput(p, 1);
  updateMouseButtons(p);
  isMouseMoved();
  boxInput in;
  in.leftOrRight = p.hold[kActionLeft] == 1 || p.hold[kActionRight] == 1;
  in.pause = p.hold[kActionPause] == 1;
  in.shot = p.hold[kActionShot] == 1;
  in.click = p.hold[kActionMouseLeft] == 1;
  in.hover = Session().frame.mouseMoved || !Session().frame.hoverNeedsMove;
  return in;
}

// The screen under a box, kept while it shows.
veziv::GraphHandle captureScreen() {
  const veziv::GraphHandle g = veziv::CreateEmptyGraph(800, 600, 0);
  veziv::CaptureScreenToGraph(0, 0, 800, 600, g);
  return g;
}

// The frame growing from 64 x 64 before frame 10, then whole.
void drawBoxFrame(int frame, int width, int height) {
  int w = width, h = height;
  if (frame < kGrowFrames) {
    w = (width - 64) * frame / kGrowFrames + 64;
    h = (height - 64) * frame / kGrowFrames + 64;
  }
  drawWindowFrame(400 - w / 2, 300 - h / 2, w, h);
}

void playBoxSounds(const boxRecord& box) {
  for (int id : box.sounds) playMenuSound(id);
}

}  // namespace

int32_t cursorAfterHolds(int32_t cursor, int32_t up, int32_t down, int32_t count, bool& moved) {
  moved = true;
  if (repeats(up)) return cursor <= 1 ? count : cursor - 1;
  if (repeats(down)) return cursor >= count ? 1 : cursor + 1;
  moved = false;
  return cursor;
}

void moveMenuCursor(const inputRecord& record, int32_t count) {
  bool moved = false;
  Session().menuCursor =
      cursorAfterHolds(Session().menuCursor, record.hold[kActionUp], record.hold[kActionDown], count, moved);
  if (moved) playMenuSound(kSoundCursor);
}

void drawWindowFrame(int x, int y, int width, int height) {
  veziv::ChooseBlendMode(1, 160);
  const int right = x + width - 32;
  const int bottom = y + height - 32;
  auto piece = [](int index) { return sheetPiece(infoFrameSheet, index); };
  for (int ty = y + 32; ty < bottom; ty += 32) {
    const int th = std::min(32, bottom - ty);
    veziv::RenderGraphPart(x, ty, 0, 0, 32, th, piece(3), 1, 0);
    veziv::RenderGraphPart(right, ty, 0, 0, 32, th, piece(5), 1, 0);
    for (int tx = x + 32; tx < right; tx += 32) {
      veziv::RenderGraphPart(tx, ty, 0, 0, std::min(32, right - tx), th, piece(4), 1, 0);
    }
  }
  for (int tx = x + 32; tx < right; tx += 32) {
    const int tw = std::min(32, right - tx);
    veziv::RenderGraphPart(tx, y, 0, 0, tw, 32, piece(1), 1, 0);
    veziv::RenderGraphPart(tx, bottom, 0, 0, tw, 32, piece(7), 1, 0);
  }
  veziv::RenderGraphAtPoint(x, y, piece(0), 1);
  veziv::RenderGraphAtPoint(right, y, piece(2), 1);
  veziv::RenderGraphAtPoint(x, bottom, piece(6), 1);
  veziv::RenderGraphAtPoint(right, bottom, piece(8), 1);
  veziv::ChooseBlendMode(0, 0);
}

void drawCursorBar(int x, int y, int width, int brightness) {
  if (brightness != 255) veziv::SetDrawColorScale(brightness, brightness, 255);
  const veziv::GraphHandle bar = graphOf(kImageYesNo);
  veziv::RenderGraphPart(x, y, 0, 0, 11, 26, bar, 1, 0);
  const int end = x + width - 11;
  for (int mx = x + 11; mx < end; mx += 11) veziv::RenderGraphPart(mx, y, 11, 0, std::min(11, end - mx), 26, bar, 1, 0);
  veziv::RenderGraphPart(end, y, 21, 0, 11, 26, bar, 1, 0);
  if (brightness != 255) veziv::SetDrawColorScale(255, 255, 255);
}

void drawFramedBox(int x, int y, int width, int height, int alpha, uint32_t fill, int thickness, uint32_t frame) {
  veziv::ChooseBlendMode(1, alpha);
  if (fill != 0) veziv::DrawBoxFilled(x, y, x + width, y + height, fill);
  if (frame != 0) {
    for (int k = 0; k < thickness; ++k) veziv::DrawBoxFrame(x + k, y + k, x + width - k, y + height - k, frame);
  }
  veziv::ChooseBlendMode(0, 0);
}

void showNowLoading(const std::string& text) {
  drawCursorBar(0, 570, veziv::MeasureTextDefaultFont(text.c_str(), static_cast<int>(text.size()), 0) + 10, 255);
  veziv::DrawTextDefaultFont(5, 572, text.c_str(), Session().colourWhite, 0);
}

bool isMouseInRect(int x, int y, int width, int height, bool needMove) {
  if (needMove && !Session().frame.mouseMoved) return false;
  return x <= Session().frame.mouseX && Session().frame.mouseX <= x + width && y <= Session().frame.mouseY &&
         Session().frame.mouseY <= y + height;
}

void waitAnyKeyPrompt(const std::string& line1, const std::string& line2, bool wait) {
  drawFramedBox(100, 200, 600, 200, 255, Session().colourWhite, 5, Session().colourBlack);
  veziv::DrawTextDefaultFont(120, 220, line1.c_str(), Session().colourWhite, Session().colourBlack);
  veziv::DrawTextDefaultFont(120, 250, line2.c_str(), Session().colourWhite, Session().colourBlack);
  if (wait) {
    veziv::DrawTextDefaultFont(120, 280, "何かキーを押してください。", Session().colourWhite,
                               Session().colourBlack);
    veziv::PresentBackBuffer();
    veziv::WaitForAnyKey();
  } else {
    veziv::PresentBackBuffer();
  }
}

size_t typedTextBytes(const std::string& text, int percent) {
  const size_t length = std::min(text.size(), text.find('\0'));
  const size_t wanted = length * static_cast<size_t>(std::clamp(percent, 0, 100)) / 100;
  size_t taken = 0;
  while (taken < wanted) taken += leadByte(static_cast<unsigned char>(text[taken])) ? 2 : 1;
  return std::min(taken, length);
}

void drawTypedText(const std::string& text, int x, int y, int percent) {
  const size_t n = typedTextBytes(text, percent);
  if (n == 0) return;
  const std::string part = text.substr(0, n);
  veziv::DrawTextWithFont(x, y, part.c_str(), Session().colourBlack, Session().registry.gameFont, 0, 0);
}

int balloonWidth(int timer, int textWidth) { return std::max(22, std::min((timer - 30) * 12, textWidth + 20)); }

int balloonPercent(int width, int textWidth) {
  if (textWidth <= 0) return 100;
  return std::clamp((width - 10) * 100 / textWidth, 0, 100);
}

namespace {

// The highlight's piece of the underline from hx, up to its end while the
// balloon still grows.
void underlineGlow(int hx, int end, int y, uint32_t glow) {
  if (hx < end) veziv::DrawLineSegment(hx, y, std::min(hx + 10, end), y, glow, 2);
}

}  // namespace

void stepHelpBalloon() {
  helpBalloonRecord& b = Session().helpBalloon;
  if (Session().menuCursor != b.cursor) {
    b.cursor = Session().menuCursor;
    b.timer = 0;
  } else {
    ++b.timer;
  }
}

void drawHelpBalloon(int x, int y, const std::string& text, bool toLeft) {
  const helpBalloonRecord& b = Session().helpBalloon;
  if (b.cursor != Session().menuCursor || b.timer < 30) return;
  const int timer = b.timer;
  const int textWidth =
      veziv::MeasureTextWithFont(text.c_str(), static_cast<int>(text.size()), Session().registry.gameFont, 0);
  const int g = balloonWidth(timer, textWidth);
  const int bx = toLeft ? x - g : x + 30;
  const int percent = balloonPercent(g, textWidth);
  const int ax = toLeft ? x + 30 : x, bxEnd = toLeft ? x : x + 30;
  veziv::DrawLineSegment(ax, y, bxEnd, y + 26, Session().colourGrey, 2);
  veziv::DrawLineSegment(ax, y + 1, bxEnd, y + 27, Session().colourBlack, 1);
  veziv::DrawLineSegment(bx, y + 26, bx + g, y + 26, Session().colourGrey, 2);
  veziv::DrawLineSegment(bx, y + 27, bx + g, y + 27, Session().colourBlack, 1);
  // The travelling highlight: down the pointer, then along the underline
  // (the other way round to the left), then a rest of 500 steps.
  const int line = static_cast<int>(std::hypot(30.0, 26.0));
  const int span = textWidth + 20;
  const int p = (5 * (timer - 30)) % (line + span + 500);
  veziv::ChooseBlendMode(1, 150);
  const uint32_t glow = veziv::PackColorForScreen(255, 255, 100);
  if (!toLeft && p <= line) {
    const double t = p / static_cast<double>(line);
    veziv::DrawLineSegment(x + static_cast<int>(30 * t), y + static_cast<int>(26 * t), x + static_cast<int>(30 * t) + 7,
                           y + static_cast<int>(26 * t) + 6, glow, 2);
  } else if (!toLeft && p <= line + span) {
    underlineGlow(bx + (p - line), bx + g, y + 26, glow);
  } else if (toLeft && p <= span) {
    underlineGlow(bx + p, bx + g, y + 26, glow);
  } else if (toLeft && p <= span + line) {
    const double t = (p - span) / static_cast<double>(line);
    veziv::DrawLineSegment(x + static_cast<int>(30 * t), y + 26 - static_cast<int>(26 * t),
                           x + static_cast<int>(30 * t) + 7, y + 20 - static_cast<int>(26 * t), glow, 2);
  }
  veziv::ChooseBlendMode(0, 0);
  veziv::RenderGraphAtPoint(bx, y + 9, graphOf(kImageBalloonGradientEnd), 1);
  const int bodyEnd = bx + g - 16;
  for (int tx = bx + 16; tx < bodyEnd; tx += 16)
    veziv::RenderGraphPart(tx, y + 9, 0, 0, std::min(16, bodyEnd - tx), 16, graphOf(kImageBalloonGradient), 1, 0);
  veziv::RenderGraphMirrored(bodyEnd, y + 9, graphOf(kImageBalloonGradientEnd), 1);
  drawTypedText(text, bx + 10, y + 12, percent);
}

void stepTitleSky(titleSkyRecord& sky, int32_t frame) {
  if (frame % 9 == 0) {
    ++sky.trail;
    ++sky.right;
  }
  if (frame % 6 == 0) --sky.left;
  if (frame % 21 == 0) ++sky.band;
  if (sky.band > 800) sky.band = -700;
  if (sky.trail > 850) sky.trail = -200;
  if (sky.right > 800) sky.right = -726;
  if (sky.left < -760) sky.left = 800;
}

void drawTitleSky() {
  veziv::RenderGraphAtPoint(0, 0, graphOf(kImageTitleBackground), 0);
  const titleSkyRecord& s = Session().titleSky;
  veziv::RenderGraphStretched(s.band, 50, s.band + 700, 300, graphOf(kImageTitleLogoBackCloud), 1);
  veziv::RenderGraphStretched(s.right, 150, s.right + 726, 600, graphOf(kImageTitleRightCloud), 1);
  veziv::RenderGraphStretched(s.left, 238, s.left + 760, 600, graphOf(kImageTitleLeftCloud), 1);
  constexpr int kTrail[6][4] = {{-30, 40, 200, 48}, {-25, 50, 190, 57}, {-20, 59, 180, 63},
                                {-15, 67, 170, 71}, {-10, 74, 160, 77}, {-5, 80, 150, 83}};
  for (const auto& t : kTrail) {
    veziv::RenderGraphStretched(s.trail + t[0], t[1], s.trail + t[2], t[3], graphOf(kImageTitlePlaneCloud), 1);
  }
  veziv::RenderGraphAtPoint(130, 100, graphOf(kImageTitleLogo), 1);
}

void stepBox(boxRecord& box, const boxInput& in) {
  box.sounds.clear();
  if (in.leftOrRight) {
    box.sounds.push_back(kSoundCursor);
    if (box.yesNo) {
      box.yes = !box.yes;
    } else {
      ++box.flips;
    }
  }
  if (box.yesNo && in.overButton >= 0 && in.hover && box.yes != (in.overButton == 0)) {
    box.yes = in.overButton == 0;
    box.sounds.push_back(kSoundCursor);
  }
  if (box.frame == kGrowFrames) box.sounds.push_back(kSoundCaution);
  const bool opening = box.frame < kOpenFrames;
  auto skipOpening = [&] {
    if (box.frame < kGrowFrames) box.sounds.push_back(kSoundCaution);
    box.frame = kOpenFrames;
  };
  // The OK box takes any click while it opens; the yes/no box only a click
  // on one of its buttons.
  const bool confirm = in.shot || (in.click && ((opening && !box.yesNo) || in.overButton >= 0));
  if (in.pause) {
    if (opening) {
      skipOpening();
    } else {
      if (box.yesNo) box.yes = false;
      box.sounds.push_back(kSoundDecide);
      box.done = true;
    }
  } else if (confirm) {
    if (opening) {
      skipOpening();
    } else {
      if (box.yesNo && in.click && !in.shot) box.yes = in.overButton == 0;
      box.sounds.push_back(kSoundDecide);
      box.done = true;
    }
  }
  ++box.frame;
}

boxSize messageBoxSize(int widestLine, int lineCount, int labelWidth) {
  return {std::max(widestLine + 40, 2 * labelWidth + 60), 26 * lineCount + 80};
}

boxSize yesNoBoxSize(int widestLine, int buttonWidth) { return {std::max(widestLine + 40, 2 * buttonWidth + 40), 200}; }

namespace {

// The modal loop both boxes share: input, the step, the captured screen
// under a growing frame, then the contents (overButton: the button under
// the mouse; contents(frame) draws while they fade in).
template <typename Over, typename Contents>
void runBox(boxRecord& box, boxSize size, Over overButton, Contents contents) {
  const veziv::GraphHandle under = captureScreen();
  while (!box.done) {
    boxInput in = readBoxInput();
    in.overButton = overButton();
    const int f = box.frame;
    stepBox(box, in);
    playBoxSounds(box);
    veziv::RenderGraphAtPoint(0, 0, under, 0);
    drawBoxFrame(f, size.width, size.height);
    const int alpha = openingAlpha(f);
    if (alpha > 0) {
      veziv::ChooseBlendMode(1, alpha);
      contents(f);
      veziv::ChooseBlendMode(0, 0);
    }
    // A box that cannot be shown (no window) cannot be answered either.
    if (veziv::PresentBackBuffer() != 0 || veziv::PumpMessages() != 0) break;
  }
  veziv::FreeGraphHandle(under, 0);
}

bool mouseOver(int x, int y, int width, int height) {
  return Session().frame.mouseX >= x && Session().frame.mouseX <= x + width && Session().frame.mouseY >= y &&
         Session().frame.mouseY <= y + height;
}

int pulse(int base, int frame) { return base + static_cast<int>(50 * std::cos(6 * frame * kPi / 180)); }

}  // namespace

void showMessageBox(const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  const std::string label = lines.back();
  const std::vector<std::string> text(lines.begin(), lines.end() - 1);
  int widest = 0;
  for (const std::string& l : text) widest = std::max(widest, veziv::MeasureTextDefaultFont(l.c_str(), -1, 0));
  const int labelWidth = veziv::MeasureTextWithFont(label.c_str(), -1, Session().registry.boxFont, 0);
  const int bw = labelWidth + 10;
  const boxSize size = messageBoxSize(widest, static_cast<int>(text.size()), labelWidth);
  const int buttonY = size.height / 2 + 258;
  boxRecord box;
  runBox(
      box, size, [&] { return mouseOver(400 - bw / 2, buttonY, bw, 22) ? 0 : -1; },
      [&](int f) {
        for (size_t i = 0; i < text.size(); ++i) {
          const int w = veziv::MeasureTextDefaultFont(text[i].c_str(), -1, 0);
          veziv::DrawTextDefaultFont(400 - w / 2, 320 - size.height / 2 + 20 * static_cast<int>(i), text[i].c_str(),
                                     Session().colourWhite, 0);
        }
        drawCursorBar(400 - bw / 2, buttonY, bw, pulse(100, f));
        veziv::DrawTextWithFont(405 - bw / 2, size.height / 2 + 259, label.c_str(), Session().colourWhite,
                                Session().registry.boxFont, 0, 0);
      });
  if (box.flips % 2 == 1) playMenuSound(kSoundCancel);
}

bool showYesNoBox(const std::string& line1, const std::string& line2) {
  const std::string yesLabel = "はい";
  const std::string noLabel = "いいえ(" + getActionKeyName(kActionPause) + ")";
  const int bw = std::max(veziv::MeasureTextWithFont(yesLabel.c_str(), -1, Session().registry.boxFont, 0),
                          veziv::MeasureTextWithFont(noLabel.c_str(), -1, Session().registry.boxFont, 0)) +
                 10;
  const int w1 = veziv::MeasureTextDefaultFont(line1.c_str(), -1, 0);
  const int w2 = veziv::MeasureTextDefaultFont(line2.c_str(), -1, 0);
  const boxSize size = yesNoBoxSize(std::max(w1, w2), bw);
  const int d = size.width / 2 - (size.width / 2 - bw) / 2;
  const int barX[2] = {400 - d, 400 + d - bw};
  boxRecord box;
  box.yesNo = true;
  runBox(
      box, size,
      [&] {
        for (int b = 0; b < 2; ++b) {
          if (mouseOver(barX[b], 358, bw, 22)) return b;
        }
        return -1;
      },
      [&](int f) {
        veziv::DrawTextDefaultFont(400 - w1 / 2, 250, line1.c_str(), Session().colourWhite, 0);
        veziv::DrawTextDefaultFont(400 - w2 / 2, 270, line2.c_str(), Session().colourWhite, 0);
        drawCursorBar(barX[0], 358, bw, box.yes ? pulse(150, f) : 255);
        drawCursorBar(barX[1], 358, bw, box.yes ? 255 : pulse(150, f));
        veziv::DrawTextWithFont(405 - d, 359, yesLabel.c_str(), Session().colourWhite, Session().registry.boxFont, 0,
                                0);
        veziv::DrawTextWithFont(405 + d - bw, 359, noLabel.c_str(), Session().colourWhite, Session().registry.boxFont,
                                0, 0);
      });
  return box.yes;
}

}  // namespace game
