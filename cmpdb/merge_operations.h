// The eight database merges of an update installation. Each takes (output path, path of the
// shipped copy, path of the existing database) and returns non-zero on success, 0 on failure;
// each backs up the existing database first.
#pragma once

enum class ModelKind { kBjt, kMosfet, kJfet, kDiode };

int MergeModelDatabase(const char* output, const char* shipped, const char* existing,
                       ModelKind kind);
int MergeCapacitorDatabase(const char* output, const char* shipped, const char* existing);
int MergeResistorDatabase(const char* output, const char* shipped, const char* existing);
// Inductors and ferrite beads share one operation.
int MergeInductorDatabase(const char* output, const char* shipped, const char* existing);
