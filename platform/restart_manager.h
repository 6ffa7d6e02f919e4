// Which programs hold files, as the system's Restart Manager names them, so that the user can be
// told what to close.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The programs that use any of the files, each as "<name> (<program file>)", for example
// "Tvex III (tvex3.exe)"; empty when the system cannot tell (no Restart Manager, as on POSIX,
// or one that knows of no program, as Wine's).
std::vector<std::string> ProgramsUsing(const std::vector<std::string>& paths);

}  // namespace platform
