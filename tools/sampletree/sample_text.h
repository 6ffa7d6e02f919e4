// Invented content for the sample product tree: schematics, symbols, sub-circuit netlists,
// protected models, release notes, a help file and small programs. Every generator is driven by
// a SampleRandom seeded from the file's name, so the same name always gives the same bytes on
// every platform (integer arithmetic only, no library distributions).
#pragma once

#include <cstdint>
#include <string>

namespace sampletree {

// A small deterministic generator (splitmix64).
class SampleRandom {
 public:
  explicit SampleRandom(std::uint64_t seed) : state_(seed) {}
  // Seeds from a text, typically the file's install-relative name.
  explicit SampleRandom(const std::string& seed);
  std::uint64_t Next();
  // A value in [low, high]; high >= low.
  std::uint32_t Between(std::uint32_t low, std::uint32_t high);
  // One of the count texts.
  template <std::size_t N>
  const char* Pick(const char* const (&texts)[N]) {
    return texts[Between(0, N - 1)];
  }

 private:
  std::uint64_t state_;
};

// How a text generator sizes its result. A stored target is an upper bound (the text never
// exceeds it, so a stored file stays stored); a packed target is a lower bound (the text reaches
// it, so a packed file stays packed).
struct SizeTarget {
  std::size_t bytes;
  bool atMost;
};

// A schematic of the simulator's own text format, title taken from the name.
std::string MakeSchematic(const std::string& title, SampleRandom& random, SizeTarget size);
// A symbol drawing with pins and attributes.
std::string MakeSymbol(const std::string& symbolName, SampleRandom& random, SizeTarget size);
// A sub-circuit or model library in SPICE netlist text.
std::string MakeNetlist(const std::string& libraryName, SampleRandom& random, SizeTarget size);
// A vendor-protected model: a short text header, then an enciphered body that does not pack.
std::string MakeProtectedModel(const std::string& modelName, SampleRandom& random,
                               std::size_t bytes);
// The release notes, newest release first.
std::string MakeChangelog(SampleRandom& random, std::size_t bytes);
// The licence agreement text.
std::string MakeLicense();
// A compiled help file: packed pages with a share of text, exactly `bytes` long; roughly
// `textPercent` of it is markup that compresses well, the rest does not.
std::string MakeHelpFile(SampleRandom& random, std::size_t bytes, unsigned textPercent);
// A small program image (headers, code-like bytes, string tables), exactly `bytes` long.
std::string MakeProgram(const std::string& programName, SampleRandom& random, std::size_t bytes);

}  // namespace sampletree
