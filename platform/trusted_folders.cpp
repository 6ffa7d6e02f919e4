#include "platform/trusted_folders.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/code_page.h"

namespace platform {
namespace {

// The path ends in a backslash that is a character of its own, or in a slash.
bool EndsInSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '/' || EndsWithSeparator(path));
}

}  // namespace

std::string TrustedFolders::Trimmed(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && EndsInSeparator(trimmed) && trimmed[trimmed.size() - 2] != ':')
    trimmed.pop_back();
  return trimmed;
}

std::string TrustedFolders::Key(const std::string& path) const {
  std::string key = Trimmed(path);
  std::replace(key.begin(), key.end(), '/', '\\');
  return foldCase_ ? AsciiLowered(key) : key;
}

const TrustedFolders::Folder* TrustedFolders::Find(const std::string& path) const {
  std::lock_guard<std::mutex> guard(lock_);
  if (folders_.empty()) return nullptr;
  const auto found = folders_.find(Key(path));
  return found == folders_.end() ? nullptr : &found->second;
}

void TrustedFolders::Add(const std::string& path, NativeFolder native, std::wstring finalName,
                         std::uint32_t nameKind) {
  std::lock_guard<std::mutex> guard(lock_);
  folders_[Key(path)] = Folder{Trimmed(path), native, std::move(finalName), nameKind, next_++};
}

NativeFolder TrustedFolders::Take(const std::string& path) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto found = folders_.find(Key(path));
  if (found == folders_.end()) return -1;
  const NativeFolder native = found->second.native;
  folders_.erase(found);
  return native;
}

std::vector<NativeFolder> TrustedFolders::TakeSince(std::size_t mark) {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<std::pair<std::size_t, NativeFolder>> taken;
  for (auto it = folders_.begin(); it != folders_.end();) {
    if (it->second.mark >= mark) {
      taken.emplace_back(it->second.mark, it->second.native);
      it = folders_.erase(it);
    } else {
      ++it;
    }
  }
  std::sort(taken.rbegin(), taken.rend());
  std::vector<NativeFolder> natives;
  for (const auto& entry : taken) natives.push_back(entry.second);
  return natives;
}

std::size_t TrustedFolders::Mark() const {
  std::lock_guard<std::mutex> guard(lock_);
  return next_;
}

std::vector<TrustedFolders::Folder> TrustedFolders::All() const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<Folder> all;
  for (const auto& entry : folders_) all.push_back(entry.second);
  std::sort(all.begin(), all.end(),
            [](const Folder& a, const Folder& b) { return a.mark < b.mark; });
  return all;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
  // A backslash only where it is a character of its own (a double-byte code page's second byte
  // may be one); a slash is never part of another character.
  std::size_t slash = FindLastSeparator(path);
  const std::size_t forward = path.rfind('/');
  if (forward != std::string::npos && (slash == std::string::npos || forward > slash))
    slash = forward;
  if (slash == std::string::npos) {
    folder.assign(1, '.');
    name = path;
    return;
  }
  name = path.substr(slash + 1);
  folder = path.substr(0, slash);
  // "C:\x" lies in "C:\", "\x" in "\".
  if (folder.empty() || folder.back() == ':') folder += path[slash];
}

}  // namespace platform
