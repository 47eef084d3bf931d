#pragma once
// The recent-file list of the menu "Недавние открытки": up to five full paths, newest first,
// kept between runs in the file "Dirs.lst" in the program's folder. The window builds its
// submenu and the start panel's links from this model.
#include <string>
#include <vector>

// The caption of the submenu's only item while the list is empty, and of an unused link.
inline constexpr char RecentPlaceholder[] = "Пусто";

class TRecentFiles {
 public:
  static constexpr int MaxCount = 5;
  // The start panel's links Lab1 to Lab4.
  static constexpr int LinkCount = 4;

  // The submenu's captions in order: the paths, or the placeholder alone.
  std::vector<std::string> Captions() const;
  const std::vector<std::string>& Paths() const { return FPaths; }
  bool IsEmpty() const { return FPaths.empty(); }

  // True when a submenu item has exactly this caption (letter case counts).
  bool IsRecent(const std::string& Path) const;
  // Puts Path on top and marks it; with five entries the oldest drops out. Callers ask
  // IsRecent first: an entry already in the list is not moved.
  void AddRecent(const std::string& Path);
  // The item shown as the file worked on last (menu image 15), -1 for none.
  int Marked() const { return FMarked; }
  // Opening item Index marks it and leaves the order as it is; the placeholder opens nothing.
  void Mark(int Index);
  void Clear();
  // Takes Path out of the list and the links (a file that is gone); the mark stays on its
  // entry.
  void Remove(const std::string& Path);

  // The links show the file-name part of entries 1 to 4 as the list was loaded; they change
  // only when the list is loaded again (the next start). An unused link shows the placeholder
  // and has no path.
  std::string LinkCaption(int Index) const;
  std::string LinkPath(int Index) const;

  // The file's text: one caption per line. A first line "Clear" stands for an empty list;
  // blank lines, placeholders and repeated paths are passed over; past five entries the rest
  // is ignored. UTF-8, or Windows-1251 when the text is not valid UTF-8.
  void LoadFromText(const std::string& Text);
  // Every caption on a line of its own, ended by CR LF; "Пусто" alone for an empty list.
  std::string SaveToText() const;
  // A missing or unreadable file gives an empty list.
  void LoadFromFile(const std::string& FileName);
  // Written atomically; raises EFileError when the folder cannot be written.
  void SaveToFile(const std::string& FileName) const;

  // "Dirs.lst" in the given folder.
  static std::string ListFileName(const std::string& ProgramDir);

 private:
  std::vector<std::string> FPaths;
  std::vector<std::string> FLinks;
  int FMarked = -1;
};
