#include <errno.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/links.h"

namespace platform {

int TestLink(const std::string& path, bool& link) {
  link = false;
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  // With a trailing slash lstat follows the link.
  if (native.size() > 1 && native.back() == '/') native.pop_back();
  struct stat st;
  if (::lstat(native.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? 0 : errno;
  link = S_ISLNK(st.st_mode);
  return 0;
}

}  // namespace platform
