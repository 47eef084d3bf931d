#include "distortions.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "next_random.h"
#include "parallel_bands.h"

namespace {

inline void CopyPixel(uint8_t* D, const uint8_t* S) {
  D[0] = S[0];
  D[1] = S[1];
  D[2] = S[2];
}

// In column x, pixel (x, y + Offsets[x]) takes pixel (x, y) for y = Last .. First, bottom up:
// a downward shift of rows First .. Last. Columns are independent, so the two halves of the
// picture go to the two cores.
void ShiftColumnsDown(RgbImage& Image, const int32_t* Offsets, int32_t First, int32_t Last) {
  const int32_t W = Image.Width(), H = Image.Height();
  if (First > Last)
    return;
  ForEachBand(size_t(W), [&](size_t Begin, size_t End) {
    for (int32_t T = H - 1; T >= 0; --T) {
      uint8_t* Out = Image.Row(T);
      size_t X = Begin;
      while (X < End) {
        // A run of columns with the same offset is one move.
        const int32_t O = Offsets[X];
        size_t RunEnd = X + 1;
        while (RunEnd < End && Offsets[RunEnd] == O)
          ++RunEnd;
        const int32_t Y = T - O;
        if (O != 0 && Y >= First && Y <= Last) {
          if (RunEnd - X == 1)
            CopyPixel(Out + X * 3, Image.Row(Y) + X * 3);
          else
            std::memcpy(Out + X * 3, Image.Row(Y) + X * 3, (RunEnd - X) * 3);
        }
        X = RunEnd;
      }
    }
  }, size_t(W) * size_t(H) >= MinItemsPerBand * 2 ? 2 : size_t(W) + 1);
}

}  // namespace

void ScatterPixels(RgbImage& Image, uint32_t Amount) {
  const int32_t W = Image.Width(), H = Image.Height();
  for (int32_t X = 0; X < W; ++X)
    for (int32_t Y = 0; Y < H; ++Y) {
      const uint32_t R = NextRandom(Amount);
      const uint32_t Dx = NextRandom(2 * R);
      const uint32_t Dy = NextRandom(2 * R);
      const int64_t Sx = int64_t(X) + R - Dx, Sy = int64_t(Y) + R - Dy;
      if (Sx >= 0 && Sx < W && Sy >= 0 && Sy < H)
        CopyPixel(Image.Pixel(X, Y), Image.Pixel(int32_t(Sx), int32_t(Sy)));
    }
}

void DropDisplace(const RgbImage& Source, RgbImage& Dest, int32_t Turbulence, double Scale) {
  Dest = Source;
  const int32_t W = Source.Width(), H = Source.Height();
  if (Turbulence < 1 || Source.IsEmpty())
    return;
  const long double S = Scale;
  std::vector<long double> XX(static_cast<size_t>(Turbulence));
  for (int32_t M = 0; M < Turbulence; ++M)
    XX[size_t(M)] = std::sin(static_cast<long double>(M) / S) * -S;
  for (int32_t Y = 0; Y < H; ++Y) {
    const long double YY = std::cos(static_cast<long double>(Y % Turbulence) / S) * S;
    const long double Yl = Y;
    const uint8_t* Src = Source.Row(Y);
    int32_t M = 0;
    for (int32_t X = 0; X < W; ++X, Src += 3) {
      const long double Xx = XX[size_t(M)];
      if (++M == Turbulence)
        M = 0;
      const long double Xm = std::nearbyint(std::fabs(static_cast<long double>(X) + Xx - YY));
      const long double Ym = std::nearbyint(std::fabs(Yl + YY - Xx));
      if (Ym < H && Xm < W)
        CopyPixel(Dest.Pixel(int32_t(Xm), int32_t(Ym)), Src);
    }
  }
}

void BlockMosaic(RgbImage& Image, int32_t Block) {
  if (Block <= 1 || Image.IsEmpty())
    return;
  const int32_t W = Image.Width(), H = Image.Height();
  const size_t BlockRows = size_t((H + Block - 1) / Block);
  ForEachBand(BlockRows, [&](size_t Begin, size_t End) {
    for (size_t BY = Begin; BY < End; ++BY) {
      const int32_t Top = int32_t(BY) * Block;
      const int32_t Bottom = Top + Block < H ? Top + Block : H;
      uint8_t* First = Image.Row(Top);
      for (int32_t X = 0; X < W; X += Block) {
        const int32_t Right = X + Block < W ? X + Block : W;
        const uint8_t* C = First + size_t(X) * 3;
        for (int32_t I = X + 1; I < Right; ++I)
          CopyPixel(First + size_t(I) * 3, C);
      }
      for (int32_t Y = Top + 1; Y < Bottom; ++Y)
        std::memcpy(Image.Row(Y), First, Image.RowBytes());
    }
  }, MinItemsPerBand / (size_t(W) * size_t(Block)) + 1);
}

void WaveOffsets(int32_t Width, int32_t A, int32_t Interference, int32_t Style,
                 int32_t* Offsets) {
  const double F = static_cast<double>((3.14159265358979323846264338327950288L / 2) / A);
  double B = 0;
  for (int32_t X = 0; X < Width; ++X) {
    Offsets[X] = A + int32_t(B);
    const double Angle = X * F;
    double S;
    switch (Style) {
      case 0: S = std::sin(Angle); break;
      case 1: S = std::sin(Angle) * std::cos(Angle); break;
      case 2: S = std::sin(Angle) * std::sin(Interference * F * X); break;
      default: continue;
    }
    B = std::nearbyint(A * S);
  }
}

void WaveShift(RgbImage& Image, int32_t Amplitude, int32_t Interference, int32_t Style) {
  const int32_t W = Image.Width(), H = Image.Height();
  if (Amplitude < 1 || Image.IsEmpty() || int64_t(H) <= 3 * int64_t(Amplitude))
    return;
  std::vector<int32_t> Offsets(static_cast<size_t>(W));
  WaveOffsets(W, Amplitude, Interference, Style, Offsets.data());
  ShiftColumnsDown(Image, Offsets.data(), Amplitude, H - 1 - 2 * Amplitude);
}

void DiagonalEmboss(RgbImage& Image) {
  const int32_t W = Image.Width(), H = Image.Height();
  if (W < 4 || H < 2)
    return;
  const size_t Bytes = size_t(W - 3) * 3;
  const size_t Rows = size_t(H - 1);
  // A band's last row reads the first row of the band below, which that band may already have
  // changed: the bands read a copy of it taken before they start.
  const size_t Half = Rows / 2;
  std::vector<uint8_t> Boundary;
  const bool Split = BandCount(Rows * size_t(W), MinItemsPerBand) > 1;
  if (Split)
    Boundary.assign(Image.Row(int32_t(Half)), Image.Row(int32_t(Half)) + Image.RowBytes());
  ForEachBand(Rows, [&](size_t Begin, size_t End) {
    for (size_t Y = Begin; Y < End; ++Y) {
      uint8_t* Out = Image.Row(int32_t(Y));
      const uint8_t* Next = (Split && Y + 1 == Half) ? Boundary.data() : Image.Row(int32_t(Y) + 1);
      Next += 9;
      for (size_t I = 0; I < Bytes; ++I)
        Out[I] = uint8_t((Out[I] + 255 - Next[I]) >> 1);
    }
  }, Split ? 1 : Rows + 1);
}

void SawtoothBlinds(RgbImage& Image, int32_t Step) {
  const int32_t W = Image.Width(), H = Image.Height();
  if (Image.IsEmpty())
    return;
  int32_t B = H / 2 < Step ? H / 2 : Step;
  if (B < 0)
    B = 0;
  const int32_t Period = B >= 255 ? 256 : B + 1;
  std::vector<int32_t> Offsets(static_cast<size_t>(W));
  for (int32_t X = 0; X < W; ++X)
    Offsets[size_t(X)] = X % Period;
  ShiftColumnsDown(Image, Offsets.data(), 0, H - 1 - B);
}
