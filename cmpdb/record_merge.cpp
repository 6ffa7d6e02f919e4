#include "cmpdb/record_merge.h"

#include "cmpdb/record_document.h"

namespace {

// Loads the existing database and the shipped one, moves the shipped records in, and writes the
// result over the output; the save's success is the result.
template <class Doc>
MergeResult CombineRecordDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report) {
  if (!CanMerge(output, shipped, existing)) return MergeResult::kFailed;
  std::unique_ptr<Doc> mine = LoadRecordDatabase<Doc>(existing, report);
  if (!mine) return MergeResult::kFailed;
  std::unique_ptr<Doc> theirs = LoadRecordDatabase<Doc>(shipped, report);
  if (!theirs) return MergeResult::kFailed;
  mine->MergeFrom(*theirs);
  // The save replaces the user's database only once the merged one is whole on the disk.
  return mine->Save(output, report) ? MergeResult::kMerged : MergeResult::kFailed;
}

template <class Doc>
MergeResult MergeRecordDatabase(const char* output, const char* shipped, const char* existing,
                                platform::Reporter& report) {
  if (!CanMerge(output, shipped, existing)) return MergeResult::kFailed;
  if (!BackupDatabase(existing, report)) return MergeResult::kStopped;
  return CombineRecordDatabase<Doc>(output, shipped, existing, report);
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

MergeResult CombineCapacitorDatabase(const char* output, const char* shipped, const char* existing,
                                     platform::Reporter& report) {
  return CombineRecordDatabase<CCapacitorDoc>(output, shipped, existing, report);
}

MergeResult CombineResistorDatabase(const char* output, const char* shipped, const char* existing,
                                    platform::Reporter& report) {
  return CombineRecordDatabase<CResistorDoc>(output, shipped, existing, report);
}

MergeResult CombineInductorDatabase(const char* output, const char* shipped, const char* existing,
                                    platform::Reporter& report) {
  return CombineRecordDatabase<CInductorDoc>(output, shipped, existing, report);
}
