// Fields, geometry, damage and records of the battle objects.
#include "game/battle/motion.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "game/battle/tables.h"

namespace game::battle {
namespace {

constexpr double kPi = 3.141592653589793;
// Every word and real a file gives must lie within this, so that no later
// sum or product the objects make can leave the int range.
constexpr int kMaxWord = 1 << 30;
constexpr double kMaxMagnitude = kMaxWord;
constexpr int kMaxSpeed = 10000;
constexpr int kMaxRadius = 4096;
constexpr int kMaxShotInterval = 10000;

double radians(double degrees) { return degrees * kPi / 180; }

bool inRange(int v, int lo, int hi) { return v >= lo && v <= hi; }
bool moderate(int v) { return v >= -kMaxWord && v <= kMaxWord; }
bool moderate(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxMagnitude; }
bool isImageId(int id) { return inRange(id, 0, kImageIdCount - 1); }

uint32_t packedColour(int r, int g, int b) { return veziv::PackColorForScreen(r, g, b); }

}  // namespace

int truncInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

int objectShakeOffset(int screenShake) { return truncInt(5 * std::sin(screenShake * kPi * kPi / 180)); }

int hpBarFill(int hp, int maxHp) {
  // maxHp 0 from a file would divide by zero; such records are refused, and
  // the bar stays empty should one get here.
  if (maxHp <= 0) return 0;
  return static_cast<int>(static_cast<int64_t>(hp) * 39 / maxHp);
}

// ----- motion -----

void motion::drawBody(int shake) const {
  BattleHooks& hooks = Hooks();
  const double f = speed < 0 ? 180 : 0;
  veziv::RenderGraphRotScaled(truncInt(x) + shake, truncInt(y), hooks.imageWidth(imageId) / 2,
                              hooks.imageHeight(imageId) / 2, 1.0, (90 - heading - f) * kPi / 180,
                              hooks.graphOf(imageId), 1, 0);
}

void motion::draw() { drawBody(objectShakeOffset(World().screenShake)); }

bool motion::isOut() const { return x < -radius || x > kFieldWidth + radius || y > kFieldHeight + radius; }

// A real division: speed 20 is 3 pixels, as the polar step moves it.
int motion::getPixelSpeed() const { return truncInt(speed / 100.0 * 16); }

double motion::getPrevX() const { return x - std::cos(radians(heading)) * speed / 100 * 16; }

double motion::getPrevY() const { return y + std::sin(radians(heading)) * speed / 100 * 16; }

void motion::saveMotionRecord(std::vector<uint8_t>& out) const {
  RecordWriter w(out);
  w.f64(x);
  w.f64(y);
  w.i32(radius);
  w.f64(heading);
  w.i32(speed);
  w.i32(imageId);
}

void motion::loadMotionRecord(RecordReader& in) {
  x = in.f64();
  y = in.f64();
  radius = in.i32();
  heading = in.f64();
  speed = in.i32();
  imageId = in.i32();
}

void motion::save(std::vector<uint8_t>& out) const { saveMotionRecord(out); }
void motion::load(RecordReader& in) { loadMotionRecord(in); }
void motion::readFileRecord(RecordReader& in) { loadMotionRecord(in); }

bool motion::loadFromFile(veziv::FileHandle handle) {
  uint8_t bytes[kDualImageEnemyRecordBytes];
  const size_t size = static_cast<size_t>(fileRecordBytes());
  // Bytes, not elements: a plain file and an archive member count alike.
  if (veziv::FileStreamRead(bytes, 1, size, handle) != size) return false;
  RecordReader in(bytes, size);
  readFileRecord(in);
  return in.ok();
}

bool motion::hasValidFields() const {
  return moderate(x) && moderate(y) && moderate(heading) && inRange(radius, 0, kMaxRadius) &&
         inRange(speed, -kMaxSpeed, kMaxSpeed) && isImageId(imageId);
}

// ----- enemy -----

enemy::enemy(int heading, double x, double y) {
  this->x = x;
  this->y = y;
  this->heading = heading;
  speed = 40;
  imageId = kImageLaunchedPlane;
  radius = Hooks().imageWidth(kImageLaunchedPlane) / 2;
  score = 100;
  hp = 100;
  maxHp = 100;
  shadowOffset = 30;
  shotId = 4;
  movementId = 6;
  deathActionId = 1;
}

void enemy::update() {
  if (inRange(movementId, 0, kMovementCount - 1)) movementTable[movementId](*this);
}

void enemy::drawEnemy(int shake) {
  BattleHooks& hooks = Hooks();
  // The shadow (16 px) grows with the radius in reals: a radius of 12 draws it at 1.5.
  veziv::RenderGraphRotScaled(truncInt(x) + shake, truncInt(y) + shadowOffset, 8, 8, radius / 8.0,
                              heading * kPi / 180, hooks.graphOf(kImageShadow), 1, 0);
  drawBody(shake);
  const int bx = truncInt(x);
  const int by = truncInt(y);
  veziv::DrawBoxShape(bx + 20, by - 20, bx + 61, by - 10, packedColour(0, 0, 0), 0);
  veziv::DrawBoxShape(bx + 21, by - 19, bx + 21 + hpBarFill(hp, maxHp), by - 11, packedColour(255, 255, 255), 1);
  if (inRange(shotId, 0, kShotPatternCount - 1)) shotDrawTable[shotId](*this);
}

void enemy::draw() { drawEnemy(objectShakeOffset(World().screenShake)); }

void enemy::saveEnemyWords(std::vector<uint8_t>& out) const {
  RecordWriter w(out);
  for (int v : {score, hp, maxHp, shadowOffset, shotCounter, shotId, shotAux, shotImage, shotInterval, movementId,
                deathActionId, deathActionState}) {
    w.i32(v);
  }
}

void enemy::loadEnemyWords(RecordReader& in) {
  for (int* v : {&score, &hp, &maxHp, &shadowOffset, &shotCounter, &shotId, &shotAux, &shotImage, &shotInterval,
                 &movementId, &deathActionId, &deathActionState}) {
    *v = in.i32();
  }
}

void enemy::save(std::vector<uint8_t>& out) const {
  saveEnemyWords(out);
  saveMotionRecord(out);
}

void enemy::load(RecordReader& in) {
  loadEnemyWords(in);
  loadMotionRecord(in);
}

void enemy::readFileRecord(RecordReader& in) { load(in); }

bool enemy::hasValidFields() const {
  return motion::hasValidFields() && moderate(score) && moderate(hp) && inRange(maxHp, 1, kMaxWord) &&
         moderate(shadowOffset) && moderate(shotCounter) && inRange(shotId, 0, kShotPatternCount - 1) &&
         moderate(shotAux) && isImageId(shotImage) && inRange(shotInterval, 1, kMaxShotInterval) &&
         inRange(movementId, 0, kMovementCount - 1) && inRange(deathActionId, 0, kActionCount - 1) &&
         moderate(deathActionState);
}

bool enemy::damage(int amount) {
  if (hp <= 0) return false;
  if (World().difficulty >= 100) amount /= 2;
  // A negative power from a slot heals; kept inside the int range.
  hp = static_cast<int>(std::clamp<int64_t>(int64_t{hp} - amount, -kMaxWord, kMaxWord));
  if (hp > 0) return false;
  if (!inRange(deathActionId, 0, kActionCount - 1)) return true;
  return actionTable[deathActionId](deathActionState, *this);
}

// ----- enemy_dualImage -----

void enemy_dualImage::draw() {
  BattleHooks& hooks = Hooks();
  const int shake = objectShakeOffset(World().screenShake);
  veziv::RenderGraphRotScaled(truncInt(x) + shake, truncInt(y), hooks.imageWidth(baseImage) / 2,
                              hooks.imageHeight(baseImage) / 2, 1.0, (90 - baseHeading) * kPi / 180,
                              hooks.graphOf(baseImage), 1, 0);
  drawEnemy(shake);
}

void enemy_dualImage::save(std::vector<uint8_t>& out) const {
  RecordWriter w(out);
  w.i32(baseHeading);
  w.i32(baseImage);
  enemy::save(out);
}

void enemy_dualImage::load(RecordReader& in) {
  baseHeading = in.i32();
  baseImage = in.i32();
  enemy::load(in);
}

void enemy_dualImage::readFileRecord(RecordReader& in) { load(in); }

bool enemy_dualImage::hasValidFields() const {
  return enemy::hasValidFields() && moderate(baseHeading) && isImageId(baseImage);
}

// ----- bullet -----

bullet::bullet(int heading, int power, int speed, int movementId, int hitActionId, int owner, double x, double y,
               int imageId)
    : owner(owner), power(power), movementId(movementId), hitActionId(hitActionId) {
  this->x = x;
  this->y = y;
  this->heading = heading;
  this->speed = speed;
  this->imageId = imageId;
  radius = Hooks().imageWidth(imageId) / 2;
}

void bullet::update() {
  if (inRange(movementId, 0, kMovementCount - 1)) movementTable[movementId](*this);
}

bool bullet::isOut() const {
  return x < -radius || x > 800 + radius || y > kFieldHeight + radius || y < -100 - radius;
}

void bullet::save(std::vector<uint8_t>& out) const {
  saveMotionRecord(out);
  RecordWriter w(out);
  for (int v : {owner, power, movementId, hitActionId, hitActionState}) w.i32(v);
}

void bullet::load(RecordReader& in) {
  loadMotionRecord(in);
  for (int* v : {&owner, &power, &movementId, &hitActionId, &hitActionState}) *v = in.i32();
}

bool bullet::hasValidFields() const {
  return motion::hasValidFields() && moderate(owner) && moderate(power) &&
         inRange(movementId, 0, kMovementCount - 1) && inRange(hitActionId, 0, kActionCount - 1) &&
         moderate(hitActionState);
}

bool bullet::hitTest(double tx, double ty, int r) const {
  const int64_t reach = static_cast<int64_t>(radius) + r;
  // A zero reach (a radius of 0 from a file or a missing image) touches nothing.
  if (reach <= 0) return false;
  const double reachSquared = static_cast<double>(reach * reach);
  const int p = getPixelSpeed();
  if (reach < p) {
    double px = getPrevX();
    double py = getPrevY();
    const double stepX = std::cos(radians(heading)) * static_cast<double>(reach);
    const double stepY = -std::sin(radians(heading)) * static_cast<double>(reach);
    for (int64_t n = p / reach; n > 0; --n) {
      if ((px - tx) * (px - tx) + (py - ty) * (py - ty) < reachSquared) return true;
      px += stepX;
      py += stepY;
    }
  }
  return (tx - x) * (tx - x) + (ty - y) * (ty - y) < reachSquared;
}

bool bullet::onHit() {
  if (!inRange(hitActionId, 0, kActionCount - 1)) return true;
  return actionTable[hitActionId](hitActionState, *this);
}

// ----- item -----

void item::update() {
  if (inRange(movementId, 0, kMovementCount - 1)) movementTable[movementId](*this);
}

void item::draw() {
  const int image = kind == 1 ? kImageMpItem : kImagePowerCharger;
  veziv::RenderGraphRotScaled(truncInt(x) + objectShakeOffset(World().screenShake), truncInt(y), 12, 12, 1.0, 0,
                              Hooks().graphOf(image), 1, 0);
}

void item::save(std::vector<uint8_t>& out) const {
  saveMotionRecord(out);
  RecordWriter w(out);
  for (int v : {movementId, kind, amount}) w.i32(v);
}

void item::load(RecordReader& in) {
  loadMotionRecord(in);
  for (int* v : {&movementId, &kind, &amount}) *v = in.i32();
}

bool item::hasValidFields() const {
  return motion::hasValidFields() && inRange(movementId, 0, kMovementCount - 1) && moderate(kind) &&
         moderate(amount);
}

bool item::pickUpTest(const PlayerPosition& position) const {
  return std::fabs(position.x - x) < 10 && std::fabs(position.y - y) < 10;
}

// ----- factory -----

std::unique_ptr<motion> createMotion(int typeId) {
  switch (typeId) {
    case kEnemyTypeId:
      return std::make_unique<enemy>();
    case kDualImageEnemyTypeId:
      return std::make_unique<enemy_dualImage>();
    case kBulletTypeId:
      return std::make_unique<bullet>();
    case kItemTypeId:
      return std::make_unique<item>();
    default:
      return nullptr;
  }
}

}  // namespace game::battle
