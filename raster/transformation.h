#pragma once
// Geometric mappings from source to destination pixels, and drawing a bitmap through them.
#include <cstdint>

#include "bitmap32.h"
#include "blend.h"
#include "types.h"

// 3 x 3 matrix of floats stored column after column: x' = s[0]x + s[3]y + s[6],
// y' = s[1]x + s[4]y + s[7], w' = s[2]x + s[5]y + s[8].
struct TFloatMatrix {
  float s[9];
};
struct TVector3f {
  float X, Y, Z;
};

constexpr TFloatMatrix IdentityMatrix = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};

float Determinant(const TFloatMatrix& M);
// M becomes the transposed matrix of its cofactors.
void Adjugate(TFloatMatrix& M);
void ScaleMatrix(TFloatMatrix& M, float F);
// M becomes its inverse; a nearly singular matrix (|det| < 0.00001) becomes the identity.
void Invert(TFloatMatrix& M);
// A . B: B applied first, then A.
TFloatMatrix Multiply(const TFloatMatrix& A, const TFloatMatrix& B);
TVector3f ApplyToVector(const TFloatMatrix& M, const TVector3f& V);

// Base of the mappings: the source part to draw and the reverse question for a destination pixel.
class TTransformation {
 public:
  virtual ~TTransformation() = default;

  const TSingleRect& SrcRect() const { return FSrcRect; }
  void SetSrcRect(const TSingleRect& R) {
    FSrcRect = R;
    FPrepared = false;
  }
  bool Prepared() const { return FPrepared; }

  // The source pixel under destination pixel (X, Y); false when it is undefined (a projective
  // point on the horizon).
  virtual bool ReverseInt(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) = 0;
  // The same point in 24.8 fixed point.
  virtual bool ReverseFixed(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) = 0;
  virtual void Prepare() = 0;
  // Integer bounding box of the mapped source rectangle.
  virtual TRect TransformedBounds() const = 0;

 protected:
  TSingleRect FSrcRect;
  bool FPrepared = false;
};

// Rotations, scalings, skews and translations; the reverse mapping runs in 20.12 fixed point.
class TAffineTransformation : public TTransformation {
 public:
  void Clear();
  void Translate(float Dx, float Dy);
  void Scale(float Sx, float Sy);
  void Skew(float Fx, float Fy);
  // Angle in degrees; with y pointing down a positive angle turns counter-clockwise on screen.
  void Rotate(float Cx, float Cy, float Angle);

  bool ReverseInt(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) override;
  bool ReverseFixed(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) override;
  void Prepare() override;
  TRect TransformedBounds() const override;

  TFloatMatrix Matrix = IdentityMatrix;
  // The prepared reverse mapping, 12 fraction bits.
  int32_t A = 0, B = 0, C = 0, D = 0, E = 0, F = 0;

 private:
  void Apply(const TFloatMatrix& M);
};

// Maps the source rectangle onto a quadrilateral: corner 0 takes its top-left, 1 its top-right,
// 2 its bottom-right, 3 its bottom-left.
class TProjectiveTransformation : public TTransformation {
 public:
  float X(int I) const { return FX[I]; }
  float Y(int I) const { return FY[I]; }
  void SetX(int I, float V) {
    FX[I] = V;
    FPrepared = false;
  }
  void SetY(int I, float V) {
    FY[I] = V;
    FPrepared = false;
  }
  void SetCorners(const TSinglePoint (&Corners)[4]);

  bool ReverseInt(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) override;
  bool ReverseFixed(int32_t X, int32_t Y, int32_t& SrcX, int32_t& SrcY) override;
  // Raises ETransformError "Assertion failure" when three corners lie on one line.
  void Prepare() override;
  TRect TransformedBounds() const override;

  const TFloatMatrix& ReverseMatrix() const { return FMatrix; }

 private:
  float FX[4] = {};
  float FY[4] = {};
  TFloatMatrix FMatrix = IdentityMatrix;
};

// Draws Src into Dst through T with Src's draw mode, master alpha and filter (sfNearest samples
// the nearest pixel, any other filter bilinearly). Dst is notified unless nothing could be drawn.
void TransformBitmap(TBitmap32& Dst, const TBitmap32& Src, TTransformation& T);

// The instruction forms of TransformBitmap's loops (AVX2 or scalar); every form gives the same
// result to the bit. Other or unsupported forms select the scalar one. Returns the previous one.
TBlendForms TransformForms();
TBlendForms SetTransformForms(TBlendForms Forms);

// Sets the alpha of the one-pixel outline of R (right and bottom inclusive) to 0.
void ClearBorderAlpha(TBitmap32& B, const TRect& R);
