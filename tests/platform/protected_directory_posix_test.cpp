// The POSIX form of the protection: owner all, everyone else read and enter.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/protected_directory.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

// Sets the process's umask for the lifetime of this object.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(previous_); }

 private:
  mode_t previous_;
};

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(NativePath(path).c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

TEST(ProtectedDirectoryPosix, ModeIs0755WhateverTheUmask) {
  WorkDir work;
  for (mode_t mask : {mode_t(0), mode_t(022), mode_t(077), mode_t(0777)}) {
    ScopedUmask scoped(mask);
    const std::string dir = work.Path("masked" + std::to_string(mask));
    ASSERT_TRUE(platform::CreateProtectedDirectory(dir)) << mask;
    EXPECT_EQ(ModeOf(dir), mode_t(0755)) << "umask " << mask;
  }
}

}  // namespace
