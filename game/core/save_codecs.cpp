// The save folder's file layouts as bytes, with nothing of the running game:
// the game header that heads every save slot, the settings file, the key
// files (with the key names they may hold) and the battle mode's unlock
// files. Small enough for the fuzz targets of these readers to link alone.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "game/core/key_files.h"
#include "game/core/records.h"
#include "game/core/save_files.h"
#include "game/core/settings.h"
#include "game/core/unlocks.h"

namespace game {

// --- The game header ----------------------------------------------------------

namespace {

constexpr size_t kMoneyAt = 256;
constexpr size_t kMainOwnedAt = 260;
constexpr size_t kSubOwnedAt = 267;
constexpr size_t kItemCountsAt = 276;
constexpr size_t kBattleCharacterAt = 300;
constexpr size_t kMainWeaponAt = 304;
constexpr size_t kSubWeaponAt = 308;
constexpr size_t kItem1At = 312;
constexpr size_t kItem2At = 316;
constexpr size_t kDifficultyAt = 320;

}  // namespace

void encodeGameHeader(const gameHeader& header, uint8_t out[kGameHeaderSize]) {
  std::memset(out, 0, kGameHeaderSize);
  const size_t length = strnlen(header.caption, kCaptionSize - 1);
  std::memcpy(out, header.caption, length);
  putLeI32(out + kMoneyAt, header.money);
  std::copy(header.mainOwned, header.mainOwned + kMainWeaponCount, out + kMainOwnedAt);
  std::copy(header.subOwned, header.subOwned + kSubWeaponCount, out + kSubOwnedAt);
  for (int i = 0; i < kItemCount; ++i) putLeI32(out + kItemCountsAt + 4 * i, header.itemCounts[i]);
  putLeI32(out + kBattleCharacterAt, header.battleCharacter);
  putLeI32(out + kMainWeaponAt, header.mainWeapon);
  putLeI32(out + kSubWeaponAt, header.subWeapon);
  putLeI32(out + kItem1At, header.item1);
  putLeI32(out + kItem2At, header.item2);
  putLeI32(out + kDifficultyAt, header.difficulty);
}

gameHeader decodeGameHeader(const uint8_t bytes[kGameHeaderSize]) {
  gameHeader h;
  std::memcpy(h.caption, bytes, kCaptionSize - 1);
  h.caption[kCaptionSize - 1] = '\0';
  h.money = readLeI32(bytes + kMoneyAt);
  std::copy(bytes + kMainOwnedAt, bytes + kMainOwnedAt + kMainWeaponCount, h.mainOwned);
  std::copy(bytes + kSubOwnedAt, bytes + kSubOwnedAt + kSubWeaponCount, h.subOwned);
  for (int i = 0; i < kItemCount; ++i) h.itemCounts[i] = readLeI32(bytes + kItemCountsAt + 4 * i);
  h.battleCharacter = readLeI32(bytes + kBattleCharacterAt);
  h.mainWeapon = readLeI32(bytes + kMainWeaponAt);
  h.subWeapon = readLeI32(bytes + kSubWeaponAt);
  h.item1 = readLeI32(bytes + kItem1At);
  h.item2 = readLeI32(bytes + kItem2At);
  h.difficulty = readLeI32(bytes + kDifficultyAt);
  return h;
}

// --- The settings file ---------------------------------------------------------

namespace {

uint8_t asSwitch(uint8_t byte) { return byte != 0 ? 1 : 0; }

}  // namespace

settingsRecordData decodeConfig(const uint8_t* bytes, size_t size) {
  settingsRecordData r;
  auto whole = [size](size_t offset, size_t length) { return offset + length <= size; };
  int32_t* const volumes[4] = {&r.bgmVolume, &r.seVolume, &r.voiceVolume, &r.radioVolume};
  for (size_t i = 0; i < 4; ++i) {
    if (whole(4 * i, 4)) *volumes[i] = std::clamp(readLeI32(bytes + 4 * i), 0, 100);
  }
  for (size_t i = 0; i < 7; ++i) {
    if (whole(16 + i, 1)) r.voiceEnabled[i] = asSwitch(bytes[16 + i]);
  }
  if (whole(23, 1)) r.midiMode = asSwitch(bytes[23]);
  if (whole(24, 1)) r.battleEventsOn = asSwitch(bytes[24]);
  if (whole(25, 4)) r.textSpeed = std::clamp(readLeI32(bytes + 25), kMinTextSpeed, kMaxTextSpeed);
  if (whole(29, 1)) r.storyCleared = asSwitch(bytes[29]);
  return r;
}

void encodeConfig(const settingsRecordData& record, uint8_t out[kConfigFileSize]) {
  putLeI32(out + 0, record.bgmVolume);
  putLeI32(out + 4, record.seVolume);
  putLeI32(out + 8, record.voiceVolume);
  putLeI32(out + 12, record.radioVolume);
  std::copy(record.voiceEnabled, record.voiceEnabled + 7, out + 16);
  out[23] = record.midiMode;
  out[24] = record.battleEventsOn;
  putLeI32(out + 25, record.textSpeed);
  out[29] = record.storyCleared;
}

// --- The key files -------------------------------------------------------------

namespace {

struct NamedCode {
  int32_t code;
  const char* name;
};

constexpr NamedCode kKeyNames[] = {
    {0x0E, "BACK SPACE"}, {0x0F, "TAB"},       {0x1C, "RETURN"},
    {0x2A, "左SHIFT"},    {0x36, "右SHIFT"},   {0x1D, "左CONTROL"},
    {0x9D, "右CONTROL"},  {0x39, "SPACE"},     {0xC9, "PgUP"},
    {0xD1, "PgDOWN"},     {0xCF, "END"},       {0xC7, "HOME"},
    {0xCB, "←キー"},      {0xC8, "↑キー"},     {0xCD, "→キー"},
    {0xD0, "↓キー"},      {0xD2, "INSERT"},    {0xD3, "DELETE"},
    {0x0C, "MINUS"},      {0x7D, "\\"},        {0x90, "^"},
    {0x34, "."},          {0x35, "/"},         {0x38, "左ALT"},
    {0xB8, "右ALT"},      {0x46, "SCROLL"},    {0x27, ";"},
    {0x92, ":"},          {0x1A, "["},         {0x1B, "]"},
    {0x91, "@"},          {0x2B, "＼"},        {0x33, ","},
    {0x3A, "CapsLock"},   {0xC5, "Pause"},     {0x52, "テンキー0"},
    {0x4F, "テンキー1"},  {0x50, "テンキー2"}, {0x51, "テンキー3"},
    {0x4B, "テンキー4"},  {0x4C, "テンキー5"}, {0x4D, "テンキー6"},
    {0x47, "テンキー7"},  {0x48, "テンキー8"}, {0x49, "テンキー9"},
    {0x37, "テンキー*"},  {0x4E, "テンキー+"}, {0x4A, "テンキー-"},
    {0x53, "テンキー."},  {0xB5, "テンキー/"}, {0x9C, "テンキーRETURN"},
    {0x3B, "F1"},         {0x3C, "F2"},        {0x3D, "F3"},
    {0x3E, "F4"},         {0x3F, "F5"},        {0x40, "F6"},
    {0x41, "F7"},         {0x42, "F8"},        {0x43, "F9"},
    {0x44, "F10"},        {0x57, "F11"},       {0x58, "F12"},
    {0x1E, "A"},          {0x30, "B"},         {0x2E, "C"},
    {0x20, "D"},          {0x12, "E"},         {0x21, "F"},
    {0x22, "G"},          {0x23, "H"},         {0x17, "I"},
    {0x24, "J"},          {0x25, "K"},         {0x26, "L"},
    {0x32, "M"},          {0x31, "N"},         {0x18, "O"},
    {0x19, "P"},          {0x10, "Q"},         {0x13, "R"},
    {0x1F, "S"},          {0x14, "T"},         {0x16, "U"},
    {0x2F, "V"},          {0x11, "W"},         {0x2D, "X"},
    {0x15, "Y"},          {0x2C, "Z"},         {0x0B, "0キー"},
    {0x02, "1キー"},      {0x03, "2キー"},     {0x04, "3キー"},
    {0x05, "4キー"},      {0x06, "5キー"},     {0x07, "6キー"},
    {0x08, "7キー"},      {0x09, "8キー"},     {0x0A, "9キー"},
    {0x01, "ESC"},        {0x45, "NumLock"},   {0xDD, "Application"},
    {0xB7, "PrtScr"},     {0x79, "変換"},
};

constexpr NamedCode kPadButtonNames[] = {
    {0x1, "↓"},  {0x2, "←"},   {0x4, "→"},   {0x8, "↑"},   {0x10, "1"},  {0x20, "2"},       {0x40, "3"},
    {0x80, "4"}, {0x100, "5"}, {0x200, "6"}, {0x400, "7"}, {0x800, "8"}, {0x1000, "START"}, {0x2000, "M"},
};

template <size_t N>
const char* lookUp(const NamedCode (&table)[N], int32_t code, const char* otherwise) {
  for (const NamedCode& entry : table) {
    if (entry.code == code) return entry.name;
  }
  return otherwise;
}

bool bindable(int32_t code) {
  return code >= 0 && code < kKeyStateCount && lookUp(kKeyNames, code, nullptr) != nullptr;
}

}  // namespace

const char* getKeyName(int32_t code) { return lookUp(kKeyNames, code, kUnknownKeyName); }

const char* getPadButtonName(int32_t mask) { return lookUp(kPadButtonNames, mask, "ERROR"); }

void decodeKeyCodes(const uint8_t* bytes, size_t size, inputRecord& record) {
  for (int a = 0; a < kBoundActions && 4 * size_t(a) + 4 <= size; ++a) {
    const int32_t code = readLeI32(bytes + 4 * a);
    if (bindable(code)) record.keyCode[a] = code;
  }
}

void encodeKeyCodes(const inputRecord& record, uint8_t out[kKeyFileSize]) {
  for (int a = 0; a < kBoundActions; ++a) putLeI32(out + 4 * a, record.keyCode[a]);
}

std::string keyLegendText(const inputRecord& record, bool withLeftRight) {
  // Appended piece by piece: GCC 12 takes a literal added before a string
  // temporary for an overlapping copy and warns (-Wrestrict) where none is.
  std::string text = "'";
  auto add = [&](int action, const char* after) {
    text += getKeyName(record.keyCode[action]);
    text += after;
  };
  add(kActionUp, "'…上　'");
  add(kActionDown, "'…下　'");
  if (withLeftRight) {
    add(kActionRight, "'…右　'");
    add(kActionLeft, "'…左　'");
  }
  add(kActionShot, "'…決定　'");
  add(kActionPause, "'…キャンセル");
  return text;
}

// --- The unlock files ----------------------------------------------------------

uint8_t unlockFlag(uint8_t byte) { return byte != 0 ? 1 : 0; }

void decodeOpenStages(const uint8_t* bytes, size_t size, uint8_t flags[kStageCount]) {
  for (size_t i = 0; i < kStageCount; ++i) flags[i] = i < size ? unlockFlag(bytes[i]) : 0;
}

void decodeBattleModeItems(const uint8_t* bytes, size_t size, holdingsData& into) {
  for (size_t i = 0; i < kMainWeaponCount; ++i) into.mainOwned[i] = i < size ? unlockFlag(bytes[i]) : 0;
  into.mainOwned[0] = 1;
  for (size_t i = 0; i < kSubWeaponCount; ++i) {
    const size_t at = kMainWeaponCount + i;
    into.subOwned[i] = at < size ? unlockFlag(bytes[at]) : 0;
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

namespace {

// A notice of a title and names ends with the button's "OK"; one without a name is dropped.
std::vector<std::string> finishNotice(std::vector<std::string> notice) {
  if (notice.size() < 2) return {};
  notice.push_back("OK");
  return notice;
}

}  // namespace

std::vector<std::string> stageNotice(const uint8_t inFile[kStageCount], const uint8_t wanted[kStageCount]) {
  std::vector<std::string> notice = {"【ステージ/開放】"};
  for (int i = 0; i < kStageCount; ++i) {
    if (inFile[i] == 0 && wanted[i] != 0) notice.push_back(stageNames[i]);
  }
  return finishNotice(std::move(notice));
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

}  // namespace game
