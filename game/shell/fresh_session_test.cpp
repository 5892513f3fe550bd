// Every test of this program runs in a game session of its own.
#include "game/core/fresh_session_test_support.h"
