#pragma once

// The position of the first occurrence of pattern in text, ignoring the case of ASCII
// letters, or null; null when either is null or empty. Shared by every part of the
// installer that looks for a name inside a text.
const char* FindNoCase(const char* text, const char* pattern);
