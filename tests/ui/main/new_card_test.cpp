// Starting a card through the real dialogs: "Новый" with a size in millimetres, a size past
// the pixel limit refused with the open card kept, and a ready card from the catalogue.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include "../tools/ui_driving.h"
#include "album.h"
#include "main_form.h"
#include "main_form_fixture.h"
#include "picture_codecs.h"
#include "templates.h"
#include "thumbview.h"

namespace {

struct TNewCardFixture : ::testing::Test {
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  QStringList Errors;

  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    // One ready card in the program's "Cards" folder.
    ASSERT_TRUE(QDir(Dir.path()).mkpath("Cards"));
    RegisterPictureCodecs();
    TBitmap32 Card;
    Card.SetSize(120, 90);
    Card.Clear(0xFF20A040);
    SavePictureByExtension(Card, QDir(Dir.path()).filePath("Cards/card.png").toStdString());

    Form = std::make_unique<TMainForm>(Dir.path());
    Form->Dialogs.ShowError = [this](const QString& T) { Errors << T; };
    Form->Dialogs.OpenUrl = [](const QUrl&) {};
    Form->resize(1000, 700);
    Form->show();
  }
  // Runs "Новый" with the new-project dialog set up by Fill and confirmed.
  void NewCard(const std::function<void(TTemplates&)>& Fill) {
    QTimer::singleShot(0, Form.get(), [this, Fill] {
      TTemplates& T = *Form->Templates();
      ASSERT_TRUE(T.isVisible());
      Fill(T);
      T.Button1->click();
    });
    Form->Run([this] { Form->mnFileNewClick(); });
  }
  static void Choose(QComboBox* Box, int Index) {
    Box->setCurrentIndex(Index);
    emit Box->activated(Index);
  }
  QSize CanvasSize() {
    return {Form->Document().Canvas().Width(), Form->Document().Canvas().Height()};
  }
};

}  // namespace

TEST_F(TNewCardFixture, NewCardFromMillimetres) {
  NewCard([](TTemplates& T) {
    Choose(T.CEP, 1);
    TypeInto(T.WI, "100");
    TypeInto(T.HE, "150");
  });
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_EQ(CanvasSize(), QSize(283, 425));
  EXPECT_EQ(Form->Document().Canvas().GetPixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusText")->text(), "Новый проект");
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusSize")->text(), "283x425");
  EXPECT_FALSE(FormChild<TSidePanelSection>(*Form, "StartSection")->isVisible());
  EXPECT_TRUE(FormChild<TSidePanelSection>(*Form, "CompositionSection")->isVisible());
}

TEST_F(TNewCardFixture, SizePastThePixelLimitIsRefusedAndTheCardStays) {
  NewCard([](TTemplates& T) { Choose(T.Shabl, 8); });  // "800 x 600"
  ASSERT_EQ(CanvasSize(), QSize(800, 600));
  TCardDocument& Doc = Form->Document();
  TBitmap32 Photo;
  Photo.SetSize(10, 10);
  Doc.AddPictureLayer(Photo, 255);
  const int Layers = Doc.Layers().Count();
  Doc.Modified = false;  // no question about saving
  // "Почтовая карточка" at 1600 dpi: 37417 x 26457 pixels.
  NewCard([](TTemplates& T) {
    TypeInto(T.Resol, "1600");
    Choose(T.Shabl, 2);
  });
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_TRUE(Errors[0].contains("37417 × 26457")) << Errors[0].toStdString();
  EXPECT_TRUE(Errors[0].contains("слишком велика")) << Errors[0].toStdString();
  EXPECT_EQ(CanvasSize(), QSize(800, 600));
  EXPECT_EQ(Doc.Layers().Count(), Layers);
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusSize")->text(), "800x600");
}

TEST_F(TNewCardFixture, ReadyCardFromTheCatalogue) {
  NewCard([](TTemplates& T) { Choose(T.Shabl, 7); });  // "640 x 480"
  ASSERT_EQ(CanvasSize(), QSize(640, 480));
  QTimer::singleShot(0, Form.get(), [this] {
    TAlbum& A = *Form->Album();
    ASSERT_TRUE(A.isVisible());
    // The folder is read at the first paint; the first card is selected once it is read.
    ASSERT_TRUE(RunEventsUntil([&A] {
      return A.ALView->Count() == 1 && !A.ALView->Model().Scanning() && A.ALView->Selected() == 0;
    }));
    A.Button1->click();
    if (A.isVisible())
      A.reject();
  });
  Form->Run([this] { Form->ChooseCardClick(); });
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_EQ(CanvasSize(), QSize(120, 90));
  EXPECT_EQ(Form->Document().Canvas().GetPixel(60, 45), 0xFF20A040u);
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusSize")->text(), "120x90");
  EXPECT_TRUE(
      Form->Action(TMainAction::Undo)->isEnabled());  // the old canvas is one "Отменить" away
  Form->Run([this] { Form->UndoClick(); });
  EXPECT_EQ(CanvasSize(), QSize(640, 480));
}
