// The message window: pages made from a message, the reveal of a page, the
// next input, and the story screen with its side menu and bottom bar.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>

#include "game/core/frame_loop.h"
#include "game/core/input.h"
#include "game/core/registry_ids.h"
#include "game/core/resources.h"
#include "game/core/session.h"
#include "game/core/settings.h"
#include "game/story/story_screen.h"
#include "library/veziv.h"

namespace game::story {

namespace {


constexpr int kLineWidth = 600;
constexpr size_t kLineBytes = sizeof(messagePage{}.lines[0]) - 1;  // 63 bytes and the terminator
constexpr int kPageLines = 4;
constexpr int kPlateCount = 12;
// revealMs never grows past this, so its sum with a frame or a press stays an i32.
constexpr int32_t kRevealLimit = INT32_MAX / 2;

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

void addRevealMs(int32_t ms) {
  State().scene.revealMs = static_cast<int32_t>(std::min<int64_t>(kRevealLimit, int64_t{State().scene.revealMs} + ms));
}

// The bytes of the first n characters of a text (all of it when it has fewer).
size_t bytesOfCharacters(const std::string& text, int n) {
  size_t at = 0;
  for (int i = 0; i < n && at < text.size(); ++i) at += characterBytes(text, at);
  return at;
}


void drawHighlighted(bool highlighted, int brightness, auto draw) {
  if (highlighted) veziv::SetDrawColorScale(brightness, brightness, 255);
  draw();
  if (highlighted) veziv::SetDrawColorScale(255, 255, 255);
}

messagePage* shownPage() {
  auto& pages = State().scene.pages;
  if (pages.empty()) return nullptr;
  const size_t index = std::min<size_t>(std::max(State().scene.pendingPages, 0), pages.size() - 1);
  return &*std::next(pages.begin(), static_cast<long>(index));
}

void drawLineText(int x, int y, const std::string& text, int alpha) {
  if (text.empty()) return;
  if (alpha < 255) veziv::ChooseBlendMode(1, alpha * State().screenAlpha / 255);
  veziv::DrawTextWithFont(x, y, text.c_str(), Session().colourWhite, Session().registry.storyTextFont, 0, 0);
  if (alpha < 255) restoreStoryBlend();
}

// Reveals the shown page as the frame's time allows, or whole at the
// fastest text speed or while skipping; a page shown whole is complete.
void revealPage(const speakerEntry& speaker, const messagePage& page) {
  if (State().scene.waitFrames == 0) addRevealMs(Session().frame.frameDeltaMs);
  if (State().scene.textSpeed >= kMaxTextSpeed || State().scene.skipMode != 0) {
    State().scene.textComplete = 1;
    drawWholeMessagePage(speaker, page);
  } else if (drawMessagePage(speaker, page, revealAllowance(State().scene.revealMs, State().scene.textSpeed))) {
    State().scene.textComplete = 1;
  }
}

// The screen fade toward or away from black (faster with control held;
// a fade that reaches black steps the script on), then the count of a
// wait line.
void runScreenFade() {
  auto& s = State().scene;
  if (s.screenFade != -1) {
    const bool control = veziv::IsKeyDown(0x1D) == 1 || veziv::IsKeyDown(0x9D) == 1;
    const int step = control ? 14 : 4;
    if (s.screenFadeDir == 1) {
      if (s.screenFade != 255) s.screenFade += step;
    } else {
      s.screenFade -= step;
    }
    if (s.screenFade >= 255) {
      s.screenFade = 255;
      s.screenFadeDir = 0;
      stepScenario(false);
    }
    if (s.screenFade < -1) s.screenFade = -1;
    if (s.screenFade >= 0) {
      veziv::ChooseBlendMode(1, s.screenFade);
      veziv::DrawBoxShape(0, 0, 799, 639, Session().colourBlack, 1);
      restoreStoryBlend();
    }
  }
  if (s.waitFrames != 0) {
    State().screenAlpha = 255;
    restoreStoryBlend();
    s.waitFrames -= 1;
  }
}

// The side menu slides in while the mouse is at the right edge (or a hold
// keeps it in) and out otherwise; then the side menu and the bottom bar.
void drawStoryMenus() {
  auto& s = State().scene;
  if (s.sideBarLocked == 0) {
    s.menuIdleMs += Session().frame.frameDeltaMs;
    if (s.menuHoldMs > 0) {
      if (s.menuIdleMs > 2000) s.menuHoldMs = std::max(0, s.menuHoldMs - Session().frame.frameDeltaMs);
      s.sideBarPos = 100;
    } else if (Session().frame.mouseX > 700) {
      s.sideBarPos = std::min(100, s.sideBarPos + Session().frame.frameDeltaMs / 3);
    } else {
      s.sideBarPos = std::max(0, s.sideBarPos - Session().frame.frameDeltaMs / 3);
    }
  }
  const int32_t cursorBefore = Session().menuCursor;
  // While the side bar is locked its highlight stands still.
  const int p = s.sideBarLocked != 0 ? 200 : pulseBrightness();
  if (s.screenFade == -1 && s.sideBarPos != 0) {
    const int x = 800 - s.sideBarPos;
    for (int i = 1; i <= 6; ++i) {
      drawHighlighted(Session().menuCursor == i, p, [&] {
        veziv::RenderGraphPart(x, 100 + 35 * (i - 1), 0, static_cast<int>(35.5 * (i - 1)), 124, 35,
                               graphOf(kImageSceneButtons), 1, 0);
      });
    }
    if (storyHover(700, 100, 800, 345)) Session().menuCursor = (Session().frame.mouseY - 100) / 35 + 1;
    const int lockX = 870 - s.sideBarPos;
    drawHighlighted(Session().menuCursor == 7, p, [&] {
      veziv::RenderGraphPart(lockX, 311, s.sideBarLocked != 0 ? 0 : 32, 0, 32, 32, graphOf(kImageSideBarLock), 1,
                             0);
    });
    if (storyHover(lockX, 297, lockX + 32, 329)) Session().menuCursor = 7;
  }
  for (int j = 0; j < 4; ++j) {
    const int item = 11 - j;
    const int x = 310 + 110 * j;
    const int sourceY = (j == 0 && s.skipMode != 0) ? 112 : 2 + static_cast<int>(27.5 * j);
    const bool lit = Session().menuCursor == item && (isMouseOnStoryMenu() || s.sideBarPos != 0);
    drawHighlighted(lit, p, [&] { veziv::RenderGraphPart(x, 573, 0, sourceY, 128, 29, graphOf(kImageBottomBar), 1, 0); });
    if (storyHover(x, 573, x + 110, 800)) Session().menuCursor = item;
  }
  if (Session().menuCursor != cursorBefore) playStorySound(kSoundCursor);
}

}  // namespace

int pulseBrightness() {
  return 150 + static_cast<int>(std::trunc(50.0 * std::sin(Session().frame.frameCounter * 10.0 * M_PI / 180.0)));
}

bool storyHover(int x1, int y1, int x2, int y2) {
  if (!Session().frame.mouseMoved && Session().frame.hoverNeedsMove) return false;
  return x1 <= Session().frame.mouseX && Session().frame.mouseX <= x2 && y1 <= Session().frame.mouseY &&
         Session().frame.mouseY <= y2;
}

void readStoryMouse() {
  const int32_t oldX = Session().frame.mouseX, oldY = Session().frame.mouseY;
  veziv::ReadMousePosition(&Session().frame.mouseX, &Session().frame.mouseY);
  Session().frame.mouseMoved = oldX != Session().frame.mouseX || oldY != Session().frame.mouseY;
}

int storyScreenAlpha() { return State().screenAlpha; }

void restoreStoryBlend() {
  if (State().screenAlpha < 255) {
    veziv::ChooseBlendMode(1, State().screenAlpha);
  } else {
    veziv::ChooseBlendMode(0, 0);
  }
}

int measureMessageText(const char* text, int bytes) {
  return veziv::MeasureTextWithFont(text, bytes, Session().registry.storyTextFont, 0);
}

size_t characterBytes(const std::string& text, size_t i) {
  if (i + 1 < text.size() && isLeadByte(static_cast<unsigned char>(text[i]))) return 2;
  return 1;
}

int characterCount(const std::string& text) {
  int n = 0;
  for (size_t at = 0; at < text.size(); at += characterBytes(text, at)) ++n;
  return n;
}

messagePage makeMessagePage(const std::string& speaker, const std::string& voice, int32_t voiceHandle,
                            const std::vector<std::string>& lines) {
  messagePage page;
  std::snprintf(page.speaker, sizeof page.speaker, "%s", speaker.c_str());
  std::snprintf(page.voice, sizeof page.voice, "%s", voice.c_str());
  page.voiceHandle = voiceHandle;
  const size_t count = std::min<size_t>(lines.size(), kPageLines);
  for (size_t i = 0; i < count; ++i) {
    const size_t n = std::min(lines[i].size(), kLineBytes);
    std::memcpy(page.lines[i], lines[i].data(), n);
    page.lines[i][n] = '\0';
  }
  page.lineCount = static_cast<int32_t>(count);
  return page;
}

std::vector<messagePage> splitMessageIntoPages(const std::string& speaker, const std::string& text,
                                               const std::string& voicePath, int32_t voiceHandle,
                                               const TextMeasure& measure) {
  std::vector<messagePage> pages;
  std::string rest = text;
  std::vector<std::string> lines;
  size_t n = 0;     // the character boundary now looked at
  size_t prev = 0;  // the boundary before it
  for (;;) {
    bool stored = false;
    bool last = false;
    // A line keeps at most 63 bytes, cut between two characters.
    if (n > kLineBytes && prev > 0) {
      lines.push_back(rest.substr(0, prev));
      rest.erase(0, prev);
      stored = true;
    } else if (rest.size() <= n) {
      lines.push_back(rest);
      last = true;
    } else if (rest[n] == '$') {
      lines.push_back(rest.substr(0, n));
      rest.erase(0, n + 1);
      stored = true;
    } else if (prev > 0 && measure(rest.c_str(), static_cast<int>(n)) > kLineWidth) {
      lines.push_back(rest.substr(0, prev));
      rest.erase(0, prev);
      stored = true;
    }
    if (last) {
      pages.push_back(makeMessagePage(speaker, voicePath, voiceHandle, lines));
      return pages;
    }
    if (stored) {
      n = prev = 0;
      if (lines.size() == kPageLines) {
        pages.push_back(makeMessagePage(speaker, voicePath, voiceHandle, lines));
        lines.clear();
      }
      continue;
    }
    prev = n;
    n += characterBytes(rest, n);
  }
}

int32_t revealAllowance(int32_t revealMs, int32_t textSpeed) {
  const int64_t shown = static_cast<int64_t>(revealMs) * textSpeed / 1000 - 3;
  return static_cast<int32_t>(std::clamp<int64_t>(shown, INT32_MIN, INT32_MAX));
}

bool drawMessagePage(const speakerEntry& speaker, const messagePage& page, int32_t allowance) {
  if (std::strcmp(page.speaker, "ナ") != 0 && speaker.plate >= 0 && speaker.plate < kPlateCount) {
    veziv::RenderGraphAtPoint(65, 400, sheetPiece(namePlateSheet, speaker.plate), 1);
  }
  int64_t before = 0;  // characters of the earlier lines
  const int count = std::clamp(page.lineCount, 0, kPageLines);
  for (int i = 0; i < count; ++i) {
    const std::string line = page.lines[i];
    const int c = characterCount(line);
    const int64_t a = allowance - before;
    const int y = 470 + 26 * i;
    veziv::DrawLineSegment(170, 495 + 26 * i, 760, 495 + 26 * i, Session().colourGrey, 1);
    if (a > c) {
      drawLineText(170, y, line, 255);
      if (i == count - 1 && State().scene.choiceState == -1) {
        const int width = measureMessageText(line.c_str(), static_cast<int>(line.size()));
        veziv::RenderGraphPart(170 + width, 475 + 26 * i, 16 * ((Session().frame.frameCounter / 3) % 16), 0, 16, 16,
                               graphOf(kImageNextIcon), 1, 0);
        return true;
      }
      before += c;
      continue;
    }
    // The shown characters, then three fading ones after them.
    const int shown = a < 0 ? 0 : static_cast<int>(a + 1);
    const size_t bytes = bytesOfCharacters(line, shown);
    drawLineText(170, y, line.substr(0, bytes), 255);
    int lineIndex = i;
    std::string ghostLine = line;
    size_t at = bytes;
    for (int k = 0; k < 3; ++k) {
      if (at >= ghostLine.size()) {
        if (++lineIndex >= count) break;
        ghostLine = page.lines[lineIndex];
        at = 0;
        if (ghostLine.empty()) break;
      }
      const size_t size = characterBytes(ghostLine, at);
      int alpha = 200 - 75 * k;
      if (allowance < 0 && lineIndex == 0) {
        alpha = 200 + static_cast<int>(static_cast<int64_t>(allowance) * 200 / 3) - 75 * k;
      }
      alpha = std::max(alpha, 0);
      const int x = 170 + measureMessageText(ghostLine.c_str(), static_cast<int>(at));
      drawLineText(x, 470 + 26 * lineIndex, ghostLine.substr(at, size), alpha);
      at += size;
    }
    return false;
  }
  return count == 0;
}

void drawWholeMessagePage(const speakerEntry& speaker, const messagePage& page) {
  drawMessagePage(speaker, page, INT32_MAX);
}

void drawMessageWindow() {
  const auto& s = State().scene;
  int alpha = 255;
  if (s.waitFrames >= 50) {
    alpha = 0;
  } else if (s.waitFrames > 0) {
    alpha = (50 - s.waitFrames) * 255 / 50;
  }
  veziv::ChooseBlendMode(1, alpha);
  veziv::SetDrawColorScale(s.boxColour[0], s.boxColour[1], s.boxColour[2]);
  veziv::RenderGraphAtPoint(15, 390, graphOf(kImageMessageWindow), 1);
  veziv::SetDrawColorScale(255, 255, 255);
  struct Face {
    int32_t image;
    int32_t& fade;
  };
  Face faces[] = {{State().scene.previousFaceImage, State().scene.previousFaceFade},
                  {State().scene.faceImage, State().scene.faceFade}};
  for (Face& face : faces) {
    if (face.image == -1) continue;
    if (face.fade < 255) {
      veziv::ChooseBlendMode(1, std::max(face.fade, 0) * alpha / 255);
      face.fade = std::min(255, face.fade + 25);
    } else {
      veziv::ChooseBlendMode(1, alpha);
    }
    veziv::RenderGraphAtPoint(40, 465, graphOf(face.image), 0);
  }
  restoreStoryBlend();
}

void drawStoryScreen() {
  auto& s = State().scene;
  State().screenAlpha = 255;
  if (s.waitFrames > 50) {
    s.waitFrames -= 1;
    return;
  }
  if (s.waitFrames >= 1) State().screenAlpha = (50 - s.waitFrames) * 255 / 50;
  restoreStoryBlend();
  drawStoryGraphs(s.skipMode != 0);
  if (s.windowHidden == 0) drawMessageWindow();
  if (s.skipMode != 0) {
    if (s.choiceState == 0) {
      s.skipMode = 0;
    } else {
      advanceStoryText(1);
    }
  }
  if (s.pages.empty() || s.logOffset != 0) {
    drawLogView();
    // Before the first message the fade and the wait still run, or a
    // script that starts with one would wait for ever.
    if (s.pages.empty() && s.logOffset == 0) runScreenFade();
    State().screenAlpha = 255;
    restoreStoryBlend();
    return;
  }
  messagePage* page = shownPage();
  if (s.windowHidden == 0) {
    const speakerEntry* speaker = findSpeaker(page->speaker);
    if (speaker == nullptr) {
      // A page of a speaker the table does not know is passed over.
      State().screenAlpha = 255;
      restoreStoryBlend();
      stepScenario(false);
      return;
    }
    revealPage(*speaker, *page);
  }
  runStoryChoice();
  if (s.windowHidden != 0) {
    State().screenAlpha = 255;
    restoreStoryBlend();
    return;
  }
  drawStoryMenus();
  runScreenFade();
  State().screenAlpha = 255;
  restoreStoryBlend();
}

void runStoryWindow() {
  auto& s = State().scene;
  State().screenAlpha = 255;
  if (s.logOffset == 0) {
    drawStoryGraphs(s.skipMode != 0);
    if (s.windowHidden == 0) {
      drawMessageWindow();
      if (messagePage* page = shownPage()) {
        const speakerEntry* speaker = findSpeaker(page->speaker);
        if (speaker == nullptr) {
          stepScenario(false);
          return;
        }
        revealPage(*speaker, *page);
      }
    }
  }
  readStoryMouse();
  runStoryChoice();
  if (s.waitFrames != 0) {
    veziv::ChooseBlendMode(0, 0);
    s.waitFrames -= 1;
  }
}

void advanceStoryText(int32_t count) {
  auto& s = State().scene;
  if (s.waitFrames != 0) return;
  if (s.windowHidden != 0) {
    s.windowHidden = 0;
    playStorySound(kSoundCancel);
    return;
  }
  if (s.screenFade != -1) return;
  if (s.choiceState == 0 && s.logOffset == 0) return;
  if (s.logOffset < 0) {
    s.logOffset += count;
    if (s.logOffset >= 0) {
      s.logOffset = -1;
      playStorySound(kSoundCancel);
    } else {
      playStorySound(kSoundCursor);
    }
    return;
  }
  if (s.textComplete == 0) {
    addRevealMs(10000);
    return;
  }
  for (int32_t i = 0; i < count; ++i) {
    s.textComplete = 0;
    if (s.pendingPages > 0) {
      s.pendingPages -= 1;
      s.revealMs = 0;
    } else {
      stepScenario(false);
    }
  }
}

void toggleMessageWindow() {
  State().scene.skipMode = 0;
  State().scene.windowHidden = State().scene.windowHidden != 0 ? 0 : 1;
}

bool isMouseOnStoryMenu() {
  const int left = 800 - State().scene.sideBarPos;
  for (int k = 0; k < 6; ++k) {
    if (left <= Session().frame.mouseX && Session().frame.mouseX <= 800 && 100 + 35 * k <= Session().frame.mouseY &&
        Session().frame.mouseY <= 130 + 35 * k)
      return true;
  }
  const int lockX = 870 - State().scene.sideBarPos;
  if (lockX <= Session().frame.mouseX && Session().frame.mouseX <= lockX + 32 && 297 <= Session().frame.mouseY &&
      Session().frame.mouseY <= 329)
    return true;
  for (int j = 0; j < 4; ++j) {
    const int x = 310 + 110 * j;
    if (x <= Session().frame.mouseX && Session().frame.mouseX <= x + 110 && 573 <= Session().frame.mouseY &&
        Session().frame.mouseY <= 800)
      return true;
  }
  return false;
}

}  // namespace game::story
