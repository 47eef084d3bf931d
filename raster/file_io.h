#pragma once
// Whole-file reads with a size limit, and writes that never leave a half-written file behind.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Raises EFileError "Cannot open file "name". <reason>" or "File "name" is too large".
std::vector<uint8_t> ReadFileBytes(const std::string& FileName, size_t MaxSize);
// Writes to a temporary file in the same folder and renames it over FileName only when all of
// it was written; on failure the old file is intact and EFileError is raised.
void WriteFileAtomically(const std::string& FileName, const uint8_t* Data, size_t Size);
