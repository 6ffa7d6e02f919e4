#include "payload/database_merge.h"

namespace {

// The component databases of lib\cmp, in the order the merge table tests them.
constexpr const char* kDatabaseNames[] = {
    ".\\lib\\cmp\\standard.bjt", ".\\lib\\cmp\\standard.mos",  ".\\lib\\cmp\\standard.jft",
    ".\\lib\\cmp\\standard.dio", ".\\lib\\cmp\\standard.cap",  ".\\lib\\cmp\\standard.res",
    ".\\lib\\cmp\\standard.ind", ".\\lib\\cmp\\standard.bead",
};

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

}  // namespace

bool EqualsNoCase(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  for (; *a && *b; ++a, ++b)
    if (FoldAscii(*a) != FoldAscii(*b)) return false;
  return *a == *b;
}

bool IsDatabaseEntry(const char* name) {
  for (const char* database : kDatabaseNames)
    if (EqualsNoCase(name, database)) return true;
  return false;
}

const DatabaseMergeRow* FindMergeRow(const DatabaseMergeTable& table, const char* name) {
  for (std::size_t i = 0; i < table.count; ++i)
    if (EqualsNoCase(name, table.rows[i].pszName)) return &table.rows[i];
  return nullptr;
}
