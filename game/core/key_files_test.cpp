// Key names, key files and the legend line.
#include "game/core/key_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/core/save_files.h"
#include "game/core/session.h"
#include "platform/os/temp_folder_test_support.h"

namespace game {
namespace {

TEST(KeyNames, TableSpotChecks) {
  struct NameCase {
    int32_t code;
    std::string name;
  };
  const NameCase cases[] = {
      {0x0E, "BACK SPACE"}, {0x2A, "左SHIFT"}, {0xCB, "←キー"},  {0x7D, "\\"},   {0x2B, "＼"},
      {0x3B, "F1"},         {0x44, "F10"},     {0x57, "F11"},    {0x1E, "A"},    {0x2C, "Z"},
      {0x0B, "0キー"},      {0x02, "1キー"},   {0x0A, "9キー"},  {0x01, "ESC"},  {0x9C, "テンキーRETURN"},
      {0x79, "変換"},       {0x00, "エラー"},  {0x5A, "エラー"}, {-1, "エラー"}, {300, "エラー"},
  };
  for (const NameCase& c : cases) EXPECT_EQ(getKeyName(c.code), c.name) << c.code;
  // The two backslashes: one half-width byte against the two bytes of the full-width one.
  EXPECT_EQ(std::string(getKeyName(0x7D)).size(), 1u);
  EXPECT_EQ(std::string(getKeyName(0x2B)), "\x81\x5F");

  const std::pair<int32_t, std::string> pads[] = {
      {0x1, "↓"},    {0x8, "↑"},   {0x10, "1"},    {0x800, "8"},      {0x1000, "START"},
      {0x2000, "M"}, {0, "ERROR"}, {0x3, "ERROR"}, {0x4000, "ERROR"},
  };
  for (const auto& [mask, name] : pads) EXPECT_EQ(getPadButtonName(mask), name) << mask;
}

TEST(KeyFiles, RoundTripAndShortFiles) {
  veziv::test::TestFolder folder;
  const std::string path = folder / "key1.dat";
  inputRecord r = resetInputRecord();
  setKeyPresetKeypad(r);
  ASSERT_TRUE(saveKeyConfig(r, path.c_str()));
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_EQ(bytes.size(), 36u);
  EXPECT_EQ(readLeI32(bytes.data()), 0x47);
  EXPECT_EQ(readLeI32(bytes.data() + 32), 0x0E);

  inputRecord back = resetInputRecord();
  loadKeyConfig(back, path.c_str());
  for (int a = 0; a < kBoundActions; ++a) EXPECT_EQ(back.keyCode[a], r.keyCode[a]) << a;

  // A 32-byte file sets the first eight actions and keeps the pause key.
  inputRecord shortRead = resetInputRecord();
  decodeKeyCodes(bytes.data(), 32, shortRead);
  for (int a = 0; a < 8; ++a) EXPECT_EQ(shortRead.keyCode[a], r.keyCode[a]) << a;
  EXPECT_EQ(shortRead.keyCode[kActionPause], 0x01);
  // A code cut in the middle is not taken.
  inputRecord cut = resetInputRecord();
  decodeKeyCodes(bytes.data(), 6, cut);
  EXPECT_EQ(cut.keyCode[0], 0x47);
  EXPECT_EQ(cut.keyCode[1], resetInputRecord().keyCode[1]);

  // A missing file leaves the record as it was.
  inputRecord untouched = resetInputRecord();
  loadKeyConfig(untouched, (folder / "none.dat").c_str());
  EXPECT_EQ(untouched.keyCode[kActionPause], 0x01);
}

TEST(KeyFiles, CodesOutsideTheTableKeepTheDefault) {
  uint8_t bytes[kKeyFileSize];
  const int32_t codes[kBoundActions] = {300, -1, 0x00, 0x5A, 0x1F, INT32_MIN, 0x100, 0xFF, 0x39};
  for (int a = 0; a < kBoundActions; ++a) putLeI32(bytes + 4 * a, codes[a]);
  inputRecord r = resetInputRecord();
  const inputRecord defaults = r;
  decodeKeyCodes(bytes, sizeof bytes, r);
  const int32_t expected[kBoundActions] = {defaults.keyCode[0],
                                           defaults.keyCode[1],
                                           defaults.keyCode[2],
                                           defaults.keyCode[3],
                                           0x1F,
                                           defaults.keyCode[5],
                                           defaults.keyCode[6],
                                           defaults.keyCode[7],
                                           0x39};
  for (int a = 0; a < kBoundActions; ++a) EXPECT_EQ(r.keyCode[a], expected[a]) << a;
}

TEST(KeyLegend, ActionNamesAndTheLegendLine) {
  const inputRecord saved = Session().playerInputs[0];
  Session().playerInputs[0] = resetInputRecord();
  EXPECT_EQ(getActionKeyName(kActionShot), "Z");
  EXPECT_EQ(getActionKeyName(kActionPause), "ESC");
  Session().playerInputs[0].keyCode[kActionSlow] = 0x5A;
  EXPECT_EQ(getActionKeyName(kActionSlow), "エラー");
  EXPECT_EQ(getActionKeyName(kHoldCount), "エラー");

  const inputRecord r = resetInputRecord();
  EXPECT_EQ(keyLegendText(r, false), "'↑キー'…上　'↓キー'…下　'Z'…決定　'ESC'…キャンセル");
  EXPECT_EQ(keyLegendText(r, true), "'↑キー'…上　'↓キー'…下　'→キー'…右　'←キー'…左　'Z'…決定　'ESC'…キャンセル");
  Session().playerInputs[0] = saved;
}

}  // namespace
}  // namespace game
