#include "app/install_path_limit.h"

#include <algorithm>

#include "payload/database_merge.h"
#include "platform/code_page.h"
#include "platform/paths.h"

std::size_t LongestInstalledPath(const PayloadTable& table, const std::string& dir) {
  // Characters as Windows counts them: "表" is one, whatever its bytes in the code page.
  const auto installedLength = [&](const char* name) {
    return platform::WideLength(JoinPath(dir.c_str(), name));
  };
  std::size_t longest = installedLength(".\\uninstall.info");
  for (std::size_t i = 0; i < table.count; ++i) {
    const char* name = table.entries[i]->pszName;
    std::size_t length = installedLength(name);
    if (IsDatabaseEntry(name)) length += 4;  // ".bak"
    longest = std::max(longest, length);
  }
  return longest;
}

bool InstallPathsFit(const PayloadTable& table, const std::string& dir) {
  return LongestInstalledPath(table, dir) <= kMaxInstalledPath;
}
