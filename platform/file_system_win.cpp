// Windows side of the file seam: the real C runtime and Win32 calls, and ntdll's for what is
// opened relative to a folder (platform/win_files.h).
#include <direct.h>
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/find_handle.h"
#include "platform/links.h"
#include "platform/trusted_folders.h"
#include "platform/unique_handle.h"
#include "platform/win_files.h"

namespace platform {
namespace {

using win::ErrnoOf;
using win::LastErrno;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A trusted folder is held so that nobody can move or remove it while the installation works
// in it: no FILE_SHARE_DELETE.
constexpr DWORD kShareTrusted = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr ACCESS_MASK kFolderAccess = FILE_TRAVERSE;

HANDLE AsHandle(NativeFolder native) { return reinterpret_cast<HANDLE>(native); }

// A binary stream for writing or for reading on the file opened, which it then owns; null when
// none can be made (the file is closed either way).
std::FILE* StreamOf(UniqueHandle& file, bool write) {
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(file.get()),
                                   (write ? _O_WRONLY : _O_RDONLY) | _O_BINARY);
  if (fd < 0) return nullptr;
  file.release();
  std::FILE* f = ::_fdopen(fd, write ? "wb" : "rb");
  if (!f) ::_close(fd);
  return f;
}

// Where a call on a path acts: the folder that holds it, trusted or opened by its path for this
// call, and the name inside it.
class Place {
 public:
  // 0, or the errno value when the folder cannot be opened (ENOENT when it is missing).
  int Locate(const TrustedFolders& trusted, const std::string& path) {
    SplitPath(path, folderPath_, name_);
    if (name_.empty() || name_ == "." || name_ == "..") return ENOENT;
    trusted_ = trusted.Find(folderPath_);
    if (trusted_) return 0;
    // Not the installation's: the folder is the caller's choice, links above the name included.
    opened_.reset(::CreateFileA(folderPath_.c_str(), kFolderAccess | FILE_READ_ATTRIBUTES,
                                kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                nullptr));
    return Valid(opened_) ? 0 : LastErrno();
  }

  HANDLE Folder() const { return trusted_ ? AsHandle(trusted_->native) : opened_.get(); }
  const std::string& Name() const { return name_; }
  const std::string& FolderPath() const { return folderPath_; }

  // Opens the name inside the folder (win::OpenIn); 0 or the errno value.
  int Open(ACCESS_MASK access, ULONG share, ULONG disposition, ULONG options, UniqueHandle& out,
           ULONG attributes = 0) const {
    HANDLE handle = nullptr;
    const int error =
        win::OpenIn(Folder(), name_, access, share, disposition, options, attributes, handle);
    out.reset(error == 0 ? handle : nullptr);
    return error;
  }

  // 0 when the folder open at handle is the one of this name in the folder, not one a link
  // here leads to (Wine follows a Unix symbolic link even when told not to, and shows no
  // reparse point on the handle: only the system's name for the handle tells); else ELOOP, or
  // the errno value of a failed read. ownName and volume: the name read (win::FinalName).
  int CheckIdentity(HANDLE handle, std::wstring& ownName, DWORD& volume) const {
    std::wstring folderName;
    volume = 0;
    if (trusted_) {
      folderName = trusted_->finalName;
      volume = trusted_->nameKind;
    } else if (const int error = win::FinalName(opened_.get(), volume, folderName)) {
      return error;
    }
    if (const int error = win::FinalName(handle, volume, ownName)) return error;
    if (!folderName.empty() && folderName.back() != L'\\') folderName += L'\\';
    return win::SameName(ownName, folderName + win::Wide(name_)) ? 0 : ELOOP;
  }

 private:
  std::string folderPath_, name_;
  const TrustedFolders::Folder* trusted_ = nullptr;
  UniqueHandle opened_;
};

// Opens the file at path for a change (win::OpenIn, FILE_OPEN) and checks it is a plain file of
// one name: 0, or the errno value.
int OpenFileToChange(const TrustedFolders& trusted, const std::string& path, ACCESS_MASK access,
                     ULONG options, UniqueHandle& file) {
  Place place;
  if (const int error = place.Locate(trusted, path)) return error;
  if (const int error =
          place.Open(access, kShareAll, FILE_OPEN, FILE_NON_DIRECTORY_FILE | options, file))
    return error;
  return win::CheckOpened(file.get(), false, true);
}

// Moves the file at from through the file opened onto to: 0, or the errno value.
int MoveFile(const TrustedFolders& trusted, const std::string& from, const std::string& to,
             bool replace) {
  UniqueHandle file;
  // A write-through handle makes the move reach the disk before it returns, as MoveFileEx's
  // MOVEFILE_WRITE_THROUGH does.
  if (const int error =
          OpenFileToChange(trusted, from, DELETE, replace ? FILE_WRITE_THROUGH : 0, file))
    return error;
  Place target;
  if (const int error = target.Locate(trusted, to)) return error;
  return win::MoveOpened(file.get(), target.Folder(), target.Name(), replace);
}

}  // namespace

RealFileSystem::RealFileSystem() : trusted_(std::make_unique<TrustedFolders>(true)) {}

RealFileSystem::~RealFileSystem() { ForgetFolders(0); }

std::FILE* RealFileSystem::Open(const std::string& path, const char* mode) {
  if (path.empty()) return nullptr;
  // A file of a trusted folder is read through the folder opened: nothing swapped in above it
  // since it was checked is followed, and Wine need not walk the whole path again.
  std::string folderPath, name;
  SplitPath(path, folderPath, name);
  if (std::strcmp(mode, "rb") == 0 && trusted_->Find(folderPath)) {
    Place place;
    UniqueHandle file;
    int error = place.Locate(*trusted_, path);
    if (error == 0)
      error = place.Open(GENERIC_READ, kShareAll, FILE_OPEN, FILE_NON_DIRECTORY_FILE, file);
    if (error != 0) {
      errno = error;
      return nullptr;
    }
    return StreamOf(file, false);
  }
  return std::fopen(path.c_str(), mode);
}

EntryKind RealFileSystem::Find(const std::string& path) {
  if (path.empty()) return EntryKind::kNone;
  WIN32_FIND_DATAA data;
  if (!FindHandle(path, data)) return EntryKind::kNone;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kDirectory
                                                            : EntryKind::kFile;
}

std::vector<std::string> RealFileSystem::ListFiles(const std::string& dir) {
  std::vector<std::string> names;
  std::string pattern = dir;
  if (!pattern.empty() && !EndsWithSeparator(pattern)) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA data;
  FindHandle search(pattern, data);
  if (!search) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (search.Next(data));
  return names;
}

int RealFileSystem::Sync(std::FILE* f) {
  if (std::fflush(f) != 0) return -1;
  return ::_commit(::_fileno(f));
}

int RealFileSystem::MakeDirectory(const std::string& path) {
  Place place;
  if (const int error = place.Locate(*trusted_, path)) return error;
  UniqueHandle folder;
  const int error = place.Open(kFolderAccess, kShareAll, FILE_CREATE, FILE_DIRECTORY_FILE, folder,
                               FILE_ATTRIBUTE_NORMAL);
  return error;
}

int RealFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  UniqueHandle file;
  int error = OpenFileToChange(*trusted_, path, FILE_WRITE_ATTRIBUTES, 0, file);
  FILE_BASIC_INFO basic;
  if (error == 0 &&
      !::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &basic, sizeof basic))
    error = LastErrno();
  if (error != 0) {
    errno = error;
    return -1;
  }
  DWORD attributes = readOnly ? (basic.FileAttributes | FILE_ATTRIBUTE_READONLY)
                              : (basic.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  // 0 would leave the attributes as they are; the times stay as they are when 0.
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  basic = FILE_BASIC_INFO{};
  basic.FileAttributes = attributes;
  if (!::SetFileInformationByHandle(file.get(), FileBasicInfo, &basic, sizeof basic)) {
    LastErrno();
    return -1;
  }
  return 0;
}

int RealFileSystem::Remove(const std::string& path) {
  Place place;
  UniqueHandle file;
  int error = place.Locate(*trusted_, path);
  if (error == 0) error = place.Open(DELETE, kShareAll, FILE_OPEN, FILE_NON_DIRECTORY_FILE, file);
  if (error == 0) error = win::MarkForRemoval(file.get());
  if (error == 0) return 0;
  errno = error;
  return -1;
}

int RealFileSystem::Replace(const std::string& from, const std::string& to) {
  const int error = MoveFile(*trusted_, from, to, true);
  if (error == 0) return 0;
  errno = error;
  return -1;
}

std::FILE* RealFileSystem::CreateNew(const std::string& path) {
  if (path.empty()) return nullptr;
  Place place;
  UniqueHandle file;
  int error = place.Locate(*trusted_, path);
  if (error == 0)
    error = place.Open(GENERIC_WRITE, FILE_SHARE_READ, FILE_CREATE, FILE_NON_DIRECTORY_FILE, file,
                       FILE_ATTRIBUTE_NORMAL);
  if (error == EEXIST || error == EACCES) {
    // A folder of that name reports a name taken (or access denied): say what stands in the way.
    UniqueHandle folder;
    if (place.Open(0, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE, folder) == 0) error = EISDIR;
  }
  if (error == 0) error = win::CheckOpened(file.get(), false, true);
  if (error != 0) {
    errno = error;
    return nullptr;
  }
  return StreamOf(file, true);
}

bool RealFileSystem::List(const std::string& dir, std::vector<DirectoryEntry>& entries) {
  std::string pattern = dir;
  if (!pattern.empty() && !EndsWithSeparator(pattern)) pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA data;
  FindHandle search(pattern, data);
  if (!search) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    DirectoryEntry entry;
    entry.name = name;
    entry.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kDirectory
                                                                    : EntryKind::kFile;
    // The entry holds the reparse point's tag: a cloud placeholder is a file like any other.
    entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                 IsLinkReparseTag(data.dwReserved0);
    entry.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    entry.size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(std::move(entry));
  } while (search.Next(data));
  return true;
}

int RealFileSystem::Rename(const std::string& from, const std::string& to) {
  return MoveFile(*trusted_, from, to, false);
}

int RealFileSystem::RemoveFolder(const std::string& path) {
  const NativeFolder held = trusted_->Take(path);
  if (held != -1) ::CloseHandle(AsHandle(held));
  Place place;
  UniqueHandle folder;
  int error = place.Locate(*trusted_, TrustedFolders::Trimmed(path));
  if (error == 0) error = place.Open(DELETE, kShareAll, FILE_OPEN, FILE_DIRECTORY_FILE, folder);
  std::wstring name;
  DWORD volume = 0;
  if (error == 0) error = win::CheckOpened(folder.get(), true, false);
  if (error == 0) error = place.CheckIdentity(folder.get(), name, volume);
  if (error == 0) error = win::MarkForRemoval(folder.get());
  return error;
}

bool RealFileSystem::InUse(const std::string& path, bool readOnly) {
  // What moving the file aside and writing its successor need, with every kind of sharing
  // offered: only a holder that shares less makes the open fail with a sharing violation. A
  // running program's image refuses write access.
  Place place;
  if (place.Locate(*trusted_, path) != 0) return false;
  UniqueHandle file;
  return place.Open(DELETE | (readOnly ? 0 : GENERIC_WRITE), kShareAll, FILE_OPEN, 0, file) ==
         EBUSY;
}

void RealFileSystem::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

int RealFileSystem::TrustFolder(const std::string& path) {
  const std::string own = TrustedFolders::Trimmed(path);
  if (trusted_->Find(own)) return 0;
  std::string parentPath, name;
  SplitPath(own, parentPath, name);
  UniqueHandle folder;
  std::wstring finalName;
  DWORD volume = 0;
  if (trusted_->Find(parentPath)) {
    Place place;
    if (const int error = place.Locate(*trusted_, own)) return error;
    if (const int error =
            place.Open(kFolderAccess, kShareTrusted, FILE_OPEN, FILE_DIRECTORY_FILE, folder))
      return error;
    if (const int error = win::CheckOpened(folder.get(), true, false)) return error;
    if (const int error = place.CheckIdentity(folder.get(), finalName, volume)) return error;
  } else {
    // The root of a trusted tree. Wine shows a Unix symbolic link to a folder as a reparse point
    // in the folder's entry only, never on a handle: the entry is read as well.
    bool link = false;
    if (const int error = TestLink(own, link)) return error;
    if (link) return ELOOP;
    folder.reset(::CreateFileA(own.c_str(), kFolderAccess | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                               kShareTrusted, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!Valid(folder)) return LastErrno();
    if (const int error = win::CheckOpened(folder.get(), true, false)) return error;
    if (const int error = win::FinalName(folder.get(), volume, finalName)) return error;
  }
  trusted_->Add(own, reinterpret_cast<NativeFolder>(folder.release()), std::move(finalName),
                volume);
  return 0;
}

void RealFileSystem::ForgetFolders(std::size_t mark) {
  for (NativeFolder native : trusted_->TakeSince(mark)) ::CloseHandle(AsHandle(native));
}

int RealFileSystem::CheckTrustedFolders(std::string& folder) {
  for (const TrustedFolders::Folder& trusted : trusted_->All()) {
    // What stands at the name now, opened as the folder was, against the folder held.
    std::string parentPath, name;
    SplitPath(trusted.path, parentPath, name);
    UniqueHandle now;
    int error = 0;
    if (const TrustedFolders::Folder* parent = trusted_->Find(parentPath)) {
      HANDLE handle = nullptr;
      error = win::OpenIn(AsHandle(parent->native), name, 0, kShareAll, FILE_OPEN, 0, 0, handle);
      now.reset(handle);
    } else {
      now.reset(::CreateFileA(trusted.path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (!Valid(now)) error = LastErrno();
    }
    std::uint64_t held = 0, found = 0;
    if (error == 0) error = win::CheckOpened(now.get(), true, false);
    if (error == 0) error = win::FileNumber(AsHandle(trusted.native), held);
    if (error == 0) error = win::FileNumber(now.get(), found);
    // On the volume of its trusted parent: a folder of another volume would be a mount point.
    if (error == 0 && held != found) error = ENOLINK;
    if (error != 0) {
      folder = trusted.path;
      return error == ELOOP ? ELOOP : ENOLINK;
    }
  }
  return 0;
}

}  // namespace platform
