// Where a payload entry lies inside a built program (a PE .exe or an ELF executable), so that a
// test can damage exactly one of its bytes the way a bad download would. Plain byte work, no
// platform calls: the same code serves the native tests and the driver that runs under Wine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvex_test {

// Offsets into the program file of one entry; npos where not found.
struct BuiltEntry {
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
  std::size_t name = npos;    // its name ".\..." with the terminating NUL
  std::size_t data = npos;    // its bytes (the next 4-byte boundary after the name)
  std::size_t record = npos;  // its PayloadEntry record: the pointer to the name comes first
  std::uint32_t size = 0;     // nSize as the record holds it
  std::uint32_t packedSize = 0;
};

// Finds the entry named name in the program image. The name must occur exactly once; the
// record is the one whose first field points at it (the address the program's headers give
// that file offset) and whose last points at the data. Fields stay npos when not found.
BuiltEntry FindBuiltEntry(const std::string& image, const std::string& name);

// Offsets of the record's fields.
inline constexpr std::size_t kRecordSizeField = 12;  // after pszName (8) and bReadOnly (4)

}  // namespace tvex_test
