// The demo data tool's generators: each makes a group of the run folder's
// files from the sources under data/. A generator is a function listed once
// in generators.inc; the tool runs every listed generator and writes what
// they made.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace demodata {

// The hand-written sources (data/). A generator's own copy notes every
// file the generator read, so that the run folder's record knows when its
// outputs are out of date.
class Sources {
 public:
  explicit Sources(std::filesystem::path root) : root_(std::move(root)) {}
  // A source file's bytes; throws std::runtime_error when it cannot be read.
  std::string read(const std::string& relative) const;
  const std::filesystem::path& root() const { return root_; }
  // The files read so far, each once, in the order first read.
  const std::vector<std::string>& filesRead() const { return read_; }

 private:
  std::filesystem::path root_;
  mutable std::vector<std::string> read_;
};

// What the generators made: run-folder paths (UTF-8, "/" separated) to
// bytes, and folders that must exist even when empty. Generators may add
// from several threads.
class Outputs {
 public:
  // Throws std::runtime_error when two generators make the same path.
  void add(const std::string& path, std::vector<uint8_t> bytes);
  void folder(const std::string& path);
  const std::map<std::string, std::vector<uint8_t>>& files() const { return files_; }
  const std::vector<std::string>& folders() const { return folders_; }

 private:
  std::mutex mutex_;
  std::map<std::string, std::vector<uint8_t>> files_;
  std::vector<std::string> folders_;
};

using GeneratorFunction = void (*)(const Sources& sources, Outputs& outputs);
struct Generator {
  const char* name;
  const char* makes;
  GeneratorFunction run;
};

#define DEMODATA_GENERATOR(function, makes) void function(const Sources& sources, Outputs& outputs);
#include "tools/demodata/generators.inc"

// Every generator of generators.inc, in its order.
const std::vector<Generator>& allGenerators();

// UTF-8 text to CP932 with CR LF line ends (a final line end added when
// missing); throws std::runtime_error naming the line of a character CP932
// does not have, or of a byte order mark.
std::vector<uint8_t> toCp932Text(const std::string& utf8, const std::string& what);

}  // namespace demodata
