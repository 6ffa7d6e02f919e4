#include "payload/payload_check.h"

#include <zlib.h>

#include <cstring>

namespace {

uLong AddNumber(uLong crc, std::uint32_t value) {
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
      static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  return crc32(crc, bytes, sizeof bytes);
}

}  // namespace

std::uint32_t PayloadTableCrc(const PayloadTable& table) {
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = AddNumber(crc, static_cast<std::uint32_t>(table.count));
  for (std::size_t i = 0; i < table.count; ++i) {
    const PayloadEntry& entry = *table.entries[i];
    crc = crc32(crc, reinterpret_cast<const Bytef*>(entry.pszName),
                static_cast<uInt>(std::strlen(entry.pszName) + 1));
    crc = AddNumber(crc, entry.bReadOnly);
    crc = AddNumber(crc, entry.nSize);
    crc = AddNumber(crc, entry.nPackedSize);
    const std::uint32_t bytes = entry.nPackedSize != 0 ? entry.nPackedSize : entry.nSize;
    if (bytes != 0) crc = crc32(crc, entry.pData, bytes);
  }
  return static_cast<std::uint32_t>(crc);
}

bool PayloadTableIntact(const PayloadTable& table, std::uint32_t recorded) {
  return PayloadTableCrc(table) == recorded;
}
