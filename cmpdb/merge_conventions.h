// What every database merge shares: the backup taken before the user's database is touched.
#pragma once

#include "platform/reporter.h"

// Copies path onto path + ".bak" (over an older, even read-only, backup); retries once after
// 5 s. True on success, and when path is null, empty or names no file (nothing to keep).
// When both copies fail, reports "Trouble backing up %s\nas %s\n\nRelease sync aborted." and
// returns false: the installation must stop, since the user's data could not be secured.
bool BackupDatabase(const char* path, platform::Reporter& report);
