// Test support for text entry: a clipboard held in the test, fields set up
// with a given text, cursor and selection, the ring filled from a string, and
// a fixture with a fresh text-entry block (no window; no key held) and the
// log in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "library/foundation/memory_log/log_test_support.h"
#include "library/foundation/window/call_sites.h"
#include "library/foundation/window/window_state.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "platform/input/input_test_support.h"

namespace veziv::test {

struct FakeClipboard {
  bool has_text = false;
  std::string text;
  int writes = 0;
};

inline FakeClipboard& Clipboard() {
  static FakeClipboard clipboard;
  return clipboard;
}

inline void UseFakeClipboard() {
  Clipboard() = FakeClipboard{};
  detail::ClipboardHooks& calls = detail::TextEntryClipboard();
  calls.read = [](std::string* text) {
    if (!Clipboard().has_text) return false;
    *text = Clipboard().text;
    return true;
  };
  calls.write = [](const char* text) {
    Clipboard().has_text = true;
    Clipboard().text = text;
    ++Clipboard().writes;
  };
}

inline void UseWindowClipboard() { detail::TextEntryClipboard() = detail::WindowClipboard(); }

// Pushes every byte of the string; false when the ring refused one.
inline bool PushBytes(const std::string& bytes) {
  for (unsigned char b : bytes) {
    if (PushInputChar(b) != 0) return false;
  }
  return true;
}

// What the ring holds, taken out byte by byte.
inline std::string TakeAllBytes() {
  std::string bytes;
  detail::CharRing& r = detail::TextEntry().ring;
  while (r.read != r.write) {
    bytes += static_cast<char>(r.bytes[r.read]);
    r.read = (r.read + 1) % detail::kCharRingBytes;
  }
  return bytes;
}

// A field holding text (within its limit) with the cursor and selection given.
inline int MakeField(int maxLength, const std::string& text, int cursor, int anchor = -1, int end = -1,
                     int cancelAllowed = 0, int singleByteOnly = 0, int numbersOnly = 0) {
  const int handle = CreateTextEntryHandle(maxLength, cancelAllowed, singleByteOnly, numbersOnly);
  TextEntryHandleData* r = detail::TextEntryRecord(handle);
  if (r == nullptr || static_cast<int>(text.size()) > maxLength) return -1;
  std::memcpy(r->buffer, text.c_str(), text.size() + 1);
  r->length = static_cast<int>(text.size());
  r->cursor = cursor;
  r->selectionAnchor = anchor;
  r->selectionEnd = end;
  return handle;
}

class TextEntryTest : public LogFolderTest {
 protected:
  void SetUp() override {
    LogFolderTest::SetUp();
    detail::WindowState() = detail::WindowStateBlock{};
    detail::ResetCallSites();
    detail::RegisterTextEntryWithLibrary();
    platform::input::test::ReleaseScriptedInput();
    ASSERT_EQ(InitCharInputBuffer(), 0);
    UseFakeClipboard();
  }
  void TearDown() override {
    detail::ResetTextEntryState();
    UseWindowClipboard();
    platform::input::test::ReleaseScriptedInput();
    detail::ResetCallSites();
    LogFolderTest::TearDown();
  }
};

}  // namespace veziv::test
