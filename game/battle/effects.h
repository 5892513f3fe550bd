// The battle's timed screen effects: explosions, smoke, notices, flashes,
// shield rings, radio texts, pictures, cut-ins and the special attacks. Each
// lives in one of the two effect layers (effect_layers.h) until its update
// says it is finished, and is saved to a slot by type id.
#pragma once

#include <cstdint>
#include <vector>

#include "game/battle/battle_world.h"
#include "game/battle/record_bytes.h"

namespace game::battle {

// The modes and font indexes that the callers give to effects, fixed once
// here because a slot stores them and they decide how an effect ends.
// imageShower and messege modes: 0 ends with the sound-file player, 1 with
// the sound handle held in limit, 3 drifts down with the field, any other is
// timed (limit frames); mode 2 alone also fades in and out.
constexpr int kModeWhileSoundFile = 0;
constexpr int kModeWhileSound = 1;
constexpr int kModeTimedFading = 2;
constexpr int kModeDrifting = 3;
constexpr int kModeTimed = 4;
// Indexes of the game's font table (game, story text, story name, event,
// box). Font 0 is the notices' font (userMessege always draws with it) and
// the HUD's (default face, 14). The radio font is the Mincho 22 of the
// table, the box font, at index 4.
constexpr int kFontNotice = 0;
constexpr int kFontHud = 0;
constexpr int kFontRadio = 4;
constexpr int kFontCount = 5;

// Type ids of the classes.
enum AnimeType : int32_t {
  kAnimeBasic = 1,
  kAnimeExpanding,
  kAnimeSlide,
  kAnimeUserMessege,
  kAnimeMaku,
  kAnimeFlash,
  kAnimeCircle,
  kAnimeMessege,
  kAnimePlayerSlide,
  kAnimeStationalSlide,
  kAnimeImageShower,
  kAnimeCutIn,
};

// Sprite sheets of the registry the effects draw from.
constexpr int kSheetUpAnime = 2;
constexpr int kSheetCircle = 4;
constexpr int kSheetLaser = 6;
constexpr int kSheetThunder = 9;
constexpr int kSheetCount = 12;
constexpr int kUpAnimePictures = 33;

// The rise-and-fall alpha: up over the first fifth of T, down over the last.
int Fade(double t, double T);
// The shake offset of effect pictures (degrees x pi x pi / 180).
int effectShake();
// The slot number of a player (1 for player 1, 2 otherwise) and back.
int playerNumberOf(const PlayerPosition* player);
PlayerPosition* playerByNumber(int number);

class basicAnime {
 public:
  basicAnime() = default;
  virtual ~basicAnime() = default;
  basicAnime(const basicAnime&) = delete;
  basicAnime& operator=(const basicAnime&) = delete;

  virtual void draw() {}
  // True when the effect is finished.
  virtual bool update();
  virtual void onFinish() {}
  virtual int32_t getTypeId() const { return kAnimeBasic; }
  virtual void save(std::vector<uint8_t>& out) const { saveBase(out); }
  virtual void load(RecordReader& in) { loadBase(in); }
  // Whether the ids and ranges a slot gave can be used.
  virtual bool hasValidFields() const { return baseFieldsValid(); }

  double counter = 0.0;
  double step = 1.0;
  uint8_t layer = 0;

 protected:
  void saveBase(std::vector<uint8_t>& out) const;
  void loadBase(RecordReader& in);
  // Counter and step are finite and moderate.
  bool baseFieldsValid() const;
};

class expandingAnime : public basicAnime {
 public:
  expandingAnime() = default;
  // growing: +0.2 a frame up to 2.0; else -0.2 down to 0.
  expandingAnime(int imageId, int x, int y, int heading, bool growing);
  void draw() override;
  bool update() override;
  int32_t getTypeId() const override { return kAnimeExpanding; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;

  double scale = 1.0;
  int imageId = 0, x = 0, y = 0, heading = 0, halfWidth = 0;
  double growth = 0.2;
};

class slideAnime : public basicAnime {
 public:
  bool update() override;
  int32_t getTypeId() const override { return kAnimeSlide; }
  void save(std::vector<uint8_t>& out) const override { saveSlide(out); }
  void load(RecordReader& in) override { loadSlide(in); }
  bool hasValidFields() const override;

  double growth = 0.0;
  int pass = 0, sheet = 0, pictures = 1, lastPass = 0, width = 0, height = 0;

 protected:
  void initSlide(int sheet, int pictures, int lastPass, double step);
  void drawAt(int x, int y) const;
  void saveSlide(std::vector<uint8_t>& out) const;
  void loadSlide(RecordReader& in);
};

class playerSlideAnime : public slideAnime {
 public:
  playerSlideAnime() = default;
  playerSlideAnime(PlayerPosition* player, double step);
  void draw() override;
  int32_t getTypeId() const override { return kAnimePlayerSlide; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;

  PlayerPosition* player = nullptr;
};

class stationalSlideAnime : public slideAnime {
 public:
  stationalSlideAnime() = default;
  stationalSlideAnime(int sheet, int pictures, int lastPass, double x, double y, double step);
  void draw() override;
  int32_t getTypeId() const override { return kAnimeStationalSlide; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;

  int x = 0, y = 0;
};

// Texts are at most 127 bytes; callers refuse longer ones, and a longer one
// given here is cut.
class userMessege : public basicAnime {
 public:
  userMessege() = default;
  userMessege(const char* text, int number, PlayerPosition* player, uint32_t colour);
  void draw() override;
  bool update() override;
  int32_t getTypeId() const override { return kAnimeUserMessege; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;

  int number = -1;
  PlayerPosition* player = nullptr;
  char text[128] = {};
  int32_t colour = 0;
};

class flash : public basicAnime {
 public:
  explicit flash(uint8_t layer = 1) { this->layer = layer; }
  void draw() override;
  bool update() override;
  int32_t getTypeId() const override { return kAnimeFlash; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;

  int alpha = 0, swings = 0;
};

class circle : public basicAnime {
 public:
  circle() = default;
  circle(PlayerPosition* player, int maxRadius);
  void draw() override;
  bool update() override;
  int32_t getTypeId() const override { return kAnimeCircle; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;

  int maxRadius = 0, radius = 0, frame = 0, rotation = 0;
  PlayerPosition* player = nullptr;
};

class messege : public basicAnime {
 public:
  messege() = default;
  messege(int x, int y, const char* text, uint32_t colour, bool blink, int limit, int fontIndex, int mode);
  void draw() override;
  bool update() override;
  int32_t getTypeId() const override { return kAnimeMessege; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;

  int x = 0, y = 0;
  char text[128] = {};
  int32_t colour = 0;
  int mode = kModeTimed, fontIndex = 0;
  uint8_t blink = 0;
  int limit = 0;

 private:
  // False once loaded from a slot: its sound handle is from another run.
  bool soundBound = false;
};

class imageShower : public basicAnime {
 public:
  imageShower() = default;
  imageShower(uint8_t layer, int imageId, double x, double y, int mode, int limit, double scale);
  void draw() override;
  bool update() override;
  int32_t getTypeId() const override { return kAnimeImageShower; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;

  double x = 0.0, y = 0.0, scale = 1.0;
  int imageId = 0, mode = kModeTimed, limit = 0;

 private:
  bool soundBound = false;
};

class cutIn : public basicAnime {
 public:
  cutIn() = default;
  explicit cutIn(int imageId, uint8_t layer = 1) : imageId(imageId) { this->layer = layer; }
  void draw() override;
  bool update() override;
  int32_t getTypeId() const override { return kAnimeCutIn; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;

  int imageId = 0;
};

// A special attack running: routine 0..6 of the routine tables
// (special_routines.cpp) with its power p (state) for its player.
class maku : public basicAnime {
 public:
  maku() = default;
  maku(PlayerPosition* player, int routine, int state);
  void draw() override;
  bool update() override;
  int32_t getTypeId() const override { return kAnimeMaku; }
  void save(std::vector<uint8_t>& out) const override;
  void load(RecordReader& in) override;
  bool hasValidFields() const override;

  PlayerPosition* player = nullptr;
  int routine = 6, state = 100;
};

// Replaces an enemy bullet by a growing copy of its picture in the front
// layer and removes it from the list; gives the index of the next bullet.
size_t clearEnemyBullet(size_t index);

}  // namespace game::battle
