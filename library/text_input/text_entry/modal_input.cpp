// A line of text asked for in a loop of its own over the frozen picture.
#include "library/text_input/text_entry/modal_input.h"

#include "library/foundation/window/pump.h"
#include "library/graphics/graphs/draw_state.h"
#include "library/graphics/graphs/drawing_calls.h"
#include "library/graphics/graphs/graph_handles.h"
#include "library/graphics/screen/graphics_system.h"
#include "library/veziv.h"
#include "library/graphics/screen/screen_mode.h"
#include "library/text_input/fonts/font_handles.h"
#include "library/text_input/text_entry/ime.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"

namespace veziv {
namespace {

// What the call changes and puts back.
struct SavedState {
  int hardwareWanted = 0;
  int createOption = 0;
  int target = 0;
  int imeEnabled = 0;
  int transparent[3] = {0, 0, 0};
  int screenWidth = 0;
  int screenHeight = 0;
  int area[4] = {0, 0, 0, 0};
};

SavedState Save() {
  SavedState s;
  s.hardwareWanted = GetHardwareRenderingWanted();
  s.createOption = GetGraphCreateOptionWord();
  s.target = GetCurrentDrawTarget();
  s.imeEnabled = detail::TextEntry().ime.enabled;
  GetTransparentColorRGB(&s.transparent[0], &s.transparent[1], &s.transparent[2]);
  GetScreenSizeOrDefault(&s.screenWidth, &s.screenHeight);
  GetClipRegion(s.area);
  return s;
}

// Runs the field until Enter, Escape, its loss or the pump's end. The result,
// or 0 when the pump ended it.
int RunField(const SavedState& saved, int x, int y, int handle, int frontPicture) {
  while (PumpMessages() == 0) {
    const TextEntryHandleData* r = detail::TextEntryRecord(handle);
    if (r == nullptr) return -1;
    if (r->cancelled) return 2;
    if (r->ended) return 1;
    RenderGraphAtPoint(0, 0, frontPicture, 0);
    RenderImeModeName(saved.area[2], saved.area[3]);
    SetClipRegion(saved.area[0], saved.area[1], saved.area[2], saved.area[3]);
    DrawTextEntryHandle(x, y, handle);
    SetClipRegion(0, 0, saved.screenWidth, saved.screenHeight);
    PresentBackBuffer();
  }
  return 0;
}

}  // namespace

int InputStringModalCore(int x, int y, int maxLength, char* out, int cancelAllowed, int singleByteOnly,
                         int numbersOnly) {
  const SavedState saved = Save();
  const int w = saved.screenWidth;
  const int h = saved.screenHeight;
  SetGraphCreateOptionWord(GetFontHandleUseTexture(GetLibraryDefaultFont()) == 1 ? 0 : 1);
  SetHardwareRenderingWanted(0);
  SetTransparentColorRGB(0, 0, 0);
  if (!saved.imeEnabled) EnableIme(1);

  // The picture as it is on screen, and the back buffer as the game left it.
  const int front = CreateEmptyGraph(w, h, 0);
  const int back = CreateEmptyGraph(w, h, 0);
  SelectDrawTarget(kTargetAutoPresent);
  SetClipRegion(0, 0, w, h);
  CaptureScreenToGraph(0, 0, w, h, front);
  SelectDrawTarget(kTargetBackScreen);
  CaptureScreenToGraph(0, 0, w, h, back);

  // No field could be made: nothing to run, everything to put back.
  int result = -1;
  const int handle = CreateTextEntryHandle(maxLength, cancelAllowed, singleByteOnly, numbersOnly);
  if (handle != -1) {
    SetActiveTextEntryHandle(handle);
    GetDefaultFontSize();
    DrawTextEntryHandle(x, y, handle);
    SelectDrawTarget(kTargetBackScreen);
    result = RunField(saved, x, y, handle, front);
    // The program is ending: nothing is put back.
    if (result == 0 || PumpMessages() == -1) return -1;
    if (result == 1) CopyTextEntryText(out, handle);
  }

  SetClipRegion(0, 0, w, h);
  RenderGraphAtPoint(0, 0, back, 0);
  SelectDrawTarget(kTargetAutoPresent);
  RenderGraphAtPoint(0, 0, front, 0);
  if (handle != -1) DeleteTextEntryHandle(handle);
  FreeGraphHandle(front, 0);
  FreeGraphHandle(back, 0);
  SelectDrawTarget(saved.target);
  SetHardwareRenderingWanted(saved.hardwareWanted);
  SetGraphCreateOptionWord(saved.createOption);
  EnableIme(saved.imeEnabled);
  SetTransparentColorRGB(saved.transparent[0], saved.transparent[1], saved.transparent[2]);
  SetClipRegion(saved.area[0], saved.area[1], saved.area[2], saved.area[3]);
  return result;
}

int InputStringModal(int x, int y, int maxLength, char* out, int cancelAllowed) {
  return InputStringModalCore(x, y, maxLength, out, cancelAllowed, 0, 0);
}

}  // namespace veziv
