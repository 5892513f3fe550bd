// The story screen: the story mode's frame, what the story's words hand over
// to the game, and what the shell and the battle ask of the story.
#include "game/story/story_screen.h"

#include <algorithm>

#include "game/battle/battle_frame.h"
#include "game/battle/stage.h"
#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/music_voices.h"
#include "game/core/records.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/unlocks.h"
#include "game/story/story_hooks.h"
#include "game/story/story_slots.h"
#include "library/veziv.h"

namespace game::story {

namespace {

constexpr int kStoryImages[] = {35, 36, 81, 82, 83, 86, 87, 260, 221};
constexpr int kLoopingSound = 13;

}  // namespace

StoryState& State() {
  StoryModeHooks* story = Session().story;
  if (story == nullptr) {
    veziv::PrintfToScreen("no story is installed\n");
    std::abort();
  }
  return static_cast<StoryScreen*>(story)->state();
}

std::vector<messagePage> StoryScreenHooks::splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                                                 const std::string& voicePath, int32_t voiceHandle) {
  return story::splitMessageIntoPages(speaker, text, voicePath, voiceHandle);
}
bool StoryScreenHooks::playPageVoice(messagePage& page) { return story::playPageVoice(page); }
void StoryScreenHooks::buildSpeakerTable() { story::buildSpeakerTable(); }

void StoryScreenHooks::playSound(int soundId) { playMenuSound(soundId); }
void StoryScreenHooks::playNewMusic(const std::string& file) { game::playNewMusic(file); }
void StoryScreenHooks::rememberMusicName(const std::string& file) { Session().music.rememberedMusic = file; }
void StoryScreenHooks::stopMusic() { game::stopMusic(); }
void StoryScreenHooks::playMovie(const std::string& file) { game::playMovie(file, false); }

void StoryScreenHooks::loadModeResources(int32_t mode) { game::loadModeResources(mode, true); }
void StoryScreenHooks::unloadModeResources(int32_t mode) { game::unloadModeResources(mode); }

void StoryScreenHooks::startBattle(const std::string& folder) { battle::startBattle(folder.c_str()); }
void StoryScreenHooks::consumeEquippedItems() { game::consumeEquippedItems(); }
void StoryScreenHooks::endBattleStoryEvent() {
  if (battle::battleStage* stage = battle::currentStage()) stage->storyEventActive = 0;
}

void StoryScreenHooks::setPlayerCharacter(int32_t character) {
  Session().play.playerHeaders[0].battleCharacter = character;
}
void StoryScreenHooks::setPlayerDifficulty(int32_t difficulty) {
  Session().play.playerHeaders[0].difficulty = difficulty;
}
void StoryScreenHooks::setStoryGameFlag() { Session().play.storyGameFlag = 1; }

void StoryScreenHooks::openStage(int32_t stage) {
  Session().openStages[stage] = 1;
  unlockStage(false);
}
void StoryScreenHooks::unlockBattleModeItems() { game::unlockBattleModeItems(false); }
void StoryScreenHooks::saveConfig() { game::saveConfig(); }

StoryScreen::StoryScreen() { state_.hooks = &hooks_; }

bool StoryScreen::frame() {
  // The text speed is the settings' own (the settings screen changes it there).
  state_.scene.textSpeed = Session().settings.textSpeed;
  return !updateStoryScene();
}

void StoryScreen::startNewStory() {
  resetScenario(kFirstScript);
  stepScenario(false);
}

void StoryScreen::stepStory() { stepScenario(false); }

void StoryScreen::runLine(const std::string& line) { executeScriptLine(true, false, line); }
void StoryScreen::revealPage() { state_.scene.revealMs += 10000; }
storySection StoryScreen::saveSection() { return currentStorySection(); }
void StoryScreen::loadSection(const storySection& section, bool insideBattle) {
  restoreStorySection(section, insideBattle);
}
void StoryScreen::releaseResources() { releaseStoryResources(); }
void StoryScreen::applyVoiceVolume() { applyStoryVoiceVolume(); }

void StoryScreen::forgetVoices() {
  for (messagePage& page : state_.scene.pages) page.voiceHandle = -1;
}

void StoryScreen::reloadVoices() { reloadStoryVoices(); }
void StoryScreen::reloadGraphs() { reloadStoryGraphs(); }

void StoryScreen::insertLines(const std::vector<std::string>& lines, bool skipPast) {
  auto& script = state_.scene.scriptLines;
  const size_t at = std::clamp<size_t>(static_cast<size_t>(std::max(state_.scene.lineIndex, 0)), 0, script.size());
  script.insert(script.begin() + static_cast<long>(at), lines.begin(), lines.end());
  if (skipPast) state_.scene.lineIndex = static_cast<int32_t>(at + lines.size());
}

void StoryScreen::startInsert() {
  if (state_.speakerTable.empty()) story::buildSpeakerTable();
  state_.scene.textComplete = 0;
  stepScenario(false);
  for (int id : kStoryImages) {
    if (!isGraphLoaded(id)) loadGraphById(id);
  }
  if (veziv::IsSoundHandlePlaying(soundOf(kLoopingSound)) == 1) {
    veziv::SetSoundHandleVolume(static_cast<int>(Session().settings.seVolume * 0.1), soundOf(kLoopingSound));
  }
}

void StoryScreen::runWindow() {
  state_.scene.textSpeed = Session().settings.textSpeed;
  // The battle counts no mouse buttons of its own for the first player:
  // a choice in a story insert is clicked on these.
  if (Session().frame.gameMode == kModeBattle) updateMouseButtons(Session().playerInputs[0]);
  runStoryWindow();
}

void StoryScreen::advanceText() { advanceStoryText(1); }

uint32_t StoryScreen::speakerColour(const std::string& speaker) {
  if (state_.speakerTable.empty()) story::buildSpeakerTable();
  return getSpeakerColor(speaker);
}

}  // namespace game::story
