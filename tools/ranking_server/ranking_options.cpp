#include "tools/ranking_server/ranking_options.h"

#include <cstring>

namespace ranking {

namespace {

// Digits only, at most 65535: "abc", "-1", "+80", " 80" or "99999" would
// otherwise end as some other port than the one announced.
bool parsePort(const char* text, int& port) {
  if (*text == '\0') return false;
  int value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + (*c - '0');
    if (value > 65535) return false;
  }
  port = value;
  return true;
}

}  // namespace

bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error) {
  for (int i = 0; i < argc; ++i) {
    const char* option = argv[i];
    if (std::strcmp(option, "--address") != 0 && std::strcmp(option, "--port") != 0 &&
        std::strcmp(option, "--db") != 0) {
      error = std::string("unknown option \"") + option + "\"";
      return false;
    }
    if (i + 1 == argc) {
      error = std::string(option) + " needs a value";
      return false;
    }
    const char* value = argv[++i];
    if (std::strcmp(option, "--address") == 0) {
      options.address = value;
    } else if (std::strcmp(option, "--db") == 0) {
      options.db = value;
    } else if (!parsePort(value, options.port)) {
      error = std::string("--port takes a number from 0 to 65535 (0 for any free port), not \"") + value + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace ranking
