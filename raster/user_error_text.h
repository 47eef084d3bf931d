#pragma once
// The text a user reads for an error: the raster core's errors keep their fixed English
// messages for the code and its tests, and are worded here in Russian; every other error of the
// program already speaks Russian and is passed through.
#include <exception>
#include <string>

std::string UserErrorText(const std::exception& E);

// The error of a failed open of FileName: "Не удалось открыть файл "name"." with the reader's
// reason on the next line, or the reader's own message alone when it names the file already
// (the file routines' "Не удалось открыть файл "name": файл не найден"), so nothing is said twice.
std::string OpenFileErrorText(const std::string& FileName, const std::exception& E);
