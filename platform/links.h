// Whether a path leads somewhere else: the test that keeps an installation from writing
// through a link planted inside its directory.
#pragma once

#include <string>

namespace platform {

// True when path (Windows-style, one trailing backslash ignored) names an entry that is a
// link to another place: on Windows a symbolic link, a junction or any other reparse point
// (Wine shows a Unix symbolic link as one); on POSIX a symbolic link. The link itself is
// tested, never its target. False when nothing of that name exists.
bool IsLink(const std::string& path);

}  // namespace platform
