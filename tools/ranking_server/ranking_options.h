// The ranking server's command line:
//
//   ranking_server [--address A] [--port P] [--db FILE]
//
// Defaults: 127.0.0.1, port 48620, "ranking.db" in the current folder.
#pragma once

#include <string>

namespace ranking {

struct Options {
  std::string address = "127.0.0.1";
  int port = 48620;  // 0: any free port
  std::string db = "ranking.db";
};

// Reads the arguments after the program's name. False, with the reason in
// error, for an unknown option, a missing value, or a port that is not a
// decimal number from 0 to 65535.
bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error);

}  // namespace ranking
