// The on-screen log's page of text and its line, column and x position. The
// pixels come from the services graphics registers: font, measure and drawing.
#include "library/foundation/memory_log/screen_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

#include "library/foundation/core/helpers.h"
#include "library/foundation/core/random.h"
#include "library/foundation/memory_log/screen_log_state.h"

namespace veziv {
namespace {

constexpr int kLines = detail::kScreenLogLines;
constexpr int kLineBytes = detail::kScreenLogLineBytes;
constexpr int kFontSize = detail::kScreenLogFontSize;

using detail::ScreenLog;

ScreenLog& State() { return detail::ScreenLogRecord(); }

int LinesOnScreen() {
  ScreenLog& log = State();
  const int height = log.services.screen_height ? log.services.screen_height() : 0;
  return std::min(height / log.font_size, kLines);
}

// Every operation starts here: the log is set up on first use, and its font is
// made again when the font system lost it.
bool Ready() {
  if (!State().initialised && InitScreenLog() != 0) return false;
  MakeScreenLogFont();
  return true;
}

}  // namespace

int InitScreenLog() {
  ScreenLog& log = State();
  if (log.services.ready == nullptr || !log.services.ready()) return -1;
  if (log.initialised) return 0;
  log.initialised = true;
  log.font_size = kFontSize;
  log.font = -1;
  log.font_lost = 1;
  MakeScreenLogFont();
  log.active = false;
  log.tab_width = 4;
  log.line = 0;
  log.column = 0;
  log.x = 0;
  std::memset(log.text, 0, sizeof log.text);
  return 0;
}

int MakeScreenLogFont() {
  ScreenLog& log = State();
  if (!log.initialised || !log.font_lost || log.services.create_font == nullptr) return 0;
  const int font = log.services.create_font(log.font_size, &log.font_lost);
  if (font != -1) {
    log.font = font;
    log.font_lost = 0;
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
  State().active = true;
  AddScreenLogText(text);
  return 0;
}

int ClearScreenLog() {
  if (!Ready()) return 0;
  ResetScreenLogBuffer();
  State().active = false;
  return 0;
}

int IsScreenLogActive() { return State().active ? 1 : 0; }

int DrawScreenLog() {
  ScreenLog& log = State();
  if (!Ready() || log.services.draw_line == nullptr) return 0;
  const int lines = LinesOnScreen();
  for (int i = 0; i < lines; ++i) log.services.draw_line(0, log.font_size * i, log.text[i], log.font);
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
        for (int i = 0; i < State().tab_width; ++i) PutScreenLogChars(" ");
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
  ScreenLog& log = State();
  if (!Ready()) return 1;
  // A lead byte at the very end of a text is taken alone, so the text's end is never skipped.
  const int bytes = detail::IsShiftJisLeadByte(static_cast<unsigned char>(p[0])) && p[1] != '\0' ? 2 : 1;
  const int width = log.services.measure ? log.services.measure(p, bytes, log.font) : 0;
  const int screen_width = log.services.screen_width ? log.services.screen_width() : 0;
  if (log.column + bytes >= kLineBytes) {
    AdvanceScreenLogLine();
  } else if (log.x + width >= screen_width) {
    AdvanceScreenLogLine();
  }
  log.x += width;
  char* line = log.text[log.line];
  std::memcpy(line + log.column, p, static_cast<size_t>(bytes));
  line[log.column + bytes] = '\0';
  log.column += bytes;
  return bytes;
}

int AdvanceScreenLogLine() {
  ScreenLog& log = State();
  if (!Ready()) return 0;
  const int lines = LinesOnScreen();
  if (log.line + 1 >= lines) {
    for (int i = 1; i <= log.line; ++i) std::memcpy(log.text[i - 1], log.text[i], kLineBytes);
  } else {
    ++log.line;
  }
  std::memset(log.text[log.line], 0, kLineBytes);
  log.column = 0;
  log.x = 0;
  return 0;
}

int ResetScreenLogBuffer() {
  ScreenLog& log = State();
  std::memset(log.text, 0, sizeof log.text);
  log.line = 0;
  log.column = 0;
  log.x = 0;
  return 0;
}

namespace detail {

void SetScreenLogServices(const ScreenLogServices& services) { State().services = services; }

void ReleaseScreenLogFont() {
  ScreenLog& log = State();
  if (log.font == -1) return;
  if (!log.font_lost && log.services.delete_font != nullptr) log.services.delete_font(log.font);
  log.font_lost = 1;
  log.font = -1;
}

ScreenLog& ScreenLogRecord() {
  static ScreenLog state;
  return state;
}

}  // namespace detail
}  // namespace veziv

