#include "perspective.h"

#include <gtest/gtest.h>

#include "bitmap_layer.h"
#include "card_document.h"
#include "exceptions.h"
#include "img_view32.h"
#include "undo.h"

namespace {

constexpr TColor32 Red = 0xFFFF0000;
constexpr TColor32 Blue = 0xFF0000FF;

TEST(Perspective, PreviewSizeFitsTheViewWithAMargin) {
  struct TCase {
    int32_t W, H;
    TPoint Want;
  };
  const TCase Cases[] = {
      {1000, 500, {478, 239}},  // q = 2 >= 528 / 313: by width
      {500, 1000, {132, 263}},  // by height: round(263 * 0.5) = round(131.5) = 132
      {2000, 1500, {351, 263}},
      {5000, 1, {478, 1}},  // never thinner than one pixel
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(PerspectivePreviewSize(C.W, C.H, 528, 313), C.Want) << C.W << "x" << C.H;
}

TEST(Perspective, PressesGrabACornerWithinTwoPixelsElseTheShape) {
  const TPerspectiveCorners C = ResetCorners(478, 239);
  EXPECT_EQ(C[2], (TPoint{477, 238}));
  struct TCase {
    int32_t X, Y, Want;
  };
  const TCase Cases[] = {
      {0, 0, 0},         {2, 2, 0},
      {-2, 1, 0},        {3, 0, DragShape},
      {0, 3, DragShape}, {475, 0, 1},
      {477, 236, 2},     {474, 238, DragShape},
      {2, 240, 3},       {200, 100, DragShape},
  };
  for (const TCase& T : Cases) EXPECT_EQ(CornerAt(C, T.X, T.Y), T.Want) << T.X << "," << T.Y;
}

TEST(Perspective, DraggingMovesOneCornerOrTheWholeShape) {
  TPerspectiveCorners C = ResetCorners(10, 10);
  MoveCorners(C, 1, 0, 40);
  EXPECT_EQ(C[1], (TPoint{9, 40}));
  MoveCorners(C, DragShape, 5, -3);
  EXPECT_EQ(C[0], (TPoint{5, -3}));
  EXPECT_EQ(C[1], (TPoint{14, 37}));
  EXPECT_EQ(C[3], (TPoint{5, 6}));
  const TPerspectiveCorners Before = C;
  MoveCorners(C, DragNothing, 7, 7);
  EXPECT_EQ(C, Before);
  // Moving the whole shape changes nothing of the result but where it stands in the view.
  EXPECT_EQ(PerspectiveResultSize(C, 2.0), PerspectiveResultSize(Before, 2.0));
}

TEST(Perspective, PreviewShowsTheCheckerboardAndThePicture) {
  TBitmap32 View;
  View.SetSize(64, 48);
  TBitmap32 Preview;
  Preview.SetSize(20, 10);
  Preview.Clear(Red);
  TProjectiveTransformation T;
  TPerspectiveCorners C = ResetCorners(20, 10);
  MoveCorners(C, DragShape, 30, 30);
  ASSERT_TRUE(DrawPerspectivePreview(View, Preview, C, false, T));
  EXPECT_EQ(View.GetPixel(0, 0), 0xFF7F7F7Fu);
  EXPECT_EQ(View.GetPixel(16, 0), 0xFFFFFFFFu);
  EXPECT_EQ(View.GetPixel(16, 16), 0xFF7F7F7Fu);
  EXPECT_EQ(View.GetPixel(0, 16), 0xFFFFFFFFu);
  EXPECT_NE(View.GetPixel(35, 35), 0xFF7F7F7Fu) << "the picture lies over the board";
  EXPECT_EQ(RedOf(View.GetPixel(35, 35)), 0xFF);

  // Three corners on a line: the bare board, no error.
  C = {TPoint{0, 0}, TPoint{40, 0}, TPoint{40, 20}, TPoint{40, 40}};
  EXPECT_FALSE(DrawPerspectivePreview(View, Preview, C, true, T));
  EXPECT_EQ(View.GetPixel(35, 35), 0xFF7F7F7Fu);
}

TEST(Perspective, EveryDegenerateQuadrilateralIsRefused) {
  struct TCase {
    TPerspectiveCorners C;
    TQuadFault Fault;
  };
  const TCase Cases[] = {
      {{TPoint{0, 0}, TPoint{99, 0}, TPoint{99, 49}, TPoint{0, 49}}, TQuadFault::None},
      {{TPoint{0, 0}, TPoint{0, 49}, TPoint{99, 49}, TPoint{99, 0}}, TQuadFault::None},  // mirrored
      {{TPoint{10, 0}, TPoint{90, 5}, TPoint{99, 49}, TPoint{0, 40}}, TQuadFault::None},
      // Three corners on one line, each of the four triples.
      {{TPoint{0, 0}, TPoint{50, 0}, TPoint{99, 0}, TPoint{0, 49}}, TQuadFault::Collinear},  // 012
      {{TPoint{0, 0}, TPoint{99, 0}, TPoint{99, 25}, TPoint{99, 49}},
       TQuadFault::Collinear},  // 123
      {{TPoint{0, 0}, TPoint{99, 0}, TPoint{60, 30}, TPoint{20, 10}},
       TQuadFault::Collinear},  // 230
      {{TPoint{0, 0}, TPoint{200, 100}, TPoint{150, 100}, TPoint{100, 50}},
       TQuadFault::Collinear},  // 301 on the diagonal
      {{TPoint{0, 0}, TPoint{0, 0}, TPoint{199, 99}, TPoint{0, 99}},
       TQuadFault::Coincident},  // the batch tool's example: 0 and 1 together
      {{TPoint{0, 0}, TPoint{99, 0}, TPoint{0, 0}, TPoint{0, 49}}, TQuadFault::Coincident},
      {{TPoint{5, 5}, TPoint{5, 5}, TPoint{5, 5}, TPoint{5, 5}}, TQuadFault::Coincident},
      // Self-crossing: a bow tie either way.
      {{TPoint{0, 0}, TPoint{99, 0}, TPoint{0, 49}, TPoint{99, 49}}, TQuadFault::Crossing},
      {{TPoint{0, 0}, TPoint{0, 49}, TPoint{99, 0}, TPoint{99, 49}}, TQuadFault::Crossing},
      {{TPoint{0, 0}, TPoint{477, 0}, TPoint{100, 200}, TPoint{400, 200}}, TQuadFault::Crossing},
  };
  for (const TCase& K : Cases) {
    const auto& C = K.C;
    const std::string Name = std::to_string(C[0].X) + "," + std::to_string(C[0].Y) + " " +
                             std::to_string(C[1].X) + "," + std::to_string(C[1].Y) + " " +
                             std::to_string(C[2].X) + "," + std::to_string(C[2].Y) + " " +
                             std::to_string(C[3].X) + "," + std::to_string(C[3].Y);
    EXPECT_EQ(QuadrilateralFault(C), K.Fault) << Name;
    if (K.Fault == TQuadFault::None) {
      EXPECT_NO_THROW(CheckQuadrilateral(C)) << Name;
      continue;
    }
    try {
      CheckQuadrilateral(C);
      ADD_FAILURE() << "accepted " << Name;
    } catch (const Exception& E) {
      EXPECT_STREQ(E.what(), QuadrilateralFaultText(K.Fault)) << Name;
      EXPECT_NE(std::string(E.what()).find("передвиньте углы"), std::string::npos);
    }
    // Nothing is mapped: the preview shows the bare board and the full picture is refused.
    TBitmap32 View, Preview, Source, Out;
    View.SetSize(500, 300);
    Preview.SetSize(20, 10);
    Preview.Clear(Red);
    TProjectiveTransformation T;
    EXPECT_FALSE(DrawPerspectivePreview(View, Preview, C, true, T)) << Name;
    Source.SetSize(20, 10);
    Source.Clear(Red);
    EXPECT_THROW(MapPerspective(Source, C, 1.0, {}, 0, Out), Exception) << Name;
    EXPECT_TRUE(Out.IsEmpty());
  }
}

TEST(Perspective, OutlineMarksTheCorners) {
  TBitmap32 B;
  B.SetSize(40, 40);
  B.Clear(0xFF808080);
  const TPerspectiveCorners C = {TPoint{10, 10}, TPoint{30, 10}, TPoint{30, 30}, TPoint{10, 30}};
  DrawPerspectiveOutline(B, C, 0);
  EXPECT_EQ(B.GetPixel(9, 9), clWhite32);
  EXPECT_EQ(B.GetPixel(7, 7), clBlack32);
  EXPECT_EQ(B.GetPixel(20, 20), 0xFF808080u) << "the inside is left alone";
  int Black = 0, White = 0;
  std::string Row;
  for (int32_t X = 14; X < 26; ++X) {
    Black += Intensity(B.GetPixel(X, 10)) < 64;
    White += Intensity(B.GetPixel(X, 10)) > 192;
    Row += std::to_string(Intensity(B.GetPixel(X, 10))) + " ";
  }
  SCOPED_TRACE(Row);
  EXPECT_GT(Black, 0);
  EXPECT_GT(White, 0) << "the side is dashed";
}

struct TPerspectiveDocTest : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  // The start of the step, as the card runner records it.
  const TChangeStart Start = [this] { Undo.Record(usPerspective); };

  void SetUp() override { View.SetBounds(800, 600); }
};

TEST_F(TPerspectiveDocTest, UnmovedCornersGiveASlightlySmallerFadedCanvas) {
  Doc.NewCanvas(1000, 500, Red);
  const TPoint P = PerspectivePreviewSize(1000, 500, 528, 313);
  TBitmap32 Source;
  Source.Assign(&Doc.Canvas());
  TPerspectiveOptions O;
  O.Background = Blue;
  ApplyPerspective(Doc, Start, Source, P.X, ResetCorners(P.X, P.Y), O);
  EXPECT_EQ(Doc.Canvas().Width(), 998);
  EXPECT_EQ(Doc.Canvas().Height(), 498);
  // The picture's outline was made transparent: its edge fades towards the background.
  EXPECT_GT(BlueOf(Doc.Canvas().GetPixel(0, 200)), 0);
  // An opaque picture blends with weight 254 of 256: red 253 over blue.
  EXPECT_EQ(Doc.Canvas().GetPixel(500, 250), 0xFFFD0002u);
  EXPECT_EQ(AlphaOf(Doc.Canvas().GetPixel(0, 200)), 255) << "a canvas stays opaque";
  EXPECT_EQ(Undo.UndoName(), "Перспектива");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Canvas().Width(), 1000);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), Red);
  ASSERT_TRUE(Undo.Redo());
  EXPECT_EQ(Doc.Canvas().Width(), 998);
}

TEST_F(TPerspectiveDocTest, LoweredCornerLeavesAWedgeInTheBackgroundColour) {
  Doc.NewCanvas(1000, 500, Red);
  TBitmap32 Source;
  Source.Assign(&Doc.Canvas());
  TPerspectiveCorners C = ResetCorners(478, 239);
  MoveCorners(C, 1, 0, 40);  // corner 1 from (477, 0) to (477, 40)
  TPerspectiveOptions O;
  O.Background = Blue;
  ApplyPerspective(Doc, Start, Source, 478, C, O);
  const TBitmap32& B = Doc.Canvas();
  ASSERT_EQ(B.Width(), 998);
  ASSERT_EQ(B.Height(), 498);
  // The top edge now runs from (0, 0) down to about (997, 84).
  int32_t Edge = -1;
  for (int32_t Y = 0; Y < B.Height() && Edge < 0; ++Y)
    if (RedOf(B.GetPixel(990, Y)) > 128)
      Edge = Y;
  EXPECT_NEAR(Edge, 83, 2) << "the top-right corner is lowered by about 84 pixels";
  EXPECT_EQ(B.GetPixel(990, 20), Blue);
  EXPECT_EQ(B.GetPixel(20, 10), 0xFFFD0002u) << "the top-left corner stays";
}

TEST_F(TPerspectiveDocTest, LayerGetsTransparentSurroundAndKeepsItsScale) {
  Doc.NewCanvas(400, 300, 0xFFFFFFFF);
  TBitmap32 Pic;
  Pic.SetSize(200, 100);
  Pic.Clear(Red);
  TBitmapLayer* L = Doc.AddPictureLayer(Pic, 255);
  L->SetLocation({10, 20, 110, 70});  // shown at half size
  Doc.SetSelection(nullptr);
  Doc.SetSelection(L);
  TBitmap32 Source;
  Source.Assign(L->Bitmap());
  // Full-size corners (preview = picture): the top edge narrowed to its middle half.
  const TPerspectiveCorners C = {TPoint{50, 0}, TPoint{150, 0}, TPoint{199, 99}, TPoint{0, 99}};
  TPerspectiveOptions O;
  O.Background = Blue;
  ApplyPerspective(Doc, Start, Source, 200, C, O);
  const TBitmap32& B = *L->Bitmap();
  ASSERT_EQ(B.Width(), 199);
  ASSERT_EQ(B.Height(), 99);
  EXPECT_EQ(AlphaOf(B.GetPixel(2, 2)), 0) << "outside the shape: transparent, not the colour";
  EXPECT_EQ(AlphaOf(B.GetPixel(196, 2)), 0);
  EXPECT_GT(AlphaOf(B.GetPixel(100, 50)), 250);
  EXPECT_EQ(RedOf(B.GetPixel(100, 50)), 0xFF);
  EXPECT_EQ(B.DrawMode(), dmBlend);
  EXPECT_FLOAT_EQ(L->Location().Left, 10);
  EXPECT_FLOAT_EQ(L->Location().Right, 10 + 199 * 0.5f);
  EXPECT_FLOAT_EQ(L->Location().Bottom, 20 + 99 * 0.5f);
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(Doc.Canvas().Width(), 400) << "the canvas is not touched";

  EXPECT_EQ(Undo.UndoName(), "Перспектива");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(L->Bitmap()->Width(), 200);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 20, 110, 70}));
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), Red);
}

TEST_F(TPerspectiveDocTest, UnmappableCornersChangeNothing) {
  Doc.NewCanvas(100, 100, Red);
  TBitmap32 Source;
  Source.Assign(&Doc.Canvas());
  const TPerspectiveCorners Line = {TPoint{0, 0}, TPoint{100, 0}, TPoint{100, 50},
                                    TPoint{100, 100}};
  const TPerspectiveCorners Flat = {TPoint{0, 5}, TPoint{0, 5}, TPoint{0, 5}, TPoint{0, 5}};
  // Corners 0, 1 and 3 on a line: the matrix cannot be inverted either.
  const TPerspectiveCorners Other = {TPoint{0, 0}, TPoint{0, 0}, TPoint{99, 99}, TPoint{0, 99}};
  const TPerspectiveCorners Bow = {TPoint{0, 0}, TPoint{99, 0}, TPoint{0, 99}, TPoint{99, 99}};
  for (const auto& C : {Line, Flat, Other, Bow}) {
    EXPECT_THROW(ApplyPerspective(Doc, Start, Source, 100, C, {}), Exception);
    EXPECT_EQ(Doc.Canvas().Width(), 100);
    EXPECT_FALSE(Undo.CanUndo());
  }
}

}  // namespace
