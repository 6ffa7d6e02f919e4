// An open registry key that closes itself: the one owner of registry keys for the installer,
// its shell parts and the stand-in simulator.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace platform {

// Every registry text the installer reads goes through a buffer of this many bytes.
constexpr DWORD kRegTextBytes = 260;

// A registry text as read: its type and the bytes before its first NUL. exact is false (and the
// text empty) when the value holds a character that the ANSI code page lacks (QueryExactText).
struct RegText {
  DWORD type = REG_NONE;
  std::string text;
  bool exact = true;
};

// Owns one HKEY and closes it on destruction. Move-only. Predefined root keys are never
// owned: open a subkey of them instead.
class RegKey {
 public:
  RegKey() = default;
  ~RegKey();
  RegKey(RegKey&& other) noexcept;
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Closes the key held, then opens root\subKey with exactly the rights asked for. Returns
  // the Win32 result; on failure the object holds no key.
  LONG Open(HKEY root, const char* subKey, REGSAM access);

  // Closes the key held, then creates (or opens) root\subKey, non-volatile, without a class,
  // with default security and the rights asked for. Returns the Win32 result; on failure the
  // object holds no key.
  LONG Create(HKEY root, const char* subKey, REGSAM access);

  // Reads a value (null or "" for the default value) into a cleared buffer of maxBytes bytes.
  // Empty when the key is not open, the value is missing or it does not fit; the type is
  // reported as stored, not checked.
  std::optional<RegText> QueryText(const char* name, DWORD maxBytes = kRegTextBytes) const;

  // The same read as the system keeps the value (UTF-16, into a cleared buffer of maxChars
  // units), given in the ANSI code page. A value with a character that the code page lacks (a
  // legacy code page, older Windows) comes back with exact false and no text, never as a
  // look-alike; a value that is not text comes back as its bytes read as UTF-16.
  std::optional<RegText> QueryExactText(const char* name, DWORD maxChars = kRegTextBytes) const;

  // Stores text as REG_SZ, its terminating NUL counted in the size. Returns the Win32 result.
  LONG SetText(const char* name, const std::string& text) const;

  // Deletes the subkey when it has no subkeys of its own (the platform never deletes a
  // tree here). Returns the Win32 result.
  LONG DeleteSubKey(const char* name) const;

  // Closes the key now; harmless when none is held.
  void Close();

  bool IsOpen() const { return key_ != nullptr; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace platform
