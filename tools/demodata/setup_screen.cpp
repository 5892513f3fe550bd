// The battle set-up screen's own pictures and its music: the hangar
// background, the comment frame, the label sheet (stage, difficulty with its
// three words, weapons, partner, the players' partner labels and the "not
// chosen" placeholder), the arrow and weapon buttons with their pressed
// forms, the launch button, the six partners' standing pictures (also the
// story's), and the screen's loop.
#include <string>

#include "tools/demodata/canvas.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/sound.h"

namespace demodata {

namespace {

constexpr Rgba kWhite{255, 255, 255, 255};
constexpr Rgba kInk{20, 20, 30, 255};
constexpr Rgba kFace{70, 95, 150, 255};
constexpr Rgba kPressedFace{40, 55, 95, 255};
constexpr Rgba kRim{225, 232, 250, 255};

// Text centred in a cell, as large as fits.
void cellText(Canvas& c, int x, int y, int w, int h, const std::string& text, Rgba colour) {
  int px = h - 4;
  while (px > 8 && c.textWidth(text, px) > w - 4) --px;
  c.text(x + (w - c.textWidth(text, px)) / 2, y + (h - px) / 2, text, px, colour, kInk);
}

// A raised (or, pressed, sunken and darker) button face in a rectangle.
void buttonFace(Canvas& c, int x, int y, int w, int h, bool pressed) {
  c.fillRect(x + 1, y + 1, w - 2, h - 2, pressed ? kRim : kInk);
  c.fillRect(x + 2, y + 2, w - 4, h - 4, pressed ? kPressedFace : kFace);
}

// An arrow pointing left or right, filled, inside a 32 x 32 piece at (x, y).
void arrow(Canvas& c, int x, int y, bool right, bool pressed) {
  buttonFace(c, x, y, 32, 32, pressed);
  const int shift = pressed ? 1 : 0;
  for (int row = 0; row < 16; ++row) {
    const int half = row < 8 ? row : 15 - row;  // the arrow widens to the middle row
    const int length = 2 + 2 * half;
    const int start = right ? 9 : 23 - length;
    c.fillRect(x + start + shift, y + 8 + row + shift, length, 1, kWhite);
  }
}

Canvas labelSheet() {
  struct Cell {
    int x, y;
    const char* text;
    Rgba colour;
  };
  const Cell cells[] = {
      {0, 0, "ステージ", kWhite},       {0, 20, "難易度", kWhite},
      {100, 20, "EASY", {140, 230, 140, 255}}, {200, 20, "NORMAL", {240, 220, 120, 255}},
      {300, 20, "HARD", {250, 130, 120, 255}}, {0, 40, "武装", kWhite},
      {0, 60, "パートナー", kWhite},     {100, 60, "1P パートナー", kWhite},
      {200, 60, "2P パートナー", kWhite}, {300, 60, "未選択", {185, 185, 185, 255}},
  };
  Canvas c(400, 80);
  for (const Cell& cell : cells) cellText(c, cell.x, cell.y, 100, 20, cell.text, cell.colour);
  return c;
}

// Pieces of 32 x 32, two across: 0 left, 1 right, 2 and 3 pressed; 4-5 and
// 6-7 the weapons buttons of player 1 and 2; 8-9 a weapons button pressed.
Canvas buttonSheet() {
  Canvas c(64, 160);
  arrow(c, 0, 0, false, false);
  arrow(c, 32, 0, true, false);
  arrow(c, 0, 32, false, true);
  arrow(c, 32, 32, true, true);
  const char* const kWeapons[] = {"1P 武装", "2P 武装", "武装"};
  for (int k = 0; k < 3; ++k) {
    const bool pressed = k == 2;
    buttonFace(c, 0, 64 + 32 * k, 64, 32, pressed);
    cellText(c, pressed ? 1 : 0, 64 + 32 * k + (pressed ? 1 : 0), 64, 32, kWeapons[k], kWhite);
  }
  return c;
}

Canvas launchButton() {
  Canvas c(64, 32);
  buttonFace(c, 0, 0, 64, 32, false);
  c.fillRect(2, 2, 60, 28, {170, 60, 50, 255});
  cellText(c, 0, 0, 64, 32, "出撃", kWhite);
  return c;
}

// The inside of a carrier: a dim gradient, floor plates and lit windows.
Canvas hangar() {
  Canvas c(800, 600);
  c.verticalGradient({40, 48, 66, 255}, {16, 20, 30, 255});
  for (int x = 40; x < 800; x += 190) {
    c.fillRect(x, 150, 150, 60, {90, 120, 160, 255});
    c.fillRect(x + 4, 154, 142, 52, {150, 190, 225, 255});
  }
  for (int y = 440; y < 600; y += 40) c.fillRect(0, y, 800, 2, {60, 70, 90, 255});
  c.avoidPureBlack();
  return c;
}

// The comment frame, stretched over the top of the screen: light rim, dark glass.
Canvas commentFrame() {
  Canvas c(256, 64, {kRim.r, kRim.g, kRim.b, 230});
  c.fillRect(3, 3, 250, 58, {20, 30, 60, 190});
  return c;
}

// A partner standing: a figure in the character's colour, its name below,
// on a clear ground. The figure keeps to the left 250 pixels, so that the
// set-up screen's labels beside the portrait stay readable.
Canvas stand(const std::string& name, Rgba colour) {
  Canvas c(300, 460);
  const Rgba skin{245, 220, 200, 255};
  const Rgba hair{static_cast<uint8_t>(colour.r / 2), static_cast<uint8_t>(colour.g / 2),
                  static_cast<uint8_t>(colour.b / 2), 255};
  c.fillEllipse(125, 250, 70, 150, colour);  // the dress
  c.fillEllipse(125, 95, 58, 62, hair);
  c.fillEllipse(125, 105, 46, 52, skin);
  c.fillEllipse(108, 105, 5, 7, kInk);
  c.fillEllipse(142, 105, 5, 7, kInk);
  cellText(c, 0, 410, 250, 40, name, kWhite);
  return c;
}

}  // namespace

bool drawnBySetupScreen(int imageId) {
  return imageId == 9 || imageId == 11 || imageId == 12 || imageId == 80 || (imageId >= 240 && imageId <= 245);
}
bool drawnBySetupScreen(const SheetRow& sheet) { return std::string(sheet.name) == "leftRightButtonSheet"; }

void makeBattleSetupData(const Sources& sources, Outputs& out) {
  out.add(imagePathOf(9), hangar().jpeg(85));
  out.add(imagePathOf(12), commentFrame().png(true));
  out.add(imagePathOf(11), labelSheet().png(true));
  const struct {
    int id;
    const char* name;
    Rgba colour;
  } kStands[] = {{240, "オルナ", {200, 80, 90, 255}},  {241, "ティルン", {240, 170, 60, 255}},
                 {242, "ドゥル", {90, 150, 90, 255}},   {243, "ペサロット", {110, 110, 200, 255}},
                 {244, "サッフォ", {80, 170, 200, 255}}, {245, "ホーベ", {160, 90, 170, 255}}};
  for (const auto& s : kStands) out.add(imagePathOf(s.id), stand(s.name, s.colour).png(true));
  out.add(imagePathOf(80), launchButton().png(true));
  for (const SheetRow& sheet : registrySheets()) {
    if (drawnBySetupScreen(sheet)) out.add(sheet.path, buttonSheet().png(true));
  }
  out.add("audio/loop009.mid", writeMidiFile(parseScore(sources.read("music/loop009.mml"))));
}

}  // namespace demodata
