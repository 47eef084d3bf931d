#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "data_job.h"
#include "lettering.h"
#include "paint.h"
#include "picture_codecs.h"
#include "transfers.h"

void MakeContactSheet(const std::string& Dir, const std::string& OutFile) {
  std::vector<std::filesystem::path> Files;
  for (const auto& E : std::filesystem::directory_iterator(Dir)) {
    std::string Ext = E.path().extension().string();
    std::transform(Ext.begin(), Ext.end(), Ext.begin(), [](unsigned char C) { return std::tolower(C); });
    if (E.is_regular_file() && (Ext == ".png" || Ext == ".jpg" || Ext == ".bmp" || Ext == ".jpeg" || Ext == ".gif"))
      Files.push_back(E.path());
  }
  if (Files.empty()) throw std::runtime_error("no pictures in " + Dir);
  // Natural order: "pat2" before "pat10".
  auto Key = [](const std::filesystem::path& P) {
    const std::string S = P.stem().string();
    size_t I = S.size();
    while (I > 0 && std::isdigit(static_cast<unsigned char>(S[I - 1]))) --I;
    return std::make_pair(S.substr(0, I), I < S.size() ? std::stol(S.substr(I)) : -1L);
  };
  std::sort(Files.begin(), Files.end(), [&](const auto& A, const auto& B) { return Key(A) < Key(B); });
  const int Cell = 200, Title = 18, Gap = 8, Cols = std::min<int>(6, static_cast<int>(Files.size()));
  const int Rows = (static_cast<int>(Files.size()) + Cols - 1) / Cols;
  TBitmap32 Sheet;
  Sheet.SetSize(Cols * (Cell + Gap) + Gap, Rows * (Cell + Title + Gap) + Gap);
  Sheet.Clear(ToColor32(Hex(0xd8d8d8)));
  Sheet.Font().SetName("DejaVu Sans");
  Sheet.Font().SetSize(8);
  Sheet.Font().SetColor(0x202020);
  for (size_t I = 0; I < Files.size(); ++I) {
    const int X = Gap + static_cast<int>(I % Cols) * (Cell + Gap), Y = Gap + static_cast<int>(I / Cols) * (Cell + Title + Gap);
    // A checkerboard shows where a picture is transparent.
    for (int YY = 0; YY < Cell; ++YY)
      for (int XX = 0; XX < Cell; ++XX)
        Sheet.SetPixel(X + XX, Y + YY, ((XX / 10 + YY / 10) & 1) ? 0xFFFFFFFF : 0xFFEEEEEE);
    TBitmap32 P;
    try {
      P.LoadFromFile(Files[I].string());
    } catch (const std::exception&) {
      Sheet.FillRect(X, Y, X + Cell, Y + Cell, 0xFFFF0000);
      continue;
    }
    if (P.IsEmpty()) continue;
    if (P.Width() <= 64 && P.Height() <= 64) {
      // Small tiles are shown repeated at twice their size, as they are used.
      TBitmap32 Big;
      Big.SetSize(P.Width() * 2, P.Height() * 2);
      StretchTransfer(&Big, Big.BoundsRect(), &P, P.BoundsRect(), sfNearest, dmOpaque);
      for (int YY = 0; YY < Cell; YY += Big.Height())
        for (int XX = 0; XX < Cell; XX += Big.Width())
          BlockTransfer(&Sheet, X + XX, Y + YY, &Big, {0, 0, std::min(Big.Width(), Cell - XX), std::min(Big.Height(), Cell - YY)}, dmOpaque);
      Sheet.DrawText(X + 2, Y + Cell + 2, Files[I].filename().string());
      continue;
    }
    const float K = std::min(static_cast<float>(Cell) / P.Width(), static_cast<float>(Cell) / P.Height());
    const float W = P.Width() * K, H = P.Height() * K;
    DrawSprite(Sheet, P, X + (Cell - W) / 2, Y + (Cell - H) / 2, W, H);
    Sheet.DrawText(X + 2, Y + Cell + 2, Files[I].filename().string());
  }
  SavePictureByExtension(Sheet, OutFile);
}

void MakeFontSample(const std::string& OutFile, int Line) {
  struct TFace {
    const char* Name;
    TFontStyles Style;
  };
  const TFace Faces[] = {{"PT Serif", fsBold | fsItalic}, {"PT Serif", fsItalic}, {"Comfortaa", fsBold}, {"Comfortaa", 0},
                         {"EB Garamond", 0}, {"EB Garamond", fsItalic}, {"URW Bookman", fsItalic}, {"URW Bookman", fsBold | fsItalic},
                         {"P052", fsItalic}, {"P052", fsBold | fsItalic}, {"C059", fsItalic}, {"Z003", 0},
                         {"URW Gothic", 0}, {"PT Sans", fsBold}};
  TBitmap32 B;
  B.SetSize(Line * 14, Line * static_cast<int>(std::size(Faces)));
  B.Clear(clWhite32);
  for (size_t I = 0; I < std::size(Faces); ++I) {
    TLetterStyle S;
    S.Font = Faces[I].Name;
    S.Style = Faces[I].Style;
    S.Shadow.A = 0;
    S.Top = S.Bottom = Hex(0x202020);
    S.Shine = false;
    DrawLettering(B, std::string(Faces[I].Name) + (Faces[I].Style & fsBold ? " B" : "") + (Faces[I].Style & fsItalic ? " I" : "") +
                         ": С днём рождения! Спасибо, 8 Марта", Line * 7.0f, Line * (I + 0.5f), Line * 14.0f - 20, Line - 6.0f, S);
  }
  SavePictureByExtension(B, OutFile);
}
