// The file operations the portable code needs, behind one small seam.
//
// Paths are Windows-style texts (backslashes). The POSIX side maps every backslash to a slash
// first, so the same engine runs natively on real files. Tests derive from RealFileSystem,
// override one call to inject a failure (disk full, access denied, failed rename) and install
// it with ScopedFileSystem.
//
// What the calls that make, move, change or remove a file act on is checked on what they opened,
// never on a path tested earlier: the name is opened so that a link there is not followed
// (FILE_FLAG_OPEN_REPARSE_POINT, O_NOFOLLOW), inside the folder that holds it. That folder is a
// trusted one (TrustFolder) when the installation trusted it, so that a folder on the way swapped
// for a link later changes nothing; else it is opened by its path for the one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
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
  // Makes one directory: 0 on success, else the errno value (EEXIST when something of that name
  // exists already, ENOENT when the folder that would hold it is missing).
  virtual int MakeDirectory(const std::string& path) = 0;
  // Sets or clears the read-only attribute (on POSIX the write permission) of a file, through
  // the file opened: 0 on success, else -1 with errno telling why (ELOOP when a link stands at
  // the name, EMLINK when the file has other names, EISDIR).
  virtual int SetReadOnly(const std::string& path, bool readOnly) = 0;
  // Removes a file (never a folder); a link at the name is removed itself, never what it leads
  // to. 0 on success, else -1 with errno telling why.
  virtual int Remove(const std::string& path) = 0;
  // Moves from onto to in one step, replacing an existing to (a link there is replaced itself),
  // and returns once the move is on the disk; 0 on success, else -1 with errno telling why (as
  // Rename's). from is moved through the file opened.
  virtual int Replace(const std::string& from, const std::string& to) = 0;
  // The names (without folder) of the files directly in the folder dir; empty when it cannot be
  // read.
  virtual std::vector<std::string> ListFiles(const std::string& dir) = 0;
  // Creates the file and opens it for writing in binary mode, only when nothing of that name
  // exists yet (never one that another process slipped in, never through a link); what was
  // opened is checked to be a plain file of one name. Null on failure, with errno telling why
  // (EEXIST when the name is taken, EBUSY, EACCES, ENOSPC, ENOENT, EISDIR; ELOOP, EMLINK when
  // what was opened is a link or has other names).
  virtual std::FILE* CreateNew(const std::string& path) = 0;
  // The entries of the folder dir, "." and ".." left out; false when it cannot be read.
  virtual bool List(const std::string& dir, std::vector<DirectoryEntry>& entries) = 0;
  // Moves from onto to in one step, both on the same volume, never replacing anything: 0 on
  // success, else an errno value (EEXIST when something is at to, EBUSY when another program
  // holds from, EACCES, ENOENT; ELOOP when from is a link, EMLINK when it has other names). On
  // Windows the file opened is moved; on POSIX the move never follows a link at from.
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  // Removes an empty folder: 0 on success, else an errno value (ELOOP when a link stands at the
  // name: it is left as it is). A trusted folder is forgotten first.
  virtual int RemoveFolder(const std::string& path) = 0;
  // True when another program holds the file so that it can be neither moved nor rewritten now:
  // on Windows an open that shares no delete or write access, or a running program's image;
  // never on POSIX. A read-only file is tested for moving only.
  virtual bool InUse(const std::string& path, bool readOnly) = 0;
  virtual void Sleep(unsigned milliseconds) = 0;

  // Opens the folder at path and keeps it open as trusted until ForgetFolders: every later call
  // on a path directly inside it acts inside the folder opened. The folder that holds path is
  // opened relative to its own trusted folder when it has one; else path is the root of a trusted
  // tree and is opened by its path, through whatever lies above it. Either way a link at its own
  // name is not followed, and what was opened is checked. 0 on success (trusted already
  // included), else the errno value: ELOOP when a link stands at the name, ENOTDIR, ENOENT, or
  // what the read failed with (EACCES). Neither this, ForgetFolders nor RemoveFolder of a
  // trusted folder may run while another thread uses the file system; the other calls may.
  virtual int TrustFolder(const std::string& path) = 0;
  // A mark of the folders trusted so far, for ForgetFolders.
  virtual std::size_t TrustMark() = 0;
  // Closes the folders trusted since mark was taken, the last first.
  virtual void ForgetFolders(std::size_t mark) = 0;
  // Whether every trusted folder still stands at its name, none moved away or replaced since it
  // was trusted: 0, or the errno value with folder naming the first that does not (ELOOP: a
  // link stands there now; ENOLINK: another folder, or nothing).
  virtual int CheckTrustedFolders(std::string& folder) = 0;
};

class TrustedFolders;

// The platform's own calls.
class RealFileSystem : public FileSystem {
 public:
  RealFileSystem();
  ~RealFileSystem() override;
  RealFileSystem(const RealFileSystem&) = delete;
  RealFileSystem& operator=(const RealFileSystem&) = delete;

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
  int TrustFolder(const std::string& path) override;
  std::size_t TrustMark() override;
  void ForgetFolders(std::size_t mark) override;
  int CheckTrustedFolders(std::string& folder) override;

 private:
  std::unique_ptr<TrustedFolders> trusted_;
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

// Keeps the folders trusted during its lifetime (FileSystem::TrustFolder) and forgets them at
// its end; folders trusted before it stay.
class FolderTrust {
 public:
  FolderTrust() : fs_(Fs()), mark_(fs_.TrustMark()) {}
  ~FolderTrust() { fs_.ForgetFolders(mark_); }
  FolderTrust(const FolderTrust&) = delete;
  FolderTrust& operator=(const FolderTrust&) = delete;

 private:
  FileSystem& fs_;
  std::size_t mark_;
};

// Closes a stream through Fs() when it goes out of scope.
struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) Fs().Close(f);
  }
};

}  // namespace platform
