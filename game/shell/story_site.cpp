#include "game/shell/story_site.h"

namespace game {

namespace {
StorySite* installed = nullptr;
}  // namespace

StorySite* storySite() { return installed; }
void installStorySite(StorySite* site) { installed = site; }

}  // namespace game
