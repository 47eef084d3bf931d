#pragma once
// The picture files a thumbnail picker shows: which files of a folder, and in what order.
#include <string>
#include <vector>

// The extensions the picker shows, in the order their files are collected: BMP, JPG, WMF,
// EMF, ICO, GIF, PCX, TGA, PNG. Upper case, without the dot.
const std::vector<std::string>& ThumbExtensions();

// True when Name's extension is one of ThumbExtensions in any letter case ("a.Jpg" yes,
// "a.jpeg" no).
bool IsThumbPictureName(const std::string& Name);

// Case-insensitive order of two UTF-8 names (Latin and Cyrillic letters fold to lower case, ё
// sorts between е and ж);
// names equal but for case fall back to their bytes so the order is total. Negative, 0 or
// positive like strcmp.
int CompareThumbText(const std::string& A, const std::string& B);

// The full paths (folder + "/" + name) of the ordinary, not hidden files of Folder that
// IsThumbPictureName accepts: extension by extension in ThumbExtensions order, and all of
// them in CompareThumbText order of their names when Sorted. A missing or unreadable folder
// gives none.
std::vector<std::string> CollectThumbFiles(const std::string& Folder, bool Sorted);

// The file name of a path, without its folder.
std::string ThumbTitleOf(const std::string& Path);

// A picture of a folder and the title a picker shows under it.
struct TThumbEntry {
  std::string Path;
  std::string Title;
};

// The pictures of Folder as CollectThumbFiles finds them, each titled as the folder's titles
// file (thumb_titles.h) names it, else with its file name. When Sorted they stand in
// CompareThumbText order of their titles, equal titles in the order of their file names.
std::vector<TThumbEntry> CollectThumbEntries(const std::string& Folder, bool Sorted);
