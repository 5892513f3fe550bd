// Modal message boxes with CP932 texts. The headless driver answers from a
// script instead of showing anything.
#pragma once

namespace platform::window {

enum class MessageBoxKind { kOk, kYesNo };
enum class MessageBoxAnswer { kOk, kYes, kNo, kFailed };

MessageBoxAnswer ShowMessageBox(const char* title_cp932, const char* text_cp932, MessageBoxKind kind);

}  // namespace platform::window
