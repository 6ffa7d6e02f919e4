// A point at which a test build of the installer can hold an installation: the GUI tests act
// while an installation runs (the quit question, a busy file) and must find it at a known
// entry however fast the machine is. The shipped installer links install_hold.cpp, where the
// point is empty; a test build links its own definition instead.
#pragma once

#include <atomic>
#include <string>

// Called by the worker after each progress line (line as the status shows it). Returns when the
// installation may go on, or at once when stopping is set.
void HoldAtProgressLine(const std::string& line, const std::atomic<bool>& stopping);
