#include "transformation.h"

#include <algorithm>
#include <cmath>

#include "exceptions.h"
#include "geometry.h"
#include "transform_mapping.h"

namespace {

inline float& At(TFloatMatrix& M, int Row, int Col) {
  return M.s[Col * 3 + Row];
}
inline float At(const TFloatMatrix& M, int Row, int Col) {
  return M.s[Col * 3 + Row];
}

TRect BoundsOf(const float (&Xs)[4], const float (&Ys)[4]) {
  const float MinX = std::min({Xs[0], Xs[1], Xs[2], Xs[3]});
  const float MaxX = std::max({Xs[0], Xs[1], Xs[2], Xs[3]});
  const float MinY = std::min({Ys[0], Ys[1], Ys[2], Ys[3]});
  const float MaxY = std::max({Ys[0], Ys[1], Ys[2], Ys[3]});
  return {RoundClamped(MinX - 0.5f), RoundClamped(MinY - 0.5f), RoundClamped(MaxX + 0.5f),
          RoundClamped(MaxY + 0.5f)};
}

}  // namespace

float Determinant(const TFloatMatrix& M) {
  const float a = At(M, 0, 0), b = At(M, 0, 1), c = At(M, 0, 2);
  const float d = At(M, 1, 0), e = At(M, 1, 1), f = At(M, 1, 2);
  const float g = At(M, 2, 0), h = At(M, 2, 1), i = At(M, 2, 2);
  return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}

void Adjugate(TFloatMatrix& M) {
  const TFloatMatrix S = M;
  auto m = [&S](int R, int C) { return At(S, R, C); };
  At(M, 0, 0) = m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1);
  At(M, 0, 1) = m(0, 2) * m(2, 1) - m(0, 1) * m(2, 2);
  At(M, 0, 2) = m(0, 1) * m(1, 2) - m(0, 2) * m(1, 1);
  At(M, 1, 0) = m(1, 2) * m(2, 0) - m(1, 0) * m(2, 2);
  At(M, 1, 1) = m(0, 0) * m(2, 2) - m(0, 2) * m(2, 0);
  At(M, 1, 2) = m(0, 2) * m(1, 0) - m(0, 0) * m(1, 2);
  At(M, 2, 0) = m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0);
  At(M, 2, 1) = m(0, 1) * m(2, 0) - m(0, 0) * m(2, 1);
  At(M, 2, 2) = m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0);
}

void ScaleMatrix(TFloatMatrix& M, float F) {
  for (float& V : M.s) V *= F;
}

void Invert(TFloatMatrix& M) {
  const float Det = Determinant(M);
  if (std::fabs(Det) < 0.00001f) {
    M = IdentityMatrix;
    return;
  }
  Adjugate(M);
  ScaleMatrix(M, 1.0f / Det);
}

TFloatMatrix Multiply(const TFloatMatrix& A, const TFloatMatrix& B) {
  TFloatMatrix R;
  for (int Row = 0; Row < 3; ++Row)
    for (int Col = 0; Col < 3; ++Col)
      At(R, Row, Col) = At(A, Row, 0) * At(B, 0, Col) + At(A, Row, 1) * At(B, 1, Col) +
                        At(A, Row, 2) * At(B, 2, Col);
  return R;
}

TVector3f ApplyToVector(const TFloatMatrix& M, const TVector3f& V) {
  return {M.s[0] * V.X + M.s[3] * V.Y + M.s[6] * V.Z, M.s[1] * V.X + M.s[4] * V.Y + M.s[7] * V.Z,
          M.s[2] * V.X + M.s[5] * V.Y + M.s[8] * V.Z};
}

// ---------------------------------------------------------------------------------------------
// Affine

void TAffineTransformation::Apply(const TFloatMatrix& M) {
  Matrix = Multiply(M, Matrix);
  FPrepared = false;
}

void TAffineTransformation::Clear() {
  Matrix = IdentityMatrix;
  FPrepared = false;
}

void TAffineTransformation::Translate(float Dx, float Dy) {
  TFloatMatrix T = IdentityMatrix;
  T.s[6] = Dx;
  T.s[7] = Dy;
  Apply(T);
}

void TAffineTransformation::Scale(float Sx, float Sy) {
  TFloatMatrix S = IdentityMatrix;
  S.s[0] = Sx;
  S.s[4] = Sy;
  Apply(S);
}

void TAffineTransformation::Skew(float Fx, float Fy) {
  TFloatMatrix K = IdentityMatrix;
  K.s[3] = Fx;
  K.s[1] = Fy;
  Apply(K);
}

void TAffineTransformation::Rotate(float Cx, float Cy, float Angle) {
  FPrepared = false;
  const bool Centred = Cx != 0 || Cy != 0;
  if (Centred)
    Translate(-Cx, -Cy);
  const double Radians = static_cast<double>(Angle) * M_PI / 180.0;
  const auto S = static_cast<float>(std::sin(Radians));
  const auto C = static_cast<float>(std::cos(Radians));
  TFloatMatrix R = IdentityMatrix;
  R.s[0] = C;
  R.s[3] = S;
  R.s[1] = -S;
  R.s[4] = C;
  Apply(R);
  if (Centred)
    Translate(Cx, Cy);
}

void TAffineTransformation::Prepare() {
  TFloatMatrix M = Matrix;
  Invert(M);
  A = RoundClamped(M.s[0] * 4096.0f);
  B = RoundClamped(M.s[3] * 4096.0f);
  C = RoundClamped(M.s[6] * 4096.0f);
  D = RoundClamped(M.s[1] * 4096.0f);
  E = RoundClamped(M.s[4] * 4096.0f);
  F = RoundClamped(M.s[7] * 4096.0f);
  FPrepared = true;
}

// 64-bit sums: identical to 32-bit arithmetic wherever that does not overflow.
bool TAffineTransformation::ReverseInt(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) {
  SrcX = static_cast<int32_t>((int64_t{A} * X + int64_t{B} * Y + C + 2047) >> 12);
  SrcY = static_cast<int32_t>((int64_t{D} * X + int64_t{E} * Y + F + 2047) >> 12);
  return true;
}

bool TAffineTransformation::ReverseFixed(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) {
  SrcX = static_cast<int32_t>((int64_t{A} * X + int64_t{B} * Y + C + 7) >> 4);
  SrcY = static_cast<int32_t>((int64_t{D} * X + int64_t{E} * Y + F + 7) >> 4);
  return true;
}

TRect TAffineTransformation::TransformedBounds() const {
  const float Xs0[4] = {FSrcRect.Left, FSrcRect.Right, FSrcRect.Right, FSrcRect.Left};
  const float Ys0[4] = {FSrcRect.Top, FSrcRect.Top, FSrcRect.Bottom, FSrcRect.Bottom};
  float Xs[4], Ys[4];
  for (int I = 0; I < 4; ++I) {
    Xs[I] = Matrix.s[0] * Xs0[I] + Matrix.s[3] * Ys0[I] + Matrix.s[6];
    Ys[I] = Matrix.s[1] * Xs0[I] + Matrix.s[4] * Ys0[I] + Matrix.s[7];
  }
  return BoundsOf(Xs, Ys);
}

// ---------------------------------------------------------------------------------------------
// Projective

void TProjectiveTransformation::SetCorners(const TSinglePoint (&Corners)[4]) {
  for (int I = 0; I < 4; ++I) {
    FX[I] = Corners[I].X;
    FY[I] = Corners[I].Y;
  }
  FPrepared = false;
}

void TProjectiveTransformation::Prepare() {
  const float* X = FX;
  const float* Y = FY;
  TFloatMatrix M = IdentityMatrix;
  const float Px = X[0] - X[1] + X[2] - X[3];
  const float Py = Y[0] - Y[1] + Y[2] - Y[3];
  if (Px == 0 && Py == 0) {
    M.s[0] = X[1] - X[0];
    M.s[3] = X[2] - X[1];
    M.s[6] = X[0];
    M.s[1] = Y[1] - Y[0];
    M.s[4] = Y[2] - Y[1];
    M.s[7] = Y[0];
    M.s[2] = 0;
    M.s[5] = 0;
  } else {
    const float Dx1 = X[1] - X[2], Dx2 = X[3] - X[2];
    const float Dy1 = Y[1] - Y[2], Dy2 = Y[3] - Y[2];
    const float K = Dx1 * Dy2 - Dx2 * Dy1;
    if (K == 0)
      throw ETransformError("Assertion failure");
    const float G = (Px * Dy2 - Py * Dx2) / K;
    const float H = (Py * Dx1 - Px * Dy1) / K;
    M.s[0] = X[1] - X[0] + G * X[1];
    M.s[3] = X[3] - X[0] + H * X[3];
    M.s[6] = X[0];
    M.s[1] = Y[1] - Y[0] + G * Y[1];
    M.s[4] = Y[3] - Y[0] + H * Y[3];
    M.s[7] = Y[0];
    M.s[2] = G;
    M.s[5] = H;
  }
  M.s[8] = 1;
  TFloatMatrix S = IdentityMatrix;
  S.s[0] = 1.0f / (FSrcRect.Right - FSrcRect.Left);
  S.s[4] = 1.0f / (FSrcRect.Bottom - FSrcRect.Top);
  M = Multiply(M, S);
  TFloatMatrix T = IdentityMatrix;
  T.s[6] = -FSrcRect.Left;
  T.s[7] = -FSrcRect.Top;
  M = Multiply(M, T);
  Invert(M);
  FMatrix = M;
  FPrepared = true;
}

bool TProjectiveTransformation::ReverseInt(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) {
  return ProjectiveReverse(FMatrix.s, X, Y, 1.0f, SrcX, SrcY);
}

bool TProjectiveTransformation::ReverseFixed(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) {
  return ProjectiveReverse(FMatrix.s, X, Y, 256.0f, SrcX, SrcY);
}

TRect TProjectiveTransformation::TransformedBounds() const {
  return BoundsOf(FX, FY);
}

void ClearBorderAlpha(TBitmap32& B, const TRect& R) {
  if (B.IsEmpty())
    return;
  int32_t L = R.Left, Rt = R.Right, T = R.Top, Bt = R.Bottom;
  if (!ClipRange(L, Rt, B.Width()) || !ClipRange(T, Bt, B.Height()))
    return;
  auto Clear = [&B](int32_t X, int32_t Y) { *B.PixelAddress(X, Y) &= 0x00FFFFFF; };
  for (int32_t X = L; X <= Rt; ++X) {
    Clear(X, T);
    Clear(X, Bt);
  }
  for (int32_t Y = T + 1; Y < Bt; ++Y) {
    Clear(L, Y);
    Clear(Rt, Y);
  }
  B.Changed();
}
