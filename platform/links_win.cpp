#include <windows.h>

#include "platform/code_page.h"
#include "platform/find_handle.h"
#include "platform/links.h"
#include "platform/win_files.h"

namespace platform {

int TestLink(const std::string& path, bool& link) {
  link = false;
  std::string own = path;
  // With a trailing backslash the calls describe the target, not the link.
  if (own.size() > 1 && EndsWithSeparator(own) && own[own.size() - 2] != ':') own.pop_back();
  if (own.empty()) return 0;
  const DWORD attributes = ::GetFileAttributesA(own.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : win::ErrnoOf(error);
  }
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return 0;
  // The tag is in the directory entry.
  WIN32_FIND_DATAA data;
  if (!FindHandle(own, data)) return win::LastErrno();
  link = IsLinkReparseTag(data.dwReserved0);
  return 0;
}

}  // namespace platform
