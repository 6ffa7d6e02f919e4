#include "app/install_job.h"

#include <ctime>

#include "cmpdb/merge_conventions.h"
#include "cmpdb/model_database.h"
#include "cmpdb/record_merge.h"
#include "payload/payload_check.h"

namespace {

MergeOutcome OutcomeOf(MergeResult result) {
  switch (result) {
    case MergeResult::kMerged:
      return MergeOutcome::kMerged;
    case MergeResult::kStopped:
      return MergeOutcome::kStopped;
    case MergeResult::kFailed:
      break;
  }
  return MergeOutcome::kFailed;
}

using CmpdbMerge = MergeResult (*)(const char* output, const char* shipped, const char* existing,
                                   platform::Reporter& report);

// A merge of cmpdb/ as the engine calls it: the engine has taken the backup.
template <CmpdbMerge combine>
MergeOutcome Merge(const char* output, const char* shipped, const char* existing,
                   platform::Reporter& report) {
  return OutcomeOf(combine(output, shipped, existing, report));
}

template <ModelKind kind>
MergeResult CombineModels(const char* output, const char* shipped, const char* existing,
                          platform::Reporter& report) {
  return CombineModelDatabase(output, shipped, existing, kind, report);
}

template <ModelKind kind>
bool ModelsLacking(const char* database, const char* older) {
  return ModelDatabaseLacksEntriesOf(database, older, kind);
}

constexpr DatabaseMergeRow kMergeRows[] = {
    {".\\lib\\cmp\\standard.bjt", Merge<CombineModels<ModelKind::kBjt>>,
     "Trouble merging BJT databases.\n    ...overwriting", ModelsLacking<ModelKind::kBjt>},
    {".\\lib\\cmp\\standard.mos", Merge<CombineModels<ModelKind::kMosfet>>,
     "Trouble merging MOSFET databases.\n    ...overwriting", ModelsLacking<ModelKind::kMosfet>},
    {".\\lib\\cmp\\standard.jft", Merge<CombineModels<ModelKind::kJfet>>,
     "Trouble merging JFET databases.\n    ...overwriting", ModelsLacking<ModelKind::kJfet>},
    {".\\lib\\cmp\\standard.dio", Merge<CombineModels<ModelKind::kDiode>>,
     "Trouble merging diode databases.\n    ...overwriting", ModelsLacking<ModelKind::kDiode>},
    {".\\lib\\cmp\\standard.cap", Merge<CombineCapacitorDatabase>,
     "Trouble merging capacitor databases.\n    ...overwriting", CapacitorDatabaseLacksEntriesOf},
    {".\\lib\\cmp\\standard.res", Merge<CombineResistorDatabase>,
     "Trouble merging resistor databases.\n    ...overwriting", ResistorDatabaseLacksEntriesOf},
    {".\\lib\\cmp\\standard.ind", Merge<CombineInductorDatabase>,
     "Trouble merging inductor databases.\n    ...overwriting", InductorDatabaseLacksEntriesOf},
    {".\\lib\\cmp\\standard.bead", Merge<CombineInductorDatabase>,
     "Trouble merging ferrite bead databases.\n    ...overwriting", InductorDatabaseLacksEntriesOf},
};

}  // namespace

DatabaseMergeTable RealDatabaseMergeTable() {
  return {kMergeRows, sizeof kMergeRows / sizeof kMergeRows[0]};
}

PayloadTable BuiltInPayload() { return PayloadTable{g_payloadTable, g_payloadTableSize}; }

bool BuiltInPayloadIntact() { return PayloadTableIntact(BuiltInPayload(), g_payloadTableCrc); }

ExtractionJob InstallJob(std::string installDir, bool update) {
  ExtractionJob job;
  job.installDir = std::move(installDir);
  job.update = update;
  job.payload = BuiltInPayload();
  job.merges = RealDatabaseMergeTable();
  job.backup = BackupDatabaseFrom;
  job.date = TodaysDate();
  return job;
}

std::string TodaysDate() {
  const std::time_t now = std::time(nullptr);
  // Called once a run, before its threads start: the shared buffer of localtime is safe here.
  const std::tm* local = std::localtime(&now);
  char date[16] = "undated";
  if (local) std::strftime(date, sizeof date, "%Y-%m-%d", local);
  return date;
}
