#include "payload/link_check.h"

#include <string_view>
#include <unordered_set>

#include "platform/code_page.h"
#include "platform/links.h"

std::string FindLinkedDirectory(const std::string& installDir, const PayloadTable& payload) {
  std::string root = installDir;
  // "C:\" keeps its backslash: "C:" alone names the drive's current folder.
  while (root.size() > 1 && platform::EndsWithSeparator(root) && root[root.size() - 2] != ':')
    root.pop_back();
  if (!root.empty()) {
    if (platform::IsLink(root)) return root;
    if (!platform::EndsWithSeparator(root)) root += '\\';
  }
  // Each folder is tested once, however many entries lie in it.
  std::unordered_set<std::string> tested;
  for (std::size_t i = 0; i < payload.count; ++i) {
    std::string_view name = payload.entries[i]->pszName;
    if (name.substr(0, 2) == ".\\") name.remove_prefix(2);
    for (std::size_t slash = platform::FindSeparator(name); slash != std::string_view::npos;
         slash = platform::FindSeparator(name, slash + 1)) {
      std::string folder = root + std::string(name.substr(0, slash));
      if (!tested.insert(folder).second) continue;
      if (platform::IsLink(folder)) return folder;
    }
  }
  return std::string();
}

std::string LinkedDirectoryText(const std::string& dir) {
  return "The folder \"" + dir +
         "\"\nis a link to another place (a symbolic link or a junction).\n"
         "Nothing has been installed: no file is written through a link.\n"
         "Please remove the link or choose another location";
}
