// The headless driver: SDL's dummy video driver (a real driver that draws
// nowhere) and message boxes answered from a script.
#include <deque>
#include <string>

#include "platform/window/driver.h"
#include "platform/window/inject.h"

namespace platform::window {
namespace detail {
namespace {

struct HeadlessState {
  std::deque<MessageBoxAnswer> answers;
  bool shown_any = false;
  ShownMessageBox last;
};

HeadlessState g_headless;

MessageBoxAnswer AnswerFromScript(const char* title_utf8, const char* text_utf8, MessageBoxKind kind) {
  g_headless.shown_any = true;
  g_headless.last = {title_utf8, text_utf8, kind};
  if (g_headless.answers.empty()) return kind == MessageBoxKind::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kNo;
  MessageBoxAnswer a = g_headless.answers.front();
  g_headless.answers.pop_front();
  return a;
}

}  // namespace

const Driver kHeadlessDriver = {"headless", "dummy", AnswerFromScript};

}  // namespace detail

void ScriptMessageBoxAnswer(MessageBoxAnswer answer) { detail::g_headless.answers.push_back(answer); }

bool LastShownMessageBox(ShownMessageBox* box) {
  if (!detail::g_headless.shown_any) return false;
  *box = detail::g_headless.last;
  return true;
}

}  // namespace platform::window
