#include <windows.h>

#include <vector>

#include "platform/code_page.h"
#include "platform/wide_text.h"

namespace platform {

namespace {

// UTF-8 takes neither a default character nor a report of its use (a call that asks for them
// fails there): an invalid text is refused instead. A legacy code page is asked for no best fit
// and reports each character it lacks.
DWORD ExactFlags() { return AnsiCodePageIsUtf8() ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS; }

}  // namespace

std::optional<std::string> AnsiFromWide(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  BOOL lacking = FALSE;
  BOOL* const report = AnsiCodePageIsUtf8() ? nullptr : &lacking;
  const int needed =
      ::WideCharToMultiByte(CP_ACP, ExactFlags(), text.data(), length, nullptr, 0, nullptr, report);
  if (needed <= 0 || lacking) return std::nullopt;
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  if (::WideCharToMultiByte(CP_ACP, ExactFlags(), text.data(), length, ansi.data(), needed, nullptr,
                            report) != needed ||
      lacking)
    return std::nullopt;
  return ansi;
}

std::string AnsiShownFromWide(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const DWORD flags = AnsiCodePageIsUtf8() ? 0 : WC_NO_BEST_FIT_CHARS;
  const int needed =
      ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, ansi.data(), needed, nullptr, nullptr);
  return ansi;
}

std::wstring WideFromAnsi(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int needed = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), needed);
  return wide;
}

std::optional<std::string> EnvironmentText(const char* name) {
  const std::wstring wideName = WideFromAnsi(name ? name : "");
  // Values of any length are read whole; one that grew between the two calls is read again.
  std::vector<wchar_t> value(MAX_PATH);
  for (;;) {
    const DWORD got =
        ::GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (got == 0) return std::nullopt;
    if (got < value.size()) return AnsiFromWide(std::wstring_view(value.data(), got));
    value.resize(got);
  }
}

std::optional<std::string> TempFolder() {
  wchar_t path[MAX_PATH + 1];
  const DWORD got = ::GetTempPathW(MAX_PATH + 1, path);
  if (got == 0 || got > MAX_PATH) return std::nullopt;
  return AnsiFromWide(std::wstring_view(path, got));
}

}  // namespace platform
