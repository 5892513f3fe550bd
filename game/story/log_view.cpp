// The story log (the pages shown so far, read back with their voices) and
// the choice window.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/widgets.h"
#include "game/story/story_screen.h"
#include "library/veziv.h"

namespace game::story {

namespace {

constexpr int kTrackTop = 117;
constexpr int kTrackBottom = 507;
constexpr int kTrackLength = 390;

bool mouseIn(int x1, int y1, int x2, int y2) {
  return x1 <= Session().frame.mouseX && Session().frame.mouseX <= x2 && y1 <= Session().frame.mouseY &&
         Session().frame.mouseY <= y2;
}

int32_t pageCount() { return static_cast<int32_t>(State().scene.pages.size()); }

void closeLog() {
  State().scene.logOffset = 0;
  playStorySound(kSoundDecide);
}

// A bar of the scroll strip from y1 to y2: the top cap, the middle tiled,
// the bottom cap, from the strip's column at sourceX.
void drawScrollBar(int x, int y1, int y2, int sourceX) {
  const int graph = graphOf(kImageLogScroll);
  veziv::RenderGraphPart(x, y1, sourceX, 0, 22, 11, graph, 1, 0);
  for (int y = y1 + 11; y < y2 - 11; y += 10) {
    veziv::RenderGraphPart(x, y, sourceX, 11, 22, std::min(10, y2 - 11 - y), graph, 1, 0);
  }
  veziv::RenderGraphPart(x, y2 - 11, sourceX, 21, 22, 11, graph, 1, 0);
}

// The scroll bar dragged to the mouse's y.
void dragScrollBar(int32_t hold) {
  const int32_t count = pageCount();
  if (hold == 1) playStorySound(kSoundDecide);
  const int pos = static_cast<int>(std::trunc((Session().frame.mouseY - kTrackTop) / 3.9));
  const int32_t before = State().scene.logOffset;
  int32_t offset = -static_cast<int32_t>(std::trunc(static_cast<double>(count) * (100 - pos) / 100));
  if (-offset >= count) offset = 1 - count;
  if (offset >= 0) offset = -1;
  State().scene.logOffset = offset;
  if (hold > 1 && offset != before) playStorySound(kSoundCursor);
}

}  // namespace

bool scrollLogBack(int32_t count) {
  auto& s = State().scene;
  if (s.screenFade != -1) return false;
  s.logOffset -= count;
  if (-s.logOffset <= pageCount() - 1) {
    playStorySound(kSoundCursor);
    return true;
  }
  // At the oldest page (the log stays closed when there is none to show).
  s.logOffset = std::min(0, 1 - pageCount());
  playStorySound(kSoundCancel);
  return false;
}

bool logThumbGeometry(int32_t count, int32_t logOffset, LogThumb* thumb) {
  // With one page or none there is nothing to scroll, and no thumb.
  if (count <= 1) return false;
  thumb->length = std::max(14, kTrackLength / count);
  const int t = count <= 2 ? 100 : 100 * (-logOffset - 1) / (count - 2);
  thumb->top = kTrackBottom - kTrackLength * t / 100;
  if (t != 100) thumb->top -= thumb->length;
  return true;
}

void drawLogView() {
  auto& s = State().scene;
  veziv::ChooseBlendMode(1, 200);
  drawWindowFrame(20, 50, 760, 530);
  veziv::ChooseBlendMode(0, 0);
  veziv::DrawBoxShape(20, 50, 780, 580, Session().colourBlack, 0);

  inputRecord& input = Session().playerInputs[0];
  moveMenuCursor(input, 3);
  const int32_t cursorBefore = Session().menuCursor;
  const int32_t mouseLeft = input.hold[kActionMouseLeft];
  bool onButton = false;
  if (mouseIn(750, 80, 800, 112)) {
    onButton = true;
    if (storyHover(750, 80, 800, 112)) Session().menuCursor = 1;
    if (logRepeatFires(mouseLeft)) scrollLogBack(1);
  } else if (mouseIn(750, 520, 800, 552)) {
    onButton = true;
    if (storyHover(750, 520, 800, 552)) Session().menuCursor = 2;
    if (logRepeatFires(mouseLeft)) advanceStoryText(1);
  } else if (mouseIn(700, 565, 800, 600)) {
    onButton = true;
    if (storyHover(700, 565, 800, 600)) Session().menuCursor = 3;
    if (mouseLeft == 1) {
      closeLog();
      updateMouseButtons(input);
    }
  } else if (mouseIn(750, kTrackTop, 772, kTrackBottom) && mouseLeft >= 1) {
    dragScrollBar(mouseLeft);
  }
  if (logRepeatFires(input.hold[kActionShot])) {
    if (Session().menuCursor == 1) {
      scrollLogBack(1);
    } else if (Session().menuCursor == 2) {
      advanceStoryText(1);
    } else if (Session().menuCursor == 3 && s.logOffset != 0) {
      closeLog();
      updateInput(input, 1);
    }
  }
  if (Session().menuCursor != cursorBefore) playStorySound(kSoundCursor);

  // The scroll bar's track and thumb.
  drawScrollBar(750, kTrackTop, kTrackBottom + 11, 0);
  LogThumb thumb;
  if (logThumbGeometry(pageCount(), s.logOffset, &thumb)) {
    drawScrollBar(750, thumb.top, thumb.top + std::max(thumb.length, 22), 22);
  }

  // The buttons: up, down and close.
  const int p = onButton ? pulseBrightness() : 150;
  struct Button {
    int item, x, y, sourceX, sourceY, width, height, image;
  };
  const Button buttons[] = {{1, 745, 80, 0, 0, 32, 32, kImageArrows},
                            {2, 745, 520, 32, 0, 32, 32, kImageArrows},
                            {3, 700, 565, 0, static_cast<int>(35.5 * 3), 124, 35, kImageSceneButtons}};
  for (const Button& b : buttons) {
    const int brightness = Session().menuCursor == b.item ? p : 255;
    veziv::SetDrawColorScale(brightness, brightness, 255);
    veziv::RenderGraphPart(b.x, b.y, b.sourceX, b.sourceY, b.width, b.height, graphOf(b.image), 1, 0);
  }
  veziv::SetDrawColorScale(255, 255, 255);

  for (const LogRow& row : logRows()) {
    veziv::DrawLineSegment(40, row.separatorY, 700, row.separatorY, Session().colourGrey, 1);
    if (row.page < 0) continue;
    messagePage& page = *std::next(s.pages.begin(), row.page);
    drawLogPage(row.y, findSpeaker(page.speaker), page);
  }
}

std::vector<LogRow> logRows() {
  const auto& s = State().scene;
  std::vector<LogRow> rows;
  // Upward from the page below the view, each page under its separator,
  // up to the oldest page (the story's first line) or the top of the view.
  const int64_t start = static_cast<int64_t>(s.pendingPages) - s.logOffset - 1;
  if (start < 0 || start >= pageCount()) return rows;
  auto it = std::next(s.pages.begin(), static_cast<long>(start));
  int index = static_cast<int>(start);
  int y = 560;
  for (;;) {
    LogRow row{y, -1, 0};
    y -= 22 * std::clamp(it->lineCount, 0, 4);
    if (y < 80) {
      rows.push_back(row);
      return rows;
    }
    row.page = index++;
    row.y = y;
    rows.push_back(row);
    if (++it == s.pages.end()) {
      rows.push_back(LogRow{y, -1, 0});  // the line over the oldest page
      return rows;
    }
  }
}

void drawLogPage(int y, const speakerEntry* speaker, messagePage& page) {
  if (speaker != nullptr && std::strcmp(page.speaker, "ナ") != 0 && speaker->plate >= 0 && speaker->plate < 12) {
    veziv::RenderGraphAtPoint(30, y - 5, sheetPiece(namePlateSheet, speaker->plate), 1);
  }
  if (std::strcmp(page.voice, "NONE") != 0) {
    const bool onMenu = mouseIn(745, 80, 800, 112) || mouseIn(745, 520, 800, 552) || mouseIn(700, 565, 800, 600);
    const bool over = !onMenu && mouseIn(69, y, 749, y + 22 * page.lineCount);
    if (over) veziv::SetDrawColorScale(255, 100, 100);
    veziv::RenderGraphAtPoint(100, y + 5, graphOf(kImageVoiceButton), 1);
    if (over) veziv::SetDrawColorScale(255, 255, 255);
    const inputRecord& input = Session().playerInputs[0];
    if (over && (input.hold[kActionMouseLeft] == 1 || input.hold[kActionShot] == 1)) {
      if (!playPageVoice(page)) playStorySound(kSoundCancel);
    }
  }
  const uint32_t colour = speaker != nullptr ? speaker->colour : Session().colourWhite;
  for (int i = 0; i < std::clamp(page.lineCount, 0, 4); ++i) {
    veziv::DrawTextWithFont(132, y + 22 * i, page.lines[i], colour, Session().registry.storyNameFont, 0, 0);
  }
}

void chooseStoryOption(int32_t k) {
  auto& s = State().scene;
  playStorySound(kSoundDecide);
  s.choiceState = -1;
  s.choiceHistory.push_back(k);
  s.choiceReplayIndex += 1;
  // The options go before the block runs, so that a choice the block opens
  // keeps its own.
  s.choiceTexts.clear();
  skipToChoice(k, false);
  updateMouseButtons(Session().playerInputs[0]);
}

void runStoryChoice() {
  auto& s = State().scene;
  if (s.choiceState != 0) return;
  const int n = static_cast<int>(s.choiceTexts.size());
  if (n == 0) return;
  auto wrap = [n] {
    if (State().choiceCursor > n) State().choiceCursor = 1;
    if (State().choiceCursor <= 0) State().choiceCursor = n;
  };
  wrap();
  const inputRecord& input = Session().playerInputs[0];
  const bool menuIn = s.sideBarPos == 0;
  int32_t chosen = 0;
  if (menuIn) {
    if (input.hold[kActionDown] == 1) {
      State().choiceCursor += 1;
      playStorySound(kSoundCursor);
    }
    if (input.hold[kActionUp] == 1) {
      State().choiceCursor -= 1;
      playStorySound(kSoundCursor);
    }
    wrap();
    if (input.hold[kActionShot] == 1) chosen = State().choiceCursor;
  }
  const int p = pulseBrightness();
  const int32_t cursorBefore = State().choiceCursor;
  for (int i = 1; i <= n; ++i) {
    const std::string& text = s.choiceTexts[static_cast<size_t>(i - 1)];
    const int y = choiceOptionY(i, n);
    const int width = veziv::MeasureTextDefaultFont(text.c_str(), static_cast<int>(text.size()), 0);
    const bool current = State().choiceCursor == i;
    drawCursorBar(90, y - 2, width + 20, current && menuIn ? p : 255);
    if (current) veziv::SetDrawColorScale(p, p, 255);
    veziv::DrawTextDefaultFont(100, y, text.c_str(), Session().colourWhite, 0);
    if (current) veziv::SetDrawColorScale(255, 255, 255);
    if (storyHover(90, y, width + 110, y + 26)) State().choiceCursor = i;
    if (chosen == 0 && input.hold[kActionMouseLeft] == 1 && mouseIn(100, y, width + 120, y + 26)) chosen = i;
  }
  if (State().choiceCursor != cursorBefore) playStorySound(kSoundCursor);
  if (chosen != 0) chooseStoryOption(chosen);
}

}  // namespace game::story
