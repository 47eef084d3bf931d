#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "bitmap_layer.h"
#include "img_view_widget.h"
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

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
