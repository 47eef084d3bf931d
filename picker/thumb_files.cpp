#include "thumb_files.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "thumb_titles.h"

namespace fs = std::filesystem;

namespace {

char Upper(char C) {
  return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

// Next code point of UTF-8 text; a byte that does not start a valid sequence stands for
// itself, so any byte string has an order.
uint32_t NextCodePoint(const std::string& S, size_t& I) {
  const auto B0 = static_cast<unsigned char>(S[I]);
  int Extra = 0;
  uint32_t C = B0;
  if (B0 >= 0xC2 && B0 <= 0xDF) {
    Extra = 1;
    C = B0 & 0x1F;
  } else if (B0 >= 0xE0 && B0 <= 0xEF) {
    Extra = 2;
    C = B0 & 0x0F;
  } else if (B0 >= 0xF0 && B0 <= 0xF4) {
    Extra = 3;
    C = B0 & 0x07;
  }
  if (Extra == 0 || I + size_t(Extra) >= S.size()) {
    ++I;
    return B0;
  }
  for (int K = 1; K <= Extra; ++K) {
    const auto B = static_cast<unsigned char>(S[I + size_t(K)]);
    if ((B & 0xC0) != 0x80) {
      ++I;
      return B0;
    }
    C = (C << 6) | (B & 0x3F);
  }
  I += size_t(Extra) + 1;
  return C;
}

uint32_t FoldCase(uint32_t C) {
  if (C >= 'A' && C <= 'Z')
    return C + 32;
  if (C >= 0xC0 && C <= 0xDE && C != 0xD7)  // Latin-1 capitals
    return C + 32;
  if (C >= 0x410 && C <= 0x42F)  // Cyrillic А..Я
    return C + 32;
  if (C >= 0x400 && C <= 0x40F)  // Ѐ..Џ, Ё among them
    return C + 80;
  return C;
}

// The place of a folded code point in the order: code point order, but for ё, which stands
// between е and ж as in the Russian alphabet.
uint64_t SortWeight(uint32_t C) {
  if (C == 0x451)
    return uint64_t(0x435) * 2 + 1;
  return uint64_t(C) * 2;
}

}  // namespace

const std::vector<std::string>& ThumbExtensions() {
  static const std::vector<std::string> List = {"BMP", "JPG", "WMF", "EMF", "ICO",
                                                "GIF", "PCX", "TGA", "PNG"};
  return List;
}

namespace {

std::string UpperExtension(const std::string& Name) {
  const size_t Dot = Name.find_last_of('.');
  if (Dot == std::string::npos)
    return {};
  std::string Ext = Name.substr(Dot + 1);
  std::transform(Ext.begin(), Ext.end(), Ext.begin(), Upper);
  return Ext;
}

}  // namespace

bool IsThumbPictureName(const std::string& Name) {
  const std::string Ext = UpperExtension(Name);
  const auto& L = ThumbExtensions();
  return std::find(L.begin(), L.end(), Ext) != L.end();
}

int CompareThumbText(const std::string& A, const std::string& B) {
  size_t I = 0, J = 0;
  while (I < A.size() && J < B.size()) {
    const uint64_t CA = SortWeight(FoldCase(NextCodePoint(A, I)));
    const uint64_t CB = SortWeight(FoldCase(NextCodePoint(B, J)));
    if (CA != CB)
      return CA < CB ? -1 : 1;
  }
  if (I < A.size())
    return 1;
  if (J < B.size())
    return -1;
  const int Raw = A.compare(B);
  return Raw < 0 ? -1 : (Raw > 0 ? 1 : 0);
}

std::string ThumbTitleOf(const std::string& Path) {
  const size_t Slash = Path.find_last_of('/');
  return Slash == std::string::npos ? Path : Path.substr(Slash + 1);
}

std::vector<std::string> CollectThumbFiles(const std::string& Folder, bool Sorted) {
  std::vector<std::string> Names;
  if (Folder.empty())
    return Names;
  std::error_code Ec;
  if (!fs::is_directory(Folder, Ec))
    return Names;
  std::vector<std::pair<std::string, std::string>> Found;  // upper-case extension, name
  for (fs::directory_iterator It(Folder, Ec), End; !Ec && It != End; It.increment(Ec)) {
    const std::string Name = It->path().filename().string();
    if (Name.empty() || Name[0] == '.')
      continue;
    std::error_code Ec2;
    if (!It->is_regular_file(Ec2) || Ec2)
      continue;
    if (IsThumbPictureName(Name))
      Found.emplace_back(UpperExtension(Name), Name);
  }
  // Directory order is arbitrary; within one extension the names keep a fixed order so an
  // unsorted picker still shows the same folder the same way every time.
  std::sort(Found.begin(), Found.end(),
            [](const auto& X, const auto& Y) { return X.second < Y.second; });
  for (const std::string& Ext : ThumbExtensions())
    for (const auto& [E, Name] : Found)
      if (E == Ext)
        Names.push_back(Name);
  if (Sorted)
    std::stable_sort(Names.begin(), Names.end(), [](const std::string& X, const std::string& Y) {
      return CompareThumbText(X, Y) < 0;
    });
  std::string Prefix = Folder;
  if (Prefix.back() != '/')
    Prefix += '/';
  std::vector<std::string> Paths;
  Paths.reserve(Names.size());
  for (const std::string& N : Names) Paths.push_back(Prefix + N);
  return Paths;
}

std::vector<TThumbEntry> CollectThumbEntries(const std::string& Folder, bool Sorted) {
  std::vector<TThumbEntry> Entries;
  const std::vector<std::string> Paths = CollectThumbFiles(Folder, Sorted);
  if (Paths.empty())
    return Entries;
  const TThumbTitles Titles = ReadThumbTitles(Folder);
  Entries.reserve(Paths.size());
  for (const std::string& P : Paths) {
    std::string Name = ThumbTitleOf(P);
    const auto It = Titles.find(Name);
    Entries.push_back({P, It != Titles.end() ? It->second : std::move(Name)});
  }
  if (Sorted && !Titles.empty())
    std::stable_sort(Entries.begin(), Entries.end(),
                     [](const TThumbEntry& X, const TThumbEntry& Y) {
                       return CompareThumbText(X.Title, Y.Title) < 0;
                     });
  return Entries;
}
