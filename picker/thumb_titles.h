#pragma once
// The titles file of a picture folder: the names its pictures are shown under in a picker.
//
// "titles.txt" holds one picture a line, in UTF-8: the file name, "=", the title.
//   gold_classic.png = Золотая классика
// Spaces around both sides are dropped; empty lines and lines starting with "#" are
// comments. A line without "=", with an empty side, with a "/" in the file name, with control
// characters or with bytes that are not UTF-8 is skipped, as is a title longer than
// ThumbTitleMaxBytes. A later line for the same file wins. Files the index does not name keep
// their file names as titles. Only the first ThumbTitlesMaxBytes of the file are read.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline constexpr char ThumbTitlesFile[] = "titles.txt";
inline constexpr size_t ThumbTitlesMaxBytes = 256 * 1024;
inline constexpr size_t ThumbTitleMaxBytes = 200;

// File name -> title.
using TThumbTitles = std::map<std::string, std::string>;

// The entries of the text of a titles file (see above).
TThumbTitles ParseThumbTitles(std::string_view Text);

// The titles file of Folder; none when it is missing, not an ordinary file or unreadable.
TThumbTitles ReadThumbTitles(const std::string& Folder);

// The text of a titles file for the given (file name, title) pairs, in their order, after a
// comment that tells how the file is made.
std::string FormatThumbTitles(const std::vector<std::pair<std::string, std::string>>& Entries);

// True when Title is one ParseThumbTitles keeps: not empty, valid UTF-8 without control
// characters, at most ThumbTitleMaxBytes long, and no spaces at its ends.
bool IsThumbTitle(std::string_view Title);
