// The in-battle events of a stage folder's "events.txt": story inserts that
// stop the battle for the story window, radio messages with a voice and a
// picture, and music changes, each firing once the scroll passes its map y.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game/battle/stage.h"

namespace game::battle {

// The event an event line makes: false for a line without "@event" or of
// another kind.
bool parseEventLine(std::string_view line, stageEvent& event);
// The parts of a radio line "(speaker,voice,imageId) message"; false when a
// part is missing.
struct RadioLine {
  std::string speaker, voice, message;
  int imageId = 0;
};
bool parseRadioLine(std::string_view line, RadioLine& radio);
// The music file of a SWITCH_BGM line, "" when it names none.
std::string switchedMusic(std::string_view line);
// The body of a story insert: the lines after the event line up to and
// including the first that holds "@endEvent".
std::vector<std::string> storyInsertLines(const std::vector<std::string>& lines, int eventLine);
// Reads the lines of a text into events (no file access): the records, and
// eventIndex -1 when there is none.
void readStageEvents(battleStage& stage, const std::vector<std::string>& lines);

// Reads "events.txt" of the stage's folder and loads the radio voices.
void loadStageEvents(battleStage& stage);
// Runs every event that is due, in order. fastForward: after a slot load,
// only music changes take effect. storyAllowed false (the finished battle):
// story inserts are passed over unrun.
void runStageEvent(battleStage& stage, bool fastForward, bool storyAllowed = true);
// Deletes every radio voice of the stage.
void releaseRadioVoices();
// After a restart of the sound system, which took every sound handle with
// it: forgets the radio voices without deleting them (their numbers may
// name new sounds now) and loads those of the events still to come.
void reloadRadioVoicesAfterSoundRestart(const battleStage& stage);
// The radio voice of an event number, -1 when none.
int radioVoiceOf(int eventNumber);

// The longest radio message shown: a messege effect's text holds 127 bytes.
constexpr int kRadioMessageBytes = 128;

}  // namespace game::battle
