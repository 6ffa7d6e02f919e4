#include "platform/paths.h"

#include <cerrno>

#include "platform/code_page.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"

namespace {

// A directory walk deeper than any path the platform accepts is going in circles.
constexpr int kDirectoryCallLimit = 260;

bool IsEmpty(const char* text) { return text == nullptr || *text == '\0'; }

}  // namespace

std::string JoinPath(const char* dir, const char* name, const char* suffix) {
  std::string joined;
  const bool haveDir = !IsEmpty(dir);
  if (haveDir) {
    joined = dir;
    if (!platform::EndsWithSeparator(joined)) joined += '\\';
  }
  if (!IsEmpty(name)) {
    if (name[0] == '\\')
      name += 1;
    else if (haveDir && name[0] == '.' && name[1] == '\\')
      name += 2;
    joined += name;
  }
  if (!IsEmpty(suffix)) joined += suffix;
  return joined;
}

std::string ParentDirectory(const char* path) {
  std::string parent = path ? path : "";
  for (;;) {
    const std::size_t slash = platform::FindLastSeparator(parent);
    if (slash == std::string::npos) return ".";
    if (slash + 1 < parent.size()) {
      parent.resize(slash + 1);
      return parent;
    }
    parent.pop_back();
  }
}

void CreateDirectoryTree(const char* dir, int& counter) {
  if (counter > kDirectoryCallLimit) return;
  ++counter;
  if (IsEmpty(dir)) return;
  std::string local = dir;
  if (platform::EndsWithSeparator(local)) local.pop_back();
  if (DirectoryExists(local.c_str())) return;
  const int error = platform::Fs().MakeDirectory(local);
  if (error == 0 || error == EEXIST) return;
  // A missing parent: make it first, then try this one again.
  const std::string parent = ParentDirectory(local.c_str());
  CreateDirectoryTree(parent.c_str(), counter);
  CreateDirectoryTree(local.c_str(), counter);
}
