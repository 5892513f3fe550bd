// The on-screen log's page and font: screen_log.cpp keeps them; the tests'
// support sets them back to the never-started state.
#pragma once

#include "library/foundation/memory_log/screen_log.h"

namespace veziv::detail {

inline constexpr int kScreenLogLines = 80;
inline constexpr int kScreenLogLineBytes = 255;
inline constexpr int kScreenLogFontSize = 16;

struct ScreenLog {
  ScreenLogServices services;
  bool initialised = false;
  int font = -1;
  int font_lost = 1;
  int font_size = kScreenLogFontSize;
  int tab_width = 4;
  bool active = false;
  char text[kScreenLogLines][kScreenLogLineBytes] = {};
  int line = 0;
  int column = 0;
  int x = 0;
};

ScreenLog& ScreenLogRecord();

}  // namespace veziv::detail
