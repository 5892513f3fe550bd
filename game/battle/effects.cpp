// The effect classes: their timing, drawing and slot records.
#include "game/battle/effects.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "game/battle/effect_layers.h"
#include "game/battle/geometry.h"
#include "game/battle/motion.h"
#include "game/battle/special_attacks.h"
#include "game/core/registry_ids.h"
#include "library/veziv.h"

namespace game::battle {
namespace {

constexpr double kPi = 3.141592653589793;

void beginAlpha(int alpha) { veziv::ChooseBlendMode(1, alpha); }
void endAlpha() { veziv::ChooseBlendMode(0, 0); }

void copyText(char (&dest)[128], const char* text) {
  std::memset(dest, 0, sizeof dest);
  if (text != nullptr) std::strncpy(dest, text, sizeof dest - 1);
}

// A text field from a slot always ends inside its 128 bytes.
void readText(RecordReader& in, char (&dest)[128]) {
  in.bytes(reinterpret_cast<uint8_t*>(dest), sizeof dest);
  dest[sizeof dest - 1] = '\0';
}

void writeText(RecordWriter& w, const char (&text)[128]) { w.bytes(reinterpret_cast<const uint8_t*>(text), 128); }

bool isImageId(int id) { return id >= 0 && id < kImageIdCount; }

// Positions, counts and counters from a slot stay well inside what the
// effects' sums and products can take.
constexpr int kMaxWord = 1 << 20;
bool moderate(std::initializer_list<int> words) {
  for (int w : words) {
    if (w < -kMaxWord || w > kMaxWord) return false;
  }
  return true;
}
bool moderate(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxWord; }

}  // namespace

int Fade(double t, double T) {
  // A length of 0 or less (only a slot can give one) shows nothing.
  if (!(T > 0)) return 0;
  const double fifth = 0.2 * T;
  if (t < fifth) return truncInt(t * 255 / fifth);
  if (t > 0.8 * T) return truncInt((T - t) * 255 / fifth);
  return 255;
}

int effectShake() { return objectShakeOffset(World().screenShake); }

int playerNumberOf(const PlayerPosition* player) {
  return player != nullptr && player == World().players[0] ? 1 : 2;
}

PlayerPosition* playerByNumber(int number) { return World().players[number == 1 ? 0 : 1]; }

size_t clearEnemyBullet(size_t index) {
  BulletList& list = World().bullets;
  const bullet& b = *list[index];
  addAnime(std::make_unique<expandingAnime>(b.imageId, truncInt(b.x), truncInt(b.y), truncInt(b.heading), true));
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
  return index;
}

// ----- basicAnime -----

bool basicAnime::update() {
  veziv::PrintfToScreen("not over rided\n");
  return false;
}

void basicAnime::saveBase(std::vector<uint8_t>& out) const {
  RecordWriter w(out);
  w.f64(counter);
  w.f64(step);
  w.u8(layer);
}

void basicAnime::loadBase(RecordReader& in) {
  counter = in.f64();
  step = in.f64();
  layer = in.u8();
}

// ----- expandingAnime -----

expandingAnime::expandingAnime(int imageId, int x, int y, int heading, bool growing)
    : imageId(imageId), x(x), y(y), heading(heading), halfWidth(Hooks().imageWidth(imageId) / 2),
      growth(growing ? 0.2 : -0.2) {
  layer = 1;
}

// The growing copy ends on its 7th update: 1.0 plus 0.2 five times is just
// under 2.0 in doubles; the shrinking one likewise reaches 5.55e-17, not 0,
// after five steps.
bool expandingAnime::update() {
  if ((growth > 0 && scale >= 2.0) || (growth < 0 && scale <= 0)) return true;
  scale += growth;
  return false;
}

void expandingAnime::draw() {
  // The shrinking copy ends a hair above 0: at a thousandth of its size it
  // shows nothing, and the renderer's fixed point cannot turn it.
  if (std::fabs(scale) < 0.001) return;
  beginAlpha(truncInt((1 - std::fabs(scale) / 2) * 255));
  veziv::RenderGraphRotScaled(x + effectShake(), y, halfWidth, halfWidth, scale, heading * kPi / 180,
                              Hooks().graphOf(imageId), 1, 0);
  endAlpha();
}

void expandingAnime::save(std::vector<uint8_t>& out) const {
  RecordWriter w(out);
  w.f64(scale);
  w.i32(imageId);
  w.i32(x);
  w.i32(y);
  w.i32(heading);
  w.i32(halfWidth);
  w.f64(growth);
  saveBase(out);
}

void expandingAnime::load(RecordReader& in) {
  scale = in.f64();
  imageId = in.i32();
  x = in.i32();
  y = in.i32();
  heading = in.i32();
  halfWidth = in.i32();
  growth = in.f64();
  loadBase(in);
}

// ----- slides -----

void slideAnime::initSlide(int sheet, int pictures, int lastPass, double step) {
  this->sheet = sheet;
  this->pictures = pictures;
  this->lastPass = lastPass;
  this->step = step;
  width = Hooks().sheetPictureWidth(sheet);
  height = Hooks().sheetPictureHeight(sheet);
}

bool slideAnime::update() {
  counter += step;
  growth += 0.02;
  if (counter >= pictures) {
    if (pass >= lastPass) return true;
    counter = 0;
    pass += 1;
  }
  return false;
}

void slideAnime::drawAt(int x, int y) const {
  const int picture = truncInt(counter);
  // A slot may hold a position past the sheet: nothing to draw then.
  if (picture < 0 || picture >= pictures) return;
  beginAlpha(truncInt((5 - pass) * 255 / 5 - counter * 51 / 6));
  veziv::RenderGraphRotScaled(x + effectShake(), y, width / 2, height / 2, 0.5 + growth, 0,
                              Hooks().sheetGraph(sheet, picture), 1, 0);
  endAlpha();
}

void slideAnime::saveSlide(std::vector<uint8_t>& out) const {
  saveBase(out);
  RecordWriter w(out);
  w.f64(growth);
  w.i32(pass);
  w.i32(sheet);
  w.i32(pictures);
  w.i32(lastPass);
  w.i32(width);
  w.i32(height);
}

void slideAnime::loadSlide(RecordReader& in) {
  loadBase(in);
  growth = in.f64();
  pass = in.i32();
  sheet = in.i32();
  pictures = in.i32();
  lastPass = in.i32();
  width = in.i32();
  height = in.i32();
}

playerSlideAnime::playerSlideAnime(PlayerPosition* player, double step) : player(player) {
  initSlide(kSheetUpAnime, kUpAnimePictures, 0, step);
}

void playerSlideAnime::draw() {
  if (player != nullptr) drawAt(truncInt(player->x), truncInt(player->y));
}

void playerSlideAnime::save(std::vector<uint8_t>& out) const {
  saveSlide(out);
  RecordWriter(out).i32(playerNumberOf(player));
}

void playerSlideAnime::load(RecordReader& in) {
  loadSlide(in);
  player = playerByNumber(in.i32());
}

stationalSlideAnime::stationalSlideAnime(int sheet, int pictures, int lastPass, double x, double y, double step)
    : x(truncInt(x)), y(truncInt(y)) {
  initSlide(sheet, pictures, lastPass, step);
}

void stationalSlideAnime::draw() { drawAt(x, y); }

void stationalSlideAnime::save(std::vector<uint8_t>& out) const {
  saveSlide(out);
  RecordWriter w(out);
  w.i32(x);
  w.i32(y);
}

void stationalSlideAnime::load(RecordReader& in) {
  loadSlide(in);
  x = in.i32();
  y = in.i32();
}

// ----- userMessege -----

userMessege::userMessege(const char* text, int number, PlayerPosition* player, uint32_t colour)
    : number(number), player(player), colour(static_cast<int32_t>(colour)) {
  copyText(this->text, text);
  layer = 1;
}

bool userMessege::update() {
  counter += 1;
  return counter >= 100;
}

void userMessege::draw() {
  if (player == nullptr) return;
  beginAlpha(2 * truncInt(100 - counter));
  const int x = truncInt(player->x) + 10, y = truncInt(player->y - counter / 3);
  const int font = Hooks().fontOf(kFontNotice);
  if (number != -1) {
    veziv::DrawFormattedTextWithFont(x, y, static_cast<uint32_t>(colour), font, "%s%d", text, number);
  } else {
    veziv::DrawFormattedTextWithFont(x, y, static_cast<uint32_t>(colour), font, "%s", text);
  }
  endAlpha();
}

void userMessege::save(std::vector<uint8_t>& out) const {
  saveBase(out);
  RecordWriter w(out);
  w.i32(number);
  w.i32(playerNumberOf(player));
  writeText(w, text);
  w.i32(colour);
}

void userMessege::load(RecordReader& in) {
  loadBase(in);
  number = in.i32();
  player = playerByNumber(in.i32());
  readText(in, text);
  colour = in.i32();
}

// ----- flash -----

bool flash::update() {
  alpha += swings % 2 == 0 ? 16 : -16;
  if (alpha > 128) {
    alpha = 128;
    swings += 1;
  } else if (alpha < 0) {
    alpha = 0;
    swings += 1;
  }
  return swings >= 4;
}

void flash::draw() {
  beginAlpha(alpha);
  veziv::DrawBoxShape(0, 0, 702, 600, veziv::PackColorForScreen(255, 255, 255), 1);
  endAlpha();
}

void flash::save(std::vector<uint8_t>& out) const {
  RecordWriter w(out);
  w.i32(alpha);
  w.i32(swings);
  saveBase(out);
}

void flash::load(RecordReader& in) {
  alpha = in.i32();
  swings = in.i32();
  loadBase(in);
}

// ----- circle -----

circle::circle(PlayerPosition* player, int maxRadius) : maxRadius(maxRadius), player(player) {}

bool circle::update() {
  frame += 1;
  rotation += 1;
  radius = frame < 10 ? maxRadius * frame / 10 : maxRadius;
  if (frame >= 100) return true;
  if (player == nullptr) return false;
  BulletList& list = World().bullets;
  for (size_t i = 0; i < list.size();) {
    const bullet& b = *list[i];
    if (b.owner == 3 && truncatedDistance(player->x, player->y, b.x, b.y) < radius) {
      i = clearEnemyBullet(i);
    } else {
      ++i;
    }
  }
  return false;
}

void circle::draw() {
  if (player == nullptr) return;
  const int a = frame <= 80 ? 255 : (frame - 100) * -255 / 20;
  const int px = truncInt(player->x), py = truncInt(player->y);
  const int s = effectShake();
  beginAlpha(a / 4);
  veziv::DrawCircleShape(px + truncInt(5 * std::sin(World().screenShake * kPi / 180)), py, radius,
                         veziv::PackColorForScreen(255, 0, 0), 1);
  veziv::RenderGraphRotScaled(px + s, py, 128, 128, radius / 128.0, -rotation, Hooks().sheetGraph(kSheetCircle, 3),
                              1, 0);
  beginAlpha(a);
  veziv::RenderGraphRotScaled(px + s, py, 128, 128, radius / 128.0, rotation, Hooks().sheetGraph(kSheetCircle, 0), 1,
                              0);
  endAlpha();
}

// The record opens with a 64-byte block laid out as the object was in
// memory; the bytes nobody reads are written as zeros.
void circle::save(std::vector<uint8_t>& out) const {
  RecordWriter w(out);
  w.zeros(8);
  saveBase(out);
  w.zeros(7);
  w.i32(maxRadius);
  w.i32(radius);
  w.i32(frame);
  w.zeros(8);
  w.i32(rotation);
  w.zeros(8);
  w.i32(playerNumberOf(player));
  saveBase(out);
}

void circle::load(RecordReader& in) {
  in.skip(8);
  loadBase(in);
  in.skip(7);
  maxRadius = in.i32();
  radius = in.i32();
  frame = in.i32();
  in.skip(8);
  rotation = in.i32();
  in.skip(8);
  player = playerByNumber(in.i32());
  loadBase(in);
}

// ----- messege -----

messege::messege(int x, int y, const char* text, uint32_t colour, bool blink, int limit, int fontIndex, int mode)
    : x(x), y(y), colour(static_cast<int32_t>(colour)), mode(mode), fontIndex(fontIndex), blink(blink ? 1 : 0),
      limit(limit) {
  copyText(this->text, text);
  layer = 1;
  soundBound = true;
}

bool messege::update() {
  if (mode == kModeWhileSoundFile) return veziv::IsSoundFilePlaying() != 1;
  if (mode == kModeWhileSound) return !soundBound || veziv::IsSoundHandlePlaying(limit) != 1;
  counter += 1;
  return counter >= limit;
}

void messege::draw() {
  const int b = x < 315 ? 60 : 0;
  const int font = Hooks().fontOf(fontIndex);
  if (mode == kModeWhileSound) {
    const int width = veziv::MeasureTextWithFont(text, static_cast<int>(std::strlen(text)), font, 0);
    const int graph = Hooks().graphOf(kImageRadioFrame);
    for (int i = 0; 32 * i < width; ++i) veziv::RenderGraphPart(x + 32 * i, b, 32, 0, 32, 32, graph, 1, 0);
    veziv::RenderGraphPart(x - 32, b, 0, 0, 32, 32, graph, 1, 0);
  }
  if (blink != 0 && truncInt(counter) % 600 > 300) return;
  veziv::DrawFormattedTextWithFont(x, y + b + 3, static_cast<uint32_t>(colour), font, "%s", text);
}

void messege::save(std::vector<uint8_t>& out) const {
  RecordWriter w(out);
  w.i32(x);
  w.i32(y);
  writeText(w, text);
  w.i32(colour);
  w.i32(fontIndex);
  w.i32(mode);
  w.u8(blink);
  w.i32(limit);
  saveBase(out);
}

// A slot holds the sound handle of a mode-1 text from another run; it names
// nothing now, so the text ends on its first update.
void messege::load(RecordReader& in) {
  x = in.i32();
  y = in.i32();
  readText(in, text);
  colour = in.i32();
  fontIndex = in.i32();
  mode = in.i32();
  blink = in.u8();
  limit = in.i32();
  loadBase(in);
  soundBound = false;
}

bool messege::hasValidFields() const {
  return baseFieldsValid() && fontIndex >= 0 && fontIndex < kFontCount && moderate({x, y});
}

// ----- imageShower -----

imageShower::imageShower(uint8_t layer, int imageId, double x, double y, int mode, int limit, double scale)
    : x(x), y(y), scale(scale), imageId(imageId), mode(mode), limit(limit) {
  this->layer = layer;
  soundBound = true;
}

bool imageShower::update() {
  switch (mode) {
    case kModeWhileSoundFile:
      return veziv::IsSoundFilePlaying() != 1;
    case kModeWhileSound:
      return !soundBound || veziv::IsSoundHandlePlaying(limit) != 1;
    case kModeDrifting:
      y += 1;
      return y > 850;
    default:
      counter += 1;
      return counter >= limit;
  }
}

void imageShower::draw() {
  BattleHooks& hooks = Hooks();
  if (mode == kModeTimedFading) beginAlpha(Fade(counter, limit));
  veziv::RenderGraphRotScaled(truncInt(x) + effectShake(), truncInt(y), hooks.imageWidth(imageId) / 2.0,
                              hooks.imageHeight(imageId) / 2.0, scale, 0, hooks.graphOf(imageId), 1, 0);
  if (mode == kModeTimedFading) endAlpha();
}

void imageShower::save(std::vector<uint8_t>& out) const {
  RecordWriter w(out);
  w.f64(x);
  w.f64(y);
  w.f64(scale);
  w.i32(imageId);
  w.i32(limit);
  w.i32(mode);
  saveBase(out);
}

void imageShower::load(RecordReader& in) {
  x = in.f64();
  y = in.f64();
  scale = in.f64();
  imageId = in.i32();
  limit = in.i32();
  mode = in.i32();
  loadBase(in);
  soundBound = false;
}

bool imageShower::hasValidFields() const {
  return baseFieldsValid() && isImageId(imageId) && moderate(x) && moderate(y) && moderate(scale);
}

// ----- cutIn -----

bool cutIn::update() {
  counter += 1;
  return counter >= 120;
}

void cutIn::draw() {
  static constexpr int kStreakX[10] = {100, 23, 423, 90, 0, 278, 399, 198, 42, 0};
  BattleHooks& hooks = Hooks();
  const int v = Fade(truncInt(counter), 120);
  const uint32_t black = veziv::PackColorForScreen(0, 0, 0);
  beginAlpha(truncInt(v * 0.2));
  veziv::DrawBoxShape(0, 0, 704, 600, black, 1);
  beginAlpha(truncInt(v * 0.4));
  veziv::DrawBoxShape(0, 250, 704, 350, black, 1);
  const int streak = hooks.graphOf(kImageCutInStreak);
  const int64_t frame = World().frameCounter;
  for (int i = 0; i < 50; ++i) {
    int64_t sx = kStreakX[i % 10] + 8 * (i / 5) + (i - 25) * (i - 25) + 20 * frame - 100;
    if (sx > 704) sx %= 704;
    veziv::RenderGraphAtPoint(static_cast<int>(sx), 60 * (i % 10), streak, 1);
  }
  beginAlpha(v);
  veziv::RenderGraphAtPoint(224, 260, hooks.graphOf(imageId), 1);
  endAlpha();
}

void cutIn::save(std::vector<uint8_t>& out) const {
  RecordWriter(out).i32(imageId);
  saveBase(out);
}

void cutIn::load(RecordReader& in) {
  imageId = in.i32();
  loadBase(in);
}

bool cutIn::hasValidFields() const { return baseFieldsValid() && isImageId(imageId); }

// ----- maku -----

maku::maku(PlayerPosition* player, int routine, int state) : player(player), routine(routine), state(state) {}

bool maku::update() { return makuUpdateTable[routine](*this); }

void maku::draw() { makuDrawTable[routine](*this); }

void maku::save(std::vector<uint8_t>& out) const {
  saveBase(out);
  RecordWriter w(out);
  w.i32(routine);
  w.i32(state);
  w.i32(playerNumberOf(player));
}

void maku::load(RecordReader& in) {
  loadBase(in);
  routine = in.i32();
  state = in.i32();
  player = playerByNumber(in.i32());
  if (routine == 2 && hasValidFields()) {
    const int handle = Hooks().soundHandle(kSoundSanraiga);
    if (veziv::IsSoundHandlePlaying(handle) != 1) veziv::PlaySoundHandle(handle, 3, 1);
  }
}

// The routine indexes two tables, and the power divides the routines'
// timings: a slot must give a routine 0..6 and a power 1..100.
bool maku::hasValidFields() const {
  return baseFieldsValid() && routine >= 0 && routine < kMakuRoutineCount && state >= 1 && state <= 100 &&
         player != nullptr && counter >= 0;
}

bool basicAnime::baseFieldsValid() const { return moderate(counter) && moderate(step); }

bool expandingAnime::hasValidFields() const {
  return baseFieldsValid() && isImageId(imageId) && moderate({x, y, heading, halfWidth}) && moderate(scale) &&
         moderate(growth);
}

bool slideAnime::hasValidFields() const {
  return baseFieldsValid() && sheet >= 0 && sheet < kSheetCount && pictures >= 1 &&
         moderate({pass, pictures, lastPass, width, height}) && moderate(growth);
}

bool stationalSlideAnime::hasValidFields() const { return slideAnime::hasValidFields() && moderate({x, y}); }

bool flash::hasValidFields() const { return baseFieldsValid() && moderate({alpha, swings}); }

bool circle::hasValidFields() const {
  return baseFieldsValid() && moderate({maxRadius, radius, frame, rotation}) && player != nullptr;
}

}  // namespace game::battle
