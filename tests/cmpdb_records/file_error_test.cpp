#include "cmpdb/file_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <set>
#include <string>

namespace {

// The errno values the runtime library leaves for a failed open, read, write or create that
// the messages tell apart.
constexpr int kErrors[] = {ENOENT, EINVAL, ENAMETOOLONG, ENOTDIR, EMFILE, ENFILE, EACCES,  EPERM,
                           EROFS,  EISDIR, EBADF,        ESPIPE,  EIO,    EBUSY,  EDEADLK, ENOSPC};

TEST(FileErrorText, EveryCauseNamesThePathOnceAndHasATextOfItsOwn) {
  // A path that holds "%1" itself is put in once, not expanded again.
  const std::string path = "C:\\x\\%1\\standard.cap";
  std::set<std::string> texts;
  for (int error : kErrors) {
    const std::string text = FileErrorText(FileErrorCauseFromErrno(error), path);
    ASSERT_NE(text.find(path), std::string::npos) << text;
    std::string rest = text;
    rest.erase(text.find(path), path.size());
    EXPECT_EQ(rest.find("%1"), std::string::npos) << text;
    EXPECT_EQ(rest.find("standard.cap"), std::string::npos) << text;
    texts.insert(FileErrorText(FileErrorCauseFromErrno(error), "f"));
  }
  // Not found, invalid path, too many open files, access denied, invalid handle, seek,
  // hardware, sharing, locking, disk full.
  EXPECT_EQ(texts.size(), 10u);
  EXPECT_EQ(texts.count(FileErrorText(FileErrorCause::kUnknown, "f")), 0u);
}

TEST(FileErrorText, OtherErrorsAreUnknown) {
  EXPECT_EQ(FileErrorCauseFromErrno(0), FileErrorCause::kUnknown);
  EXPECT_EQ(FileErrorCauseFromErrno(EEXIST), FileErrorCause::kUnknown);
  EXPECT_EQ(FileErrorText(FileErrorCause::kUnknown, "f"),
            "An unknown error occurred while accessing f.");
}

TEST(FileErrorText, AFileThatCannotBeCreatedForAMissingFolderHasAnInvalidPath) {
  EXPECT_EQ(FileErrorText(FileErrorCauseFromErrno(ENOENT), "f"), "f was not found.");
  EXPECT_EQ(FileErrorText(FileErrorCauseOfCreate(ENOENT), "f"), "f contains an invalid path.");
  EXPECT_EQ(FileErrorCauseOfCreate(ENOSPC), FileErrorCause::kDiskFull);
  EXPECT_EQ(FileErrorCauseOfCreate(EACCES), FileErrorCause::kAccessDenied);
}

}  // namespace
