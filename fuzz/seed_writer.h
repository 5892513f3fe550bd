// The seed programs' one way to write a seed: corpus/<target>/<name> under the
// folder named on their command line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace veziv::fuzzing {

inline std::string& SeedRoot() {
  static std::string root;
  return root;
}

inline void Seed(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path folder = std::filesystem::path(SeedRoot()) / target;
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace veziv::fuzzing
