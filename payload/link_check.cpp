#include "payload/link_check.h"

#include <cerrno>

#include "platform/code_page.h"
#include "platform/file_errors.h"
#include "platform/file_system.h"
#include "platform/paths.h"

FolderFault TrustFoldersOnTheWay(const std::string& installDir, std::string_view rel,
                                 std::unordered_set<std::string>& tried) {
  platform::FileSystem& fs = platform::Fs();
  if (rel.substr(0, 2) == ".\\") rel.remove_prefix(2);
  for (std::size_t slash = rel.find('\\'); slash != std::string_view::npos;
       slash = rel.find('\\', slash + 1)) {
    std::string folder = JoinPath(installDir.c_str(), std::string(rel.substr(0, slash)).c_str());
    if (!tried.insert(folder).second) continue;
    const int error = fs.TrustFolder(folder);
    // A missing folder has nothing below it; nor has a file of its name, which the run will find
    // in its way.
    if (error == ENOENT || error == ENOTDIR) break;
    if (error != 0) return {folder, error};
  }
  return {};
}

FolderFault TrustInstallFolders(const std::string& installDir, const PayloadTable& payload) {
  std::string root = installDir;
  // "C:\" keeps its backslash: "C:" alone names the drive's current folder.
  while (root.size() > 1 && platform::EndsWithSeparator(root) && root[root.size() - 2] != ':')
    root.pop_back();
  if (root.empty()) return {};
  if (const int error = platform::Fs().TrustFolder(root)) {
    if (error == ENOENT || error == ENOTDIR) return {};
    return {root, error};
  }
  // Each folder is tried once, however many entries lie in it.
  std::unordered_set<std::string> tried;
  for (std::size_t i = 0; i < payload.count; ++i)
    if (FolderFault fault = TrustFoldersOnTheWay(root, payload.entries[i]->pszName, tried);
        fault.error)
      return fault;
  return {};
}

std::string LinkedDirectoryText(const std::string& dir) {
  return "The folder \"" + dir +
         "\"\nis a link to another place (a symbolic link or a junction).\n"
         "Nothing has been installed: no file is written through a link.\n"
         "Please remove the link or choose another location";
}

std::string LinkedFileText(const std::string& path) {
  return "The file \"" + path +
         "\"\nis a link to another place (a symbolic link, a junction or a hard link).\n"
         "Nothing has been installed: no file is written through a link.\n"
         "Please remove the link or choose another location";
}

std::string FolderFaultText(const FolderFault& fault) {
  if (fault.error == ELOOP) return LinkedDirectoryText(fault.folder);
  return "Trouble reading the folder " + fault.folder + ": " +
         platform::FileErrorReason(fault.error) + "\nNothing has been changed. Permission problem?";
}
