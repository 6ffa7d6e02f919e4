// The user's own additions to the installed component databases, made between two
// installations so the demo can show that an update keeps them.
#pragma once

#include <string>

namespace demo {

// Adds the capacitor "My Lab" / "ML-C100N-50" to dir\lib\cmp\standard.cap (through the record
// document the installer merges with) and the model "MyNPN" to dir\lib\cmp\standard.bjt, and
// prints what it added. Returns 0, or 1 when a database could not be read or written.
int AddUserData(const std::string& dir);

}  // namespace demo
