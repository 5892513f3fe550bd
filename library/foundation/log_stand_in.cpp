// Stand-in for the library's log until the log file lands.
#include "library/foundation/log_stand_in.h"

namespace veziv {

int WriteLogText(const char*) { return -1; }
int WriteLogFormat(const char*, ...) { return -1; }

}  // namespace veziv
