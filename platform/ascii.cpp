#include "platform/ascii.h"

#include <cstring>

namespace platform {

std::string AsciiLowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = AsciiLower(c);
  return lowered;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
    const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

const char* FindNoCase(const char* text, const char* pattern) {
  if (!text || !pattern || !*text || !*pattern) return nullptr;
  const char first = AsciiLower(pattern[0]);
  const std::size_t length = std::strlen(pattern);
  for (const char* p = text; *p; ++p) {
    // A text that ends within the pattern's length cannot hold it; the view never reads past
    // the text's end.
    if (AsciiLower(*p) == first &&
        StartsWithNoCase(std::string_view(p, strnlen(p, length)), pattern))
      return p;
  }
  return nullptr;
}

}  // namespace platform
