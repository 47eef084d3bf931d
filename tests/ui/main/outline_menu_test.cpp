// The layer outline effects in the main window: their menu items and enabling, the dialogs'
// preview, OK and Cancel with undo, and the transparent-colour pick mode.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include "bitmap_layer.h"
#include "border_dialog.h"
#include "button_dialog.h"
#include "colour_panel.h"
#include "main_form_fixture.h"
#include "relief_dialog.h"
#include "transparent_colour_window.h"
#include "undo_probe.h"

namespace {

constexpr TColor32 Photo = 0xFF336699;

QStringList Captions(QMenu* Menu) {
  QStringList L;
  for (const QAction* A : Menu->actions())
    if (!A->isSeparator())
      L << A->text();
  return L;
}

struct TOutlineMenuFixture : ::testing::Test {
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  QStringList Errors;

  void SetUp() override {
    // One ornament beside the program: a 2 x 2 tile.
    QDir(Dir.path()).mkdir(QStringLiteral("Patterns"));
    TBitmap32 Tile;
    Tile.SetSize(2, 2);
    Tile.Clear(0xFFAA0000);
    Tile.SetPixel(1, 1, 0xFF00AA00);
    Tile.SaveToFile((Dir.path() + "/Patterns/pat1.bmp").toStdString());
    QFile Titles(Dir.path() + "/Patterns/titles.txt");
    ASSERT_TRUE(Titles.open(QIODevice::WriteOnly));
    Titles.write("pat1.bmp = Золотой шнур\n");
    Titles.close();
    Form = std::make_unique<TMainForm>(Dir.path());
    Form->Dialogs.ShowError = [this](const QString& T) { Errors << T; };
    Form->resize(1000, 700);
    Form->show();
  }

  TBitmapLayer* AddLayer(int32_t W, int32_t H, const TSingleRect& Location) {
    TBitmap32 P;
    P.SetSize(W, H);
    P.Clear(Photo);
    TBitmapLayer* L = nullptr;
    Form->Run([&] {
      L = Form->Document().AddPictureLayer(P, 255);
      L->SetLocation(Location);
      Form->Document().SetSelection(nullptr);
      Form->Document().SetSelection(L);
    });
    return L;
  }

  // Runs Command while Drive works the modal dialog it opens.
  void WithDialog(const std::function<void()>& Drive, const std::function<void()>& Command) {
    QTimer::singleShot(0, [&] { Drive(); });
    Form->Run(Command);
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  }
};

TEST_F(TOutlineMenuFixture, ItemsStandInTheirMenusAndFollowTheSelection) {
  const QStringList Image = Captions(Form->Menu(TMainAction::ImageMenu));
  ASSERT_GE(Image.size(), 2);
  EXPECT_EQ(Image.mid(Image.size() - 2), (QStringList{"Эффект кнопки", "Границы"}));
  for (const auto& [Outline, Transparent] :
       {std::pair{TMainAction::ArrangeOutlineMenu, TMainAction::ArrangeTransparentColour},
        std::pair{TMainAction::PopupOutlineMenu, TMainAction::PopupTransparentColour}}) {
    ASSERT_NE(Form->Action(Outline), nullptr);
    ASSERT_NE(Form->Action(Transparent), nullptr);
    EXPECT_EQ(Form->Action(Outline)->text(), "Границы и контур");
    EXPECT_EQ(Captions(Form->Menu(Outline)), (QStringList{"Добавить границы", "Рельефный контур"}));
    EXPECT_EQ(Form->Action(Transparent)->text(), "Прозрачный цвет");
  }

  Form->UpdateActions();
  EXPECT_FALSE(Form->Action(TMainAction::Borders)->isEnabled()) << "no card";
  EXPECT_FALSE(Form->Action(TMainAction::ButtonEffect)->isEnabled());
  Form->Run([&] { Form->Document().NewCanvas(120, 90, 0xFFFFFFFF); });
  EXPECT_TRUE(Form->Action(TMainAction::Borders)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::ButtonEffect)->isEnabled());
  EXPECT_FALSE(Form->Action(TMainAction::ArrangeOutlineMenu)->isEnabled()) << "no layer";
  EXPECT_FALSE(Form->Action(TMainAction::ArrangeTransparentColour)->isEnabled());

  AddLayer(10, 10, {0, 0, 10, 10});
  EXPECT_TRUE(Form->Action(TMainAction::ArrangeOutlineMenu)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::ArrangeTransparentColour)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::Borders)->isEnabled());

  // A selection area is neither a picture nor the canvas.
  Form->Run([&] {
    TPositionedLayer* Area = Form->Document().CreatePositionedLayer();
    Area->Tag = TagSelectionArea;
    Form->Document().SetSelection(Area);
  });
  EXPECT_FALSE(Form->Action(TMainAction::Borders)->isEnabled());
  EXPECT_FALSE(Form->Action(TMainAction::ButtonEffect)->isEnabled());
  EXPECT_FALSE(Form->Action(TMainAction::ArrangeOutlineMenu)->isEnabled());
}

TEST_F(TOutlineMenuFixture, BorderDialogPreviewsAndOkIsOneUndoStep) {
  Form->Run([&] { Form->Document().NewCanvas(200, 150, 0xFFFFFFFF); });
  TBitmapLayer* L = AddLayer(100, 80, {10, 10, 110, 90});
  TSbor& D = *Form->Sbor();
  ASSERT_EQ(D.ListView1->count(), 38);
  EXPECT_EQ(D.ListView1->item(0)->text(), "1");
  EXPECT_EQ(D.ListView1->item(37)->text(), "38");
  // An ornament's name from its folder's titles file is its tooltip.
  EXPECT_EQ(D.ListView1->item(0)->toolTip(), "Золотой шнур");
  EXPECT_EQ(D.ListView1->item(1)->toolTip(), "");
  EXPECT_EQ(D.Cont->maximum(), 19);
  D.CheckBox1->setChecked(true);
  WithDialog(
      [&] {
        EXPECT_EQ(D.PatternNumber(), 1) << "the first ornament on activation";
        D.PreviewButton->click();
        EXPECT_EQ(L->Bitmap()->Width(), 140);
        D.PreviewButton->click();
        EXPECT_EQ(L->Bitmap()->Width(), 140) << "previews start from the copy";
        EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 150, 130}));
        D.OkButton->click();
      },
      [&] { Form->AddBordersClick(); });
  EXPECT_EQ(L->Bitmap()->Width(), 140);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), 0xFFAA0000u) << "the ornament tiled from the corner";
  EXPECT_EQ(L->Bitmap()->GetPixel(1, 1), 0xFF00AA00u);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 150, 130}));
  EXPECT_EQ(Form->Document().Selected(), L);
  ASSERT_EQ(Form->Undo().UndoName(), "Контур");
  Form->Run([&] { Form->UndoClick(); });
  EXPECT_EQ(L->Bitmap()->Width(), 100);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 110, 90}));

  // Changing the width keeps the contour below it.
  D.Wd->setValue(4);
  EXPECT_EQ(D.Cont->maximum(), 3);
  EXPECT_EQ(D.Cont->value(), 3);
  D.Wd->setValue(20);
  D.CheckBox1->setChecked(false);
}

TEST_F(TOutlineMenuFixture, ButtonCancelPutsTheCanvasBackAndOkUndoes) {
  Form->Run([&] { Form->Document().NewCanvas(200, 100, Photo); });
  TEButos& D = *Form->EButos();
  WithDialog(
      [&] {
        EXPECT_EQ(D.Glub->value(), 16) << "4800 / 200 = 24, kept at 16";
        D.PreviewButton->click();
        EXPECT_NE(Form->Document().Canvas().GetPixel(0, 50), Photo);
        D.CancelButton->click();
      },
      [&] { Form->ButtonEffectClick(); });
  EXPECT_EQ(Form->Document().Canvas().GetPixel(0, 50), Photo);
  EXPECT_FALSE(Form->Undo().CanUndo());

  WithDialog([&] { D.OkButton->click(); }, [&] { Form->ButtonEffectClick(); });
  EXPECT_NE(Form->Document().Canvas().GetPixel(0, 50), Photo);
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusSize")->text(), "200x100");
  EXPECT_EQ(Form->Undo().UndoName(), "Контур");
  Form->Run([&] { Form->UndoClick(); });
  EXPECT_EQ(Form->Document().Canvas().GetPixel(0, 50), Photo);
}

TEST_F(TOutlineMenuFixture, ReliefWithAnOuterFrameOnTheSelectedLayer) {
  Form->Run([&] { Form->Document().NewCanvas(400, 300, 0xFFFFFFFF); });
  TBitmapLayer* L = AddLayer(200, 100, {0, 0, 200, 100});
  TRaiser& D = *Form->Raiser();
  EXPECT_FALSE(D.Gran->isEnabled());
  D.OutBor->click();
  EXPECT_TRUE(D.Gran->isEnabled());
  WithDialog(
      [&] {
        D.PreviewButton->click();
        EXPECT_EQ(L->Bitmap()->Width(), 212);
        D.OkButton->click();
      },
      [&] { Form->ReliefClick(); });
  EXPECT_EQ(L->Bitmap()->Width(), 212);
  EXPECT_EQ(L->Location(), (TSingleRect{0, 0, 200, 100}));
  EXPECT_EQ(Form->Undo().UndoName(), "Контур");
  EXPECT_EQ(RecordedLayer(Form->Undo(), L)->Pixels->Width(), 200);
  D.CheckBox1->click();
  EXPECT_FALSE(D.Gran->isEnabled());
}

TEST_F(TOutlineMenuFixture, PickModeShowsTheColourAndAPressMakesItTransparent) {
  Form->Run([&] { Form->Document().NewCanvas(100, 80, 0xFFFFFFFF); });
  TBitmapLayer* L = AddLayer(4, 4, {0, 0, 4, 4});
  L->Bitmap()->SetPixel(2, 1, 0xFF00FF00);
  Form->Run([&] { Form->ActualSizeClick(); });  // 1:1, so canvas pixels are easy to reach
  TImgView32& View = Form->ImgView()->View();
  Form->Run([&] { Form->TransparentColourClick(); });
  EXPECT_TRUE(Form->InPickMode());
  EXPECT_TRUE(Form->STC()->isVisible());
  EXPECT_EQ(Form->STC()->windowTitle(), "Прозрачный цвет");

  const TPoint At = View.BitmapToControl({2, 1});
  Form->ImgViewMouseMove({}, At.X, At.Y, L);
  EXPECT_EQ(ColorFromSystem(Form->STC()->Panel1->Colour()), 0xFF00FF00u);

  Form->Run([&] { Form->ImgViewMouseDown(mbLeft, {}, At.X, At.Y, L); });
  EXPECT_EQ(L->Bitmap()->GetPixel(2, 1), 0x0000FF00u);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), Photo);
  EXPECT_FALSE(Form->InPickMode());
  EXPECT_FALSE(Form->STC()->isVisible());
  EXPECT_EQ(Form->Undo().UndoName(), "Прозрачный цвет");
  EXPECT_EQ(Form->Document().Selected(), L) << "the press did not fall through to the view";

  // "Закрыть" ends the mode without picking.
  Form->Run([&] { Form->TransparentColourClick(); });
  Form->STC()->CloseButton->click();
  EXPECT_FALSE(Form->InPickMode());
  EXPECT_FALSE(Form->STC()->isVisible());
}

}  // namespace
