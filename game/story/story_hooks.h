// What the story's words need of the story screen and of the game around
// it: the message pages and page voices, the speaker table's entries, music
// and movies, the mode sets, the battle, the first player's header and the
// unlock files. The story screen installs its own; the base class does
// nothing (no page, no battle, no movie), so that the words can be run and
// watched on their own.
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

  // A sound id played once from its start; music and movies.
  virtual void playSound(int soundId);
  virtual void playNewMusic(const std::string& file);
  virtual void rememberMusicName(const std::string& file);
  virtual void stopMusic();
  virtual void playMovie(const std::string& file);

  // The mode sets of the screens the story hands over to.
  virtual void loadModeResources(int32_t mode);
  virtual void unloadModeResources(int32_t mode);

  // The battle of a stage folder and the equipped items it uses up.
  virtual void startBattle(const std::string& folder);
  virtual void consumeEquippedItems();
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

// The installed story's hooks (the base class when none are installed).
StoryHooks& Hooks();
// Installs hooks into the installed story; null puts the base class back.
void InstallHooks(StoryHooks* hooks);

}  // namespace game::story
