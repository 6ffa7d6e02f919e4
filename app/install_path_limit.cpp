#include "app/install_path_limit.h"

#include <algorithm>

#include "payload/database_merge.h"
#include "platform/paths.h"

std::size_t LongestInstalledPath(const PayloadTable& table, const std::string& dir) {
  std::size_t longest = JoinPath(dir.c_str(), ".\\uninstall.info").size();
  for (std::size_t i = 0; i < table.count; ++i) {
    const char* name = table.entries[i]->pszName;
    std::size_t length = JoinPath(dir.c_str(), name).size();
    if (IsDatabaseEntry(name)) length += 4;  // ".bak"
    longest = std::max(longest, length);
  }
  return longest;
}

bool InstallPathsFit(const PayloadTable& table, const std::string& dir) {
  return LongestInstalledPath(table, dir) <= kMaxInstalledPath;
}
