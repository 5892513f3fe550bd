// PumpMessages without the library's lock, until the lock lands.
#include "library/foundation/pump.h"

namespace veziv {

int PumpMessages() { return PumpMessagesUnlocked(); }

}  // namespace veziv
