// The side-by-side benchmark's timed runs, one per call, so that the caller can let the disk
// settle (sync) between them: our installer taken through Install Now, an NSIS installer of
// the same tree run silently, and the extraction engine alone.
#pragma once

#include <string>

namespace demo {

// Our installer into dir (which should not exist yet): Accept, the directory, Install Now,
// and OK on the success message. Prints "ours_ms <N>", the time from the Install Now click to
// the success message showing. Returns 0, or 1 when the installation did not succeed.
int TimeOurs(const std::string& installer, const std::string& dir);

// The NSIS installer run silently into dir; it writes its install section's own time in ms
// to timeFile. Prints "nsis_section_ms <that> nsis_run_ms <process start to end>". Returns 0,
// or 1 when nothing was installed.
int TimeNsis(const std::string& installer, const std::string& timeFile, const std::string& dir);

// tvex-extract.exe into dir. Prints "engine_ms <process start to end>". Returns 0, or 1 when
// nothing was extracted.
int TimeEngine(const std::string& extractor, const std::string& dir);

}  // namespace demo
