// Whether every path an installation writes fits the platform's path limit.
#pragma once

#include <cstddef>
#include <string>

#include "payload/payload_entry.h"

// The longest path, in characters (UTF-16 units, as Windows counts them), that the platform
// accepts for a file.
constexpr std::size_t kMaxInstalledPath = 259;

// The length of the longest path that installing table below dir can write: each entry's
// file, the ".bak" backup beside each component database, and the uninstall manifest.
std::size_t LongestInstalledPath(const PayloadTable& table, const std::string& dir);

// True when no path of that installation passes kMaxInstalledPath characters.
bool InstallPathsFit(const PayloadTable& table, const std::string& dir);
