// What Windows accepts as one component of a path (a file or folder name), the rules that the
// build of a payload and the installer's directory check share.
#pragma once

#include <string_view>

namespace platform {

// The first character of component that Windows forbids in a name: a control character
// (below 0x20) or one of \ / < > : " | ? *. '\0' when there is none.
char ForbiddenNameCharacter(std::string_view component);

// True for a name that Windows takes as a device rather than a file: CON, PRN, AUX, NUL,
// COM1 to COM9 or LPT1 to LPT9 in any case, alone or followed by an extension ("nul.txt",
// "Com1.tar.gz"); blanks before the extension do not help ("CON .txt").
bool IsReservedDeviceName(std::string_view component);

// True when component ends in a dot or a blank, which Windows drops from the name it stores,
// so that the file lands under another name ("." and ".." included).
bool EndsInDotOrBlank(std::string_view component);

// True when component has the form of the short (8.3) name that Windows gives a long one: a
// base of up to 8 characters ending in '~' and one or more digits, then at most one dot and
// an extension of up to 3 characters ("abcdef~1.txt", "PROGR~12", "x~3.tar"), with none of the
// characters a short name cannot hold (blank + , ; = [ ]). On a volume that keeps short names
// such a name is looked up as the alias of another entry too, so writing "abcdef~1.txt" beside
// "abcdefghij.txt" would open that file. "PROGRA~12" (a 9-character base) and "x~1.tar.gz" (two
// dots) can never be short names and pass.
bool LooksLikeShortNameAlias(std::string_view component);

}  // namespace platform
