// The installed file table and the archive setting: file_functions.cpp keeps
// them; the tests' support puts them back as they are before start-up.
#pragma once

#include "library/foundation/files/file_functions.h"

namespace veziv::detail {

struct FileFunctionState {
  FileFunctionTable installed{};
  const FileFunctionTable* archiveSet = nullptr;  // a stand-in for the archive-aware set
  int archivesOff = 0;                             // the use-archive setting, kept inverted
};

FileFunctionState& FileFunctionsRecord();

}  // namespace veziv::detail
