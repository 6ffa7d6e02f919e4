// The in-memory form of a model-text database: its records in file order.
#pragma once

#include <memory>
#include <vector>

#include "cmpdb/model_records.h"

// Owns its records.
class CRecordList {
 public:
  int Count() const { return static_cast<int>(m_records.size()); }

  // The record at index, 0 <= index < Count().
  CModelRec* At(int index) const { return m_records[static_cast<std::size_t>(index)].get(); }

  // Appends a record at the end.
  void Append(std::unique_ptr<CModelRec> record);

  // Puts the record at index in place of the one there, which is destroyed.
  void Replace(int index, std::unique_ptr<CModelRec> record);

  // Hands the records over in list order and leaves the list empty.
  std::vector<std::unique_ptr<CModelRec>> Release();

 private:
  std::vector<std::unique_ptr<CModelRec>> m_records;
};
