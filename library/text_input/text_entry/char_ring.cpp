// The character ring: 1025 bytes with a read and a write index, filled by the
// window's typed characters and editing codes and emptied a character at a
// time by the line editor.
#include "library/foundation/memory_log/log.h"
#include "library/foundation/window/pump.h"
#include "library/text_input/text_entry/text_entry.h"
#include "library/text_input/text_entry/text_entry_state.h"

namespace veziv {
namespace {

using detail::CharRing;
using detail::kCharRingBytes;

CharRing& Ring() { return detail::TextEntry().ring; }

int Next(int index) { return index + 1 == kCharRingBytes ? 0 : index + 1; }
int Previous(int index) { return index == 0 ? kCharRingBytes - 1 : index - 1; }

bool Empty(const CharRing& r) { return r.read == r.write; }

// The next byte, or -1 when the ring is empty.
int TakeByte(CharRing& r) {
  if (Empty(r)) return -1;
  const int b = r.bytes[r.read];
  r.read = Next(r.read);
  return b;
}

}  // namespace

namespace detail {

int CharRingRoom() {
  const CharRing& r = Ring();
  const int pending = (r.write - r.read + kCharRingBytes) % kCharRingBytes;
  return kCharRingBytes - 1 - pending;
}

bool CharRingHasRoom() { return CharRingRoom() > 0; }

}  // namespace detail

int PushInputChar(int byte) {
  CharRing& r = Ring();
  if (!detail::CharRingHasRoom()) return -1;
  r.bytes[r.write] = static_cast<unsigned char>(byte);
  r.write = Next(r.write);
  return 0;
}

int TakeInputChar(char* out, int take) {
  char unused[2];
  if (out == nullptr) out = unused;
  out[0] = 0;
  out[1] = 0;
  CharRing& r = Ring();
  const int start = r.read;
  const int b = TakeByte(r);
  if (b < 0) return 0;
  out[0] = static_cast<char>(b);
  int count = 1;
  if (!IsEditKey(b) && detail::IsLeadAt(&out[0])) {
    // A lead byte waits in the ring until its trail byte has come.
    if (Empty(r)) {
      r.read = Previous(r.read);
      out[0] = 0;
      return 0;
    }
    out[1] = static_cast<char>(TakeByte(r));
    count = 2;
  }
  if (take == 0) r.read = start;
  return count;
}

int DrainCharInputBuffer() {
  CharRing& r = Ring();
  if (PumpMessages() == 0) {
    for (;;) {
      const int b = TakeByte(r);
      if (b <= 0) break;
      if (b == 0xFF) WriteLogText("文字バッファエラー\n");
      if (PumpMessages() != 0) break;
    }
  }
  r.read = 0;
  r.write = 0;
  return 0;
}

int IsEditKey(int byte) {
  switch (byte) {
    case kEditCodeDelete:
    case kEditCodeLeft:
    case kEditCodeRight:
    case kEditCodeUp:
    case kEditCodeDown:
    case kEditCodeHome:
    case kEditCodeEnd:
    case kEditCodePageUp:
    case kEditCodePageDown:
      return 1;
    default:
      return 0;
  }
}

}  // namespace veziv
