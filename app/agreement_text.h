// The licence agreement that the main dialog shows.
#pragma once

#include <cstddef>

// The agreement: 47 lines joined by CR LF, 2,586 bytes, plain ASCII but for the copyright
// sign, which is the Latin-1 byte 0xA9. Read-only program data.
extern const char kAgreementText[];
extern const std::size_t kAgreementTextLength;
