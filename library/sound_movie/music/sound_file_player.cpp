// The sound-file player: one sound handle through which the story plays a
// sound file by name; each play frees the sound before.
#include "library/sound_movie/music/music.h"
#include "library/sound_movie/sound/sound_handles.h"
#include "library/sound_movie/sound/sound_system.h"

namespace veziv {
namespace {

int g_player_sound = -1;

}  // namespace

int PlayFileThroughSoundPlayer(const char* file_name, int play_type) {
  if (detail::SoundMixer() == nullptr) return -1;
  if (g_player_sound != -1) DeleteSoundHandle(g_player_sound, 0);
  g_player_sound = LoadSoundFileToHandle(file_name, 1, -1);
  if (g_player_sound == -1) return -1;
  PlaySoundHandle(g_player_sound, play_type, 1);
  return 0;
}

int StopFileSoundPlayer() {
  if (detail::SoundMixer() == nullptr) return -1;
  if (g_player_sound == -1) return 0;
  return StopSoundHandle(g_player_sound);
}

int IsSoundFilePlaying() {
  if (detail::SoundMixer() == nullptr) return -1;
  if (g_player_sound == -1) return 0;
  return IsSoundHandlePlaying(g_player_sound);
}

namespace detail {

void ForgetSoundFilePlayer() { g_player_sound = -1; }

}  // namespace detail
}  // namespace veziv
