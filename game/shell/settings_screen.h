// The settings screen (mode 3): the screen mode, the way to the key and pad
// configuration screens, the story's text speed, four volumes, the
// characters' voice switches, in-battle events and the MIDI playback mode.
#pragma once

#include <cstdint>
#include <list>

#include "game/core/input.h"
#include "game/core/screen.h"

namespace game {

inline constexpr int kSettingsRows = 20;
inline constexpr int kNotAdjusting = -1;

// The row (1 to 20) whose mouse area holds a point, 0 for none.
int settingsRowAt(int x, int y);
// The voice switch (0 to 6) whose area holds a point, -1 for none.
int voiceToggleAt(int x, int y);
// The row a left or right press leads to from a row.
int settingsSideStep(int row, bool right);
// The row after an up or down press that moveMenuCursor has already
// applied: the switches form rows of four, and some rows are passed over.
int settingsVerticalStep(int row, bool up, bool down);
// Whether a held left or right key steps a slider at this hold count:
// on the first frame, then from frame 31 every tenth.
bool sliderStepDue(int32_t hold);
// A slider's value after a step of 10 in a direction (-1 or 1), clamped:
// volumes 0 to 100, the text speed 10 to 160.
int32_t stepSliderValue(int32_t value, int direction, bool textSpeed);
// The values a mouse x gives, clamped; false outside the slider's reach.
bool volumeAtMouse(int x, int32_t& volume);
bool textSpeedAtMouse(int x, int32_t& speed);
// The voice list after character k's switch was turned on or off.
void editVoiceList(std::list<int32_t>& list, int k, bool on, bool storyCleared);

// Flips character k's voice switch (0 to 6) with its sample.
void toggleCharacterVoice(int k);
// Restarts the sound system in another MIDI mode (0 or 1) and loads again
// every sound the game holds.
void changeMidiMode(int mode);

// The settings screen (mode 3).
class SettingsScreen final : public Screen {
 public:
  bool frame() override;

 private:
  void update();
  void draw() const;
  void adjustSlider(inputRecord& p1);
  void navigate(const inputRecord& p1);
  void select(int row, bool byMouse);
  void backToCaller();

  // -1, or the slider that the left and right keys move: 1 BGM, 2 SE,
  // 3 voice, 4 radio, 5 text speed.
  int32_t sliderAdjusting_ = kNotAdjusting;
  // True while the left mouse button drags a slider.
  bool sliderDragging_ = false;
};

}  // namespace game
