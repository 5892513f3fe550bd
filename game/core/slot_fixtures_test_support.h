// Save slots that play cannot make, built with the game's own record
// writers, and damaged variants built byte by byte. Used by the slot tests
// and by the slot reader's fuzz seeds.
#pragma once

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/battle/effects.h"
#include "game/battle/motion.h"
#include "game/core/save_files.h"
#include "game/core/slot_files.h"

namespace game::test {

using Bytes = std::vector<uint8_t>;

struct SlotFixture {
  std::string name;
  Bytes bytes;
};

inline Bytes fakeThumbnail() {
  // A JPEG's start and end markers around a few bytes: the slot carries it as
  // it is.
  return {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 4, 5, 0xFF, 0xD9};
}

inline gameHeader fixtureHeader() {
  gameHeader h;
  std::strcpy(h.caption, "2026年12月11日 03時25分");
  h.money = 4321;
  h.itemCounts[2] = 3;
  h.difficulty = 70;
  return h;
}

// A story section: 14 impressions, answers [2, 1], three pictures with fade
// states 1, 3 and 4, music on.
inline Bytes storySectionFx7() {
  Bytes out;
  battle::RecordWriter w(out);
  auto text = [&](const char* s, size_t field) {
    const size_t n = std::strlen(s);
    w.bytes(reinterpret_cast<const uint8_t*>(s), n);
    w.zeros(field - n);
  };
  text("story/script.txt", 256);
  for (int i = 0; i < 14; ++i) w.i32(i * 3 - 5);
  w.i32(2);
  w.i32(2);
  w.i32(1);
  w.i32(3);
  const int fades[3] = {1, 3, 4};
  const char* names[3] = {"0bg", "oruna", "tirun"};
  for (int i = 0; i < 3; ++i) {
    text(names[i], 256);
    text("image/story/bg_dorm.jpg", 256);
    w.f64(10.5 * i);
    w.f64(20.0);
    w.f64(0.5);
    w.f64(-0.5);
    w.i32(30);
    w.i32(200);
    w.i32(fades[i]);
  }
  w.i32(12);
  w.i32(0);
  for (int c : {255, 200, 180}) w.i32(c);
  w.u8(1);
  text("audio/story_theme.ogg", 100);
  return out;
}

inline battle::playerRecord fixturePlayer(int number) {
  battle::playerRecord p;
  p.playerNumber = number;
  std::strcpy(p.pilotName, number == 1 ? "ヴェルク" : "オルナ");
  p.hp = 640.5;
  p.score = 12345 * number;
  p.mainWeapon.id = 2;
  p.subWeapon.id = 3;
  p.subWeapon.ammo = 7;
  p.battleCharacter = number;
  p.mp = 300;
  p.shownScore = 12000.25;
  return p;
}

inline void baseSection(slotBattle& s, int players) {
  std::strcpy(s.folder, "stages/チュートリアル");
  s.scroll = 3000;
  s.eventIndex = 0;
  s.spawnedCount = 2;
  s.playerCount = players;
  for (int n = 0; n < players; ++n) s.players[n] = fixturePlayer(n + 1);
}

template <typename T>
std::unique_ptr<T> effect(uint8_t layer) {
  auto e = std::make_unique<T>();
  e->layer = layer;
  return e;
}

inline Bytes encodeFixture(int32_t kind, const slotBattle* section, const Bytes& story = {}) {
  Bytes out(kGameHeaderSize);
  encodeGameHeader(fixtureHeader(), out.data());
  battle::RecordWriter w(out);
  const Bytes thumbnail = fakeThumbnail();
  w.i32(static_cast<int32_t>(thumbnail.size()));
  w.bytes(thumbnail.data(), thumbnail.size());
  w.i32(kind);
  if (kind != kSaveBattle) w.bytes(story.data(), story.size());
  if (kind != kSaveStory) writeBattleSection(out, *section);
  return out;
}

// FX1 to FX8: slots that load, each with what play cannot make.
inline std::vector<SlotFixture> loadableSlotFixtures() {
  battle::installPlayers();
  std::vector<SlotFixture> out;
  {
    slotBattle s;
    baseSection(s, 1);
    s.front.push_back(effect<battle::basicAnime>(1));
    auto slide = effect<battle::slideAnime>(0);
    slide->pictures = 4;
    s.back.push_back(std::move(slide));
    out.push_back({"fx1_basic_and_slide_effects", encodeFixture(kSaveBattle, &s)});
  }
  {
    slotBattle s;
    baseSection(s, 1);
    s.players[0].battleCharacter = 6;
    auto m = effect<battle::maku>(1);
    m->routine = 6;
    m->player = battle::World().players[0];
    s.front.push_back(std::move(m));
    out.push_back({"fx2_character_6_routine_6", encodeFixture(kSaveBattle, &s)});
  }
  {
    slotBattle s;
    baseSection(s, 1);
    for (int kind : {2, 3, 7}) {
      auto it = std::make_unique<battle::item>();
      it->kind = kind;
      it->amount = 10 * kind;
      it->x = 100.0 + kind;
      it->y = 50.0;
      it->imageId = 40;
      s.items.push_back(std::move(it));
    }
    out.push_back({"fx3_items_2_3_7", encodeFixture(kSaveBattle, &s)});
  }
  {
    slotBattle s;
    baseSection(s, 2);
    for (int owner : {0, 4}) {
      auto b = std::make_unique<battle::bullet>();
      b->owner = owner;
      b->power = 5;
      b->x = 300;
      b->y = 200 + owner;
      b->imageId = 41;
      b->radius = 4;
      s.bullets.push_back(std::move(b));
    }
    auto e = std::make_unique<battle::enemy>();
    e->hp = 30;
    e->maxHp = 30;
    e->imageId = 46;
    e->x = 200;
    e->y = 100;
    s.enemies.push_back(std::move(e));
    auto d = std::make_unique<battle::enemy_dualImage>();
    d->hp = 50;
    d->maxHp = 60;
    d->imageId = 283;
    d->baseImage = 284;
    s.enemies.push_back(std::move(d));
    out.push_back({"fx4_bullet_owners_0_4_two_players", encodeFixture(kSaveBattle, &s)});
  }
  {
    slotBattle s;
    baseSection(s, 1);
    for (int mode : {0, 2}) {
      auto shower = effect<battle::imageShower>(mode == 0 ? 1 : 0);
      shower->mode = mode;
      shower->imageId = 14;
      shower->limit = 40;
      (shower->layer != 0 ? s.front : s.back).push_back(std::move(shower));
    }
    auto text = effect<battle::messege>(1);
    text->mode = 0;
    std::strcpy(text->text, "テスト");
    s.front.push_back(std::move(text));
    out.push_back({"fx5_shower_modes_0_2_messege_mode_0", encodeFixture(kSaveBattle, &s)});
  }
  {
    slotBattle s;
    baseSection(s, 1);
    auto c = effect<battle::circle>(1);
    c->player = battle::World().players[1];
    c->maxRadius = 100;
    c->radius = 40;
    s.front.push_back(std::move(c));
    auto f = effect<battle::flash>(1);
    f->alpha = 64;
    f->swings = 1;
    s.front.push_back(std::move(f));
    auto u = effect<battle::userMessege>(1);
    u->player = battle::World().players[1];
    u->number = 500;
    s.front.push_back(std::move(u));
    out.push_back({"fx6_circle_flash_player_2_of_1", encodeFixture(kSaveBattle, &s)});
  }
  out.push_back({"fx7_story_section", encodeFixture(kSaveStory, nullptr, storySectionFx7())});
  for (int events : {0, 2}) {
    slotBattle s;
    baseSection(s, 1);
    s.eventIndex = events;
    s.scroll = events == 0 ? 4000 : 1200;
    out.push_back({"fx8_story_battle_after_" + std::to_string(events) + "_events",
                   encodeFixture(kSaveStoryBattle, &s, storySectionFx7())});
  }
  return out;
}

// The offset of the battle section (its stage folder) in a kind 3 fixture.
inline size_t battleSectionOffset() { return kGameHeaderSize + 4 + fakeThumbnail().size() + 4; }

// FX9: damaged slots that must be refused.
inline std::vector<SlotFixture> damagedSlotFixtures() {
  const Bytes good = loadableSlotFixtures()[3].bytes;  // enemies, bullets, two players
  const size_t battleAt = battleSectionOffset();
  const size_t enemiesAt = battleAt + kStageFolderSize;
  std::vector<SlotFixture> out;
  auto patched = [&](const char* name, size_t at, int32_t value) {
    Bytes b = good;
    putLeI32(b.data() + at, value);
    out.push_back({name, b});
  };
  patched("fx9_thumbnail_negative", kGameHeaderSize, -5);
  patched("fx9_thumbnail_beyond_file", kGameHeaderSize, static_cast<int32_t>(good.size()));
  patched("fx9_thumbnail_huge", kGameHeaderSize, 0x7FFFFFFF);
  patched("fx9_kind_4", battleAt - 4, 4);
  patched("fx9_enemy_count_1e9", enemiesAt, 1000000000);
  patched("fx9_enemy_count_negative", enemiesAt, -1);
  patched("fx9_type_id_3", enemiesAt + 4, 3);
  patched("fx9_bullet_in_enemy_list", enemiesAt + 4, 1001);
  patched("fx9_main_weapon_99", 304, 99);
  patched("fx9_character_minus_1", 300, -1);
  {
    Bytes b = good;
    std::memset(b.data() + battleAt, 'a', kStageFolderSize);
    out.push_back({"fx9_folder_without_terminator", b});
  }
  for (size_t cut : {size_t{10}, size_t{kGameHeaderSize + 2}, battleAt + 100, good.size() - 1}) {
    out.push_back({"fx9_truncated_at_" + std::to_string(cut), Bytes(good.begin(), good.begin() + cut)});
  }
  out.push_back({"fx9_empty_file", Bytes{}});
  // Sections whose fields the writer puts down as they are.
  struct Damage {
    const char* name;
    void (*apply)(slotBattle&);
  };
  const Damage damages[] = {
      {"fx9_player_count_3", [](slotBattle& s) { s.playerCount = 3; }},
      {"fx9_player_number_5", [](slotBattle& s) { s.players[0].playerNumber = 5; }},
      {"fx9_player_character_9", [](slotBattle& s) { s.players[0].battleCharacter = 9; }},
      {"fx9_player_sub_weapon_8", [](slotBattle& s) { s.players[0].subWeapon.id = 8; }},
      {"fx9_player_hp_nan", [](slotBattle& s) { s.players[0].hp = std::nan(""); }},
      {"fx9_player_max_hp_0", [](slotBattle& s) { s.players[0].maxHp = 0; }},
      {"fx9_player_mp_past_its_maximum", [](slotBattle& s) { s.players[0].mp = s.players[0].mpMax + 1; }},
      {"fx9_player_mp_negative", [](slotBattle& s) { s.players[0].mp = -150994643; }},
      {"fx9_player_mp_maximum_10_million", [](slotBattle& s) { s.players[1].mpMax = s.players[1].mp = 10000000; }},
      {"fx9_player_charge_past_the_maximum", [](slotBattle& s) { s.players[1].specialCharge = 1 << 30; }},
      {"fx9_player_charge_minus_2", [](slotBattle& s) { s.players[1].specialCharge = -2; }},
      {"fx9_player_speed_107374186", [](slotBattle& s) { s.players[0].moveSpeed = 107374186; }},
      {"fx9_player_score_2147483647", [](slotBattle& s) { s.players[0].score = 2147483647; }},
      {"fx9_player_damage_frames_2147483647", [](slotBattle& s) { s.players[1].framesSinceDamage = 2147483647; }},
      {"fx9_player_main_counter_2147483647", [](slotBattle& s) { s.players[0].mainWeapon.counter = 2147483647; }},
      {"fx9_player_sub_reload_1e9", [](slotBattle& s) { s.players[1].subWeapon.reload = 1000000000; }},
      {"fx9_spawned_negative", [](slotBattle& s) { s.spawnedCount = -1; }},
      {"fx9_folder_empty", [](slotBattle& s) { s.folder[0] = 0; }},
  };
  for (const Damage& d : damages) {
    slotBattle s;
    baseSection(s, 2);
    d.apply(s);
    out.push_back({d.name, encodeFixture(kSaveBattle, &s)});
  }
  {
    // A story section whose picture count runs past the file.
    Bytes story = storySectionFx7();
    putLeI32(story.data() + 256 + 56 + 4 + 8, 1000000);
    out.push_back({"fx9_story_picture_count", encodeFixture(kSaveStory, nullptr, story)});
  }
  return out;
}

}  // namespace game::test
