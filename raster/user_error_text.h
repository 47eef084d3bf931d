#pragma once
// The text a user reads for an error: the raster core's errors keep their fixed English
// messages for the code and its tests, and are worded here in Russian; every other error of the
// program already speaks Russian and is passed through.
#include <exception>
#include <string>

std::string UserErrorText(const std::exception& E);
