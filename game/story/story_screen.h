// The story screen on the story scene: the speakers with their page voices
// and the story pictures, the message window with its pages and reveal, the
// frame of the story mode with its menu, the log view and the choices.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/core/story_mode_hooks.h"
#include "game/story/story_hooks.h"
#include "game/story/story_scene.h"
#include "game/story/story_state.h"

namespace game::story {

// --- Speakers, voices and pictures ------------------------------------------

// Inserts the fourteen speakers; a name already in the table keeps its entry.
void buildSpeakerTable();
// The speaker's name colour; 0 for a name not in the table.
uint32_t getSpeakerColor(const std::string& name);
// The entry of a name, or null; the table never gains an entry by a lookup.
const speakerEntry* findSpeaker(const std::string& name);
// The voice switch (0..6) of a voice path by the character id it contains;
// -1 when it names none.
int voiceSwitchIndex(const std::string& voicePath);
// Plays a page's voice (stopping the others); false when none was played.
bool playPageVoice(messagePage& page);
// Stops the voice of every page.
void stopPageVoices();
// After a sound change: the voices that do not play are freed and every
// page's voice is loaded again.
void reloadStoryVoices();
// After a volume change: the voice volume reaches every loaded page voice.
void applyStoryVoiceVolume();
// One frame of one picture: its move, its draw and its fade.
void updateStoryGraph(storyGraph& picture, bool skip);
// Every picture in name order; a picture that has faded out for removal is
// removed and its graph freed.
void drawStoryGraphs(bool skip);
// After a screen change: every picture's graph from its file again, and the
// faces shown.
void reloadStoryGraphs();

// --- The message window ---------------------------------------------------

// The alpha the story screen is drawn at this frame (255, less while a wait
// fades the screen in), and the blend put back to it after a draw of its own.
int storyScreenAlpha();
void restoreStoryBlend();
// The highlight's brightness, 100..200 over 36 frames.
int pulseBrightness();
// Whether the mouse is in an area (bounds included), once it moved or
// while hovering needs no move.
bool storyHover(int x1, int y1, int x2, int y2);
// Reads the mouse position and whether it moved since the last reading.
void readStoryMouse();

// The width in pixels of the first n bytes of a text.
using TextMeasure = std::function<int(const char* text, int bytes)>;
// The message font's measure.
int measureMessageText(const char* text, int bytes);
// The bytes of the Shift-JIS character that starts at text[i] (1 or 2).
size_t characterBytes(const std::string& text, size_t i);
// The characters of a text (a lead byte with its trail byte counts once).
int characterCount(const std::string& text);

messagePage makeMessagePage(const std::string& speaker, const std::string& voice, int32_t voiceHandle,
                            const std::vector<std::string>& lines);
// A message's pages, first page first: lines up to 600 pixels wide (and
// at most 63 bytes, cut between characters), "$" breaks a line, four lines
// a page.
std::vector<messagePage> splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                               const std::string& voicePath, int32_t voiceHandle,
                                               const TextMeasure& measure = measureMessageText);
// Characters shown of the page after revealMs at a text speed (characters a
// second), less the three of the fade-in; computed wide, so no reveal time
// turns it negative.
int32_t revealAllowance(int32_t revealMs, int32_t textSpeed);

// Draws a page revealed up to an allowance; true when it is wholly shown.
bool drawMessagePage(const speakerEntry& speaker, const messagePage& page, int32_t allowance);
void drawWholeMessagePage(const speakerEntry& speaker, const messagePage& page);
void drawMessageWindow();
// The whole story screen for one frame.
void drawStoryScreen();
// The reduced window of the shop and the battle's story inserts.
void runStoryWindow();
// The next input, count times.
void advanceStoryText(int32_t count);
void toggleMessageWindow();
bool isMouseOnStoryMenu();

// --- The frame and the menu ----------------------------------------------------

// One frame's readings of the story's own keys.
struct StoryKeys {
  bool hide = false;     // space or backspace
  bool control = false;  // either control key
  int wheel = 0;         // wheel notches, + away from the player
};
// One frame of the story mode; false asks the program to end.
bool updateStoryScene();
// A frame's keys: hiding the window, the menu cursor, the wheel over the
// log, skipping while control is held, then the menu's and the text's
// keys; false asks the program to end.
bool applyStoryInput(const StoryKeys& keys);
// The item under the menu cursor.
void runStoryMenuAction();

// --- The log and the choices -------------------------------------------------------

bool scrollLogBack(int32_t count);
// The log view's rows, bottom up: a separator, then the page above it (its
// index in the page list, -1 for none) with its top.
struct LogRow {
  int separatorY;
  int page;
  int y;
};
std::vector<LogRow> logRows();
void drawLogView();
void drawLogPage(int y, const speakerEntry* speaker, messagePage& page);
void runStoryChoice();
// Records the answer k of the open choice and runs its block.
void chooseStoryOption(int32_t k);
// The y of option i (1-based) of n.
inline int choiceOptionY(int i, int n) { return (400 - 30 * n) / 2 + 30 * (i - 1); }
// The repeat rule of the log's held buttons: the first frame, then every
// 10th, every 3rd once held 100 frames.
inline bool logRepeatFires(int32_t hold) {
  if (hold == 1) return true;
  if (hold <= 1) return false;
  return hold >= 100 ? hold % 3 == 0 : hold % 10 == 0;
}
// The log's scroll thumb: its length and its top, or false when the list
// has too few pages to scroll.
struct LogThumb {
  int length = 0;
  int top = 0;
};
bool logThumbGeometry(int32_t pageCount, int32_t logOffset, LogThumb* thumb);

// Plays a sound id once from its start.
void playStorySound(int soundId);

// --- The story screen ----------------------------------------------------------

// What the story's words hand over to the screens and services of the game.
class StoryScreenHooks final : public StoryHooks {
 public:
  std::vector<messagePage> splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                                 const std::string& voicePath, int32_t voiceHandle) override;
  bool playPageVoice(messagePage& page) override;
  void buildSpeakerTable() override;
  void playSound(int soundId) override;
  void playNewMusic(const std::string& file) override;
  void rememberMusicName(const std::string& file) override;
  void stopMusic() override;
  void playMovie(const std::string& file) override;
  void loadModeResources(int32_t mode) override;
  void unloadModeResources(int32_t mode) override;
  void startBattle(const std::string& folder) override;
  void consumeEquippedItems() override;
  void endBattleStoryEvent() override;
  void setPlayerCharacter(int32_t character) override;
  void setPlayerDifficulty(int32_t difficulty) override;
  void setStoryGameFlag() override;
  void openStage(int32_t stage) override;
  void unlockBattleModeItems() override;
  void saveConfig() override;
};

// The story mode's screen and the story as the shell reaches it. It owns
// the story's state; the program's entry (or a test) makes it and installs
// it in the session.
class StoryScreen final : public StoryModeHooks {
 public:
  StoryScreen();
  StoryScreen(const StoryScreen&) = delete;
  StoryScreen& operator=(const StoryScreen&) = delete;

  StoryState& state() { return state_; }

  bool frame() override;
  void startNewStory() override;
  void stepStory() override;
  void runLine(const std::string& line) override;
  void revealPage() override;
  storySection saveSection() override;
  void loadSection(const storySection& section, bool insideBattle) override;
  void releaseResources() override;
  void applyVoiceVolume() override;
  void forgetVoices() override;
  void reloadVoices() override;
  void reloadGraphs() override;
  void insertLines(const std::vector<std::string>& lines, bool skipPast) override;
  void startInsert() override;
  void runWindow() override;
  void advanceText() override;
  uint32_t speakerColour(const std::string& speaker) override;

 private:
  StoryState state_;
  StoryScreenHooks hooks_;
};

}  // namespace game::story
