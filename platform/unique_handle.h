// A kernel object handle (file, process, mutex, snapshot) that closes itself. Windows only.
#pragma once

#include <windows.h>

#include <memory>

namespace platform {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle && handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};

// Owns a handle; both null and INVALID_HANDLE_VALUE mean none (Valid tells).
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

inline bool Valid(const UniqueHandle& handle) {
  return handle && handle.get() != INVALID_HANDLE_VALUE;
}

}  // namespace platform
