// The check a payload table carries of itself: payloadgen records a CRC-32 of the table's
// contents, and the programs that carry the table compare it before they write anything, so a
// damaged download is refused whole instead of being found out entry by entry.
#pragma once

#include <cstdint>

#include "payload/payload_entry.h"

// What the user reads when the check fails.
inline constexpr char kDamagedPayloadText[] =
    "This installer is damaged: its contents differ from the ones it was built with.\n"
    "Nothing has been installed. Please download the installer again.";

// zlib's CRC-32 of, in this order: the entry count, then for each entry in table order its
// name with the terminating NUL, bReadOnly, nSize and nPackedSize, then its bytes (nPackedSize
// of them when non-zero, else nSize). Numbers count as 4 bytes, least significant first.
// dwBuildTag is left out: nothing reads it. The table lies in the program's sections, so
// signing the program (which appends a certificate table) changes none of it.
std::uint32_t PayloadTableCrc(const PayloadTable& table);

// True when the table's CRC equals the recorded one.
bool PayloadTableIntact(const PayloadTable& table, std::uint32_t recorded);
