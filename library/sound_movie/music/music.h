// Music: one current piece, played as MIDI through the synthesizer of
// platform/midi when the file is MIDI data and otherwise (in set-up mode 0)
// as a stream sound; music handles that hold each MIDI file; the music
// volume; and the sound-file player, one sound handle through which the
// story plays sound files by name. Every call returns -1 while sound is down.
// Depends on the sound system, the sound handles, the MIDI player and the
// foundation's handles, files, log and pump.
#pragma once

#include "library/veziv.h"

namespace platform::midi {
class Synth;
}

namespace veziv {


// The library's own.
int AllocMusicHandle();
// A music handle over a copy of the file, or -1.
int LoadMusicFileToHandle(const char* file_name);
// A music handle over a copy of the image; in mode 1, -1 for data that is no MIDI.
int CreateMusicFromFileImage(const void* image, int size);
// Stops the MIDI last played and plays this one (play type 3: for ever). 0, -1.
int PlayMidiMusic(int handle, int play_type);
int StopMidiMusic(int handle);
// 1 playing, 0 not, -1 for a handle that is not valid.
int GetMusicPlayState(int handle);
int ReleaseMusicHandle(int handle);
int ReleaseMusicHandleAll();
// Each pump pass: notes the MIDI music that has ended.
int PollMidiPlayState();
// Mode 0's end notice of the MIDI playing: a looping play starts again,
// another one is over.
int CloseMciMidi();

namespace detail {
// Mode 1's master volume for a music volume of 0..255 over the full-scale value.
int MusicMasterVolume(int volume, int base);
// The synthesizer, made on first use from the sound font found at set-up;
// null when there is none or it does not load (logged once).
platform::midi::Synth* MusicSynth();
// Sound's end: every music handle released, no current music, no player
// sound, the synthesizer gone.
void EndMusic();
// The sound-file player's sound is gone with every sound handle.
void ForgetSoundFilePlayer();
int MusicHandleCount();
}  // namespace detail

}  // namespace veziv
