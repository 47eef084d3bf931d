#include "paint.h"

#include <limits>

#include "noise.h"
#include "transfers.h"
#include "transformation.h"

float SdCircle(TVec P, float R) {
  return Len(P) - R;
}

float SdEllipse(TVec P, float Rx, float Ry) {
  // Distance scaled by the gradient of the implicit form: exact enough for one-pixel edges.
  const float K0 = Len({P.X / Rx, P.Y / Ry});
  const float K1 = Len({P.X / (Rx * Rx), P.Y / (Ry * Ry)});
  if (K1 < 1e-6f)
    return -std::min(Rx, Ry);
  return K0 * (K0 - 1) / K1;
}

float SdRoundBox(TVec P, float Hx, float Hy, float R) {
  const float QX = std::fabs(P.X) - Hx + R, QY = std::fabs(P.Y) - Hy + R;
  return Len({std::max(QX, 0.0f), std::max(QY, 0.0f)}) + std::min(std::max(QX, QY), 0.0f) - R;
}

float SdSegment(TVec P, TVec A, TVec B, float R) {
  const TVec PA = P - A, BA = B - A;
  const float L = Dot(BA, BA);
  const float H = L > 0 ? Clamp01(Dot(PA, BA) / L) : 0;
  return Len(PA - BA * H) - R;
}

float SdHeart(TVec P, float S) {
  // Unit heart (point at the bottom, lobes at the top), y up, height about 1.
  TVec Q{std::fabs(P.X) / (1.1f * S), (-P.Y / (1.1f * S)) + 0.55f};
  float D;
  if (Q.Y + Q.X > 1.0f) {
    D = Len(Q - TVec{0.25f, 0.75f}) - 0.35355339f;
  } else {
    const float A = Len(Q - TVec{0.0f, 1.0f});
    const float M = 0.5f * std::max(Q.X + Q.Y, 0.0f);
    const float B = Len(Q - TVec{M, M});
    D = std::sqrt(std::min(A * A, B * B)) * ((Q.X - Q.Y) < 0 ? -1.0f : 1.0f);
  }
  return D * 1.1f * S;
}

float SdStar(TVec P, int N, float R, float Inner) {
  // Polygon of the 2N points, precise enough for pictures; N is small.
  std::vector<TVec> Pts;
  Pts.reserve(2 * N);
  for (int I = 0; I < 2 * N; ++I) {
    const float A = -Pi / 2 + Pi * I / N;
    const float RR = (I % 2) ? R * Inner : R;
    Pts.push_back({RR * std::cos(A), RR * std::sin(A)});
  }
  return SdPolygon(P, Pts);
}

float SdPolygon(TVec P, const std::vector<TVec>& V) {
  float D = Dot(P - V[0], P - V[0]);
  float S = 1;
  for (size_t I = 0, J = V.size() - 1; I < V.size(); J = I, ++I) {
    const TVec E = V[J] - V[I], W = P - V[I];
    const float T = Clamp01(Dot(W, E) / std::max(Dot(E, E), 1e-12f));
    const TVec B = W - E * T;
    D = std::min(D, Dot(B, B));
    const bool C1 = P.Y >= V[I].Y, C2 = P.Y<V[J].Y, C3 = E.X * W.Y> E.Y * W.X;
    if ((C1 && C2 && C3) || (!C1 && !C2 && !C3))
      S = -S;
  }
  return S * std::sqrt(D);
}

namespace {

void BoxPass(float* Data, int Count, int Stride, int R, bool Wrap, std::vector<float>& Tmp) {
  Tmp.resize(Count);
  for (int I = 0; I < Count; ++I) Tmp[I] = Data[I * Stride];
  auto Get = [&](int I) -> float {
    if (Wrap)
      return Tmp[((I % Count) + Count) % Count];
    return (I < 0 || I >= Count) ? 0.0f : Tmp[I];
  };
  float Sum = 0;
  for (int I = -R; I <= R; ++I) Sum += Get(I);
  const float K = 1.0f / (2 * R + 1);
  for (int I = 0; I < Count; ++I) {
    Data[I * Stride] = Sum * K;
    Sum += Get(I + R + 1) - Get(I - R);
  }
}

// One-dimensional squared distance transform (lower envelope of parabolas).
void Edt1(const float* F, float* D, int N, std::vector<int>& V, std::vector<float>& Z) {
  V.resize(N);
  Z.resize(N + 1);
  int K = 0;
  V[0] = 0;
  Z[0] = -std::numeric_limits<float>::infinity();
  Z[1] = std::numeric_limits<float>::infinity();
  for (int Q = 1; Q < N; ++Q) {
    float S;
    for (;;) {
      const int P = V[K];
      S = ((F[Q] + static_cast<float>(Q) * Q) - (F[P] + static_cast<float>(P) * P)) /
          (2.0f * (Q - P));
      if (S <= Z[K] && K > 0) {
        --K;
        continue;
      }
      break;
    }
    ++K;
    V[K] = Q;
    Z[K] = S;
    Z[K + 1] = std::numeric_limits<float>::infinity();
  }
  K = 0;
  for (int Q = 0; Q < N; ++Q) {
    while (Z[K + 1] < Q) ++K;
    const float DQ = static_cast<float>(Q - V[K]);
    D[Q] = DQ * DQ + F[V[K]];
  }
}

}  // namespace

void BlurPlane(TPlane& P, int R, bool Wrap) {
  if (R <= 0 || P.W == 0 || P.H == 0)
    return;
  std::vector<float> Tmp;
  for (int Pass = 0; Pass < 3; ++Pass) {
    for (int Y = 0; Y < P.H; ++Y) BoxPass(&P.V[static_cast<size_t>(Y) * P.W], P.W, 1, R, Wrap, Tmp);
    for (int X = 0; X < P.W; ++X) BoxPass(&P.V[X], P.H, P.W, R, Wrap, Tmp);
  }
}

TPlane DistanceOutside(const TPlane& P) {
  constexpr float Far = 1e12f;
  TPlane D(P.W, P.H);
  std::vector<float> F(std::max(P.W, P.H)), Out(std::max(P.W, P.H));
  std::vector<int> V;
  std::vector<float> Z;
  for (size_t I = 0; I < P.V.size(); ++I) D.V[I] = P.V[I] >= 0.5f ? 0.0f : Far;
  for (int X = 0; X < P.W; ++X) {
    for (int Y = 0; Y < P.H; ++Y) F[Y] = D.At(X, Y);
    Edt1(F.data(), Out.data(), P.H, V, Z);
    for (int Y = 0; Y < P.H; ++Y) D.At(X, Y) = Out[Y];
  }
  for (int Y = 0; Y < P.H; ++Y) {
    for (int X = 0; X < P.W; ++X) F[X] = D.At(X, Y);
    Edt1(F.data(), Out.data(), P.W, V, Z);
    for (int X = 0; X < P.W; ++X) D.At(X, Y) = std::sqrt(Out[X]);
  }
  return D;
}

void PutOnKey(const TBitmap32& Art, TBitmap32& Out, TColor32 Key) {
  int X0 = Art.Width(), Y0 = Art.Height(), X1 = -1, Y1 = -1;
  for (int Y = 0; Y < Art.Height(); ++Y)
    for (int X = 0; X < Art.Width(); ++X)
      if ((Art.GetPixel(X, Y) >> 24) > 8) {
        X0 = std::min(X0, X), X1 = std::max(X1, X), Y0 = std::min(Y0, Y), Y1 = std::max(Y1, Y);
      }
  if (X1 < 0)
    X0 = Y0 = 0, X1 = Art.Width() - 1, Y1 = Art.Height() - 1;
  const int M = 6;
  Out.SetSize(X1 - X0 + 1 + 2 * M, Y1 - Y0 + 1 + 2 * M);
  Out.Clear(Key);
  for (int Y = Y0; Y <= Y1; ++Y)
    for (int X = X0; X <= X1; ++X) {
      const TColor32 P = Art.GetPixel(X, Y);
      const uint32_t A = P >> 24;
      if (A <= 8)
        continue;
      TColor32 D = Key;
      Over(D, ToRgb(P | 0xFF000000u), A / 255.0f);
      if (D == Key)
        D = Key ^ 0x00010101u;
      Out.SetPixel(X - X0 + M, Y - Y0 + M, D);
    }
}

void PaintPlane(TBitmap32& B, const TPlane& P, int DX, int DY, TRgb C) {
  PaintPlaneWith(B, P, DX, DY, [&](float, float) { return C; });
}

namespace {

void Premultiply(TBitmap32& B) {
  TColor32* P = B.Bits();
  for (int I = 0, N = B.Width() * B.Height(); I < N; ++I) {
    const uint32_t A = P[I] >> 24;
    const uint32_t R = ((P[I] >> 16) & 255) * A / 255, G = ((P[I] >> 8) & 255) * A / 255,
                   Bl = (P[I] & 255) * A / 255;
    P[I] = (A << 24) | (R << 16) | (G << 8) | Bl;
  }
}

void CompositePremultiplied(TBitmap32& Dst, const TBitmap32& S, int OX, int OY, float Opacity) {
  for (int Y = 0; Y < S.Height(); ++Y) {
    const int TY = Y + OY;
    if (TY < 0 || TY >= Dst.Height())
      continue;
    const TColor32* Row = S.RowAddress(Y);
    TColor32* DRow = Dst.RowAddress(TY);
    for (int X = 0; X < S.Width(); ++X) {
      const int TX = X + OX;
      const uint32_t A = Row[X] >> 24;
      if (TX < 0 || TX >= Dst.Width() || A == 0)
        continue;
      const float K = 255.0f / A;
      const TRgb C{((Row[X] >> 16) & 255) * K / 255.0f, ((Row[X] >> 8) & 255) * K / 255.0f,
                   (Row[X] & 255) * K / 255.0f, 1};
      Over(DRow[TX], C, A / 255.0f * Opacity);
    }
  }
}

}  // namespace

void MakeTransparent(TBitmap32& B, int W, int H) {
  B.SetSize(W, H);
  B.Clear(0);
}

void DrawSprite(TBitmap32& Dst, const TBitmap32& Src, float X, float Y, float W, float H,
                float Opacity) {
  const int IW = std::max(1, static_cast<int>(std::lround(W))),
            IH = std::max(1, static_cast<int>(std::lround(H)));
  if (Src.IsEmpty())
    return;
  TBitmap32 Pre;
  Pre.Assign(&Src);
  Premultiply(Pre);
  TBitmap32 Scaled;
  Scaled.SetSize(IW, IH);
  const bool Reduce = IW < Src.Width() || IH < Src.Height();
  StretchTransfer(&Scaled, Scaled.BoundsRect(), &Pre, Pre.BoundsRect(),
                  Reduce ? sfLinear2 : sfLinear, dmOpaque);
  CompositePremultiplied(Dst, Scaled, static_cast<int>(std::lround(X)),
                         static_cast<int>(std::lround(Y)), Opacity);
}

void DrawSpriteRotated(TBitmap32& Dst, const TBitmap32& Src, float CX, float CY, float K,
                       float Angle, float Opacity) {
  if (Src.IsEmpty())
    return;
  // Scale first with the averaging filter, then turn with the bilinear transformation.
  const int SW = std::max(1, static_cast<int>(std::lround(Src.Width() * K)));
  const int SH = std::max(1, static_cast<int>(std::lround(Src.Height() * K)));
  TBitmap32 Pre;
  Pre.Assign(&Src);
  Premultiply(Pre);
  TBitmap32 Scaled;
  Scaled.SetSize(SW, SH);
  StretchTransfer(&Scaled, Scaled.BoundsRect(), &Pre, Pre.BoundsRect(),
                  K < 1 ? sfLinear2 : sfLinear, dmOpaque);
  const int Side = static_cast<int>(std::ceil(std::sqrt(float(SW) * SW + float(SH) * SH))) + 2;
  TBitmap32 Turned;
  MakeTransparent(Turned, Side, Side);
  TAffineTransformation T;
  T.SetSrcRect({0, 0, static_cast<float>(SW), static_cast<float>(SH)});
  T.Translate(-SW / 2.0f, -SH / 2.0f);
  T.Rotate(0, 0, -Angle * 180.0f / Pi);
  T.Translate(Side / 2.0f, Side / 2.0f);
  Scaled.SetStretchFilter(sfLinear);
  Scaled.SetDrawMode(dmOpaque);
  TransformBitmap(Turned, Scaled, T);
  CompositePremultiplied(Dst, Turned, static_cast<int>(std::lround(CX - Side / 2.0f)),
                         static_cast<int>(std::lround(CY - Side / 2.0f)), Opacity);
}

void Grain(TBitmap32& B, float Amount, uint64_t Seed) {
  TTileNoise N(std::max(1, B.Width() / 2), 1, 1, Seed);
  for (int Y = 0; Y < B.Height(); ++Y) {
    TColor32* Row = B.RowAddress(Y);
    for (int X = 0; X < B.Width(); ++X) {
      const float K = 1 + Amount * (N.At((X + 0.5f) / B.Width(), (Y + 0.5f) / B.Height()) - 0.5f);
      TRgb C = ToRgb(Row[X]);
      Row[X] = ToColor32({C.R * K, C.G * K, C.B * K, C.A});
    }
  }
}
