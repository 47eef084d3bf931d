#include "perspective.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "bitmap_layer.h"
#include "card_document.h"
#include "checkerboard.h"
#include "exceptions.h"
#include "undo.h"

namespace {

constexpr TColor32 CheckerGrey = 0xFF7F7F7F;
constexpr int32_t CheckerSize = 16;
// The preview leaves this much of the view free around the picture for dragging.
constexpr int32_t PreviewMargin = 50;

int32_t RoundEven(double V) {
  return int32_t(std::nearbyint(V));
}

// Twice the signed area of the triangle A, B, P: positive when P lies to the left of A -> B.
int64_t Orient(TPoint A, TPoint B, TPoint P) {
  return (int64_t(B.X) - A.X) * (int64_t(P.Y) - A.Y) - (int64_t(B.Y) - A.Y) * (int64_t(P.X) - A.X);
}

int Sign(int64_t V) {
  return (V > 0) - (V < 0);
}

// Whether the segments A-B and C-D cross; no three of the points lie on one line.
bool SegmentsCross(TPoint A, TPoint B, TPoint C, TPoint D) {
  return Sign(Orient(A, B, C)) * Sign(Orient(A, B, D)) < 0 &&
         Sign(Orient(C, D, A)) * Sign(Orient(C, D, B)) < 0;
}

}  // namespace

TQuadFault QuadrilateralFault(const TPerspectiveCorners& C) {
  for (size_t I = 0; I < 4; ++I)
    for (size_t J = I + 1; J < 4; ++J)
      if (C[I] == C[J])
        return TQuadFault::Coincident;
  for (size_t Skip = 0; Skip < 4; ++Skip) {
    const TPoint A = C[(Skip + 1) % 4], B = C[(Skip + 2) % 4], P = C[(Skip + 3) % 4];
    if (Orient(A, B, P) == 0)
      return TQuadFault::Collinear;
  }
  if (SegmentsCross(C[0], C[1], C[2], C[3]) || SegmentsCross(C[1], C[2], C[3], C[0]))
    return TQuadFault::Crossing;
  return TQuadFault::None;
}

const char* QuadrilateralFaultText(TQuadFault Fault) {
  switch (Fault) {
    case TQuadFault::Coincident:
      return "Два угла стоят в одной точке: передвиньте углы";
    case TQuadFault::Collinear:
      return "Три угла стоят на одной прямой: передвиньте углы";
    case TQuadFault::Crossing:
      return "Стороны фигуры пересекаются: передвиньте углы";
    case TQuadFault::None:
      break;
  }
  return "";
}

void CheckQuadrilateral(const TPerspectiveCorners& C) {
  const TQuadFault Fault = QuadrilateralFault(C);
  if (Fault != TQuadFault::None)
    throw Exception(QuadrilateralFaultText(Fault));
}

TPoint PerspectivePreviewSize(int32_t SrcW, int32_t SrcH, int32_t ClientW, int32_t ClientH) {
  if (SrcW <= 0 || SrcH <= 0)
    return {1, 1};
  const double Q = double(SrcW) / SrcH;
  int32_t W = 0, H = 0;
  if (ClientH <= 0 || Q >= double(ClientW) / ClientH) {
    W = ClientW - PreviewMargin;
    H = RoundEven(W / Q);
  } else {
    H = ClientH - PreviewMargin;
    W = RoundEven(H * Q);
  }
  return {std::max(W, 1), std::max(H, 1)};
}

TPerspectiveCorners ResetCorners(int32_t W, int32_t H) {
  return {TPoint{0, 0}, TPoint{W - 1, 0}, TPoint{W - 1, H - 1}, TPoint{0, H - 1}};
}

int32_t CornerAt(const TPerspectiveCorners& C, int32_t X, int32_t Y) {
  for (int32_t I = 0; I < 4; ++I)
    if (std::abs(C[size_t(I)].X - X) < 3 && std::abs(C[size_t(I)].Y - Y) < 3)
      return I;
  return DragShape;
}

void MoveCorners(TPerspectiveCorners& C, int32_t Dragged, int32_t Dx, int32_t Dy) {
  if (Dragged >= 0 && Dragged < 4) {
    C[size_t(Dragged)].X += Dx;
    C[size_t(Dragged)].Y += Dy;
  } else if (Dragged == DragShape) {
    for (TPoint& P : C) {
      P.X += Dx;
      P.Y += Dy;
    }
  }
}

void SetPreviewMapping(TProjectiveTransformation& T, const TPerspectiveCorners& C, int32_t PreviewW,
                       int32_t PreviewH) {
  T.SetSrcRect({0, 0, float(PreviewW - 1), float(PreviewH - 1)});
  for (int I = 0; I < 4; ++I) {
    T.SetX(I, float(C[size_t(I)].X));
    T.SetY(I, float(C[size_t(I)].Y));
  }
}

bool DrawPerspectivePreview(TBitmap32& View, TBitmap32& Preview, const TPerspectiveCorners& C,
                            bool Bilinear, TProjectiveTransformation& T) {
  View.BeginUpdate();
  FillCheckerboard(View, CheckerSize, CheckerGrey, clWhite32);
  bool Drawn = QuadrilateralFault(C) == TQuadFault::None;
  if (Drawn && !Preview.IsEmpty()) {
    SetPreviewMapping(T, C, Preview.Width(), Preview.Height());
    Preview.SetStretchFilter(Bilinear ? sfLinear : sfNearest);
    try {
      T.Prepare();
      TransformBitmap(View, Preview, T);
    } catch (const ETransformError&) {
      // Three corners on one line: there is no shape to show until a corner moves on.
      Drawn = false;
    }
  }
  View.EndUpdate();
  View.Changed();
  return Drawn;
}

void DrawPerspectiveOutline(TBitmap32& Buffer, const TPerspectiveCorners& C, float DashOffset) {
  Buffer.SetStipplePattern({clBlack32, clBlack32, clWhite32, clWhite32});
  Buffer.StippleStep = 0.5f;
  Buffer.StippleCounter = DashOffset;
  static constexpr int Sides[4][2] = {{3, 0}, {0, 1}, {1, 2}, {2, 3}};
  for (const auto& S : Sides) {
    const TPoint A = C[size_t(S[0])], B = C[size_t(S[1])];
    Buffer.LineFloatStippleSafe(float(A.X), float(A.Y), float(B.X), float(B.Y), false);
  }
  for (const TPoint& P : C) {
    Buffer.FillRectSafe(P.X - 2, P.Y - 2, P.X + 2, P.Y + 2, clWhite32);
    Buffer.FrameRectSafe(P.X - 3, P.Y - 3, P.X + 3, P.Y + 3, clBlack32);
  }
}

TPoint PerspectiveResultSize(const TPerspectiveCorners& C, double K) {
  const double MinX = std::min(C[0].X, C[3].X), MaxX = std::max(C[1].X, C[2].X);
  const double MinY = std::min(C[0].Y, C[1].Y), MaxY = std::max(C[2].Y, C[3].Y);
  return {RoundEven(std::fabs(MinX - MaxX) * K), RoundEven(std::fabs(MinY - MaxY) * K)};
}

void MapPerspective(TBitmap32& Source, const TPerspectiveCorners& C, double K,
                    const TPerspectiveOptions& Options, TColor32 Fill, TBitmap32& Result) {
  if (Source.IsEmpty())
    throw Exception("Нет изображения для изменения геометрии");
  CheckQuadrilateral(C);
  const TPoint Size = PerspectiveResultSize(C, K);
  if (Size.X <= 0 || Size.Y <= 0)
    throw Exception("Углы слишком близко друг к другу: изображение не получится");
  const int32_t RefX = std::min(C[0].X, C[3].X), RefY = std::min(C[0].Y, C[1].Y);
  TProjectiveTransformation T;
  T.SetSrcRect({0, 0, float(Source.Width()), float(Source.Height())});
  for (int I = 0; I < 4; ++I) {
    T.SetX(I, float((C[size_t(I)].X - RefX) * K));
    T.SetY(I, float((C[size_t(I)].Y - RefY) * K));
  }
  // Three corners on a line raise here, before anything is allocated or drawn.
  T.Prepare();
  TBitmap32 Out;
  Out.SetSize(Size.X, Size.Y);
  if (Out.IsEmpty())
    throw Exception("Недостаточно памяти для изображения " + std::to_string(Size.X) + "x" +
                    std::to_string(Size.Y));
  Out.Clear(Fill);
  Source.SetDrawMode(dmBlend);
  ClearBorderAlpha(Source, {0, 0, Source.Width() - 1, Source.Height() - 1});
  Source.SetStretchFilter(Options.Bilinear ? sfLinear : sfNearest);
  TransformBitmap(Out, Source, T);
  Result.SwapContents(Out);
  Result.SetDrawMode(dmBlend);
}

void ApplyPerspective(TCardDocument& Doc, const TChangeStart& Start, const TBitmap32& Source,
                      int32_t PreviewW, const TPerspectiveCorners& C,
                      const TPerspectiveOptions& Options) {
  if (Doc.IsEmpty() || Source.IsEmpty() || PreviewW <= 0)
    return;
  CheckQuadrilateral(C);
  TBitmapLayer* L = Doc.SelectedBitmapLayer();
  const double K = double(Source.Width()) / PreviewW;
  TBitmap32 Picture;
  Picture.Assign(&Source);
  TBitmap32 Result;
  try {
    MapPerspective(Picture, C, K, Options,
                   L != nullptr ? 0x00FFFFFFu : (Options.Background | 0xFF000000u), Result);
  } catch (const ETransformError&) {
    throw Exception("Три угла стоят на одной прямой: передвиньте углы");
  }
  Picture.SetSize(0, 0);

  TBitmap32& Target = L != nullptr ? *L->Bitmap() : Doc.Canvas();
  const int32_t OldW = Target.Width(), OldH = Target.Height();
  StartChange(Start);
  Target.BeginUpdate();
  Target.SwapContents(Result);
  if (L != nullptr)
    Target.SetDrawMode(dmBlend);
  Target.EndUpdate();
  Target.Changed();
  if (Target.Width() != OldW || Target.Height() != OldH)
    Target.NotifyResize();
  if (L != nullptr) {
    const TSingleRect Loc = L->Location();
    const double Sx = (double(Loc.Right) - Loc.Left) / OldW;
    const double Sy = (double(Loc.Bottom) - Loc.Top) / OldH;
    L->SetLocation({Loc.Left, Loc.Top, float(Loc.Left + Target.Width() * Sx),
                    float(Loc.Top + Target.Height() * Sy)});
    Doc.SetSelection(nullptr);
    Doc.SetSelection(L);
  }
  Doc.Modified = true;
}
