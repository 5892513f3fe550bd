// The whole-game harness.
#include "platform/window/harness.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/os/clock.h"
#include "platform/window/driver.h"
#include "platform/window/harness_state.h"
#include "platform/window/inject.h"
#include "platform/window/key_names.h"
#include "platform/window/window.h"

namespace platform::window {
namespace {

// The manual clock starts here: far from 0, so that the first frame's
// measure is no special case, and the same every run.
constexpr uint64_t kClockStartUs = 5'000'000'000ull;
constexpr uint64_t kPresentUs = 16'000;
// A script's frames and repeats stay within these: two days of frames at 60
// a second, and as many events as a long script needs, a line and the whole
// script. The longest scripts of the game's tests are a few kilobytes and a
// few ten thousand events.
constexpr int kMaxFrame = 10'000'000;
constexpr int kMaxRepeats = 100'000;
constexpr size_t kMaxEvents = 500'000;

using detail::HarnessState;

HarnessState& State() { return detail::HarnessRecord(); }

void ApplyEventsUpTo(int presented) {
  HarnessState& h = State();
  while (h.next_event < h.script.events.size() && h.script.events[h.next_event].frame <= presented) {
    const HarnessEvent& e = h.script.events[h.next_event++];
    switch (e.kind) {
      case HarnessEvent::kKeyDown:
      case HarnessEvent::kKeyUp:
        h.input.keys[e.a & 0xFF] = e.kind == HarnessEvent::kKeyDown ? 1 : 0;
        break;
      case HarnessEvent::kMouse:
        InjectMouseMotion(e.a, e.b);
        h.input.mouse_buttons = e.c;
        break;
      case HarnessEvent::kPad:
        h.input.pad_bits = e.a;
        break;
      case HarnessEvent::kQuit:
        InjectQuit();
        break;
      case HarnessEvent::kText:
        InjectText(e.text.c_str());
        break;
      case HarnessEvent::kReturn:
        InjectKeyDown(Key::kReturn, false);
        break;
    }
  }
}

bool Start() {
  const char* path = std::getenv("VEZIV_HARNESS");
  if (path == nullptr || *path == '\0') return false;
  HarnessState& h = State();
  std::string text, error;
  if (!ReadHarnessScriptFile(path, &text, &error) || !ParseHarnessScript(text, &h.script, &error)) {
    std::fprintf(stderr, "harness: cannot use the script %s: %s\n", path, error.c_str());
    std::exit(3);
  }
  // Everything else of the run follows from these: dummy drivers and the manual clock.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  os::UseManualClock(kClockStartUs);
  for (int a : h.script.answers) ScriptMessageBoxAnswer(static_cast<MessageBoxAnswer>(a));
  h.frames = std::fopen("harness-frames.txt", "w");
  h.active = true;
  return true;
}

}  // namespace

bool WriteFramePng(const char* path, const PresentedFrame& f) {
  FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, static_cast<png_uint_32>(f.width), static_cast<png_uint_32>(f.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(static_cast<size_t>(f.width) * 3);
  for (int y = 0; y < f.height; ++y) {
    for (int x = 0; x < f.width; ++x) {
      const uint32_t p = f.pixels[static_cast<size_t>(y) * f.width + x];
      row[x * 3] = static_cast<uint8_t>(p >> 16);
      row[x * 3 + 1] = static_cast<uint8_t>(p >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(p);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0;
}

bool HarnessActive() {
  static const bool started = Start();
  return started || State().active;
}

// Started with the program, before anything reads the clock.
[[maybe_unused]] static const bool kHarnessStarted = HarnessActive();

const HarnessInput& HarnessInputState() { return State().input; }

namespace detail {

// Called by the headless driver after it kept a frame.
void HarnessPresented(const PresentedFrame& frame, int presented) {
  HarnessState& h = State();
  if (!h.active) return;
  if (h.frames != nullptr) {
    std::fprintf(h.frames, "%d %016llx\n", presented,
                 static_cast<unsigned long long>(FrameChecksum(frame.pixels.data(), frame.pixels.size())));
    std::fflush(h.frames);
  }
  if (std::find(h.script.png_frames.begin(), h.script.png_frames.end(), presented) != h.script.png_frames.end()) {
    char name[64];
    std::snprintf(name, sizeof name, "harness-frame-%d.png", presented);
    WriteFramePng(name, frame);
  }
  // A present takes one refresh of the display, as one that waits for the
  // vertical blank does: modal loops that only present still see time pass.
  os::AdvanceManualClock(kPresentUs);
  ApplyEventsUpTo(presented);
  if (presented == h.script.limit) InjectQuit();
}

// The events of frame 0, before the first present.
void HarnessBeforeFirstFrame() {
  if (State().active) ApplyEventsUpTo(0);
}

HarnessState& HarnessRecord() {
  static HarnessState state;
  return state;
}

}  // namespace detail

void WaitForInputPass() {
  if (HarnessActive() && detail::PresentLastFrameAgain()) return;
  os::Sleep(1);
}

bool ReadHarnessScriptFile(const char* path, std::string* text, std::string* error) {
  text->clear();
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    *error = "a folder, not a script";
    close(fd);
    return false;
  }
  // Read in pieces up to one byte past the cap: a pipe or a device has no
  // size to trust, and one that never ends must not fill the memory.
  char piece[16384];
  for (;;) {
    const ssize_t n = read(fd, piece, sizeof piece);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = std::strerror(errno);
      close(fd);
      return false;
    }
    if (n == 0) break;
    text->append(piece, static_cast<size_t>(n));
    if (text->size() > kMaxHarnessScriptBytes) {
      *error = "longer than " + std::to_string(kMaxHarnessScriptBytes) + " bytes";
      text->clear();
      close(fd);
      return false;
    }
  }
  close(fd);
  return true;
}

namespace {

inline uint64_t RotateLeft(uint64_t v, int bits) { return v << bits | v >> (64 - bits); }

// One word into a lane: xor, turn and multiply by an odd constant are each a
// bijection of the lane, so a change in any one word always reaches the end.
inline uint64_t Mix(uint64_t lane, uint64_t word) { return RotateLeft(lane ^ word, 29) * 0x9E3779B97F4A7C15ull; }

// Spreads every bit of a lane over all 64.
inline uint64_t Finish(uint64_t v) {
  v ^= v >> 33;
  v *= 0xFF51AFD7ED558CCDull;
  v ^= v >> 33;
  v *= 0xC4CEB9FE1A85EC53ull;
  return v ^ (v >> 33);
}

}  // namespace

uint64_t FrameChecksum(const uint32_t* pixels, size_t count) {
  // Four lanes over pairs of pixels keep four multiplies in flight, so the
  // hash runs at the speed the frame is read from memory.
  uint64_t lane[4] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull, 0x082EFA98EC4E6C89ull};
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    for (int l = 0; l < 4; ++l) {
      uint64_t word;
      std::memcpy(&word, pixels + i + 2 * l, sizeof word);
      lane[l] = Mix(lane[l], word);
    }
  }
  for (; i < count; ++i) lane[i & 3] = Mix(lane[i & 3], pixels[i] | uint64_t{1} << 32);
  uint64_t h = Finish(count);
  for (int l = 0; l < 4; ++l) h = Finish(h ^ lane[l]) + static_cast<uint64_t>(l);
  return h;
}

bool ParseHarnessScript(const std::string& text, HarnessScript* script, std::string* error) {
  *script = HarnessScript{};
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  int line_frame = 0;  // the first frame of the last event line
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(number) + ": " + why + ": " + line;
    return false;
  };
  auto integer = [](const std::string& s, int* v) {
    char* end = nullptr;
    errno = 0;
    const long x = std::strtol(s.c_str(), &end, 0);
    if (s.empty() || *end != '\0' || errno != 0 || x < -0x7FFFFFFF || x > 0x7FFFFFFF) return false;
    *v = static_cast<int>(x);
    return true;
  };
  // A key by its code (a number) or by its name.
  auto key = [&integer](const std::string& s, int* code) {
    if (integer(s, code)) return *code >= 0 && *code <= 255;
    *code = KeyCodeForName(s);
    return *code >= 0;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string body = line.substr(0, line.find('#'));
    std::istringstream in(body);
    std::vector<std::string> w;
    for (std::string s; in >> s;) w.push_back(s);
    if (w.empty()) continue;
    int v = 0;
    if (w[0] == "box" && w.size() == 2) {
      const char* names[] = {"ok", "yes", "no", "fail"};
      const auto it = std::find(std::begin(names), std::end(names), w[1]);
      if (it == std::end(names)) return fail("unknown answer");
      script->answers.push_back(static_cast<int>(it - std::begin(names)));
      continue;
    }
    if ((w[0] == "png" || w[0] == "limit") && w.size() == 2) {
      if (!integer(w[1], &v) || v < 1) return fail("bad frame");
      if (w[0] == "png") script->png_frames.push_back(v);
      else script->limit = v;
      continue;
    }
    HarnessEvent e;
    // "F", or "F-G/N": every N frames from F through G.
    int last = 0, every = 1;
    const size_t dash = w[0].find('-', 1), slash = w[0].find('/');
    if (dash != std::string::npos) {
      if (slash == std::string::npos || slash < dash || !integer(w[0].substr(0, dash), &e.frame) ||
          !integer(w[0].substr(dash + 1, slash - dash - 1), &last) || !integer(w[0].substr(slash + 1), &every) ||
          e.frame < 0 || last < e.frame || every < 3) {
        return fail("bad frame range");
      }
      if ((last - e.frame) / every >= kMaxRepeats) return fail("too many repeats");
    } else if (!integer(w[0], &e.frame) || e.frame < 0) {
      return fail("unknown statement");
    } else {
      last = e.frame;
    }
    if (last > kMaxFrame) return fail("frame too far");
    if (e.frame < line_frame) return fail("frames out of order");
    line_frame = e.frame;
    // The bounds are within kMaxFrame; the step may be any int, so frames
    // are counted in 64 bits.
    const size_t repeats = static_cast<size_t>((last - e.frame) / every) + 1;
    const bool tap = w.size() == 4 && w[1] == "key" && w[2] == "tap";
    if (script->events.size() + repeats * (tap ? 2 : 1) > kMaxEvents) return fail("too many events in the script");
    if (tap) {
      // Held for two frames, as a hand's press is.
      if (!key(w[3], &e.a)) return fail("unknown key");
      for (int64_t f = e.frame; f <= last; f += every) {
        script->events.push_back({static_cast<int>(f), HarnessEvent::kKeyDown, e.a, 0, 0, {}});
        script->events.push_back({static_cast<int>(f) + 2, HarnessEvent::kKeyUp, e.a, 0, 0, {}});
      }
      continue;
    }
    if (w.size() == 4 && w[1] == "key" && (w[2] == "down" || w[2] == "up")) {
      if (!key(w[3], &e.a)) return fail("unknown key");
      e.kind = w[2] == "down" ? HarnessEvent::kKeyDown : HarnessEvent::kKeyUp;
    } else if (w.size() == 5 && w[1] == "mouse") {
      if (!integer(w[2], &e.a) || !integer(w[3], &e.b) || !integer(w[4], &e.c)) return fail("bad mouse");
      e.kind = HarnessEvent::kMouse;
    } else if (w.size() == 3 && w[1] == "pad") {
      if (!integer(w[2], &e.a)) return fail("bad pad bits");
      e.kind = HarnessEvent::kPad;
    } else if (w.size() == 2 && w[1] == "quit" && dash == std::string::npos) {
      e.kind = HarnessEvent::kQuit;
    } else if (w.size() == 3 && w[1] == "text") {
      e.kind = HarnessEvent::kText;
      e.text = w[2];
    } else if (w.size() == 2 && w[1] == "return") {
      e.kind = HarnessEvent::kReturn;
    } else {
      return fail("unknown statement");
    }
    for (int64_t f = e.frame; f <= last; f += every) {
      e.frame = static_cast<int>(f);
      script->events.push_back(e);
    }
  }
  // A tap's release and a range's later taps fall among the lines after it.
  std::stable_sort(script->events.begin(), script->events.end(),
                   [](const HarnessEvent& a, const HarnessEvent& b) { return a.frame < b.frame; });
  return true;
}

}  // namespace platform::window
