// The data folders as the generator writes them: enough pictures in each, every one readable by
// the program's own codecs, textures that join at their edges, and the same bytes on every run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "bitmap32.h"
#include "picture_codecs.h"
#include "thumb_files.h"
#include "thumb_titles.h"

namespace fs = std::filesystem;

namespace {

// The files of Dir; its titles file only WithTitles.
std::vector<fs::path> FilesOf(const fs::path& Dir, bool WithTitles = false) {
  std::vector<fs::path> Out;
  if (!fs::exists(Dir))
    return Out;
  for (const auto& E : fs::directory_iterator(Dir))
    if (E.is_regular_file() && (WithTitles || E.path().filename() != ThumbTitlesFile))
      Out.push_back(E.path());
  std::sort(Out.begin(), Out.end());
  return Out;
}

std::string Bytes(const fs::path& P) {
  std::ifstream In(P, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// Runs the generator into a fresh folder; returns that folder.
fs::path Generate(const std::string& Tag, const std::string& Args) {
  const fs::path Dir =
      fs::temp_directory_path() / ("pelmora_datagen_" + Tag + "_" + std::to_string(::getpid()));
  fs::remove_all(Dir);
  const std::string Cmd =
      std::string("\"") + PELMORA_DATAGEN + "\" \"" + Dir.string() + "\" " + Args;
  EXPECT_EQ(std::system(Cmd.c_str()), 0) << Cmd;
  return Dir;
}

const fs::path Built = PELMORA_DATA_DIR;

}  // namespace

TEST(DataFolders, EachFolderHasItsPictures) {
  RegisterPictureCodecs();
  const std::map<std::string, size_t> Minimum = {{"Textures", 30}, {"SFrames", 20}, {"Masks", 20},
                                                 {"Patterns", 38}, {"Cards", 24},   {"Decor", 60},
                                                 {"Captions", 24}};
  for (const auto& [Folder, Count] : Minimum) {
    const auto Files = FilesOf(Built / Folder);
    EXPECT_GE(Files.size(), Count) << Folder;
    for (const auto& F : Files) {
      TBitmap32 B;
      ASSERT_NO_THROW(B.LoadFromFile(F.string())) << F;
      EXPECT_FALSE(B.IsEmpty()) << F;
    }
  }
}

TEST(DataFolders, PatternsAreNumberedOneTo38) {
  for (int I = 1; I <= 38; ++I)
    EXPECT_TRUE(fs::exists(Built / "Patterns" / ("pat" + std::to_string(I) + ".bmp"))) << I;
  EXPECT_EQ(FilesOf(Built / "Patterns").size(), 38u);
}

TEST(DataFolders, FrameTilesAreSquareAndMasksGrey) {
  RegisterPictureCodecs();
  for (const auto& F : FilesOf(Built / "SFrames")) {
    TBitmap32 B;
    B.LoadFromFile(F.string());
    EXPECT_EQ(B.Width(), B.Height()) << F;
  }
  for (const auto& F : FilesOf(Built / "Masks")) {
    TBitmap32 B;
    B.LoadFromFile(F.string());
    bool Grey = true;
    for (int I = 0; I < B.Width() * B.Height() && Grey; ++I) {
      const TColor32 C = B.Bits()[I];
      Grey = ((C >> 16) & 255) == ((C >> 8) & 255) && ((C >> 8) & 255) == (C & 255);
    }
    EXPECT_TRUE(Grey) << F;
  }
}

TEST(DataFolders, DecorationsStandOnTheKeyColour) {
  RegisterPictureCodecs();
  for (const auto& F : FilesOf(Built / "Decor")) {
    TBitmap32 B;
    B.LoadFromFile(F.string());
    // The gallery's key: column 1 of the bottom row.
    EXPECT_EQ(B.GetPixel(1, B.Height() - 1) & 0xFFFFFF, 0xFFFFFFu) << F;
  }
}

// Mean absolute difference between two columns (or rows) of a tile.
double ColumnDiff(const TBitmap32& B, int X1, int X2) {
  double S = 0;
  for (int Y = 0; Y < B.Height(); ++Y)
    for (int Sh : {0, 8, 16})
      S += std::abs(int((B.GetPixel(X1, Y) >> Sh) & 255) - int((B.GetPixel(X2, Y) >> Sh) & 255));
  return S / B.Height();
}
double RowDiff(const TBitmap32& B, int Y1, int Y2) {
  double S = 0;
  for (int X = 0; X < B.Width(); ++X)
    for (int Sh : {0, 8, 16})
      S += std::abs(int((B.GetPixel(X, Y1) >> Sh) & 255) - int((B.GetPixel(X, Y2) >> Sh) & 255));
  return S / B.Width();
}

TEST(DataFolders, TexturesJoinAtTheirEdges) {
  RegisterPictureCodecs();
  for (const auto& Folder : {"Textures", "Patterns"})
    for (const auto& F : FilesOf(Built / Folder)) {
      TBitmap32 B;
      B.LoadFromFile(F.string());
      const int W = B.Width(), H = B.Height();
      // The step across the wrap is no larger than the largest step between neighbours inside.
      double InX = 0, InY = 0;
      for (int X = 0; X + 1 < W; ++X) InX = std::max(InX, ColumnDiff(B, X, X + 1));
      for (int Y = 0; Y + 1 < H; ++Y) InY = std::max(InY, RowDiff(B, Y, Y + 1));
      EXPECT_LE(ColumnDiff(B, W - 1, 0), InX + 0.5) << F;
      EXPECT_LE(RowDiff(B, H - 1, 0), InY + 0.5) << F;
    }
}

TEST(DataFolders, EveryPictureHasItsOwnRussianTitle) {
  for (const char* Folder :
       {"Cards", "Textures", "SFrames", "Masks", "Patterns", "Decor", "Captions"}) {
    const TThumbTitles Titles = ReadThumbTitles((Built / Folder).string());
    const auto Files = FilesOf(Built / Folder);
    ASSERT_FALSE(Files.empty()) << Folder;
    std::set<std::string> Seen;
    for (const auto& F : Files) {
      const std::string Name = F.filename().string();
      EXPECT_TRUE(IsThumbPictureName(Name)) << F;
      const auto It = Titles.find(Name);
      ASSERT_NE(It, Titles.end()) << F;
      const std::string& T = It->second;
      EXPECT_TRUE(Seen.insert(T).second) << F << ": " << T;
      // Russian: Cyrillic letters, not the file name again.
      EXPECT_NE(T.find_first_of("\xD0\xD1"), std::string::npos) << F << ": " << T;
      EXPECT_EQ(T.find('_'), std::string::npos) << F << ": " << T;
    }
    // The index names no file that is not there.
    EXPECT_EQ(Titles.size(), Files.size()) << Folder;
    // The pickers' own scan titles every cell from it and shows no cell for it.
    const auto Entries = CollectThumbEntries((Built / Folder).string(), true);
    ASSERT_EQ(Entries.size(), Files.size()) << Folder;
    for (const auto& E : Entries) EXPECT_EQ(E.Title, Titles.at(ThumbTitleOf(E.Path))) << E.Path;
  }
  // The greeting texts are no pictures and have no titles.
  EXPECT_FALSE(fs::exists(Built / "BDG" / ThumbTitlesFile));
}

TEST(DataFolders, GreetingFilesHoldFifteenGreetings) {
  for (const auto& Name :
       {"NewYear.txt", "Birthday.txt", "Valentine.txt", "Male.txt", "Female.txt", "All.txt"}) {
    const std::string Text = Bytes(Built / "BDG" / Name);
    ASSERT_FALSE(Text.empty()) << Name;
    // Greetings are separated by empty lines.
    size_t Count = 1, Pos = 0;
    while ((Pos = Text.find("\n\n", Pos)) != std::string::npos) ++Count, Pos += 2;
    EXPECT_GE(Count, 15u) << Name;
    EXPECT_NE(Text.find("С"), std::string::npos) << Name;  // UTF-8 Cyrillic
  }
}

TEST(DataFolders, TwoRunsGiveTheSameBytes) {
  // One run on one thread, the other on two, both against the folders the build made. The large
  // cards are left out to keep the test short under the sanitizers.
  const fs::path A =
      Generate("a", "--jobs 1 --only Textures,SFrames,Masks,Patterns,Decor,Captions,BDG");
  const fs::path B =
      Generate("b", "--jobs 2 --only Textures,SFrames,Masks,Patterns,Decor,Captions,BDG");
  for (const auto& Folder :
       {"Textures", "SFrames", "Masks", "Patterns", "Decor", "Captions", "BDG"}) {
    const auto FA = FilesOf(A / Folder, true), FB = FilesOf(B / Folder, true);
    ASSERT_EQ(FA.size(), FB.size()) << Folder;
    ASSERT_FALSE(FA.empty()) << Folder;
    for (size_t I = 0; I < FA.size(); ++I) {
      EXPECT_EQ(FA[I].filename(), FB[I].filename());
      EXPECT_TRUE(Bytes(FA[I]) == Bytes(FB[I])) << FA[I];
      EXPECT_TRUE(Bytes(FA[I]) == Bytes(Built / Folder / FA[I].filename())) << FA[I];
    }
  }
  fs::remove_all(A);
  fs::remove_all(B);
}

TEST(DataFolders, ContactSheetOfAFolder) {
  RegisterPictureCodecs();
  const fs::path Out =
      fs::temp_directory_path() / ("pelmora_sheet_" + std::to_string(::getpid()) + ".png");
  const std::string Cmd = std::string("\"") + PELMORA_DATAGEN + "\" --contact-sheet \"" +
                          (Built / "Masks").string() + "\" \"" + Out.string() + "\"";
  ASSERT_EQ(std::system(Cmd.c_str()), 0);
  TBitmap32 B;
  B.LoadFromFile(Out.string());
  EXPECT_GT(B.Width(), 200);
  fs::remove(Out);
}
