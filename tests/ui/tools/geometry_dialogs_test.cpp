// The layer crop window and the perspective geometry window on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "bitmap_layer.h"
#include "card_document.h"
#include "crop_layer_dialog.h"
#include "img_view_widget.h"
#include "layer_crop.h"
#include "perspective_dialog.h"
#include "rubberband_layer.h"
#include "undo.h"

namespace {

void SendMouse(QWidget* W, QEvent::Type Type, QPoint P, Qt::MouseButton Button,
               Qt::MouseButtons Buttons) {
  QMouseEvent E(Type, QPointF(P), W->mapToGlobal(QPointF(P)), Button, Buttons, Qt::NoModifier);
  QApplication::sendEvent(W, &E);
}

void Drag(QWidget* W, QPoint From, QPoint To) {
  SendMouse(W, QEvent::MouseButtonPress, From, Qt::LeftButton, Qt::LeftButton);
  SendMouse(W, QEvent::MouseMove, (From + To) / 2, Qt::NoButton, Qt::LeftButton);
  SendMouse(W, QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton);
  SendMouse(W, QEvent::MouseButtonRelease, To, Qt::LeftButton, Qt::NoButton);
}

uint32_t Rgb(const QImage& I, int X, int Y) {
  return I.pixel(X, Y) & 0xFFFFFF;
}

struct TDialogFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  TUndoStack Undo{Doc};
  QStringList Errors;

  void SetUp() override {
    View.SetBounds(800, 600);
    Doc.NewCanvas(1000, 500, 0xFFFF0000);
  }
  TBitmapLayer* AddLayer(int32_t W, int32_t H, TColor32 C, const TSingleRect& Location) {
    TBitmap32 B;
    B.SetSize(W, H);
    B.Clear(C);
    TBitmapLayer* L = Doc.AddPictureLayer(B, 255);
    L->SetLocation(Location);
    Doc.SetSelection(nullptr);
    Doc.SetSelection(L);
    return L;
  }
};

// ==== TCropLa ====

TEST_F(TDialogFixture, CropWindowShowsTheLayerDarkWithALighterFrame) {
  TBitmapLayer* L = AddLayer(400, 300, 0xFFFFFFFF, {0, 0, 400, 300});
  TCropLa Crop(Doc, Undo);
  EXPECT_EQ(Crop.windowTitle(), "Визуальная обрезка слоя");
  EXPECT_EQ(Crop.Cropos->size(), QSize(577, 401));
  ASSERT_TRUE(Crop.FormActivate());
  Crop.show();
  const TImgView32& V = Crop.Cropos->View();
  EXPECT_EQ(V.Bitmap().Width(), 400);
  EXPECT_EQ(V.Bitmap().GetPixel(10, 10), 0xFF7D7D7Du) << "white shows 125 when darkened";
  const TRect Client = Crop.Cropos->View().GetViewportRect();
  EXPECT_FLOAT_EQ(V.Scale(), float(CropFitScale(400, 300, Client.Width(), Client.Height())));
  // The frame starts on the middle 80 % of the layer, and a line says what to do with it.
  EXPECT_EQ(Crop.CropRect(), (TSingleRect{40, 30, 360, 270}));
  EXPECT_TRUE(Crop.Hint->text().startsWith("Перетащите углы рамки, чтобы выбрать часть слоя"))
      << Crop.Hint->text().toStdString();
  EXPECT_TRUE(Crop.Hint->isVisible());
  EXPECT_EQ(Crop.SelectionFrame()->ChildLayer(), Crop.CropFrame());

  const QImage Shot = Crop.Cropos->grab().toImage();
  const TPoint Mid = Crop.Cropos->View().BitmapToControl({200, 150});
  const TPoint Out = Crop.Cropos->View().BitmapToControl({20, 20});
  EXPECT_EQ(Rgb(Shot, Mid.X, Mid.Y), 0xDFDFDFu) << "125 + 98 = 223 inside the frame";
  EXPECT_EQ(Rgb(Shot, Out.X, Out.Y), 0x7D7D7Du);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), 0xFFFFFFFFu) << "the card is not touched";

  Crop.FormClose();
  EXPECT_TRUE(V.Bitmap().IsEmpty());
  EXPECT_EQ(Crop.CropFrame(), nullptr);
  EXPECT_EQ(Crop.Cropos->View().Layers().Count(), 0);
}

TEST_F(TDialogFixture, DraggedCropFrameCutsTheLayerOnOk) {
  TBitmapLayer* L = AddLayer(400, 300, 0xFF00FF00, {10, 20, 210, 170});
  L->Bitmap()->SetPixel(150, 100, 0xFF0000FF);
  TCropLa Crop(Doc, Undo);
  ASSERT_TRUE(Crop.FormActivate());
  Crop.show();
  // Move the frame with the mouse so that its top-left corner is near (150, 100).
  const TSingleRect F = Crop.CropRect();
  TImgView32& V = Crop.Cropos->View();
  const TPoint From = V.BitmapToControl({int32_t(F.Left + 32), int32_t(F.Top + 32)});
  const TPoint To = V.BitmapToControl({150 + 32, 100 + 32});
  Drag(Crop.Cropos, QPoint(From.X, From.Y), QPoint(To.X, To.Y));
  const TSingleRect Moved = Crop.CropRect();
  EXPECT_NEAR(Moved.Left, 150, 2);
  EXPECT_NEAR(Moved.Top, 100, 2);
  // An exact frame for the check of the result.
  Crop.SetCropRect({150, 100, 250, 160});
  Crop.Button2Click();
  EXPECT_EQ(L->Bitmap()->Width(), 100);
  EXPECT_EQ(L->Bitmap()->Height(), 60);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 20, 60, 50}));
  EXPECT_EQ(Undo.UndoName(), "Обрезка слоя");
}

TEST_F(TDialogFixture, CropCancelAfterResizingChangesNothing) {
  TBitmapLayer* L = AddLayer(400, 300, 0xFF00FF00, {0, 0, 400, 300});
  TCropLa Crop(Doc, Undo);
  QTimer::singleShot(0, [&] {
    Crop.SetCropRect({10, 10, 300, 200});
    Crop.Button4->click();
  });
  EXPECT_FALSE(Crop.Execute());
  EXPECT_EQ(L->Bitmap()->Width(), 400);
  EXPECT_EQ(L->Location(), (TSingleRect{0, 0, 400, 300}));
  EXPECT_FALSE(Undo.CanUndo());
  EXPECT_TRUE(Crop.Cropos->View().Bitmap().IsEmpty()) << "closing empties the view";

  Doc.SetSelection(nullptr);
  EXPECT_FALSE(Crop.Execute()) << "no layer: nothing opens";
}

// ==== TProGeomo ====

TEST_F(TDialogFixture, GeometryOpensOnTheCanvasWithCornersAtThePreview) {
  TProGeomo Geo(Doc, Undo);
  EXPECT_EQ(Geo.windowTitle(), "Геометрия - передвигайте углы слоя при нажатой кнопке мыши");
  EXPECT_EQ(Geo.Dst->size(), QSize(528, 313));
  EXPECT_TRUE(Geo.CheckBox1->isChecked());
  ASSERT_TRUE(Geo.FormActivate());
  EXPECT_EQ(Geo.Preview().Width(), 478);
  EXPECT_EQ(Geo.Preview().Height(), 239);
  EXPECT_EQ(Geo.Corners()[2], (TPoint{477, 238}));
  EXPECT_TRUE(Geo.SpeedButton1->isEnabled()) << "the colour is for the canvas";
  EXPECT_EQ(Geo.ViewPicture().Width(), 528);
  EXPECT_EQ(Geo.ViewPicture().GetPixel(520, 300), 0xFF7F7F7Fu) << "board: same parity is grey";
  EXPECT_EQ(Geo.ViewPicture().GetPixel(500, 300), 0xFFFFFFFFu);
  EXPECT_GE(RedOf(Geo.ViewPicture().GetPixel(200, 100)), 250) << "the picture over the board";
  EXPECT_LE(GreenOf(Geo.ViewPicture().GetPixel(200, 100)), 3);

  AddLayer(100, 100, 0xFF00FF00, {0, 0, 100, 100});
  ASSERT_TRUE(Geo.FormActivate());
  EXPECT_FALSE(Geo.SpeedButton1->isEnabled()) << "a layer's surround is always transparent";
  EXPECT_EQ(Geo.Preview().Width(), 263);
}

TEST_F(TDialogFixture, GeometryDragsCornersAndTheShapeWithTheMouse) {
  TProGeomo Geo(Doc, Undo);
  ASSERT_TRUE(Geo.FormActivate());
  Geo.show();
  // Exactly 2 pixels from corner 1 grabs it.
  Drag(Geo.Dst, QPoint(475, 2), QPoint(475, 42));
  EXPECT_EQ(Geo.Corners()[1], (TPoint{477, 40}));
  EXPECT_EQ(Geo.Corners()[0], (TPoint{0, 0}));
  EXPECT_EQ(Geo.Dragged(), DragNothing);
  // 3 pixels away, and anywhere inside: the whole shape.
  Drag(Geo.Dst, QPoint(3, 0), QPoint(13, 5));
  EXPECT_EQ(Geo.Corners()[0], (TPoint{10, 5}));
  EXPECT_EQ(Geo.Corners()[1], (TPoint{487, 45}));
  EXPECT_EQ(Geo.Corners()[3], (TPoint{10, 243}));
  // The outline and the corner marks are on the screen.
  const QImage Shot = Geo.Dst->grab().toImage();
  EXPECT_EQ(Rgb(Shot, 10, 5), 0xFFFFFFu);
  EXPECT_EQ(Rgb(Shot, 7, 2), 0x000000u);
  const float Before = Geo.DashOffset();
  Geo.IdleStep();
  EXPECT_FLOAT_EQ(Geo.DashOffset(), Before - DashStep);

  Geo.Button4Click();
  EXPECT_EQ(Geo.Corners()[0], (TPoint{0, 0}));
  EXPECT_EQ(Geo.Corners()[1], (TPoint{477, 0}));
}

TEST_F(TDialogFixture, GeometryOkOnTheCanvasUsesTheBackgroundColour) {
  TProGeomo Geo(Doc, Undo);
  Geo.AskColor = [](TColor32& C) {
    C = 0xFF0000FF;
    return true;
  };
  ASSERT_TRUE(Geo.FormActivate());
  Geo.show();
  Geo.SpeedButton1->click();
  EXPECT_EQ(Geo.BackgroundColor(), 0xFF0000FFu);
  Drag(Geo.Dst, QPoint(477, 0), QPoint(477, 40));
  Geo.Button2Click();
  EXPECT_EQ(Doc.Canvas().Width(), 998);
  EXPECT_EQ(Doc.Canvas().Height(), 498);
  EXPECT_EQ(Doc.Canvas().GetPixel(990, 20), 0xFF0000FFu) << "the uncovered wedge";
  EXPECT_EQ(Undo.UndoName(), "Перспектива");
  ASSERT_TRUE(Undo.Undo());
  EXPECT_EQ(Doc.Canvas().Width(), 1000);
}

TEST_F(TDialogFixture, GeometryCancelLeavesTheCardAndUnmappableCornersKeepTheWindow) {
  TBitmapLayer* L = AddLayer(200, 100, 0xFF00FF00, {0, 0, 200, 100});
  TProGeomo Geo(Doc, Undo);
  Geo.OnError = [this](const QString& T) { Errors << T; };
  QTimer::singleShot(0, [&] {
    Drag(Geo.Dst, QPoint(0, 0), QPoint(100, 50));
    Geo.Button3->click();
  });
  EXPECT_FALSE(Geo.Execute());
  EXPECT_EQ(L->Bitmap()->Width(), 200);
  EXPECT_FALSE(Undo.CanUndo());

  QTimer::singleShot(0, [&] {
    // Corners 1, 2 and 3 on one line.
    const TPoint C2 = Geo.Corners()[2];
    Drag(Geo.Dst, QPoint(0, C2.Y), QPoint(C2.X, C2.Y));
    Drag(Geo.Dst, QPoint(C2.X, 0), QPoint(C2.X, C2.Y / 2));
    Drag(Geo.Dst, QPoint(C2.X, C2.Y / 2), QPoint(C2.X, C2.Y / 2));
    Geo.Button2->click();
    EXPECT_TRUE(Geo.isVisible()) << "the window stays for the corners to be put right";
    Geo.Button3->click();
  });
  EXPECT_FALSE(Geo.Execute());
  EXPECT_EQ(Errors.size(), 1);
  EXPECT_EQ(L->Bitmap()->Width(), 200);
  EXPECT_FALSE(Undo.CanUndo());
}

TEST_F(TDialogFixture, GeometryOkRefusesCrossedAndCoincidentCornersAndStaysOpen) {
  TBitmapLayer* L = AddLayer(200, 100, 0xFF00FF00, {0, 0, 200, 100});
  TProGeomo Geo(Doc, Undo);
  Geo.OnError = [this](const QString& T) { Errors << T; };
  QTimer::singleShot(0, [&] {
    // A bow tie: corner 2 to the lower left, corner 3 to the lower right.
    Drag(Geo.Dst, QPoint(477, 238), QPoint(100, 200));
    Drag(Geo.Dst, QPoint(0, 238), QPoint(400, 200));
    ASSERT_EQ(Geo.Corners()[3], (TPoint{400, 200}));
    Geo.Button2->click();
    EXPECT_TRUE(Geo.isVisible());
    // Corner 1 onto corner 0.
    Geo.Button4->click();
    Drag(Geo.Dst, QPoint(477, 0), QPoint(0, 0));
    Geo.Button2->click();
    EXPECT_TRUE(Geo.isVisible());
    Geo.Button3->click();
  });
  EXPECT_FALSE(Geo.Execute());
  ASSERT_EQ(Errors.size(), 2);
  EXPECT_EQ(Errors[0], QString::fromUtf8(QuadrilateralFaultText(TQuadFault::Crossing)));
  EXPECT_EQ(Errors[1], QString::fromUtf8(QuadrilateralFaultText(TQuadFault::Coincident)));
  EXPECT_EQ(L->Bitmap()->Width(), 200);
  EXPECT_FALSE(Undo.CanUndo());
}

}  // namespace
