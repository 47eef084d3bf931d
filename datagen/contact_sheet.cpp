#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "data_job.h"
#include "lettering.h"
#include "paint.h"
#include "picture_codecs.h"
#include "thumb_files.h"
#include "transfers.h"

void MakeContactSheet(const std::string& Dir, const std::string& OutFile) {
  std::vector<std::filesystem::path> Files;
  for (const auto& E : std::filesystem::directory_iterator(Dir)) {
    std::string Ext = E.path().extension().string();
    std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                   [](unsigned char C) { return std::tolower(C); });
    if (E.is_regular_file() &&
        (Ext == ".png" || Ext == ".jpg" || Ext == ".bmp" || Ext == ".jpeg" || Ext == ".gif"))
      Files.push_back(E.path());
  }
  if (Files.empty())
    throw std::runtime_error("no pictures in " + Dir);
  // Natural order: "pat2" before "pat10".
  auto Key = [](const std::filesystem::path& P) {
    const std::string S = P.stem().string();
    size_t I = S.size();
    while (I > 0 && std::isdigit(static_cast<unsigned char>(S[I - 1]))) --I;
    return std::make_pair(S.substr(0, I), I < S.size() ? std::stol(S.substr(I)) : -1L);
  };
  std::sort(Files.begin(), Files.end(),
            [&](const auto& A, const auto& B) { return Key(A) < Key(B); });
  const int Cell = 200, Title = 18, Gap = 8,
            Cols = std::min<int>(6, static_cast<int>(Files.size()));
  const int Rows = (static_cast<int>(Files.size()) + Cols - 1) / Cols;
  TBitmap32 Sheet;
  Sheet.SetSize(Cols * (Cell + Gap) + Gap, Rows * (Cell + Title + Gap) + Gap);
  Sheet.Clear(ToColor32(Hex(0xd8d8d8)));
  Sheet.Font().SetName("DejaVu Sans");
  Sheet.Font().SetSize(8);
  Sheet.Font().SetColor(0x202020);
  for (size_t I = 0; I < Files.size(); ++I) {
    const int X = Gap + static_cast<int>(I % Cols) * (Cell + Gap),
              Y = Gap + static_cast<int>(I / Cols) * (Cell + Title + Gap);
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
    if (P.IsEmpty())
      continue;
    if (P.Width() <= 64 && P.Height() <= 64) {
      // Small tiles are shown repeated at twice their size, as they are used.
      TBitmap32 Big;
      Big.SetSize(P.Width() * 2, P.Height() * 2);
      StretchTransfer(&Big, Big.BoundsRect(), &P, P.BoundsRect(), sfNearest, dmOpaque);
      for (int YY = 0; YY < Cell; YY += Big.Height())
        for (int XX = 0; XX < Cell; XX += Big.Width())
          BlockTransfer(&Sheet, X + XX, Y + YY, &Big,
                        {0, 0, std::min(Big.Width(), Cell - XX), std::min(Big.Height(), Cell - YY)},
                        dmOpaque);
      Sheet.DrawText(X + 2, Y + Cell + 2, Files[I].filename().string());
      continue;
    }
    const float K =
        std::min(static_cast<float>(Cell) / P.Width(), static_cast<float>(Cell) / P.Height());
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
  const TFace Faces[] = {{"PT Serif", fsBold | fsItalic},
                         {"PT Serif", fsItalic},
                         {"Comfortaa", fsBold},
                         {"Comfortaa", 0},
                         {"EB Garamond", 0},
                         {"EB Garamond", fsItalic},
                         {"URW Bookman", fsItalic},
                         {"URW Bookman", fsBold | fsItalic},
                         {"P052", fsItalic},
                         {"P052", fsBold | fsItalic},
                         {"C059", fsItalic},
                         {"Z003", 0},
                         {"URW Gothic", 0},
                         {"PT Sans", fsBold}};
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
    DrawLettering(B,
                  std::string(Faces[I].Name) + (Faces[I].Style & fsBold ? " B" : "") +
                      (Faces[I].Style & fsItalic ? " I" : "") +
                      ": С днём рождения! Спасибо, 8 Марта",
                  Line * 7.0f, Line * (I + 0.5f), Line * 14.0f - 20, Line - 6.0f, S);
  }
  SavePictureByExtension(B, OutFile);
}

namespace {

// The frame a tile makes around a W x H picture, edge thickness G: the tile repeated along the
// four edges, turned to face each, the corners mitred along their diagonals.
void BuildFrame(const TBitmap32& P, int W, int H, int G, TBitmap32& Out) {
  const int S = P.Width();
  auto Tile = [&](int Edge, int X, int Y) -> TColor32 {  // 0 top, 1 right, 2 bottom, 3 left
    switch (Edge) {
      case 0:
        return P.GetPixel(X, Y);
      case 1:
        return P.GetPixel(Y, S - 1 - X);
      case 2:
        return P.GetPixel(X, S - 1 - Y);
      default:
        return P.GetPixel(S - 1 - Y, X);
    }
  };
  const int Fw = static_cast<int>(std::lround(static_cast<double>(S) / G * (W + 2 * G)));
  const int Fh = static_cast<int>(std::lround(static_cast<double>(S) / G * (H + 2 * G)));
  const int Gw = Fw - 2 * S, Gh = Fh - 2 * S;
  const int Nw = std::max(1, static_cast<int>(std::lround(static_cast<double>(Fw) / S)));
  const int Nh = std::max(1, static_cast<int>(std::lround(static_cast<double>(Fh) / S)));
  TBitmap32 F;
  F.SetSize(Fw, Fh);
  F.Clear(0);
  for (int Y = 0; Y < S; ++Y)
    for (int X = 0; X < Gw; ++X) {
      const int TX = static_cast<int>(static_cast<int64_t>(X) * Nw * S / Gw) % S;
      F.SetPixel(S + X, Y, Tile(0, TX, Y));
      F.SetPixel(S + X, S + Gh + Y, Tile(2, TX, Y));
    }
  for (int Y = 0; Y < Gh; ++Y)
    for (int X = 0; X < S; ++X) {
      const int TY = static_cast<int>(static_cast<int64_t>(Y) * Nh * S / Gh) % S;
      F.SetPixel(X, S + Y, Tile(3, X, TY));
      F.SetPixel(S + Gw + X, S + Y, Tile(1, X, TY));
    }
  for (int Y = 0; Y < S; ++Y)
    for (int X = 0; X < S; ++X) {
      F.SetPixel(X, Y, X >= Y ? Tile(0, X, Y) : Tile(3, X, Y));
      F.SetPixel(Fw - S + X, Y, X <= S - 1 - Y ? Tile(0, X, Y) : Tile(1, X, Y));
      F.SetPixel(X, Fh - S + Y, X <= S - 1 - Y ? Tile(3, X, Y) : Tile(2, X, Y));
      F.SetPixel(Fw - S + X, Fh - S + Y, X >= Y ? Tile(1, X, Y) : Tile(2, X, Y));
    }
  Out.SetSize(W + 2 * G, H + 2 * G);
  Out.Clear(0xFFB0C4D8);
  StretchTransfer(&Out, Out.BoundsRect(), &F, F.BoundsRect(), sfLinear2, dmBlend);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      Out.SetPixel(G + X, G + Y,
                   ToColor32(Mix(Hex(0x9cc3e6), Hex(0xf2e6c8), static_cast<float>(Y) / H)));
}

}  // namespace

void MakeFrameSheet(const std::string& Dir, const std::string& OutFile) {
  const std::string Tmp = OutFile + ".frames";
  std::filesystem::create_directories(Tmp);
  for (const auto& E : std::filesystem::directory_iterator(Dir)) {
    // The folder's titles file and anything else that is no picture are passed over.
    if (!E.is_regular_file() || !IsThumbPictureName(E.path().filename().string()))
      continue;
    TBitmap32 P;
    P.LoadFromFile(E.path().string());
    if (P.IsEmpty() || P.Width() != P.Height())
      continue;
    TBitmap32 Framed;
    BuildFrame(P, 300, 220, 30, Framed);
    SavePictureByExtension(Framed, Tmp + "/" + E.path().stem().string() + ".png");
  }
  MakeContactSheet(Tmp, OutFile);
  std::filesystem::remove_all(Tmp);
}
