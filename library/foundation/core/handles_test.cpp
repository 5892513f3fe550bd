#include "library/foundation/core/handles.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

namespace veziv {
namespace {

struct Record {
  int value;
  int more[3];
};

// Records from new/delete, with a switch that makes allocation fail and a
// count of full-table reports.
struct TestRecords : NewDeleteRecords<Record> {
  static inline bool fail_allocation = false;
  static inline int full_reports = 0;
  static Record* AllocateRecord() { return fail_allocation ? nullptr : new Record(); }
  static void OnTableFull() { ++full_reports; }
};

template <int kSlots>
using SmallCounted = CountedHandleTable<Record, kGraphHandleKind, kSlots, TestRecords>;
template <int kSlots>
using SmallFirstFree = FirstFreeHandleTable<Record, kMovieHandleKind, kSlots, TestRecords>;

class HandleTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestRecords::fail_allocation = false;
    TestRecords::full_reports = 0;
  }
};

TEST(HandleLayoutTest, ComposesKindCheckAndSlot) {
  struct Case {
    int kind, check, slot;
    LibraryHandle handle;
  };
  const Case cases[] = {
      {kGraphHandleKind, 0, 0, 0x08000000},         {kGraphHandleKind, 1, 1, 0x08010001},
      {kSoundHandleKind, 5, 4095, 0x10050FFF},      {kLightHandleKind, 2047, 4095, 0x67FF0FFF},
      {kSoftImageHandleKind, 2047, 8191, 0x77FF1FFF}, {kKeyInputHandleKind, 3, 255, 0x500300FF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.handle);
    LibraryHandle h = ComposeHandle(c.kind, c.check, c.slot);
    EXPECT_EQ(h, c.handle);
    EXPECT_EQ(h & kHandleKindMask, c.kind);
    EXPECT_EQ(HandleCheck(h), c.check);
    EXPECT_EQ(HandleSlot(h), c.slot);
  }
}

TEST_F(HandleTableTest, FirstGraphsAreSlotZeroThenSlotOneWithNextCheck) {
  auto graphs = std::make_unique<CountedHandleTable<Record, kGraphHandleKind, kGraphHandleSlots>>();
  EXPECT_EQ(graphs->Create(), 0x08000000);
  EXPECT_EQ(graphs->Create(), 0x08010001);
  EXPECT_EQ(graphs->Count(), 2);
  EXPECT_EQ(graphs->EndIndex(), 2);
}

TEST_F(HandleTableTest, CheckCounterWrapsSoThe2049thCreationReusesCheckZero) {
  SmallCounted<4> table;
  LibraryHandle first = table.Create();
  LibraryHandle second = -1;
  ASSERT_EQ(table.Delete(first), 0);
  for (int i = 1; i < 2048; ++i) {
    LibraryHandle h = table.Create();
    ASSERT_EQ(HandleCheck(h), i);
    ASSERT_EQ(HandleSlot(h), 0);
    if (i == 1) second = h;
    EXPECT_FALSE(table.IsValid(first));
    ASSERT_EQ(table.Delete(h), 0);
  }
  LibraryHandle wrapped = table.Create();
  EXPECT_EQ(wrapped, first);
  // The wrap is accepted: the stale first handle names the new record.
  EXPECT_TRUE(table.IsValid(first));
  EXPECT_FALSE(table.IsValid(second));
  EXPECT_EQ(table.NextCheck(), 1);
}

TEST_F(HandleTableTest, DeletingTheTopSlotMovesEndIndexDownPastFreeSlots) {
  SmallCounted<8> table;
  LibraryHandle h[4];
  for (LibraryHandle& x : h) x = table.Create();
  ASSERT_EQ(table.Delete(h[0]), 0);
  ASSERT_EQ(table.Delete(h[2]), 0);
  EXPECT_EQ(table.EndIndex(), 4);  // not the top slot: the end index stays
  ASSERT_EQ(table.Delete(h[3]), 0);
  EXPECT_EQ(table.EndIndex(), 2);  // down past free slot 2 to the live slot 1
  EXPECT_EQ(table.Count(), 1);
  LibraryHandle next = table.Create();
  EXPECT_EQ(HandleSlot(next), 2);  // above the last live slot, not the free slot 0
  EXPECT_EQ(table.EndIndex(), 3);
  ASSERT_EQ(table.Delete(h[1]), 0);
  EXPECT_EQ(table.EndIndex(), 3);
  ASSERT_EQ(table.Delete(next), 0);
  EXPECT_EQ(table.EndIndex(), 0);  // empty table
  EXPECT_EQ(HandleSlot(table.Create()), 0);
}

TEST_F(HandleTableTest, EndIndexAtSlotCountScansFromZeroAndFullTableFails) {
  SmallCounted<4> table;
  LibraryHandle h[4];
  for (LibraryHandle& x : h) x = table.Create();
  EXPECT_EQ(table.EndIndex(), 4);
  EXPECT_EQ(table.Create(), -1);
  EXPECT_EQ(TestRecords::full_reports, 1);
  EXPECT_EQ(table.NextCheck(), 4);  // a refused creation uses no check value

  ASSERT_EQ(table.Delete(h[2]), 0);
  ASSERT_EQ(table.Delete(h[1]), 0);
  EXPECT_EQ(table.EndIndex(), 4);
  EXPECT_EQ(table.Create(), ComposeHandle(kGraphHandleKind, 4, 1));
  EXPECT_EQ(table.Create(), ComposeHandle(kGraphHandleKind, 5, 2));
  EXPECT_EQ(table.Count(), 4);
}

TEST_F(HandleTableTest, LightTableRefusesTheCreationBeyondItsSlots) {
  auto lights = std::make_unique<CountedHandleTable<Record, kLightHandleKind, kLightHandleSlots, TestRecords>>();
  for (int i = 0; i < kLightHandleSlots; ++i) ASSERT_GE(lights->Create(), 0) << i;
  EXPECT_EQ(lights->Create(), -1);
  EXPECT_EQ(lights->Count(), kLightHandleSlots);
  EXPECT_EQ(TestRecords::full_reports, 1);
}

TEST_F(HandleTableTest, FailedAllocationLeavesTableAndCounterAsTheyWere) {
  SmallCounted<4> counted;
  SmallFirstFree<4> first_free;
  counted.Create();
  first_free.Create();
  TestRecords::fail_allocation = true;
  EXPECT_EQ(counted.Create(), -1);
  EXPECT_EQ(first_free.Create(), -1);
  TestRecords::fail_allocation = false;
  EXPECT_EQ(counted.Count(), 1);
  EXPECT_EQ(counted.EndIndex(), 1);
  EXPECT_EQ(counted.Create(), ComposeHandle(kGraphHandleKind, 1, 1));
  EXPECT_EQ(first_free.Create(), ComposeHandle(kMovieHandleKind, 1, 1));
}

// Each table holds live slot 0 (check 0) and slot 1 (check 1); slot 2 was
// filled with check 2 and deleted.
template <typename Table>
void ExpectValidation(Table& table, int kind, int slots) {
  LibraryHandle h0 = table.Create();
  LibraryHandle h1 = table.Create();
  LibraryHandle h2 = table.Create();
  ASSERT_EQ(table.Delete(h2), 0);
  int other_kind = kind == kSoundHandleKind ? kGraphHandleKind : kSoundHandleKind;
  struct Case {
    const char* what;
    LibraryHandle handle;
    bool valid;
  };
  const Case cases[] = {
      {"live slot 0", h0, true},
      {"live slot 1", h1, true},
      {"no handle", -1, false},
      {"other negative", -2, false},
      {"live handle with bit 31", static_cast<LibraryHandle>(static_cast<unsigned>(h0) | 0x80000000u), false},
      {"most negative", INT_MIN, false},
      {"zero kind", HandleSlot(h0), false},
      {"other kind, right slot and check", ComposeHandle(other_kind, 0, 0), false},
      {"slot at slot count", ComposeHandle(kind, 0, slots), false},
      {"largest slot", ComposeHandle(kind, 0, 0xFFFF), false},
      {"freed slot", h2, false},
      {"never filled slot", ComposeHandle(kind, 3, 3), false},
      {"freed slot, check 0", ComposeHandle(kind, 0, 2), false},
      {"never filled slot, check 0", ComposeHandle(kind, 0, 3), false},
      {"wrong check", ComposeHandle(kind, 1, 0), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(table.IsValid(c.handle), c.valid);
    EXPECT_EQ(table.Get(c.handle) != nullptr, c.valid);
    if (!c.valid) {
      EXPECT_EQ(table.Delete(c.handle), -1);
    }
  }
}

TEST_F(HandleTableTest, ValidationRejectsEachKindOfBadHandle) {
  {
    SCOPED_TRACE("counted");
    SmallCounted<8> table;
    ExpectValidation(table, kGraphHandleKind, 8);
    EXPECT_EQ(table.Count(), 2);
  }
  {
    SCOPED_TRACE("first free");
    SmallFirstFree<8> table;
    ExpectValidation(table, kMovieHandleKind, 8);
  }
  {
    SCOPED_TRACE("inline records");
    FirstFreeHandleTable<Record, kMaskHandleKind, 8, TestRecords, SlotStorage::kInline> table;
    ExpectValidation(table, kMaskHandleKind, 8);
  }
}

TEST_F(HandleTableTest, RecreateFillsTheSlotOfAJustDeletedHandle) {
  CountedHandleTable<Record, kSoundHandleKind, 16, TestRecords> sounds;
  LibraryHandle a = sounds.Create();
  LibraryHandle b = sounds.Create();
  ASSERT_EQ(sounds.Delete(a), 0);
  EXPECT_EQ(sounds.Recreate(a), a);
  EXPECT_TRUE(sounds.IsValid(a));
  EXPECT_EQ(sounds.Count(), 2);
  EXPECT_EQ(sounds.NextCheck(), 2);  // the given check is used, the counter stays

  EXPECT_EQ(sounds.Recreate(b), -1);                                       // slot in use
  EXPECT_EQ(sounds.Recreate(ComposeHandle(kGraphHandleKind, 0, 5)), -1);   // other kind
  EXPECT_EQ(sounds.Recreate(ComposeHandle(kSoundHandleKind, 0, 16)), -1);  // beyond the table
  EXPECT_EQ(sounds.Recreate(-1), -1);
  EXPECT_EQ(sounds.Count(), 2);

  // A slot above the end index raises it to one past that slot.
  LibraryHandle far = ComposeHandle(kSoundHandleKind, 700, 9);
  EXPECT_EQ(sounds.Recreate(far), far);
  EXPECT_EQ(sounds.EndIndex(), 10);
  EXPECT_EQ(sounds.Get(far)->value, 0);
  EXPECT_EQ(HandleSlot(sounds.Create()), 10);
}

TEST_F(HandleTableTest, DeleteAllHandsEveryLiveHandleToTheKindsDelete) {
  SmallCounted<8> table;
  LibraryHandle h[5];
  for (LibraryHandle& x : h) x = table.Create();
  table.Delete(h[1]);
  table.Delete(h[3]);
  std::vector<LibraryHandle> seen;
  table.DeleteAll([&](LibraryHandle handle) {
    seen.push_back(handle);
    table.Delete(handle);
  });
  EXPECT_EQ(seen, (std::vector<LibraryHandle>{h[0], h[2], h[4]}));
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.EndIndex(), 0);
  for (LibraryHandle x : h) EXPECT_FALSE(table.IsValid(x));

  SmallFirstFree<4> first_free;
  LibraryHandle a = first_free.Create();
  LibraryHandle b = first_free.Create();
  first_free.DeleteAll();
  EXPECT_FALSE(first_free.IsValid(a));
  EXPECT_FALSE(first_free.IsValid(b));
  EXPECT_EQ(HandleSlot(first_free.Create()), 0);
}

TEST_F(HandleTableTest, FirstFreeTableTakesLowestFreeSlotOrTheNamedOne) {
  FirstFreeHandleTable<Record, kFontHandleKind, kFontHandleSlots, TestRecords> fonts;
  LibraryHandle h[3];
  for (LibraryHandle& x : h) x = fonts.Create();
  ASSERT_EQ(fonts.Delete(h[1]), 0);
  EXPECT_EQ(fonts.Create(), ComposeHandle(kFontHandleKind, 3, 1));

  // Rebuilding under an old handle: the named slot and check, counter untouched.
  EXPECT_EQ(fonts.Create(10, 300), ComposeHandle(kFontHandleKind, 300, 10));
  EXPECT_EQ(fonts.NextCheck(), 4);
  EXPECT_EQ(fonts.Create(20), ComposeHandle(kFontHandleKind, 4, 20));
  EXPECT_EQ(fonts.Create(10, 5), -1);                // taken
  EXPECT_EQ(fonts.Create(kFontHandleSlots, 5), -1);  // outside the table
  EXPECT_EQ(fonts.Create(-2, 5), -1);
  EXPECT_EQ(TestRecords::full_reports, 0);

  while (fonts.Create() >= 0) {
  }
  EXPECT_EQ(TestRecords::full_reports, 1);
  for (int slot = 0; slot < kFontHandleSlots; ++slot) EXPECT_GE(fonts.HandleAt(slot), 0) << slot;
}

TEST_F(HandleTableTest, InlineRecordsStartZeroedOnReuse) {
  FirstFreeHandleTable<Record, kKeyInputHandleKind, kKeyInputHandleSlots, TestRecords, SlotStorage::kInline> inputs;
  LibraryHandle a = inputs.Create();
  inputs.Get(a)->value = 77;
  inputs.Get(a)->more[2] = 5;
  ASSERT_EQ(inputs.Delete(a), 0);
  LibraryHandle b = inputs.Create();
  EXPECT_EQ(b, ComposeHandle(kKeyInputHandleKind, 1, 0));
  EXPECT_EQ(inputs.Get(b)->value, 0);
  EXPECT_EQ(inputs.Get(b)->more[2], 0);
  EXPECT_EQ(inputs.Get(a), nullptr);
}

std::vector<const HandleListNode*> Forward(const HandleListNode& head) {
  std::vector<const HandleListNode*> nodes;
  for (const HandleListNode* n = &head; n != nullptr; n = n->next) nodes.push_back(n);
  return nodes;
}

std::vector<const HandleListNode*> Backward(const HandleListNode& tail) {
  std::vector<const HandleListNode*> nodes;
  for (const HandleListNode* n = &tail; n != nullptr; n = n->previous) nodes.insert(nodes.begin(), n);
  return nodes;
}

TEST(HandleListTest, NewestNodeComesRightBehindTheHead) {
  HandleListNode head, tail, a, b;
  int owner_a = 0, owner_b = 0;
  EXPECT_EQ(InitHandleList(&head, &tail), 0);
  EXPECT_EQ(head.handle, -1);
  EXPECT_EQ(tail.handle, -1);
  EXPECT_EQ(head.owner, nullptr);
  EXPECT_EQ(Forward(head), (std::vector<const HandleListNode*>{&head, &tail}));
  EXPECT_EQ(Backward(tail), Forward(head));

  EXPECT_EQ(AddHandleListNode(&head, &a, 0x10000000, &owner_a), 0);
  EXPECT_EQ(AddHandleListNode(&head, &b, 0x10010001, &owner_b), 0);
  EXPECT_EQ(Forward(head), (std::vector<const HandleListNode*>{&head, &b, &a, &tail}));
  EXPECT_EQ(Backward(tail), Forward(head));
  EXPECT_EQ(b.handle, 0x10010001);
  EXPECT_EQ(b.owner, &owner_b);

  EXPECT_EQ(RemoveHandleListNode(&b), 0);
  EXPECT_EQ(Forward(head), (std::vector<const HandleListNode*>{&head, &a, &tail}));
  EXPECT_EQ(Backward(tail), Forward(head));
  EXPECT_EQ(b.previous, &head);  // the removed node keeps its own links
  EXPECT_EQ(b.next, &a);

  EXPECT_EQ(RemoveHandleListNode(&a), 0);
  EXPECT_EQ(Forward(head), (std::vector<const HandleListNode*>{&head, &tail}));
  EXPECT_EQ(Backward(tail), Forward(head));
}

}  // namespace
}  // namespace veziv
