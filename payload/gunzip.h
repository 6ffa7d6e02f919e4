// Expansion of packed payload entries through a temporary file, and the byte copy that the
// database backup shares. Failures come back as message texts for the caller to wrap.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

// A message, or nothing for success.
using Failure = std::optional<std::string>;

// Replaces the gzip file at path by its expanded content: expands it into a new temporary file,
// copies that back over path and deletes it. The temporary file is deleted on failure too;
// path keeps its gzip bytes unless the copy-back itself failed.
Failure GunzipInPlace(const char* path);

// Expands the gzip file at input into output (created or truncated). Only a single-member
// gzip stream is accepted: plain data fails with "<input>: incorrect header check".
Failure GunzipToFile(const char* input, const char* output);

// Writes the expanded bytes of the gzip stream in (opened from inputName) to out and closes
// out on every path; in stays open. A corrupt or truncated stream gives "<inputName>: <zlib's
// error text>" ("incorrect data check", "unexpected end of file", ...); a short write or a
// failed close of out gives "gz_uncompress(): failed fwrite".
Failure GunzipStream(std::FILE* in, const char* inputName, std::FILE* out);

// A new, empty, exclusively created temporary file whose name starts with prefix; empty when
// none can be made. The caller deletes it.
std::string MakeTempName(const char* prefix);

// Copies source onto target byte for byte (a read-only target is made writable first).
// False when anything fails, a short write or a failed close included.
bool CopyFileBytes(const char* source, const char* target);
