// The extraction engine: writes every payload entry below g_szInstallDir.
#pragma once

#include "payload/database_merge.h"
#include "payload/payload_entry.h"

// Installs table below g_szInstallDir in table order, creating directories as needed. In
// update mode an entry that is a database with a row in merges and an existing copy is merged
// into that copy instead; a failed merge shows the row's text and the shipped copy is written.
// Reports progress in g_szStatus and sets g_bInstallDone at the end. Any write failure shows
// its message and ends the process with exit code 0.
void RunExtraction(const PayloadTable& table, const DatabaseMergeTable& merges);

// The worker thread's routine: RunExtraction on the built-in table and the real merge table.
// Defined in the tvex_engine library, with the real merge table.
void ExtractionWorker();
