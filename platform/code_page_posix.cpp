#include "platform/code_page.h"

namespace platform {

// POSIX paths are bytes; the portable code's texts are UTF-8 there.
bool AnsiCodePageIsUtf8() { return true; }

bool SystemIsLeadByte(unsigned char) { return false; }

std::size_t WideLength(std::string_view text) {
  std::size_t units = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    // A continuation byte adds nothing; a four-byte character is a surrogate pair.
    if ((byte & 0xC0) != 0x80) ++units;
    if (byte >= 0xF0) ++units;
  }
  return units;
}

}  // namespace platform
