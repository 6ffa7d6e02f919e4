// Whether a name leads somewhere else: the test that keeps an installation from writing through
// a link planted inside its directory.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The reparse tags the installer tells apart (winnt.h). A reparse point carries one of them.
inline constexpr std::uint32_t kReparseTagMountPoint = 0xA0000003;  // a junction
inline constexpr std::uint32_t kReparseTagSymlink = 0xA000000C;
inline constexpr std::uint32_t kReparseTagDedup = 0x80000013;
inline constexpr std::uint32_t kReparseTagCloud = 0x9000001A;  // and 0x9000101A to 0x9000F01A
inline constexpr std::uint32_t kReparseTagLxSymlink = 0xA000001D;

// True when a reparse point with this tag leads to another named place: the tag's name-surrogate
// bit (0x20000000) is set, as on junctions (mount points) and symbolic links of every kind.
// Cloud placeholders and deduplicated files hold their own data elsewhere but are the file
// itself: not links. Tag 0 is no tag any reparse point carries; a reparse point whose tag reads
// 0 (Wine reports every Unix symbolic link so) counts as a link.
bool IsLinkReparseTag(std::uint32_t tag);

// Whether the entry at path (Windows-style, one trailing backslash ignored) is a link to another
// place: on Windows a reparse point whose tag IsLinkReparseTag (Wine shows a Unix symbolic link
// to a folder as one), on POSIX a symbolic link. The link itself is tested, never its target.
// 0 with link set (false when nothing of that name exists), or the errno value of a read that
// failed (EACCES when access is denied): no answer, never "not a link".
int TestLink(const std::string& path, bool& link);

}  // namespace platform
