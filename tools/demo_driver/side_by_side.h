// The side-by-side benchmark: our installer taken through Install Now, and an NSIS installer
// of the same tree run silently, alternately, each into a fresh directory.
#pragma once

#include <string>

namespace demo {

struct SideBySide {
  std::string ours;      // our installer
  std::string nsis;      // the NSIS installer (records its section time in timeFile)
  std::string timeFile;  // where the NSIS installer writes its extraction time in ms
  std::string workDir;   // rounds install below it; emptied between rounds
  int rounds = 5;
  std::string engine;  // when set, tvex-extract.exe of the same tree, run third in each round
};

// Runs the rounds, ours first in each, and prints one line per round:
//   round <i> ours_ms <click to success message> nsis_section_ms <section's own count>
//   nsis_run_ms <process start to end> [engine_ms <process start to end>]
// Our time runs from the Install Now click to the success message showing; the trees are
// removed after each round, outside the timing. Returns 0, or 1 when a run failed.
int RunSideBySide(const SideBySide& bench);

}  // namespace demo
