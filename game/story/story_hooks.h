// What the story's words need of screens that other parts of the game own:
// the message pages and page voices of the story screen, the speaker table's
// entries, the battle, the shop, the equipment screen, the movie player, the
// music and the unlock files. Each part installs its own implementation;
// until then the base class does nothing (no page, no battle, no movie), so
// that nothing pretends to have happened.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/story/story_scene.h"

namespace game::story {

class StoryHooks {
 public:
  virtual ~StoryHooks() = default;

  // The story screen: a message's pages, first page first; playing a
  // page's voice (false when none was played); the speaker table's entries.
  virtual std::vector<messagePage> splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                                         const std::string& voicePath, int32_t voiceHandle);
  virtual bool playPageVoice(messagePage& page);
  virtual void buildSpeakerTable();

  // Music and movies.
  virtual void playNewMusic(const std::string& file);
  virtual void rememberMusicName(const std::string& file);
  virtual void stopMusic();
  virtual void playMovie(const std::string& file);

  // The mode sets of the screens the story hands over to.
  virtual void loadModeResources(int32_t mode);
  virtual void unloadModeResources(int32_t mode);

  // Hand-overs: the battle of a stage folder and the items it uses up, the
  // shop, the equipment screen's choices (the first player's two items cleared).
  virtual void startBattle(const std::string& folder);
  virtual void consumeEquippedItems();
  virtual void enterShop();
  virtual void prepareEquipment();
  // The end of an in-battle story event: the battle goes on.
  virtual void endBattleStoryEvent();

  // The first player's battle character and difficulty; the story flag.
  virtual void setPlayerCharacter(int32_t character);
  virtual void setPlayerDifficulty(int32_t difficulty);
  virtual void setStoryGameFlag();

  // Unlocks: a stage, the battle mode's items, the settings file.
  virtual void openStage(int32_t stage);
  virtual void unlockBattleModeItems();
  virtual void saveConfig();
};

// The installed hooks (the base class until a part installs its own).
StoryHooks& Hooks();
// Installs hooks; null puts the base class back.
void InstallHooks(StoryHooks* hooks);

}  // namespace game::story
