// Key names, key files and the key legend line.
#include "game/core/key_files.h"

#include "game/core/resources.h"
#include "game/core/save_files.h"
#include "game/core/session.h"
#include "library/veziv.h"

namespace game {

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

std::string getActionKeyName(int action) {
  if (action < 0 || action >= kBoundActions) return kUnknownKeyName;
  return getKeyName(Session().playerInputs[0].keyCode[action]);
}

void decodeKeyCodes(const uint8_t* bytes, size_t size, inputRecord& record) {
  for (int a = 0; a < kBoundActions && 4 * size_t(a) + 4 <= size; ++a) {
    const int32_t code = readLeI32(bytes + 4 * a);
    if (bindable(code)) record.keyCode[a] = code;
  }
}

void encodeKeyCodes(const inputRecord& record, uint8_t out[kKeyFileSize]) {
  for (int a = 0; a < kBoundActions; ++a) putLeI32(out + 4 * a, record.keyCode[a]);
}

void loadKeyConfig(inputRecord& record, const char* path) {
  uint8_t bytes[kKeyFileSize];
  const long got = readSaveFile(path, bytes, sizeof bytes);
  if (got > 0) decodeKeyCodes(bytes, static_cast<size_t>(got), record);
}

bool saveKeyConfig(const inputRecord& record, const char* path) {
  uint8_t bytes[kKeyFileSize];
  encodeKeyCodes(record, bytes);
  return writeSaveFile(path, bytes, sizeof bytes);
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

void drawKeyConfigMenu(const inputRecord& record, bool withLeftRight) {
  const std::string text = keyLegendText(record, withLeftRight);
  veziv::DrawTextWithFont(51, 571, text.c_str(), veziv::PackColorForScreen(0, 0, 0), Session().registry.gameFont, 0, 0);
  veziv::DrawTextWithFont(50, 570, text.c_str(), veziv::PackColorForScreen(255, 255, 100), Session().registry.gameFont,
                          0, 0);
}

}  // namespace game
