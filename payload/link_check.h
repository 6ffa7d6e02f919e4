// No file of an installation may be written through a link: a folder inside an existing
// installation that leads elsewhere (a symbolic link or a junction that someone planted)
// would make the installer, running with administrator rights, write where it was pointed.
#pragma once

#include <string>

#include "payload/payload_entry.h"

// The first existing folder that is a link (platform::IsLink) among installDir itself and
// every folder between it and the folder of each entry of payload, in table order; empty when
// there is none. Folders that do not exist yet are not links: the installation makes them.
std::string FindLinkedDirectory(const std::string& installDir, const PayloadTable& payload);

// The text that stops an installation at the linked folder dir.
std::string LinkedDirectoryText(const std::string& dir);
