// Shortcuts to the installed program on the desktop and in the Start menu, and removal of
// the Start-menu shortcut that older versions made.
//
// Folders come from the values the shell keeps under its "Shell Folders" registry keys, read as
// the system keeps them (UTF-16). A folder value, shortcut path or target path is at most
// kMaxLinkPathChars characters (UTF-16 units, as Windows counts them); anything longer is
// refused as described below, never truncated.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The longest path the shortcut code forms or accepts, in UTF-16 units, without its NUL.
constexpr std::size_t kMaxLinkPathChars = 259;

// Makes "<Desktop>\<linkName>.lnk" pointing at "<installDir>\<programBaseName>.exe", working
// in installDir and carrying description (not set when null or empty). An existing shortcut
// of that name is replaced. Returns nothing on success, else the message to show:
// "Could't find startup Shell Folder location" when the per-user "Shell Folders" key cannot
// be read; "Could't find Desktop location" when its "Desktop" value is missing or empty, or
// too long to hold the shortcut path; the same followed by "\nThe folder's name holds
// characters that this version of Windows cannot pass to the installer." when the folder's name
// has a character that the ANSI code page lacks (older Windows, which run the installer in a
// legacy code page); "Trouble saving link in desktop." when the shortcut cannot be saved;
// "Trouble making link in desktop: SetPath() failed!" when the target is refused. linkPathOut
// receives the shortcut path before anything is created, and is left untouched when no folder was
// found. When the shell-link object itself is unavailable no shortcut is made and nothing is
// returned.
std::optional<std::string> CreateDesktopLink(std::string& linkPathOut, const char* installDir,
                                             const char* programBaseName, const char* linkName,
                                             const char* description);

// The same shortcut placed directly in the "Start Menu" folder (the per-user key's "Common
// Start Menu" value when "Start Menu" is missing or empty). Its messages are "Could't find
// startup Shell Folder location", "Could't find Start Menu" (with the same second line for a
// name the ANSI code page cannot hold), "Trouble saving link in startup menu." and "Trouble
// making link in Start Menu: SetPath() failed!".
std::optional<std::string> CreateStartMenuLink(std::string& linkPathOut, const char* installDir,
                                               const char* programBaseName, const char* linkName,
                                               const char* description);

// Removes one file or one empty folder, clearing a read-only attribute when the first attempt
// fails. When the entry survives the second attempt, shows "Trouble removing link:" with the
// path in an application message box, owned by the main dialog while one runs. Nothing happens
// when nothing of that name exists.
void RemoveLink(const char* path);

// Removes "Toll Vex III\Tvex III.lnk" and then the folder "Toll Vex III" from the common and
// the default user's "Programs" folders. A missing key or value, or a folder whose name the ANSI
// code page cannot hold, skips that folder silently;
// only RemoveLink reports anything.
void RemoveOldStartMenuLinks();
