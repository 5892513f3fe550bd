// The battle mode's unlock files and their notices.
#include "game/core/unlocks.h"

#include <algorithm>
#include <iterator>

#include "game/core/frame_loop.h"
#include "game/core/save_files.h"
#include "game/core/session.h"

namespace game {

namespace {

uint8_t asFlag(uint8_t byte) { return byte != 0 ? 1 : 0; }

void writeOpenStages() {
  uint8_t bytes[kOpenStagesSize];
  for (int i = 0; i < kStageCount; ++i) bytes[i] = asFlag(Session().openStages[i]);
  bytes[0] = 1;
  writeSaveFile(kOpenStagesFile, bytes, sizeof bytes);
}

void writeBattleModeItems() {
  uint8_t bytes[kBattleModeSize];
  encodeBattleModeItems(Session().play.holdings, bytes);
  writeSaveFile(kBattleModeFile, bytes, sizeof bytes);
}

// A notice of a title and names ends with the button's "OK"; one without a name is dropped.
std::vector<std::string> finishNotice(std::vector<std::string> notice) {
  if (notice.size() < 2) return {};
  notice.push_back("OK");
  return notice;
}

}  // namespace

void decodeOpenStages(const uint8_t* bytes, size_t size, uint8_t flags[kStageCount]) {
  for (size_t i = 0; i < kStageCount; ++i) flags[i] = i < size ? asFlag(bytes[i]) : 0;
}

void loadOpenStages() {
  uint8_t bytes[kOpenStagesSize];
  const long got = readSaveFile(kOpenStagesFile, bytes, sizeof bytes);
  if (got >= 0) {
    decodeOpenStages(bytes, static_cast<size_t>(got), Session().openStages);
    return;
  }
  std::fill(std::begin(Session().openStages), std::end(Session().openStages), 0);
  Session().openStages[0] = 1;
  writeOpenStages();
}

std::vector<std::string> stageNotice(const uint8_t inFile[kStageCount], const uint8_t wanted[kStageCount]) {
  std::vector<std::string> notice = {"【ステージ/開放】"};
  for (int i = 0; i < kStageCount; ++i) {
    if (inFile[i] == 0 && wanted[i] != 0) notice.push_back(stageNames[i]);
  }
  return finishNotice(std::move(notice));
}

void unlockStage(bool silent) {
  if (!silent) {
    uint8_t wanted[kStageCount];
    std::copy(std::begin(Session().openStages), std::end(Session().openStages), wanted);
    loadOpenStages();
    std::vector<std::string> notice = stageNotice(Session().openStages, wanted);
    if (!notice.empty()) Session().frame.noticeQueue.push_back(std::move(notice));
    for (int i = 0; i < kStageCount; ++i) Session().openStages[i] = asFlag(wanted[i] | Session().openStages[i]);
  }
  writeOpenStages();
}

void decodeBattleModeItems(const uint8_t* bytes, size_t size, holdingsData& into) {
  for (size_t i = 0; i < kMainWeaponCount; ++i) into.mainOwned[i] = i < size ? asFlag(bytes[i]) : 0;
  into.mainOwned[0] = 1;
  for (size_t i = 0; i < kSubWeaponCount; ++i) {
    const size_t at = kMainWeaponCount + i;
    into.subOwned[i] = at < size ? asFlag(bytes[at]) : 0;
  }
  into.subOwned[0] = 1;
  for (size_t i = 0; i < kItemCount; ++i) {
    const size_t at = kMainWeaponCount + kSubWeaponCount + 4 * i;
    into.itemCounts[i] = at + 4 <= size ? std::max(readLeI32(bytes + at), 0) : 0;
  }
}

void encodeBattleModeItems(const holdingsData& from, uint8_t out[kBattleModeSize]) {
  std::copy(std::begin(from.mainOwned), std::end(from.mainOwned), out);
  std::copy(std::begin(from.subOwned), std::end(from.subOwned), out + kMainWeaponCount);
  for (int i = 0; i < kItemCount; ++i) {
    putLeI32(out + kMainWeaponCount + kSubWeaponCount + 4 * i, from.itemCounts[i]);
  }
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
  uint8_t bytes[kBattleModeSize];
  const long got = readSaveFile(kBattleModeFile, bytes, sizeof bytes);
  if (got >= 0) {
    decodeBattleModeItems(bytes, static_cast<size_t>(got), Session().play.holdings);
    return;
  }
  readSlotHeaders();
  rebuildBattleModeItems(presentSlotHeaders(), Session().play.holdings);
  unlockBattleModeItems(true);
}

std::vector<std::vector<std::string>> battleModeNotices(const holdingsData& inFile, const holdingsData& wanted,
                                                        std::string (*mainName)(int), std::string (*subName)(int),
                                                        std::string (*itemNameOf)(int)) {
  std::vector<std::vector<std::string>> notices;
  auto finish = [&notices](std::vector<std::string> notice) {
    notice = finishNotice(std::move(notice));
    if (!notice.empty()) notices.push_back(std::move(notice));
  };
  std::vector<std::string> notice = {"【メイン武器/開放】"};
  for (int i = 0; i < kMainWeaponCount; ++i) {
    if (inFile.mainOwned[i] == 0 && wanted.mainOwned[i] != 0) notice.push_back(mainName(i));
  }
  finish(std::move(notice));
  notice = {"【サブ武器/開放】"};
  for (int i = 0; i < kSubWeaponCount; ++i) {
    if (inFile.subOwned[i] == 0 && wanted.subOwned[i] != 0) notice.push_back(subName(i));
  }
  finish(std::move(notice));
  notice = {"【アイテム/開放】"};
  for (int i = 0; i < kItemCount; ++i) {
    if (inFile.itemCounts[i] == 0 && wanted.itemCounts[i] != 0) notice.push_back(itemNameOf(i));
  }
  finish(std::move(notice));
  return notices;
}

void unlockBattleModeItems(bool silent) {
  if (!silent) {
    const holdingsData wanted = Session().play.holdings;
    loadBattleModeItems();
    for (auto& notice : battleModeNotices(Session().play.holdings, wanted, mainWeaponName, subWeaponName, itemName)) {
      Session().frame.noticeQueue.push_back(std::move(notice));
    }
    Session().play.holdings = wanted;
  }
  writeBattleModeItems();
}

}  // namespace game
