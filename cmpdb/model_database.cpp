#include "cmpdb/model_database.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "cmpdb/statement_reader.h"
#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/file_system.h"

const std::string_view kModelDatabaseHeader =
    "* Tvex III model library (c) QMK. Models you add are kept when Tvex III is updated.\r\n"
    "*\r\n"
    "\r\n";

namespace {

constexpr std::size_t kWriteBlock = 16 * 1024;

bool IsModelStatement(const char* statement) {
  return platform::StartsWithNoCase(statement, ".model");
}

// What the merge matches a model by: its name with ASCII letters folded. Empty for a model
// without a name, which matches nothing.
std::string NameKey(const CModelRec& record) { return platform::AsciiLowered(record.m_strName); }

bool Flush(std::string& pending, std::FILE* f) {
  const bool written = platform::Fs().Write(pending.data(), 1, pending.size(), f) == pending.size();
  pending.clear();
  return written;
}

}  // namespace

bool LoadModelDatabase(const char* path, ModelKind kind, CRecordList& list) {
  list.Release();
  if (!path || !*path) return false;
  // Binary, not text mode: a stray Ctrl-Z would end a text-mode read on Windows and silently
  // drop every model after it. Line ends need no translation, the reader cuts at CR and LF.
  std::unique_ptr<std::FILE, platform::FileCloser> file(platform::Fs().Open(path, "rb"));
  if (!file) return false;
  CStatementReader reader;
  while (const char* statement = reader.ReadStatement(file.get())) {
    if (IsModelStatement(statement)) list.Append(MakeModelRecord(kind, statement));
  }
  // Text that is not 8-bit (a byte-order mark, NUL bytes) or a read that failed part-way would
  // read as fewer models than the file holds; merged, the rest would be lost.
  const bool whole = reader.Problem() == CStatementReader::Trouble::kNone;
  file.reset();
  reader.ReadStatement(nullptr);
  if (!whole) list.Release();
  return whole;
}

// The same result as looking every shipped name up by walking the list for the first record
// that carries it, without the walk: the map holds, per name, the first index that carries it.
// A replacement keeps the name (up to case) at its index, and an append adds only names not yet
// present.
void CombineModelRecords(CRecordList& existing, CRecordList& shipped) {
  std::unordered_map<std::string, int> firstIndex;
  for (int i = 0; i < existing.Count(); ++i) {
    std::string key = NameKey(*existing.At(i));
    if (!key.empty()) firstIndex.emplace(std::move(key), i);
  }
  for (std::unique_ptr<CModelRec>& record : shipped.Release()) {
    std::string key = NameKey(*record);
    if (key.empty()) {
      existing.Append(std::move(record));
      continue;
    }
    const auto [slot, added] = firstIndex.emplace(std::move(key), existing.Count());
    if (added) {
      existing.Append(std::move(record));
    } else {
      existing.Replace(slot->second, std::move(record));
    }
  }
}

bool WriteModelDatabase(const char* path, const CRecordList& list) {
  if (!path || !*path) return false;
  // Written beside the database and put in its place only once complete.
  platform::AtomicFile file(path);
  if (!file.Stream()) return false;

  // Lines end in CR LF on every platform, so the file is written in binary mode.
  std::string pending(kModelDatabaseHeader);
  for (int i = 0; i < list.Count(); ++i) {
    pending += list.At(i)->m_strStatement;
    pending += "\r\n";
    if (pending.size() >= kWriteBlock && !Flush(pending, file.Stream())) return false;
  }
  if (!pending.empty() && !Flush(pending, file.Stream())) return false;
  return file.Commit();
}

MergeResult CombineModelDatabase(const char* output, const char* shipped, const char* existing,
                                 ModelKind kind, platform::Reporter&) {
  if (!CanMerge(output, shipped, existing)) return MergeResult::kFailed;
  CRecordList combined;
  if (!LoadModelDatabase(existing, kind, combined)) return MergeResult::kFailed;
  CRecordList fresh;
  if (!LoadModelDatabase(shipped, kind, fresh)) return MergeResult::kFailed;
  CombineModelRecords(combined, fresh);
  return WriteModelDatabase(output, combined) ? MergeResult::kMerged : MergeResult::kFailed;
}

MergeResult MergeModelDatabase(const char* output, const char* shipped, const char* existing,
                               ModelKind kind, platform::Reporter& report) {
  if (!CanMerge(output, shipped, existing)) return MergeResult::kFailed;
  if (!BackupDatabase(existing, report)) return MergeResult::kStopped;
  return CombineModelDatabase(output, shipped, existing, kind, report);
}

bool ModelDatabaseLacksEntriesOf(const char* database, const char* older, ModelKind kind) {
  CRecordList current, previous;
  if (!LoadModelDatabase(database, kind, current) || !LoadModelDatabase(older, kind, previous)) {
    return true;  // nothing can be told
  }
  // A model without a name is never matched by the merge, which keeps it as it is: it is held
  // when the same statement is.
  std::unordered_set<std::string> names, unnamed;
  for (int i = 0; i < current.Count(); ++i) {
    std::string key = NameKey(*current.At(i));
    if (key.empty()) {
      unnamed.insert(current.At(i)->m_strStatement);
    } else {
      names.insert(std::move(key));
    }
  }
  for (int i = 0; i < previous.Count(); ++i) {
    const std::string key = NameKey(*previous.At(i));
    const bool held =
        key.empty() ? unnamed.count(previous.At(i)->m_strStatement) != 0 : names.count(key) != 0;
    if (!held) return true;
  }
  return false;
}
