// The pump over SDL's dummy driver with injected events.
#include "library/foundation/window/pump.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <thread>

#include "library/veziv.h"
#include "library/foundation/window/window_test_support.h"
#include "platform/window/events.h"
#include "platform/window/harness.h"
#include "platform/window/harness_test_support.h"
#include "platform/window/inject.h"
#include "platform/window/present.h"

namespace veziv::test {
namespace {

namespace pw = platform::window;

class Pump : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    ASSERT_EQ(CreateMainWindow(), 0);
    Calls().clear();
  }
};

TEST_F(Pump, WithoutAWindowReportsWhetherOneWasDestroyed) {
  DestroyMainWindow();
  detail::WindowState() = detail::WindowStateBlock{};
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  detail::WindowState().destroyed = 1;
  EXPECT_EQ(PumpMessagesUnlocked(), -1);
}

TEST_F(Pump, EmptyQueueMakesOnePassAndOneUpkeep) {
  RecordUpkeep();
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"refill", "midi", "vibration", "network1", "text"}));
}

TEST_F(Pump, TakesEveryQueuedEventInOneCall) {
  for (int i = 0; i < 12; ++i) pw::InjectText("a");
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(TypedChars().size(), 12u);
  std::vector<pw::Message> left;
  EXPECT_FALSE(pw::PollMessages(&left));
}

// While inactive, each pass ends with a stream refill; the characters show
// which pass took them.
TEST_F(Pump, DispatchesAtMostFiveEventsAPass) {
  RecordUpkeep();
  std::vector<int> pass_of_char;
  static std::vector<int>* seen = nullptr;
  seen = &pass_of_char;
  detail::CallSites().push_input_char = [](int) { seen->push_back(Count("refill")); };
  SetRunWhileInactive(1);
  pw::InjectFocus(false);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  ASSERT_EQ(IsWindowActive(), 0);
  SetRunWhileInactive(0);
  Calls().clear();
  for (int i = 0; i < 12; ++i) pw::InjectText("a");
  pw::InjectFocus(true);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(pass_of_char, (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2}));
  EXPECT_EQ(IsWindowActive(), 1);
}

TEST_F(Pump, CloseMakesThisAndEveryLaterCallReturnMinusOne) {
  RecordUpkeep();
  pw::InjectWindowClose();
  pw::InjectText("x");
  EXPECT_EQ(PumpMessagesUnlocked(), -1);
  EXPECT_TRUE(TypedChars().empty());  // after the close nothing more is dispatched
  EXPECT_EQ(IsWindowEnded(), 1);
  EXPECT_NE(GetAppWindowHandle(), nullptr);  // the window itself waits for the library's end
  EXPECT_EQ(Count("text"), 1);               // the upkeep still runs
  pw::InjectText("y");
  EXPECT_EQ(PumpMessagesUnlocked(), -1);
  EXPECT_EQ(PumpMessagesUnlocked(), -1);
  EXPECT_TRUE(TypedChars().empty());
  DestroyMainWindow();
  EXPECT_EQ(GetAppWindowHandle(), nullptr);
  EXPECT_FALSE(pw::HasWindow());
  EXPECT_EQ(PumpMessagesUnlocked(), -1);
}

TEST_F(Pump, QuitRequestEndsLikeTheCloseBox) {
  pw::InjectQuit();
  EXPECT_EQ(PumpMessagesUnlocked(), -1);
  EXPECT_EQ(PumpMessages(), -1);
}

TEST_F(Pump, InactiveWindowWaitsForActivationAndKeepsStreamsAndNetworkAlive) {
  RecordUpkeep();
  detail::CallSites().refill_all_stream_sounds = [] {
    Calls().push_back("refill");
    if (Count("refill") == 5) pw::InjectFocus(true);
  };
  pw::InjectFocus(false);
  uint64_t before = platform::os::MicrosecondClock();
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(IsWindowActive(), 1);
  EXPECT_GE(Count("refill"), 6);  // five while waiting, one in the upkeep
  EXPECT_GE(Count("network1"), 6);
  EXPECT_GE(Count("movies"), 5);
  EXPECT_GE(platform::os::MicrosecondClock() - before, 5'000u);  // it slept, never spun
}

TEST_F(Pump, InactiveWindowDoesNotWaitWhenRunningWhileInactive) {
  SetRunWhileInactive(1);
  pw::InjectFocus(false);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(IsWindowActive(), 0);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
}

TEST_F(Pump, CloseEndsTheInactiveWait) {
  detail::CallSites().refill_all_stream_sounds = [] {
    Calls().push_back("refill");
    if (Count("refill") == 3) pw::InjectWindowClose();
  };
  pw::InjectFocus(false);
  EXPECT_EQ(PumpMessagesUnlocked(), -1);
}

TEST_F(Pump, TextEntryUpkeepCannotReenterThePump) {
  static int inner_result = 99;
  detail::CallSites().update_text_entry = [] {
    Calls().push_back("text");
    pw::InjectText("z");
    inner_result = PumpMessagesUnlocked();
  };
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(inner_result, 0);
  EXPECT_EQ(Count("text"), 1);
  EXPECT_TRUE(TypedChars().empty());  // the inner call took nothing
}

TEST_F(Pump, WindowTimersRunAfterEachPassOnTheMainThreadOnly) {
  detail::CallSites().run_window_timers = [] { Calls().push_back("timers"); };
  detail::CallSites().push_input_char = [](int) { Calls().push_back("char"); };
  pw::InjectText("a");
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  // A pass that took the character, then the empty pass that ends the call.
  EXPECT_EQ(Calls(), (std::vector<std::string>{"char", "timers", "timers"}));
  Calls().clear();
  std::thread t([] { PumpMessagesUnlocked(); });
  t.join();
  EXPECT_TRUE(Calls().empty());
}

TEST_F(Pump, OtherThreadsMakeOnePassWithoutTakingEvents) {
  RecordUpkeep();
  pw::InjectText("q");
  int result = 99;
  std::thread t([&] { result = PumpMessagesUnlocked(); });
  t.join();
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(TypedChars().empty());
  EXPECT_EQ(Count("text"), 1);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  EXPECT_EQ(TypedChars(), std::vector<int>{'q'});
}

TEST_F(Pump, WaitMillisecondsZeroPumpsOnce) {
  RecordUpkeep();
  EXPECT_EQ(WaitMilliseconds(0), 0);
  EXPECT_EQ(Count("text"), 1);
}

TEST_F(Pump, WaitMillisecondsWaitsTheTimeAcrossTheClockWrap) {
  struct Case {
    uint64_t start_ms;
    uint32_t wait_ms;
  };
  const Case cases[] = {
      {5'000, 30},
      {0x7FFFFFFFu - 5, 20},   // the 31-bit clock wraps in the middle
      {0x7FFFFFFFu, 1},
      {0x7FFFFFFFu - 100, 5'000},  // start + ms passes 2^31
  };
  for (const Case& c : cases) {
    platform::os::UseManualClock(c.start_ms * 1000);
    uint64_t before = platform::os::MicrosecondClock();
    EXPECT_EQ(WaitMilliseconds(c.wait_ms), 0);
    uint64_t waited_ms = (platform::os::MicrosecondClock() - before) / 1000;
    EXPECT_GE(waited_ms, c.wait_ms) << c.start_ms;
    EXPECT_LE(waited_ms, uint64_t{c.wait_ms} + 2) << c.start_ms;
  }
}

TEST_F(Pump, WaitMillisecondsStopsWhenTheWindowCloses) {
  detail::CallSites().update_text_entry = [] {
    if (platform::os::MillisecondClock() >= 1'010) pw::InjectWindowClose();
  };
  uint64_t before = platform::os::MicrosecondClock();
  EXPECT_EQ(WaitMilliseconds(100'000), 0);
  EXPECT_LT(platform::os::MicrosecondClock() - before, 20'000u);
}

TEST_F(Pump, WaitForAnyKeyFirstWaitsForTheHeldInputToBeReleased) {
  static std::vector<int> script;
  script = {4, 4, 4, 0, 0, 0, 16};
  detail::CallSites().check_any_input = [](int kinds) {
    EXPECT_EQ(kinds, 7);
    if (script.empty()) return 0;
    int v = script.front();
    script.erase(script.begin());
    return v;
  };
  EXPECT_EQ(WaitForAnyKey(), 16);
  EXPECT_TRUE(script.empty());
}

TEST_F(Pump, WaitForAnyKeyGivesZeroWhenTheWindowGoesAway) {
  detail::CallSites().update_text_entry = [] {
    if (platform::os::MillisecondClock() >= 1'005) pw::InjectWindowClose();
  };
  EXPECT_EQ(WaitForAnyKey(), 0);
}

// Under the whole-game harness a "press any key" wait shows its frame again
// each pass: the script's keys reach it by frame number, and a script that
// presses nothing is ended by its frame limit instead of spinning for ever.
TEST_F(Pump, WaitForAnyKeyTakesTheHarnessScriptsKeysByFrame) {
  struct Case {
    const char* script;
    int key;             // what the wait gives
    int frames_shown;    // presented frames when it returns
  };
  const Case cases[] = {
      {"10 key tap Z\nlimit 500\n", 0x2C, 10},
      {"0 key down Escape\n6 key up Escape\n9 key tap Return\nlimit 500\n", 0x1C, 9},
      {"limit 40\n", 0, 40},
  };
  detail::CallSites().check_any_input = [](int) {
    const pw::HarnessInput& in = pw::HarnessInputState();
    for (int code = 0; code < 256; ++code) {
      if (in.keys[code] != 0) return code;
    }
    return 0;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    pw::HarnessScript script;
    std::string error;
    ASSERT_TRUE(pw::ParseHarnessScript(c.script, &script, &error)) << error;
    pw::ForgetPresentedFrames();
    pw::detail::StartHarnessWithScript(script);
    // The frame the wait stands on, as the game draws its box and presents.
    uint32_t pixels[4] = {};
    pw::PresentRequest request;
    request.image = {reinterpret_cast<const uint8_t*>(pixels), 2, 2, 8};
    request.source = {0, 0, 2, 2};
    request.destination = {0, 0, 2, 2};
    ASSERT_TRUE(pw::PresentScreenImage(request));
    // A guard against the fault this test pins: a wait that never sees a
    // frame pass is ended from outside after a while of real time.
    std::atomic<bool> done{false};
    std::thread guard([&done] {
      for (int i = 0; i < 3000 && !done; ++i) usleep(1000);
      if (!done) pw::InjectQuit();
    });
    const int key = WaitForAnyKey();
    done = true;
    guard.join();
    pw::detail::StopHarness();
    EXPECT_EQ(key, c.key);
    EXPECT_EQ(pw::PresentedFrameCount(), c.frames_shown);
    DestroyMainWindow();
    detail::WindowState() = detail::WindowStateBlock{};
    detail::WindowState().windowed = 1;
    ASSERT_EQ(CreateMainWindow(), 0);
  }
}

TEST_F(Pump, WaitWhileWindowInactiveReturnsOnActivation) {
  detail::CallSites().refill_all_stream_sounds = [] {
    Calls().push_back("refill");
    if (Count("refill") == 4) pw::InjectFocus(true);
  };
  SetRunWhileInactive(1);
  pw::InjectFocus(false);
  EXPECT_EQ(PumpMessagesUnlocked(), 0);
  ASSERT_EQ(IsWindowActive(), 0);
  WaitWhileWindowInactive();  // window mode running while inactive: no wait
  EXPECT_EQ(IsWindowActive(), 0);
  SetRunWhileInactive(0);
  WaitWhileWindowInactive();
  EXPECT_EQ(IsWindowActive(), 1);
}

// Before the window is made and after it is gone, an inactive, not
// running-while-inactive state has nothing to wait for. A regression would
// hang, so the wait runs beside a watchdog that ends the program instead.
TEST_F(Pump, WaitWhileWindowInactiveReturnsAtOnceWithoutAWindow) {
  for (const bool destroyed : {false, true}) {
    SCOPED_TRACE(destroyed ? "after the window" : "before the window");
    DestroyMainWindow();
    detail::WindowState() = detail::WindowStateBlock{};
    detail::WindowState().destroyed = destroyed ? 1 : 0;
    SetRunWhileInactive(0);
    ASSERT_EQ(IsWindowActive(), 0);
    std::promise<void> returned;
    std::future<void> done = returned.get_future();
    std::thread waiter([&returned] {
      WaitWhileWindowInactive();
      returned.set_value();
    });
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      ADD_FAILURE() << "WaitWhileWindowInactive did not return";
      std::_Exit(1);
    }
    waiter.join();
  }
}

}  // namespace
}  // namespace veziv::test
