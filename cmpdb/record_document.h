// The record-database documents: an ordered list of records of one class, read from and
// written to one object-archive file, and merged with the shipped copy of the same database.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cmpdb/archive_stream.h"
#include "cmpdb/capacitor_record.h"
#include "cmpdb/inductor_record.h"
#include "cmpdb/resistor_record.h"
#include "platform/reporter.h"

// A document of Rec records. The document owns its records; a record belongs to one document.
template <class Rec>
class CRecordDoc {
 public:
  using Record = Rec;

  CRecordDoc() = default;
  CRecordDoc(const CRecordDoc&) = delete;
  CRecordDoc& operator=(const CRecordDoc&) = delete;
  virtual ~CRecordDoc() = default;

  // Replaces the list with the records of the file. A 0-byte file gives an empty list. On
  // failure reports the file-error text or "Unexpected file format." and leaves the list empty.
  bool Open(const std::string& path, platform::Reporter& report);

  // Writes the list to the file: the stream goes to a new file beside it that takes its place
  // only once it is complete and on the disk, so a save that fails or is cut short leaves the
  // file at the path as it was (or absent, when there was none). Failures report their message
  // and return false.
  bool Save(const std::string& path, platform::Reporter& report);

  // Destroys every record.
  void DeleteContents() { m_records.clear(); }

  // Reads the count and the records (loading) or writes them (storing). A failed read leaves
  // the list empty; the archive's error() tells why.
  void Serialize(CArchive& ar);

  std::vector<std::unique_ptr<Rec>> m_records;
};

class CCapacitorDoc : public CRecordDoc<CCapacitorRec> {
 public:
  // Moves every incoming record into this document: each replaces the records of this list
  // that share its key (KeysOf), then the list is sorted (CompareCapacitorRecs) and of each run
  // of equal records only the last stays. The incoming document ends empty.
  void MergeFrom(CCapacitorDoc& incoming);
};

class CResistorDoc : public CRecordDoc<CResistorRec> {
 public:
  // MergeFrom of CCapacitorDoc with the resistor's key and CompareResistorRecs.
  void MergeFrom(CResistorDoc& incoming);
};

// Inductors and ferrite beads.
class CInductorDoc : public CRecordDoc<CInductorRec> {
 public:
  // MergeFrom of CCapacitorDoc with the inductor's key and CompareInductorRecs.
  void MergeFrom(CInductorDoc& incoming);
};

// The document of the file when it exists, opens and holds at least one record; otherwise
// null (an Open failure has reported its message; a missing or empty file reports none).
template <class Doc>
std::unique_ptr<Doc> LoadRecordDatabase(const std::string& path, platform::Reporter& report);

// The order of each record class, for code that is generic over the three.
inline int CompareRecs(const CCapacitorRec& a, const CCapacitorRec& b) {
  return CompareCapacitorRecs(a, b);
}
inline int CompareRecs(const CResistorRec& a, const CResistorRec& b) {
  return CompareResistorRecs(a, b);
}
inline int CompareRecs(const CInductorRec& a, const CInductorRec& b) {
  return CompareInductorRecs(a, b);
}
