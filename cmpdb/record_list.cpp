#include "cmpdb/record_list.h"

#include <utility>

#include "platform/ascii.h"

void CRecordList::Append(std::unique_ptr<CModelRec> record) {
  m_records.push_back(std::move(record));
}

void CRecordList::Replace(int index, std::unique_ptr<CModelRec> record) {
  m_records[static_cast<std::size_t>(index)] = std::move(record);
}

std::vector<std::unique_ptr<CModelRec>> CRecordList::Release() {
  return std::exchange(m_records, {});
}

bool SameModelName(const std::string& a, const std::string& b) {
  return platform::EqualsNoCase(a, b);
}

int FindRecordByName(const char* name, const CRecordList& list) {
  if (!name || !*name) return -1;
  const std::string wanted(name);
  for (int i = 0; i < list.Count(); ++i) {
    if (SameModelName(list.At(i)->m_strName, wanted)) return i;
  }
  return -1;
}
