// libFuzzer entry point for the record-archive databases. The first byte picks the record
// class and where the rest is split in two. The whole rest, and each part, is read as a
// database; whatever reads is written again and must read back to the same bytes; when both
// parts read, they are merged and the result must equal the plain walking merge's.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cmpdb/archive_stream.h"
#include "cmpdb/record_document.h"
#include "tests/cmpdb_records/walking_merge.h"

namespace {

template <class Doc>
bool Load(Doc& doc, const std::string& bytes) {
  MemoryByteSource source(bytes.data(), bytes.size());
  CArchive ar(source);
  doc.Serialize(ar);
  if (ar.error() == ArchiveError::kNone) return true;
  if (!doc.m_records.empty()) std::abort();  // a failed read keeps no records
  return false;
}

template <class Doc>
std::string Store(Doc& doc) {
  MemoryByteSink sink;
  CArchive ar(sink);
  doc.Serialize(ar);
  if (!ar.Flush()) std::abort();
  return sink.bytes();
}

// Writing what was read, then reading and writing that again, changes nothing more.
template <class Doc>
void CheckRoundTrip(const std::string& bytes) {
  Doc doc;
  if (!Load(doc, bytes)) return;
  std::string once = Store(doc);
  Doc again;
  if (!Load(again, once)) std::abort();
  if (again.m_records.size() != doc.m_records.size() || Store(again) != once) std::abort();
}

template <class Doc>
void CheckMerge(const std::string& existing, const std::string& shipped) {
  Doc mine, theirs, mine2, theirs2;
  if (!Load(mine, existing) || !Load(theirs, shipped)) return;
  Load(mine2, existing);
  Load(theirs2, shipped);
  mine.MergeFrom(theirs);
  WalkingMergeFrom(mine2, theirs2);
  if (!theirs.m_records.empty() || Store(mine) != Store(mine2)) std::abort();
  for (std::size_t i = 0; i + 1 < mine.m_records.size(); ++i) {
    if (CompareRecs(*mine.m_records[i], *mine.m_records[i + 1]) == 0) std::abort();
  }
}

template <class Doc>
void Run(const std::string& all, const std::string& first, const std::string& second) {
  CheckRoundTrip<Doc>(all);
  CheckMerge<Doc>(first, second);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const unsigned selector = data[0];
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t split = rest.size() * (selector >> 2) / 64;
  std::string first = rest.substr(0, split), second = rest.substr(split);
  switch (selector & 3) {
    case 0:
      Run<CCapacitorDoc>(rest, first, second);
      break;
    case 1:
      Run<CResistorDoc>(rest, first, second);
      break;
    default:
      Run<CInductorDoc>(rest, first, second);
      break;
  }
  return 0;
}
