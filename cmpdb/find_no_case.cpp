#include "cmpdb/find_no_case.h"

#include <cstddef>
#include <cstring>

namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// _strnicmp over n bytes: both sides folded the same way, a NUL ends the comparison.
bool EqualNoCase(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
    if (a[i] == '\0') return true;
  }
  return true;
}

}  // namespace

const char* FindNoCase(const char* text, const char* pattern) {
  if (!text || !pattern || !*text || !*pattern) return nullptr;
  const char first = Upper(pattern[0]);
  const std::size_t length = std::strlen(pattern);
  for (const char* p = text; *p; ++p) {
    if (Upper(*p) == first && EqualNoCase(p, pattern, length)) return p;
  }
  return nullptr;
}
