#include "platform/win_files.h"

#include <winternl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/file_errors.h"
#include "platform/links.h"

namespace platform::win {
namespace {

// NTSTATUS values the checks tell apart; RtlNtStatusToDosError folds both into others.
constexpr NTSTATUS kFileIsADirectory = static_cast<NTSTATUS>(0xC00000BA);
constexpr NTSTATUS kNotADirectory = static_cast<NTSTATUS>(0xC0000103);
constexpr ULONG kFileInternalInformation = 6;
constexpr ULONG kFileRenameInformation = 10;

// The few ntdll calls that kernel32 has no equivalent of (a name opened relative to an open
// folder, and moved onto a name in one). ntdll is in every process from its start; its exports
// are looked up rather than imported, so the program's imports stay kernel32's and the like.
struct Ntdll {
  using CreateFileCall = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES,
                                          PIO_STATUS_BLOCK, PLARGE_INTEGER, ULONG, ULONG, ULONG,
                                          ULONG, PVOID, ULONG);
  using SetInformationCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
  using QueryInformationCall = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
  using StatusToErrorCall = ULONG(NTAPI*)(NTSTATUS);

  CreateFileCall createFile = nullptr;
  SetInformationCall setInformation = nullptr;
  QueryInformationCall queryInformation = nullptr;
  StatusToErrorCall statusToError = nullptr;

  static const Ntdll& Get() {
    static const Ntdll calls = [] {
      Ntdll found;
      if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
        found.createFile = reinterpret_cast<CreateFileCall>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtCreateFile")));
        found.setInformation = reinterpret_cast<SetInformationCall>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtSetInformationFile")));
        found.queryInformation = reinterpret_cast<QueryInformationCall>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "NtQueryInformationFile")));
        found.statusToError = reinterpret_cast<StatusToErrorCall>(
            reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlNtStatusToDosError")));
      }
      return found;
    }();
    return calls;
  }
  bool Complete() const {
    return createFile && setInformation && queryInformation && statusToError;
  }
};

int ErrnoOfStatus(NTSTATUS status) {
  if (status == kFileIsADirectory) return EISDIR;
  if (status == kNotADirectory) return ENOTDIR;
  return ErrnoOf(Ntdll::Get().statusToError(status));
}

}  // namespace

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return EBUSY;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_TOO_MANY_LINKS:
      return EMLINK;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_CRC:
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
      return EIO;
    default:
      // Anything else keeps its own code, for the message and the log.
      return error == ERROR_SUCCESS || error > 0xFFFF ? EIO
                                                      : kWindowsErrorBase + static_cast<int>(error);
  }
}

int LastErrno() {
  errno = ErrnoOf(::GetLastError());
  return errno;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const UINT codePage = ::AreFileApisANSI() ? CP_ACP : CP_OEMCP;
  const int size = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
  if (needed > 0) ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), needed);
  return wide;
}

int OpenIn(HANDLE folder, const std::string& name, ACCESS_MASK access, ULONG share,
           ULONG disposition, ULONG options, ULONG attributes, HANDLE& handle) {
  handle = nullptr;
  const Ntdll& nt = Ntdll::Get();
  if (!nt.Complete()) return ENOSYS;
  std::wstring wide = Wide(name);
  if (wide.empty()) return ENOENT;
  UNICODE_STRING text;
  text.Buffer = wide.data();
  text.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
  text.MaximumLength = text.Length;
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
  IO_STATUS_BLOCK io;
  const NTSTATUS status =
      nt.createFile(&handle, access | SYNCHRONIZE | FILE_READ_ATTRIBUTES, &object, &io, nullptr,
                    attributes, share, disposition,
                    options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT, nullptr, 0);
  if (status >= 0) return 0;
  handle = nullptr;
  return ErrnoOfStatus(status);
}

int MoveOpened(HANDLE file, HANDLE folder, const std::string& name, bool replace) {
  const Ntdll& nt = Ntdll::Get();
  if (!nt.Complete()) return ENOSYS;
  const std::wstring wide = Wide(name);
  if (wide.empty()) return ENOENT;
  const std::size_t bytes = wide.size() * sizeof(wchar_t);
  // Never shorter than the structure itself, whose name has room for one character: a shorter
  // buffer is refused however short the name.
  std::vector<unsigned char> buffer(std::max(sizeof(FILE_RENAME_INFORMATION),
                                             offsetof(FILE_RENAME_INFORMATION, FileName) + bytes));
  auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
  info->ReplaceIfExists = replace ? TRUE : FALSE;
  info->RootDirectory = folder;
  info->FileNameLength = static_cast<ULONG>(bytes);
  std::memcpy(info->FileName, wide.data(), bytes);
  IO_STATUS_BLOCK io;
  const NTSTATUS status =
      nt.setInformation(file, &io, info, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
  return status >= 0 ? 0 : ErrnoOfStatus(status);
}

int CheckOpened(HANDLE handle, bool folder, bool oneName) {
  FILE_ATTRIBUTE_TAG_INFO tag;
  if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag))
    return LastErrno();
  if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkReparseTag(tag.ReparseTag))
    return ELOOP;
  const bool isFolder = (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (isFolder != folder) return folder ? ENOTDIR : EISDIR;
  if (!oneName) return 0;
  FILE_STANDARD_INFO standard;
  if (!::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard))
    return LastErrno();
  return standard.NumberOfLinks > 1 ? EMLINK : 0;
}

int FinalName(HANDLE handle, DWORD& volume, std::wstring& name) {
  for (DWORD kind : {VOLUME_NAME_DOS, VOLUME_NAME_NT, VOLUME_NAME_NONE}) {
    if (volume != 0 && kind != volume) continue;
    for (DWORD form : {FILE_NAME_NORMALIZED, FILE_NAME_OPENED}) {
      std::wstring buffer(MAX_PATH, L'\0');
      for (;;) {
        const DWORD got = ::GetFinalPathNameByHandleW(
            handle, buffer.data(), static_cast<DWORD>(buffer.size()), form | kind);
        if (got == 0) break;
        if (got < buffer.size()) {
          buffer.resize(got);
          name = std::move(buffer);
          volume = kind;
          return 0;
        }
        buffer.assign(got + 1, L'\0');
      }
    }
  }
  return LastErrno();
}

int FileNumber(HANDLE handle, std::uint64_t& number) {
  const Ntdll& nt = Ntdll::Get();
  if (!nt.Complete()) return ENOSYS;
  LARGE_INTEGER index;
  IO_STATUS_BLOCK io;
  const NTSTATUS status =
      nt.queryInformation(handle, &io, &index, sizeof index, kFileInternalInformation);
  if (status < 0) return ErrnoOfStatus(status);
  number = static_cast<std::uint64_t>(index.QuadPart);
  return 0;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

int MarkForRemoval(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition = {};
  disposition.DeleteFile = TRUE;
  return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition)
             ? 0
             : LastErrno();
}

}  // namespace platform::win
