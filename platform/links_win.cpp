#include <windows.h>

#include "platform/code_page.h"
#include "platform/links.h"

namespace platform {

bool IsLink(const std::string& path) {
  std::string own = path;
  // With a trailing backslash the call reports the target's attributes, not the link's.
  if (own.size() > 1 && EndsWithSeparator(own) && own[own.size() - 2] != ':') own.pop_back();
  const DWORD attributes = ::GetFileAttributesA(own.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace platform
