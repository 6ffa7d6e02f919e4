// Expansion of packed payload entries through a temporary file, and the byte copy that the
// database backup shares. Failures come back as message texts for the caller to wrap.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

// A message, or nothing for success.
using Failure = std::optional<std::string>;

// Replaces the gzip file at path by its expanded content (through a temporary file).
Failure GunzipInPlace(const char* path);

// Expands the gzip file at input into a new file at output.
Failure GunzipToFile(const char* input, const char* output);

// Copies the expanded bytes of the gzip stream in (opened from inputName) to out, then closes
// out. The message of a corrupt stream is "<inputName>: <zlib's error text>".
Failure GunzipStream(std::FILE* in, const char* inputName, std::FILE* out);

// A new, empty, exclusively created temporary file whose name starts with prefix; empty when
// none can be made. The caller deletes it.
std::string MakeTempName(const char* prefix);

// Copies source onto target byte for byte (a read-only target is made writable first).
// False when anything fails, a short write or a failed close included.
bool CopyFileBytes(const char* source, const char* target);
