// What the installer leaves for removing the product later: the manifest of its shortcuts in
// the install directory and the entry under the platform's Uninstall key. Nothing here
// reports a failure: a step that cannot be done is passed over.
#pragma once

#include <string>

// Writes "uninstall.info" in installDir, replacing any earlier one, as two text-mode lines:
// "Link:" + startMenuLink, then "Link:" + desktopLink.
void WriteUninstallManifest(const std::string& installDir, const char* startMenuLink,
                            const char* desktopLink);

// Deletes the Uninstall subkey "Toll Vex III" that older versions registered, unless it has
// subkeys of its own.
void RemoveOldUninstallEntry();

// Creates or updates the Uninstall entry "Tollvex III": "DisplayName" "Zephrin/TvexIII" and
// "UninstallString" holding programPath in double quotes followed by " -uninstall".
void RegisterUninstallEntry(const char* programPath);
