// The record merge written as plainly as it reads: the key tests spelled out field by field, one
// walk of the whole list per incoming record, removal where a record stands. The documents'
// MergeFrom, which finds the records through key buckets, must give the same bytes.
#pragma once

#include <cstddef>
#include <string>

#include "cmpdb/record_document.h"
#include "cmpdb/record_order.h"
#include "platform/ascii.h"

// True only when both texts are non-empty and equal when ASCII letters are compared without
// regard to case.
inline bool SameNonEmptyText(const std::string& a, const std::string& b) {
  return !a.empty() && !b.empty() && platform::EqualsNoCase(a, b);
}

// Same non-empty manufacturer and part number, letter case ignored.
inline bool SameCapacitor(const CCapacitorRec& existing, const CCapacitorRec& incoming) {
  return SameNonEmptyText(existing.m_strManufacturer, incoming.m_strManufacturer) &&
         SameNonEmptyText(existing.m_strPartNumber, incoming.m_strPartNumber);
}

// The same non-empty name, or an unnamed existing record whose three numbers equal the incoming
// record's; only the existing record's name is looked at for the second.
inline bool SameResistor(const CResistorRec& existing, const CResistorRec& incoming) {
  if (SameNonEmptyText(existing.m_strManufacturer, incoming.m_strManufacturer) &&
      SameNonEmptyText(existing.m_strPartNumber, incoming.m_strPartNumber)) {
    return true;
  }
  return existing.m_strManufacturer.empty() && existing.m_strPartNumber.empty() &&
         existing.m_fResistance == incoming.m_fResistance &&
         existing.m_fParam2 == incoming.m_fParam2 && existing.m_fParam3 == incoming.m_fParam3;
}

// Same non-empty manufacturer and part number, letter case ignored.
inline bool SameInductor(const CInductorRec& existing, const CInductorRec& incoming) {
  return SameNonEmptyText(existing.m_strManufacturer, incoming.m_strManufacturer) &&
         SameNonEmptyText(existing.m_strPartNumber, incoming.m_strPartNumber);
}

inline bool SameKey(const CCapacitorRec& e, const CCapacitorRec& r) { return SameCapacitor(e, r); }
inline bool SameKey(const CResistorRec& e, const CResistorRec& r) { return SameResistor(e, r); }
inline bool SameKey(const CInductorRec& e, const CInductorRec& r) { return SameInductor(e, r); }

template <class Doc>
void WalkingMergeFrom(Doc& self, Doc& incoming) {
  auto& list = self.m_records;
  for (auto& r : incoming.m_records) {
    for (std::size_t i = 0; i < list.size();) {
      if (SameKey(*list[i], *r)) {
        list.erase(list.begin() + std::ptrdiff_t(i));
      } else {
        ++i;
      }
    }
    list.push_back(std::move(r));
  }
  incoming.m_records.clear();
  auto compare = [](const auto& a, const auto& b) { return CompareRecs(a, b); };
  HeapSortRecords(list, compare);
  // From n - 2 down to 0, removing the record at i when it equals the one after it.
  const std::size_t n = list.size();
  for (std::size_t i = n < 2 ? 0 : n - 1; i-- > 0;) {
    if (compare(*list[i], *list[i + 1]) == 0) list.erase(list.begin() + std::ptrdiff_t(i));
  }
}
