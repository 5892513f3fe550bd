// The sound system's start, end and mode, over the mixer and the SDL device.
#include "library/sound_movie/sound/sound_system.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "library/foundation/window/call_sites.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/memory_log/log.h"
#include "library/sound_movie/music/music.h"
#include "library/sound_movie/readers/sound_decoder.h"
#include "library/sound_movie/sound/sound_buffers.h"
#include "library/sound_movie/sound/sound_handles.h"
#include "library/sound_movie/sound/stream_calls.h"
#include "platform/audio/device.h"
#include "platform/audio/mixer.h"
#include "platform/midi/synth.h"
#include "platform/os/clock.h"

namespace veziv {
namespace {

constexpr int kSilentBufferBytes = 400;
// The longest stretch of time one catch-up renders without a device.
constexpr uint64_t kMaxCatchUpUs = 10'000'000;
constexpr int kCatchUpChunkFrames = 4096;

// SDL converts whatever the hardware takes, so the output offers every format.
constexpr detail::SoundDeviceCaps kOutputCaps = {true,  true,  true,  true,  true,   true,
                                                 true,  true,  100,   200000, 0u,   0u};

struct SoundSystemState {
  std::unique_ptr<platform::audio::Mixer> mixer;  // non-null: sound is up
  int mode = 0;
  bool device_open = false;
  SoundBufferWrapper silent_buffer{};
  std::string sound_font;
  // The clock time the mixer has been moved on to while there is no device.
  uint64_t silent_output_us = 0;
  uint64_t silent_output_rest = 0;  // frames x 1000000 not yet rendered
  bool device_allowed = true;
  std::string (*find_sound_font)() = nullptr;
};

SoundSystemState& State() {
  static SoundSystemState state;
  return state;
}

const char* OkNo(bool flag) { return flag ? "OK" : "NO"; }

void LogDevice(const platform::audio::DeviceDescription& description) {
  const detail::SoundDeviceCaps& caps = kOutputCaps;
  IncreaseLogIndent();
  WriteLogText("DirectSound デバイスを列挙します\n");
  IncreaseLogIndent();
  if (description.outputs.empty()) {
    WriteLogFormat("モジュール名:%15s  ドライバ記述:%s ", description.driver.c_str(), "");
  }
  for (const std::string& output : description.outputs) {
    WriteLogFormat("モジュール名:%15s  ドライバ記述:%s ", description.driver.c_str(), output.c_str());
  }
  DecreaseLogIndent();
  WriteLogFormat("最大サンプリングレート:%.2fKHz 最小サンプリングレート:%.2fKHz ", caps.maxSecondaryRate * 0.001,
                 caps.minSecondaryRate * 0.001);
  WriteLogFormat("総サウンドメモリ領域:%.2fKB 空きサウンドメモリ領域:%.2fKB ", caps.totalHardwareBytes * 0.00390625,
                 caps.freeHardwareBytes * 0.00390625);
  WriteLogText("利用可能サンプリング精度\n");
  WriteLogFormat(" プライマリ １６bit = %s  ８bit = %s ", OkNo(caps.primary16Bit), OkNo(caps.primary8Bit));
  WriteLogFormat(" セカンダリ １６bit = %s  ８bit = %s ", OkNo(caps.secondary16Bit), OkNo(caps.secondary8Bit));
  WriteLogText("利用可能チャンネル\n");
  WriteLogFormat(" プライマリ MONO = %s  STEREO = %s ", OkNo(caps.primaryMono), OkNo(caps.primaryStereo));
  WriteLogFormat(" セカンダリ MONO = %s  STEREO = %s ", OkNo(caps.secondaryMono), OkNo(caps.secondaryStereo));
  DecreaseLogIndent();
}

// The mixer at the primary format's rate and, when one can be had, the
// device pulling it. No device leaves sound up without output.
void OpenOutput(platform::audio::DeviceDescription* description) {
  SoundSystemState& state = State();
  const detail::PrimaryFormat primary = detail::ChoosePrimaryFormat(kOutputCaps);
  state.mixer = std::make_unique<platform::audio::Mixer>(primary.rate);
  state.device_open = state.device_allowed && platform::audio::OpenDevice(state.mixer.get(), description);
  if (!state.device_open) {
    description->driver = "none";
    WriteLogText("サウンドの出力デバイスが開けませんでした　音は出力されません\n");
  }
  state.silent_output_us = platform::os::MicrosecondClock();
  state.silent_output_rest = 0;
}

void StartSilentBuffer() {
  SoundSystemState& state = State();
  const SoundWaveFormat silent{kWaveFormatPcm, 2, 44100, 176400, 4, 16, 0};
  if (detail::CreateWrappedBuffer(silent, kSilentBufferBytes, &state.silent_buffer) != 0) {
    WriteLogText("無音バッファの作成に失敗しました\n");
    return;
  }
  void* first = nullptr;
  void* second = nullptr;
  int first_bytes = 0, second_bytes = 0;
  if (detail::LockWrappedBuffer(&state.silent_buffer, 0, kSilentBufferBytes, &first, &first_bytes, &second,
                                &second_bytes) != 0) {
    WriteLogText("無音バッファのロックに失敗しました\n");
    detail::ReleaseWrappedBuffer(&state.silent_buffer);
    return;
  }
  std::fill_n(static_cast<uint8_t*>(first), first_bytes, 0);
  if (second != nullptr) std::fill_n(static_cast<uint8_t*>(second), second_bytes, 0);
  detail::UnlockWrappedBuffer(&state.silent_buffer);
  detail::PlayWrappedBuffer(&state.silent_buffer, true);
}

int StartModeZero(platform::audio::DeviceDescription* description) {
  WriteLogText("DirectSound の初期化を行います\n");
  WriteLogText("DirectSound インターフェースの取得を行います....\n");
  WriteLogText("成功\n");
  WriteLogText("引き続きインターフェースの初期化処理...\n");
  OpenOutput(description);
  if (State().device_open) WriteLogText("成功\n");
  return 0;
}

int StartModeOne(platform::audio::DeviceDescription* description) {
  SoundSystemState& state = State();
  WriteLogText("DirectSound8 の初期化を行います\n");
  if (state.sound_font.empty()) {
    WriteLogText("DirectMusicLoader8 オブジェクトの作成に失敗しました\n");
    WriteLogText("前バージョンでの初期化処理に移ります\n");
    state.mode = 0;
    return StartModeZero(description);
  }
  const std::string font = std::filesystem::path(state.sound_font).filename().string();
  WriteLogFormat("%s  Device%d:%s ", "出力ポート", 0, ("FluidSynth (" + font + ")").c_str());
  OpenOutput(description);
  return 0;
}

}  // namespace

int StartSoundSystem() {
  SoundSystemState& state = State();
  if (state.mixer) return -1;
  platform::audio::DeviceDescription description;
  // Both modes play MIDI through the synthesizer, which needs a General MIDI
  // sound font; without one, music goes on without MIDI.
  state.sound_font = state.find_sound_font != nullptr ? state.find_sound_font() : platform::midi::FindSoundFont();
  if (state.mode == 1) StartModeOne(&description);
  else StartModeZero(&description);
  if (state.sound_font.empty()) WriteLogText("MIDI 用のサウンドフォントが見つかりません　MIDI は演奏されません\n");
  StartSilentBuffer();
  SetSoundCreateType(0);
  detail::SetOggOutputBytesPerSample(2);
  detail::InitStreamList();
  LogDevice(description);
  WriteLogText("DirectSound の初期化は正常に終了しました\n");
  DeleteSoundHandleAll(0);
  return 0;
}

int EndSoundSystem() {
  SoundSystemState& state = State();
  if (!state.mixer) return -1;
  DeleteSoundHandleAll(0);
  detail::EndMusic();
  if (state.silent_buffer.valid) {
    detail::StopWrappedBuffer(&state.silent_buffer);
    detail::ReleaseWrappedBuffer(&state.silent_buffer);
  }
  if (state.device_open) platform::audio::CloseDevice();
  state.device_open = false;
  state.mixer.reset();
  state.sound_font.clear();
  WriteLogText("DirectSound の終了処理は正常に終了しました\n");
  return 0;
}

int SetSoundInitMode(int mode) {
  SoundSystemState& state = State();
  mode = mode != 0 ? 1 : 0;
  if (mode == state.mode) return 0;
  state.mode = mode;
  if (!state.mixer) return 0;
  EndSoundSystem();
  return StartSoundSystem();
}

namespace detail {

void RegisterSoundWithLibrary() {
  LibrarySubsystems& s = RegisteredSubsystems();
  s.start_sound_system = StartSoundSystem;
  s.end_sound_system = [] { EndSoundSystem(); };
  s.stop_current_music = [] { StopCurrentMusic(); };
  CallSites().refill_all_stream_sounds = [] { RefillAllStreamSounds(); };
  CallSites().poll_midi_play_state = [] { PollMidiPlayState(); };
}

platform::audio::Mixer* SoundMixer() { return State().mixer.get(); }

int SoundInitMode() { return State().mode; }

bool SoundDeviceOpen() { return State().device_open; }

const std::string& SoundFontPath() { return State().sound_font; }

void CatchUpSilentOutput() {
  SoundSystemState& state = State();
  if (!state.mixer || state.device_open) return;
  const uint64_t now = platform::os::MicrosecondClock();
  if (now <= state.silent_output_us) return;
  const uint64_t elapsed = std::min(now - state.silent_output_us, kMaxCatchUpUs);
  state.silent_output_us = now;
  state.silent_output_rest += elapsed * static_cast<uint64_t>(state.mixer->OutputRate());
  uint64_t frames = state.silent_output_rest / 1000000u;
  state.silent_output_rest %= 1000000u;
  std::vector<int16_t> scratch(static_cast<size_t>(kCatchUpChunkFrames) * 2);
  while (frames > 0) {
    const int chunk = static_cast<int>(std::min<uint64_t>(frames, kCatchUpChunkFrames));
    state.mixer->Render(scratch.data(), chunk);
    frames -= static_cast<uint64_t>(chunk);
  }
}

PrimaryFormat ChoosePrimaryFormat(const SoundDeviceCaps& caps) {
  PrimaryFormat format;
  format.channels = caps.primaryStereo ? 2 : 1;
  format.bits = caps.primary16Bit ? 16 : 8;
  format.rate = std::min(caps.maxSecondaryRate, 44100);
  return format;
}

void SetSoundDeviceAllowed(bool allowed) { State().device_allowed = allowed; }

void SetSoundFontFinder(std::string (*finder)()) { State().find_sound_font = finder; }

}  // namespace detail
}  // namespace veziv
