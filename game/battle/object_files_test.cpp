// Stage and slot object files: what is read, and what is refused whole.
#include "game/battle/object_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include <unistd.h>

#include "game/battle/battle_test_support.h"

namespace game::battle {
namespace {

// A two-enemy file: a plain enemy and a cannon with its base.
std::vector<uint8_t> twoEnemyFile() {
  std::vector<uint8_t> bytes;
  RecordWriter w(bytes);
  w.i32(2);
  enemy plane;
  plane.x = 100;
  plane.y = -40;
  plane.radius = 16;
  plane.heading = 270;
  plane.speed = 20;
  plane.imageId = 46;
  plane.hp = plane.maxHp = 30;
  plane.shotId = 4;
  plane.movementId = 6;
  plane.deathActionId = 1;
  w.i32(kEnemyTypeId);
  plane.save(bytes);
  enemy_dualImage cannon;
  cannon.x = 300;
  cannon.y = -200;
  cannon.radius = 12;
  cannon.heading = 270;
  cannon.imageId = 283;
  cannon.baseImage = 284;
  cannon.baseHeading = 90;
  cannon.hp = cannon.maxHp = 80;
  cannon.shotId = 11;
  cannon.shotInterval = 2;
  w.i32(kDualImageEnemyTypeId);
  cannon.save(bytes);
  return bytes;
}

void putI32(std::vector<uint8_t>& bytes, size_t at, int32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

void putF64(std::vector<uint8_t>& bytes, size_t at, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) bytes[at + i] = static_cast<uint8_t>(bits >> (8 * i));
}

TEST(EnemyFile, ReadsEveryEnemyInOrder) {
  test::Battle battle;
  const std::vector<uint8_t> bytes = twoEnemyFile();
  EnemyList list;
  ASSERT_EQ(readEnemyFile(bytes.data(), bytes.size(), list), nullptr);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->getTypeId(), kEnemyTypeId);
  EXPECT_EQ(list[0]->hp, 30);
  EXPECT_EQ(list[0]->y, -40);
  ASSERT_EQ(list[1]->getTypeId(), kDualImageEnemyTypeId);
  EXPECT_EQ(static_cast<enemy_dualImage&>(*list[1]).baseImage, 284);
  EXPECT_EQ(list[1]->shotInterval, 2);
  const uint8_t empty[4] = {0, 0, 0, 0};
  EXPECT_EQ(readEnemyFile(empty, 4, list), nullptr);
  EXPECT_EQ(list.size(), 2u);
}

TEST(EnemyFile, RefusesTheWholeFileOnAnyBadValue) {
  // Offsets in the first object: its type id at 4, its record from 8.
  constexpr size_t kType = 4, kRecord = 8, kMotion = kRecord + 48;
  struct Case {
    const char* what;
    void (*spoil)(std::vector<uint8_t>&);
  };
  const Case cases[] = {
      {"negative count", [](auto& b) { putI32(b, 0, -1); }},
      {"count beyond the bytes", [](auto& b) { putI32(b, 0, 1000000000); }},
      {"one object too many", [](auto& b) { putI32(b, 0, 3); }},
      {"bullet type id", [](auto& b) { putI32(b, kType, kBulletTypeId); }},
      {"item type id", [](auto& b) { putI32(b, kType, kItemTypeId); }},
      {"unknown type id", [](auto& b) { putI32(b, kType, 3); }},
      {"maxHp 0", [](auto& b) { putI32(b, kRecord + 8, 0); }},
      {"shotInterval 0", [](auto& b) { putI32(b, kRecord + 32, 0); }},
      {"shot id 22", [](auto& b) { putI32(b, kRecord + 20, 22); }},
      {"shot image -1", [](auto& b) { putI32(b, kRecord + 28, -1); }},
      {"movement 16", [](auto& b) { putI32(b, kRecord + 36, 16); }},
      {"action 10", [](auto& b) { putI32(b, kRecord + 40, 10); }},
      {"hp beyond 2^30", [](auto& b) { putI32(b, kRecord + 4, std::numeric_limits<int>::max()); }},
      {"x NaN", [](auto& b) { putF64(b, kMotion, std::nan("")); }},
      {"y infinite", [](auto& b) { putF64(b, kMotion + 8, INFINITY); }},
      {"radius negative", [](auto& b) { putI32(b, kMotion + 16, -1); }},
      {"heading huge", [](auto& b) { putF64(b, kMotion + 20, 1e300); }},
      {"image 376", [](auto& b) { putI32(b, kMotion + 32, 376); }},
      {"truncated", [](auto& b) { b.pop_back(); }},
      {"trailing byte", [](auto& b) { b.push_back(0); }},
      {"no count", [](auto& b) { b.resize(3); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::Battle battle;
    std::vector<uint8_t> bytes = twoEnemyFile();
    c.spoil(bytes);
    EnemyList list;
    EXPECT_NE(readEnemyFile(bytes.data(), bytes.size(), list), nullptr);
    EXPECT_TRUE(list.empty());
  }
}

TEST(EnemyFile, LoadFromFileReadsARecordFromALibraryFile) {
  test::Battle battle;
  const std::vector<uint8_t> bytes = twoEnemyFile();
  // A name of this process's own: ctest runs the whole program beside this test.
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("veziv-battle-enemy-" + std::to_string(getpid()) + ".dat");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const veziv::FileHandle file = veziv::OpenFileForRead(path.c_str(), 0);
  ASSERT_NE(file, 0);
  int32_t count = 0, typeId = 0;
  ASSERT_EQ(veziv::FileStreamRead(&count, 1, 4, file), 4u);
  ASSERT_EQ(veziv::FileStreamRead(&typeId, 1, 4, file), 4u);
  enemy first;
  EXPECT_TRUE(first.loadFromFile(file));
  EXPECT_EQ(first.hp, 30);
  EXPECT_EQ(first.radius, 16);
  ASSERT_EQ(veziv::FileStreamRead(&typeId, 1, 4, file), 4u);
  enemy_dualImage second;
  EXPECT_TRUE(second.loadFromFile(file));
  EXPECT_EQ(second.baseHeading, 90);
  // The bullet's file record is the motion record alone; the file has ended.
  bullet none;
  EXPECT_FALSE(none.loadFromFile(file));
  veziv::FileStreamClose(file);
  std::filesystem::remove(path);
}

TEST(SlotObjects, RefuseUnknownTypesAndBadIds) {
  test::Battle battle;
  bullet b(0, 1, 10, 0, 1, 3, 0, 0, kImageBulletRed);
  std::vector<uint8_t> bytes;
  b.save(bytes);
  RecordReader unknown(bytes.data(), bytes.size());
  EXPECT_EQ(readSlotObject(-1, unknown), nullptr);
  putI32(bytes, 36 + 12, 10);  // hitActionId 10
  RecordReader badAction(bytes.data(), bytes.size());
  EXPECT_EQ(readSlotObject(kBulletTypeId, badAction), nullptr);
}

}  // namespace
}  // namespace game::battle
