// Test support for the logs: the process as before its first CreateLogFile,
// and the on-screen log as never started.
#pragma once

namespace veziv::detail {

// The process as before its first CreateLogFile, for the tests of what comes before it.
void ForgetLogFile();
// Back to the never-started state; the services registered stay.
void StartScreenLogAfresh();

}  // namespace veziv::detail
