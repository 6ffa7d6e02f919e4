// The steps the three record-archive merges share (MergeCapacitorDatabase,
// MergeResistorDatabase and MergeInductorDatabase are declared in merge_operations.h).
#pragma once

// Deletes the file; when that fails, clears its read-only attribute and deletes it once more.
// The outcome is not checked: a file that still stands is written over by the save.
void RemoveFileForced(const char* path);
