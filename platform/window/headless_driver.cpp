// The headless driver: SDL's dummy video driver (a real driver that draws
// nowhere), message boxes answered from a script, and presented frames kept
// for the tests to read instead of being shown.
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/window/driver.h"
#include "platform/window/inject.h"

namespace platform::window {
namespace detail {
namespace {

struct HeadlessState {
  std::deque<MessageBoxAnswer> answers;
  bool shown_any = false;
  ShownMessageBox last;
  int present_count = 0;
  int quit_after = 0;
  PresentedFrame last_frame;
  std::vector<uint32_t> held;  // a held frame read out for keeping
};

HeadlessState& State() {
  static HeadlessState state;
  return state;
}

MessageBoxAnswer AnswerFromScript(const char* title_utf8, const char* text_utf8, MessageBoxKind kind) {
  HeadlessState& headless = State();
  headless.shown_any = true;
  headless.last = {title_utf8, text_utf8, kind};
  if (headless.answers.empty()) return kind == MessageBoxKind::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kNo;
  MessageBoxAnswer a = headless.answers.front();
  headless.answers.pop_front();
  return a;
}

// A frame shown: counted, the quit a test asked for posted at its count, and
// the harness's share done.
void CountPresent() {
  HeadlessState& headless = State();
  ++headless.present_count;
  if (headless.quit_after > 0 && headless.present_count == headless.quit_after) InjectQuit();
  HarnessPresented(headless.last_frame, headless.present_count);
}

bool KeepFrame(const PresentRequest& request, const ScreenRect& placement) {
  PresentedFrame& f = State().last_frame;
  const ScreenRect& src = request.source;
  f.width = src.width;
  f.height = src.height;
  // Every pixel is copied below: no need to clear the kept frame first.
  f.pixels.resize(static_cast<size_t>(src.width) * src.height);
  for (int y = 0; y < src.height; ++y) {
    const uint8_t* row = request.image.pixels + static_cast<ptrdiff_t>(src.y + y) * request.image.pitch + src.x * 4;
    std::memcpy(&f.pixels[static_cast<size_t>(y) * src.width], row, static_cast<size_t>(src.width) * 4);
  }
  f.placement = placement;
  f.waited_for_vblank = request.wait_for_vblank;
  CountPresent();
  return true;
}

}  // namespace

bool PresentLastFrameAgain() {
  if (State().present_count == 0) return false;
  CountPresent();
  return true;
}

bool KeepHeldFrame(FrameSource& frame, const FrameRequest& request, const ScreenRect& placement) {
  std::vector<uint32_t>& pixels = State().held;
  pixels.resize(static_cast<size_t>(request.source.width) * static_cast<size_t>(request.source.height));
  if (!frame.Read(request.source, pixels.data())) return false;
  PresentRequest kept;
  kept.image = {reinterpret_cast<const uint8_t*>(pixels.data()), request.source.width, request.source.height,
                request.source.width * 4};
  kept.source = request.source;
  kept.destination = request.destination;
  kept.wait_for_vblank = request.wait_for_vblank;
  return KeepFrame(kept, placement);
}

const Driver kHeadlessDriver = {"headless", "dummy", AnswerFromScript, KeepFrame, KeepHeldFrame};

}  // namespace detail

void ScriptMessageBoxAnswer(MessageBoxAnswer answer) { detail::State().answers.push_back(answer); }

bool LastShownMessageBox(ShownMessageBox* box) {
  const detail::HeadlessState& headless = detail::State();
  if (!headless.shown_any) return false;
  *box = headless.last;
  return true;
}

int PresentedFrameCount() { return detail::State().present_count; }

void QuitAfterPresentedFrames(int count) { detail::State().quit_after = count; }

bool LastPresentedFrame(PresentedFrame* frame) {
  const detail::HeadlessState& headless = detail::State();
  if (headless.present_count == 0) return false;
  *frame = headless.last_frame;
  return true;
}

void ForgetPresentedFrames() {
  detail::HeadlessState& headless = detail::State();
  headless.present_count = 0;
  headless.quit_after = 0;
  headless.last_frame = PresentedFrame{};
}

}  // namespace platform::window
