#include "cmpdb/record_merge.h"

#include <unordered_set>

#include "cmpdb/record_document.h"

namespace {

// Swallows the messages of loads whose failure is an answer here, not news for the user.
class QuietReporter : public platform::Reporter {
 public:
  void Message(const std::string&) override {}
};

// Loads the existing database and the shipped one, moves the shipped records in, and writes the
// result over the output; the save's success is the result.
template <class Doc>
MergeResult CombineRecordDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report) {
  if (!CanMerge(output, shipped, existing)) return MergeResult::kFailed;
  std::unique_ptr<Doc> mine = LoadRecordDatabase<Doc>(existing, report);
  if (!mine) return MergeResult::kFailed;
  std::unique_ptr<Doc> theirs = LoadRecordDatabase<Doc>(shipped, report);
  if (!theirs) return MergeResult::kFailed;
  mine->MergeFrom(*theirs);
  // The save replaces the user's database only once the merged one is whole on the disk.
  return mine->Save(output, report) ? MergeResult::kMerged : MergeResult::kFailed;
}

template <class Doc>
MergeResult MergeRecordDatabase(const char* output, const char* shipped, const char* existing,
                                platform::Reporter& report) {
  if (!CanMerge(output, shipped, existing)) return MergeResult::kFailed;
  if (!BackupDatabase(existing, report)) return MergeResult::kStopped;
  return CombineRecordDatabase<Doc>(output, shipped, existing, report);
}

// Whether older holds a record that a merge of database into it would not replace: a record is
// replaced by one that looks in a key bucket it belongs to (record_keys.h); one that belongs to
// none goes in a merge only beside an equal one, so an equal one holds it.
template <class Doc>
bool RecordDatabaseLacksEntriesOf(const char* database, const char* older) {
  QuietReporter quiet;
  Doc current, previous;
  // Open, not LoadRecordDatabase: a database without records is an answer too.
  if (!database || !older || !current.Open(database, quiet) || !previous.Open(older, quiet)) {
    return true;  // nothing can be told
  }
  std::unordered_set<std::string> lookedIn, equal;
  bool equalMade = false;  // made at the first record of older without a key
  lookedIn.reserve(2 * current.m_records.size());
  for (const auto& r : current.m_records) {
    RecordKeys keys = KeysOf(*r);
    if (!keys.named.empty()) lookedIn.insert(std::move(keys.named));
    if (!keys.values.empty()) lookedIn.insert(std::move(keys.values));
  }
  for (const auto& r : previous.m_records) {
    const RecordKeys keys = KeysOf(*r);
    const bool inValues = keys.valuesMember && !keys.values.empty();
    if (!keys.named.empty() || inValues) {
      if (lookedIn.count(keys.named) || (inValues && lookedIn.count(keys.values))) continue;
      return true;
    }
    if (!equalMade) {
      for (const auto& c : current.m_records) equal.insert(EqualKey(*c));
      equal.erase(std::string());  // records that equal nothing
      equalMade = true;
    }
    if (!equal.count(EqualKey(*r))) return true;
  }
  return false;
}

}  // namespace

MergeResult MergeCapacitorDatabase(const char* output, const char* shipped, const char* existing,
                                   platform::Reporter& report) {
  return MergeRecordDatabase<CCapacitorDoc>(output, shipped, existing, report);
}

MergeResult MergeResistorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report) {
  return MergeRecordDatabase<CResistorDoc>(output, shipped, existing, report);
}

MergeResult MergeInductorDatabase(const char* output, const char* shipped, const char* existing,
                                  platform::Reporter& report) {
  return MergeRecordDatabase<CInductorDoc>(output, shipped, existing, report);
}

MergeResult CombineCapacitorDatabase(const char* output, const char* shipped, const char* existing,
                                     platform::Reporter& report) {
  return CombineRecordDatabase<CCapacitorDoc>(output, shipped, existing, report);
}

MergeResult CombineResistorDatabase(const char* output, const char* shipped, const char* existing,
                                    platform::Reporter& report) {
  return CombineRecordDatabase<CResistorDoc>(output, shipped, existing, report);
}

MergeResult CombineInductorDatabase(const char* output, const char* shipped, const char* existing,
                                    platform::Reporter& report) {
  return CombineRecordDatabase<CInductorDoc>(output, shipped, existing, report);
}

bool CapacitorDatabaseLacksEntriesOf(const char* database, const char* older) {
  return RecordDatabaseLacksEntriesOf<CCapacitorDoc>(database, older);
}

bool ResistorDatabaseLacksEntriesOf(const char* database, const char* older) {
  return RecordDatabaseLacksEntriesOf<CResistorDoc>(database, older);
}

bool InductorDatabaseLacksEntriesOf(const char* database, const char* older) {
  return RecordDatabaseLacksEntriesOf<CInductorDoc>(database, older);
}
