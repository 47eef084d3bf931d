#include "thumb_titles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

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

// True when S is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF)
// without forbidden code points.
bool CleanUtf8(std::string_view S) {
  size_t I = 0;
  while (I < S.size()) {
    const auto B0 = static_cast<unsigned char>(S[I]);
    uint32_t C;
    size_t Extra;
    uint32_t Min;
    if (B0 < 0x80) {
      C = B0, Extra = 0, Min = 0;
    } else if (B0 >= 0xC2 && B0 <= 0xDF) {
      C = B0 & 0x1F, Extra = 1, Min = 0x80;
    } else if (B0 >= 0xE0 && B0 <= 0xEF) {
      C = B0 & 0x0F, Extra = 2, Min = 0x800;
    } else if (B0 >= 0xF0 && B0 <= 0xF4) {
      C = B0 & 0x07, Extra = 3, Min = 0x10000;
    } else {
      return false;
    }
    if (S.size() - I <= Extra)
      return false;
    for (size_t K = 1; K <= Extra; ++K) {
      const auto B = static_cast<unsigned char>(S[I + K]);
      if ((B & 0xC0) != 0x80)
        return false;
      C = (C << 6) | (B & 0x3F);
    }
    if (C < Min || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF) || Forbidden(C))
      return false;
    I += Extra + 1;
  }
  return true;
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
