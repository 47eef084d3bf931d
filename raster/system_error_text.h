#pragma once
// The system's reasons for a failed file operation, in the user's words (Russian).
#include <string>

// "файл не найден" for ENOENT, "нет места на диске" for ENOSPC, ...; a reason without words of
// its own is named by its number.
std::string SystemErrorText(int Err);
// "Не удалось <Action> файл "name": <reason>" for the failures of the file routines.
std::string FileErrorText(const char* Action, const std::string& FileName, int Err);
