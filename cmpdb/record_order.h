// The comparisons the record databases share, and the heap sort that orders them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// -1, 0 or 1 by the sign of a - b computed in double precision; -1 when a - b is not a number
// (a NaN operand, or equal infinities). +0 and -0 compare equal.
int CompareFloats(float a, float b);

// Byte order of unsigned bytes after folding 'A'..'Z' onto 'a'..'z'; a prefix comes first.
int CompareTextNoCase(const std::string& a, const std::string& b);

// Byte order of unsigned bytes, letter case counting; a prefix comes first.
int CompareTextExact(const std::string& a, const std::string& b);

// In-place heap sort of a[1..n] (stored 0-based), step for step the classic sift-down
// version, so that which of two equal records ends higher is fixed. Not stable.
template <class Rec, class Compare>
void HeapSortRecords(std::vector<std::unique_ptr<Rec>>& v, Compare compare) {
  const std::size_t n = v.size();
  if (n < 2) return;
  auto a = [&v](std::size_t k) -> std::unique_ptr<Rec>& { return v[k - 1]; };
  std::size_t l = n / 2 + 1;
  std::size_t ir = n;
  for (;;) {
    std::unique_ptr<Rec> t;
    if (l > 1) {
      --l;
      t = std::move(a(l));
    } else {
      t = std::move(a(ir));
      a(ir) = std::move(a(1));
      if (--ir == 1) {
        a(1) = std::move(t);
        return;
      }
    }
    std::size_t i = l;
    std::size_t j = 2 * l;
    while (j <= ir) {
      if (j < ir && compare(*a(j), *a(j + 1)) < 0) ++j;
      if (compare(*t, *a(j)) < 0) {
        a(i) = std::move(a(j));
        i = j;
        j = 2 * j;
      } else {
        j = ir + 1;
      }
    }
    a(i) = std::move(t);
  }
}

// Destroys, from the end of a sorted list towards its start, every record that the order
// finds equal to the record after it; of a run of equal records the last one survives.
template <class Rec, class Compare>
void DropEqualNeighbours(std::vector<std::unique_ptr<Rec>>& v, Compare compare) {
  if (v.size() < 2) return;
  // Walking down, the record after position i is always the nearest survivor above it.
  std::size_t survivor = v.size() - 1;
  for (std::size_t i = v.size() - 1; i-- > 0;) {
    if (compare(*v[i], *v[survivor]) == 0) {
      v[i].reset();
    } else {
      survivor = i;
    }
  }
  std::erase_if(v, [](const std::unique_ptr<Rec>& r) { return !r; });
}
