// The resource registry's ids as the game's code names them: the sizes of the
// handle tables, taken from the table of ids and files (registry_table.inc),
// and one constant for each id the code uses by name (registry_names.inc).
// A name whose id has no row in the table, or an id named twice, stops the
// build here. The header needs nothing else, so every game folder, the
// battle included, takes its names from it.
#pragma once

namespace game {

namespace registry_check {

constexpr int imageIdEnd() {
  int end = 0;
#define VEZIV_IMAGE(id, path) end = (id) + 1 > end ? (id) + 1 : end;
#include "game/core/registry_table.inc"
  return end;
}

constexpr int soundIdEnd() {
  int end = 0;
#define VEZIV_SOUND(id, path) end = (id) + 1 > end ? (id) + 1 : end;
#include "game/core/registry_table.inc"
  return end;
}

constexpr bool hasImage(int wanted) {
#define VEZIV_IMAGE(id, path) \
  if ((id) == wanted) return true;
#include "game/core/registry_table.inc"
  return false;
}

constexpr bool hasSound(int wanted) {
#define VEZIV_SOUND(id, path) \
  if ((id) == wanted) return true;
#include "game/core/registry_table.inc"
  return false;
}

}  // namespace registry_check

inline constexpr int kImageIdCount = registry_check::imageIdEnd();
inline constexpr int kSoundIdCount = registry_check::soundIdEnd();

#define VEZIV_IMAGE_NAME(name, id) inline constexpr int name = id;
#define VEZIV_SOUND_NAME(name, id) inline constexpr int name = id;
#include "game/core/registry_names.inc"

namespace registry_check {

// Every named id has its row in the table.
constexpr bool everyNameHasARow() {
#define VEZIV_IMAGE_NAME(name, id) \
  if (!hasImage(id)) return false;
#define VEZIV_SOUND_NAME(name, id) \
  if (!hasSound(id)) return false;
#include "game/core/registry_names.inc"
  return true;
}

// No id of one kind has two names.
constexpr bool noIdNamedTwice() {
  bool image[kImageIdCount] = {};
  bool sound[kSoundIdCount] = {};
#define VEZIV_IMAGE_NAME(name, id) \
  if (image[id]) return false;     \
  image[id] = true;
#define VEZIV_SOUND_NAME(name, id) \
  if (sound[id]) return false;     \
  sound[id] = true;
#include "game/core/registry_names.inc"
  return true;
}

static_assert(everyNameHasARow(), "a name in registry_names.inc has no row in registry_table.inc");
static_assert(noIdNamedTwice(), "an id has two names in registry_names.inc");

}  // namespace registry_check

}  // namespace game
