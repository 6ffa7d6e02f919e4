// Any bytes as an undo journal: the reader never crashes, and whatever it accepts holds only
// paths the path rule accepts and is written back byte for byte as it was read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "payload/undo_journal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  UndoJournal journal;
  std::string problem;
  if (!ParseUndoJournal(text, journal, problem)) {
    if (problem.empty()) std::abort();
    return 0;
  }
  for (const std::string& folder : journal.folders)
    if (!JournalPathProblem(folder).empty()) std::abort();
  for (const UndoJournal::File& file : journal.files)
    if (!JournalPathProblem(file.path).empty()) std::abort();
  if (FormatUndoJournal(journal) != text) std::abort();
  return 0;
}
