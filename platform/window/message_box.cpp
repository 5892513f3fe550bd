// Message boxes: CP932 texts converted, then handed to the active driver.
#include "platform/window/message_box.h"

#include <string>

#include "platform/window/driver.h"
#include "platform/window/text_codec.h"
#include "platform/window/window.h"

namespace platform::window {

MessageBoxAnswer ShowMessageBox(const char* title_cp932, const char* text_cp932, MessageBoxKind kind) {
  std::string title, text;
  detail::ToUtf8(title_cp932 ? title_cp932 : "", &title);
  detail::ToUtf8(text_cp932 ? text_cp932 : "", &text);
  return detail::ActiveDriver().show_message_box(title.c_str(), text.c_str(), kind);
}

}  // namespace platform::window
