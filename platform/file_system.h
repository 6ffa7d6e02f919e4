// The file operations the portable code needs, behind one small seam.
//
// Paths are Windows-style texts (backslashes). The Windows side hands them to the real calls
// (fopen, FindFirstFileA, _mkdir, _chmod, ...); the POSIX side maps every backslash to a slash
// first, so the same engine runs natively on real files. Tests derive from RealFileSystem,
// override one call to inject a failure (disk full, access denied, failed rename) and install
// it with ScopedFileSystem.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// What the first directory entry matching a path is.
enum class EntryKind { kNone, kFile, kDirectory };

// One entry of a folder, as the folder lists it: a link is described itself, never followed.
struct DirectoryEntry {
  std::string name;
  EntryKind kind = EntryKind::kNone;  // kFile or kDirectory
  bool link = false;                  // a symbolic link, a junction or another reparse point
  bool readOnly = false;
  std::uint64_t size = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // fopen with a standard mode ("rb", "wb", "ab", "r", "w"); null on failure.
  virtual std::FILE* Open(const std::string& path, const char* mode) = 0;
  virtual std::size_t Read(void* data, std::size_t size, std::size_t count, std::FILE* f) = 0;
  virtual std::size_t Write(const void* data, std::size_t size, std::size_t count,
                            std::FILE* f) = 0;
  // fclose; non-zero when buffered data could not be written.
  virtual int Close(std::FILE* f) = 0;
  // Non-zero when a read or write on the stream has failed (ferror): a short Read is the end
  // of the file only when this is 0.
  virtual int StreamError(std::FILE* f) = 0;
  // Flushes the stream and makes the system write the file's data to the disk; 0 on success.
  virtual int Sync(std::FILE* f) = 0;

  // The first entry matching the path (FindFirstFileA; no wildcards are ever passed).
  virtual EntryKind Find(const std::string& path) = 0;
  // _mkdir of one directory: 0 on success, else the errno value (EEXIST when something of
  // that name exists already).
  virtual int MakeDirectory(const std::string& path) = 0;
  // _chmod with _S_IREAD (readOnly) or _S_IWRITE; 0 on success.
  virtual int SetReadOnly(const std::string& path, bool readOnly) = 0;
  // Removes a file (never a folder); 0 on success, else -1 with errno telling why.
  virtual int Remove(const std::string& path) = 0;
  // Moves from onto to in one step, replacing an existing to, and returns once the move is on
  // the disk; 0 on success. Both lie in the same folder.
  virtual int Replace(const std::string& from, const std::string& to) = 0;
  // The names (without folder) of the files directly in the folder dir; empty when it cannot be
  // read.
  virtual std::vector<std::string> ListFiles(const std::string& dir) = 0;
  // Creates the file and opens it for writing in binary mode, only when nothing of that name
  // exists yet (never one that another process slipped in); null on failure, with errno telling
  // why (EEXIST when the name is taken, EBUSY, EACCES, ENOSPC, ENOENT, EISDIR).
  virtual std::FILE* CreateNew(const std::string& path) = 0;
  // The entries of the folder dir, "." and ".." left out; false when it cannot be read.
  virtual bool List(const std::string& dir, std::vector<DirectoryEntry>& entries) = 0;
  // Moves from onto to in one step, both on the same volume, never replacing anything: 0 on
  // success, else an errno value (EEXIST when something is at to, EBUSY when another program
  // holds from, EACCES, ENOENT).
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  // Removes an empty folder: 0 on success, else an errno value.
  virtual int RemoveFolder(const std::string& path) = 0;
  // True when another program holds the file so that it can be neither moved nor rewritten now:
  // on Windows an open that shares no delete or write access, or a running program's image;
  // never on POSIX. A read-only file is tested for moving only.
  virtual bool InUse(const std::string& path, bool readOnly) = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
};

// The platform's own calls.
class RealFileSystem : public FileSystem {
 public:
  std::FILE* Open(const std::string& path, const char* mode) override;
  std::size_t Read(void* data, std::size_t size, std::size_t count, std::FILE* f) override;
  std::size_t Write(const void* data, std::size_t size, std::size_t count, std::FILE* f) override;
  int Close(std::FILE* f) override;
  int StreamError(std::FILE* f) override;
  int Sync(std::FILE* f) override;
  EntryKind Find(const std::string& path) override;
  int MakeDirectory(const std::string& path) override;
  int SetReadOnly(const std::string& path, bool readOnly) override;
  int Remove(const std::string& path) override;
  int Replace(const std::string& from, const std::string& to) override;
  std::vector<std::string> ListFiles(const std::string& dir) override;
  std::FILE* CreateNew(const std::string& path) override;
  bool List(const std::string& dir, std::vector<DirectoryEntry>& entries) override;
  int Rename(const std::string& from, const std::string& to) override;
  int RemoveFolder(const std::string& path) override;
  bool InUse(const std::string& path, bool readOnly) override;
  void Sleep(unsigned milliseconds) override;
};

// The file system every portable operation uses; RealFileSystem unless a test swapped it.
FileSystem& Fs();

// Installs a file system for the lifetime of this object and restores the previous one.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& fs);
  ~ScopedFileSystem();
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

// Closes a stream through Fs() when it goes out of scope.
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) Fs().Close(f);
  }
};

}  // namespace platform
