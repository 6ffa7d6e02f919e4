#include "payload/paths.h"

#include <cerrno>

#include "platform/file_ops.h"
#include "platform/file_system.h"

std::FILE* OpenForWrite(const std::string& path, KnownDirectories& known, bool& created) {
  if (path.empty()) return nullptr;
  platform::FileSystem& fs = platform::Fs();
  std::string parent = ParentDirectory(path.c_str());
  const bool knownParent = known.count(parent) != 0;
  if (!knownParent) {
    int counter = 0;
    CreateDirectoryTree(parent.c_str(), counter);
  }
  std::FILE* f = fs.OpenForRewrite(path, created);
  if (!f) {
    // A previous installation left the file read-only.
    fs.SetReadOnly(path, false);
    f = fs.OpenForRewrite(path, created);
  }
  if (f && !knownParent) known.insert(std::move(parent));
  return f;
}
