#include "cmpdb/record_list.h"

#include <utility>

void CRecordList::Append(std::unique_ptr<CModelRec> record) {
  m_records.push_back(std::move(record));
}

void CRecordList::Replace(int index, std::unique_ptr<CModelRec> record) {
  m_records[static_cast<std::size_t>(index)] = std::move(record);
}

std::vector<std::unique_ptr<CModelRec>> CRecordList::Release() {
  return std::exchange(m_records, {});
}
