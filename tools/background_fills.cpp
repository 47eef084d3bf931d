#include "background_fills.h"

#include <algorithm>
#include <filesystem>

namespace {

// The channel values of a 24-bit RGB platform colour, in the 24-bit picture's byte order.
struct TChannels {
  int32_t B, G, R;
};

TChannels ChannelsOf(TPlatformColor C) {
  const auto U = static_cast<uint32_t>(C);
  return {int32_t((U >> 16) & 0xFF), int32_t((U >> 8) & 0xFF), int32_t(U & 0xFF)};
}

// c1 - round(Pos / Size * (c1 - c2)) for every channel; Pos < Size keeps it within 0..255.
void GradientStep(const TChannels& A, const TChannels& B, int32_t Pos, int32_t Size, uint8_t* Out) {
  Out[0] = static_cast<uint8_t>(A.B - RoundRatio(int64_t(Pos) * (A.B - B.B), Size));
  Out[1] = static_cast<uint8_t>(A.G - RoundRatio(int64_t(Pos) * (A.G - B.G), Size));
  Out[2] = static_cast<uint8_t>(A.R - RoundRatio(int64_t(Pos) * (A.R - B.R), Size));
}

}  // namespace

int64_t RoundRatio(int64_t Num, int64_t Den) {
  const bool Negative = Num < 0;
  const int64_t N = Negative ? -Num : Num;
  int64_t Q = N / Den;
  const int64_t R2 = (N % Den) * 2;
  if (R2 > Den || (R2 == Den && (Q & 1) != 0))
    ++Q;
  return Negative ? -Q : Q;
}

void Gradient(TPlatformColor A, TPlatformColor B, TBitmap24& Picture) {
  if (Picture.IsEmpty())
    return;
  const TChannels Ca = ChannelsOf(A), Cb = ChannelsOf(B);
  const int32_t W = Picture.Width();
  uint8_t* First = Picture.ScanLine(0);
  for (int32_t X = 0; X < W; ++X) GradientStep(Ca, Cb, X, W, First + 3 * size_t(X));
  for (int32_t Y = 1; Y < Picture.Height(); ++Y)
    std::copy(First, First + Picture.Stride(), Picture.ScanLine(Y));
}

void GradientDown(TPlatformColor A, TPlatformColor B, TBitmap24& Picture) {
  if (Picture.IsEmpty())
    return;
  const TChannels Ca = ChannelsOf(A), Cb = ChannelsOf(B);
  const int32_t H = Picture.Height();
  for (int32_t Y = 0; Y < H; ++Y) {
    uint8_t Pixel[3];
    GradientStep(Ca, Cb, Y, H, Pixel);
    uint8_t* Row = Picture.ScanLine(Y);
    for (int32_t X = 0; X < Picture.Width(); ++X) std::copy(Pixel, Pixel + 3, Row + 3 * size_t(X));
  }
}

void TileBitmap(const TBitmap32& Tile, TBitmap32& Target) {
  if (Tile.IsEmpty() || Target.IsEmpty())
    return;
  const int32_t Tw = Tile.Width(), Th = Tile.Height();
  const int32_t W = Target.Width(), H = Target.Height();
  if (Tile.DrawMode() == dmOpaque) {
    // An opaque tile replaces what lies under it, so every target pixel is simply the tile's
    // pixel at (x mod tw, y mod th): one row band is built and then copied down.
    for (int32_t Y = 0; Y < std::min(Th, H); ++Y) {
      const TColor32* Src = Tile.RowAddress(Y);
      TColor32* Dst = Target.RowAddress(Y);
      for (int32_t X = 0; X < W; X += Tw) std::copy(Src, Src + std::min(Tw, W - X), Dst + X);
    }
    for (int32_t Y = Th; Y < H; ++Y)
      std::copy(Target.RowAddress(Y - Th), Target.RowAddress(Y - Th) + W, Target.RowAddress(Y));
  } else {
    for (int32_t I = 0; I <= W / Tw; ++I)
      for (int32_t J = 0; J <= H / Th; ++J) Tile.DrawOnto(Target, I * Tw, J * Th);
  }
  Target.Changed();
}

bool TileFromFile(const std::string& FileName, TBitmap32& Target) {
  std::error_code Ec;
  if (FileName.empty() || !std::filesystem::is_regular_file(FileName, Ec))
    return false;
  TBitmap32 Tile;
  Tile.LoadFromFile(FileName);
  TileBitmap(Tile, Target);
  return true;
}
