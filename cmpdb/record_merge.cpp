#include "cmpdb/record_merge.h"

#include "cmpdb/record_document.h"

namespace {

// Backs up the existing database, loads it and the shipped one, moves the shipped records in,
// and writes the result over the output; the save's success is the result.
template <class Doc>
MergeResult MergeRecordDatabase(const char* output, const char* shipped, const char* existing,
                                platform::Reporter& report) {
  if (!CanMerge(output, shipped, existing)) return MergeResult::kFailed;
  if (!BackupDatabase(existing, report)) return MergeResult::kStopped;
  std::unique_ptr<Doc> mine = LoadRecordDatabase<Doc>(existing, report);
  if (!mine) return MergeResult::kFailed;
  std::unique_ptr<Doc> theirs = LoadRecordDatabase<Doc>(shipped, report);
  if (!theirs) return MergeResult::kFailed;
  mine->MergeFrom(*theirs);
  // The save replaces the user's database only once the merged one is whole on the disk.
  return mine->Save(output, report) ? MergeResult::kMerged : MergeResult::kFailed;
}

}  // namespace

MergeResult MergeCapacitorDatabase(const char* output, const char* shipped, const char* existing,
                                   platform::Reporter& report) {
  return MergeRecordDatabase<CCapacitorDoc>(output, shipped, existing, report);
}

MergeResult MergeResistorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report) {
  return MergeRecordDatabase<CResistorDoc>(output, shipped, existing, report);
}

MergeResult MergeInductorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report) {
  return MergeRecordDatabase<CInductorDoc>(output, shipped, existing, report);
}
