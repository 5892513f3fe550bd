// Music handles and the current music. Both set-up modes play MIDI through
// the one synthesizer; they differ as their platform paths did: mode 1 takes
// a file only when it is MIDI data and keeps a play state per handle with
// the seen-playing latch, mode 0 takes any file, finds out at play time, and
// keeps one playing flag that the end of the file clears.
#include <cstring>
#include <memory>
#include <string>

#include "library/foundation/files/file_functions.h"
#include "library/foundation/core/handles.h"
#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/window/pump.h"
#include "library/veziv.h"
#include "library/sound_movie/music/music.h"
#include "library/sound_movie/sound/sound_handles.h"
#include "library/sound_movie/sound/sound_system.h"
#include "platform/midi/synth.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

struct MusicHandleData {
  uint32_t check;
  int playState;    // 1 while playing
  int seenPlaying;  // mode 1: the synthesizer has reported it playing
  void* midiImage;  // the library's own copy of the file
  int imageSize;
  int player;  // the synthesizer's player, 0 for none
  uint32_t startTime;
};

struct MusicRecordPolicy {
  static MusicHandleData* AllocateRecord() {
    auto* record = static_cast<MusicHandleData*>(AllocLibMemoryZeroed(sizeof(MusicHandleData)));
    if (record == nullptr) WriteLogText("メモリ領域の確保に失敗しました in AllocMusicHandle\n");
    return record;
  }
  static void FreeRecord(MusicHandleData* record) { FreeLibMemory(record); }
  static void OnTableFull() { WriteLogText("ミュージックデータの数が許容量を越えました終了します\n"); }
};

using MusicTable = CountedHandleTable<MusicHandleData, kMusicHandleKind, kMusicHandleSlots, MusicRecordPolicy>;

constexpr int kMusicHandle = 0;
constexpr int kMusicSound = 1;

struct MusicState {
  MusicTable table;
  int current = 0;  // a music or sound handle, 0 for none
  int current_kind = kMusicHandle;
  // Mode 0: the one playing flag, the handle last played and whether it loops.
  int midi_playing = 0;
  int last_midi = 0;
  int loop = 0;
  // The synthesizer, made once on first use; its master volume.
  std::unique_ptr<platform::midi::Synth> synth;
  bool synth_tried = false;
  int master_volume = 0;
};

MusicState& State() {
  static MusicState state;
  return state;
}

bool SoundUp() { return detail::SoundMixer() != nullptr; }
bool ModeOne() { return detail::SoundInitMode() == 1; }

MusicHandleData* Record(int handle) { return SoundUp() ? State().table.Get(handle) : nullptr; }

// The synthesizer's player for the record; mode 0 makes it at play time.
int PlayerOf(MusicHandleData* record) {
  if (record->player == 0) {
    platform::midi::Synth* synth = detail::MusicSynth();
    const int player = synth != nullptr ? synth->OpenPlayer(record->midiImage, static_cast<size_t>(record->imageSize)) : -1;
    if (player > 0) record->player = player;
  }
  return record->player;
}

}  // namespace

int AllocMusicHandle() {
  if (!SoundUp()) return -1;
  const int handle = State().table.Create();
  if (handle == -1) return -1;
  State().table.Get(handle)->check = static_cast<uint32_t>(HandleCheck(handle));
  return handle;
}

int CreateMusicFromFileImage(const void* image, int size) {
  if (image == nullptr || size < 0) return -1;
  const int handle = AllocMusicHandle();
  if (handle == -1) return -1;
  MusicHandleData* record = Record(handle);
  record->midiImage = AllocLibMemory(static_cast<size_t>(size > 0 ? size : 1));
  if (record->midiImage == nullptr) {
    WriteLogText("ミュージックデータを一時的に保存しておくメモリ領域の確保に失敗しました\n");
    ReleaseMusicHandle(handle);
    return -1;
  }
  if (size > 0) std::memcpy(record->midiImage, image, static_cast<size_t>(size));
  record->imageSize = size;
  if (ModeOne() && PlayerOf(record) == 0) {
    WriteLogText("ミュージックデータから DirectMusicSegment8 を取得する処理が失敗しました\n");
    ReleaseMusicHandle(handle);
    return -1;
  }
  record->playState = 0;
  return handle;
}

int LoadMusicFileToHandle(const char* file_name) {
  if (!SoundUp()) return -1;
  const FileHandle file = FileStreamOpen(file_name, 0, 1, 0);
  if (file == 0) {
    return WriteLogFormat("ミュージックファイル %s の読み込みに失敗しました in LoadMusicFileToHandle", file_name);
  }
  void* image = nullptr;
  int size = 0;
  const int read = ReadStreamToMemory(GetFileStreamTable(), static_cast<StreamValue>(file), &image, &size);
  FileStreamClose(file);
  if (read != 0) {
    return WriteLogFormat("ミュージックファイル %s を読み込むメモリ領域の確保に失敗しました in LoadMusicFileToHandle",
                          file_name);
  }
  const int handle = CreateMusicFromFileImage(image, size);
  FreeLibMemory(image);
  return handle;
}

int PlayMidiMusic(int handle, int play_type) {
  MusicHandleData* record = Record(handle);
  if (record == nullptr) return -1;
  MusicState& state = State();
  if (state.last_midi != 0) StopMidiMusic(state.last_midi);
  platform::midi::Synth* synth = detail::MusicSynth();
  const int player = PlayerOf(record);
  if (synth == nullptr || player == 0 || synth->Play(player, play_type == SoundPlayLoop) != 0) return -1;
  record->startTime = static_cast<uint32_t>(GetMillisecondCount(0));
  state.midi_playing = 1;
  state.last_midi = handle;
  state.loop = play_type == SoundPlayLoop ? 1 : 0;
  record->playState = 1;
  record->seenPlaying = 0;
  if (play_type == SoundPlayWait) {
    while (PumpMessagesUnlocked() == 0 && GetMusicPlayState(handle) == 1) platform::os::Sleep(1);
  }
  return 0;
}

int CloseMciMidi() {
  MusicState& state = State();
  MusicHandleData* record = Record(state.last_midi);
  platform::midi::Synth* synth = state.synth.get();
  if (state.loop && record != nullptr && synth != nullptr && record->player != 0) {
    synth->Play(record->player, true);
    state.midi_playing = 1;
  } else if (state.midi_playing) {
    if (record != nullptr && synth != nullptr && record->player != 0) synth->Stop(record->player);
    state.midi_playing = 0;
  }
  return 0;
}

int StopMidiMusic(int handle) {
  MusicHandleData* record = Record(handle);
  if (record == nullptr) return -1;
  MusicState& state = State();
  state.loop = 0;
  if (ModeOne()) {
    if (state.synth && record->player != 0) state.synth->Stop(record->player);
  } else if (handle == state.last_midi) {
    CloseMciMidi();
  }
  record->playState = 0;
  record->seenPlaying = 0;
  return 0;
}

int GetMusicPlayState(int handle) {
  MusicHandleData* record = Record(handle);
  if (record == nullptr) return -1;
  return ModeOne() ? record->playState : State().midi_playing;
}

int PollMidiPlayState() {
  if (!SoundUp()) return -1;
  MusicState& state = State();
  if (!state.synth) return 0;
  // Without an output device the synthesizer only moves on with the clock.
  detail::CatchUpSilentOutput();
  if (ModeOne()) {
    for (int slot = 0; slot < state.table.EndIndex(); ++slot) {
      MusicHandleData* record = state.table.Get(state.table.HandleAt(slot));
      if (record == nullptr || record->playState != 1) continue;
      const bool playing = state.synth->IsPlaying(record->player) == 1;
      // Until it has been seen playing, music that has not started yet counts as playing.
      if (record->seenPlaying) record->playState = playing ? 1 : 0;
      else if (playing) record->seenPlaying = 1;
    }
  } else if (state.midi_playing) {
    MusicHandleData* record = Record(state.last_midi);
    if (record == nullptr || state.synth->IsPlaying(record->player) != 1) CloseMciMidi();
  }
  return 0;
}

int ReleaseMusicHandle(int handle) {
  MusicHandleData* record = Record(handle);
  if (record == nullptr) return -1;
  MusicState& state = State();
  const bool playing = ModeOne() ? record->playState == 1 : handle == state.last_midi && state.midi_playing;
  if (playing) StopMidiMusic(handle);
  if (handle == state.last_midi) state.last_midi = 0;
  if (state.synth && record->player != 0) state.synth->ClosePlayer(record->player);
  if (record->midiImage != nullptr) {
    std::memset(record->midiImage, 0, static_cast<size_t>(record->imageSize));
    FreeLibMemory(record->midiImage);
  }
  state.table.Delete(handle);
  return 0;
}

int ReleaseMusicHandleAll() {
  if (!SoundUp()) return -1;
  State().table.DeleteAll([](int handle) { ReleaseMusicHandle(handle); });
  return 0;
}

int SetMusicVolume(int volume) {
  if (!SoundUp()) return -1;
  MusicState& state = State();
  if (state.current != 0 && state.current_kind == kMusicSound) {
    SetSoundHandleVolume(volume, state.current);
    return 0;
  }
  if (!ModeOne()) return 0;
  // The full-scale value is the synthesizer's master volume at set-up: 0.
  state.master_volume = detail::MusicMasterVolume(volume, 0);
  if (state.synth) state.synth->SetMasterVolume(state.master_volume);
  return 0;
}

int PlayMusicFile(const char* file_name, int play_type) {
  if (!SoundUp()) return -1;
  MusicState& state = State();
  if (state.current != 0) {
    if (state.current_kind == kMusicHandle) ReleaseMusicHandle(state.current);
    else DeleteSoundHandle(state.current, 0);
    state.current = 0;
  }
  const int music = LoadMusicFileToHandle(file_name);
  if (music == -1) return -1;
  state.current = music;
  state.current_kind = kMusicHandle;
  if (PlayMidiMusic(music, play_type) == 0) return 0;
  ReleaseMusicHandle(music);
  state.current = 0;
  // Not MIDI after all: the file plays as a stream sound made for it alone.
  const int create_type = GetSoundCreateType();
  SetSoundCreateType(2);
  const int sound = LoadSoundFileToHandle(file_name, 1, -1);
  SetSoundCreateType(create_type);
  if (sound == -1) return -1;
  PlaySoundHandle(sound, play_type, 1);
  state.current = sound;
  state.current_kind = kMusicSound;
  return 0;
}

int StopCurrentMusic() {
  if (!SoundUp()) return -1;
  MusicState& state = State();
  if (state.current == 0) return 0;
  if (state.current_kind == kMusicSound) {
    StopSoundHandle(state.current);
    DeleteSoundHandle(state.current, 0);
  } else {
    StopMidiMusic(state.current);
    ReleaseMusicHandle(state.current);
  }
  state.current = 0;
  return 0;
}

int IsMusicPlaying() {
  if (!SoundUp()) return -1;
  MusicState& state = State();
  if (state.current == 0) return 0;
  return state.current_kind == kMusicSound ? IsSoundHandlePlaying(state.current) : GetMusicPlayState(state.current);
}

namespace detail {

int MusicMasterVolume(int volume, int base) {
  if (volume == 255) return base;
  return static_cast<int>(int64_t{base + 10000} * volume / 256) - 10000;
}

platform::midi::Synth* MusicSynth() {
  MusicState& state = State();
  if (state.synth || state.synth_tried || !SoundUp()) return state.synth.get();
  state.synth_tried = true;
  const std::string& font = SoundFontPath();
  if (font.empty()) return nullptr;
  state.synth = platform::midi::Synth::Create(SoundMixer(), font);
  if (!state.synth) {
    WriteLogFormat("サウンドフォント %s の読み込みに失敗しました　MIDI は演奏されません", font.c_str());
    return nullptr;
  }
  state.synth->SetMasterVolume(state.master_volume);
  return state.synth.get();
}

void EndMusic() {
  MusicState& state = State();
  ReleaseMusicHandleAll();
  state.current = 0;
  state.midi_playing = 0;
  state.last_midi = 0;
  state.loop = 0;
  ForgetSoundFilePlayer();
  state.synth.reset();
  state.synth_tried = false;
  state.master_volume = 0;
}

int MusicHandleCount() { return State().table.Count(); }

}  // namespace detail
}  // namespace veziv
