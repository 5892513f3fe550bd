// Music, voices, the save screen's way back and movies.
#include "game/core/music_voices.h"

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/core/widgets.h"

namespace game {

namespace {

constexpr size_t kMusicNameBytes = 99;

bool playing(int handle) { return handle != 0 && handle != -1 && veziv::IsSoundHandlePlaying(handle) == 1; }

void playRandomVoice(const int (&table)[11]) {
  const int id = pickRandomVoice(table);
  if (id >= 0) playMenuSound(id);
}

}  // namespace

int voiceIdFor(const int (&table)[11], int32_t character) {
  if (character < 0 || character > 10) {
    veziv::PrintfToScreen("error\n");
    veziv::PrintfToScreen("ended error\n");
    return -1;
  }
  return table[character];
}

int pickRandomVoice(const int (&table)[11]) {
  if (Session().registry.voiceList.empty()) return -1;
  const int place = veziv::RandomUpTo(static_cast<int>(Session().registry.voiceList.size()) - 1);
  return voiceIdFor(table, voiceListEntry(Session().registry.voiceList, place));
}

void playNewMusic(const std::string& file) {
  veziv::StopCurrentMusic();
  Session().music.rememberedMusic = file.substr(0, kMusicNameBytes);
  veziv::PlayMusicFile(file.c_str(), veziv::SoundPlayLoop);
}

void stopMusic() {
  veziv::StopCurrentMusic();
  Session().music.rememberedMusic.clear();
}

void clearRememberedMusic() { Session().music.rememberedMusic.clear(); }

void replayMidiWithNotice() {
  if (veziv::IsMusicPlaying() == 1 || Session().music.rememberedMusic.empty()) return;
  showNowLoading("MIDIを再生しなおしています。しばらくお待ちください。");
  veziv::PresentBackBuffer();
  veziv::StopCurrentMusic();
  if (Session().settings.midiMode == 1) {
    veziv::SetMusicVolume(musicVolumeFor(Session().settings.bgmVolume));
  } else {
    veziv::SetMusicVolume(Session().settings.bgmVolume != 0 ? 255 : 0);
  }
  veziv::PlayMusicFile(Session().music.rememberedMusic.c_str(), veziv::SoundPlayLoop);
}

void stopMenuVoices() {
  for (int32_t character : Session().registry.voiceList) {
    const int id = voiceIdFor(menuVoiceIds, character);
    if (id < 0) continue;
    for (int pass = 0; pass < 2; ++pass) {
      if (playing(soundOf(id))) veziv::StopSoundHandle(soundOf(id));
    }
  }
}

bool voiceRequestRefused(bool wantSave) {
  if (Session().frame.gameMode != kModeSaveLoad) return false;
  if (wantSave) return getReturnMode(kModeSaveLoad) == 0 || Session().music.saveMode;
  return !Session().music.saveMode;
}

int32_t voiceListEntry(const std::list<int32_t>& list, int place) {
  for (int32_t entry : list) {
    if (place-- == 0) return entry;
  }
  return -1;
}

void playRandomMenuVoice() {
  if (voiceRequestRefused(true)) {
    playMenuSound(kSoundCancel);
    return;
  }
  Session().music.saveMode = true;
  stopMenuVoices();
  playRandomVoice(menuVoiceIds);
}

void playRandomStartVoice() {
  if (voiceRequestRefused(false)) {
    playMenuSound(kSoundCancel);
    return;
  }
  Session().music.saveMode = false;
  stopMenuVoices();
  playRandomVoice(startVoiceIds);
}

bool movieSkipped(bool skippable, int32_t shotHold, int mouseButtons, bool inFront) {
  return skippable && (shotHold != 0 || mouseButtons != 0) && inFront;
}

void playMovie(const std::string& file, bool skippable) {
  veziv::SetRunWhileInactive(1);
  const veziv::GraphHandle movie = veziv::ImportGraphFile(file.c_str(), 0);
  veziv::StartGraphMovie(movie, 1, 0);
  if (veziv::PumpMessages() == 0) {
    while (veziv::ReadGraphMovieStatus(movie) == 1) {
      if (movieSkipped(skippable, Session().playerInputs[0].hold[kActionShot], veziv::GetMouseButtons(),
                       veziv::IsWindowActive() == 1))
        break;
      if (skippable) updateInput(Session().playerInputs[0], 1);
      veziv::RenderGraphAtPoint(0, 0, movie, 0);
      // Without a window to show it on, the movie is over.
      if (veziv::PresentBackBuffer() != 0) break;
      veziv::WaitMilliseconds(12);
      if (veziv::PumpMessages() != 0) break;
    }
  }
  veziv::SuspendGraphMovie(movie, 0);
  veziv::FreeGraphHandle(movie, 0);
  veziv::SetRunWhileInactive(0);
}

}  // namespace game
