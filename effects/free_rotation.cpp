#include "free_rotation.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "blend.h"
#include "parallel_bands.h"

// The turned picture is defined by two drawings through the same mapping: the picture made
// opaque, drawn with its draw mode onto opaque black, gives the colours; a grey copy of its
// alpha with a black two-pixel frame, drawn onto transparent black, gives the alpha (the grey
// level of each result pixel). Both sample the same points with the same weights, and the
// bilinear mix treats the four channels alike, so one drawing of a picture that carries the
// colours in its colour channels and the framed alpha in its alpha channel yields both: its
// alpha channel is the grey level the second drawing would give, and its colour channels are
// what the first would sample before combining with the black below. The combine step of the
// first drawing (dmBlend at full master alpha mixes an opaque colour with weight 254) is then
// applied to the colours. The points between -1 and 0 that reach the picture's outer colour
// lie on the transparent frame, so only the colour of fully transparent pixels can differ there.

namespace {

constexpr double Pi = 3.14159265358979;

// Rows per band of the parallel passes: every band is large enough to be worth a thread.
constexpr size_t MinPixelsPerBand = size_t{1} << 16;

void ForEachRowBand(int32_t Width, int32_t Height,
                    const std::function<void(int32_t Y0, int32_t Y1)>& Body) {
  const size_t RowsPerMin = std::max<size_t>(1, MinPixelsPerBand / std::max(Width, 1));
  ForEachBand(
      static_cast<size_t>(Height),
      [&](size_t B, size_t E) { Body(static_cast<int32_t>(B), static_cast<int32_t>(E)); },
      RowsPerMin);
}

}  // namespace

TFreeRotationSize FreeRotationSize(int32_t W0, int32_t H0, int32_t Angle) {
  const double T = Pi * -static_cast<double>(Angle) / 180.0;
  TFreeRotationSize S;
  S.Wn = static_cast<float>(std::fabs(std::cos(T) * W0) + std::fabs(std::sin(T) * H0));
  S.Hn = static_cast<float>(std::fabs(std::sin(T) * W0) + std::fabs(std::cos(T) * H0));
  S.Width = static_cast<int32_t>(std::nearbyint(S.Wn));
  S.Height = static_cast<int32_t>(std::nearbyint(S.Hn));
  return S;
}

void BuildFreeRotation(TAffineTransformation& T, int32_t W0, int32_t H0, int32_t Angle) {
  T.SetSrcRect({0, 0, static_cast<float>(W0), static_cast<float>(H0)});
  T.Clear();
  T.Translate(-static_cast<float>(W0) / 2, -static_cast<float>(H0) / 2);
  T.Rotate(0, 0, -static_cast<float>(Angle));
  const TFreeRotationSize S = FreeRotationSize(W0, H0, Angle);
  T.Translate(S.Wn / 2, S.Hn / 2);
}

void RotatePicture(const TBitmap32& Src, TBitmap32& Dst, int32_t Angle, bool Bilinear) {
  const int32_t W0 = Src.Width(), H0 = Src.Height();
  if (Src.IsEmpty()) {
    Dst.SetSize(0, 0);
    return;
  }
  TAffineTransformation T;
  BuildFreeRotation(T, W0, H0, Angle);
  const TFreeRotationSize S = FreeRotationSize(W0, H0, Angle);

  // The picture with the framed alpha: rows 0, 1, H0 - 2, H0 - 1 and columns 0, 1, W0 - 2,
  // W0 - 1 transparent. Its outer colour keeps Src's colour and the alpha of an empty grey
  // picture's outer colour (0).
  TBitmap32 Framed;
  Framed.SetSizeForOverwrite(W0, H0);
  Framed.OuterColor = Src.OuterColor & 0x00FFFFFF;
  Framed.SetStretchFilter(Bilinear ? sfLinear : sfNearest);
  ForEachRowBand(W0, H0, [&](int32_t Y0, int32_t Y1) {
    for (int32_t Y = Y0; Y < Y1; ++Y) {
      const TColor32* In = Src.RowAddress(Y);
      TColor32* Out = Framed.RowAddress(Y);
      if (Y < 2 || Y >= H0 - 2) {
        for (int32_t X = 0; X < W0; ++X) Out[X] = In[X] & 0x00FFFFFF;
        continue;
      }
      for (int32_t X = 0; X < W0; ++X) Out[X] = In[X];
      for (int32_t X : {0, 1, W0 - 2, W0 - 1})
        if (X >= 0 && X < W0)
          Out[X] &= 0x00FFFFFF;
    }
  });

  TBitmap32 Turned;
  Turned.SetSize(S.Width, S.Height);  // transparent black: pixels the picture does not reach
  if (Turned.IsEmpty()) {
    Dst.SetSize(0, 0);
    return;
  }
  TransformBitmap(Turned, Framed, T);

  if (Src.DrawMode() == dmBlend) {
    // BlendOntoMaster of an opaque colour onto opaque black at master alpha 255.
    ForEachRowBand(S.Width, S.Height, [&](int32_t Y0, int32_t Y1) {
      for (int32_t Y = Y0; Y < Y1; ++Y) {
        TColor32* P = Turned.RowAddress(Y);
        for (int32_t X = 0; X < S.Width; ++X) {
          const TColor32 C = P[X];
          P[X] = (C & 0xFF000000) | (MixInline(C | 0xFF000000, 0xFF000000, 254) & 0x00FFFFFF);
        }
      }
    });
  }
  Dst.SwapContents(Turned);
}
