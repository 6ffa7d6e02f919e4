#include "cmpdb/record_merge.h"

#include "cmpdb/merge_conventions.h"
#include "cmpdb/merge_operations.h"
#include "cmpdb/record_document.h"
#include "payload/paths.h"
#include "platform/file_system.h"

namespace {

bool IsEmptyPath(const char* path) { return !path || !*path; }

// Backs up the existing database, loads it and the shipped one, moves the shipped records in,
// and writes the result over the output; the save's success is the result.
template <class Doc>
int MergeRecordDatabase(const char* output, const char* shipped, const char* existing) {
  if (IsEmptyPath(output) || IsEmptyPath(shipped) || IsEmptyPath(existing) ||
      !FileExists(existing)) {
    return 0;
  }
  BackupDatabase(existing);
  std::unique_ptr<Doc> mine = LoadRecordDatabase<Doc>(existing);
  if (!mine) return 0;
  std::unique_ptr<Doc> theirs = LoadRecordDatabase<Doc>(shipped);
  if (!theirs) return 0;
  mine->MergeFrom(*theirs);
  RemoveFileForced(output);
  return mine->Save(output) ? 1 : 0;
}

}  // namespace

void RemoveFileForced(const char* path) {
  if (platform::Fs().Remove(path) == 0) return;
  platform::Fs().SetReadOnly(path, false);
  platform::Fs().Remove(path);
}

int MergeCapacitorDatabase(const char* output, const char* shipped, const char* existing) {
  return MergeRecordDatabase<CCapacitorDoc>(output, shipped, existing);
}

int MergeResistorDatabase(const char* output, const char* shipped, const char* existing) {
  return MergeRecordDatabase<CResistorDoc>(output, shipped, existing);
}

int MergeInductorDatabase(const char* output, const char* shipped, const char* existing) {
  return MergeRecordDatabase<CInductorDoc>(output, shipped, existing);
}
