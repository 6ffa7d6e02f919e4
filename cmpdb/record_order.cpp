#include "cmpdb/record_order.h"

#include <algorithm>
#include <cmath>

namespace {

unsigned char FoldLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

template <class Fold>
int CompareBytes(const std::string& a, const std::string& b, Fold fold) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = fold(static_cast<unsigned char>(a[i]));
    unsigned char y = fold(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int CompareFloats(float a, float b) {
  double d = double(a) - double(b);
  if (std::isnan(d)) return -1;
  if (d < 0) return -1;
  return d > 0 ? 1 : 0;
}

bool SameNonEmptyText(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty() || a.size() != b.size()) return false;
  return CompareTextNoCase(a, b) == 0;
}

bool IsEmptyText(const std::string& t) { return t.empty(); }

int CompareTextNoCase(const std::string& a, const std::string& b) {
  return CompareBytes(a, b, FoldLower);
}

int CompareTextExact(const std::string& a, const std::string& b) {
  return CompareBytes(a, b, [](unsigned char c) { return c; });
}
