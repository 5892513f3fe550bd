// The buttons, focus and answers of a message box.
#include "platform/window/message_box_model.h"

namespace platform::window {

std::vector<MessageBoxAnswer> MessageBoxButtons(MessageBoxKind kind) {
  if (kind == MessageBoxKind::kYesNo) return {MessageBoxAnswer::kYes, MessageBoxAnswer::kNo};
  return {MessageBoxAnswer::kOk};
}

int MessageBoxDefaultButton(MessageBoxKind) { return 0; }

MessageBoxAnswer MessageBoxCloseAnswer(MessageBoxKind kind) {
  return kind == MessageBoxKind::kYesNo ? MessageBoxAnswer::kNo : MessageBoxAnswer::kOk;
}

MessageBoxModel::MessageBoxModel(MessageBoxKind kind)
    : buttons_(MessageBoxButtons(kind)), close_answer_(MessageBoxCloseAnswer(kind)),
      focused_(MessageBoxDefaultButton(kind)) {}

std::optional<MessageBoxAnswer> MessageBoxModel::Key(BoxKey key) {
  const int count = static_cast<int>(buttons_.size());
  switch (key) {
    case BoxKey::kTab:
    case BoxKey::kRight:
    case BoxKey::kDown:
      focused_ = (focused_ + 1) % count;
      return std::nullopt;
    case BoxKey::kShiftTab:
    case BoxKey::kLeft:
    case BoxKey::kUp:
      focused_ = (focused_ + count - 1) % count;
      return std::nullopt;
    case BoxKey::kReturn:
    case BoxKey::kSpace:
      return buttons_[focused_];
    case BoxKey::kEscape:
      return close_answer_;
  }
  return std::nullopt;
}

std::optional<MessageBoxAnswer> MessageBoxModel::MouseDown(int button) {
  if (button < 0 || button >= static_cast<int>(buttons_.size())) return std::nullopt;
  pressed_ = button;
  focused_ = button;
  return std::nullopt;
}

std::optional<MessageBoxAnswer> MessageBoxModel::MouseUp(int button) {
  const int was = pressed_;
  pressed_ = -1;
  if (was >= 0 && was == button) return buttons_[was];
  return std::nullopt;
}

}  // namespace platform::window
