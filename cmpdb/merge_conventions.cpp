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
  if (!IsGiven(path) || !FileExists(path)) return true;
  const std::string backup = std::string(path) + ".bak";
  if (CopyFileBytes(path, backup.c_str())) return true;
  // A file that is briefly locked (by a sync client, say) usually frees itself within seconds.
  platform::Fs().Sleep(5000);
  if (CopyFileBytes(path, backup.c_str())) return true;
  report.Message("Trouble backing up " + std::string(path) + "\nas " + backup +
                 "\n\nRelease sync aborted.");
  return false;
}
