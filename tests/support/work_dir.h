// A directory of the running test's own on the real disk.
#pragma once

#include <string>
#include <vector>

namespace tvex_test {

// An empty directory for the running test: test_work\<suite>.<test> below the working
// directory (each build tree runs its tests in its own), so it has the same name in every
// process of a death test. Made empty by the constructor, removed with everything in it (read-only
// entries included) by the destructor. Construct it while a test runs (in the test or its
// fixture), never before.
class WorkDir {
 public:
  WorkDir();
  ~WorkDir();
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;

  // The directory as a Windows-style path (backslashes), as the portable code takes it.
  const std::string& path() const { return m_strDir; }
  // path() + "\" + name.
  std::string Path(const std::string& name) const;
  // The names of the entries directly in the directory, sorted.
  std::vector<std::string> Files() const;

 private:
  std::string m_strDir;
};

}  // namespace tvex_test
