// The pseudo-random sequence behind the invented sample databases.
#pragma once

#include <cstdint>

namespace sampletree {

// A fixed linear congruential sequence, so that every run writes the same bytes; each
// database derives its own helpers (makers, value ranges) from it.
class SampleSequence {
 public:
  explicit SampleSequence(std::uint32_t seed) : m_nState(seed) {}

  // The next value, 24 bits wide.
  std::uint32_t Next() {
    m_nState = m_nState * 1664525u + 1013904223u;
    return m_nState >> 8;
  }
  // A value from 0 to n - 1; n must be positive.
  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint32_t m_nState;
};

}  // namespace sampletree
