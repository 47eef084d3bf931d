// Frames and masks in the main window: the menu items and the button, and the two dialogs run
// modally on the card, with their undo steps.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstring>

#include "frame_dialog.h"
#include "main_form.h"
#include "main_form_fixture.h"
#include "mask_dialog.h"
#include "thumbview.h"

namespace {

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * A.Height() * 4) == 0;
}

void FillNoise(TBitmap32& B, uint32_t Seed) {
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X) {
      Seed = Seed * 1664525u + 1013904223u;
      B.SetPixel(X, Y, Seed | 0xFF000000u);
    }
}

// Waits until the picker has read its folder, then selects its first picture.
void PickFirst(TTHumbview& V) {
  QElapsedTimer T;
  T.start();
  while ((!V.Model().Painted() || V.Model().Scanning() || V.Count() == 0) && T.elapsed() < 30000)
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  V.SetSelected(0);
}

struct TFramesFixture : ::testing::Test {
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  QStringList Errors;

  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    const QDir D(Dir.path());
    D.mkpath("SFrames");
    D.mkpath("Masks");
    TBitmap32 Tile;
    Tile.SetSize(16, 16);
    FillNoise(Tile, 1);
    Tile.SaveToFile(D.filePath("SFrames/gold.bmp").toStdString());
    TBitmap32 Black;
    Black.SetSize(4, 4);
    Black.Clear(0xFF000000);
    Black.SaveToFile(D.filePath("Masks/black.bmp").toStdString());
    Form = std::make_unique<TMainForm>(Dir.path());
    Form->Dialogs.ShowError = [this](const QString& T) { Errors << T; };
    Form->Dialogs.OpenUrl = [](const QUrl&) {};
    Form->resize(1000, 700);
    Form->show();
  }

  // Runs Action inside the next modal dialog's event loop.
  static void InDialog(const std::function<void()>& Action) {
    QTimer::singleShot(0, [Action] { Action(); });
  }
};

}  // namespace

TEST_F(TFramesFixture, ItemsAndButtonFollowTheCardAndTheSelection) {
  ASSERT_NE(Form->Action(TMainAction::AddFrame), nullptr);
  EXPECT_EQ(Form->Action(TMainAction::AddFrame)->text(), "Добавить рамку");
  EXPECT_TRUE(
      Form->Menu(TMainAction::ImageMenu)->actions().contains(Form->Action(TMainAction::AddFrame)));
  Form->UpdateActions();
  EXPECT_FALSE(Form->Action(TMainAction::AddFrame)->isEnabled()) << "no card";
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  Form->UpdateActions();
  EXPECT_TRUE(Form->Action(TMainAction::AddFrame)->isEnabled());

  for (const TMainAction Id : {TMainAction::ArrangeLayerMask, TMainAction::PopupLayerMask}) {
    ASSERT_NE(Form->Action(Id), nullptr);
    EXPECT_EQ(Form->Action(Id)->text(), "Маска слоя");
    EXPECT_FALSE(Form->Action(Id)->isEnabled());
  }
  EXPECT_EQ(FormChild<QPushButton>(*Form, "MaskButton")->text(), "Маска");
  TBitmap32 Photo;
  Photo.SetSize(50, 40);
  Form->Document().AddPictureLayer(Photo, 255);
  Form->UpdateActions();
  EXPECT_TRUE(Form->Action(TMainAction::ArrangeLayerMask)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::ArrangeRemoveMask)->isEnabled());
  EXPECT_TRUE(FormChild<QPushButton>(*Form, "MaskButton")->isVisible());
}

TEST_F(TFramesFixture, FrameDialogOnTheCardThenUndoAndRedo) {
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  FillNoise(Form->Document().Canvas(), 3);
  TBitmap32 Old;
  Old.Assign(&Form->Document().Canvas());
  TFrama* D = Form->Frama();
  InDialog([D] {
    PickFirst(*D->FView);
    D->Dal->setValue(20);
    D->Button3->click();
    D->Button3->click();
    D->Button4->click();
  });
  ASSERT_TRUE(D->FITA->isChecked());
  Form->SetZoom(1);
  Form->Action(TMainAction::AddFrame)->trigger();
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_NE(Form->ImgView()->View().Scale(), 1.0f) << "fitted in the window";
  EXPECT_EQ(Form->Document().Canvas().Width(), 420);
  EXPECT_EQ(Form->Document().Canvas().Height(), 320);
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusSize")->text(), "420x320");
  ASSERT_TRUE(Form->Action(TMainAction::Undo)->isEnabled());
  Form->Action(TMainAction::Undo)->trigger();
  EXPECT_TRUE(SamePixels(Form->Document().Canvas(), Old));
  EXPECT_TRUE(Form->Action(TMainAction::Redo)->isEnabled());
  Form->Action(TMainAction::Redo)->trigger();
  EXPECT_EQ(Form->Document().Canvas().Width(), 420);
}

TEST_F(TFramesFixture, ClosingTheFrameDialogAfterAPreviewPutsTheLayerBack) {
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  TBitmap32 Photo;
  Photo.SetSize(100, 80);
  FillNoise(Photo, 4);
  TBitmapLayer* L = Form->Document().AddPictureLayer(Photo, 255);
  const TSingleRect Was = L->Location();
  TFrama* D = Form->Frama();
  InDialog([D] {
    PickFirst(*D->FView);
    D->Button3->click();
    D->close();  // the title bar's close button
  });
  Form->Action(TMainAction::AddFrame)->trigger();
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Photo));
  EXPECT_EQ(L->Location().Right, Was.Right);
  EXPECT_FALSE(Form->Action(TMainAction::Undo)->isEnabled());
}

TEST_F(TFramesFixture, MaskButtonMasksTheSelectedLayerInOneUndoStep) {
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  TBitmap32 Photo;
  Photo.SetSize(60, 50);
  FillNoise(Photo, 5);
  TBitmapLayer* L = Form->Document().AddPictureLayer(Photo, 255);
  TMaski* D = Form->Maski();
  InDialog([D] {
    PickFirst(*D->View);
    D->Obrat->setChecked(false);
    D->Button3->click();
    D->Button2->click();
  });
  FormChild<QPushButton>(*Form, "MaskButton")->click();
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_EQ(L->Bitmap()->GetPixel(10, 10) >> 24, 0u) << "black mask: transparent";
  Form->Action(TMainAction::Undo)->trigger();
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Photo));
  Form->Action(TMainAction::Redo)->trigger();
  EXPECT_EQ(L->Bitmap()->GetPixel(10, 10) >> 24, 0u);
  // "Снять маску" makes it opaque again.
  Form->Action(TMainAction::ArrangeRemoveMask)->trigger();
  EXPECT_TRUE(SamePixels(*L->Bitmap(), Photo));
}
