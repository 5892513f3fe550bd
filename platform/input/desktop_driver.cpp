// The desktop driver: the keyboard and mouse state that SDL keeps from the
// window's events (the library's pump takes them).
#include <SDL.h>

#include "platform/input/driver.h"

namespace platform::input::detail {
namespace {

const uint8_t* SdlKeyStates(int* count) { return SDL_GetKeyboardState(count); }

uint32_t SdlMouseButtons() { return SDL_GetMouseState(nullptr, nullptr); }

}  // namespace

const Driver kDesktopDriver = {"desktop", SdlKeyStates, SdlMouseButtons};

}  // namespace platform::input::detail
