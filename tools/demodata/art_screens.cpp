// The menu screens' pictures: the settings, key and pad configuration and
// save screens' backgrounds with every row's label where the screen puts
// its row, the save screen's buttons and mode label, the pause plate, the
// story window, its side menu, bottom bar and small icons, the HUD's panel
// and digits, the window frame, the loading screen, the title's row texts,
// the player-count buttons and the speakers' name plates.
#include <cmath>
#include <string>
#include <vector>

#include "tools/demodata/generator.h"
#include "tools/demodata/people.h"
#include "tools/demodata/registry.h"
#include "tools/demodata/ui_kit.h"

namespace demodata {

namespace {

using namespace ui;

Canvas canvasFor(int id) {
  const PictureSize s = registryPictureSize(id);
  return Canvas(s.w, s.h);
}

// The nine actions of a player's key and pad rows, in row order.
const char* const kActions[] = {"ショット", "↑ 上", "↓ 下", "← 左", "→ 右", "必殺技", "サブ武器", "低速移動", "ポーズ"};

// A player's column: a panel, the player's head, the column heads, striped
// rows of 29 pixels from rowTop with their action names, and the body of
// the "back to the defaults" button (the screen writes its words).
struct Column {
  double left, right;  // the panel
  double labelX, valueX;
  double rowTop;
  const char* player;
  const char* device;
  Box reset;
};

void playerColumn(Canvas& c, const Column& k) {
  panel(c, k.left, 96, k.right - k.left, k.reset.y1 - 96 + 10, 10, 200);
  TextStyle big = label(24, kGold);
  big.bold = true;
  const int w = c.write(k.left + 14, 102, k.player, big);
  c.write(k.left + 22 + w, 109, k.device, label(15, kMuted));
  for (int r = 0; r < 9; ++r) {
    const double y = k.rowTop + 29 * r;
    if (r % 2 == 0) fillShape(c, rect(k.left + 6, y, k.right - k.left - 12, 29), {255, 255, 255, 18});
    fillShape(c, rect(k.left + 8, y + 28, k.right - k.left - 16, 1), {200, 215, 255, 50});
    c.write(k.labelX, y + 6, kActions[r], label(16));
  }
  fillShape(c, rect(k.valueX - 10, k.rowTop + 4, 1, 29 * 9 - 8), {200, 215, 255, 70});
  // The screen writes its words from the box's left edge: the body reaches
  // a little past it.
  buttonBody(c, k.reset.x0 - 7, k.reset.y0 - 2, k.reset.x1 - k.reset.x0 + 11, k.reset.y1 - k.reset.y0 + 4, false);
}

// The two lines of instructions the screens write under the columns.
void instructionBand(Canvas& c, double y, double h) {
  fillShape(c, roundRect(14, y, 772, h, 8), {6, 10, 30, 120});
}

Canvas keyConfigBackground() {
  Canvas c(800, 600);
  nightGround(c, 0x4B45);
  headingText(c, 36, 26, "キーコンフィグ", 30);
  c.write(330, 40, "キーボードの割り当て", label(16, kMuted));
  playerColumn(c, {50, 370, 72, 200, 138, "1P", "プレイヤー1", {85, 411, 282, 438}});
  playerColumn(c, {375, 695, 397, 550, 138, "2P", "プレイヤー2", {425, 411, 621, 438}});
  instructionBand(c, 462, 64);
  legendStrip(c);
  return c;
}

Canvas padConfigBackground() {
  Canvas c(800, 600);
  nightGround(c, 0x5041);
  headingText(c, 36, 26, "パッドコンフィグ", 30);
  c.write(360, 40, "ゲームパッドの割り当て", label(16, kMuted));
  playerColumn(c, {72, 368, 110, 250, 152, "1P", "パッド1", {105, 411, 303, 435}});
  playerColumn(c, {402, 702, 443, 600, 152, "2P", "パッド2", {445, 411, 645, 435}});
  button(c, 490, 450, 210, 30, "パッドを再検索", false, {70, 120, 90, 255});
  instructionBand(c, 474, 58);
  legendStrip(c);
  return c;
}

// A framed caption for a block of the settings screen.
void sectionLabel(Canvas& c, double x, double y, const std::string& text) {
  c.write(x, y, text, label(16, kGold));
}

Canvas settingsBackground() {
  Canvas c(800, 600);
  nightGround(c, 0x5345);
  headingText(c, 36, 24, "設定", 32);
  // The screen: two choices.
  panel(c, 30, 112, 286, 150, 10, 170);
  sectionLabel(c, 44, 122, "画面モード");
  button(c, 45, 155, 255, 35, "フルスクリーン", false);
  button(c, 45, 215, 255, 35, "ウィンドウ", false);
  // The controls: two large buttons.
  panel(c, 16, 272, 330, 188, 10, 170);
  sectionLabel(c, 30, 282, "操作設定");
  button(c, 27, 307, 308, 58, "キーコンフィグ", false, {60, 96, 170, 255});
  button(c, 27, 390, 308, 58, "パッドコンフィグ", false, {60, 96, 170, 255});
  // The story's text speed: the knob runs from x 23 to 335.
  panel(c, 12, 476, 342, 106, 10, 170);
  sectionLabel(c, 26, 486, "文章の表示速度");
  c.write(250, 510, "遅い ← → 速い", label(13, kMuted));
  sliderGroove(c, 23, 538, 318, 10);
  // The volumes: knobs from x 440 to 740 at y 120, 178, 235, 293.
  panel(c, 358, 58, 430, 270, 10, 170);
  const char* volumes[] = {"BGM 音量", "効果音 音量", "ボイス 音量", "無線 音量"};
  const int volumeY[] = {120, 178, 235, 293};
  for (int k = 0; k < 4; ++k) {
    c.write(376, volumeY[k] - 22 + (k == 0 ? 2 : 0), volumes[k], label(15, kGold));
    sliderGroove(c, 440, volumeY[k] + 6, 312, 10);
  }
  // The voices: the screen puts the seven name plates and their marks.
  panel(c, 380, 334, 408, 100, 10, 170);
  sectionLabel(c, 392, 338, "キャラクターボイス");
  for (int k = 0; k < 7; ++k) {
    const int col = k % 4, row = k / 4;
    checkBox(c, 394 + 90 * col + 66, 355 + 30 * row + 7, 20);
  }
  // In-battle events, and the MIDI player.
  panel(c, 420, 438, 368, 40, 8, 170);
  c.write(440, 447, "戦闘中のイベント", label(17));
  checkBox(c, 613, 446, 20);
  panel(c, 420, 484, 250, 68, 8, 170);
  c.write(440, 488, "MIDI の再生方式", label(13, kGold));
  legendStrip(c);
  return c;
}

// The save and load screen: ten slot strips (thumbnail frame and room for
// the screen's three texts), the picture frame of the chosen slot and the
// panel for its mode label and details; the buttons are the screen's.
Canvas saveScreenBackground() {
  Canvas c(800, 600);
  nightGround(c, 0x5356);
  for (int i = 1; i <= 10; ++i) {
    const double y = 19 + 52 * (i - 1);
    const Shape strip = roundRect(30, y - 2, 396, 51, 7);
    fillShape(c, strip, linear(0, y, 0, y + 50, {{0, {48, 66, 130, 200}}, {1, {22, 30, 70, 200}}}));
    strokeShape(c, strip, 1.5, withAlpha(kRim, 180));
    fillShape(c, rect(34, y - 1, 66, 50), {8, 10, 24, 255});
    strokeShape(c, rect(33, y - 2, 68, 52), 1, withAlpha(kRim, 200));
    TextStyle number = label(13, kMuted);
    c.write(404 - c.measure(std::to_string(i), number), y + 30, std::to_string(i), number);
  }
  panel(c, 452, 120, 336, 122, 10, 190);
  headingText(c, 470, 60, "セーブ ／ ロード", 26);
  panel(c, 450, 279, 340, 260, 8, 190);
  fillShape(c, rect(458, 287, 324, 244), {8, 10, 24, 255});
  legendStrip(c);
  return c;
}

Canvas saveButton(int id) {
  Canvas c = canvasFor(id);
  const bool pushed = id % 2 == 0;
  const char* text = id <= 18 ? "終了" : id <= 20 ? "ロード" : id <= 22 ? "戻る" : id <= 24 ? "タイトル" : "セーブ";
  const Rgba body = id <= 18 ? Rgba{150, 60, 70, 255} : Rgba{58, 82, 158, 255};
  button(c, 1, 1, c.width() - 2, c.height() - 2, text, pushed, body);
  return c;
}

// The mode label: "セーブ" in the upper half, "ロード" in the lower.
Canvas saveLoadLabel() {
  Canvas c(128, 64);
  const struct {
    const char* text;
    Rgba body;
  } modes[] = {{"セーブ", {200, 90, 50, 255}}, {"ロード", {40, 130, 170, 255}}};
  for (int k = 0; k < 2; ++k) {
    const double y = 32 * k;
    const Shape plate = roundRect(2, y + 2, 124, 28, 8);
    fillShape(c, plate, linear(0, y, 0, y + 32, {{0, shade(modes[k].body, 0.3)}, {1, shade(modes[k].body, -0.3)}}));
    strokeShape(c, plate, 1.5, kRim);
    TextStyle s = label(20);
    s.bold = true;
    c.writeInBox(2, y + 2, 124, 28, std::string(modes[k].text) + " モード", s);
  }
  return c;
}

Canvas pausePlate() {
  Canvas c(280, 64);
  const Shape plate = roundRect(4, 6, 272, 52, 14);
  shadowShape(c, plate, 2, 3, 5, {0, 0, 10, 140});
  fillShape(c, plate, linear(0, 6, 0, 58, {{0, {60, 90, 170, 235}}, {1, {20, 30, 80, 235}}}));
  strokeShape(c, plate, 2, kRim);
  TextStyle big = heading(30);
  c.write(26, 12, "ポーズ", big);
  c.write(150, 24, "PAUSE", label(20, kGold));
  return c;
}

// The story's message window, 770 x 200, drawn light so that the story's
// box colour tints it: the name plate sits at (50, 10), the face at
// (25, 75) for 120 x 120, the text from x 155.
Canvas wordsFrame() {
  Canvas c(770, 200);
  const Shape body = roundRect(2, 18, 766, 180, 16);
  fillShape(c, body, linear(0, 18, 0, 198, {{0, {92, 104, 150, 228}}, {1, {44, 50, 88, 236}}}));
  fillShape(c, overlap(roundRect(5, 21, 760, 174, 13), rect(0, 18, 770, 30)),
            linear(0, 21, 0, 48, {{0, {255, 255, 255, 60}}, {1, {255, 255, 255, 0}}}));
  strokeShape(c, body, 3, {246, 248, 255, 245});
  strokeShape(c, roundRect(7, 23, 756, 170, 12), 1, {255, 255, 255, 110});
  // The face's frame.
  const Shape face = roundRect(21, 71, 128, 128, 6);
  fillShape(c, face, {250, 250, 255, 235});
  // Small stars along the foot, the game's motif.
  for (int k = 0; k < 5; ++k) fillShape(c, star(700 + 12 * k, 186, 4, 1.7, 4), {255, 255, 255, 140});
  return c;
}

// The side menu's six rows, 124 x 35 each at y trunc(35.5 r); the screen
// shows their left 100 pixels.
Canvas sceneButtons() {
  Canvas c(124, 213);
  const char* rows[] = {"セーブ", "ロード", "設定", "ログ", "タイトル", "終了"};
  for (int r = 0; r < 6; ++r) {
    const double y = std::trunc(35.5 * r);
    buttonBody(c, 1, y + 1, 122, 33, false, r == 5 ? Rgba{150, 60, 70, 255} : kNavyLight);
    c.writeInBox(4, y + 1, 92, 33, rows[r], label(17));
  }
  return c;
}

// The bottom bar: skip, hide window, quick save, quick load at y
// 2 + trunc(27.5 j), and the skip button while skipping at y 112; each
// shows 110 x 27 on the screen.
Canvas bottomBar() {
  Canvas c(128, 141);
  const struct {
    double y;
    const char* text;
    bool lit;
  } cells[] = {{2, "スキップ", false},
               {2 + std::trunc(27.5), "ウィンドウ消去", false},
               {2 + std::trunc(55.0), "クイックセーブ", false},
               {2 + std::trunc(82.5), "クイックロード", false},
               {112, "スキップ中", true}};
  for (const auto& cell : cells) {
    buttonBody(c, 1, cell.y, 106, 26, cell.lit);
    c.writeInBox(4, cell.y, 100, 26, cell.text, label(13, cell.lit ? Rgba{255, 255, 240, 255} : kWhite));
  }
  return c;
}

void padlock(Canvas& c, double x, bool locked) {
  const Rgba metal = locked ? kGold : kMuted;
  const double shackleX = locked ? x + 16 : x + 21;
  fillShape(c, cut(ring(shackleX, 12, 7, 2.2), rect(shackleX - 10, 12, 20, 12)), metal);
  // The shackle's legs: both in the body when locked, one lifted out when open.
  fillShape(c, rect(shackleX - 9.2, 11, 4.4, 5), metal);
  if (locked) fillShape(c, rect(shackleX + 4.8, 11, 4.4, 5), metal);
  const Shape body = roundRect(x + 5, 15, 22, 14, 3);
  fillShape(c, body, linear(0, 15, 0, 29, {{0, shade(metal, 0.3)}, {1, shade(metal, -0.4)}}));
  strokeShape(c, body, 1, kInk);
  fillShape(c, circle(x + 16, 21, 2), kInk);
  fillShape(c, rect(x + 15.2, 21, 1.6, 4), kInk);
}

Canvas sideBarLock() {
  Canvas c(64, 32);
  for (int k = 0; k < 2; ++k) {
    fillShape(c, roundRect(32 * k + 1, 1, 30, 30, 7), {20, 30, 70, 200});
    strokeShape(c, roundRect(32 * k + 1, 1, 30, 30, 7), 1.2, kRim);
    padlock(c, 32 * k, k == 0);
  }
  return c;
}

// The next-page mark: a star that bobs and glints over 16 frames.
Canvas nextPageMark() {
  Canvas c(256, 16);
  for (int f = 0; f < 16; ++f) {
    const double t = f / 16.0 * 2 * 3.14159265;
    const double bob = 2.5 * std::sin(t);
    const Shape mark = polygon({{16.0 * f + 3, 4 + bob}, {16.0 * f + 13, 4 + bob}, {16.0 * f + 8, 12 + bob}});
    glowShape(c, mark, 2.5, {255, 230, 150, static_cast<uint8_t>(90 + 60 * std::sin(t) * std::sin(t))});
    fillShape(c, mark, kGold);
    strokeShape(c, mark, 1, {120, 70, 10, 255});
  }
  return c;
}

void arrowButton(Canvas& c, double x, bool up) {
  buttonBody(c, x + 1, 1, 30, 30, false);
  const double y0 = up ? 20 : 12, y1 = up ? 11 : 21;
  fillShape(c, polygon({{x + 8, y0}, {x + 24, y0}, {x + 16, y1}}), kWhite);
}

Canvas upDownButtons() {
  Canvas c(64, 32);
  arrowButton(c, 0, true);
  arrowButton(c, 32, false);
  return c;
}

// The log's scroll bar: the track (x 0..21) and the thumb (x 22..43), each
// with caps in rows 0-10 and 21-31 and a middle that the log stretches.
Canvas logScroll() {
  Canvas c(44, 32);
  const Shape track = roundRect(6, 1, 10, 30, 5);
  fillShape(c, track, {10, 14, 34, 200});
  strokeShape(c, track, 1, withAlpha(kRim, 200));
  const Shape thumb = roundRect(25, 1, 16, 30, 7);
  fillShape(c, thumb, linear(25, 0, 41, 0, {{0, shade(kSky, 0.3)}, {1, shade(kSky, -0.3)}}));
  strokeShape(c, thumb, 1.2, kRim);
  return c;
}

Canvas speakerIcon() {
  Canvas c(24, 16);
  fillShape(c, polygon({{3, 6}, {7, 6}, {12, 2}, {12, 14}, {7, 10}, {3, 10}}), kWhite);
  fillShape(c, cut(ring(12, 8, 4.5, 0.9), rect(0, 0, 13, 16)), kWhite);
  fillShape(c, cut(ring(12, 8, 8, 0.9), rect(0, 0, 13, 16)), kWhite);
  return c;
}

Canvas checkMark() {
  Canvas c(20, 20);
  const Shape tick = unite(capsule(4, 10, 8.5, 15, 2.2), capsule(8.5, 15, 16.5, 4, 2.2));
  glowShape(c, tick, 2.5, {40, 20, 0, 170});
  fillShape(c, tick, linear(0, 4, 0, 16, {{0, {255, 240, 150, 255}}, {1, {250, 160, 40, 255}}}));
  return c;
}

Canvas sliderKnob() {
  Canvas c(12, 18);
  const Shape knob = roundRect(1, 1, 10, 16, 4);
  fillShape(c, knob, linear(0, 0, 12, 0, {{0, {255, 245, 200, 255}}, {1, {220, 160, 50, 255}}}));
  strokeShape(c, knob, 1.2, {90, 50, 10, 255});
  fillShape(c, rect(5.5, 5, 1, 8), {120, 70, 20, 200});
  return c;
}

// Digit d in the 14 x 15 cell at (0, 15d); each drawn in a cell of its own,
// so that no outline spills into the next digit.
Canvas digitStrip() {
  Canvas c(14, 150);
  TextStyle s = label(12);
  s.bold = true;
  s.edge = {10, 20, 60, 255};
  for (int d = 0; d < 10; ++d) {
    const std::string digit(1, static_cast<char>('0' + d));
    Canvas cell(14, 15);
    cell.writeInBox(0, 0, 14, 15, digit, s);
    c.draw(cell, 0, 15 * d);
  }
  return c;
}

// The HUD's panel behind a player's score, HP, MP and weapon bars.
Canvas scoreBoard() {
  Canvas c(310, 68);
  const Shape body = roundRect(1, 1, 308, 66, 8);
  fillShape(c, body, linear(0, 0, 0, 68, {{0, {30, 44, 96, 230}}, {1, {10, 16, 44, 230}}}));
  strokeShape(c, body, 1.5, withAlpha(kRim, 220));
  // The grooves the bars run in: MP (20..30), HP (35..45) and the two
  // weapon bars (50..64).
  fillShape(c, rect(9, 19, 302 - 9, 12), {0, 0, 12, 150});
  fillShape(c, rect(9, 34, 302 - 9, 12), {0, 0, 12, 150});
  return c;
}

Canvas barFill(Rgba top, Rgba bottom) {
  Canvas c(32, 8);
  for (int y = 0; y < 8; ++y) {
    const Rgba row = mixColour(top, bottom, y / 7.0);
    const Rgba lit = y == 1 ? shade(row, 0.4) : row;
    for (int x = 0; x < 32; ++x) c.set(x, y, lit);
  }
  return c;
}

// The window frame's nine 32 x 32 pieces in a 24-bit picture: black is the
// transparent colour where windows are drawn (the corners outside the
// rounded rim), and the side panel shows it as it is; its middle is a mid
// tone: light enough for the side panel's black words, dark enough for the
// white and the speakers' colours of the windows drawn over it.
Canvas infoFrame() {
  Canvas c(96, 96, {0, 0, 0, 255});
  const Shape body = roundRect(1, 1, 94, 94, 10);
  fillShape(c, body, linear(0, 0, 0, 96, {{0, {108, 124, 174, 255}}, {1, {94, 108, 156, 255}}}));
  strokeShape(c, roundRect(1, 1, 94, 94, 10), 3, {226, 234, 255, 255});
  strokeShape(c, roundRect(4, 4, 88, 88, 8), 1, {64, 78, 130, 255});
  // A fine grain on the middle piece, which is tiled.
  Random r(0x1F);
  for (int y = 32; y < 64; ++y)
    for (int x = 32; x < 64; ++x) c.blend(x, y, {255, 255, 255, 255}, (r.unit() - 0.5) * 0.06 + 0.03);
  // Black stays only outside the rim.
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x) {
      const Rgba p = c.at(x, y);
      if (body.distance(x + 0.5, y + 0.5) < 0 && p.r + p.g + p.b < 3) c.set(x, y, {1, 1, 1, 255});
    }
  return c;
}

// The loading screen: the four partners waiting in the hangar, and the
// loading bar's fill at (308, 263)-(518, 305) for the screen to uncover.
Canvas loadingScreen(const std::vector<Character>& characters) {
  Canvas c(800, 600);
  nightGround(c, 0x4C44);
  const char* const kWaiting[] = {"saffo", "tirun", "oruna", "pesa"};
  for (int k = 0; k < 4; ++k) {
    Canvas bust = drawBust(characterOf(characters, kWaiting[k]), 200, 260);
    c.draw(bust, 40 + 180 * k, 330);
  }
  headingText(c, 292, 206, "出撃準備中……", 28);
  fillShape(c, rect(308, 263, 210, 42),
            linear(308, 0, 518, 0, {{0, {80, 200, 255, 255}}, {0.5, {140, 240, 255, 255}}, {1, {255, 230, 130, 255}}}));
  for (int x = 312; x < 518; x += 12) fillShape(c, rect(x, 265, 5, 38), {255, 255, 255, 50});
  return c;
}

Canvas loadingBarFrame() {
  Canvas c(210, 42);
  strokeShape(c, roundRect(0, 0, 210, 42, 8), 4, kRim);
  strokeShape(c, roundRect(4, 4, 202, 34, 5), 1, {20, 30, 70, 255});
  return c;
}

// The radio's frame: its icon in the left square, a band segment that the
// battle repeats behind the text in the right one.
Canvas radioFrame() {
  Canvas c(64, 32);
  fillShape(c, rect(32, 2, 32, 28), {10, 20, 50, 190});
  fillShape(c, rect(32, 2, 32, 1.5), withAlpha(kSky, 230));
  fillShape(c, rect(32, 28.5, 32, 1.5), withAlpha(kSky, 230));
  const Shape badge = roundRect(2, 2, 30, 28, 6);
  fillShape(c, badge, linear(0, 2, 0, 30, {{0, {70, 140, 220, 240}}, {1, {20, 50, 120, 240}}}));
  strokeShape(c, badge, 1.2, kRim);
  // A mast sending waves to both sides.
  fillShape(c, polygon({{17, 12}, {22, 26}, {12, 26}}), kWhite);
  fillShape(c, circle(17, 11, 2.4), kGold);
  for (int k = 1; k <= 2; ++k) {
    const Shape wave = overlap(ring(17, 11, 3.5 * k + 1.5, 0.9), polygon({{17, 11}, {40, 0}, {40, 22}}));
    fillShape(c, wave, kWhite);
    fillShape(c, mirrored(wave, 17), kWhite);
  }
  return c;
}

// The radio screen of the side panel while no one calls in.
Canvas noSignal() {
  Canvas c(64, 64);
  Random r(109);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const uint8_t v = static_cast<uint8_t>(30 + r.next() % 60 + (y % 3 == 0 ? 20 : 0));
      c.set(x, y, {static_cast<uint8_t>(v / 2), static_cast<uint8_t>(v * 0.8), v, 255});
    }
  strokeShape(c, rect(0, 0, 64, 64), 3, {200, 215, 245, 255});
  TextStyle s = label(11, {200, 240, 255, 255});
  c.writeInBox(3, 18, 58, 14, "NO", s);
  c.writeInBox(3, 32, 58, 14, "SIGNAL", s);
  return c;
}

// The title's five rows: the words centred in the 206 x 48 pieces.
Canvas titleTexts() {
  Canvas c(206, 240);
  const char* rows[] = {"はじめから", "つづきから", "対戦モード", "設定", "終了"};
  for (int r = 0; r < 5; ++r) {
    TextStyle s = label(28);
    s.mincho = true;
    s.bold = true;
    // A thick edge, so that the rows the title shows faint keep their shape
    // over the white clouds.
    s.edgeWidth = 3.5;
    s.edge = {16, 34, 96, 255};
    s.shadow = {0, 0, 30, 120};
    c.writeInBox(0, 48 * r + 1, 206, 46, rows[r], s);
  }
  return c;
}

// The player-count buttons: pieces 2 (row - 1) + selected, two across.
Canvas missionButtons() {
  Canvas c(336, 96);
  const char* rows[] = {"一人プレイ", "二人プレイ"};
  for (int row = 0; row < 2; ++row)
    for (int selected = 0; selected < 2; ++selected) {
      const double x = 168 * selected, y = 48 * row;
      button(c, x + 2, y + 3, 164, 42, rows[row], selected == 1, selected ? kNavyLight : Rgba{50, 70, 130, 255});
    }
  return c;
}

}  // namespace

// The speakers' name plates, 64 x 32, four across and three down, in the
// speaker table's plate order.
Canvas namePlates() {
  Canvas c(256, 96);
  for (int k = 0; k < 12; ++k) {
    const Speaker& s = speakerForPlate(k);
    const double x = 64 * (k % 4), y = 32 * (k / 4);
    const Shape plate = roundRect(x + 1, y + 3, 62, 26, 8);
    fillShape(c, plate, linear(0, y + 3, 0, y + 29, {{0, shade(s.plate, 0.25)}, {1, shade(s.plate, -0.35)}}));
    strokeShape(c, plate, 1.5, {255, 255, 255, 230});
    TextStyle t = label(15);
    t.bold = true;
    t.edge = shade(s.plate, -0.7);
    c.writeInBox(x + 3, y + 3, 58, 26, s.name, t);
  }
  return c;
}

void makeScreenPictures(const Sources& sources, Outputs& out) {
  const std::vector<Character> characters = parseCharacters(sources.read("tables/characters.tsv"));
  auto png = [&](int id, const Canvas& c) { out.add(imagePathOf(id), c.png(true)); };
  auto jpeg = [&](int id, const Canvas& c) { out.add(imagePathOf(id), c.jpeg(88)); };
  jpeg(0, keyConfigBackground());
  jpeg(37, padConfigBackground());
  jpeg(34, settingsBackground());
  jpeg(15, saveScreenBackground());
  for (int id = 17; id <= 26; ++id) png(id, saveButton(id));
  png(85, saveLoadLabel());
  png(84, pausePlate());
  png(35, wordsFrame());
  png(36, sceneButtons());
  png(83, bottomBar());
  png(82, sideBarLock());
  png(81, nextPageMark());
  png(87, upDownButtons());
  png(221, logScroll());
  png(86, speakerIcon());
  png(8, checkMark());
  png(72, sliderKnob());
  png(70, digitStrip());
  png(29, scoreBoard());
  png(2, barFill({150, 240, 255, 255}, {30, 120, 230, 255}));
  png(49, barFill({255, 170, 150, 255}, {200, 30, 40, 255}));
  jpeg(62, loadingScreen(characters));
  png(63, loadingBarFrame());
  png(108, radioFrame());
  jpeg(109, noSignal());
  for (const SheetRow& sheet : registrySheets()) {
    const std::string name = sheet.name;
    if (name == "titleTextSheet") out.add(sheet.path, titleTexts().png(true));
    if (name == "missionButtonSheet") out.add(sheet.path, missionButtons().png(true));
    if (name == "namePlateSheet") out.add(sheet.path, namePlates().png(true));
    if (name == "infoFrameSheet") out.add(sheet.path, infoFrame().bmp());
  }
}

}  // namespace demodata
