// The licence agreement that the main dialog shows, and how its Latin-1 bytes reach the
// dialog's 8-bit text control.
#pragma once

#include <cstddef>
#include <string>

// The agreement: 47 lines joined by CR LF, 2,586 bytes, plain ASCII but for the copyright
// sign, which is the Latin-1 byte 0xA9. Read-only program data.
extern const char kAgreementText[];
extern const std::size_t kAgreementTextLength;

// Each byte of text becomes the UTF-16 unit of the same number (Latin-1 read as UTF-16); a
// null text counts as empty.
std::wstring WidenLatin1(const char* text);

// The UTF-16 text in the system's ANSI code page; characters the code page lacks become its
// default character.
std::string NarrowToAnsi(const std::wstring& text);
