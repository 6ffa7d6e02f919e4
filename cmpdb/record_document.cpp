#include "cmpdb/record_document.h"

#include <algorithm>
#include <cerrno>
#include <unordered_map>

#include "cmpdb/file_error.h"
#include "cmpdb/record_order.h"
#include "platform/atomic_file.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"

namespace {

// A damaged count must not reserve room for records that never arrive; beyond this many the
// list grows as records are read.
constexpr std::size_t kMaxReserve = 4096;

void ReportFileError(int error, const std::string& path, platform::Reporter& report) {
  report.Message(FileErrorText(FileErrorCauseFromErrno(error), path));
}

void ReportCreateError(int error, const std::string& path, platform::Reporter& report) {
  report.Message(FileErrorText(FileErrorCauseOfCreate(error), path));
}

void ReportArchiveError(const CArchive& ar, const std::string& path, const char* otherText,
                        platform::Reporter& report) {
  switch (ar.error()) {
    case ArchiveError::kFileError:
      ReportFileError(ar.file_errno(), path, report);
      break;
    case ArchiveError::kEndOfFile:
    case ArchiveError::kBadClass:
    case ArchiveError::kBadSchema:
    case ArchiveError::kBadIndex:
      report.Message("Unexpected file format.");
      break;
    case ArchiveError::kNone:
      report.Message(otherText);
      break;
  }
}

// Moves the incoming records into list: each first destroys every record of the list that
// shares its key, then goes to the end; then the list is sorted and each run of equal records
// is cut to its last one. Buckets of keys stand in for walking the list once per incoming
// record; a record's position in list never changes before the sort, so the survivors and
// their order are those of the walk.
template <class Rec>
void MergeRecordLists(std::vector<std::unique_ptr<Rec>>& list,
                      std::vector<std::unique_ptr<Rec>>& incoming) {
  std::unordered_map<std::string, std::vector<std::size_t>> buckets;
  buckets.reserve(list.size() + incoming.size());
  auto enter = [&buckets](const RecordKeys& keys, std::size_t index) {
    if (!keys.named.empty()) buckets[keys.named].push_back(index);
    if (keys.valuesMember && !keys.values.empty()) buckets[keys.values].push_back(index);
  };
  for (std::size_t i = 0; i < list.size(); ++i) enter(KeysOf(*list[i]), i);

  list.reserve(list.size() + incoming.size());
  for (std::unique_ptr<Rec>& r : incoming) {
    RecordKeys keys = KeysOf(*r);
    for (const std::string* probe : {&keys.named, &keys.values}) {
      if (probe->empty()) continue;
      auto it = buckets.find(*probe);
      if (it == buckets.end()) continue;
      // Every record of the bucket matches r; a position already emptied stays empty.
      for (std::size_t index : it->second) list[index].reset();
      it->second.clear();
    }
    list.push_back(std::move(r));
    enter(keys, list.size() - 1);
  }
  incoming.clear();
  std::erase_if(list, [](const std::unique_ptr<Rec>& r) { return !r; });

  auto compare = [](const Rec& a, const Rec& b) { return CompareRecs(a, b); };
  HeapSortRecords(list, compare);
  DropEqualNeighbours(list, compare);
}

}  // namespace

template <class Rec>
void CRecordDoc<Rec>::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(std::uint32_t(m_records.size()));
    for (const std::unique_ptr<Rec>& r : m_records) ar.WriteObject(*r);
    return;
  }
  DeleteContents();
  if (ar.AtEmptySource()) return;
  std::uint32_t count = ar.ReadCount();
  if (ar.error() != ArchiveError::kNone) return;
  m_records.reserve(std::min<std::size_t>(count, kMaxReserve));
  const CRuntimeClass& cls = Rec().GetRuntimeClass();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::unique_ptr<CObject> object = ar.ReadObject(cls);
    if (!object) {
      DeleteContents();
      return;
    }
    // ReadObject made it from Rec's own class.
    m_records.emplace_back(static_cast<Rec*>(object.release()));
  }
}

template <class Rec>
bool CRecordDoc<Rec>::Open(const std::string& path, platform::Reporter& report) {
  errno = 0;
  std::unique_ptr<std::FILE, platform::FileCloser> f(platform::Fs().Open(path, "rb"));
  if (!f) {
    const int error = errno;
    DeleteContents();
    ReportFileError(error, path, report);
    return false;
  }
  DeleteContents();
  FileByteSource source(f.get());
  CArchive ar(source);
  Serialize(ar);
  if (ar.error() != ArchiveError::kNone) {
    f.reset();
    DeleteContents();
    ReportArchiveError(ar, path, "Failed to open document.", report);
    return false;
  }
  return true;
}

template <class Rec>
bool CRecordDoc<Rec>::Save(const std::string& path, platform::Reporter& report) {
  // Written beside the file and put in its place only once complete: a save that fails or is
  // cut short leaves the file as it was.
  platform::AtomicFile file(path);
  if (!file.Stream()) {
    ReportCreateError(file.Error(), path, report);
    return false;
  }
  FileByteSink sink(file.Stream());
  CArchive ar(sink);
  Serialize(ar);
  if (!ar.Flush()) {
    ReportArchiveError(ar, path, "Failed to save document.", report);
    return false;
  }
  if (!file.Commit()) {
    ReportFileError(file.Error(), path, report);
    return false;
  }
  return true;
}

template class CRecordDoc<CCapacitorRec>;
template class CRecordDoc<CResistorRec>;
template class CRecordDoc<CInductorRec>;

void CCapacitorDoc::MergeFrom(CCapacitorDoc& incoming) {
  MergeRecordLists(m_records, incoming.m_records);
}

void CResistorDoc::MergeFrom(CResistorDoc& incoming) {
  MergeRecordLists(m_records, incoming.m_records);
}

void CInductorDoc::MergeFrom(CInductorDoc& incoming) {
  MergeRecordLists(m_records, incoming.m_records);
}

template <class Doc>
std::unique_ptr<Doc> LoadRecordDatabase(const std::string& path, platform::Reporter& report) {
  auto doc = std::make_unique<Doc>();
  if (!FileExists(path.c_str())) return nullptr;
  if (!doc->Open(path, report) || doc->m_records.empty()) return nullptr;
  return doc;
}

template std::unique_ptr<CCapacitorDoc> LoadRecordDatabase<CCapacitorDoc>(const std::string&,
                                                                          platform::Reporter&);
template std::unique_ptr<CResistorDoc> LoadRecordDatabase<CResistorDoc>(const std::string&,
                                                                        platform::Reporter&);
template std::unique_ptr<CInductorDoc> LoadRecordDatabase<CInductorDoc>(const std::string&,
                                                                        platform::Reporter&);
