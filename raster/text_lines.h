#pragma once
// Splitting the text of a small settings or list file into its lines.
#include <string>
#include <vector>

// The lines of Text without their line ends: LF or CR LF; a last line without an end counts,
// a final line end starts no empty line.
std::vector<std::string> SplitLines(const std::string& Text);
