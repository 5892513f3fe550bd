// The hooks' base: nothing happens until the part that owns a call installs it.
#include "game/story/story_hooks.h"

#include "game/story/story_state.h"
#include "library/veziv.h"

namespace game::story {

std::vector<messagePage> StoryHooks::splitMessageIntoPages(const std::string&, const std::string&,
                                                           const std::string&, int32_t) {
  return {};
}
bool StoryHooks::playPageVoice(messagePage&) { return false; }
void StoryHooks::buildSpeakerTable() {}
void StoryHooks::playSound(int) {}
void StoryHooks::playNewMusic(const std::string&) {}
void StoryHooks::rememberMusicName(const std::string&) {}
void StoryHooks::stopMusic() {}
void StoryHooks::playMovie(const std::string& file) {
  veziv::PrintfToScreen("movie not played: %s\n", file.c_str());
}
void StoryHooks::loadModeResources(int32_t) {}
void StoryHooks::unloadModeResources(int32_t) {}
void StoryHooks::startBattle(const std::string&) {}
void StoryHooks::consumeEquippedItems() {}
void StoryHooks::endBattleStoryEvent() {}
void StoryHooks::setPlayerCharacter(int32_t) {}
void StoryHooks::setPlayerDifficulty(int32_t) {}
void StoryHooks::setStoryGameFlag() {}
void StoryHooks::openStage(int32_t) {}
void StoryHooks::unlockBattleModeItems() {}
void StoryHooks::saveConfig() {}

StoryHooks& Hooks() {
  StoryState& state = State();
  return state.hooks != nullptr ? *state.hooks : state.noHooks;
}
void InstallHooks(StoryHooks* hooks) { State().hooks = hooks; }

}  // namespace game::story
