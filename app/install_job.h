// The installation as the installer and tvex-extract run it: the payload built into the
// program and the real merge operations of the eight component databases.
#pragma once

#include <string>

#include "payload/database_merge.h"
#include "payload/extraction.h"
#include "payload/payload_entry.h"

// The eight databases of lib\cmp with their merge operations and failure texts, in the order
// the engine tests them.
DatabaseMergeTable RealDatabaseMergeTable();

// The table built into the program (the program links the generated payload).
PayloadTable BuiltInPayload();

// True when the built-in table matches the check payloadgen recorded with it
// (payload/payload_check.h). The programs ask before they write anything.
bool BuiltInPayloadIntact();

// The built-in payload installed below installDir with the real merges, dated today.
ExtractionJob InstallJob(std::string installDir, bool update);

// The local date as "YYYY-MM-DD".
std::string TodaysDate();
