// Captions edited again in the main window: a double click on a caption layer (or the layer
// menu's "Изменить надпись") opens the caption dialog with its settings; "OK" renders the new
// text in place as one step, "Отмена" leaves the layer as it was, and a caption changed as a
// picture says so.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <functional>

#include "bitmap_layer.h"
#include "caption_dialog.h"
#include "caption_layer.h"
#include "card_document.h"
#include "img_view32.h"
#include "main_form_fixture.h"
#include "project_file.h"
#include "undo.h"

namespace {

void Mouse(QWidget* W, QEvent::Type Type, QPoint P, Qt::MouseButtons Buttons) {
  QMouseEvent E(Type, QPointF(P), W->mapToGlobal(QPointF(P)), Qt::LeftButton, Buttons,
                Qt::NoModifier);
  QApplication::sendEvent(W, &E);
}

struct TCaptionEditFixture : TMainFormFixture {
  QStringList Messages;
  TCaption First;

  void SetUp() override {
    TMainFormFixture::SetUp();
    Make();
    Form->Dialogs.ShowMessage = [this](const QString& T) { Messages << T; };
    First.FontName = "DejaVu Sans";
    First.Size = 28;
    First.Style = fsBold;
    First.TextColor = 0xFF902020;
    First.Transparency = 20;
    First.Lines = {{"С праздником", TCaptionAlign::Left}, {"мама!", TCaptionAlign::Centre}};
    TCardDocument& Doc = Form->Document();
    Form->Run([&] {
      Doc.NewCanvas(500, 300, 0xFFFFFFFF);
      TBitmap32 Work, Mask;
      TBitmapLayer* L = PlaceCaption(Doc, First, Work, Mask, Doc.Layers().Count());
      L->SetLocation({60, 50, 60 + 1.5f * static_cast<float>(L->Bitmap()->Width()),
                      50 + 1.5f * static_cast<float>(L->Bitmap()->Height())});
    });
    Form->ImgView()->View().SetScale(1);
    Form->Undo().Reset();
    Form->activateWindow();
    QApplication::setActiveWindow(Form.get());
    Form->UpdateActions();
  }

  TBitmapLayer* Caption() { return Form->Document().SelectedBitmapLayer(); }

  // Saves the card as a project and opens it again, as the user would.
  void SaveAndReopen() {
    const std::string Path = (Dir.path() + QStringLiteral("/card.kvt")).toStdString();
    WriteProject(Form->Document(), Path);
    Form->OpenFile(Path);
    Form->ImgView()->View().SetScale(1);
    Form->UpdateActions();
  }

  // A double click in the middle of the selected layer; Act runs inside the caption dialog once
  // it shows. False when no dialog showed.
  bool DoubleClickCaption(const std::function<void(TTexter&)>& Act, int WaitMs = 3000) {
    const TSingleRect R = Caption()->Location();
    const TPoint At =
        Form->Document().View().BitmapToControl({static_cast<int32_t>((R.Left + R.Right) / 2),
                                                 static_cast<int32_t>((R.Top + R.Bottom) / 2)});
    return WithDialog(
        Act,
        [&] {
          QWidget* W = Form->ImgView();
          Mouse(W, QEvent::MouseButtonPress, {At.X, At.Y}, Qt::LeftButton);
          Mouse(W, QEvent::MouseButtonRelease, {At.X, At.Y}, Qt::NoButton);
          Mouse(W, QEvent::MouseButtonPress, {At.X, At.Y}, Qt::LeftButton);
          Mouse(W, QEvent::MouseButtonDblClick, {At.X, At.Y}, Qt::LeftButton);
          Mouse(W, QEvent::MouseButtonRelease, {At.X, At.Y}, Qt::NoButton);
        },
        WaitMs);
  }

  bool WithDialog(const std::function<void(TTexter&)>& Act, const std::function<void()>& Open,
                  int WaitMs = 3000) {
    bool Shown = false;
    std::function<void()> Poll = [&] {
      if (auto* T = qobject_cast<TTexter*>(QApplication::activeModalWidget())) {
        Shown = true;
        Act(*T);
        if (T->isVisible())
          T->reject();
        return;
      }
      QTimer::singleShot(10, Poll);
    };
    QTimer::singleShot(10, Poll);
    Open();
    QElapsedTimer Clock;
    Clock.start();
    while (!Shown && Clock.elapsed() < WaitMs)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    QApplication::processEvents();
    Form->UpdateActions();
    return Shown;
  }

  std::string TextOf(TBitmapLayer* L) {
    const auto C = EditableCaption(Form->Document(), *L);
    if (!C)
      return "<нет>";
    std::string S;
    for (const TCaptionLine& Line : C->Lines) S += (S.empty() ? "" : "|") + Line.Text;
    return S;
  }
};

TSinglePoint Centre(const TSingleRect& R) {
  return {(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
}

TEST_F(TCaptionEditFixture, DoubleClickEditsTheTextInPlaceAsOneStep) {
  SaveAndReopen();
  TBitmapLayer* L = Caption();
  ASSERT_NE(L, nullptr);
  const uint64_t Id = L->Id();
  const TSingleRect Before = L->Location();
  const float Scale = (Before.Right - Before.Left) / static_cast<float>(L->Bitmap()->Width());
  const uint64_t OldPixels = PixelFingerprint(*L->Bitmap());

  const bool Shown = DoubleClickCaption([&](TTexter& T) {
    // Filled with the caption's settings.
    EXPECT_EQ(T.Rtf->toPlainText(), QStringLiteral("С праздником\nмама!"));
    EXPECT_EQ(T.Fontos->currentText(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(T.FoSize->currentText(), QStringLiteral("28"));
    EXPECT_TRUE(T.BoldButton->isChecked());
    EXPECT_EQ(T.TexOp->value(), 20);
    const TCaption C = T.CurrentCaption();
    EXPECT_EQ(C.TextColor, First.TextColor);
    ASSERT_EQ(C.Lines.size(), 2u);
    EXPECT_EQ(C.Lines[1].Align, TCaptionAlign::Centre);
    T.Rtf->setPlainText(QStringLiteral("С днём рождения, мама!"));
    T.Button1->click();
  });
  ASSERT_TRUE(Shown);
  TCardDocument& Doc = Form->Document();
  ASSERT_EQ(Caption(), L);
  EXPECT_EQ(L->Id(), Id);
  EXPECT_EQ(TextOf(L), "С днём рождения, мама!");
  const TSingleRect After = L->Location();
  EXPECT_FLOAT_EQ(Centre(After).X, Centre(Before).X);
  EXPECT_FLOAT_EQ(Centre(After).Y, Centre(Before).Y);
  EXPECT_FLOAT_EQ((After.Right - After.Left) / static_cast<float>(L->Bitmap()->Width()), Scale);
  // The selection frame goes around the new shape.
  ASSERT_NE(Doc.RBLayer(), nullptr);
  EXPECT_TRUE(Doc.RBLayer()->Location() == After);
  EXPECT_EQ(Form->Undo().Count(), 1);
  EXPECT_EQ(Form->Action(TMainAction::Undo)->text(), "Отменить: Изменение надписи");
  int Layers = 0;
  for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
    Layers += dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I)) != nullptr;
  EXPECT_EQ(Layers, 1);

  // Ctrl+Z: the old text, pixels and place; Ctrl+Y: the new ones.
  QApplication::setActiveWindow(Form.get());
  ASSERT_TRUE(Form->Action(TMainAction::Undo)->isEnabled());
  QTest::keyClick(Form.get(), Qt::Key_Z, Qt::ControlModifier);
  ASSERT_NE(Caption(), nullptr);
  EXPECT_EQ(TextOf(Caption()), "С праздником|мама!");
  EXPECT_EQ(PixelFingerprint(*Caption()->Bitmap()), OldPixels);
  EXPECT_TRUE(Caption()->Location() == Before);
  QTest::keyClick(Form.get(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(TextOf(Caption()), "С днём рождения, мама!");
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_TRUE(Messages.isEmpty()) << Messages.join("\n").toStdString();
}

// "Просмотр" then "Отмена": the layer as it was, and no step.
TEST_F(TCaptionEditFixture, CancelPutsThePreviewedLayerBack) {
  TBitmapLayer* L = Caption();
  const TSingleRect Before = L->Location();
  const uint64_t Pixels = PixelFingerprint(*L->Bitmap());
  const uint32_t Alpha = L->Bitmap()->MasterAlpha();
  QAction* Item =
      FindMenuItem(Form->Menu(TMainAction::LayerPopup), QStringLiteral("Изменить надпись"));
  ASSERT_NE(Item, nullptr);
  Form->UpdateActions();
  ASSERT_TRUE(Item->isEnabled());
  const bool Shown = WithDialog(
      [&](TTexter& T) {
        T.Rtf->setPlainText(QStringLiteral("Совсем другой текст"));
        T.TexOp->setValue(60);
        T.Button3->click();
        EXPECT_NE(PixelFingerprint(*L->Bitmap()), Pixels);
        T.Button2->click();
      },
      [&] { Item->trigger(); });
  ASSERT_TRUE(Shown);
  EXPECT_EQ(PixelFingerprint(*L->Bitmap()), Pixels);
  EXPECT_EQ(L->Bitmap()->MasterAlpha(), Alpha);
  EXPECT_TRUE(L->Location() == Before);
  EXPECT_TRUE(Form->Document().RBLayer()->Location() == Before);
  EXPECT_EQ(TextOf(L), "С праздником|мама!");
  EXPECT_FALSE(Form->Undo().CanUndo());
}

// Changed by a layer command, the caption is a picture: the double click says why.
TEST_F(TCaptionEditFixture, ACaptionChangedAsAPictureSaysSo) {
  QAction* Flip =
      FindMenuItem(Form->Menu(TMainAction::ArrangeMenu), QStringLiteral("По вертикали"));
  ASSERT_NE(Flip, nullptr);
  Form->UpdateActions();
  Flip->trigger();
  Form->UpdateActions();
  const bool Shown =
      DoubleClickCaption([](TTexter&) { ADD_FAILURE() << "the dialog showed"; }, 300);
  EXPECT_FALSE(Shown);
  ASSERT_EQ(Messages.size(), 1);
  EXPECT_EQ(Messages[0], QString::fromUtf8(CaptionChangedText));
  // Undoing the flip makes it the caption it was.
  QApplication::setActiveWindow(Form.get());
  QTest::keyClick(Form.get(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(CaptionKind(Form->Document(), *Caption()), TCaptionKind::Editable);
}

}  // namespace
