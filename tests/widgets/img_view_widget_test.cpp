#include "img_view_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <stdexcept>

#include "bitmap_layer.h"
#include "rubberband_layer.h"

namespace {

void SendMouse(QWidget* W, QEvent::Type Type, QPoint P, Qt::MouseButton Button,
               Qt::MouseButtons Buttons) {
  QMouseEvent E(Type, QPointF(P), W->mapToGlobal(QPointF(P)), Button, Buttons, Qt::NoModifier);
  QApplication::sendEvent(W, &E);
}

}  // namespace

TEST(ImgViewWidget, ShowsCanvasAndLayersAndDragsARubberband) {
  ImgViewWidget Widget;
  Widget.resize(400, 300);
  Widget.show();
  TImgView32& View = Widget.View();
  View.Bitmap().SetSize(200, 100);
  View.Bitmap().Clear(0xFF0000FF);  // blue canvas
  auto* Photo = View.Layers().Add<TBitmapLayer>();
  Photo->SetScaled(true);
  Photo->Bitmap()->SetSize(10, 10);
  Photo->Bitmap()->Clear(0xFFFF0000);  // red photo
  Photo->Bitmap()->SetDrawMode(dmBlend);
  Photo->SetLocation({20, 20, 60, 60});
  auto* Frame = View.Layers().Add<TRubberbandLayer>();
  Frame->SetChildLayer(Photo);

  const QImage Shot = Widget.grab().toImage();
  const TRect V = View.GetViewportRect();
  const TRect B = View.CachedBitmapRect();
  ASSERT_EQ(B.Width(), 200);
  EXPECT_EQ(B.Left, (V.Width() - 200) / 2);  // centred: the canvas is smaller than the view
  EXPECT_EQ(Shot.pixel(B.Left + 5, B.Top + 5) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(Shot.pixel(B.Left + 40, B.Top + 40) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Shot.pixel(B.Left + 100, B.Top + 80) & 0xFFFFFF, 0x0000FFu);

  // Drag the frame by 30 pixels to the right; the photo follows.
  const QPoint Start(B.Left + 40, B.Top + 40);
  SendMouse(&Widget, QEvent::MouseButtonPress, Start, Qt::LeftButton, Qt::LeftButton);
  EXPECT_TRUE(Frame->IsDragging());
  SendMouse(&Widget, QEvent::MouseMove, Start + QPoint(15, 0), Qt::NoButton, Qt::LeftButton);
  SendMouse(&Widget, QEvent::MouseMove, Start + QPoint(30, 0), Qt::NoButton, Qt::LeftButton);
  SendMouse(&Widget, QEvent::MouseButtonRelease, Start + QPoint(30, 0), Qt::LeftButton,
            Qt::NoButton);
  EXPECT_FALSE(Frame->IsDragging());
  EXPECT_EQ(Photo->Location(), (TSingleRect{50, 20, 90, 60}));

  const QImage After = Widget.grab().toImage();
  EXPECT_EQ(After.pixel(B.Left + 30, B.Top + 40) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(After.pixel(B.Left + 70, B.Top + 40) & 0xFFFFFF, 0xFF0000u);
}

TEST(ImgViewWidget, ScrollBarsFollowTheModel) {
  ImgViewWidget Widget;
  Widget.resize(300, 200);
  Widget.show();
  TImgView32& View = Widget.View();
  View.SetScale(4);
  View.Bitmap().SetSize(100, 50);
  QScrollBar* H = Widget.HorizontalBar();
  EXPECT_EQ(H->maximum(), static_cast<int>(std::ceil(View.HorScroll().MaxPosition())));
  EXPECT_EQ(H->value(), static_cast<int>(std::lround(View.HorScroll().Position())));
  H->setValue(0);  // the user drags the thumb to the left end
  EXPECT_EQ(View.HorScroll().Position(), 0);
  EXPECT_EQ(View.OffsetHorz(), 0);
}

namespace {

// Draws a red square straight onto the window's surface.
class TOverlayMark : public TCustomLayer {
 public:
  using TCustomLayer::TCustomLayer;
  void PaintOverlay(TBitmap32& Surface) override { Surface.FillRectSafe(0, 0, 10, 10, 0xFFFF0000); }
};

}  // namespace

TEST(ImgViewWidget, ErrorsInEventHandlersGoToTheHookNotToQt) {
  ImgViewWidget Widget;
  Widget.resize(300, 200);
  Widget.show();
  QStringList Errors;
  Widget.OnError = [&](const QString& Text) { Errors << Text; };
  TImgView32& View = Widget.View();
  View.Bitmap().SetSize(100, 100);
  auto* Layer = View.Layers().Add<TPositionedLayer>();
  Layer->SetLocation({0, 0, 100, 100});
  Layer->SetScaled(true);
  Layer->SetMouseEvents(true);
  Layer->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int32_t, int32_t) {
    throw std::runtime_error("layer press failed");
  };
  const TRect B = View.CachedBitmapRect();
  const QPoint Inside(B.Left + 50, B.Top + 50);
  SendMouse(&Widget, QEvent::MouseButtonPress, Inside, Qt::LeftButton, Qt::LeftButton);
  SendMouse(&Widget, QEvent::MouseButtonRelease, Inside, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Errors, QStringList{"layer press failed"});

  // The wheel and the keyboard pass the same guard.
  Widget.OnMouseWheel = [](int, TShiftState, QPoint) -> bool { throw std::runtime_error("wheel"); };
  QWheelEvent Wheel(QPointF(Inside), Widget.mapToGlobal(QPointF(Inside)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&Widget, &Wheel);
  Widget.OnKeyDown = [](int, TShiftState) -> bool { throw 42; };
  QKeyEvent Key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  QApplication::sendEvent(&Widget, &Key);
  EXPECT_EQ(Errors, (QStringList{"layer press failed", "wheel", "Неизвестная ошибка"}));

  // A failing paint stage is reported once, after the paint, and the buffer is unlocked.
  int Painted = 0;
  View.PaintStages().Add().Stage = PST_CUSTOM;
  View.OnPaintStage = [&](TObject*, TBitmap32*, uint32_t) {
    ++Painted;
    throw std::runtime_error("stage failed");
  };
  View.Invalidate();
  Widget.repaint();
  Widget.repaint();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(Painted, 1);
  EXPECT_EQ(Errors.size(), 4);
  EXPECT_EQ(Errors.value(3), "stage failed");
  EXPECT_EQ(View.Buffer().LockCount(), 0);
}

TEST(ImgViewWidget, OverlayLayersPaintOnTheSurfaceOnly) {
  ImgViewWidget Widget;
  Widget.resize(300, 200);
  Widget.show();
  TImgView32& View = Widget.View();
  View.Bitmap().SetSize(400, 400);
  View.Bitmap().Clear(0xFF0000FF);
  auto* Mark = View.Layers().Add<TOverlayMark>();
  Mark->SetLayerOptions(LayerOverlay);
  const QImage Shot = Widget.grab().toImage();
  EXPECT_EQ(Shot.pixel(5, 5) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Shot.pixel(20, 20) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(View.Buffer().GetPixel(5, 5), 0xFF0000FFu);  // the buffer keeps the canvas
}

TEST(ImgViewWidget, LoadedRunsOnceWhenFirstShown) {
  ImgViewWidget Widget;
  Widget.resize(300, 200);
  int Inits = 0;
  Widget.View().OnInitStages = [&](TObject*) { ++Inits; };
  Widget.View().Bitmap().SetSize(1000, 1000);
  Widget.show();
  Widget.hide();
  Widget.show();
  EXPECT_EQ(Inits, 1);
  // Loaded centred the large bitmap.
  TImgView32& View = Widget.View();
  EXPECT_NEAR(View.HorScroll().Position(), 500 - View.GetViewportRect().Width() / 2.0f, 1);
}

TEST(ImgViewWidget, BarsWithNothingToScrollHideAndGiveTheirRoom) {
  ImgViewWidget Widget;
  Widget.resize(300, 200);
  Widget.show();
  TImgView32& View = Widget.View();
  View.SetAutoHideScrollBars(true);
  View.Bitmap().SetSize(100, 40);
  EXPECT_FALSE(Widget.HorizontalBar()->isVisibleTo(&Widget));
  EXPECT_FALSE(Widget.VerticalBar()->isVisibleTo(&Widget));
  EXPECT_EQ(View.GetViewportRect(), (TRect{0, 0, 300, 200}));
  // Wider than the control: the horizontal bar comes back and takes its room.
  View.SetScale(4);
  const int T = View.ScrollBarThickness();
  EXPECT_TRUE(Widget.HorizontalBar()->isVisibleTo(&Widget));
  EXPECT_FALSE(Widget.VerticalBar()->isVisibleTo(&Widget));  // 160 fits in 200 - T
  EXPECT_EQ(View.GetViewportRect(), (TRect{0, 0, 300, 200 - T}));
  // Taller as well: both bars, each taking its room.
  View.SetScale(6);
  EXPECT_TRUE(Widget.VerticalBar()->isVisibleTo(&Widget));
  EXPECT_EQ(View.GetViewportRect(), (TRect{0, 0, 300 - T, 200 - T}));
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
