#include "thumb_titles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "utf8.h"

namespace {

std::string_view Trim(std::string_view S) {
  while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
  while (!S.empty() && (S.back() == ' ' || S.back() == '\t')) S.remove_suffix(1);
  return S;
}

// Code points a title may not hold: controls, and the ones that reorder or break the text
// around them.
bool Forbidden(uint32_t C) {
  return C < 0x20 || (C >= 0x7F && C <= 0x9F) || C == 0x2028 || C == 0x2029 ||
         (C >= 0x202A && C <= 0x202E) || (C >= 0x2066 && C <= 0x2069) || C == 0xFEFF;
}

// True when S is well-formed UTF-8 without forbidden code points.
bool CleanUtf8(std::string_view S) {
  return IsUtf8Where(S, [](char32_t C) { return !Forbidden(C); });
}

bool IsFileKey(std::string_view Name) {
  if (Name.empty() || Name == "." || Name == "..")
    return false;
  for (const char Ch : Name) {
    const auto B = static_cast<unsigned char>(Ch);
    if (B == '/' || B < 0x20 || B == 0x7F)
      return false;
  }
  return true;
}

}  // namespace

bool IsThumbTitle(std::string_view Title) {
  return !Title.empty() && Title.size() <= ThumbTitleMaxBytes && Trim(Title) == Title &&
         CleanUtf8(Title);
}

TThumbTitles ParseThumbTitles(std::string_view Text) {
  TThumbTitles Titles;
  if (Text.size() > ThumbTitlesMaxBytes) {
    // A cut file loses its last, partial line.
    Text = Text.substr(0, ThumbTitlesMaxBytes);
    const size_t End = Text.find_last_of('\n');
    Text = End == std::string_view::npos ? std::string_view() : Text.substr(0, End);
  }
  if (Text.substr(0, 3) == "\xEF\xBB\xBF")
    Text.remove_prefix(3);
  while (!Text.empty()) {
    const size_t End = Text.find('\n');
    std::string_view Line = Text.substr(0, End);
    Text = End == std::string_view::npos ? std::string_view() : Text.substr(End + 1);
    if (!Line.empty() && Line.back() == '\r')
      Line.remove_suffix(1);
    Line = Trim(Line);
    if (Line.empty() || Line.front() == '#')
      continue;
    const size_t Eq = Line.find('=');
    if (Eq == std::string_view::npos)
      continue;
    const std::string_view Name = Trim(Line.substr(0, Eq));
    const std::string_view Title = Trim(Line.substr(Eq + 1));
    if (!IsFileKey(Name) || !IsThumbTitle(Title))
      continue;
    Titles[std::string(Name)] = std::string(Title);
  }
  return Titles;
}

TThumbTitles ReadThumbTitles(const std::string& Folder) {
  if (Folder.empty())
    return {};
  std::string Path = Folder;
  if (Path.back() != '/')
    Path += '/';
  Path += ThumbTitlesFile;
  // Non-blocking, so that a pipe or device under the name cannot stall the picker before the
  // check below turns it away.
  const int Fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (Fd < 0)
    return {};
  std::string Text;
  struct stat St {};
  if (::fstat(Fd, &St) == 0 && S_ISREG(St.st_mode)) {
    Text.resize(ThumbTitlesMaxBytes + 1);
    size_t Got = 0;
    while (Got < Text.size()) {
      const ssize_t N = ::read(Fd, Text.data() + Got, Text.size() - Got);
      if (N < 0 && errno == EINTR)
        continue;
      if (N <= 0)
        break;
      Got += size_t(N);
    }
    Text.resize(Got);
  }
  ::close(Fd);
  return ParseThumbTitles(Text);
}

std::string FormatThumbTitles(const std::vector<std::pair<std::string, std::string>>& Entries) {
  std::string Text =
      "# Названия картинок этой папки, как их показывают окна выбора.\n"
      "# Одна картинка в строке: имя файла = название.\n"
      "# Картинка, которой здесь нет, показывается под именем своего файла.\n";
  for (const auto& [Name, Title] : Entries) Text += Name + " = " + Title + "\n";
  return Text;
}
