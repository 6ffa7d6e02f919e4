// The record merge written as plainly as it reads: one walk of the whole list per incoming
// record, removal where a record stands. The documents' MergeFrom must give the same bytes.
#pragma once

#include <cstddef>

#include "cmpdb/record_document.h"
#include "cmpdb/record_order.h"

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
