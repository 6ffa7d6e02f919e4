#include <windows.h>

#include <array>

#include "platform/code_page.h"

namespace platform {

namespace {

struct SystemCodePage {
  bool utf8 = false;
  std::array<bool, 256> leadBytes{};
};

// Read once: the code page is the process's for its whole life.
const SystemCodePage& System() {
  static const SystemCodePage page = [] {
    SystemCodePage read;
    read.utf8 = ::GetACP() == CP_UTF8;
    for (unsigned c = 0; c < read.leadBytes.size(); ++c)
      read.leadBytes[c] = !read.utf8 && ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(c));
    return read;
  }();
  return page;
}

}  // namespace

bool AnsiCodePageIsUtf8() { return System().utf8; }

bool SystemIsLeadByte(unsigned char c) { return System().leadBytes[c]; }

std::size_t WideLength(std::string_view text) {
  if (text.empty()) return 0;
  const int length =
      ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  return length > 0 ? static_cast<std::size_t>(length) : text.size();
}

}  // namespace platform
