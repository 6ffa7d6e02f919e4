// A directory search (FindFirstFileA) that closes itself. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

class FindHandle {
 public:
  // Starts the search for pattern; data holds the first entry when one was found.
  FindHandle(const std::string& pattern, WIN32_FIND_DATAA& data)
      : handle_(::FindFirstFileA(pattern.c_str(), &data)) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) ::FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  // False when the search found nothing (or could not be made).
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE; }
  // The next entry into data; false at the end.
  bool Next(WIN32_FIND_DATAA& data) { return ::FindNextFileA(handle_, &data) != 0; }

 private:
  HANDLE handle_;
};

}  // namespace platform
