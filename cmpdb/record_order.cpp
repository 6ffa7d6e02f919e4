#include "cmpdb/record_order.h"

#include <algorithm>
#include <cmath>

#include "platform/ascii.h"

namespace {

int CompareBytes(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
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

int CompareTextNoCase(const std::string& a, const std::string& b) {
  return platform::CompareNoCase(a, b);
}

int CompareTextExact(const std::string& a, const std::string& b) { return CompareBytes(a, b); }
