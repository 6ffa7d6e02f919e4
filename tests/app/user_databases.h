// The eight component databases as an update finds them: the sample tree's shipped copies, and
// the user's copies that hold the shipped content plus records and models of the user's own.
#pragma once

#include <map>
#include <set>
#include <string>

namespace tvex_test {

// The eight database file names of lib\cmp ("standard.bjt" ... "standard.bead").
const char* const* DatabaseNames();
constexpr int kDatabaseCount = 8;

// The shipped bytes of each database, by file name (made once per test program).
const std::map<std::string, std::string>& ShippedDatabases();

// The database name with count records or models of the user's own added to shipped (all
// named "USER<n>"; the records' maker is "User Lab").
std::string WithUserAdditions(const std::string& name, const std::string& shipped, int count);

// The names of the user's own records or models that the database file at path holds; empty
// when it cannot be read.
std::set<std::string> UserEntries(const std::string& name, const std::string& path);

}  // namespace tvex_test
