#include "cmpdb/record_keys.h"

#include <cstdint>

#include "platform/ascii.h"

std::string NamedKey(const std::string& manufacturer, const std::string& partNumber) {
  if (manufacturer.empty() || partNumber.empty()) return {};
  // The manufacturer's length goes first so that no two name pairs share a key.
  std::string key(1, 'N');
  std::uint32_t n = std::uint32_t(manufacturer.size());
  key.append(reinterpret_cast<const char*>(&n), sizeof n);
  key += manufacturer;
  key += partNumber;
  for (std::size_t i = 1 + sizeof n; i < key.size(); ++i) {
    key[i] = platform::AsciiLower(key[i]);
  }
  return key;
}
