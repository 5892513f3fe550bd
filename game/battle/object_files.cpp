// Objects read from stage and slot files.
#include "game/battle/object_files.h"

#include "game/battle/motion.h"

namespace game::battle {

const char* readEnemyFile(const uint8_t* data, size_t size, EnemyList& out) {
  RecordReader in(data, size);
  const int32_t count = in.i32();
  if (!in.ok()) return "no object count";
  // The count is believed only as far as the bytes present can hold it.
  constexpr size_t kSmallestObject = 4 + kEnemyRecordBytes;
  if (count < 0 || static_cast<size_t>(count) > in.remaining() / kSmallestObject) return "bad object count";
  EnemyList read;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t typeId = in.i32();
    if (typeId != kEnemyTypeId && typeId != kDualImageEnemyTypeId) return "not an enemy type id";
    std::unique_ptr<motion> object = createMotion(typeId);
    object->readFileRecord(in);
    if (!in.ok()) return "short object record";
    if (!object->hasValidFields()) return "object values out of range";
    read.push_back(std::unique_ptr<enemy>(static_cast<enemy*>(object.release())));
  }
  if (in.remaining() != 0) return "bytes after the last object";
  for (auto& e : read) out.push_back(std::move(e));
  return nullptr;
}

std::unique_ptr<motion> readSlotObject(int typeId, RecordReader& in) {
  std::unique_ptr<motion> object = createMotion(typeId);
  if (object == nullptr) return nullptr;
  object->load(in);
  if (!in.ok() || !object->hasValidFields()) return nullptr;
  return object;
}

}  // namespace game::battle
