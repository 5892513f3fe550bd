// The synthesizer on FluidSynth: its players are timed by the samples it
// renders ("player.timing-source" = "sample"), and a loop does not reset the
// synthesizer ("player.reset-synth" = 0), so a looping file restarts on the
// exact sample of its end. A player loops only once it has read its file and
// found it to last some time: a file of no length by the player's own
// measure would restart without end inside one render. One mutex keeps the
// players from changing while the mixer's thread renders.
#include "platform/midi/synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/midi/midi_data.h"

namespace platform::midi {
namespace {

// Frames rendered at a time; while a player waits to be set looping, the
// synthesizer's own step, so that it is set before the shortest file ends.
constexpr int kRenderChunk = 1024;
constexpr int kDecidingChunk = 64;
constexpr double kFullGain = 0.5;

struct Player {
  std::vector<uint8_t> file;
  bool loop = false;          // asked to loop
  bool loop_decided = true;   // set looping, or found to be of no length
  fluid_player_t* fluid = nullptr;  // from Play until Stop
};

// After a render: a player asked to loop is set looping once it has read its
// file and found some length in it; one that ends first stays played once.
void DecideLoop(Player& player) {
  if (player.loop_decided || player.fluid == nullptr) return;
  if (fluid_player_get_total_ticks(player.fluid) > 0) {
    fluid_player_set_loop(player.fluid, -1);
    player.loop_decided = true;
  } else if (fluid_player_get_status(player.fluid) != FLUID_PLAYER_PLAYING) {
    player.loop_decided = true;
  }
}

void DeleteFluidPlayer(fluid_synth_t* synth, Player& player) {
  if (player.fluid == nullptr) return;
  fluid_player_stop(player.fluid);
  delete_fluid_player(player.fluid);
  player.fluid = nullptr;
  fluid_synth_all_sounds_off(synth, -1);
}

// Adds count float samples to the mix at 16-bit scale, each rounded half away
// from zero. Clamped first to +-8 (a float out of the int range would not
// convert); a NaN counts as the top of that range. Four at a time where SSE2
// is there.
void AddToMix(const float* samples, int count, int32_t* mix) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i sign = _mm_set1_epi32(INT32_MIN);
  const __m128 low = _mm_set1_ps(-8.0f), high = _mm_set1_ps(8.0f), scale = _mm_set1_ps(32768.0f);
  const __m128 half = _mm_set1_ps(0.5f);
  for (; i + 4 <= count; i += 4) {
    const __m128 v = _mm_mul_ps(_mm_max_ps(_mm_min_ps(_mm_loadu_ps(samples + i), high), low), scale);
    const __m128 away = _mm_or_ps(half, _mm_and_ps(v, _mm_castsi128_ps(sign)));
    auto* m = reinterpret_cast<__m128i*>(mix + i);
    _mm_storeu_si128(m, _mm_add_epi32(_mm_loadu_si128(m), _mm_cvttps_epi32(_mm_add_ps(v, away))));
  }
#endif
  for (; i < count; ++i) {
    const float clamped = samples[i] > 8.0f || samples[i] != samples[i] ? 8.0f : std::max(samples[i], -8.0f);
    const float sample = clamped * 32768.0f;
    mix[i] += static_cast<int32_t>(sample + (sample < 0.0f ? -0.5f : 0.5f));
  }
}

}  // namespace

std::string FindSoundFont() {
  std::error_code error;
  if (const char* named = std::getenv(kSoundFontVariable); named != nullptr && *named != '\0') {
    if (std::filesystem::is_regular_file(named, error)) return named;
  }
  for (const char* path : {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                           "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf3/default-GM.sf3"}) {
    if (std::filesystem::is_regular_file(path, error)) return path;
  }
  return {};
}

struct Synth::State {
  audio::Mixer* mixer = nullptr;
  int source = 0;
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  float base_gain = static_cast<float>(kFullGain);
  int master_volume = 0;
  std::mutex mutex;
  std::map<int, Player> players;
  int next_player = 1;
  int undecided = 0;  // players whose loop is still to be decided
  float scratch[kRenderChunk * 2] = {};

  ~State() {
    if (synth != nullptr) {
      for (auto& [id, player] : players) DeleteFluidPlayer(synth, player);
      delete_fluid_synth(synth);
    }
    if (settings != nullptr) delete_fluid_settings(settings);
  }

  Player* Find(int id) {
    auto found = players.find(id);
    return found == players.end() ? nullptr : &found->second;
  }

  static void Render(void* user, int32_t* mix, int frames) {
    auto* state = static_cast<State*>(user);
    std::lock_guard<std::mutex> lock(state->mutex);
    while (frames > 0) {
      const int n = std::min(frames, state->undecided > 0 ? kDecidingChunk : kRenderChunk);
      fluid_synth_write_float(state->synth, n, state->scratch, 0, 2, state->scratch, 1, 2);
      if (state->undecided > 0) {
        state->undecided = 0;
        for (auto& [id, player] : state->players) {
          DecideLoop(player);
          if (!player.loop_decided) ++state->undecided;
        }
      }
      AddToMix(state->scratch, n * 2, mix);
      mix += n * 2;
      frames -= n;
    }
  }
};

Synth::Synth(std::unique_ptr<State> state) : state_(std::move(state)) {}

Synth::~Synth() {
  if (state_->mixer != nullptr && state_->source > 0) state_->mixer->RemoveSource(state_->source);
}

std::unique_ptr<Synth> Synth::Create(audio::Mixer* mixer, const std::string& sound_font) {
  if (mixer == nullptr) return nullptr;
  auto state = std::make_unique<State>();
  state->settings = new_fluid_settings();
  if (state->settings == nullptr) return nullptr;
  fluid_settings_setnum(state->settings, "synth.sample-rate", mixer->OutputRate());
  fluid_settings_setstr(state->settings, "player.timing-source", "sample");
  fluid_settings_setint(state->settings, "player.reset-synth", 0);
  // Pinning a large font in memory needs rights a game does not have.
  fluid_settings_setint(state->settings, "synth.lock-memory", 0);
  // Full volume: music about as loud as sounds at full scale, with room left
  // for many notes at once.
  fluid_settings_setnum(state->settings, "synth.gain", kFullGain);
  state->synth = new_fluid_synth(state->settings);
  if (state->synth == nullptr) return nullptr;
  if (!sound_font.empty() && fluid_synth_sfload(state->synth, sound_font.c_str(), 1) == FLUID_FAILED) return nullptr;
  state->mixer = mixer;
  state->source = mixer->AddSource(&State::Render, state.get());
  if (state->source <= 0) return nullptr;
  return std::unique_ptr<Synth>(new Synth(std::move(state)));
}

int Synth::OpenPlayer(const void* bytes, size_t size) {
  MidiData data;
  if (!FindMidiData(static_cast<const uint8_t*>(bytes), size, &data)) return -1;
  Player player;
  const auto* first = static_cast<const uint8_t*>(bytes) + data.offset;
  player.file.assign(first, first + data.size);
  std::lock_guard<std::mutex> lock(state_->mutex);
  const int id = state_->next_player++;
  state_->players.emplace(id, std::move(player));
  return id;
}

int Synth::ClosePlayer(int player) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Player* found = state_->Find(player);
  if (found == nullptr) return -1;
  DeleteFluidPlayer(state_->synth, *found);
  state_->players.erase(player);
  return 0;
}

int Synth::Play(int player, bool loop) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Player* found = state_->Find(player);
  if (found == nullptr) return -1;
  DeleteFluidPlayer(state_->synth, *found);
  // Each file starts from the synthesizer's initial programs and controllers.
  fluid_synth_system_reset(state_->synth);
  fluid_player_t* fluid = new_fluid_player(state_->synth);
  if (fluid == nullptr) return -1;
  if (fluid_player_add_mem(fluid, found->file.data(), found->file.size()) != FLUID_OK ||
      fluid_player_play(fluid) != FLUID_OK) {
    delete_fluid_player(fluid);
    return -1;
  }
  found->fluid = fluid;
  found->loop = loop;
  found->loop_decided = !loop;
  if (loop) ++state_->undecided;
  return 0;
}

int Synth::Stop(int player) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Player* found = state_->Find(player);
  if (found == nullptr) return -1;
  DeleteFluidPlayer(state_->synth, *found);
  return 0;
}

int Synth::IsPlaying(int player) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  Player* found = state_->Find(player);
  if (found == nullptr) return -1;
  if (found->fluid == nullptr || fluid_player_get_status(found->fluid) != FLUID_PLAYER_PLAYING) return 0;
  // The player reports its end only once the notes have had time to die
  // away; the file itself is over at its last tick. Before the file is read,
  // and for a file of no length, the player's own word holds.
  if (found->loop && found->loop_decided && fluid_player_get_total_ticks(found->fluid) > 0) return 1;
  const int total = fluid_player_get_total_ticks(found->fluid);
  return total <= 0 || fluid_player_get_current_tick(found->fluid) < total ? 1 : 0;
}

void Synth::SetMasterVolume(int hundredths_db) {
  hundredths_db = std::clamp(hundredths_db, audio::kSilentVolume, 0);
  const float gain = hundredths_db <= audio::kSilentVolume
                         ? 0.0f
                         : static_cast<float>(state_->base_gain * std::pow(10.0, hundredths_db / 2000.0));
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->master_volume = hundredths_db;
  fluid_synth_set_gain(state_->synth, gain);
}

int Synth::MasterVolume() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->master_volume;
}

}  // namespace platform::midi
