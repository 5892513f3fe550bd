// What a message box does with the player's keys and clicks, apart from how
// it is drawn: the buttons of each kind, the focused button (the default
// one at first), and the answer a key or a click gives.
//
// Tab, Right and Down move the focus to the next button, Shift+Tab, Left and
// Up to the one before (round the row); Return, the keypad's Enter and Space
// press the focused button; Escape answers as closing the box does. A click
// answers when the button is let go over the button it was pressed on.
#pragma once

#include <optional>
#include <vector>

#include "platform/window/message_box.h"

namespace platform::window {

enum class BoxKey { kTab, kShiftTab, kLeft, kRight, kUp, kDown, kReturn, kSpace, kEscape };

// The buttons left to right, and the one focused first.
std::vector<MessageBoxAnswer> MessageBoxButtons(MessageBoxKind kind);
int MessageBoxDefaultButton(MessageBoxKind kind);
// What closing the box (its close button, Escape) answers.
MessageBoxAnswer MessageBoxCloseAnswer(MessageBoxKind kind);

class MessageBoxModel {
 public:
  explicit MessageBoxModel(MessageBoxKind kind);

  const std::vector<MessageBoxAnswer>& buttons() const { return buttons_; }
  int focused() const { return focused_; }
  // The button held down by the mouse, -1 for none.
  int pressed() const { return pressed_; }

  // Each returns the answer once the box is answered, nothing while it stays.
  std::optional<MessageBoxAnswer> Key(BoxKey key);
  // button: the button under the mouse, -1 for none.
  std::optional<MessageBoxAnswer> MouseDown(int button);
  std::optional<MessageBoxAnswer> MouseUp(int button);
  std::optional<MessageBoxAnswer> Close() const { return close_answer_; }

 private:
  std::vector<MessageBoxAnswer> buttons_;
  MessageBoxAnswer close_answer_;
  int focused_ = 0;
  int pressed_ = -1;
};

}  // namespace platform::window
