// Library handles: the packed 32-bit names of resources, the per-kind slot
// tables behind them (counted tables with an end index, and first-free
// tables), and the intrusive handle list the sound kinds keep.
//
// A handle is kind code | check << 16 | slot. Each kind owns one table object;
// its records come from the kind's record policy (allocation, freeing and what
// a full table means for that kind).
#pragma once

#include <array>
#include <cstdint>
#include <new>
#include <type_traits>

#include "library/veziv.h"

namespace veziv {

constexpr int kHandleKindMask = 0x78000000;
constexpr int kHandleCheckMask = 0x07FF0000;
constexpr int kHandleSlotMask = 0x0000FFFF;
constexpr int kHandleCheckShift = 16;
constexpr int kHandleCheckMax = 2047;

constexpr int kGraphHandleKind = 0x08000000;
constexpr int kGraphHandleSlots = 32768;
constexpr int kSoundHandleKind = 0x10000000;
constexpr int kSoundHandleSlots = 4096;
constexpr int kMovieHandleKind = 0x18000000;
constexpr int kMovieHandleSlots = 100;
constexpr int kFontHandleKind = 0x20000000;
constexpr int kFontHandleSlots = 40;
constexpr int kMaskHandleKind = 0x40000000;
constexpr int kMaskHandleSlots = 512;
constexpr int kNetworkHandleKind = 0x48000000;
constexpr int kNetworkHandleSlots = 4096;
constexpr int kKeyInputHandleKind = 0x50000000;
constexpr int kKeyInputHandleSlots = 256;
constexpr int kMusicHandleKind = 0x58000000;
constexpr int kMusicHandleSlots = 256;
constexpr int kLightHandleKind = 0x60000000;
constexpr int kLightHandleSlots = 4096;
constexpr int kSoftImageHandleKind = 0x70000000;
constexpr int kSoftImageHandleSlots = 8192;

constexpr LibraryHandle ComposeHandle(int kind, int check, int slot) {
  return kind | ((check & kHandleCheckMax) << kHandleCheckShift) | (slot & kHandleSlotMask);
}
constexpr int HandleSlot(LibraryHandle handle) { return handle & kHandleSlotMask; }
constexpr int HandleCheck(LibraryHandle handle) { return (handle & kHandleCheckMask) >> kHandleCheckShift; }

// The record policy of a kind: where its records come from and what a full
// table does. Owning subsystems derive from it and replace what differs
// (their allocator, their log line or fatal exit). AllocateRecord returns a
// value-initialised record, or null after reporting the failure its kind wants.
template <typename Record>
struct NewDeleteRecords {
  static Record* AllocateRecord() { return new (std::nothrow) Record(); }
  static void FreeRecord(Record* record) { delete record; }
  static void OnTableFull() {}
};

// Pointer slots (null = free) or records held in the table with an in-use flag.
enum class SlotStorage { kPointer, kInline };

namespace detail {

template <typename Record, int kSlots, typename Policy>
class PointerSlots {
 public:
  PointerSlots() = default;
  PointerSlots(const PointerSlots&) = delete;
  PointerSlots& operator=(const PointerSlots&) = delete;
  ~PointerSlots() {
    for (Record*& record : records_) {
      if (record != nullptr) Policy::FreeRecord(record);
      record = nullptr;
    }
  }
  bool Occupied(int slot) const { return records_[slot] != nullptr; }
  Record* At(int slot) const { return records_[slot]; }
  bool Fill(int slot) {
    records_[slot] = Policy::AllocateRecord();
    return records_[slot] != nullptr;
  }
  void Empty(int slot) {
    Record* record = records_[slot];
    records_[slot] = nullptr;
    Policy::FreeRecord(record);
  }

 private:
  std::array<Record*, kSlots> records_{};
};

template <typename Record, int kSlots, typename Policy>
class InlineSlots {
 public:
  bool Occupied(int slot) const { return in_use_[slot]; }
  Record* At(int slot) { return &records_[slot]; }
  bool Fill(int slot) {
    records_[slot] = Record();
    in_use_[slot] = true;
    return true;
  }
  void Empty(int slot) {
    in_use_[slot] = false;
    records_[slot] = Record();
  }

 private:
  std::array<Record, kSlots> records_{};
  std::array<bool, kSlots> in_use_{};
};

// What both table styles share: the slots, each slot's check word, the check
// counter and the validation of a handle.
template <typename Record, int kKind, int kSlots, typename Policy, SlotStorage kStorage>
class HandleSlots {
  static_assert((kKind & ~kHandleKindMask) == 0 && kKind != 0, "kind code must lie in bits 27-30");
  static_assert(kSlots > 0 && kSlots <= kHandleSlotMask + 1, "slot index must fit in 16 bits");

 public:
  static constexpr int kKindCode = kKind;
  static constexpr int kSlotCount = kSlots;

  // The slot of a live handle of this kind, or -1. The tests run in this
  // order: negative, kind code, slot range, free slot, check word.
  int FindSlot(LibraryHandle handle) const {
    if (handle < 0) return -1;
    if ((handle & kHandleKindMask) != kKind) return -1;
    int slot = handle & kHandleSlotMask;
    if (slot >= kSlots) return -1;
    if (!slots_.Occupied(slot)) return -1;
    if ((checks_[slot] << kHandleCheckShift) != (handle & kHandleCheckMask)) return -1;
    return slot;
  }
  bool IsValid(LibraryHandle handle) const { return FindSlot(handle) >= 0; }
  // The record of a live handle, or null.
  Record* Get(LibraryHandle handle) {
    int slot = FindSlot(handle);
    return slot < 0 ? nullptr : slots_.At(slot);
  }
  // The live handle in a slot, or -1 for a free or out-of-range slot.
  LibraryHandle HandleAt(int slot) const {
    if (slot < 0 || slot >= kSlots || !slots_.Occupied(slot)) return -1;
    return ComposeHandle(kKind, checks_[slot], slot);
  }
  // The check word the next created record gets.
  int NextCheck() const { return next_check_; }

 protected:
  bool FreeSlot(int slot) const { return !slots_.Occupied(slot); }

  // Fills a slot under a check word; the counter advances only when the
  // counter's own value was used. Returns the new handle, or -1.
  LibraryHandle Occupy(int slot, int check, bool advance_counter) {
    if (!slots_.Fill(slot)) return -1;
    checks_[slot] = static_cast<uint16_t>(check & kHandleCheckMax);
    if (advance_counter) next_check_ = next_check_ >= kHandleCheckMax ? 0 : next_check_ + 1;
    return ComposeHandle(kKind, check, slot);
  }
  void Vacate(int slot) {
    slots_.Empty(slot);
    checks_[slot] = 0;
  }

 private:
  using Slots = std::conditional_t<kStorage == SlotStorage::kPointer, PointerSlots<Record, kSlots, Policy>,
                                   InlineSlots<Record, kSlots, Policy>>;
  Slots slots_;
  std::array<uint16_t, kSlots> checks_{};
  int next_check_ = 0;
};

}  // namespace detail

// A kind whose new records go to the end index (one past the highest slot
// filled since the end index last moved down) and, once that reaches the slot
// count, to the first free slot from 0. Keeps a count of live handles.
template <typename Record, int kKind, int kSlots, typename Policy = NewDeleteRecords<Record>>
class CountedHandleTable : public detail::HandleSlots<Record, kKind, kSlots, Policy, SlotStorage::kPointer> {
 public:
  // A new handle, or -1 (full table: Policy::OnTableFull first; no record).
  LibraryHandle Create() {
    if (count_ >= kSlots) {
      Policy::OnTableFull();
      return -1;
    }
    int slot = end_index_;
    if (slot >= kSlots) {
      slot = 0;
      while (!this->FreeSlot(slot)) ++slot;
    }
    LibraryHandle handle = this->Occupy(slot, this->NextCheck(), true);
    if (handle < 0) return -1;
    ++count_;
    if (slot == end_index_) ++end_index_;
    return handle;
  }

  // Fills the slot of a handle that was just deleted, under the same value.
  // -1 for a handle of another kind, a slot out of range or a slot in use.
  LibraryHandle Recreate(LibraryHandle handle) {
    if (handle < 0 || (handle & kHandleKindMask) != kKind) return -1;
    int slot = HandleSlot(handle);
    if (slot >= kSlots || !this->FreeSlot(slot)) return -1;
    if (this->Occupy(slot, HandleCheck(handle), false) < 0) return -1;
    ++count_;
    if (end_index_ < slot + 1) end_index_ = slot + 1;
    if (end_index_ < count_) end_index_ = count_;
    return handle;
  }

  // Frees the record of a live handle (the kind's own clean-up comes first,
  // in its caller). 0, or -1 for a handle that does not validate.
  int Delete(LibraryHandle handle) {
    int slot = this->FindSlot(handle);
    if (slot < 0) return -1;
    --count_;
    if (slot == end_index_ - 1) {
      if (count_ == 0) {
        end_index_ = 0;
      } else {
        int top = slot - 1;
        while (top >= 0 && this->FreeSlot(top)) --top;
        end_index_ = top + 1;
      }
    }
    this->Vacate(slot);
    return 0;
  }

  // Hands every live handle below the end index to delete_one (the kind's
  // delete operation, which ends in Delete).
  template <typename DeleteOne>
  void DeleteAll(DeleteOne&& delete_one) {
    for (int slot = 0; slot < end_index_; ++slot) {
      LibraryHandle handle = this->HandleAt(slot);
      if (handle >= 0) delete_one(handle);
    }
  }
  void DeleteAll() {
    DeleteAll([this](LibraryHandle handle) { Delete(handle); });
  }

  int Count() const { return count_; }
  int EndIndex() const { return end_index_; }

 private:
  int count_ = 0;
  int end_index_ = 0;
};

// A kind whose new records take the first free slot from 0 (or a slot the
// caller names), with no count or end index.
template <typename Record, int kKind, int kSlots, typename Policy = NewDeleteRecords<Record>,
          SlotStorage kStorage = SlotStorage::kPointer>
class FirstFreeHandleTable : public detail::HandleSlots<Record, kKind, kSlots, Policy, kStorage> {
 public:
  // slot -1 takes the first free slot (none: Policy::OnTableFull, -1); a named
  // slot that is out of range or in use gives -1. check -1 takes the counter's
  // value and advances it; another value is used as given (its low 11 bits).
  LibraryHandle Create(int slot = -1, int check = -1) {
    if (slot == -1) {
      slot = 0;
      while (slot < kSlots && !this->FreeSlot(slot)) ++slot;
      if (slot == kSlots) {
        Policy::OnTableFull();
        return -1;
      }
    } else if (slot < 0 || slot >= kSlots || !this->FreeSlot(slot)) {
      return -1;
    }
    if (check == -1) return this->Occupy(slot, this->NextCheck(), true);
    return this->Occupy(slot, check, false);
  }

  int Delete(LibraryHandle handle) {
    int slot = this->FindSlot(handle);
    if (slot < 0) return -1;
    this->Vacate(slot);
    return 0;
  }

  template <typename DeleteOne>
  void DeleteAll(DeleteOne&& delete_one) {
    for (int slot = 0; slot < kSlots; ++slot) {
      LibraryHandle handle = this->HandleAt(slot);
      if (handle >= 0) delete_one(handle);
    }
  }
  void DeleteAll() {
    DeleteAll([this](LibraryHandle handle) { Delete(handle); });
  }
};

// A node of a handle list; it lives inside its owner's record.
struct HandleListNode {
  LibraryHandle handle;
  void* owner;
  HandleListNode* previous;
  HandleListNode* next;
};

// Makes head and tail an empty list. Returns 0.
int InitHandleList(HandleListNode* head, HandleListNode* tail);
// Sets the node's handle and owner and links it directly behind after. Returns 0.
int AddHandleListNode(HandleListNode* after, HandleListNode* node, LibraryHandle handle, void* owner);
// Links the node's neighbours to each other; the node's own links stay. Returns 0.
int RemoveHandleListNode(HandleListNode* node);

}  // namespace veziv
