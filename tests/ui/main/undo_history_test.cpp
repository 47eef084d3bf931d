// The undo history in the main window: a drag of the selection frame, the layer menu's commands
// and the opacity gauge are one step each, named in "Отменить: ..." and "Повторить: ..."; the
// keys walk the history all the way down and up again; the saved point clears the mark.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>
#include <vector>

#include "bitmap_layer.h"
#include "card_document.h"
#include "img_view32.h"
#include "main_form_fixture.h"
#include "undo.h"

namespace {

// The canvas and every bitmap layer, bit for bit, with the layers' identities and places.
struct TCardPrint {
  std::vector<TColor32> Canvas;
  std::vector<uint64_t> Ids;
  std::vector<TSingleRect> Locations;
  std::vector<uint32_t> Alphas;
  std::vector<std::vector<TColor32>> Pixels;
  bool operator==(const TCardPrint&) const = default;
};

TCardPrint PrintOf(TCardDocument& Doc) {
  TCardPrint P;
  const TBitmap32& C = Doc.Canvas();
  P.Canvas.assign(C.Bits(), C.Bits() + size_t(C.Width()) * C.Height());
  for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
    if (auto* L = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I))) {
      const TBitmap32& B = *L->Bitmap();
      P.Ids.push_back(L->Id());
      P.Locations.push_back(L->Location());
      P.Alphas.push_back(B.MasterAlpha());
      P.Pixels.emplace_back(B.Bits(), B.Bits() + size_t(B.Width()) * B.Height());
    }
  return P;
}

void Mouse(QWidget* W, QEvent::Type Type, QPoint P, Qt::MouseButtons Buttons) {
  QMouseEvent E(Type, QPointF(P), W->mapToGlobal(QPointF(P)), Qt::LeftButton, Buttons,
                Qt::NoModifier);
  QApplication::sendEvent(W, &E);
}

struct TUndoHistoryFixture : TMainFormFixture {
  TBitmapLayer* Photo = nullptr;

  void SetUp() override {
    TMainFormFixture::SetUp();
    Make();
    TCardDocument& Doc = Form->Document();
    Form->Run([&] {
      Doc.NewCanvas(300, 200, 0xFFFFFFFF);
      TBitmap32 Pic;
      Pic.SetSize(60, 40);
      for (int32_t Y = 0; Y < 40; ++Y)
        for (int32_t X = 0; X < 60; ++X) Pic.SetPixel(X, Y, 0xFF000000u | uint32_t(X * 4 + Y));
      Doc.AddPictureLayer(Pic, 255)->SetLocation({150, 100, 210, 140});
      Photo = Doc.AddPictureLayer(Pic, 255);
      Photo->SetLocation({20, 20, 80, 60});
      Doc.SetSelection(nullptr);
      Doc.SetSelection(Photo);
    });
    Form->ImgView()->View().SetScale(1);
    Form->Undo().Reset();
    Doc.Modified = false;
    Form->activateWindow();
    QApplication::setActiveWindow(Form.get());
    Form->UpdateActions();
  }

  void Trigger(const QString& Caption) {
    QAction* Item = FindMenuItem(Form->Menu(TMainAction::ArrangeMenu), Caption);
    ASSERT_NE(Item, nullptr) << Caption.toStdString();
    Form->UpdateActions();
    ASSERT_TRUE(Item->isEnabled()) << Caption.toStdString();
    Item->trigger();
    Form->UpdateActions();
  }
  void Keys(Qt::Key Key, Qt::KeyboardModifiers Modifiers) {
    QTest::keyClick(Form.get(), Key, Modifiers);
    Form->UpdateActions();
  }
  bool TitleMarked() const { return Form->windowTitle().contains(QStringLiteral("*")); }
};

TEST_F(TUndoHistoryFixture, DragsAndLayerCommandsAreNamedStepsWalkedByTheKeys) {
  TCardDocument& Doc = Form->Document();
  QWidget* W = Form->ImgView();
  const TCardPrint Before = PrintOf(Doc);
  EXPECT_FALSE(Form->Action(TMainAction::Undo)->isEnabled());
  EXPECT_EQ(Form->Action(TMainAction::Undo)->text(), "Отменить");

  // A press on the frame released where it began is no step; a drag is one.
  const TPoint At = Doc.View().BitmapToControl({50, 40});
  Mouse(W, QEvent::MouseButtonPress, {At.X, At.Y}, Qt::LeftButton);
  Mouse(W, QEvent::MouseButtonRelease, {At.X, At.Y}, Qt::NoButton);
  Form->UpdateActions();
  EXPECT_FALSE(Form->Undo().CanUndo());
  Mouse(W, QEvent::MouseButtonPress, {At.X, At.Y}, Qt::LeftButton);
  Mouse(W, QEvent::MouseMove, {At.X + 15, At.Y + 10}, Qt::LeftButton);
  Mouse(W, QEvent::MouseMove, {At.X + 30, At.Y + 20}, Qt::LeftButton);
  Mouse(W, QEvent::MouseButtonRelease, {At.X + 30, At.Y + 20}, Qt::NoButton);
  Form->UpdateActions();
  EXPECT_EQ(Photo->Location(), (TSingleRect{50, 40, 110, 80}));
  EXPECT_EQ(Form->Undo().Count(), 1);
  EXPECT_EQ(Form->Action(TMainAction::Undo)->text(), "Отменить: Перемещение слоя");

  struct TStep {
    const char* Item;
    const char* Name;
  };
  const TStep Steps[] = {{"По вертикали", "Отражение"},        {"Клонировать", "Копия слоя"},
                         {"Поместить назад", "Порядок слоёв"}, {"На 90° вправо", "Поворот"},
                         {"Снять маску", "Снятие маски"},      {"Удалить", "Удаление слоя"}};
  for (const TStep& S : Steps) {
    Trigger(QString::fromUtf8(S.Item));
    EXPECT_EQ(Form->Action(TMainAction::Undo)->text(),
              QStringLiteral("Отменить: ") + QString::fromUtf8(S.Name));
  }
  // The gauge: one click on its track is one step.
  Form->Run([&] { Doc.SetSelection(Photo); });
  FormChild<QSlider>(*Form, "LayerOpacity")->triggerAction(QAbstractSlider::SliderPageStepSub);
  Form->UpdateActions();
  EXPECT_LT(Photo->Bitmap()->MasterAlpha(), 255u);
  EXPECT_EQ(Form->Action(TMainAction::Undo)->text(), "Отменить: Непрозрачность слоя");
  const TCardPrint After = PrintOf(Doc);
  const int32_t Count = Form->Undo().Count();

  Keys(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Photo->Bitmap()->MasterAlpha(), 255u);
  EXPECT_EQ(Form->Action(TMainAction::Redo)->text(), "Повторить: Непрозрачность слоя");
  while (Form->Action(TMainAction::Undo)->isEnabled()) Keys(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Form->Undo().Position(), 0);
  EXPECT_TRUE(PrintOf(Doc) == Before) << "undone all the way: the card as it was";
  EXPECT_EQ(Form->Action(TMainAction::Redo)->text(), "Повторить: Перемещение слоя");

  // Ctrl+Shift+Z and Ctrl+Y redo alike.
  for (int32_t I = 0; I < Count / 2; ++I) {
    if (I % 2 == 0)
      Keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    else
      Keys(Qt::Key_Y, Qt::ControlModifier);
  }
  EXPECT_EQ(Form->Undo().Position(), Count / 2);
  while (Form->Action(TMainAction::Redo)->isEnabled()) Keys(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Form->Undo().Position(), Count);
  EXPECT_TRUE(PrintOf(Doc) == After) << "redone all the way: the card as it became";
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
}

// A click at the end of the gauge's track, where the opacity cannot go further, is no step.
TEST_F(TUndoHistoryFixture, AGaugeClickThatChangesNothingIsNoStep) {
  ASSERT_EQ(FormChild<QSlider>(*Form, "LayerOpacity")->value(), 255);
  FormChild<QSlider>(*Form, "LayerOpacity")->triggerAction(QAbstractSlider::SliderPageStepAdd);
  QApplication::processEvents();
  Form->UpdateActions();
  EXPECT_FALSE(Form->Undo().CanUndo()) << Form->Undo().UndoName();
  // One that does change it is still one.
  FormChild<QSlider>(*Form, "LayerOpacity")->triggerAction(QAbstractSlider::SliderPageStepSub);
  QApplication::processEvents();
  EXPECT_EQ(Form->Undo().Count(), 1);
  EXPECT_EQ(Form->Undo().UndoName(), "Непрозрачность слоя");
}

// Saving marks the step: undoing back to it takes the "*" away and closing does not ask.
TEST_F(TUndoHistoryFixture, TheSavedPointClearsTheMark) {
  const std::string Path = QDir(Dir.path()).filePath("card").toStdString();
  Form->Dialogs.AskSaveName = [&](std::string& Name, TSaveFormat& Format) {
    Name = Path;
    Format = TSaveFormat::Project;
    return true;
  };
  Trigger(QStringLiteral("По вертикали"));
  EXPECT_TRUE(TitleMarked());
  Form->Run([this] { Form->SaveAsClick(); });
  ASSERT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  Form->UpdateActions();
  EXPECT_FALSE(TitleMarked());

  Trigger(QStringLiteral("По горизонтали (зеркальное)"));
  EXPECT_TRUE(TitleMarked());
  Keys(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(Form->Document().Modified);
  EXPECT_FALSE(TitleMarked());
  Keys(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(TitleMarked());
  Keys(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_FALSE(TitleMarked());
  int Asked = 0;
  Form->Dialogs.AskSaveQuestion = [&] {
    ++Asked;
    return QMessageBox::No;
  };
  EXPECT_TRUE(Form->close());
  EXPECT_EQ(Asked, 0);
}

}  // namespace
