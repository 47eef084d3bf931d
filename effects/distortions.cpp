#include "distortions.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "next_random.h"
#include "parallel_bands.h"

#define PELMORA_CLONES __attribute__((target_clones("avx2", "default")))

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
  ForEachBand(
      size_t(W),
      [&](size_t Begin, size_t End) {
        for (int32_t T = H - 1; T >= 0; --T) {
          uint8_t* Out = Image.Row(T);
          size_t X = Begin;
          while (X < End) {
            // A run of columns with the same offset is one move.
            const int32_t O = Offsets[X];
            size_t RunEnd = X + 1;
            while (RunEnd < End && Offsets[RunEnd] == O) ++RunEnd;
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
      },
      size_t(W) * size_t(H) >= MinItemsPerBand * 2 ? 2 : size_t(W) + 1);
}

// (v + 255 - n) >> 1 for every byte.
PELMORA_CLONES
void EmbossRow(uint8_t* __restrict Out, const uint8_t* __restrict Next, size_t Bytes) {
  for (size_t I = 0; I < Bytes; ++I) Out[I] = uint8_t((Out[I] + (255 - Next[I])) >> 1);
}

}  // namespace

void ScatterPixels(RgbImage& Image, uint32_t Amount) {
  const int32_t W = Image.Width(), H = Image.Height();
  const size_t Count = size_t(W) * size_t(H);
  if (Count == 0)
    return;
  if (Amount > 128) {
    // Offsets beyond what a byte holds: draw and move in one sequential pass.
    for (int32_t X = 0; X < W; ++X)
      for (int32_t Y = 0; Y < H; ++Y) {
        const uint32_t R = NextRandom(Amount);
        const uint32_t Dx = NextRandom(2 * R);
        const uint32_t Dy = NextRandom(2 * R);
        const int64_t Sx = int64_t(X) + R - Dx, Sy = int64_t(Y) + R - Dy;
        if (Sx >= 0 && Sx < W && Sy >= 0 && Sy < H)
          CopyPixel(Image.Pixel(X, Y), Image.Pixel(int32_t(Sx), int32_t(Sy)));
      }
    return;
  }
  // The draws do not depend on the pixels: both cores compute every pixel's offset
  // (r - dx, r - dy) first, each band from the generator state jumped to its first draw. The
  // moves then follow in column order, each seeing the moves before it.
  struct TOffset {
    int8_t Dx, Dy;
  };
  std::unique_ptr<TOffset[]> Offsets(new TOffset[Count]);
  const uint32_t Start = RandomState();
  ForEachBand(Count, [&](size_t Begin, size_t End) {
    ForEachDrawLane<3>(Begin, End, Start, [&](size_t K, uint32_t& State) {
      const uint32_t R = DrawFrom(State, Amount);
      const uint32_t Dx = DrawFrom(State, 2 * R);
      const uint32_t Dy = DrawFrom(State, 2 * R);
      Offsets[K] = {int8_t(int32_t(R) - int32_t(Dx)), int8_t(int32_t(R) - int32_t(Dy))};
    });
  });
  SkipRandom(uint64_t(Count) * 3);
  const TOffset* O = Offsets.get();
  const ptrdiff_t Stride = ptrdiff_t(Image.RowBytes());
  for (int32_t X = 0; X < W; ++X) {
    uint8_t* P = Image.Pixel(X, 0);
    for (int32_t Y = 0; Y < H; ++Y, ++O, P += Stride) {
      if ((O->Dx | O->Dy) == 0)
        continue;
      const int32_t Sx = X + O->Dx, Sy = Y + O->Dy;
      if (uint32_t(Sx) < uint32_t(W) && uint32_t(Sy) < uint32_t(H))
        CopyPixel(P, P + ptrdiff_t(O->Dx) * 3 + ptrdiff_t(O->Dy) * Stride);
    }
  }
}

namespace {

// Round to nearest, ties to even, in the default rounding mode, for 0 <= V < 2^51.
inline double RoundHalfEven(double V) {
  constexpr double Magic = 6755399441055744.0;  // 1.5 * 2^52
  return (V + Magic) - Magic;
}

// round|(A + B) - C| as extended precision gives it. The double evaluation stays within 1e-10
// of the exact value for the magnitudes here (below 2^17), so unless it lies within 1e-7 of a
// half it rounds to the same integer; near a half the extended evaluation itself decides.
inline int64_t DropCoordinate(double A, double Bd, double Cd, long double Bl, long double Cl) {
  const double V = std::fabs((A + Bd) - Cd);
  const double R = RoundHalfEven(V);
  if (std::fabs(V - R) < 0.5 - 1e-7)
    return int64_t(R);
  return int64_t(std::nearbyint(std::fabs((static_cast<long double>(A) + Bl) - Cl)));
}

}  // namespace

void DropDisplace(const RgbImage& Source, RgbImage& Dest, int32_t Turbulence, double Scale) {
  const int32_t W = Source.Width(), H = Source.Height();
  Dest.SetSize(W, H);
  if (Source.IsEmpty())
    return;
  ForEachBand(Source.ByteCount(), [&](size_t Begin, size_t End) {
    std::memcpy(Dest.Bits() + Begin, Source.Bits() + Begin, End - Begin);
  });
  if (Turbulence < 1 || !(std::fabs(Scale) >= 1e-3) || !(std::fabs(Scale) <= 1e6))
    return;
  const long double S = Scale;
  std::vector<long double> XXl(static_cast<size_t>(Turbulence));
  std::vector<double> XXd(static_cast<size_t>(Turbulence));
  for (int32_t M = 0; M < Turbulence; ++M) {
    XXl[size_t(M)] = std::sin(static_cast<long double>(M) / S) * -S;
    XXd[size_t(M)] = double(XXl[size_t(M)]);
  }
  // Pixels move at most 2|s| + 1 rows. The lower band's writes into the rows the upper band
  // can also reach are kept in order and made after both bands, as the later ones.
  const int64_t Margin = int64_t(std::ceil(2 * std::fabs(Scale))) + 2;
  const size_t Half = size_t(H) / 2;
  const bool Split =
      int64_t(Half) > 2 * Margin && BandCount(size_t(W) * size_t(H), MinItemsPerBand) > 1;
  std::vector<std::pair<uint32_t, uint32_t>> Deferred;
  ForEachBand(
      size_t(H),
      [&](size_t Begin, size_t End) {
        const bool Lower = Begin != 0;
        const int64_t DeferBelow = int64_t(Half) + Margin;
        for (int32_t Y = int32_t(Begin); Y < int32_t(End); ++Y) {
          const long double YYl = std::cos(static_cast<long double>(Y % Turbulence) / S) * S;
          const double YYd = double(YYl);
          const double Yd = Y;
          int32_t M = 0;
          for (int32_t X = 0; X < W; ++X) {
            const size_t Mi = size_t(M);
            if (++M == Turbulence)
              M = 0;
            const int64_t Xm = DropCoordinate(double(X), XXd[Mi], YYd, XXl[Mi], YYl);
            const int64_t Ym = DropCoordinate(Yd, YYd, XXd[Mi], YYl, XXl[Mi]);
            if (Ym < H && Xm < W) {
              if (Lower && Ym < DeferBelow)
                Deferred.emplace_back(uint32_t(Ym * W + Xm), uint32_t(int64_t(Y) * W + X));
              else
                CopyPixel(Dest.Pixel(int32_t(Xm), int32_t(Ym)), Source.Pixel(X, Y));
            }
          }
        }
      },
      Split ? 1 : size_t(H) + 1);
  for (const auto& [To, From] : Deferred)
    CopyPixel(Dest.Bits() + size_t(To) * 3, Source.Bits() + size_t(From) * 3);
}

void BlockMosaic(RgbImage& Image, int32_t Block) {
  if (Block <= 1 || Image.IsEmpty())
    return;
  const int32_t W = Image.Width(), H = Image.Height();
  const size_t BlockRows = size_t((H + Block - 1) / Block);
  ForEachBand(
      BlockRows,
      [&](size_t Begin, size_t End) {
        for (size_t BY = Begin; BY < End; ++BY) {
          const int32_t Top = int32_t(BY) * Block;
          const int32_t Bottom = Top + Block < H ? Top + Block : H;
          uint8_t* First = Image.Row(Top);
          for (int32_t X = 0; X < W; X += Block) {
            const int32_t Right = X + Block < W ? X + Block : W;
            const uint8_t* C = First + size_t(X) * 3;
            for (int32_t I = X + 1; I < Right; ++I) CopyPixel(First + size_t(I) * 3, C);
          }
          for (int32_t Y = Top + 1; Y < Bottom; ++Y)
            std::memcpy(Image.Row(Y), First, Image.RowBytes());
        }
      },
      MinItemsPerBand / (size_t(W) * size_t(Block)) + 1);
}

void WaveOffsets(int32_t Width, int32_t A, int32_t Interference, int32_t Style, int32_t* Offsets) {
  const double F = static_cast<double>((3.14159265358979323846264338327950288L / 2) / A);
  double B = 0;
  for (int32_t X = 0; X < Width; ++X) {
    Offsets[X] = A + int32_t(B);
    const double Angle = X * F;
    double S;
    switch (Style) {
      case 0:
        S = std::sin(Angle);
        break;
      case 1:
        S = std::sin(Angle) * std::cos(Angle);
        break;
      case 2:
        S = std::sin(Angle) * std::sin(Interference * F * X);
        break;
      default:
        continue;
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
  ForEachBand(
      Rows,
      [&](size_t Begin, size_t End) {
        for (size_t Y = Begin; Y < End; ++Y) {
          uint8_t* Out = Image.Row(int32_t(Y));
          const uint8_t* Next =
              (Split && Y + 1 == Half) ? Boundary.data() : Image.Row(int32_t(Y) + 1);
          EmbossRow(Out, Next + 9, Bytes);
        }
      },
      Split ? 1 : Rows + 1);
}

void SawtoothBlinds(RgbImage& Image, int32_t Step) {
  const int32_t W = Image.Width(), H = Image.Height();
  if (Image.IsEmpty())
    return;
  int32_t B = H / 2 < Step ? H / 2 : Step;
  if (B < 0)
    B = 0;
  const int32_t Period = B >= 255 ? 256 : B + 1;
  const int32_t Last = H - 1 - B;  // rows 0 .. Last move
  const ptrdiff_t Stride = ptrdiff_t(Image.RowBytes());
  // Column x moves down by o = x mod Period. Target rows are filled bottom up, so a source row
  // is always read before it is written; within one period of columns, consecutive pixels of
  // a target row come from consecutive rows upward, one stride apart.
  ForEachBand(
      size_t(W),
      [&](size_t Begin, size_t End) {
        for (int32_t T = H - 1; T >= 1; --T) {
          const int32_t OLo = T - Last > 1 ? T - Last : 1;  // o = 0 keeps the pixel
          const int32_t OHi = T < Period - 1 ? T : Period - 1;
          if (OLo > OHi)
            continue;
          for (int64_t P0 = int64_t(Begin) - int64_t(Begin) % Period; P0 < int64_t(End);
               P0 += Period) {
            const int64_t Xa = P0 + OLo > int64_t(Begin) ? P0 + OLo : int64_t(Begin);
            const int64_t Xb = P0 + OHi + 1 < int64_t(End) ? P0 + OHi + 1 : int64_t(End);
            if (Xa >= Xb)
              continue;
            uint8_t* D = Image.Pixel(int32_t(Xa), T);
            const uint8_t* S = Image.Pixel(int32_t(Xa), T - int32_t(Xa - P0));
            for (int64_t X = Xa; X < Xb; ++X, D += 3, S += 3 - Stride) CopyPixel(D, S);
          }
        }
      },
      size_t(W) * size_t(H) >= MinItemsPerBand * 2 ? 2 : size_t(W) + 1);
}
