// The on-screen log's page of text and its line, column and x position. The
// pixels come from the services graphics registers: font, measure and drawing.
#include "library/foundation/memory_log/screen_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "library/foundation/core/helpers.h"
#include "library/foundation/core/random.h"

namespace veziv {
namespace {

constexpr int kLines = 80;
constexpr int kLineBytes = 255;
constexpr int kFontSize = 16;

struct ScreenLog {
  detail::ScreenLogServices services;
  bool initialised = false;
  int font = -1;
  int font_lost = 1;
  int font_size = kFontSize;
  int tab_width = 4;
  bool active = false;
  char text[kLines][kLineBytes] = {};
  int line = 0;
  int column = 0;
  int x = 0;
};

ScreenLog g_log;

int LinesOnScreen() {
  const int height = g_log.services.screen_height ? g_log.services.screen_height() : 0;
  return std::min(height / g_log.font_size, kLines);
}

// Every operation starts here: the log is set up on first use, and its font is
// made again when the font system lost it.
bool Ready() {
  if (!g_log.initialised && InitScreenLog() != 0) return false;
  MakeScreenLogFont();
  return true;
}

}  // namespace

int InitScreenLog() {
  if (g_log.services.ready == nullptr || !g_log.services.ready()) return -1;
  if (g_log.initialised) return 0;
  g_log.initialised = true;
  g_log.font_size = kFontSize;
  g_log.font = -1;
  g_log.font_lost = 1;
  MakeScreenLogFont();
  g_log.active = false;
  g_log.tab_width = 4;
  g_log.line = 0;
  g_log.column = 0;
  g_log.x = 0;
  std::memset(g_log.text, 0, sizeof g_log.text);
  return 0;
}

int MakeScreenLogFont() {
  if (!g_log.initialised || !g_log.font_lost || g_log.services.create_font == nullptr) return 0;
  const int font = g_log.services.create_font(g_log.font_size, &g_log.font_lost);
  if (font != -1) {
    g_log.font = font;
    g_log.font_lost = 0;
  }
  return 0;
}

int PrintfToScreen(const char* format, ...) {
  if (!Ready()) return 0;
  char text[1024];
  va_list args;
  va_start(args, format);
  const int length = FormatTextArgs(text, sizeof text, format, args);
  va_end(args);
  if (length < 0) return 0;
  g_log.active = true;
  AddScreenLogText(text);
  return 0;
}

int ClearScreenLog() {
  if (!Ready()) return 0;
  ResetScreenLogBuffer();
  g_log.active = false;
  return 0;
}

int IsScreenLogActive() { return g_log.active ? 1 : 0; }

int DrawScreenLog() {
  if (!Ready() || g_log.services.draw_line == nullptr) return 0;
  const int lines = LinesOnScreen();
  for (int i = 0; i < lines; ++i) g_log.services.draw_line(0, g_log.font_size * i, g_log.text[i], g_log.font);
  return 0;
}

int AddScreenLogText(const char* text) {
  if (text == nullptr || !Ready()) return 0;
  for (const char* p = text; *p != '\0'; ++p) {
    switch (*p) {
      case 7:
      case 8:
      case 11:
      case 12:
      case 13:
      case '?':
        break;
      case '\t':
        for (int i = 0; i < g_log.tab_width; ++i) PutScreenLogChars(" ");
        break;
      case '\n':
        AdvanceScreenLogLine();
        break;
      default:
        if (PutScreenLogChars(p) == 2) ++p;
        break;
    }
  }
  return 0;
}

int PutScreenLogChars(const char* p) {
  if (!Ready()) return 1;
  // A lead byte at the very end of a text is taken alone, so the text's end is never skipped.
  const int bytes = detail::IsShiftJisLeadByte(static_cast<unsigned char>(p[0])) && p[1] != '\0' ? 2 : 1;
  const int width = g_log.services.measure ? g_log.services.measure(p, bytes, g_log.font) : 0;
  const int screen_width = g_log.services.screen_width ? g_log.services.screen_width() : 0;
  if (g_log.column + bytes >= kLineBytes) {
    AdvanceScreenLogLine();
  } else if (g_log.x + width >= screen_width) {
    AdvanceScreenLogLine();
  }
  g_log.x += width;
  char* line = g_log.text[g_log.line];
  std::memcpy(line + g_log.column, p, static_cast<size_t>(bytes));
  line[g_log.column + bytes] = '\0';
  g_log.column += bytes;
  return bytes;
}

int AdvanceScreenLogLine() {
  if (!Ready()) return 0;
  const int lines = LinesOnScreen();
  if (g_log.line + 1 >= lines) {
    for (int i = 1; i <= g_log.line; ++i) std::memcpy(g_log.text[i - 1], g_log.text[i], kLineBytes);
  } else {
    ++g_log.line;
  }
  std::memset(g_log.text[g_log.line], 0, kLineBytes);
  g_log.column = 0;
  g_log.x = 0;
  return 0;
}

int ResetScreenLogBuffer() {
  std::memset(g_log.text, 0, sizeof g_log.text);
  g_log.line = 0;
  g_log.column = 0;
  g_log.x = 0;
  return 0;
}

namespace detail {

void SetScreenLogServices(const ScreenLogServices& services) { g_log.services = services; }

void ReleaseScreenLogFont() {
  if (g_log.font == -1) return;
  if (!g_log.font_lost && g_log.services.delete_font != nullptr) g_log.services.delete_font(g_log.font);
  g_log.font_lost = 1;
  g_log.font = -1;
}

void ResetScreenLogForTest() {
  const ScreenLogServices services = g_log.services;
  g_log = ScreenLog{};
  g_log.services = services;
}

}  // namespace detail
}  // namespace veziv

