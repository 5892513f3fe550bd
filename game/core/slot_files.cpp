// The save slot files.
#include "game/core/slot_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "game/battle/battle_frame.h"
#include "game/battle/effects.h"
#include "game/battle/object_files.h"
#include "game/battle/special_attacks.h"
#include "game/battle/stage.h"
#include "game/battle/stage_events.h"
#include "game/core/frame_loop.h"
#include "game/core/jpeg_size.h"
#include "game/core/ranking.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/save_files.h"
#include "game/core/session.h"
#include "game/core/story_section.h"
#include "game/core/widgets.h"

namespace game {

namespace {

using battle::RecordReader;
using battle::RecordWriter;

constexpr const char* kThumbnailTemp = "save/temp.jpeg";
constexpr int kThumbnailWidth = 320;
constexpr int kThumbnailHeight = 240;
// The smallest object record behind its type id: an item's.
constexpr size_t kSmallestObjectBytes = 4 + 48;
bool inRange(int32_t v, int32_t low, int32_t high) { return v >= low && v <= high; }
// The largest special gauge a slot may hold (the game's largest is 700): the
// gauge is drawn 300 pixels wide, mp * 300 must stay an int.
constexpr int32_t kLargestMp = 1000000;
// Frame counts a slot may hold: a counter that runs on each frame has room
// for years of play before an int ends; a reload's share of a 100-pixel bar
// stays an int.
constexpr int32_t kLargestCount = 1 << 30;
constexpr int32_t kLargestReload = 1 << 20;
// A score far past any battle's, with room for the bonuses added to it.
constexpr int32_t kLargestScore = 1000000000;

void writeText(RecordWriter& w, const char* text, size_t field) {
  const size_t length = strnlen(text, field - 1);
  w.bytes(reinterpret_cast<const uint8_t*>(text), length);
  w.zeros(field - length);
}

bool headerValid(const gameHeader& h) {
  return inRange(h.mainWeapon, 0, kMainWeaponCount - 1) && inRange(h.subWeapon, 0, kSubWeaponCount - 1) &&
         inRange(h.item1, kNoItem, kItemCount - 1) && inRange(h.item2, kNoItem, kItemCount - 1) &&
         inRange(h.battleCharacter, 0, battle::kSpecialCharacterCount - 1);
}

template <typename List>
void writeObjectList(std::vector<uint8_t>& out, const List& list) {
  RecordWriter w(out);
  w.i32(static_cast<int32_t>(list.size()));
  for (const auto& object : list) {
    w.i32(object->getTypeId());
    object->save(out);
  }
}

// A list's objects of the given type ids, each checked by its class.
template <typename List>
bool readObjectList(RecordReader& in, List& list, int32_t typeA, int32_t typeB) {
  using Object = typename List::value_type::element_type;
  const int32_t count = in.i32();
  if (!in.ok() || count < 0 || static_cast<size_t>(count) > in.remaining() / kSmallestObjectBytes) return false;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t type = in.i32();
    if (!in.ok() || (type != typeA && type != typeB)) return false;
    std::unique_ptr<battle::motion> object = battle::readSlotObject(type, in);
    if (object == nullptr) return false;
    list.push_back(std::unique_ptr<Object>(static_cast<Object*>(object.release())));
  }
  return true;
}

std::vector<uint8_t> readThumbnailTemp() {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(kThumbnailTemp, "rb");
  if (f == nullptr) return bytes;
  if (std::fseek(f, 0, SEEK_END) == 0) {
    const long size = std::ftell(f);
    if (size > 0 && size <= kMaxThumbnailBytes && std::fseek(f, 0, SEEK_SET) == 0) {
      bytes.resize(static_cast<size_t>(size));
      if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) bytes.clear();
    }
  }
  std::fclose(f);
  std::remove(kThumbnailTemp);
  return bytes;
}

// The 320 x 240 picture of the game behind the save screen, as JPEG bytes;
// empty when it could not be made.
std::vector<uint8_t> makeThumbnail() {
  veziv::ClearDrawTarget();
  veziv::DrawBoxShape(0, 0, kThumbnailWidth, kThumbnailHeight, Session().colourBlack, 1);
  veziv::RenderGraphStretched(0, 0, kThumbnailWidth, kThumbnailHeight, Session().frame.backdropCapture, 0);
  if (veziv::WriteScreenRegionJpeg(0, 0, kThumbnailWidth, kThumbnailHeight, kThumbnailTemp, 80, 1) != 0) {
    std::remove(kThumbnailTemp);
    return {};
  }
  return readThumbnailTemp();
}

// The screen's copy, put back when the save or read is done.
class ScreenKeeper {
 public:
  ScreenKeeper() : graph_(veziv::CreateEmptyGraph(800, 600, 0)) { veziv::CaptureScreenToGraph(0, 0, 800, 600, graph_); }
  ~ScreenKeeper() {
    veziv::RenderGraphAtPoint(0, 0, graph_, 0);
    veziv::FreeGraphHandle(graph_, 0);
  }
  ScreenKeeper(const ScreenKeeper&) = delete;
  ScreenKeeper& operator=(const ScreenKeeper&) = delete;

 private:
  veziv::GraphHandle graph_;
};

// A 320 x 240 picture of one word in white on black.
veziv::GraphHandle makeWordPicture(const char* word) {
  ScreenKeeper keep;
  veziv::DrawBoxShape(0, 0, kThumbnailWidth, kThumbnailHeight, Session().colourBlack, 1);
  veziv::DrawTextDefaultFont(3, 10, word, Session().colourWhite, 0);
  const veziv::GraphHandle picture = veziv::CreateEmptyGraph(kThumbnailWidth, kThumbnailHeight, 0);
  veziv::CaptureScreenToGraph(0, 0, kThumbnailWidth, kThumbnailHeight, picture);
  return picture;
}

bool sharedPicture(veziv::GraphHandle graph) {
  return graph == Session().slotTable.emptyPicture || graph == Session().slotTable.damagedPicture;
}

void makeEmptyPicture() {
  // Thumbnails that are the old pictures are forgotten with them, never
  // freed twice.
  for (veziv::GraphHandle& t : Session().slotTable.thumbnails) {
    if (sharedPicture(t)) t = 0;
  }
  veziv::FreeGraphHandle(Session().slotTable.emptyPicture, 0);
  veziv::FreeGraphHandle(Session().slotTable.damagedPicture, 0);
  Session().slotTable.emptyPicture = makeWordPicture("EMPTY");
  Session().slotTable.damagedPicture = makeWordPicture("DAMAGED");
}

void setThumbnail(int slot, veziv::GraphHandle graph) {
  veziv::GraphHandle& t = Session().slotTable.thumbnails[slot];
  if (t > 0 && !sharedPicture(t)) veziv::FreeGraphHandle(t, 0);
  t = graph;
}

// The thumbnail's graph: none for a slot saved without one, the damaged
// picture for one that declares a picture larger than the game writes (it
// is not decoded) or that does not decode.
veziv::GraphHandle thumbnailGraph(const std::vector<uint8_t>& jpeg) {
  if (jpeg.empty()) return Session().slotTable.emptyPicture;
  if (!thumbnailFits(jpeg)) return Session().slotTable.damagedPicture;
  const veziv::GraphHandle graph =
      veziv::DecodeGraphFromBuffer(jpeg.data(), static_cast<int>(jpeg.size()), nullptr, 0, 1, 0);
  return graph >= 0 ? graph : Session().slotTable.damagedPicture;
}

// Header and thumbnail of one slot file into the table.
SlotHead readOneHeader(int slot) {
  FILE* f = std::fopen(slotFileName(slot).c_str(), "rb");
  if (f == nullptr) return errno == ENOENT ? SlotHead::kAbsent : SlotHead::kDamaged;
  std::vector<uint8_t> jpeg;
  const SlotHead read = readSlotHead(f, Session().slotTable.headers[slot], jpeg);
  std::fclose(f);
  if (read == SlotHead::kPresent) setThumbnail(slot, thumbnailGraph(jpeg));
  return read;
}

}  // namespace

bool thumbnailFits(const std::vector<uint8_t>& jpeg) {
  int width = 0, height = 0;
  return jpegPictureSize(jpeg.data(), jpeg.size(), width, height) && width >= 1 && height >= 1 &&
         width <= kThumbnailWidth && height <= kThumbnailHeight;
}

SlotHead readSlotHead(FILE* f, gameHeader& header, std::vector<uint8_t>& thumbnail) {
  thumbnail.clear();
  uint8_t head[kGameHeaderSize + 4];
  bool whole = std::fread(head, 1, sizeof head, f) == sizeof head;
  const int32_t n = whole ? readLeI32(head + kGameHeaderSize) : -1;
  whole = whole && n >= 0 && n <= kMaxThumbnailBytes;
  // Read as the bytes arrive: a size the file only claims costs nothing.
  while (whole && thumbnail.size() < static_cast<size_t>(n)) {
    const size_t at = thumbnail.size();
    const size_t part = std::min<size_t>(static_cast<size_t>(n) - at, 1 << 16);
    thumbnail.resize(at + part);
    whole = std::fread(thumbnail.data() + at, 1, part, f) == part;
  }
  if (!whole) return SlotHead::kDamaged;
  const gameHeader read = decodeGameHeader(head);
  if (!headerValid(read)) return SlotHead::kDamaged;
  header = read;
  return SlotHead::kPresent;
}

namespace {

std::vector<uint8_t> readSlotFile(int slot, bool& opened) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(slotFileName(slot).c_str(), "rb");
  opened = f != nullptr;
  if (f == nullptr) return bytes;
  uint8_t chunk[1 << 16];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0 && bytes.size() <= kMaxSlotFileBytes) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (std::ferror(f)) bytes.clear();
  std::fclose(f);
  return bytes;
}

void showLoadError() {
  ensureSoundLoaded(kSoundCancel);
  veziv::PlaySoundHandle(soundOf(kSoundCancel), 1, 1);
  Session().frame.noticeQueue.push_back({"ロードエラー", "データを見つける事ができず、ロードに失敗しました。",
                                         "セーブデータの状態を再ロードします。", "OK"});
  readSlotHeaders();
}

// Reads and checks the slot's file; on any fault the load error is shown.
bool prepareSlot(int slot, slotContents& contents) {
  bool opened = false;
  const std::vector<uint8_t> bytes = readSlotFile(slot, opened);
  const char* fault = opened ? decodeSlot(bytes.data(), bytes.size(), contents) : "no file";
  if (fault == nullptr) return true;
  std::fprintf(stderr, "slot %d not loaded: %s\n", slot + 1, fault);
  showLoadError();
  return false;
}

void showLoadingBanner() {
  const char* text = "Now Loading...";
  drawCursorBar(0, 570, veziv::MeasureTextDefaultFont(text, -1, 0) + 10, 255);
  veziv::DrawTextDefaultFont(5, 572, text, Session().colourWhite, 0);
  veziv::PresentBackBuffer();
}

void finishLoad(slotContents& contents) {
  // The story first: its replay of a battle slot starts the battle that the
  // battle section then puts back as it was.
  if (contents.kind != kSaveBattle)
    Session().storyMode().loadSection(contents.story, contents.kind == kSaveStoryBattle);
  if (contents.kind == kSaveStory) {
    showLoadingBanner();
    loadModeResources(kModeStory, false);
    changeMode(kModeStory, false);
    stopAllSounds();
    return;
  }
  restoreBattle(contents.battle);
  const battle::battleStage* stage = battle::currentStage();
  veziv::ClearDrawTarget();
  Session().frame.drawThisFrame = true;
  battle::drawBattle();
  veziv::CaptureScreenToGraph(0, 0, 800, 600, Session().frame.backdropCapture);
  const bool over = stage != nullptr && stage->scroll < 0 && battle::World().enemies.empty() &&
                    stage->spawnedCount >= stage->totalObjects;
  changeMode(over ? kModeBattleResult : kModeGameMenu, over);
  Session().menuCursor = 1;
  ensureSoundLoaded(kSoundJet);
  veziv::PlaySoundHandle(soundOf(kSoundJet), 3, 1);
  Session().ranking.entryState = kRankingRestored;
}

}  // namespace

std::string slotFileName(int slot) { return "save/slot" + std::to_string(slot + 1) + ".dat"; }

int32_t saveKindFor(int32_t saveScreenReturn, bool storyGame) {
  if (saveScreenReturn == kModeGameMenu || saveScreenReturn == kModeBattleResult) {
    return storyGame ? kSaveStoryBattle : kSaveBattle;
  }
  return kSaveStory;
}

void writeSubWeaponState(RecordWriter& out, const battle::SubWeaponState& sub) {
  for (int v : {sub.unused, sub.reload, sub.counter, sub.ammo, sub.fullAmmo, sub.id}) out.i32(v);
}

void readSubWeaponState(RecordReader& in, battle::SubWeaponState& sub) {
  for (int* v : {&sub.unused, &sub.reload, &sub.counter, &sub.ammo, &sub.fullAmmo, &sub.id}) *v = in.i32();
}

void writePlayerBlock(RecordWriter& w, const battle::playerRecord& p) {
  w.i32(p.playerNumber);
  writeText(w, p.pilotName, sizeof p.pilotName);
  w.i32(p.moveSpeed);
  w.i32(p.specialCharge);
  w.f64(p.hp);
  w.f64(p.maxHp);
  w.f64(p.shownHp);
  w.i32(p.framesSinceDamage);
  w.u8(p.slowMode);
  w.i32(p.slowIndicator);
  w.i32(p.score);
  w.i32(p.reserved);
  w.i32(p.hitRadius);
  w.i32(p.bulletOwner);
  for (int v : {p.mainWeapon.id, p.mainWeapon.reload, p.mainWeapon.counter, p.mainWeapon.attackBonus}) w.i32(v);
  writeSubWeaponState(w, p.subWeapon);
  w.i32(p.battleCharacter);
  w.i32(p.mp);
  w.i32(p.mpMax);
  w.u8(p.specialUsed);
  w.f64(p.shownScore);
}

bool readPlayerBlock(RecordReader& in, battle::playerRecord& p) {
  p.playerNumber = in.i32();
  in.bytes(reinterpret_cast<uint8_t*>(p.pilotName), sizeof p.pilotName);
  p.pilotName[sizeof p.pilotName - 1] = 0;
  p.moveSpeed = in.i32();
  p.specialCharge = in.i32();
  p.hp = in.f64();
  p.maxHp = in.f64();
  p.shownHp = in.f64();
  p.framesSinceDamage = in.i32();
  p.slowMode = in.u8();
  p.slowIndicator = in.i32();
  p.score = in.i32();
  p.reserved = in.i32();
  p.hitRadius = in.i32();
  p.bulletOwner = in.i32();
  for (int* v : {&p.mainWeapon.id, &p.mainWeapon.reload, &p.mainWeapon.counter, &p.mainWeapon.attackBonus}) {
    *v = in.i32();
  }
  readSubWeaponState(in, p.subWeapon);
  p.battleCharacter = in.i32();
  p.mp = in.i32();
  p.mpMax = in.i32();
  p.specialUsed = in.u8();
  p.shownScore = in.f64();
  return in.ok() && inRange(p.playerNumber, 1, 2) && inRange(p.mainWeapon.id, 0, kMainWeaponCount - 1) &&
         inRange(p.subWeapon.id, 0, kSubWeaponCount - 1) &&
         inRange(p.battleCharacter, 0, battle::kSpecialCharacterCount - 1) && moderateSlotReal(p.hp) &&
         moderateSlotReal(p.maxHp) && p.maxHp > 0 && moderateSlotReal(p.shownHp) && moderateSlotReal(p.shownScore) &&
         inRange(p.hitRadius, 0, 1000) && inRange(p.mpMax, 1, kLargestMp) && inRange(p.mp, 0, p.mpMax) &&
         (p.specialCharge == -1 || inRange(p.specialCharge, 0, p.mpMax)) && inRange(p.moveSpeed, 0, 1000) &&
         inRange(p.framesSinceDamage, 0, kLargestCount) && inRange(p.score, -kLargestScore, kLargestScore) &&
         inRange(p.mainWeapon.attackBonus, 0, 1000) && inRange(p.mainWeapon.reload, 0, kLargestReload) &&
         inRange(p.subWeapon.reload, 0, kLargestReload) && inRange(p.mainWeapon.counter, 0, kLargestCount) &&
         inRange(p.subWeapon.counter, 0, kLargestCount);
}

namespace {

// The battle section's parts, wherever they are held.
struct sectionParts {
  const char* folder;
  const battle::EnemyList& enemies;
  const battle::BulletList& bullets;
  const battle::ItemList& items;
  int32_t words[4];  // scroll, eventIndex, spawnedCount, playerCount
  const battle::playerRecord* players[2];
  const battle::AnimeLayer& front;
  const battle::AnimeLayer& back;
};

void writeSectionParts(std::vector<uint8_t>& out, const sectionParts& p) {
  RecordWriter w(out);
  writeText(w, p.folder, kStageFolderSize);
  writeObjectList(out, p.enemies);
  writeObjectList(out, p.bullets);
  writeObjectList(out, p.items);
  for (int32_t v : p.words) w.i32(v);
  for (int n = 0; n < p.words[3] && n < 2; ++n) writePlayerBlock(w, *p.players[n]);
  battle::saveAnimeLayers(p.front, p.back, out);
}

}  // namespace

void writeBattleSection(std::vector<uint8_t>& out, const slotBattle& s) {
  writeSectionParts(out, {s.folder,
                          s.enemies,
                          s.bullets,
                          s.items,
                          {s.scroll, s.eventIndex, s.spawnedCount, s.playerCount},
                          {&s.players[0], &s.players[1]},
                          s.front,
                          s.back});
}

void writeRunningBattle(std::vector<uint8_t>& out) {
  const battle::battleStage* stage = battle::currentStage();
  const battle::BattleWorld& world = battle::World();
  const double scroll = stage != nullptr ? stage->scroll : 0.0;
  const int32_t truncated = std::isfinite(scroll) && std::fabs(scroll) < 2e9 ? static_cast<int32_t>(scroll) : 0;
  writeSectionParts(out, {stage != nullptr ? stage->folder : "",
                          world.enemies,
                          world.bullets,
                          world.items,
                          {truncated, stage != nullptr ? stage->eventIndex : 0,
                           stage != nullptr ? stage->spawnedCount : 0, world.playerCount == 2 ? 2 : 1},
                          {&battle::battlePlayer(1), &battle::battlePlayer(2)},
                          battle::frontAnimes(),
                          battle::backAnimes()});
}

void encodeSlot(std::vector<uint8_t>& out, const gameHeader& header, const std::vector<uint8_t>& thumbnail,
                int32_t kind, const storySection* storyPart, const slotBattle* section) {
  uint8_t head[kGameHeaderSize];
  encodeGameHeader(header, head);
  RecordWriter w(out);
  w.bytes(head, sizeof head);
  w.i32(static_cast<int32_t>(thumbnail.size()));
  w.bytes(thumbnail.data(), thumbnail.size());
  w.i32(kind);
  if (kind == kSaveStory || kind == kSaveStoryBattle) {
    if (storyPart != nullptr) {
      writeStorySection(w, *storyPart);
    } else {
      writeStorySection(w, Session().storyMode().saveSection());
    }
  }
  if (kind == kSaveStoryBattle || kind == kSaveBattle) {
    if (section != nullptr) {
      writeBattleSection(out, *section);
    } else {
      writeRunningBattle(out);
    }
  }
}

const char* decodeSlot(const uint8_t* data, size_t size, slotContents& out) {
  RecordReader in(data, size);
  uint8_t head[kGameHeaderSize];
  in.bytes(head, sizeof head);
  if (!in.ok()) return "short header";
  out.header = decodeGameHeader(head);
  if (!headerValid(out.header)) return "header ids out of range";
  const int32_t n = in.i32();
  if (!in.ok() || n < 0 || n > kMaxThumbnailBytes || static_cast<size_t>(n) > in.remaining()) {
    return "thumbnail size";
  }
  out.thumbnail.resize(static_cast<size_t>(n));
  in.bytes(out.thumbnail.data(), out.thumbnail.size());
  out.kind = in.i32();
  if (!in.ok() || !inRange(out.kind, kSaveStory, kSaveBattle)) return "kind";
  if (out.kind != kSaveBattle && !readStorySection(in, out.story)) return "story section";
  if (out.kind == kSaveStory) return nullptr;

  // The effects of the section name players by number: the records must be in
  // place.
  battle::installPlayers();
  slotBattle& s = out.battle;
  in.bytes(reinterpret_cast<uint8_t*>(s.folder), sizeof s.folder);
  if (!in.ok() || std::memchr(s.folder, 0, sizeof s.folder) == nullptr || s.folder[0] == 0) return "stage folder";
  if (!readObjectList(in, s.enemies, battle::kEnemyTypeId, battle::kDualImageEnemyTypeId)) return "enemy list";
  if (!readObjectList(in, s.bullets, battle::kBulletTypeId, battle::kBulletTypeId)) return "bullet list";
  if (!readObjectList(in, s.items, battle::kItemTypeId, battle::kItemTypeId)) return "item list";
  s.scroll = in.i32();
  s.eventIndex = in.i32();
  s.spawnedCount = in.i32();
  s.playerCount = in.i32();
  if (!in.ok() || s.spawnedCount < 0 || !inRange(s.playerCount, 1, 2)) return "stage words";
  for (int i = 0; i < s.playerCount; ++i) {
    if (!readPlayerBlock(in, s.players[i]) || s.players[i].playerNumber != i + 1) return "player block";
  }
  if (!battle::readAnimeLayers(in, s.front, s.back)) return "effect layers";
  return nullptr;
}

bool writeSlot(int slot) {
  if (slot < 0 || slot >= kSlotCount) return false;
  ScreenKeeper keep;
  const int32_t kind = saveKindFor(getReturnMode(kModeSaveLoad), Session().play.storyGameFlag != 0);
  ::mkdir("save", 0777);
  std::vector<uint8_t> bytes;
  encodeSlot(bytes, Session().slotTable.headers[slot], makeThumbnail(), kind, nullptr, nullptr);
  const std::string path = slotFileName(slot);
  if (!writeSaveFile(path.c_str(), bytes.data(), bytes.size())) {
    veziv::PrintfToScreen("失敗しました\n");
    noticeUnsaved("セーブデータ");
    return false;
  }
  return true;
}

void readSlotHeaders() {
  makeEmptyPicture();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const SlotHead read = readOneHeader(slot);
    Session().slotTable.present[slot] = read == SlotHead::kPresent ? 1 : 0;
    Session().slotTable.damaged[slot] = read == SlotHead::kDamaged ? 1 : 0;
    if (read == SlotHead::kPresent) continue;
    Session().slotTable.headers[slot] = gameHeader{};
    setThumbnail(slot, read == SlotHead::kDamaged ? Session().slotTable.damagedPicture
                                                  : Session().slotTable.emptyPicture);
  }
}

std::vector<gameHeader> presentSlotHeaders() {
  std::vector<gameHeader> headers;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (Session().slotTable.present[slot] != 0) headers.push_back(Session().slotTable.headers[slot]);
  }
  return headers;
}

bool loadSlot(int slot) {
  slotContents contents;
  if (slot < 0 || slot >= kSlotCount || !prepareSlot(slot, contents)) return false;
  Session().play.storyGameFlag = contents.kind == kSaveBattle ? 0 : 1;
  finishLoad(contents);
  return true;
}

bool loadGameFromMenu(int slot) {
  if (slot < 0 || slot >= kSlotCount || Session().slotTable.present[slot] == 0) return false;
  // The file is checked before player 1's header and the holdings change.
  slotContents contents;
  if (!prepareSlot(slot, contents)) return true;
  Session().play.playerHeaders[0] = Session().slotTable.headers[slot];
  restoreHoldings();
  Session().play.storyGameFlag = contents.kind == kSaveBattle ? 0 : 1;
  finishLoad(contents);
  return true;
}

void restoreBattle(slotBattle& s) {
  battle::BattleWorld& world = battle::World();
  world.playerCount = s.playerCount;
  Session().play.playerCount = s.playerCount;
  battle::startBattle(s.folder);
  battle::battleStage* stage = battle::currentStage();
  if (stage == nullptr) return;
  for (auto& e : s.enemies) world.enemies.push_back(std::move(e));
  for (auto& b : s.bullets) world.bullets.push_back(std::move(b));
  for (auto& i : s.items) world.items.push_back(std::move(i));
  stage->scroll = battle::restoredScroll(*stage, s.scroll);
  stage->spawnedCount = s.spawnedCount;
  // The events run again up to the scroll; the saved index is only a record.
  battle::loadStageEvents(*stage);
  stage->eventIndex = stage->events.empty() ? -1 : 0;
  battle::runStageEvent(*stage, true);
  battle::dropSpawnedStageObjects();
  for (int n = 1; n <= s.playerCount; ++n) {
    battle::playerRecord& player = battle::battlePlayer(n);
    const battle::PlayerPosition at = player;
    player = s.players[n - 1];
    static_cast<battle::PlayerPosition&>(player) = at;
  }
  for (auto& e : s.front) battle::frontAnimes().push_back(std::move(e));
  for (auto& e : s.back) battle::backAnimes().push_back(std::move(e));
  s.front.clear();
  s.back.clear();
}

}  // namespace game
