// The folders a RealFileSystem holds open as trusted, by path: the platform's handle or
// descriptor of each, and the name the system gave it when it was opened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

// The platform's handle (Windows) or descriptor (POSIX) of an open folder.
using NativeFolder = std::intptr_t;

class TrustedFolders {
 public:
  struct Folder {
    std::string path;  // as it was trusted, without a trailing separator
    NativeFolder native = -1;
    std::wstring finalName;      // Windows: the system's own name for the open folder
    std::uint32_t nameKind = 0;  // Windows: the kind of that name (how its volume is named)
    std::size_t mark = 0;        // the order in which it was trusted
  };

  // foldCase: paths that differ only in the case of A to Z name the same folder (Windows).
  explicit TrustedFolders(bool foldCase) : foldCase_(foldCase) {}
  TrustedFolders(const TrustedFolders&) = delete;
  TrustedFolders& operator=(const TrustedFolders&) = delete;

  // The folder trusted under path (a trailing separator ignored), or null. The entry stays valid
  // until it is taken out again; Find may run on several threads at once, and beside Add.
  const Folder* Find(const std::string& path) const;
  // Keeps the open folder under its path; the caller no longer closes native.
  void Add(const std::string& path, NativeFolder native, std::wstring finalName = {},
           std::uint32_t nameKind = 0);
  // Takes the folder trusted under path out; its native handle (the caller closes it), or -1.
  NativeFolder Take(const std::string& path);
  // Takes out the folders trusted since Mark() returned mark, the last first.
  std::vector<NativeFolder> TakeSince(std::size_t mark);
  std::size_t Mark() const;
  // Every folder trusted now, outermost first (in the order they were trusted).
  std::vector<Folder> All() const;

  // path without trailing separators (a drive root keeps its backslash).
  static std::string Trimmed(const std::string& path);

 private:
  std::string Key(const std::string& path) const;

  const bool foldCase_;
  mutable std::mutex lock_;
  std::unordered_map<std::string, Folder> folders_;  // by key
  std::size_t next_ = 0;
};

// Where a call on path acts: the folder that holds it ("." when path names none) and the name
// in it (empty when path ends in a separator). A drive root keeps its backslash ("C:\").
void SplitPath(const std::string& path, std::string& folder, std::string& name);

}  // namespace platform
