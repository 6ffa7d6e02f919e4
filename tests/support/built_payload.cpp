#include "tests/support/built_payload.h"

#include <cstring>

namespace tvex_test {
namespace {

std::uint64_t Read(const std::string& image, std::size_t at, std::size_t width) {
  std::uint64_t value = 0;
  if (at + width > image.size()) return 0;
  for (std::size_t i = 0; i < width; ++i)
    value |= static_cast<std::uint64_t>(static_cast<unsigned char>(image[at + i])) << (8 * i);
  return value;
}

// The address at which the loader places the byte at file offset, or 0 when no section or
// segment holds it.
std::uint64_t AddressOf(const std::string& image, std::size_t offset) {
  if (image.compare(0, 4,
                    "\x7f"
                    "ELF") == 0) {  // ELF64, little-endian
    const std::uint64_t table = Read(image, 0x20, 8);
    const std::size_t entrySize = Read(image, 0x36, 2), count = Read(image, 0x38, 2);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t h = table + i * entrySize;
      if (Read(image, h, 4) != 1) continue;  // PT_LOAD
      const std::uint64_t fileOffset = Read(image, h + 8, 8), address = Read(image, h + 16, 8);
      const std::uint64_t fileSize = Read(image, h + 32, 8);
      if (offset >= fileOffset && offset < fileOffset + fileSize)
        return address + (offset - fileOffset);
    }
    return 0;
  }
  if (image.compare(0, 2, "MZ") == 0) {  // PE32+
    const std::size_t pe = Read(image, 0x3C, 4);
    const std::size_t sections = Read(image, pe + 6, 2), optionalSize = Read(image, pe + 20, 2);
    const std::uint64_t imageBase = Read(image, pe + 24 + 24, 8);
    for (std::size_t i = 0; i < sections; ++i) {
      const std::size_t h = pe + 24 + optionalSize + i * 40;
      const std::uint64_t rva = Read(image, h + 12, 4), rawSize = Read(image, h + 16, 4);
      const std::uint64_t raw = Read(image, h + 20, 4);
      if (offset >= raw && offset < raw + rawSize) return imageBase + rva + (offset - raw);
    }
  }
  return 0;
}

std::size_t FindPointer(const std::string& image, std::uint64_t address, std::size_t from) {
  char bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(address >> (8 * i));
  return image.find(std::string(bytes, 8), from);
}

}  // namespace

BuiltEntry FindBuiltEntry(const std::string& image, const std::string& name) {
  BuiltEntry entry;
  const std::string key = name + '\0';
  const std::size_t at = image.find(key);
  if (at == std::string::npos || image.find(key, at + 1) != std::string::npos) return entry;
  entry.name = at;
  entry.data = (at + key.size() + 3) / 4 * 4;
  const std::uint64_t nameAddress = AddressOf(image, entry.name);
  const std::uint64_t dataAddress = AddressOf(image, entry.data);
  if (nameAddress == 0) return entry;
  for (std::size_t p = FindPointer(image, nameAddress, 0); p != std::string::npos;
       p = FindPointer(image, nameAddress, p + 1)) {
    // A record: bReadOnly 0 or 1, dwBuildTag 0, pData at the data. Elsewhere (an ELF
    // program's relocations, for one) the name's address turns up among other numbers.
    if (Read(image, p + 8, 4) > 1 || Read(image, p + 20, 4) != 0 ||
        Read(image, p + 24, 8) != dataAddress)
      continue;
    entry.record = p;
    entry.size = static_cast<std::uint32_t>(Read(image, p + kRecordSizeField, 4));
    entry.packedSize = static_cast<std::uint32_t>(Read(image, p + 16, 4));
    break;
  }
  return entry;
}

}  // namespace tvex_test
