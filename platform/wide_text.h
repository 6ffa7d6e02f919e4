// Texts that the system gives in UTF-16 (paths from the shell, the registry, the environment),
// taken into the process's ANSI code page exactly or not at all: a character the code page lacks
// is never replaced by a look-alike ("Ł" by "L" in code page 1252), which would name another
// file. Under UTF-8 every valid text converts; a legacy code page (older Windows) lacks many
// characters. Windows only.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// text in the ANSI code page; nothing when a character of it has no exact form there, or the
// text is not valid UTF-16.
std::optional<std::string> AnsiFromWide(std::wstring_view text);

// text in the ANSI code page for showing it: a character without an exact form there becomes
// the code page's default character ('?'), never a look-alike.
std::string AnsiShownFromWide(std::wstring_view text);

// An ANSI text as UTF-16 (every one converts).
std::wstring WideFromAnsi(std::string_view text);

// The environment variable's value in the ANSI code page; nothing when it is not set, is empty
// or has no exact form there.
std::optional<std::string> EnvironmentText(const char* name);

// The user's folder for temporary files (GetTempPathW), ending in a backslash; nothing when
// the system names none or its name has no exact form in the ANSI code page.
std::optional<std::string> TempFolder();

}  // namespace platform
