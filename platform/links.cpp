#include "platform/links.h"

namespace platform {

bool IsLinkReparseTag(std::uint32_t tag) {
  constexpr std::uint32_t kNameSurrogate = 0x20000000;
  return tag == 0 || (tag & kNameSurrogate) != 0;
}

}  // namespace platform
