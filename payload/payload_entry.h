// The payload table: every installed file, built into the program by tools/payloadgen.
//
//   g_payloadTable[i] ──► PayloadEntry { pszName, bReadOnly, nSize, nPackedSize, dwBuildTag, pData
//   }
//                                           │                                              │
//   read-only stretch, table order:   ".\name\0" pad to 4 │ data (nPackedSize or nSize bytes) pad
//   to 4 │ ...
//
// pszName is ".\" + the path below the install directory with backslashes. nPackedSize is 0
// for a file stored plainly (pData holds nSize bytes); otherwise pData holds a single-member
// gzip stream of nPackedSize bytes that expands to nSize bytes. Entries are sorted by name,
// compared byte by byte with letters folded to lower case.
#pragma once

#include <cstddef>
#include <cstdint>

struct PayloadEntry {
  const char* pszName;
  std::uint32_t bReadOnly;
  std::uint32_t nSize;
  std::uint32_t nPackedSize;
  std::uint32_t dwBuildTag;
  const unsigned char* pData;
};

// A table of entries: the built-in one or a test's own.
struct PayloadTable {
  const PayloadEntry* const* entries;
  std::size_t count;
};

// The bytes a table installs: the sum of its entries' sizes.
inline std::uint64_t InstalledBytes(const PayloadTable& table) {
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < table.count; ++i) bytes += table.entries[i]->nSize;
  return bytes;
}

// The built-in table; defined by the generated payload source linked into the program.
extern const PayloadEntry* const g_payloadTable[];
extern const std::size_t g_payloadTableSize;
// zlib's CRC-32 of the built-in table as payloadgen recorded it (payload/payload_check.h).
extern const std::uint32_t g_payloadTableCrc;
