// The text-entry block and the 256 text-entry handles: making, deleting and
// activating fields, copying their text out, the block's start at library
// start and text entry's entries in the library's start, the window and the
// pump.
#include <cstring>
#include <string>

#include "library/foundation/memory_log/log.h"
#include "library/foundation/memory_log/memory.h"
#include "library/foundation/start/library_start.h"
#include "library/foundation/window/call_sites.h"
#include "library/veziv.h"
#include "library/text_input/text_entry/ime.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"
#include "platform/window/text_input.h"

namespace veziv {
namespace detail {

TextEntryState& TextEntry() {
  static TextEntryState state;
  return state;
}

void ResetTextEntryState() {
  TextEntryState& s = TextEntry();
  for (int slot = 0; slot < kTextEntrySlots; ++slot) {
    if (TextEntryHandleData* r = TextEntryRecord(s.table.HandleAt(slot))) FreeLibMemory(r->buffer);
  }
  s = TextEntryState{};
}

ClipboardHooks WindowClipboard() {
  ClipboardHooks calls;
  calls.read = [](std::string* text) {
    const int size = ReadClipboardText(nullptr, 0);
    if (size <= 0) return false;
    std::string buffer(static_cast<size_t>(size), '\0');
    if (ReadClipboardText(buffer.data(), buffer.size()) != 0) return false;
    *text = buffer.c_str();
    return true;
  };
  calls.write = [](const char* text) { WriteClipboardText(text); };
  return calls;
}

ClipboardHooks& TextEntryClipboard() {
  static ClipboardHooks calls = WindowClipboard();
  return calls;
}

TextEntryHandleData* TextEntryRecord(int handle) { return TextEntry().table.Get(handle); }

void RegisterTextEntryWithLibrary() {
  RegisteredSubsystems().init_char_input_buffer = [] { InitCharInputBuffer(); };
  SubsystemHooks& cs = CallSites();
  cs.update_text_entry = [] { UpdateTextEntry(); };
  cs.char_buffer_has_room = CharRingHasRoom;
  cs.push_input_char = [](int ch) { PushInputChar(ch); };
  cs.take_ime_composition = [](const std::string& text, int cursor, int selected) {
    FetchImeCandidateList(text.c_str(), cursor, selected);
  };
  cs.key_input_field_active = [] { return TextEntryRecord(TextEntry().active) != nullptr; };
  cs.delete_text_entry_handle_all = [] { DeleteTextEntryHandleAll(); };
}

}  // namespace detail

namespace {

using detail::TextEntry;
using detail::TextEntryRecord;
using detail::TextEntryState;

bool AnyInUse() {
  const TextEntryState& s = TextEntry();
  for (int slot = 0; slot < detail::kTextEntrySlots; ++slot) {
    if (s.table.HandleAt(slot) != -1) return true;
  }
  return false;
}

}  // namespace

int InitCharInputBuffer() {
  WriteLogText("文字コードバッファの初期化を行います... ");
  detail::ResetTextEntryState();
  // The window starts with typed text on; no field exists yet, so the input
  // method is kept out of the way of the game's keys.
  platform::window::SetTextInputOn(false);
  WriteLogText("完了しました\n");
  return 0;
}

int CreateTextEntryHandle(int maxLength, int cancelAllowed, int singleByteOnly, int numbersOnly) {
  if (maxLength < 0) return -1;
  TextEntryState& s = TextEntry();
  const int handle = s.table.Create();
  if (handle == -1) return -1;
  TextEntryHandleData* r = TextEntryRecord(handle);
  r->buffer = static_cast<char*>(AllocLibMemoryZeroed(static_cast<size_t>(maxLength) + 1));
  if (r->buffer == nullptr) {
    s.table.Delete(handle);
    return -1;
  }
  r->maxLength = maxLength;
  r->cancelAllowed = cancelAllowed;
  r->singleByteOnly = singleByteOnly;
  r->numbersOnly = numbersOnly;
  r->selectionAnchor = -1;
  r->selectionEnd = -1;
  if (!s.ime.enabled) EnableIme(1);
  DrainCharInputBuffer();
  return handle;
}

int DeleteTextEntryHandle(int handle) {
  TextEntryState& s = TextEntry();
  TextEntryHandleData* r = TextEntryRecord(handle);
  if (r == nullptr) return -1;
  FreeLibMemory(r->buffer);
  s.table.Delete(handle);
  if (s.active == handle) s.active = -1;
  if (!AnyInUse()) EnableIme(0);
  return 0;
}

int DeleteTextEntryHandleAll() {
  TextEntry().table.DeleteAll([](int handle) { DeleteTextEntryHandle(handle); });
  TextEntry().active = -1;
  return 0;
}

int SetActiveTextEntryHandle(int handle) {
  TextEntryState& s = TextEntry();
  if (handle == s.active) return 0;
  if (TextEntryHandleData* previous = TextEntryRecord(s.active)) {
    previous->selectionAnchor = -1;
    previous->selectionEnd = -1;
  }
  if (handle == -1) {
    s.active = -1;
    return 0;
  }
  TextEntryHandleData* r = TextEntryRecord(handle);
  if (r == nullptr) return -1;
  s.active = handle;
  r->ended = 0;
  r->cancelled = 0;
  return 0;
}

int CopyTextEntryText(char* out, int handle) {
  const TextEntryHandleData* r = TextEntryRecord(handle);
  if (r == nullptr || out == nullptr) return -1;
  std::memcpy(out, r->buffer, static_cast<size_t>(r->length) + 1);
  return 0;
}

}  // namespace veziv
