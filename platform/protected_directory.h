// Making a directory whose protection does not depend on where it is made.
#pragma once

#include <string>

namespace platform {

// Creates the directory path (its parent must exist) with an access list of its own: full
// control for Administrators and SYSTEM, read and execute for Users, inherited by everything
// made below it and nothing inherited from the parent. A folder made below C:\ would otherwise
// inherit the rights that let any local user change its files. On POSIX the mode is 0755
// whatever the umask. False when the directory cannot be made (it exists already included).
bool CreateProtectedDirectory(const std::string& path);

}  // namespace platform
