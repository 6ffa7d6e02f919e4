// The engine as the installer runs it: the real merge operations and the built-in payload.
#include "cmpdb/merge_operations.h"
#include "payload/database_merge.h"
#include "payload/extraction.h"

namespace {

int MergeBjt(const char* output, const char* shipped, const char* existing) {
  return MergeModelDatabase(output, shipped, existing, ModelKind::kBjt);
}
int MergeMosfet(const char* output, const char* shipped, const char* existing) {
  return MergeModelDatabase(output, shipped, existing, ModelKind::kMosfet);
}
int MergeJfet(const char* output, const char* shipped, const char* existing) {
  return MergeModelDatabase(output, shipped, existing, ModelKind::kJfet);
}
int MergeDiode(const char* output, const char* shipped, const char* existing) {
  return MergeModelDatabase(output, shipped, existing, ModelKind::kDiode);
}

constexpr DatabaseMergeRow kMergeRows[] = {
    {".\\lib\\cmp\\standard.bjt", MergeBjt, "Trouble merging BJT databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.mos", MergeMosfet,
     "Trouble merging MOSFET databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.jft", MergeJfet, "Trouble merging JFET databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.dio", MergeDiode,
     "Trouble merging diode databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.cap", MergeCapacitorDatabase,
     "Trouble merging capacitor databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.res", MergeResistorDatabase,
     "Trouble merging resistor databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.ind", MergeInductorDatabase,
     "Trouble merging inductor databases.\n    ...overwriting"},
    {".\\lib\\cmp\\standard.bead", MergeInductorDatabase,
     "Trouble merging ferrite bead databases.\n    ...overwriting"},
};

}  // namespace

DatabaseMergeTable RealDatabaseMergeTable() {
  return {kMergeRows, sizeof kMergeRows / sizeof kMergeRows[0]};
}

// Lives here rather than beside RunExtraction so that tests of the engine need neither the
// built-in payload nor the merges.
void ExtractionWorker() {
  RunExtraction(PayloadTable{g_payloadTable, g_payloadTableSize}, RealDatabaseMergeTable());
}
