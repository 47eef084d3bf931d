#include <gtest/gtest.h>

#include "bitmap_layer.h"
#include "exceptions.h"
#include "img_view32.h"

namespace {

// Records what the view asks of the window system.
struct TFakeHost : TViewHost {
  int Repaints = 0, Immediate = 0, BarChanges = 0;
  bool Captured = false;
  std::vector<TCursor> Cursors;
  int BarSize = 16;
  void RequestRepaint() override { ++Repaints; }
  void RepaintNow() override { ++Immediate; }
  void SetScreenCursor(TCursor C) override { Cursors.push_back(C); }
  void SetMouseCapture(bool C) override { Captured = C; }
  int SystemScrollBarSize() const override { return BarSize; }
  void ScrollBarsChanged() override { ++BarChanges; }
};

}  // namespace

TEST(ImageView, CentredSmallBitmap) {
  TFakeHost Host;
  TImgView32 View(&Host);
  View.SetBounds(300, 200);
  View.Bitmap().SetSize(100, 50);
  const TRect V = View.GetViewportRect();
  EXPECT_EQ(V, (TRect{0, 0, 284, 184}));
  EXPECT_FLOAT_EQ(View.OffsetHorz(), (284 - 100) / 2.0f);
  EXPECT_FLOAT_EQ(View.OffsetVert(), (184 - 50) / 2.0f);
  EXPECT_EQ(View.HorScroll().Position(), 0);
  EXPECT_EQ(View.VerScroll().Position(), 0);
  EXPECT_EQ(View.CachedBitmapRect(), (TRect{92, 67, 192, 117}));
}

TEST(ImageView, ResizedBitmapAtZoomIsShownCentred) {
  TFakeHost Host;
  TImgView32 View(&Host);
  View.SetBounds(300, 200);
  View.SetScale(4);
  View.Bitmap().SetSize(100, 50);
  const float VW = 284, VH = 184;
  EXPECT_EQ(View.HorScroll().Range(), 400);
  EXPECT_FLOAT_EQ(View.HorScroll().Position(), 200 - VW / 2);
  EXPECT_FLOAT_EQ(View.VerScroll().Position(), 100 - VH / 2);
  EXPECT_FLOAT_EQ(View.OffsetHorz(), -View.HorScroll().Position());
  // The bitmap pixel (50, 25) sits in the middle of the viewport.
  const TPoint P = View.ControlToBitmap({142, 92});
  EXPECT_EQ(P, (TPoint{50, 25}));
}

TEST(ImageView, ControlToBitmapTruncatesTowardsZero) {
  TFakeHost Host;
  TImage32 Image(&Host);
  Image.SetBounds(200, 200);
  Image.Bitmap().SetSize(50, 50);
  Image.SetScaleMode(smScale);
  Image.SetScale(2);
  Image.SetBitmapAlign(baCustom);
  Image.SetOffsetHorz(10);
  Image.SetOffsetVert(10);
  EXPECT_EQ(Image.ControlToBitmap({11, 11}), (TPoint{0, 0}));
  EXPECT_EQ(Image.ControlToBitmap({9, 9}), (TPoint{0, 0}));
  EXPECT_EQ(Image.ControlToBitmap({13, 13}), (TPoint{1, 1}));
}

TEST(ImageView, BitmapSizeAndRectByMode) {
  TImage32 Image;
  Image.Bitmap().SetSize(200, 100);
  Image.SetScaleMode(smResize);
  Image.SetBounds(100, 100);
  EXPECT_EQ(Image.GetBitmapRect(), (TRect{0, 0, 100, 50}));
  Image.SetBounds(400, 100);
  EXPECT_EQ(Image.GetBitmapRect(), (TRect{0, 0, 200, 100}));
  Image.SetBitmapAlign(baCenter);
  EXPECT_EQ(Image.GetBitmapRect(), (TRect{100, 0, 300, 100}));
  Image.SetScaleMode(smStretch);
  EXPECT_EQ(Image.GetBitmapSize(), (TPoint{400, 100}));
  Image.SetScaleMode(smNormal);
  EXPECT_EQ(Image.GetBitmapSize(), (TPoint{200, 100}));
  Image.SetScaleMode(smScale);
  Image.SetScale(0);
  EXPECT_FLOAT_EQ(Image.Scale(), 0.001f);
  EXPECT_EQ(Image.GetBitmapSize(), (TPoint{0, 0}));  // round(0.2), round(0.1)
  Image.Bitmap().SetSize(0, 0);
  EXPECT_EQ(Image.GetBitmapRect(), (TRect{}));
}

TEST(ImageView, BufferGrowsWithAMargin) {
  TImage32 Image;
  const int Steps[][2] = {{300, 340}, {340, 340}, {341, 381}, {341, 381}, {340, 340}};
  for (const auto& S : Steps) {
    Image.SetBounds(S[0], 100);
    Image.BeginPaint();
    Image.EndPaint();
    EXPECT_EQ(Image.Buffer().Width(), S[1]) << "viewport " << S[0];
  }
  Image.BufferOversize = -1;
  Image.SetBounds(123, 45);
  Image.BeginPaint();
  Image.EndPaint();
  EXPECT_EQ(Image.Buffer().Width(), 123);
  Image.SetBounds(0, 45);
  Image.BeginPaint();
  Image.EndPaint();
  EXPECT_TRUE(Image.Buffer().IsEmpty());
}

TEST(ImageView, BackgroundStage) {
  TImage32 Image;
  Image.BufferOversize = -1;
  Image.Color = 0x00FF0000;  // blue in the platform encoding
  Image.SetBounds(4, 2);
  Image.Bitmap().SetSize(4, 2);
  Image.Bitmap().Clear(0xFF00FF00);
  // An opaque bitmap that covers the control clears nothing and is drawn over everything.
  TBitmap32& B = Image.BeginPaint();
  Image.EndPaint();
  EXPECT_EQ(B.GetPixel(3, 1), 0xFF00FF00u);
  // A blended bitmap is drawn over the cleared background.
  Image.Bitmap().Clear(0x0000FF00);
  Image.Bitmap().SetDrawMode(dmBlend);
  Image.BeginPaint();
  Image.EndPaint();
  EXPECT_EQ(B.GetPixel(0, 0), 0xFF0000FFu);
  // A smaller opaque bitmap: the bands around it are cleared.
  Image.Bitmap().SetDrawMode(dmOpaque);
  Image.Bitmap().SetSize(2, 1);
  Image.Bitmap().Clear(0xFFFFFFFF);
  Image.BeginPaint();
  Image.EndPaint();
  EXPECT_EQ(B.GetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(B.GetPixel(2, 0), 0xFF0000FFu);
  EXPECT_EQ(B.GetPixel(0, 1), 0xFF0000FFu);
}

TEST(ImageView, PaintToRendersAtScaleOne) {
  TFakeHost Host;
  TImgView32 View(&Host);
  View.SetBounds(300, 200);
  View.Bitmap().SetSize(20, 10);
  View.Bitmap().Clear(0xFF000000);
  View.SetScale(3.5f);
  auto* L = View.Layers().Add<TBitmapLayer>();
  L->SetScaled(true);
  L->Bitmap()->SetSize(2, 2);
  L->Bitmap()->Clear(0xFFFF0000);
  L->SetLocation({5, 5, 7, 7});
  TBitmap32 Flat;
  Flat.SetSize(20, 10);
  View.PaintTo(Flat, {0, 0, 20, 10});
  EXPECT_EQ(Flat.GetPixel(5, 5), 0xFFFF0000u);
  EXPECT_EQ(Flat.GetPixel(6, 6), 0xFFFF0000u);
  EXPECT_EQ(Flat.GetPixel(7, 7), 0xFF000000u);
  EXPECT_EQ(Flat.GetPixel(4, 5), 0xFF000000u);
  // The view's own map is back to its zoom afterwards.
  EXPECT_EQ(View.CachedXForm().ScaleX, 0x38000);
}

TEST(ImageView, LeftPressOnEmptyCanvasCaptures) {
  TFakeHost Host;
  TImgView32 View(&Host);
  View.SetBounds(300, 200);
  View.Bitmap().SetSize(100, 100);
  TCustomLayer* Seen = reinterpret_cast<TCustomLayer*>(1);
  View.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t, TCustomLayer* L) {
    Seen = L;
  };
  View.MouseDown(mbLeft, 0, 150, 100);
  EXPECT_TRUE(Host.Captured);
  EXPECT_EQ(Seen, nullptr);
  View.MouseUp(mbLeft, 0, 500, 500);
  EXPECT_FALSE(Host.Captured);
}

TEST(ImageView, ChangesAndUpdatePairs) {
  TFakeHost Host;
  TImage32 Image(&Host);
  int Changes = 0;
  Image.OnChange = [&](TObject*) { ++Changes; };
  Image.Bitmap().SetSize(5, 5);
  EXPECT_GE(Changes, 1);
  Changes = 0;
  Image.Layers().Add<TPositionedLayer>();
  EXPECT_EQ(Changes, 1);
  Image.BeginUpdate();
  Image.Bitmap().Clear(0);
  EXPECT_EQ(Changes, 1);
  Image.EndUpdate();
  try {
    Image.EndUpdate();
    FAIL();
  } catch (const Exception& E) {
    EXPECT_STREQ(E.what(), "Unpaired EndUpdate call");
  }
}

TEST(ImageView, ScrollBarModel) {
  TScrollBarModel Bar;
  Bar.SetWindow(100);
  Bar.SetRange(400);  // from not exceeding to exceeding: the middle
  EXPECT_FLOAT_EQ(Bar.Position(), 150);
  Bar.SetRange(800);  // keeps the relative centre: 800 * (200 / 400) - 50
  EXPECT_FLOAT_EQ(Bar.Position(), 350);
  Bar.SetWindow(200);  // the centre stays: 350 + 50 - 100
  EXPECT_FLOAT_EQ(Bar.Position(), 300);
  Bar.SetPosition(1000);
  EXPECT_FLOAT_EQ(Bar.Position(), 600);
  int User = 0;
  Bar.OnUserChange = [&](TScrollBarModel*) { ++User; };
  Bar.Wheel(-120, 8);
  EXPECT_FLOAT_EQ(Bar.Position(), 592);
  EXPECT_EQ(User, 1);
  Bar.SetRange(50);
  EXPECT_FLOAT_EQ(Bar.Position(), 0);
  Bar.Centered = false;
  Bar.SetRange(1000);
  EXPECT_FLOAT_EQ(Bar.Position(), 0);
}
