// The main window's clipboard commands through Qt's clipboard (in-process on the offscreen
// platform), the selection areas and the crop panel.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QToolBar>
#include <QUrl>
#include <functional>
#include <utility>

#include "bitmap_layer.h"
#include "clipboard_commands.h"
#include "main_form.h"
#include "main_form_fixture.h"
#include "png_codec.h"

namespace {

QStringList Captions(const QList<QAction*>& Actions) {
  QStringList L;
  for (const QAction* A : Actions)
    if (!A->isSeparator())
      L << A->text();
  return L;
}

void PutOnClipboard(QMimeData* Data) {
  QGuiApplication::clipboard()->setMimeData(Data);
}

QByteArray PngBytes(int W, int H, TColor32 C) {
  TBitmap32 B;
  B.SetSize(W, H);
  B.Clear(C);
  const std::vector<uint8_t> Png = EncodePng(B);
  return QByteArray(reinterpret_cast<const char*>(Png.data()), qsizetype(Png.size()));
}

struct TClipboardWindowFixture : ::testing::Test {
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  QStringList Errors, Messages;

  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    QGuiApplication::clipboard()->clear();
    Form = std::make_unique<TMainForm>(Dir.path());
    Form->Dialogs.ShowError = [this](const QString& T) { Errors << T; };
    Form->Dialogs.ShowMessage = [this](const QString& T) { Messages << T; };
    Form->Dialogs.OpenUrl = [](const QUrl&) {};
    Form->resize(1000, 700);
    Form->show();
  }
  TCardDocument& Doc() { return Form->Document(); }
  // A 120 x 80 card with a half-transparent photo on it.
  TBitmapLayer* MakeCard() {
    Form->Run([this] { Doc().NewCanvas(120, 80, 0xFF336699); });
    TBitmapLayer* L = nullptr;
    Form->Run([&] {
      TBitmap32 P;
      P.SetSize(20, 10);
      P.Clear(0x80FF0000);
      L = Doc().AddPictureLayer(P, 255);
      L->SetLocation({10, 10, 30, 20});
    });
    return L;
  }
};

}  // namespace

TEST_F(TClipboardWindowFixture, ItemsAndButtonsAreInPlaceAndFollowTheCard) {
  EXPECT_EQ(Captions(Form->Menu(TMainAction::EditMenu)->actions()),
            (QStringList{"Отменить", "Повторить", "Вырезать", "Копировать", "Вставить", "Выделить",
                         "Выделить всё", "Вставить как новый"}));
  EXPECT_EQ(Form->Action(TMainAction::Cut)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_X));
  EXPECT_EQ(Form->Action(TMainAction::Copy)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
  EXPECT_EQ(Form->Action(TMainAction::Paste)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_V));
  const QStringList Image = Captions(Form->Menu(TMainAction::ImageMenu)->actions());
  EXPECT_EQ(Image.indexOf("Обрезать холст"), Image.indexOf("Размер изображения") + 1);
  auto* Bar = Form->findChild<QToolBar*>("ToolBar1");
  ASSERT_NE(Bar, nullptr);
  EXPECT_EQ(Captions(Bar->actions()).mid(0, 7),
            (QStringList{"Новый", "Открыть", "  Сохранить  ", "Печать", "Копировать", "Вставить",
                         "  Просмотр  "}));
  QStringList Proportions;
  for (int I = 0; I < FormChild<QComboBox>(*Form, "CropProportion")->count(); ++I)
    Proportions << FormChild<QComboBox>(*Form, "CropProportion")->itemText(I);
  EXPECT_EQ(Proportions, (QStringList{"Свободные", "Квадрат", "Золотое сечение", "Кино 16 : 9",
                                      "Фото 10 x 15", "Фото 15 x 21"}));
  EXPECT_EQ(FormChild<QCheckBox>(*Form, "CropPortrait")->text(), "Портрет");
  EXPECT_EQ(FormChild<QCheckBox>(*Form, "CropPortrait")->toolTip(), "Портретное соотношение");
  EXPECT_EQ(FormChild<QPushButton>(*Form, "CropOk")->text(), "ОК");
  EXPECT_EQ(FormChild<QPushButton>(*Form, "CropCancel")->text(), "Отмена");

  // No card and an empty clipboard: nothing of it can run.
  for (QAction* A : {Form->Action(TMainAction::Cut), Form->Action(TMainAction::Copy),
                     Form->Action(TMainAction::ToolCopy), Form->Action(TMainAction::Paste),
                     Form->Action(TMainAction::ToolPaste), Form->Action(TMainAction::PasteAsNew),
                     Form->Action(TMainAction::Select), Form->Action(TMainAction::SelectAll),
                     Form->Action(TMainAction::CropCanvas)})
    EXPECT_FALSE(A->isEnabled()) << A->text().toStdString();
  MakeCard();
  for (QAction* A : {Form->Action(TMainAction::Cut), Form->Action(TMainAction::Copy),
                     Form->Action(TMainAction::ToolCopy), Form->Action(TMainAction::Select),
                     Form->Action(TMainAction::SelectAll), Form->Action(TMainAction::CropCanvas)})
    EXPECT_TRUE(A->isEnabled()) << A->text().toStdString();
  EXPECT_FALSE(Form->Action(TMainAction::Paste)->isEnabled());
  Form->Run([this] { Form->CropCanvasClick(); });
  EXPECT_TRUE(FormChild<TSidePanelSection>(*Form, "CropSection")->isVisible());
  EXPECT_FALSE(Form->Action(TMainAction::CropCanvas)->isEnabled()) << "a crop is going on";
  EXPECT_FALSE(Form->Action(TMainAction::Cut)->isEnabled()) << "a crop area cannot be cut";
}

TEST_F(TClipboardWindowFixture, CopyThenPasteRoundTripsThroughTheClipboard) {
  TBitmapLayer* L = MakeCard();
  const TColor32 Blended = Doc().RenderFlatImage()->GetPixel(15, 15);
  EXPECT_NE(Blended, 0xFF336699u);
  Form->Run([&] { Doc().SetSelection(L); });
  Form->Run([this] { Form->CopyClick(); });
  const QImage Copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(Copied.size(), QSize(120, 80));
  EXPECT_EQ(Copied.pixel(0, 0), 0xFF336699u);
  EXPECT_EQ(Copied.pixel(15, 15), Blended) << "the photo blended over the canvas";
  EXPECT_TRUE(Form->Action(TMainAction::Paste)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::ToolPaste)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::PasteAsNew)->isEnabled());

  const int32_t Count = Doc().Layers().Count();
  Form->Run([this] { Form->PasteClick(); });
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  TBitmapLayer* Pasted = Doc().SelectedBitmapLayer();
  ASSERT_NE(Pasted, nullptr);
  EXPECT_NE(Pasted, L);
  EXPECT_EQ(Doc().Layers().Count(), Count + 1);
  EXPECT_EQ(Pasted->Bitmap()->Width(), 120);
  EXPECT_EQ(Pasted->Bitmap()->GetPixel(15, 15), Blended);
  EXPECT_EQ(Pasted->Bitmap()->GetPixel(0, 0), 0xFF336699u);

  // Cutting the first photo puts its own pixels, alpha included, on the clipboard.
  Form->Run([&] { Doc().SetSelection(L); });
  Form->Run([this] { Form->CutClick(); });
  const QImage Cut = QGuiApplication::clipboard()->image();
  ASSERT_EQ(Cut.size(), QSize(20, 10));
  EXPECT_EQ(Cut.pixel(3, 3), 0x80FF0000u);
  Form->Run([this] { Form->PasteClick(); });
  ASSERT_NE(Doc().SelectedBitmapLayer(), nullptr);
  EXPECT_EQ(Doc().SelectedBitmapLayer()->Bitmap()->GetPixel(3, 3), 0x80FF0000u);
}

TEST_F(TClipboardWindowFixture, TextOnlyClipboardDisablesPastingAndSaysSo) {
  MakeCard();
  QGuiApplication::clipboard()->setText(QStringLiteral("просто текст"));
  EXPECT_FALSE(Form->Action(TMainAction::Paste)->isEnabled());
  EXPECT_FALSE(Form->Action(TMainAction::ToolPaste)->isEnabled());
  EXPECT_FALSE(Form->Action(TMainAction::PasteAsNew)->isEnabled());
  const int32_t Count = Doc().Layers().Count();
  Form->Run([this] { Form->PasteClick(); });
  Form->Run([this] { Form->PasteAsNewClick(); });
  EXPECT_EQ(Messages, (QStringList{NoPictureMessage, NoPictureMessage}));
  EXPECT_TRUE(Errors.isEmpty());
  EXPECT_EQ(Doc().Layers().Count(), Count);
  EXPECT_EQ(Doc().Canvas().Width(), 120);
}

TEST_F(TClipboardWindowFixture, PictureFilesAndEncodedPicturesOfOtherProgramsPaste) {
  MakeCard();
  const QString Path = Dir.filePath(QStringLiteral("фото 1.png"));
  {
    QFile F(Path);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write(PngBytes(9, 7, 0xFF00AA00));
  }
  struct TCase {
    const char* Name;
    std::function<QMimeData*()> Make;
    int Width;
  };
  const TCase Cases[] = {
      {"file URL",
       [&] {
         auto* D = new QMimeData;
         D->setUrls({QUrl::fromLocalFile(Path)});
         return D;
       },
       9},
      {"path as text",
       [&] {
         auto* D = new QMimeData;
         D->setText(Path);
         return D;
       },
       9},
      {"PNG bytes",
       [&] {
         auto* D = new QMimeData;
         D->setData(QStringLiteral("image/png"), PngBytes(4, 3, 0xFF0000AA));
         D->setData(QStringLiteral("text/html"), "<img src=\"x.png\">");
         return D;
       },
       4},
  };
  for (const TCase& C : Cases) {
    PutOnClipboard(C.Make());
    EXPECT_TRUE(Form->Action(TMainAction::Paste)->isEnabled()) << C.Name;
    Form->Run([this] { Form->PasteClick(); });
    EXPECT_TRUE(Errors.isEmpty()) << C.Name << ": " << Errors.join('\n').toStdString();
    ASSERT_NE(Doc().SelectedBitmapLayer(), nullptr) << C.Name;
    EXPECT_EQ(Doc().SelectedBitmapLayer()->Bitmap()->Width(), C.Width) << C.Name;
  }
  EXPECT_EQ(Doc().SelectedBitmapLayer()->Bitmap()->GetPixel(0, 0), 0xFF0000AAu);
}

TEST_F(TClipboardWindowFixture, HugeOrDamagedClipboardPicturesAreRefused) {
  MakeCard();
  QByteArray Huge = PngBytes(1, 1, 0xFFFFFFFF);
  // The header says 60000 x 60000: refused before anything is decoded.
  const char Size[8] = {0, 0, char(0xEA), 0x60, 0, 0, char(0xEA), 0x60};
  Huge.replace(16, 8, QByteArray(Size, 8));
  const QByteArray Damaged = PngBytes(30, 30, 0xFF00FF00).left(40);
  const std::pair<QByteArray, QString> Cases[] = {
      {Huge, QStringLiteral("слишком велика")}, {Damaged, QStringLiteral("Не удалось прочитать")}};
  for (const auto& [Bytes, Says] : Cases) {
    auto* D = new QMimeData;
    D->setData(QStringLiteral("image/png"), Bytes);
    PutOnClipboard(D);
    const int32_t Count = Doc().Layers().Count();
    Errors.clear();
    Form->Run([this] { Form->PasteClick(); });
    Form->Run([this] { Form->PasteAsNewClick(); });
    ASSERT_EQ(Errors.size(), 2);
    EXPECT_TRUE(Errors.first().contains(Says)) << Errors.first().toStdString();
    EXPECT_EQ(Doc().Layers().Count(), Count);
    EXPECT_EQ(Doc().Canvas().Width(), 120);
  }
}

TEST_F(TClipboardWindowFixture, PasteAsNewAsksToSaveAndReplacesTheCard) {
  MakeCard();
  QImage Picture(64, 48, QImage::Format_ARGB32);
  Picture.fill(0xFF204080);
  QGuiApplication::clipboard()->setImage(Picture);
  Doc().Modified = true;
  Form->Dialogs.AskSaveQuestion = [] { return QMessageBox::Cancel; };
  Form->Run([this] { Form->PasteAsNewClick(); });
  EXPECT_EQ(Doc().Canvas().Width(), 120) << "cancelled";
  Form->Dialogs.AskSaveQuestion = [] { return QMessageBox::No; };
  Form->Run([this] { Form->PasteAsNewClick(); });
  EXPECT_EQ(Doc().Canvas().Width(), 64);
  EXPECT_EQ(Doc().Canvas().Height(), 48);
  EXPECT_EQ(Doc().Canvas().GetPixel(5, 5), 0xFF204080u);
  EXPECT_EQ(Doc().Layers().Count(), 0);
  EXPECT_TRUE(FormChild<TSidePanelSection>(*Form, "ImageSection")->isVisible());
  EXPECT_FALSE(FormChild<TSidePanelSection>(*Form, "StartSection")->isVisible());
  EXPECT_TRUE(Form->CurrentSaveName().empty());
  EXPECT_TRUE(Form->Action(TMainAction::ToolSave)->isEnabled());
}

TEST_F(TClipboardWindowFixture, CropPanelCropsTheCanvasAndUndoPutsItBack) {
  TBitmapLayer* L = MakeCard();
  Form->Run([this] { Form->CropCanvasClick(); });
  auto* Area = dynamic_cast<TPositionedLayer*>(Doc().Selected());
  ASSERT_NE(Area, nullptr);
  ASSERT_EQ(Area->Tag, TagCropArea);
  Area->SetLocation({5, 5, 65, 25});
  FormChild<QComboBox>(*Form, "CropProportion")->setCurrentIndex(1);  // "Квадрат"
  EXPECT_EQ(Area->Location().Bottom, 65.0f);
  Form->Run([this] { Form->CropOkClick(); });
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  EXPECT_EQ(Doc().Canvas().Width(), 60);
  EXPECT_EQ(Doc().Canvas().Height(), 60);
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusSize")->text(), "60x60");
  EXPECT_FALSE(FormChild<TSidePanelSection>(*Form, "CropSection")->isVisible());
  EXPECT_EQ(L->Location(), (TSingleRect{5, 5, 25, 15}));
  EXPECT_TRUE(Form->Action(TMainAction::Undo)->isEnabled());
  Form->Run([this] { Form->UndoClick(); });
  EXPECT_EQ(Doc().Canvas().Width(), 120);
  EXPECT_EQ(L->Location(), (TSingleRect{10, 10, 30, 20}));

  // "Отмена" takes the area away and changes nothing else.
  Form->Run([this] { Form->CropCanvasClick(); });
  EXPECT_TRUE(FormChild<TSidePanelSection>(*Form, "CropSection")->isVisible());
  Form->Run([this] { Form->CropCancelClick(); });
  EXPECT_FALSE(FormChild<TSidePanelSection>(*Form, "CropSection")->isVisible());
  EXPECT_EQ(Doc().FindAreaLayer(), nullptr);
  EXPECT_EQ(Doc().Canvas().Width(), 120);
}

TEST_F(TClipboardWindowFixture, ActivatingTheWindowFreesTheCropProportions) {
  FormChild<QComboBox>(*Form, "CropProportion")->setCurrentIndex(3);
  QEvent Activation(QEvent::ActivationChange);
  Form->activateWindow();
  QCoreApplication::processEvents();
  if (!Form->isActiveWindow())
    GTEST_SKIP() << "the platform does not activate windows";
  QCoreApplication::sendEvent(Form.get(), &Activation);
  EXPECT_EQ(FormChild<QComboBox>(*Form, "CropProportion")->currentIndex(), 0);
}

TEST_F(TClipboardWindowFixture, SelectAllAndCutOfAFlatCard) {
  MakeCard();
  Form->Run([this] { Form->mnFlattenClick(); });
  Form->Run([this] { Form->SelectAllClick(); });
  ASSERT_NE(Doc().Selected(), nullptr);
  EXPECT_EQ(Doc().Selected()->Tag, TagSelectionArea);
  EXPECT_TRUE(Form->Action(TMainAction::Cut)->isEnabled());
  Form->Run([this] { Form->CutClick(); });
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(120, 80));
  EXPECT_EQ(Doc().Canvas().GetPixel(60, 40), 0x00FFFFFFu);
  Form->Run([this] { Form->UndoClick(); });
  EXPECT_EQ(Doc().Canvas().GetPixel(60, 40), 0xFF336699u);
}
