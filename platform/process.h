// Ending the process.
#pragma once

namespace platform {

// Ends the process at once with the exit code, from any thread. No static destructor and no
// atexit handler runs, so nothing is torn down under a thread that is still working; streams
// that are still open are not flushed.
[[noreturn]] void EndProcess(int code);

}  // namespace platform
