// The check of a made run folder: the data folders, every file of the
// game's id table with the format its name says, and no entry at the root
// that the game's folder check would mistake for a data folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace demodata {

// Each fault as a line; empty when the folder is sound.
std::vector<std::string> checkRunFolder(const std::filesystem::path& run);

// The format fault of one file's bytes by its extension; empty when sound.
std::string checkFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace demodata
