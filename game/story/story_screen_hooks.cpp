// The story screen's side of the hooks: what the story's words need of the
// screen and the shell, and what the shell and the battle need of the story.
#include <algorithm>

#include "game/battle/battle_frame.h"
#include "game/battle/stage.h"
#include "game/shell/battle_site.h"
#include "game/shell/equipment.h"
#include "game/shell/frame_loop.h"
#include "game/shell/input.h"
#include "game/shell/music_voices.h"
#include "game/shell/records.h"
#include "game/shell/resources.h"
#include "game/shell/settings.h"
#include "game/shell/shop.h"
#include "game/shell/story_site.h"
#include "game/shell/unlocks.h"
#include "game/story/story_hooks.h"
#include "game/story/story_screen.h"
#include "game/story/story_slots.h"
#include "library/veziv.h"

namespace game::story {

namespace {

constexpr int kStoryImages[] = {35, 36, 81, 82, 83, 86, 87, 260, 221};
constexpr int kLoopingSound = 13;

class ScreenHooks : public StoryHooks {
 public:
  std::vector<messagePage> splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                                 const std::string& voicePath, int32_t voiceHandle) override {
    return story::splitMessageIntoPages(speaker, text, voicePath, voiceHandle);
  }
  bool playPageVoice(messagePage& page) override { return story::playPageVoice(page); }
  void buildSpeakerTable() override { story::buildSpeakerTable(); }

  void playNewMusic(const std::string& file) override { game::playNewMusic(file); }
  void rememberMusicName(const std::string& file) override { rememberedMusic = file; }
  void stopMusic() override { game::stopMusic(); }
  void playMovie(const std::string& file) override { game::playMovie(file, false); }

  void loadModeResources(int32_t mode) override { game::loadModeResources(mode, true); }
  void unloadModeResources(int32_t mode) override { game::unloadModeResources(mode); }

  void startBattle(const std::string& folder) override {
    installBattleSite();
    battle::startBattle(folder.c_str());
  }
  void endBattleStoryEvent() override {
    if (battle::battleStage* stage = battle::currentStage()) stage->storyEventActive = 0;
  }

  void setPlayerCharacter(int32_t character) override { playerHeaders[0].battleCharacter = character; }
  void setPlayerDifficulty(int32_t difficulty) override { playerHeaders[0].difficulty = difficulty; }
  void setStoryGameFlag() override { storyGameFlag = 1; }

  void openStage(int32_t stage) override {
    openStages[stage] = 1;
    unlockStage(false);
  }
  void unlockBattleModeItems() override { game::unlockBattleModeItems(false); }
  void saveConfig() override { game::saveConfig(); }
  void enterShop() override { game::enterShop(); }
  void prepareEquipment() override { game::prepareStoryEquipment(); }
};

class ShellSide : public StorySite {
 public:
  bool frame() override {
    // The text speed is the settings' own (the settings screen changes it there).
    storyScene.textSpeed = settingsRecord.textSpeed;
    return updateStoryScene();
  }
  void startStory(const std::string& script) override { resetScenario(script); }
  // As the next input does: the page that comes is revealed from its start.
  void stepStory() override {
    storyScene.textComplete = 0;
    stepScenario(false);
  }
  void runLine(const std::string& line) override { executeScriptLine(true, false, line); }
  void saveState(battle::RecordWriter& out) override { saveStoryState(out); }
  bool loadState(battle::RecordReader& in, bool insideBattle) override { return loadStoryState(in, insideBattle); }
  void releaseResources() override { releaseStoryResources(); }
  void applyVoiceVolume() override { applyStoryVoiceVolume(); }
  void reloadGraphs() override { reloadStoryGraphs(); }

  void insertLines(const std::vector<std::string>& lines, bool skipPast) override {
    auto& script = storyScene.scriptLines;
    const size_t at = std::clamp<size_t>(static_cast<size_t>(std::max(storyScene.lineIndex, 0)), 0, script.size());
    script.insert(script.begin() + static_cast<long>(at), lines.begin(), lines.end());
    if (skipPast) storyScene.lineIndex = static_cast<int32_t>(at + lines.size());
  }
  void startInsert() override {
    if (speakerTable.empty()) story::buildSpeakerTable();
    storyScene.textComplete = 0;
    stepScenario(false);
    for (int id : kStoryImages) {
      if (!isGraphLoaded(id)) loadGraphById(id);
    }
    if (veziv::IsSoundHandlePlaying(soundOf(kLoopingSound)) == 1) {
      veziv::SetSoundHandleVolume(static_cast<int>(settingsRecord.seVolume * 0.1), soundOf(kLoopingSound));
    }
  }
  void runWindow() override {
    storyScene.textSpeed = settingsRecord.textSpeed;
    // The battle counts no mouse buttons of its own for the first player:
    // a choice in a story insert is clicked on these.
    if (gameMode == kModeBattle) updateMouseButtons(playerInputs[0]);
    runStoryWindow();
  }
  void advanceText() override { advanceStoryText(1); }
  uint32_t speakerColour(const std::string& speaker) override {
    if (speakerTable.empty()) story::buildSpeakerTable();
    return getSpeakerColor(speaker);
  }
};

ScreenHooks screenHooks;
ShellSide shellSide;

}  // namespace

void installStoryScreen() {
  InstallHooks(&screenHooks);
  installStorySite(&shellSide);
}

}  // namespace game::story
