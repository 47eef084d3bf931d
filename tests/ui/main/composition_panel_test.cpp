// The composition panel driven through its controls: the background tab, the underlay, the
// galleries filled by the start-up timer, and the texture dialog.
#include "composition_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "composition.h"
#include "img_view32.h"
#include "img_view_widget.h"
#include "main_form.h"
#include "main_form_fixture.h"
#include "picture_codecs.h"
#include "texture_dialog.h"
#include "thumbview.h"

namespace {

// Runs the event loop until Done holds (or about ten seconds pass).
template <class F>
bool SpinUntil(F&& Done) {
  QElapsedTimer T;
  T.start();
  while (!Done()) {
    if (T.elapsed() > 10000)
      return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

bool Filled(const TTHumbview* V, int Count) {
  return V->Count() == Count && !V->Model().Scanning();
}

struct TPanelFixture : ::testing::Test {
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  QStringList Errors;
  std::vector<TPlatformColor> Colours;  // what the colour dialog answers, in turn

  QString Folder(const char* Name) {
    QDir(Dir.path()).mkpath(QString::fromLatin1(Name));
    return QDir(Dir.path()).filePath(QString::fromLatin1(Name));
  }
  void Picture(const char* Folder_, const char* Name, int W, int H, TColor32 Back, TColor32 Ink) {
    TBitmap32 B;
    B.SetSize(W, H);
    B.Clear(Back);
    B.FillRect(W / 4, H / 4, W * 3 / 4, H * 3 / 4, Ink);
    SavePictureByExtension(B,
                           QDir(Folder(Folder_)).filePath(QString::fromLatin1(Name)).toStdString());
  }
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    RegisterPictureCodecs();
    Picture("Decor", "a.png", 120, 80, 0xFFFFFFFF, 0xFFFF0000);
    Picture("Decor", "b.bmp", 40, 40, 0xFF00FF00, 0xFF0000FF);
    Picture("Captions", "greeting.png", 200, 60, 0xFFFFFFFF, 0xFF000080);
    Picture("Textures", "stone.png", 64, 32, 0xFF808040, 0xFF808040);
    Form = std::make_unique<TMainForm>(Dir.path());
    Form->Dialogs.ShowError = [this](const QString& T) { Errors << T; };
    Form->Dialogs.OpenUrl = [](const QUrl&) {};
    Form->CompositionPanel()->AskColour = [this](TPlatformColor& C) {
      if (Colours.empty())
        return false;
      C = Colours.front();
      Colours.erase(Colours.begin());
      return true;
    };
    Form->resize(1200, 800);
    Form->show();
    Form->Document().NewCanvas(800, 600, 0xFFFFFFFF);
    Form->UpdateActions();
  }
  TColor32 CanvasAt(int X, int Y) { return Form->Document().Canvas().GetPixel(X, Y); }
  // Clicks "OK" of the texture dialog once its picker has read its folder.
  void ConfirmTextureDialogSoon(int Scale) {
    auto* Poll = new QTimer(Form.get());
    QObject::connect(Poll, &QTimer::timeout, Form.get(), [this, Poll, Scale] {
      TTextur* D = Form->CompositionPanel()->Textur;
      if (!D->isVisible() || !Filled(D->View, 1))
        return;
      Poll->stop();
      Poll->deleteLater();
      D->RTX->setCurrentIndex(Scale);
      D->Button1->click();
    });
    Poll->start(20);
  }
};

}  // namespace

TEST_F(TPanelFixture, BackgroundModesEnableTheirControls) {
  EXPECT_TRUE(Form->CompositionPanel()->GCard->isChecked());
  EXPECT_TRUE(Form->CompositionPanel()->Button10->isEnabled());
  EXPECT_FALSE(Form->CompositionPanel()->Button6->isEnabled());
  EXPECT_FALSE(Form->CompositionPanel()->GradType->isEnabled());
  Form->CompositionPanel()->OTH->click();
  EXPECT_TRUE(Form->CompositionPanel()->Button6->isEnabled());
  EXPECT_FALSE(Form->CompositionPanel()->Button10->isEnabled());
  EXPECT_EQ(Form->CompositionPanel()->GradType->currentText(), "Слева направо");
  EXPECT_TRUE(Form->CompositionPanel()->OCL->isChecked());
  EXPECT_TRUE(Form->CompositionPanel()->SpeedButton7->isEnabled());
  EXPECT_FALSE(Form->CompositionPanel()->Button4->isEnabled());
  Form->CompositionPanel()->TXR->click();
  EXPECT_TRUE(Form->CompositionPanel()->Button4->isEnabled());
  EXPECT_FALSE(Form->CompositionPanel()->SpeedButton7->isEnabled());
  EXPECT_TRUE(Form->CompositionPanel()->Button11->isEnabled());
  EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(TPanelFixture, SolidColourThenUndo) {
  Form->CompositionPanel()->SK->click();
  EXPECT_EQ(CanvasAt(0, 0), 0xFFFFFFFFu);
  Colours = {0x0000FF};  // red
  Form->CompositionPanel()->Col->click();
  EXPECT_EQ(CanvasAt(400, 300), 0xFFFF0000u);
  Form->Action(TMainAction::Undo)->trigger();  // "Отменить"
  EXPECT_EQ(CanvasAt(400, 300), 0xFFFFFFFFu);
  EXPECT_FALSE(Form->Action(TMainAction::Undo)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::Redo)->isEnabled());
  // The swatch follows the card back to white, and forward to red.
  EXPECT_EQ(Form->CompositionPanel()->Model().SolidColour(), 0xFFFFFF);
  Form->Action(TMainAction::Redo)->trigger();
  EXPECT_EQ(Form->CompositionPanel()->Model().SolidColour(), 0x0000FF);
  Form->Action(TMainAction::Undo)->trigger();
  // A cancelled colour dialog repaints with the swatch's colour.
  Form->CompositionPanel()->Col->click();
  EXPECT_EQ(CanvasAt(400, 300), 0xFFFFFFFFu);
}

TEST_F(TPanelFixture, GradientFollowsItsDirectionAndSwatches) {
  Form->CompositionPanel()->GK->click();
  EXPECT_EQ(CanvasAt(0, 300), 0xFFFF0080u);  // the left swatch's default
  Form->CompositionPanel()->GradType->setCurrentIndex(1);
  emit Form->CompositionPanel()->GradType->activated(1);
  EXPECT_EQ(CanvasAt(400, 0), 0xFF0054E3u);  // from the right swatch at the top
  Colours = {0x00FF00};
  Form->CompositionPanel()->Col1->click();
  EXPECT_EQ(CanvasAt(400, 0), 0xFF00FF00u);
  Form->Action(TMainAction::Undo)->trigger();
  EXPECT_EQ(CanvasAt(400, 0), 0xFF0054E3u);
}

TEST_F(TPanelFixture, UnderlayButton) {
  Colours = {0x00FFFF};  // yellow
  Form->CompositionPanel()->SpeedButton7->click();
  Form->CompositionPanel()->setCurrentIndex(1);
  Form->CompositionPanel()->Button11->click();
  TBitmapLayer* L = Form->Document().SelectedBitmapLayer();
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(L->Index(), 0);
  EXPECT_EQ(L->Bitmap()->Width(), 720);
  EXPECT_EQ(L->Bitmap()->GetPixel(5, 5), 0xFFFFFF00u);
  EXPECT_FLOAT_EQ(L->Location().Left, 24);
  EXPECT_TRUE(FormChild<TSidePanelSection>(*Form, "LayerSection")->isVisible());
}

TEST_F(TPanelFixture, GalleriesFillAfterStartAndAddTheirPictures) {
  ASSERT_TRUE(SpinUntil([&] {
    return Filled(Form->CompositionPanel()->DAVIS, 2) && Filled(Form->CompositionPanel()->CPVIS, 1);
  }));
  EXPECT_EQ(Form->CompositionPanel()->DAVIS->Selected(), 0);
  EXPECT_EQ(Form->CompositionPanel()->CPVIS->Selected(), 0);
  Form->CompositionPanel()->setCurrentIndex(2);
  Form->CompositionPanel()->Button9->click();
  TBitmapLayer* D = Form->Document().SelectedBitmapLayer();
  ASSERT_NE(D, nullptr);
  // The item lands in the middle of the part of the card in sight, at its own size.
  TImgView32& View = Form->ImgView()->View();
  const TPoint A = View.ControlToBitmap({0, 0});
  const TPoint B = View.ControlToBitmap({Form->ImgView()->width(), Form->ImgView()->height()});
  const float MidX = (std::max(A.X, 0) + std::min(B.X, 800)) / 2.0f;
  const float MidY = (std::max(A.Y, 0) + std::min(B.Y, 600)) / 2.0f;
  EXPECT_NEAR((D->Location().Left + D->Location().Right) / 2, MidX, 1.0f);
  EXPECT_NEAR((D->Location().Top + D->Location().Bottom) / 2, MidY, 1.0f);
  EXPECT_FLOAT_EQ(D->Location().Right - D->Location().Left, 120);
  // The selection frame went with it.
  const TSingleRect Frame = Form->Document().RBLayer()->Location();
  EXPECT_FLOAT_EQ(Frame.Left, D->Location().Left);
  EXPECT_FLOAT_EQ(Frame.Top, D->Location().Top);
  EXPECT_EQ(Form->CompositionPanel()->Button13->text(), QStringLiteral("Добавить поздравление"));
  EXPECT_EQ(D->Bitmap()->GetPixel(0, 0) >> 24, 0u);  // the key colour is gone
  EXPECT_EQ(D->Bitmap()->GetPixel(60, 40), 0xFFFF0000u);
  const int32_t WithDecoration = Form->Document().Layers().Count();
  EXPECT_EQ(Form->Action(TMainAction::Undo)->text(), "Отменить: Украшение");
  Form->Action(TMainAction::Undo)->trigger();  // the decoration and its key colour were one step
  EXPECT_EQ(Form->Document().Layers().Count(), WithDecoration - 1);
  EXPECT_EQ(Form->Document().SelectedBitmapLayer(), nullptr);

  Form->CompositionPanel()->CPVIS->SetSelected(0);
  Form->CompositionPanel()->Button13->click();
  TBitmapLayer* G = Form->Document().SelectedBitmapLayer();
  ASSERT_NE(G, nullptr);
  EXPECT_EQ(Form->Document().Layers().Count(), WithDecoration) << "the greeting in its place";
  EXPECT_EQ(G->Bitmap()->Width(), 200);
  EXPECT_EQ(G->Bitmap()->GetPixel(0, 0) >> 24, 0u);  // lettering on a plain key lands bare
  EXPECT_EQ(G->Bitmap()->GetPixel(100, 30), 0xFF000080u);

  // No cell selected: a message, and nothing added.
  const int Count = Form->Document().Layers().Count();
  Form->CompositionPanel()->DAVIS->SetSelected(-1);
  Form->CompositionPanel()->Button9->click();
  EXPECT_EQ(Errors.size(), 1);
  EXPECT_EQ(Form->Document().Layers().Count(), Count);
}

TEST_F(TPanelFixture, TextureDialogOnTheBackgroundAndTheUnderlay) {
  // Nothing chosen yet: "Текстура" only switches the controls.
  Form->CompositionPanel()->TK->click();
  EXPECT_EQ(CanvasAt(0, 0), 0xFFFFFFFFu);
  EXPECT_TRUE(Form->CompositionPanel()->Button3->isEnabled());

  ConfirmTextureDialogSoon(0);
  Form->CompositionPanel()->Button3->click();
  EXPECT_EQ(CanvasAt(799, 599), 0xFF808040u);
  EXPECT_EQ(Form->Undo().UndoName(), "Текстура");
  EXPECT_EQ(Form->Action(TMainAction::Undo)->text(), "Отменить: Текстура");
  Form->Action(TMainAction::Undo)->trigger();
  EXPECT_EQ(CanvasAt(799, 599), 0xFFFFFFFFu);

  // "Текстура" again applies the last choice without the dialog.
  Form->CompositionPanel()->OTH->click();
  Form->CompositionPanel()->TK->click();
  EXPECT_FALSE(Form->CompositionPanel()->Textur->isVisible());
  EXPECT_EQ(CanvasAt(799, 599), 0xFF808040u);

  // With "Подложка" active the texture goes onto a new underlay.
  Form->Document().Canvas().Clear(0xFFFFFFFF);
  Form->CompositionPanel()->setCurrentIndex(1);
  Form->CompositionPanel()->TXR->click();
  ConfirmTextureDialogSoon(2);
  Form->CompositionPanel()->Button4->click();
  TBitmapLayer* U = Form->Document().SelectedBitmapLayer();
  ASSERT_NE(U, nullptr);
  EXPECT_EQ(U->Index(), 0);
  EXPECT_EQ(U->Bitmap()->GetPixel(700, 500) >> 24, 255u);
  EXPECT_NEAR(int(U->Bitmap()->GetPixel(700, 500) & 0xFF), 0x40, 3);
  EXPECT_EQ(CanvasAt(0, 0), 0xFFFFFFFFu);
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
}

TEST_F(TPanelFixture, BackgroundFromAFileTakesItsSize) {
  Picture("Pictures", "big.png", 1024, 768, 0xFF204080, 0xFF204080);
  const QString File = QDir(Folder("Pictures")).filePath("big.png");
  int Asked = 0;
  Form->CompositionPanel()->AskBackgroundFile = [&] {
    ++Asked;
    return Asked == 1 ? QString() : File;  // the first time the dialog is cancelled
  };
  Form->CompositionPanel()->OTH->click();
  Form->CompositionPanel()->Button6->click();
  EXPECT_EQ(Form->Document().Canvas().Width(), 800);
  Form->CompositionPanel()->Button6->click();
  EXPECT_EQ(Form->Document().Canvas().Width(), 1024);
  EXPECT_EQ(Form->Document().Canvas().Height(), 768);
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusSize")->text(), "1024x768");
  Form->Action(TMainAction::Undo)->trigger();
  EXPECT_EQ(Form->Document().Canvas().Width(), 800);
  EXPECT_EQ(CanvasAt(0, 0), 0xFFFFFFFFu);
  EXPECT_TRUE(Errors.isEmpty());
}
