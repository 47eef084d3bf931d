#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "bitmap_layer.h"
#include "exceptions.h"
#include "img_view32.h"
#include "rubberband_layer.h"

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
  // Refused without touching the count: the next change still notifies.
  for (int Attempt = 0; Attempt < 2; ++Attempt) {
    try {
      Image.EndUpdate();
      FAIL() << "unpaired EndUpdate must raise";
    } catch (const EListError& E) {
      EXPECT_STREQ(E.what(), "Unpaired EndUpdate call");
    }
  }
  Changes = 0;
  Image.Changed();
  EXPECT_EQ(Changes, 1);
  Image.BeginUpdate();
  Image.Changed();
  EXPECT_EQ(Changes, 1);
  Image.EndUpdate();
  Image.Changed();
  EXPECT_EQ(Changes, 2);
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

// ---------------------------------------------------------------------------------------------
// The layer stage on two threads gives the pixels of painting the layers in order.

namespace {

// Smooth colours with noise; with Alpha, areas of alpha 0 and 255 joined by ramps.
void FillPicture(TBitmap32& B, int W, int H, uint32_t Seed, bool Alpha) {
  std::mt19937 Gen(Seed);
  B.SetSize(W, H);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const double S = std::sin(X * 0.05 + Seed) * std::cos(Y * 0.07);
      const auto C = [&](double V) {
        return static_cast<TColor32>(std::clamp(V + double(Gen() % 17) - 8, 0.0, 255.0));
      };
      const TColor32 A = Alpha ? static_cast<TColor32>(std::clamp(128 + 600 * S, 0.0, 255.0)) : 255;
      B.SetPixel(X, Y, A << 24 | C(128 + 100 * S) << 16 | C(X * 0.3) << 8 | C(200 - Y * 0.2));
    }
}

// A quarter-size reference card: a bilinear canvas and ten overlapping photo layers (dmBlend,
// bilinear, master alpha 200), with layers of other kinds among them.
struct TCardView {
  TImgView32 View;
  TCardView() {
    View.SetBounds(400 + View.ScrollBarThickness(), 250 + View.ScrollBarThickness());
    FillPicture(View.Bitmap(), 877, 620, 1, false);
    View.Bitmap().SetStretchFilter(sfLinear);
    for (int I = 0; I < 10; ++I) {
      auto* L = View.Layers().Add<TBitmapLayer>();
      FillPicture(*L->Bitmap(), 500, 375, 10 + I, I % 3 == 2);
      L->Bitmap()->SetDrawMode(dmBlend);
      L->Bitmap()->SetStretchFilter(sfLinear);
      L->Bitmap()->SetMasterAlpha(200);
      L->SetScaled(true);
      const float X = 15.0f + float(I % 4) * 185.0f, Y = 15.0f + float(I / 4) * 190.0f;
      L->SetLocation({X, Y, X + 300, Y + 225});
    }
    auto Photo = [this](int I) { return static_cast<TBitmapLayer*>(View.Layers().Items(I)); };
    // Other filters, modes and options.
    Photo(1)->Bitmap()->SetStretchFilter(sfNearest);
    Photo(3)->Bitmap()->SetDrawMode(dmOpaque);
    Photo(4)->Bitmap()->SetStretchFilter(sfSpline);
    Photo(5)->Bitmap()->SetMasterAlpha(255);
    Photo(6)->SetCropped(true);
    Photo(6)->SetLocation({700, 500, 1000, 725});  // half outside the canvas
    Photo(7)->SetVisible(false);
    // A layer in control pixels, a layer with a paint handler and one with a combine handler
    // (both painted in their turn on the calling thread), and a selection frame.
    auto* Fixed = View.Layers().Add<TBitmapLayer>();
    FillPicture(*Fixed->Bitmap(), 60, 40, 30, true);
    Fixed->Bitmap()->SetDrawMode(dmBlend);
    Fixed->SetLocation({-10, 200, 110, 280});
    Photo(2)->OnPaint = [this](TObject*, TBitmap32* B) {
      HandlerThreads.insert(std::this_thread::get_id());
      B->FillRectS({0, 100, 440, 104}, 0xFF123456);
    };
    // Two layers sharing one column.
    for (const float Left : {200.0f, 259.0f}) {
      auto* L = View.Layers().Add<TBitmapLayer>();
      FillPicture(*L->Bitmap(), 300, 1250, 40 + int(Left), false);
      L->Bitmap()->SetDrawMode(dmBlend);
      L->Bitmap()->SetStretchFilter(sfLinear);
      L->Bitmap()->SetMasterAlpha(150);
      L->SetLocation({Left, 5, Left + 60, 255});
    }
    Photo(8)->Bitmap()->SetDrawMode(dmCustom);
    Photo(8)->Bitmap()->OnPixelCombine = [this](TColor32 F, TColor32& B, TColor32) {
      HandlerThreads.insert(std::this_thread::get_id());
      B ^= F;
    };
    auto* Frame = View.Layers().Add<TRubberbandLayer>();
    Frame->SetChildLayer(Photo(0));
    Photo(9)->BringToFront();
  }
  // The threads the handlers ran on: handlers are called on the painting thread only.
  std::set<std::thread::id> HandlerThreads;
};

// The painted part of the buffer: the stages repaint the control's area only, the buffer's
// margin beyond it keeps what earlier paints left there.
std::vector<TColor32> PaintBuffer(TImgView32& View) {
  View.Invalidate();
  TBitmap32& B = View.BeginPaint();
  std::vector<TColor32> Pixels;
  for (int32_t Y = 0; Y < std::min(B.Height(), View.Height()); ++Y)
    Pixels.insert(Pixels.end(), B.RowAddress(Y),
                  B.RowAddress(Y) + std::min(B.Width(), View.Width()));
  View.EndPaint();
  return Pixels;
}

}  // namespace

TEST(ImageView, LayersOnTwoThreadsEqualLayersInOrder) {
  TCardView Card;
  TImgView32& View = Card.View;
  const float Fit = std::min(400.0f / 877, 250.0f / 620);
  const struct {
    float Scale;
    int CX, CY;  // bitmap point scrolled to the middle
  } Views[] = {{Fit, 438, 310}, {0.25f, 438, 310}, {0.5f, 100, 100}, {1, 438, 310},
               {1, 860, 600},   {1.37f, 300, 200}, {3, 500, 400}};
  for (const auto& V : Views) {
    View.SetScale(V.Scale);
    View.ScrollToCenter(V.CX, V.CY);
    SetLayerPaintMode(TLayerPaintMode::InOrder);
    const std::vector<TColor32> InOrder = PaintBuffer(View);
    // The most reordering the overlaps allow, then the two threads (a few times, as their
    // interleaving varies).
    SetLayerPaintMode(TLayerPaintMode::LastReadyFirst);
    ASSERT_TRUE(PaintBuffer(View) == InOrder)
        << "last ready first, scale " << V.Scale << " centre " << V.CX << "," << V.CY;
    SetLayerPaintMode(TLayerPaintMode::Concurrent, 0);
    for (int Run = 0; Run < 3; ++Run)
      ASSERT_TRUE(PaintBuffer(View) == InOrder) << "two threads, scale " << V.Scale << " centre "
                                                << V.CX << "," << V.CY << " run " << Run;
  }
  SetLayerPaintMode(TLayerPaintMode::Concurrent);
  EXPECT_EQ(Card.HandlerThreads, std::set<std::thread::id>{std::this_thread::get_id()});
}

TEST(ImageView, ErrorOfAConcurrentlyPaintedLayerReachesThePainter) {
  TCardView Card;
  // A reduction so strong that the resampler's weights vanish raises "Assertion failure"; the
  // layer overlaps no other one, so either thread may take it.
  auto* Bad = Card.View.Layers().Add<TBitmapLayer>();
  Bad->Bitmap()->SetSize(1200, 1200);
  Bad->Bitmap()->SetStretchFilter(sfLinear2);
  Bad->SetLocation({390, 10, 392, 12});
  for (const TLayerPaintMode Mode : {TLayerPaintMode::LastReadyFirst, TLayerPaintMode::Concurrent,
                                     TLayerPaintMode::Concurrent, TLayerPaintMode::Concurrent}) {
    SetLayerPaintMode(Mode, 0);
    Card.View.Invalidate();
    try {
      Card.View.BeginPaint();
      Card.View.EndPaint();
      ADD_FAILURE() << "the paint must fail";
    } catch (const ETransformError& E) {
      EXPECT_STREQ(E.what(), "Assertion failure");
    }
  }
  Bad->Free();
  EXPECT_NO_THROW(PaintBuffer(Card.View));
  SetLayerPaintMode(TLayerPaintMode::Concurrent);
}
