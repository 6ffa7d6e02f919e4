// The extraction engine: writes every payload entry below g_szInstallDir.
#pragma once

#include "payload/database_merge.h"
#include "payload/payload_entry.h"

// Installs table below g_szInstallDir, merging the databases of merges in update mode;
// reports progress in g_szStatus and sets g_bInstallDone at the end. Any write failure shows
// its message and ends the process.
void RunExtraction(const PayloadTable& table, const DatabaseMergeTable& merges);

// The worker thread's routine: RunExtraction on the built-in table and the real merge table.
void ExtractionWorker();
