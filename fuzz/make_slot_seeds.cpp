// Writes the slot_file seeds: the loadable slot fixtures of every kind and
// the damaged ones (run by hand: make_slot_seeds fuzz/corpus).
#include "fuzz/seed_writer.h"
#include "game/core/slot_fixtures_test_support.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  veziv::fuzzing::SeedRoot() = argv[1];
  for (const auto& f : game::test::loadableSlotFixtures()) veziv::fuzzing::Seed("slot_file", f.name, f.bytes);
  for (const auto& f : game::test::damagedSlotFixtures()) veziv::fuzzing::Seed("slot_file", f.name, f.bytes);
  return 0;
}
