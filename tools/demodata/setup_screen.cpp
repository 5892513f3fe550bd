// The battle set-up screen's own pictures and its music: the hangar
// background, the comment frame, the label sheet (stage, difficulty with its
// three words, weapons, partner, the players' partner labels and the "not
// chosen" word), the arrow and weapon buttons with their pressed forms, the
// launch button, and the screen's loop.
#include <string>

#include "tools/demodata/ui_kit.h"
#include "tools/demodata/generator.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/sound.h"

namespace demodata {

namespace {

using namespace ui;

// The label sheet's cells of 100 x 20.
Canvas labelSheet() {
  struct Cell {
    int x, y;
    const char* text;
    Rgba colour;
  };
  const Cell cells[] = {
      {0, 0, "ステージ", kWhite},       {0, 20, "難易度", kWhite},
      {100, 20, "EASY", {140, 240, 150, 255}}, {200, 20, "NORMAL", {250, 225, 110, 255}},
      {300, 20, "HARD", {255, 130, 120, 255}}, {0, 40, "武装", kWhite},
      {0, 60, "パートナー", kWhite},     {100, 60, "1P パートナー", kWhite},
      {200, 60, "2P パートナー", kWhite}, {300, 60, "未選択", {175, 180, 200, 255}},
  };
  Canvas c(400, 80);
  for (const Cell& cell : cells) {
    TextStyle s = label(16, cell.colour);
    s.bold = cell.x == 0;
    c.writeInBox(cell.x, cell.y, 100, 20, cell.text, s);
  }
  return c;
}

// An arrow button in a 32 x 32 piece.
void arrow(Canvas& c, int x, int y, bool right, bool pressed) {
  buttonBody(c, x + 1, y + 1, 30, 30, pressed);
  const double d = pressed ? 1 : 0;
  const double tip = right ? x + 23 : x + 9, back = right ? x + 11 : x + 21;
  fillShape(c, polygon({{tip + d, y + 16 + d}, {back + d, y + 8 + d}, {back + d, y + 24 + d}}), pressed ? Rgba{90, 50, 10, 255} : kWhite);
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
  for (int k = 0; k < 3; ++k) button(c, 1, 64 + 32 * k + 1, 62, 30, kWeapons[k], k == 2);
  return c;
}

Canvas launchButton() {
  Canvas c(64, 32);
  button(c, 1, 1, 62, 30, "出撃", false, {190, 60, 50, 255});
  return c;
}

// The inside of a carrier: steel walls, a row of windows on the evening
// sky, ribs and a deck of plates; dim, so that the screen's words stand out.
Canvas hangar() {
  Canvas c(800, 600);
  c.verticalGradient({46, 54, 76, 255}, {22, 26, 38, 255});
  for (int k = 0; k < 4; ++k) {
    const double x = 30 + 195 * k;
    const Shape window = roundRect(x, 140, 160, 70, 10);
    fillShape(c, window, linear(0, 140, 0, 210, {{0, {70, 100, 170, 255}}, {0.7, {230, 150, 120, 255}}, {1, {250, 200, 150, 255}}}));
    fillShape(c, rect(x, 176, 160, 3), {40, 50, 70, 255});
    strokeShape(c, window, 4, {110, 120, 140, 255});
    strokeShape(c, window, 1, {20, 24, 34, 255});
  }
  for (int x = 10; x < 800; x += 195) fillShape(c, rect(x, 0, 12, 440), linear(x, 0, x + 12, 0, {{0, {80, 90, 110, 255}}, {1, {40, 46, 60, 255}}}));
  fillShape(c, rect(0, 440, 800, 160), linear(0, 440, 0, 600, {{0, {60, 66, 80, 255}}, {1, {30, 34, 44, 255}}}));
  for (int y = 450; y < 600; y += 36) fillShape(c, rect(0, y, 800, 1.5), {90, 100, 120, 255});
  for (int x = 0; x < 800; x += 100) fillShape(c, rect(x, 440, 1.5, 160), {90, 100, 120, 150});
  // Lamps along the ceiling.
  for (int k = 0; k < 5; ++k) glowShape(c, ellipse(100 + 150 * k, 40, 30, 5), 30, {255, 240, 200, 60});
  c.avoidPureBlack();
  return c;
}

// The comment frame, stretched over the top of the screen.
Canvas commentFrame() {
  Canvas c(256, 64);
  const Shape body = roundRect(2, 2, 252, 60, 10);
  fillShape(c, body, linear(0, 2, 0, 62, {{0, {40, 60, 130, 225}}, {1, {14, 20, 56, 225}}}));
  strokeShape(c, body, 2.5, kRim);
  return c;
}

}  // namespace

bool drawnBySetupScreen(int imageId) {
  return imageId == 9 || imageId == 11 || imageId == 12 || imageId == 80;
}
bool drawnBySetupScreen(const SheetRow& sheet) { return std::string(sheet.name) == "leftRightButtonSheet"; }

void makeBattleSetupData(const Sources& sources, Outputs& out) {
  out.add(imagePathOf(9), hangar().jpeg(85));
  out.add(imagePathOf(12), commentFrame().png(true));
  out.add(imagePathOf(11), labelSheet().png(true));
  out.add(imagePathOf(80), launchButton().png(true));
  for (const SheetRow& sheet : registrySheets()) {
    if (drawnBySetupScreen(sheet)) out.add(sheet.path, buttonSheet().png(true));
  }
  out.add("audio/loop009.mid", writeMidiFile(parseScore(sources.read("music/loop009.mml"))));
}

}  // namespace demodata
