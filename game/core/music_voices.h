// Music by file name, the characters' menu and start voices, the way back
// from the save screen to the title, and movies played full screen.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "library/veziv.h"

namespace game {

// The music's name and the save screen's mode, which the voices switch.
struct MusicState {
  // The file of the music that plays ("" when none), up to 99 bytes.
  std::string rememberedMusic;
  // The save and load screen's mode: true saves, false loads.
  bool saveMode = true;
};

// The menu, start, greeting and exit voices of the characters 0..10
// (voiceList's indexes).
inline constexpr int menuVoiceIds[11] = {31, 25, 55, 49, 43, 37, 77, 61, 69, 73, 65};
inline constexpr int startVoiceIds[11] = {32, 26, 56, 50, 44, 38, 78, 62, 70, 74, 66};
inline constexpr int greetingVoiceIds[11] = {33, 27, 57, 51, 45, 39, 79, 63, 71, 75, 67};
inline constexpr int exitVoiceIds[11] = {36, 30, 60, 54, 48, 42, 80, 64, 72, 76, 68};
// The voice id of a character index from one of the tables; -1 (after the
// two screen-log lines) for an index outside 0..10.
int voiceIdFor(const int (&table)[11], int32_t character);

// Stops the music and plays a file looping, remembering its name.
void playNewMusic(const std::string& file);
// Stops the music and forgets its name.
void stopMusic();
// Forgets the music's name.
void clearRememberedMusic();
// Plays the remembered music again when it stopped, under a notice.
void replayMidiWithNotice();
// Stops every character's menu voice that plays.
void stopMenuVoices();
// The save and load screen's switches: a menu voice sets the save mode, a
// start voice the load mode. In that screen a switch to the mode it is in
// (or to saving when opened from the title) plays the cancel sound instead.
void playRandomMenuVoice();
void playRandomStartVoice();
// Whether a voice request is refused in the current mode (wantSave: the
// menu voice's request).
bool voiceRequestRefused(bool wantSave);
// The voice of a character drawn at random from voiceList, from a table of
// voices by character; -1 for an empty list or an index outside 0..10.
int pickRandomVoice(const int (&table)[11]);
// The entry at a place of a voice list, -1 past its end.
int32_t voiceListEntry(const std::list<int32_t>& list, int place);
// Whether a frame of a movie ends it: a skippable one, the shot key held or
// a mouse button down, and the window in front.
bool movieSkipped(bool skippable, int32_t shotHold, int mouseButtons, bool inFront);
// Plays a movie modally at (0, 0); skippable: the shot key or a mouse
// button ends it while the window is in front.
void playMovie(const std::string& file, bool skippable);

}  // namespace game
