// The overwrite question and the save.
#include "game/core/save_question.h"

#include <cmath>
#include <cstdio>

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/nested_loop.h"
#include "game/core/records.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/slot_files.h"
#include "game/core/widgets.h"
#include "library/veziv.h"

namespace game {

namespace {

constexpr double kPi = 3.14159265358979323846;

int pulse(int base, int frame) { return base + static_cast<int>(50 * std::cos(6 * frame * kPi / 180)); }

}  // namespace

std::string saveCaption(const veziv::DateRecord& t) {
  char text[kCaptionSize];
  std::snprintf(text, sizeof text, "%04d年%02d月%02d日 %02d時%02d分", t.year, t.month, t.day, t.hour, t.minute);
  return text;
}

std::string saveCaptionNow() {
  veziv::DateRecord now{};
  veziv::GetLocalDateRecord(&now);
  return saveCaption(now);
}

std::vector<int> stepSaveQuestion(saveQuestion& q, const saveQuestionInput& in) {
  std::vector<int> sounds;
  if (in.leftOrRight) {
    sounds.push_back(kSoundCursor);
    q.yes = !q.yes;
  }
  if (in.hover && in.overButton >= 0 && q.yes != (in.overButton == 0)) {
    q.yes = in.overButton == 0;
    sounds.push_back(kSoundCursor);
  }
  // A click decides the button it lands on, hovered first or not.
  if (in.click && in.overButton >= 0) q.yes = in.overButton == 0;
  if (in.shot || (in.click && in.overButton >= 0)) {
    q.decided = true;
    sounds.push_back(kSoundDecide);
    q.cancelled = in.pauseHeld || !q.yes;
  } else if (in.pauseHeld) {
    q.cancelled = true;
  }
  return sounds;
}

bool runSaveScreen(int slot) {
  if (slot < 0 || slot >= kSlotCount) return false;
  const veziv::GraphHandle under = veziv::CreateEmptyGraph(800, 600, 0);
  veziv::CaptureScreenToGraph(0, 0, 800, 600, under);
  playMenuSound(kSoundCaution);
  saveQuestion q;
  inputRecord& p1 = Session().playerInputs[0];
  bool first = true;
  const bool windowKept = runNestedLoop([&] {
    if (!first && veziv::ClearDrawTarget() != 0) {
      q.cancelled = true;
      return false;
    }
    first = false;
    ++Session().frame.frameCounter;
    veziv::RenderGraphAtPoint(0, 0, under, 0);
    veziv::ChooseBlendMode(1, 120);
    veziv::DrawBoxShape(0, 0, 800, 600, Session().colourBlack, 1);
    veziv::ChooseBlendMode(0, 0);
    drawWindowFrame(200, 200, 400, 200);
    veziv::DrawTextDefaultFont(220, 300, "上書きします。よろしいですか？", Session().colourWhite, 0);
    veziv::RenderGraphStretched(260, 210, 340, 270, Session().slotTable.thumbnails[slot], 0);
    veziv::DrawTextDefaultFont(380, 230, "⇒", Session().colourWhite, 0);
    veziv::RenderGraphStretched(440, 210, 520, 270, Session().frame.backdropCapture, 0);
    updateInput(p1, 1);
    updateMouseButtons(p1);
    // The keys flip the choice before the bars are drawn.
    saveQuestionInput flip;
    flip.leftOrRight = p1.hold[kActionLeft] == 1 || p1.hold[kActionRight] == 1;
    for (int id : stepSaveQuestion(q, flip)) playMenuSound(id);
    saveQuestionInput in;
    drawCursorBar(230, 360, 150, q.yes ? pulse(150, Session().frame.frameCounter) : 255);
    drawCursorBar(420, 360, 150, q.yes ? 255 : pulse(150, Session().frame.frameCounter));
    veziv::DrawTextWithFont(240, 361, "はい", Session().colourWhite, Session().registry.boxFont, 0, 0);
    veziv::DrawTextWithFont(425, 361, "いいえ(Esc)", Session().colourWhite, Session().registry.boxFont, 0, 0);
    isMouseMoved();
    veziv::PresentBackBuffer();
    in.hover = Session().frame.mouseMoved || !Session().frame.hoverNeedsMove;
    if (Session().frame.mouseY >= 360 && Session().frame.mouseY <= 382) {
      if (Session().frame.mouseX >= 230 && Session().frame.mouseX <= 380) in.overButton = 0;
      if (Session().frame.mouseX >= 420 && Session().frame.mouseX <= 560) in.overButton = 1;
    }
    in.shot = p1.hold[kActionShot] == 1;
    in.click = p1.hold[kActionMouseLeft] == 1;
    in.pauseHeld = p1.hold[kActionPause] != 0;
    for (int id : stepSaveQuestion(q, in)) playMenuSound(id);
    return !q.decided && !q.cancelled;
  });
  // The window closing is no answer: the slot stays as it is.
  if (!windowKept) q.cancelled = true;
  if (q.decided && !q.cancelled) {
    veziv::RenderGraphAtPoint(0, 0, under, 0);
    veziv::ChooseBlendMode(1, 120);
    veziv::DrawBoxShape(0, 0, 800, 600, Session().colourBlack, 1);
    veziv::ChooseBlendMode(0, 0);
    veziv::DrawTextDefaultFont(300, 250, "セーブ中・・・", Session().colourWhite, 0);
    veziv::PresentBackBuffer();
  }
  veziv::RenderGraphAtPoint(0, 0, under, 0);
  veziv::FreeGraphHandle(under, 0);
  if (q.cancelled) return false;

  const std::string caption = saveCaptionNow();
  std::snprintf(Session().play.playerHeaders[0].caption, sizeof Session().play.playerHeaders[0].caption, "%s",
                caption.c_str());
  storeHoldings();
  Session().slotTable.headers[slot] = Session().play.playerHeaders[0];
  Session().slotTable.present[slot] = 1;
  const bool written = writeSlot(slot);
  readSlotHeaders();
  return written;
}

}  // namespace game
