// Making a run folder: the generators run side by side, and only files
// whose bytes changed are written. The folder keeps a record of what each
// generator made from which sources with which tool (".demodata" at its
// root, a name the game's folder check passes over); a generator whose
// tool, sources and outputs are all as recorded is not run again, its
// files are kept as they are.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/demodata/generator.h"

namespace demodata {

inline constexpr const char* kRunRecordName = ".demodata";

struct RunReport {
  size_t files = 0;     // files the generators made or kept
  int written = 0;      // files written because their bytes changed
  int generatorsRun = 0;
  int generatorsKept = 0;
};

// Makes `run` from the sources under `src` with the generators given;
// `tool` identifies the program that runs them (a change of it runs every
// generator again). Throws std::runtime_error on a generator's fault or a
// file that cannot be written.
RunReport makeRunFolder(const std::filesystem::path& src, const std::filesystem::path& run, unsigned jobs,
                        const std::vector<Generator>& generators, const std::string& tool);

// A hash of the running program's own file: the tool identity of a run.
std::string runningToolIdentity();

// FNV-1a, 64 bits, as 16 hex digits.
std::string hashHex(const void* data, size_t size);

}  // namespace demodata
