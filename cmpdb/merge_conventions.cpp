#include "cmpdb/merge_conventions.h"

#include <string>

#include "platform/file_ops.h"
#include "platform/file_system.h"

namespace {

bool IsGiven(const char* path) { return path && *path; }

}  // namespace

bool CanMerge(const char* output, const char* shipped, const char* existing) {
  return IsGiven(output) && IsGiven(shipped) && IsGiven(existing) && FileExists(existing);
}

bool BackupDatabase(const char* path, platform::Reporter& report) {
  return BackupDatabaseFrom(path, path, report);
}

bool BackupDatabaseFrom(const char* path, const char* source, platform::Reporter& report) {
  if (!IsGiven(source) || !FileExists(source)) return true;
  const std::string database = IsGiven(path) ? path : "";
  const std::string backup = database + ".bak";
  // Without the database's name there is nowhere to put the backup: the copies are not tried.
  if (!database.empty()) {
    if (CopyFileBytes(source, backup.c_str())) return true;
    // A file that is briefly locked (by a sync client, say) usually frees itself within seconds.
    platform::Fs().Sleep(5000);
    if (CopyFileBytes(source, backup.c_str())) return true;
  }
  report.Message("Trouble backing up " + database + "\nas " + backup + "\n\nRelease sync aborted.");
  return false;
}
