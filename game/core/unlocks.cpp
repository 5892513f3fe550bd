// The battle mode's unlock files and their notices.
#include "game/core/unlocks.h"

#include <algorithm>
#include <iterator>

#include "game/core/frame_loop.h"
#include "game/core/save_files.h"
#include "game/core/session.h"

namespace game {

namespace {

constexpr const char* kStagesWhat = "ステージの開放状況";
constexpr const char* kItemsWhat = "対戦モードの武器とアイテム";

void writeOpenStages() {
  uint8_t bytes[kOpenStagesSize];
  for (int i = 0; i < kStageCount; ++i) bytes[i] = unlockFlag(Session().openStages[i]);
  bytes[0] = 1;
  if (!writeSaveFile(kOpenStagesFile, bytes, sizeof bytes)) noticeUnsaved(kStagesWhat);
}

void writeBattleModeItems() {
  uint8_t bytes[kBattleModeSize];
  encodeBattleModeItems(Session().play.holdings, bytes);
  if (!writeSaveFile(kBattleModeFile, bytes, sizeof bytes)) noticeUnsaved(kItemsWhat);
}

// A file that is there but cannot be read is kept as it is, for the player
// to mend: the game runs on defaults and never writes over it unasked.
void noticeUnreadable(const char* what) {
  Session().frame.noticeQueue.push_back({std::string(what) + "を読み込めませんでした。",
                                         "ファイルは書き換えずにそのまま残しています。", "OK"});
}

// Only the tutorial open.
void defaultOpenStages() {
  std::fill(std::begin(Session().openStages), std::end(Session().openStages), 0);
  Session().openStages[0] = 1;
}

// Reads the file into openStages; what the read found. A missing file is
// written with the tutorial open; a file without a stage open (an empty
// one, say) holds nothing to keep: the same, with a notice.
long readOpenStages() {
  uint8_t bytes[kOpenStagesSize];
  const long got = readSaveFile(kOpenStagesFile, bytes, sizeof bytes);
  if (got == kSaveFileUnreadable) {
    defaultOpenStages();
    return got;
  }
  if (got >= 0) decodeOpenStages(bytes, static_cast<size_t>(got), Session().openStages);
  const bool noneOpen = std::count(std::begin(Session().openStages), std::end(Session().openStages), 0) == kStageCount;
  if (got < 0 || noneOpen) {
    if (got >= 0) {
      Session().frame.noticeQueue.push_back(
          {std::string(kStagesWhat) + "が壊れていました。", "チュートリアルだけを開放しなおします。", "OK"});
    }
    defaultOpenStages();
    writeOpenStages();
  }
  return got;
}

// Reads the file into holdings; what the read found. A missing file is
// rebuilt from the slots and written; an unreadable one rebuilt and kept.
long readBattleModeItems() {
  uint8_t bytes[kBattleModeSize];
  const long got = readSaveFile(kBattleModeFile, bytes, sizeof bytes);
  if (got >= 0) {
    decodeBattleModeItems(bytes, static_cast<size_t>(got), Session().play.holdings);
    return got;
  }
  readSlotHeaders();
  rebuildBattleModeItems(presentSlotHeaders(), Session().play.holdings);
  if (got == kSaveFileMissing) writeBattleModeItems();
  return got;
}

}  // namespace

void loadOpenStages() {
  if (readOpenStages() == kSaveFileUnreadable) noticeUnreadable(kStagesWhat);
}

void unlockStage(bool silent) {
  if (!silent) {
    uint8_t wanted[kStageCount];
    std::copy(std::begin(Session().openStages), std::end(Session().openStages), wanted);
    const bool unreadable = readOpenStages() == kSaveFileUnreadable;
    std::vector<std::string> notice = stageNotice(Session().openStages, wanted);
    if (!notice.empty()) Session().frame.noticeQueue.push_back(std::move(notice));
    for (int i = 0; i < kStageCount; ++i) Session().openStages[i] = unlockFlag(wanted[i] | Session().openStages[i]);
    if (unreadable) {
      noticeUnsaved(kStagesWhat);
      return;
    }
  }
  writeOpenStages();
}

void rebuildBattleModeItems(const std::vector<gameHeader>& presentSlots, holdingsData& into) {
  std::fill(std::begin(into.mainOwned), std::end(into.mainOwned), 0);
  std::fill(std::begin(into.subOwned), std::end(into.subOwned), 0);
  std::fill(std::begin(into.itemCounts), std::end(into.itemCounts), 0);
  for (const gameHeader& slot : presentSlots) {
    for (int i = 0; i < kMainWeaponCount; ++i) {
      if (slot.mainOwned[i] != 0) into.mainOwned[i] = 1;
    }
    for (int i = 0; i < kSubWeaponCount; ++i) {
      if (slot.subOwned[i] != 0) into.subOwned[i] = 1;
    }
    for (int i = 0; i < kItemCount; ++i) {
      if (into.itemCounts[i] == 0 && slot.itemCounts[i] != 0) into.itemCounts[i] = kRebuiltItemCount;
    }
  }
  into.mainOwned[0] = 1;
  into.subOwned[0] = 1;
}

void loadBattleModeItems() {
  if (readBattleModeItems() == kSaveFileUnreadable) noticeUnreadable(kItemsWhat);
}

void unlockBattleModeItems(bool silent) {
  if (!silent) {
    const holdingsData wanted = Session().play.holdings;
    const bool unreadable = readBattleModeItems() == kSaveFileUnreadable;
    for (auto& notice : battleModeNotices(Session().play.holdings, wanted, mainWeaponName, subWeaponName, itemName)) {
      Session().frame.noticeQueue.push_back(std::move(notice));
    }
    Session().play.holdings = wanted;
    if (unreadable) {
      noticeUnsaved(kItemsWhat);
      return;
    }
  }
  writeBattleModeItems();
}

}  // namespace game
