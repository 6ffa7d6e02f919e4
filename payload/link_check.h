// No file of an installation may be written through a link: a folder inside an existing
// installation that leads elsewhere (a symbolic link or a junction that someone planted) would
// make the installer, running with administrator rights, write where it was pointed. So the
// installation works only in folders it opened and checked (platform::FileSystem::TrustFolder),
// and a link at the name of one of its files stops it as well.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "payload/payload_entry.h"

// A folder that cannot be trusted, and why: error is ELOOP for a link, else the errno value of
// the read that failed; 0 when there is none.
struct FolderFault {
  std::string folder;
  int error = 0;
};

// Trusts installDir itself and every existing folder between it and the folder of each entry of
// payload, outermost first in table order, for as long as the caller's platform::FolderTrust
// lasts. The first folder that is a link or cannot be read; none when every folder is trusted.
// Folders that do not exist yet are not links: the installation makes them, and trusts them then.
FolderFault TrustInstallFolders(const std::string& installDir, const PayloadTable& payload);

// Trusts every existing folder between installDir and the folder of rel (a path relative to
// installDir), outermost first; installDir itself must be trusted. The first that cannot be.
// Folders in tried were tried before (trusted, or missing) and are passed over; every folder
// tried is added.
FolderFault TrustFoldersOnTheWay(const std::string& installDir, std::string_view rel,
                                 std::unordered_set<std::string>& tried);

// The text that stops an installation at the linked folder dir.
std::string LinkedDirectoryText(const std::string& dir);

// The text that stops an installation at the file path, which is a link (or has other names).
std::string LinkedFileText(const std::string& path);

// The text that stops an installation for fault: LinkedDirectoryText for a link, else what
// failed, ending in "Nothing has been changed." when nothing was.
std::string FolderFaultText(const FolderFault& fault);
