// The sample product tree: the shape of the real product (six root files, examples, sub-circuit
// and symbol libraries, component databases) filled with invented content, for building and
// benchmarking installers without the product itself.
#pragma once

#include <cstdint>
#include <string>

namespace sampletree {

// What WriteSampleTree produced.
struct SampleTreeSummary {
  std::size_t files = 0;
  std::uint64_t bytes = 0;
  std::size_t rewritten = 0;  // files whose bytes changed (or that were new)
};

// Writes the sample tree below root (created if missing; its parent must exist): Changelog.txt,
// License.txt, ZephrinHelp.chm, moveexe.exe, unlink.exe, examples\Educational (63 files),
// examples\Wurth (9), examples\jigs (1247), lib\sub (714), lib\sym (1353, the six read-only
// symbols among them) and the component databases of lib\cmp. tvex3.exe is not written: the
// build copies in the stand-in program. The same root always receives the same bytes; a file
// that already holds them is left untouched, so its timestamp survives, and files that the
// generator does not write are left alone. Returns false with error naming the path that could
// not be written.
bool WriteSampleTree(const std::string& root, SampleTreeSummary& summary, std::string& error);

}  // namespace sampletree
