#include <sys/stat.h>

#include <algorithm>

#include "platform/links.h"

namespace platform {

bool IsLink(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  // With a trailing slash lstat follows the link.
  if (native.size() > 1 && native.back() == '/') native.pop_back();
  struct stat st;
  return ::lstat(native.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

}  // namespace platform
