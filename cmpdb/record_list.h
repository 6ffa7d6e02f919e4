// The in-memory form of a model-text database: its records in file order.
#pragma once

#include <memory>
#include <vector>

#include "cmpdb/model_records.h"

// Owns its records. Its capacity follows the database's growth rule: 32 slots to begin with,
// one always kept for the terminating null, doubled before an append that would take it (so
// the 32nd record grows it to 64).
class CRecordList {
 public:
  static constexpr int kInitialCapacity = 32;

  int Count() const { return static_cast<int>(m_records.size()); }
  int Capacity() const { return m_nCapacity; }

  // The record at index, or null at index Count() (the terminating null).
  CModelRec* At(int index) const {
    return index == Count() ? nullptr : m_records[static_cast<std::size_t>(index)].get();
  }

  // Appends a record at the end, growing the capacity by the rule above.
  void Append(std::unique_ptr<CModelRec> record);

  // Puts the record at index in place of the one there, which is destroyed.
  void Replace(int index, std::unique_ptr<CModelRec> record);

  // Hands the records over in list order and leaves the list empty with its first capacity.
  std::vector<std::unique_ptr<CModelRec>> Release();

 private:
  std::vector<std::unique_ptr<CModelRec>> m_records;
  int m_nCapacity = kInitialCapacity;
};

// The index of the first record whose model name equals name, ignoring the case of ASCII
// letters, or -1 when there is none or name is null or empty.
int FindRecordByName(const char* name, const CRecordList& list);

// Equality of two model names ignoring the case of ASCII letters, as FindRecordByName compares.
bool SameModelName(const std::string& a, const std::string& b);
