#include "frame_builder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "blend.h"
#include "edge_mix.h"
#include "picture.h"

namespace {

// Round to nearest, ties to even (the default rounding mode).
double RoundEven(double X) {
  return std::nearbyint(X);
}

// The step of the opaque nearest-pixel stretch that squeezes a strip of N tiles (N * S pixels)
// into a gap of Gap pixels: (N * S << 16) div Gap, from position 0. 0 for an empty gap.
int64_t StripStep(int32_t N, int32_t S, int32_t Gap) {
  return Gap > 0 ? (int64_t{N} * S << 16) / Gap : 0;
}

// The tile column (or row) that position D of a strip shows.
inline int32_t StripIndex(int64_t D, int64_t Step, int32_t S) {
  return static_cast<int32_t>(((D * Step) >> 16) % S);
}

// One destination row of the bilinear stretch: each output pixel mixes the columns K and K + 1
// of the vertically mixed span V with its weight. A pixel that comes out less than opaque (the
// frame's inner edge, against the transparent inside) takes its colour again from the rows Up
// and Low, each colour weighted by its alpha, so that the inside's black does not reach it.
void MixSpan(const TColor32* V, const TColor32* Up, const TColor32* Low, const int32_t* Pos,
             const uint8_t* Wx, TColor32 Wy, int32_t From, int32_t To, TColor32* Out) {
  for (int32_t X = From; X < To; ++X) {
    const int32_t K = Pos[X];
    const TColor32 Mixed = MixInline(V[K], V[K + 1], Wx[X]);
    Out[X] = EdgeBilinear(Mixed, Up[K], Up[K + 1], Low[K], Low[K + 1], Wx[X], Wy);
  }
}

// The target drawn onto the frame with dmBlend: over a transparent or partly transparent
// background (the frame's inside) as one layer over another, colour weighted by alpha, so that a
// masked picture keeps its edge colours; over an opaque one the colours of the blend, opaque.
void DrawOver(const TBitmap32& Target, TBitmap32& Out, int32_t G) {
  const TColor32 M = Target.MasterAlpha();
  if (M == 0)
    return;
  for (int32_t Y = 0; Y < Target.Height(); ++Y) {
    const TColor32* S = Target.RowAddress(Y);
    TColor32* D = Out.PixelAddress(G, G + Y);
    for (int32_t X = 0; X < Target.Width(); ++X) {
      const TColor32 F = S[X], A = F >> 24;
      const TColor32 W = M >= 255 ? A : (A * M) >> 8;
      if (W == 0)
        continue;
      const TColor32 B = D[X], Below = B >> 24;
      const TColor32 Rest = (Below * (255 - W) + 127) / 255;
      const TColor32 Alpha = W + Rest;
      if (Below == 255) {
        TColor32 C = B;
        if (M >= 255)
          BlendOnto(F, C);
        else
          BlendOntoMaster(F, C, M);
        D[X] = (C & 0x00FFFFFF) | (Alpha << 24);
        continue;
      }
      const auto Ch = [&](int Shift) {
        const TColor32 V =
            (((F >> Shift) & 0xFF) * W + ((B >> Shift) & 0xFF) * Rest + Alpha / 2) / Alpha;
        return std::min<TColor32>(V, 255) << Shift;
      };
      D[X] = (Alpha << 24) | Ch(16) | Ch(8) | Ch(0);
    }
  }
}

// A row of F at the sampled columns, kept with the number of the row it holds. A middle row
// (between the top and bottom bands) is non-zero only in the two side bands; Full says whether
// the columns between them hold anything.
struct TWorkRow {
  std::vector<TColor32> Px;
  int32_t Row = -1;
  bool Full = false;
};

class TFrameStretch {
 public:
  TFrameStretch(const TFrameTiles& Tiles, const TFrameSizes& Z) : FTiles(Tiles), FZ(Z) {}

  void Run(TBitmap32& O) {
    const int32_t Ow = FZ.Ow, Oh = FZ.Oh;
    const bool Same = FZ.Fw == Ow && FZ.Fh == Oh;
    if (Same) {
      // Equal sizes: the transfer is a plain copy of F.
      FCols.resize(static_cast<size_t>(Ow));
      for (int32_t X = 0; X < Ow; ++X) FCols[X] = X;
      SideBands();
      for (int32_t Y = 0; Y < Oh; ++Y) {
        if (IsMiddle(Y))
          MiddleColumns(Y, O.RowAddress(Y));
        else
          FrameWorkRow(FTiles, FZ, Y, FCols.data(), Count(), O.RowAddress(Y));
      }
      return;
    }
    // Columns: output pixel X samples F columns i and i + 1 at x = X * dx (16.16), i = x >> 16,
    // weight of column i wx = 255 - ((x >> 8) and 255). FCols lists every sampled column once,
    // Pos[X] the index of i in it (i + 1 follows it).
    const int64_t Dx = (int64_t{FZ.Fw - 1} << 16) / Ow;
    const int64_t Dy = (int64_t{FZ.Fh - 1} << 16) / Oh;
    std::vector<int32_t> Pos(static_cast<size_t>(Ow));
    std::vector<uint8_t> Wx(static_cast<size_t>(Ow));
    for (int32_t X = 0; X < Ow; ++X) {
      const int64_t P = X * Dx;
      const auto I = static_cast<int32_t>(P >> 16);
      if (FCols.empty() || FCols.back() < I) {
        FCols.push_back(I);
        FCols.push_back(I + 1);
      } else if (FCols.back() == I) {
        FCols.push_back(I + 1);
      }
      Pos[X] = Count() - 2;
      Wx[X] = static_cast<uint8_t>(255 - ((P >> 8) & 255));
    }
    SideBands();
    // Output pixels whose two columns both lie between the side bands are 0 on middle rows.
    int32_t OxA = 0, OxB = Ow;
    while (OxA < Ow && FCols[Pos[OxA]] < FZ.S) ++OxA;
    while (OxB > OxA && FCols[Pos[OxB - 1]] + 1 >= FZ.Fw - FZ.S) --OxB;

    TWorkRow Up, Low;
    Up.Px.assign(FCols.size(), 0);
    Low.Px.assign(FCols.size(), 0);
    std::vector<TColor32> V(FCols.size(), 0);
    for (int32_t Y = 0; Y < Oh; ++Y) {
      const int64_t P = Y * Dy;
      const auto Sy = static_cast<int32_t>(P >> 16);
      const int32_t Sy1 = Sy + 1 < FZ.Fh ? Sy + 1 : Sy;
      const auto Wy = static_cast<TColor32>(255 - ((P >> 8) & 255));
      if (Up.Row != Sy && Low.Row == Sy)
        std::swap(Up, Low);
      Fetch(Up, Sy);
      Fetch(Low, Sy1);
      TColor32* Out = O.RowAddress(Y);
      if (IsMiddle(Sy) && IsMiddle(Sy1)) {
        const int32_t KA = OxA > 0 ? Pos[OxA - 1] + 2 : 0;
        const int32_t KB = OxB < Ow ? Pos[OxB] : Count();
        for (int32_t K = 0; K < KA; ++K) V[K] = MixInline(Up.Px[K], Low.Px[K], Wy);
        for (int32_t K = KB; K < Count(); ++K) V[K] = MixInline(Up.Px[K], Low.Px[K], Wy);
        MixSpan(V.data(), Up.Px.data(), Low.Px.data(), Pos.data(), Wx.data(), Wy, 0, OxA, Out);
        MixSpan(V.data(), Up.Px.data(), Low.Px.data(), Pos.data(), Wx.data(), Wy, OxB, Ow, Out);
      } else {
        for (int32_t K = 0; K < Count(); ++K) V[K] = MixInline(Up.Px[K], Low.Px[K], Wy);
        MixSpan(V.data(), Up.Px.data(), Low.Px.data(), Pos.data(), Wx.data(), Wy, 0, Ow, Out);
      }
    }
  }

 private:
  int32_t Count() const { return static_cast<int32_t>(FCols.size()); }
  bool IsMiddle(int32_t Y) const { return Y >= FZ.S && Y < FZ.Fh - FZ.S; }

  // The sampled columns in the left band (before FBandA) and in the right band (from FBandB).
  void SideBands() {
    FBandA =
        static_cast<int32_t>(std::lower_bound(FCols.begin(), FCols.end(), FZ.S) - FCols.begin());
    FBandB = static_cast<int32_t>(std::lower_bound(FCols.begin(), FCols.end(), FZ.Fw - FZ.S) -
                                  FCols.begin());
    FBandB = std::max(FBandB, FBandA);
  }

  // A middle row of F at the sampled columns: the side bands only.
  void MiddleColumns(int32_t Y, TColor32* Out) const {
    FrameWorkRow(FTiles, FZ, Y, FCols.data(), FBandA, Out);
    FrameWorkRow(FTiles, FZ, Y, FCols.data() + FBandB, Count() - FBandB, Out + FBandB);
  }

  void Fetch(TWorkRow& R, int32_t Y) const {
    if (R.Row == Y)
      return;
    if (IsMiddle(Y)) {
      if (R.Full)
        std::fill(R.Px.begin() + FBandA, R.Px.begin() + FBandB, 0);
      MiddleColumns(Y, R.Px.data());
      R.Full = false;
    } else {
      FrameWorkRow(FTiles, FZ, Y, FCols.data(), Count(), R.Px.data());
      R.Full = true;
    }
    R.Row = Y;
  }

  const TFrameTiles& FTiles;
  const TFrameSizes& FZ;
  std::vector<int32_t> FCols;
  int32_t FBandA = 0, FBandB = 0;
};

}  // namespace

namespace {

// The thickness of a frame at Percent of the width W; 0 raises EFrameError.
double FrameThickness(int32_t W, int32_t Percent) {
  const double G = RoundEven(Percent / 100.0 * W);
  if (G < 1)
    throw EFrameError("Рамка слишком тонкая: при " + std::to_string(Percent) + " % от ширины " +
                      std::to_string(W) + " пикселей её толщина 0 пикселей");
  return G;
}

TFrameSizes SizesAround(int32_t Tw, int32_t Th, double G, int32_t S) {
  TFrameSizes Z;
  Z.S = S;
  const double Ow = Tw + 2 * G, Oh = Th + 2 * G;
  if (Ow * Oh > static_cast<double>(MaxPicturePixels))
    throw EFrameError("Изображение с рамкой слишком велико: " + std::to_string(int64_t(Ow)) +
                      " x " + std::to_string(int64_t(Oh)) + " пикселей");
  const double Fw = RoundEven(S / G * Ow), Fh = RoundEven(S / G * Oh);
  // F is never allocated, but its sizes take part in 16.16 positions.
  if (Fw > INT32_MAX / 4 || Fh > INT32_MAX / 4)
    throw EFrameError("Рамка слишком крупная для такой тонкой полосы");
  Z.G = static_cast<int32_t>(G);
  Z.Ow = static_cast<int32_t>(Ow);
  Z.Oh = static_cast<int32_t>(Oh);
  Z.Fw = static_cast<int32_t>(Fw);
  Z.Fh = static_cast<int32_t>(Fh);
  // Fw >= 2S since Tw / G >= 0: the gaps never go below 0 (kept so for safety all the same).
  Z.Gw = std::max(Z.Fw - 2 * S, 0);
  Z.Gh = std::max(Z.Fh - 2 * S, 0);
  Z.Fw = Z.Gw + 2 * S;
  Z.Fh = Z.Gh + 2 * S;
  Z.Nw = static_cast<int32_t>(RoundEven(static_cast<double>(Z.Fw) / S));
  Z.Nh = static_cast<int32_t>(RoundEven(static_cast<double>(Z.Fh) / S));
  return Z;
}

}  // namespace

TFrameSizes FrameSizes(int32_t Tw, int32_t Th, int32_t Percent, int32_t S) {
  if (Tw < 1 || Th < 1)
    throw EFrameError("Рамку не к чему добавить: изображение пустое");
  if (S < 1)
    throw EFrameError("Рамка пустая");
  return SizesAround(Tw, Th, FrameThickness(Tw, Percent), S);
}

TFrameSizes FrameSizesWithin(int32_t W, int32_t H, int32_t Percent, int32_t S) {
  if (W < 1 || H < 1)
    throw EFrameError("Рамку не к чему добавить: изображение пустое");
  if (S < 1)
    throw EFrameError("Рамка пустая");
  const double G = FrameThickness(W, Percent);
  if (W - 2 * G < 1 || H - 2 * G < 1)
    throw EFrameError("Рамка слишком широкая: изображение " + std::to_string(W) + " x " +
                      std::to_string(H) + " пикселей она закрыла бы целиком");
  return SizesAround(static_cast<int32_t>(W - 2 * G), static_cast<int32_t>(H - 2 * G), G, S);
}

void MakeFrameTiles(const TBitmap32& Tile, TFrameTiles& T) {
  const int32_t S = Tile.Width();
  if (S < 1 || Tile.Height() != S)
    throw EFrameError("Плитка рамки должна быть квадратной");
  T.Top.Assign(&Tile);
  for (TBitmap32* B : {&T.Bottom, &T.Left, &T.Right}) {
    B->SetSize(0, 0);
    B->SetSize(S, S);
  }
  for (int32_t Y = 0; Y < S; ++Y)
    for (int32_t X = 0; X < S; ++X) {
      const TColor32 C = Tile.GetPixel(X, Y);
      T.Bottom.SetPixel(X, S - 1 - Y, C);
      T.Right.SetPixel(S - 1 - Y, X, C);
      T.Left.SetPixel(Y, S - 1 - X, C);
    }
}

void SquareFrameTile(TBitmap32& Picture) {
  const int32_t W = Picture.Width(), H = Picture.Height();
  if (W == H || Picture.IsEmpty())
    return;
  const int32_t S = std::min(W, H);
  TBitmap32 Square;
  Square.SetSize(S, S);
  for (int32_t Y = 0; Y < S; ++Y) std::copy_n(Picture.RowAddress(Y), S, Square.RowAddress(Y));
  Picture.Assign(&Square);
}

void FrameWorkRow(const TFrameTiles& T, const TFrameSizes& Z, int32_t Y, const int32_t* Cols,
                  int32_t Count, TColor32* Out) {
  const int32_t S = Z.S, R = Z.Fw - S, B = Z.Fh - S;
  const int64_t StepW = StripStep(Z.Nw, S, Z.Gw);
  if (Y < S) {
    // Top band: the top-left and top-right mitres, the top strip between them.
    for (int32_t K = 0; K < Count; ++K) {
      const int32_t X = Cols[K];
      TColor32 C;
      if (X < S) {
        C = X >= Y ? T.Top.GetPixel(X, Y) : T.Left.GetPixel(X, Y);
      } else if (X >= R) {
        const int32_t L = X - R;
        C = L <= S - 1 - Y ? T.Top.GetPixel(L, Y) : T.Right.GetPixel(L, Y);
      } else {
        C = T.Top.GetPixel(StripIndex(X - S, StepW, S), Y);
      }
      Out[K] = C;
    }
    return;
  }
  if (Y >= B) {
    const int32_t Ly = Y - B;
    for (int32_t K = 0; K < Count; ++K) {
      const int32_t X = Cols[K];
      TColor32 C;
      if (X < S) {
        C = X <= S - 1 - Ly ? T.Left.GetPixel(X, Ly) : T.Bottom.GetPixel(X, Ly);
      } else if (X >= R) {
        const int32_t L = X - R;
        C = L >= Ly ? T.Right.GetPixel(L, Ly) : T.Bottom.GetPixel(L, Ly);
      } else {
        C = T.Bottom.GetPixel(StripIndex(X - S, StepW, S), Ly);
      }
      Out[K] = C;
    }
    return;
  }
  // Between the bands: the left and right strips, transparent inside.
  const int32_t Row = StripIndex(Y - S, StripStep(Z.Nh, S, Z.Gh), S);
  for (int32_t K = 0; K < Count; ++K) {
    const int32_t X = Cols[K];
    if (X < S)
      Out[K] = T.Left.GetPixel(X, Row);
    else if (X >= R)
      Out[K] = T.Right.GetPixel(X - R, Row);
    else
      Out[K] = 0;
  }
}

namespace {

// The tile's top-left square when it is not square (kept in Cut), else the tile itself.
const TBitmap32& SquareOf(const TBitmap32& Tile, TBitmap32& Cut) {
  if (Tile.IsEmpty())
    throw EFrameError("Рамка пустая");
  if (Tile.Width() == Tile.Height())
    return Tile;
  Cut.Assign(&Tile);
  SquareFrameTile(Cut);
  return Cut;
}

}  // namespace

void BuildFrameAlone(int32_t W, int32_t H, const TBitmap32& Tile, int32_t Percent, TBitmap32& Out) {
  TBitmap32 Cut;
  const TBitmap32& Square = SquareOf(Tile, Cut);
  const TFrameSizes Z = FrameSizesWithin(W, H, Percent, Square.Width());
  TFrameTiles Tiles;
  MakeFrameTiles(Square, Tiles);
  Out.SetSize(0, 0);
  Out.SetSize(Z.Ow, Z.Oh);
  Out.BeginUpdate();
  try {
    TFrameStretch(Tiles, Z).Run(Out);
  } catch (...) {
    Out.EndUpdate();
    Out.SetSize(0, 0);
    throw;
  }
  Out.SetDrawMode(dmBlend);
  Out.EndUpdate();
  Out.Changed();
}

void BuildFrame(const TBitmap32& Target, const TBitmap32& Tile, int32_t Percent, TBitmap32& Out) {
  TBitmap32 Cut;
  const TBitmap32* Square = &SquareOf(Tile, Cut);
  const TFrameSizes Z = FrameSizes(Target.Width(), Target.Height(), Percent, Square->Width());
  TFrameTiles Tiles;
  MakeFrameTiles(*Square, Tiles);
  Out.SetSize(0, 0);
  Out.SetSize(Z.Ow, Z.Oh);
  Out.BeginUpdate();
  try {
    TFrameStretch(Tiles, Z).Run(Out);
    if (Target.DrawMode() == dmBlend)
      DrawOver(Target, Out, Z.G);
    else
      Target.DrawOnto(Out, Z.G, Z.G);
  } catch (...) {
    Out.EndUpdate();
    Out.SetSize(0, 0);
    throw;
  }
  Out.EndUpdate();
  Out.Changed();
}
