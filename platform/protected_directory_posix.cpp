#include <sys/stat.h>

#include <algorithm>

#include "platform/protected_directory.h"

namespace platform {

bool CreateProtectedDirectory(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  // mkdir applies the umask; the mode is set outright afterwards.
  return ::mkdir(native.c_str(), 0700) == 0 && ::chmod(native.c_str(), 0755) == 0;
}

}  // namespace platform
