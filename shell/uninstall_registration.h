// What the installer leaves for removing the product later: the manifest of its shortcuts in
// the install directory and the entry under the platform's Uninstall key. Writing either
// returns the message for a failure, naming what failed; removing the old entry reports
// nothing.
#pragma once

#include <optional>
#include <string>

// Writes "uninstall.info" in installDir as two lines ending in CR LF: "Link:" + startMenuLink,
// then "Link:" + desktopLink. The new file replaces an earlier one in one step once it is
// whole on the disk. Null on success, else the message (the earlier file is then as it was).
std::optional<std::string> WriteUninstallManifest(const std::string& installDir,
                                                  const char* startMenuLink,
                                                  const char* desktopLink);

// Deletes the Uninstall subkey "Toll Vex III" that older versions registered, unless it has
// subkeys of its own.
void RemoveOldUninstallEntry();

// Creates or updates the Uninstall entry "Tollvex III": "DisplayName" "Zephrin/TvexIII" and
// "UninstallString" holding programPath in double quotes followed by " -uninstall". Null on
// success, else the message naming the key or value that could not be written.
std::optional<std::string> RegisterUninstallEntry(const char* programPath);
