// Message boxes: CP932 texts converted, then handed to the active driver.
#include "platform/window/message_box.h"

#include <string>

#include "platform/os/charset.h"
#include "platform/window/driver.h"
#include "platform/window/window.h"

namespace platform::window {

namespace os = platform::os;

MessageBoxAnswer ShowMessageBox(const char* title_cp932, const char* text_cp932, MessageBoxKind kind) {
  std::string title = os::Cp932ToUtf8(title_cp932 ? title_cp932 : "");
  std::string text = os::Cp932ToUtf8(text_cp932 ? text_cp932 : "");
  return detail::ActiveDriver().show_message_box(title.c_str(), text.c_str(), kind);
}

}  // namespace platform::window
