// The effect classes and the two layers: lifetimes, the shield ring, and the
// slot section read back byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "game/battle/battle_test_support.h"
#include "game/battle/effect_layers.h"
#include "game/battle/players.h"
#include "game/battle/special_attacks.h"

namespace game::battle {
namespace {

// A battle with the real player records and empty layers.
class EffectBattle : public test::Battle {
 public:
  EffectBattle() {
    installPlayers();
    battlePlayer(1) = buildPlayer(1, 0, 0, 0, -1, -1);
    battlePlayer(2) = buildPlayer(2, 0, 0, 0, -1, -1);
    battlePlayer(2).x = 200;
    clearAnimes();
  }
  ~EffectBattle() { clearAnimes(); }
};

// The update on which the effect says it is finished (0: not within limit).
int finishingUpdate(basicAnime& effect, int limit = 2000) {
  for (int frame = 1; frame <= limit; ++frame) {
    if (effect.update()) return frame;
  }
  return 0;
}

TEST(EffectLifetimes, EachClassEndsOnItsFrame) {
  EffectBattle battle;
  PlayerPosition* p1 = World().players[0];
  struct Case {
    const char* name;
    std::function<std::unique_ptr<basicAnime>()> make;
    int frames;
  };
  const Case cases[] = {
      // Six pictures a pass, passes 0 to 5.
      {"stational slide", [] { return std::make_unique<stationalSlideAnime>(0, 6, 5, 10.5, 20.5, 1.0); }, 36},
      {"player slide", [&] { return std::make_unique<playerSlideAnime>(p1, 1.0); }, 33},
      // 1.0 + 0.2 five times is just under 2.0: the 7th update ends it.
      {"growing", [] { return std::make_unique<expandingAnime>(42, 0, 0, 0, true); }, 7},
      {"shrinking", [] { return std::make_unique<expandingAnime>(42, 0, 0, 0, false); }, 7},
      {"notice", [&] { return std::make_unique<userMessege>("x", -1, p1, 0u); }, 100},
      {"flash", [] { return std::make_unique<flash>(1); }, 36},
      {"circle", [&] { return std::make_unique<circle>(p1, 60); }, 100},
      {"cut-in", [] { return std::make_unique<cutIn>(234); }, 120},
      {"timed text", [] { return std::make_unique<messege>(0, 0, "t", 0u, true, 50, 0, kModeTimed); }, 50},
      {"timed picture", [] { return std::make_unique<imageShower>(1, 61, 0, 0, kModeTimed, 200, 1.0); }, 200},
      {"fading picture", [] { return std::make_unique<imageShower>(1, 61, 0, 0, kModeTimedFading, 80, 1.0); }, 80},
      // y 0 drifts a pixel a frame until past 850.
      {"drifting picture", [] { return std::make_unique<imageShower>(0, 14, 0, 0, kModeDrifting, 0, 1.0); }, 851},
      // Headless, no sound handle plays: the effects bound to one end at once.
      {"text while sound", [] { return std::make_unique<messege>(0, 0, "t", 0u, false, -1, 4, kModeWhileSound); }, 1},
      {"picture while sound", [] { return std::make_unique<imageShower>(1, 312, 0, 0, kModeWhileSound, -1, 0.5); },
       1},
      {"never", [] { return std::make_unique<basicAnime>(); }, 0},
      {"routine 6", [&] { return std::make_unique<maku>(p1, 6, 100); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto effect = c.make();
    EXPECT_EQ(finishingUpdate(*effect), c.frames);
  }
}

TEST(EffectTiming, FlashSwingsAndFade) {
  EffectBattle battle;
  flash f;
  std::vector<int> alphas;
  for (int frame = 1; frame <= 36; ++frame) {
    const bool done = f.update();
    alphas.push_back(f.alpha);
    EXPECT_EQ(done, frame == 36) << frame;
  }
  EXPECT_EQ(alphas[7], 128);   // frame 8
  EXPECT_EQ(f.swings, 4);
  EXPECT_EQ(alphas[8], 128);   // turns on frame 9
  EXPECT_EQ(alphas[9], 112);
  EXPECT_EQ(alphas[16], 0);    // back at 0 on frame 17

  // The cut-in's fade: opaque from 24 to 96.
  EXPECT_EQ(Fade(0, 120), 0);
  EXPECT_EQ(Fade(12, 120), 127);
  EXPECT_EQ(Fade(23, 120), 244);
  EXPECT_EQ(Fade(24, 120), 255);
  EXPECT_EQ(Fade(96, 120), 255);
  EXPECT_EQ(Fade(97, 120), 244);
  EXPECT_EQ(Fade(120, 120), 0);
  // A length of 0 (only a slot can give one) shows nothing.
  EXPECT_EQ(Fade(5, 0), 0);
}

TEST(EffectTiming, ShieldRingGrowsAndClearsEnemyBulletsInsideIt) {
  EffectBattle battle;
  PlayerPosition& p = *World().players[0];
  circle ring(&p, 60);
  for (int i = 0; i < 5; ++i) ring.update();
  EXPECT_EQ(ring.radius, 30);
  for (int i = 0; i < 5; ++i) ring.update();
  EXPECT_EQ(ring.radius, 60);

  // 59 pixels is inside, 60 is not; a player's bullet is never cleared.
  World().bullets.push_back(std::make_unique<bullet>(270, 1, 0, 0, 1, 3, p.x + 59, p.y, kImageBulletRed));
  World().bullets.push_back(std::make_unique<bullet>(270, 1, 0, 0, 1, 3, p.x, p.y - 60, kImageBulletRed));
  World().bullets.push_back(std::make_unique<bullet>(270, 1, 0, 0, 1, 1, p.x, p.y - 10, kImageBulletRed));
  EXPECT_FALSE(ring.update());
  ASSERT_EQ(World().bullets.size(), 2u);
  EXPECT_EQ(World().bullets[0]->y, p.y - 60);
  ASSERT_EQ(frontAnimes().size(), 1u);
  const auto& copy = dynamic_cast<const expandingAnime&>(*frontAnimes()[0]);
  EXPECT_EQ(copy.x, static_cast<int>(p.x) + 59);
  EXPECT_EQ(copy.heading, 270);
  EXPECT_GT(copy.growth, 0);
}

// One effect of every class with values away from their defaults.
std::vector<std::unique_ptr<basicAnime>> oneOfEach() {
  PlayerPosition* p1 = World().players[0];
  PlayerPosition* p2 = World().players[1];
  std::vector<std::unique_ptr<basicAnime>> all;
  auto basic = std::make_unique<basicAnime>();
  basic->counter = 3.25;
  basic->layer = 1;
  all.push_back(std::move(basic));
  auto grow = std::make_unique<expandingAnime>(42, 11, 12, 13, false);
  grow->scale = 0.6;
  all.push_back(std::move(grow));
  auto slide = std::make_unique<slideAnime>();
  slide->sheet = 1;
  slide->pictures = 6;
  slide->pass = 2;
  slide->growth = 0.14;
  all.push_back(std::move(slide));
  all.push_back(std::make_unique<userMessege>("Damage! -", 25, p2, 0xff0000u));
  auto attack = std::make_unique<maku>(p1, 3, 55);
  attack->counter = 12;
  all.push_back(std::move(attack));
  auto f = std::make_unique<flash>(1);
  f->alpha = 96;
  f->swings = 1;
  all.push_back(std::move(f));
  auto ring = std::make_unique<circle>(p2, 40);
  ring->frame = 7;
  ring->radius = 28;
  ring->rotation = 7;
  ring->counter = 1.5;
  all.push_back(std::move(ring));
  all.push_back(std::make_unique<messege>(394, 0, "ちょっと当たっただけだ！", 0xffc83cu, true, 300, kFontRadio, kModeTimed));
  all.push_back(std::make_unique<playerSlideAnime>(p1, 0.5));
  all.push_back(std::make_unique<stationalSlideAnime>(0, 16, 0, 100.9, 200.2, 1.0));
  all.push_back(std::make_unique<imageShower>(0, 61, 123.5, 7.25, kModeTimedFading, 200, 1.5));
  all.push_back(std::make_unique<cutIn>(231, 1));
  return all;
}

TEST(EffectRecords, EveryClassHasItsRecordLengthAndReadsBackByteForByte) {
  EffectBattle battle;
  const std::map<int, size_t> lengths = {{1, 17}, {2, 53}, {3, 49},  {4, 157}, {5, 29},  {6, 25},
                                         {7, 85}, {8, 170}, {9, 53}, {10, 57}, {11, 53}, {12, 21}};
  for (auto& effect : oneOfEach()) {
    const int type = effect->getTypeId();
    SCOPED_TRACE(type);
    std::vector<uint8_t> record;
    effect->save(record);
    EXPECT_EQ(record.size(), lengths.at(type));

    std::unique_ptr<basicAnime> copy = createAnime(type);
    ASSERT_NE(copy, nullptr);
    RecordReader in(record.data(), record.size());
    copy->load(in);
    EXPECT_TRUE(in.ok());
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_TRUE(copy->hasValidFields());
    std::vector<uint8_t> again;
    copy->save(again);
    EXPECT_EQ(again, record);
  }
  EXPECT_EQ(createAnime(0), nullptr);
  EXPECT_EQ(createAnime(13), nullptr);
}

TEST(EffectRecords, FieldsLandAtTheirOffsets) {
  EffectBattle battle;
  // The circle's block: counter at 8, layer at 24, max radius at 32, rotation
  // at 52; the player number at 64 and the winning counter at 68.
  circle ring(World().players[1], 40);
  ring.rotation = 9;
  ring.counter = 2.5;
  std::vector<uint8_t> bytes;
  ring.save(bytes);
  RecordReader in(bytes.data(), bytes.size());
  in.skip(8);
  EXPECT_EQ(in.f64(), 2.5);
  in.skip(24 - 16);
  EXPECT_EQ(in.u8(), 0);
  in.skip(7);
  EXPECT_EQ(in.i32(), 40);
  in.skip(52 - 36);
  EXPECT_EQ(in.i32(), 9);
  in.skip(8);
  EXPECT_EQ(in.i32(), 2);
  EXPECT_EQ(in.f64(), 2.5);

  // messege: font index before mode, then the blink byte and the limit.
  messege text(1, 2, "abc", 7u, true, 99, 4, 1);
  bytes.clear();
  text.save(bytes);
  RecordReader t(bytes.data(), bytes.size());
  t.skip(8 + 128 + 4);
  EXPECT_EQ(t.i32(), 4);
  EXPECT_EQ(t.i32(), 1);
  EXPECT_EQ(t.u8(), 1);
  EXPECT_EQ(t.i32(), 99);

  // imageShower: limit before mode.
  imageShower shower(1, 61, 0, 0, kModeDrifting, 200, 1.0);
  bytes.clear();
  shower.save(bytes);
  RecordReader s(bytes.data(), bytes.size());
  s.skip(24 + 4);
  EXPECT_EQ(s.i32(), 200);
  EXPECT_EQ(s.i32(), kModeDrifting);
}

TEST(EffectLayers, SectionRoundTripRefilesByFlagAndKeepsLoadedValues) {
  EffectBattle battle;
  for (auto& effect : oneOfEach()) addAnime(std::move(effect));
  EXPECT_EQ(frontAnimes().size(), 6u);  // basic, growing, notice, flash, text, cut-in
  EXPECT_EQ(backAnimes().size(), 6u);
  std::vector<uint8_t> section;
  saveAnimes(section);
  RecordReader in(section.data(), section.size());
  ASSERT_TRUE(loadAnimes(in));
  EXPECT_EQ(in.remaining(), 0u);
  std::vector<uint8_t> again;
  saveAnimes(again);
  EXPECT_EQ(again, section);
  const auto& f = dynamic_cast<const flash&>(*frontAnimes()[3]);
  EXPECT_EQ(f.alpha, 96);
  EXPECT_EQ(f.swings, 1);

  // A back-flagged record in the front section goes to the back layer.
  std::vector<uint8_t> moved;
  RecordWriter w(moved);
  w.i32(1);
  w.i32(kAnimeCutIn);
  cutIn(231, 0).save(moved);
  w.i32(0);
  RecordReader m(moved.data(), moved.size());
  ASSERT_TRUE(loadAnimes(m));
  EXPECT_TRUE(frontAnimes().empty());
  EXPECT_EQ(backAnimes().size(), 1u);

  // No effects: two zero counts.
  clearAnimes();
  std::vector<uint8_t> empty;
  saveAnimes(empty);
  EXPECT_EQ(empty, std::vector<uint8_t>(8, 0));
}

TEST(EffectLayers, BrokenSectionsFailAndLeaveTheLayersEmpty) {
  EffectBattle battle;
  auto section = [](int32_t type, const std::function<void(std::vector<uint8_t>&)>& body) {
    std::vector<uint8_t> bytes;
    RecordWriter w(bytes);
    w.i32(1);
    w.i32(type);
    body(bytes);
    w.i32(0);
    return bytes;
  };
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"unknown type id", section(13, [](auto& b) { cutIn(231).save(b); })},
      {"type id 0", section(0, [](auto&) {})},
      {"truncated", section(kAnimeFlash, [](auto& b) { RecordWriter(b).i32(5); })},
      {"routine 7", section(kAnimeMaku, [](auto& b) { maku(World().players[0], 7, 100).save(b); })},
      {"power 0", section(kAnimeMaku, [](auto& b) { maku(World().players[0], 1, 0).save(b); })},
      {"sheet 40", section(kAnimeStationalSlide,
                           [](auto& b) { stationalSlideAnime(40, 6, 0, 0, 0, 1).save(b); })},
      {"font 9", section(kAnimeMessege, [](auto& b) { messege(0, 0, "a", 0u, false, 5, 9, 4).save(b); })},
      {"image 999", section(kAnimeCutIn, [](auto& b) { cutIn(999).save(b); })},
      {"counter not a number", section(kAnimeMaku,
                                       [](auto& b) {
                                         maku m(World().players[0], 1, 50);
                                         m.counter = std::nan("");
                                         m.save(b);
                                       })},
      {"huge position", section(kAnimeStationalSlide,
                                [](auto& b) { stationalSlideAnime(0, 6, 0, 2e9, 0, 1).save(b); })},
      {"negative count", std::vector<uint8_t>{0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0}},
      {"a billion effects", std::vector<uint8_t>{0x00, 0xca, 0x9a, 0x3b, 0, 0, 0, 0}},
      {"no back count", std::vector<uint8_t>{0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    addAnime(std::make_unique<cutIn>(231));
    RecordReader in(c.bytes.data(), c.bytes.size());
    EXPECT_FALSE(loadAnimes(in));
    EXPECT_TRUE(frontAnimes().empty());
    EXPECT_TRUE(backAnimes().empty());
  }
}

// Counts its draws and finishes on the update named.
class Probe : public basicAnime {
 public:
  Probe(int finishOn, int* draws) : finishOn_(finishOn), draws_(draws) {}
  bool update() override { return ++updates_ >= finishOn_; }
  void draw() override { ++*draws_; }

 private:
  int finishOn_;
  int* draws_;
  int updates_ = 0;
};

TEST(EffectLayers, FinishedEffectsGoInTheSamePassAndAreNotDrawn) {
  EffectBattle battle;
  int draws[4] = {};
  addAnime(std::make_unique<Probe>(1, &draws[0]));
  addAnime(std::make_unique<Probe>(1, &draws[1]));
  addAnime(std::make_unique<Probe>(2, &draws[2]));
  addAnime(std::make_unique<Probe>(1, &draws[3]));
  updateAnimes();
  ASSERT_EQ(backAnimes().size(), 1u);
  drawBackAnimes();
  EXPECT_EQ(draws[0] + draws[1] + draws[3], 0);
  EXPECT_EQ(draws[2], 1);
  updateAnimes();
  EXPECT_TRUE(backAnimes().empty());
}

// The layers' hooks with a registry that knows nothing.
class LayerHooksForTest : public LayerHooks {
 public:
  int graphOf(int) override { return -1; }
  int imageWidth(int) override { return 8; }
  int imageHeight(int) override { return 8; }
  void ensureImageLoaded(int) override {}
  void ensureSoundLoaded(int, int) override {}
  void playSound(int) override {}
  int sheetGraph(int, int) override { return -1; }
  int sheetPictureWidth(int) override { return 96; }
  int sheetPictureHeight(int) override { return 96; }
  int soundHandle(int) override { return -1; }
  int fontOf(int) override { return -1; }
  int craftPoseGraph(int) override { return -1; }
  int mainWeaponReload(int) override { return 10; }
  int subWeaponReload(int) override { return 10; }
  int subWeaponAmmo(int) override { return 10; }
  bool battleEventsOn() override { return false; }
  bool craftFollowsKeys() override { return true; }
  const InputHolds* playerInput(int) override { return nullptr; }
};

TEST(EffectHooks, ObjectsMakeTheirEffectsThroughTheLayers) {
  EffectBattle battle;
  LayerHooksForTest hooks;
  World().hooks = &hooks;
  Hooks().addSlideEffect(kSheetExplosion, 16, 0, 10.7, 20.2, 1.0);
  Hooks().addShrinkingImage(42, 5, 6, 90);
  Hooks().addDriftingImage(14, 5, 6, 0.5);
  ASSERT_EQ(backAnimes().size(), 2u);
  ASSERT_EQ(frontAnimes().size(), 1u);
  EXPECT_EQ(dynamic_cast<const stationalSlideAnime&>(*backAnimes()[0]).x, 10);
  EXPECT_EQ(dynamic_cast<const imageShower&>(*backAnimes()[1]).mode, kModeDrifting);
  EXPECT_LT(dynamic_cast<const expandingAnime&>(*frontAnimes()[0]).growth, 0);
  Hooks().showDamageReaction(*World().players[0], 30);
  EXPECT_EQ(battlePlayer(1).hp, 970);
  World().hooks = &battle.hooks;
}

}  // namespace
}  // namespace game::battle
