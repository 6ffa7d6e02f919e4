#include "payload/database_merge.h"

#include "platform/ascii.h"

namespace {

// The component databases of lib\cmp, in the order the merge table tests them.
constexpr const char* kDatabaseNames[] = {
    ".\\lib\\cmp\\standard.bjt", ".\\lib\\cmp\\standard.mos",  ".\\lib\\cmp\\standard.jft",
    ".\\lib\\cmp\\standard.dio", ".\\lib\\cmp\\standard.cap",  ".\\lib\\cmp\\standard.res",
    ".\\lib\\cmp\\standard.ind", ".\\lib\\cmp\\standard.bead",
};

}  // namespace

bool IsDatabaseEntry(const char* name) {
  if (name == nullptr) return false;
  for (const char* database : kDatabaseNames)
    if (platform::EqualsNoCase(name, database)) return true;
  return false;
}

const DatabaseMergeRow* FindMergeRow(const DatabaseMergeTable& table, const char* name) {
  if (name == nullptr) return nullptr;
  for (std::size_t i = 0; i < table.count; ++i)
    if (platform::EqualsNoCase(name, table.rows[i].pszName)) return &table.rows[i];
  return nullptr;
}
