#include "cmpdb/record_keys.h"

#include <cmath>
#include <cstdint>
#include <cstring>

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

bool AppendNumberKey(std::string& key, float v) {
  if (std::isnan(v)) return false;
  if (v == 0) v = 0;  // -0 equals +0
  char bits[sizeof v];
  std::memcpy(bits, &v, sizeof v);
  key.append(bits, sizeof v);
  return true;
}

EqualRecordKey& EqualRecordKey::Number(float v) {
  // CompareFloats subtracts: infinity minus infinity is NaN, so no infinity equals another.
  if (std::isinf(v) || !AppendNumberKey(m_key, v)) m_bEqualsNothing = true;
  return *this;
}

EqualRecordKey& EqualRecordKey::Integer(std::int32_t v) {
  char bits[sizeof v];
  std::memcpy(bits, &v, sizeof v);
  m_key.append(bits, sizeof v);
  return *this;
}

EqualRecordKey& EqualRecordKey::Text(const std::string& text, bool ignoreCase) {
  // The length first, so that no two lists of texts give the same bytes.
  const std::uint32_t n = std::uint32_t(text.size());
  m_key.append(reinterpret_cast<const char*>(&n), sizeof n);
  m_key += ignoreCase ? platform::AsciiLowered(text) : text;
  return *this;
}

std::string EqualRecordKey::Take() { return m_bEqualsNothing ? std::string() : std::move(m_key); }
