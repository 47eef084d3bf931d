#include "recent_files.h"

#include <algorithm>
#include <cstdint>

#include "exceptions.h"
#include "file_io.h"
#include "text_lines.h"
#include "utf8.h"

namespace {

// Lists written by older versions may be Windows-1251 text; this is its upper half.
constexpr char16_t Cp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// A list file is a few hundred bytes; anything far larger is not one.
constexpr size_t MaxListFileSize = 1 << 20;

bool IsValidUtf8(const std::string& S) {
  return IsUtf8Where(S, [](char32_t) { return true; });
}

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

std::string Cp1251ToUtf8(const std::string& S) {
  std::string Out;
  Out.reserve(S.size() * 2);
  for (const char Ch : S) {
    const auto C = static_cast<unsigned char>(Ch);
    if (C < 0x80)
      Out += Ch;
    else if (C < 0xC0)
      AppendUtf8(Out, Cp1251High[C - 0x80]);
    else
      AppendUtf8(Out, 0x0410 + (C - 0xC0));  // А..я in alphabetical order
  }
  return Out;
}

bool IsBlank(const std::string& S) {
  return std::all_of(S.begin(), S.end(), [](char C) { return C == ' ' || C == '\t'; });
}

}  // namespace

std::vector<std::string> TRecentFiles::Captions() const {
  if (FPaths.empty())
    return {RecentPlaceholder};
  return FPaths;
}

bool TRecentFiles::IsRecent(const std::string& Path) const {
  const std::vector<std::string> C = Captions();
  return std::find(C.begin(), C.end(), Path) != C.end();
}

void TRecentFiles::AddRecent(const std::string& Path) {
  if (FPaths.size() >= size_t(MaxCount))
    FPaths.pop_back();
  FPaths.insert(FPaths.begin(), Path);
  FMarked = 0;
}

void TRecentFiles::Mark(int Index) {
  if (Index >= 0 && size_t(Index) < FPaths.size())
    FMarked = Index;
}

void TRecentFiles::Clear() {
  FPaths.clear();
  FMarked = -1;
}

void TRecentFiles::Remove(const std::string& Path) {
  const auto It = std::find(FPaths.begin(), FPaths.end(), Path);
  if (It != FPaths.end()) {
    const int Index = static_cast<int>(It - FPaths.begin());
    FPaths.erase(It);
    if (FMarked == Index)
      FMarked = -1;
    else if (FMarked > Index)
      --FMarked;
  }
  FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), Path), FLinks.end());
}

std::string TRecentFiles::LinkCaption(int Index) const {
  const std::string Path = LinkPath(Index);
  if (Path.empty())
    return RecentPlaceholder;
  // Lists from older versions hold Windows paths.
  const size_t Sep = Path.find_last_of("/\\");
  return Sep == std::string::npos ? Path : Path.substr(Sep + 1);
}

std::string TRecentFiles::LinkPath(int Index) const {
  if (Index < 0 || size_t(Index) >= FLinks.size())
    return {};
  return FLinks[size_t(Index)];
}

void TRecentFiles::LoadFromText(const std::string& Source) {
  std::string Text = Source;
  if (Text.compare(0, 3, "\xEF\xBB\xBF") == 0)
    Text.erase(0, 3);
  if (!IsValidUtf8(Text))
    Text = Cp1251ToUtf8(Text);
  Clear();
  const std::vector<std::string> Lines = SplitLines(Text);
  if (Lines.empty() || Lines.front() != "Clear") {
    for (const std::string& Line : Lines) {
      if (FPaths.size() >= size_t(MaxCount))
        break;
      if (IsBlank(Line) || Line == RecentPlaceholder)
        continue;
      if (std::find(FPaths.begin(), FPaths.end(), Line) != FPaths.end())
        continue;
      FPaths.push_back(Line);
    }
  }
  FLinks.assign(FPaths.begin(), FPaths.begin() + std::min<size_t>(FPaths.size(), LinkCount));
}

std::string TRecentFiles::SaveToText() const {
  std::string Text;
  for (const std::string& C : Captions()) Text += C + "\r\n";
  return Text;
}

void TRecentFiles::LoadFromFile(const std::string& FileName) {
  std::string Text;
  try {
    const std::vector<uint8_t> Data = ReadFileBytes(FileName, MaxListFileSize);
    Text.assign(Data.begin(), Data.end());
  } catch (const Exception&) {
    Text.clear();
  }
  LoadFromText(Text);
}

void TRecentFiles::SaveToFile(const std::string& FileName) const {
  const std::string Text = SaveToText();
  WriteFileAtomically(FileName, reinterpret_cast<const uint8_t*>(Text.data()), Text.size());
}

std::string TRecentFiles::ListFileName(const std::string& ProgramDir) {
  if (ProgramDir.empty())
    return "Dirs.lst";
  return ProgramDir.back() == '/' ? ProgramDir + "Dirs.lst" : ProgramDir + "/Dirs.lst";
}
