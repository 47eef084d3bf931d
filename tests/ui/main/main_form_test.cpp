#include "main_form.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMap>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <fstream>

#include "composition_panel.h"
#include "exceptions.h"
#include "export_dialogs.h"
#include "file_filters.h"
#include "full_preview.h"
#include "main_form_fixture.h"
#include "picture.h"
#include "qt_translation.h"
#include "settings_files.h"

namespace {

QStringList Captions(const QMenu* Menu) {
  QStringList L;
  for (const QAction* A : Menu->actions())
    if (!A->isSeparator())
      L << A->text();
  return L;
}

}  // namespace

TEST_F(TMainFormFixture, WindowHasItsMenusAndPanels) {
  Make();
  EXPECT_EQ(Form->windowTitle(), "Pelmora");
  QStringList Top;
  for (const QAction* A : Form->menuBar()->actions())
    if (A->isVisible())
      Top << A->text();
  EXPECT_EQ(Top, (QStringList{"Файл", "Правка", "Изображение", "Обработка", "Выделение", "Вид",
                              "Справка"}));
  EXPECT_EQ(Captions(Form->Menu(TMainAction::EditMenu)).mid(0, 2),
            (QStringList{"Отменить", "Повторить"}));
  EXPECT_FALSE(Form->Action(TMainAction::Undo)->isEnabled());
  EXPECT_EQ(Captions(Form->Menu(TMainAction::ArrangeMenu)),
            (QStringList{"Поместить вперёд", "Поместить назад", "Вверх на один уровень",
                         "Вниз на один уровень", "Повернуть", "Отразить", "Границы и контур",
                         "Прозрачный цвет", "Маска слоя", "Обрезать слой", "Снять маску",
                         "Клонировать", "Удалить"}));
  EXPECT_EQ(Captions(Form->Menu(TMainAction::HelpMenu)),
            (QStringList{"Справка", "Сайт программы", "Примеры открыток", "Техническая поддержка",
                         "О программе Pelmora"}));
  EXPECT_TRUE(Captions(Form->Menu(TMainAction::ViewMenu)).contains("Масштаб 100%"));
  EXPECT_EQ(Form->Action(TMainAction::FileNew)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
  EXPECT_EQ(FormChild<QWidget>(*Form, "SidePanel")->width(), 336);
  EXPECT_TRUE(FormChild<TSidePanelSection>(*Form, "StartSection")->isVisible());
  EXPECT_FALSE(FormChild<TSidePanelSection>(*Form, "ImageSection")->isVisible());
  EXPECT_FALSE(FormChild<TSidePanelSection>(*Form, "CompositionSection")->isVisible());
  EXPECT_FALSE(FormChild<TSidePanelSection>(*Form, "LayerSection")->isVisible());
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusText")->text(),
            "Масштаб изображения регулируется колесом прокрутки");
  QStringList Tabs;
  for (int I = 0; I < Form->CompositionPanel()->count(); ++I)
    Tabs << Form->CompositionPanel()->tabText(I);
  EXPECT_EQ(Tabs, (QStringList{"Фон", "Подложка", "Украшения", "Поздравления"}));
}

// Tests and the window find each action by its id and by the id's name; no key runs two.
TEST_F(TMainFormFixture, EveryActionIsFoundByItsNameAndNoKeyRunsTwo) {
  Make();
  QMap<QString, QString> KeyOwner;
  for (const TMainActionRow& Row : TMainForm::ActionRows()) {
    QAction* A = Form->Action(Row.Id);
    ASSERT_NE(A, nullptr) << Row.Name;
    EXPECT_EQ(Form->findChild<QAction*>(QString::fromUtf8(Row.Name)), A) << Row.Name;
    for (const QKeySequence& Key : A->shortcuts()) {
      EXPECT_FALSE(KeyOwner.contains(Key.toString()))
          << Key.toString().toStdString() << ": " << Row.Name << " and "
          << KeyOwner.value(Key.toString()).toStdString();
      KeyOwner[Key.toString()] = QString::fromUtf8(Row.Name);
    }
  }
  EXPECT_EQ(KeyOwner.value("Ctrl+Z"), "Undo");
}

TEST_F(TMainFormFixture, MenuRefreshFollowsTheDocument) {
  Make();
  Form->UpdateActions();
  for (QAction* A : Form->Menu(TMainAction::ImageMenu)->actions())
    EXPECT_FALSE(A->isEnabled()) << A->text().toStdString();
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  Form->UpdateActions();
  Form->UpdateActions();
  EXPECT_TRUE(Form->Action(TMainAction::AddPhoto)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::Flatten)->isEnabled());
  // An area layer selected: the effects menu goes off.
  TPositionedLayer* Area = Form->Document().CreatePositionedLayer();
  Area->Tag = TagSelectionArea;
  Form->Document().SetSelection(Area);
  Form->UpdateActions();
  EXPECT_FALSE(Form->Action(TMainAction::Flatten)->isEnabled());
  EXPECT_EQ(FormChild<QLabel>(*Form, "StatusSize")->text(), "300x200");
  EXPECT_TRUE(FormChild<TSidePanelSection>(*Form, "ImageSection")->isVisible());
}

TEST_F(TMainFormFixture, SettingsFilesRoundTrip) {
  {
    std::ofstream(QDir(Dir.path()).filePath("View.kvp").toStdString()) << "clSilver";
    TFormSettings S{0, 40, 50, 700, 500, 1};
    WriteFormSettings(QDir(Dir.path()).filePath("CForm.kvp").toStdString(), S);
  }
  Make();
  EXPECT_EQ(Form->BufColor(), 0xC0C0C0);
  EXPECT_FALSE(Form->Action(TMainAction::Checkerboard)->isChecked());
  EXPECT_LT(FormChild<QWidget>(*Form, "SidePanel")->x(),
            Form->ImgView()->x());  // the side panel is on the left
  Form->Action(TMainAction::Checkerboard)->setChecked(true);
  Form->close();
  std::ifstream F(QDir(Dir.path()).filePath("View.kvp").toStdString());
  std::string Text((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  EXPECT_EQ(Text, "CHESS");
  const auto R = ReadFormSettings(QDir(Dir.path()).filePath("CForm.kvp").toStdString());
  ASSERT_TRUE(R.has_value());
  EXPECT_EQ(R->PanelSide, 1);
  EXPECT_EQ(R->WindowState, 0);
}

TEST_F(TMainFormFixture, GeneralErrorReportShowsTheTextAndGoesOn) {
  Make();
  Form->Run([] { throw Exception("Something broke"); });
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_EQ(Errors[0], "Something broke");
  // A picture that cannot be read: the message, and the card is unchanged.
  Form->Document().NewCanvas(100, 100, 0xFFFFFFFF);
  const int Count = Form->Document().Layers().Count();
  Form->Run([this] { Form->AddPhotoFromFile(QDir(Dir.path()).filePath("missing.bmp")); });
  EXPECT_EQ(Errors.size(), 2);
  EXPECT_EQ(Form->Document().Layers().Count(), Count);
}

TEST_F(TMainFormFixture, AddedPhotoIsSelectedWithTheLayerPanel) {
  Make();
  Form->Document().NewCanvas(400, 300, 0xFFFFFFFF);
  TBitmap32 B;
  B.SetSize(60, 40);
  B.Clear(0xFF336699);
  const QString Name = QDir(Dir.path()).filePath("photo.bmp");
  B.SaveToFile(Name.toStdString());
  Form->Run([&] { Form->AddPhotoFromFile(Name); });
  EXPECT_TRUE(Errors.isEmpty());
  ASSERT_NE(Form->Document().SelectedBitmapLayer(), nullptr);
  EXPECT_TRUE(FormChild<TSidePanelSection>(*Form, "LayerSection")->isVisible());
  EXPECT_EQ(FormChild<QSlider>(*Form, "LayerOpacity")->value(), 255);
  FormChild<QSlider>(*Form, "LayerOpacity")->setValue(100);
  EXPECT_EQ(Form->Document().SelectedBitmapLayer()->Bitmap()->MasterAlpha(), 100u);
}

TEST_F(TMainFormFixture, ZoomKeepsModifiedAndFitsTheWindow) {
  Make();
  Form->Document().NewCanvas(1000, 500, 0xFFFFFFFF);
  Form->Document().Modified = false;
  Form->ImgView()->resize(600, 600);
  Form->FitInWindowClick();
  EXPECT_NEAR(Form->ImgView()->View().Scale(), 0.6 / 1.1, 1e-5);
  EXPECT_EQ(FormChild<QComboBox>(*Form, "ScaleCombo")->currentText(), "55%");
  Form->ActualSizeClick();
  EXPECT_FLOAT_EQ(Form->ImgView()->View().Scale(), 1);
  FormChild<QComboBox>(*Form, "ScaleCombo")->setCurrentText(" 2 00 %");
  Form->ScaleComboChange();
  EXPECT_FLOAT_EQ(Form->ImgView()->View().Scale(), 2);
  FormChild<QComboBox>(*Form, "ScaleCombo")->setCurrentText("5000%");
  Form->ScaleComboChange();
  EXPECT_EQ(FormChild<QComboBox>(*Form, "ScaleCombo")->currentText(), "200%");
  EXPECT_FALSE(Form->Document().Modified);
}

TEST_F(TMainFormFixture, EditorBackgroundCheckerboard) {
  Make();
  Form->Action(TMainAction::Checkerboard)->setChecked(true);
  TImgView32& View = Form->ImgView()->View();
  View.Invalidate();
  TBitmap32& Buffer = View.BeginPaint();
  View.EndPaint();
  EXPECT_EQ(Buffer.GetPixel(0, 0), 0x1FB0B0B0u);
  EXPECT_EQ(Buffer.GetPixel(8, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Buffer.GetPixel(8, 8), 0x1FB0B0B0u);
}

namespace {

void Mouse(QWidget* W, QEvent::Type Type, QPoint P, Qt::MouseButton Button,
           Qt::MouseButtons Buttons, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  QMouseEvent E(Type, QPointF(P), W->mapToGlobal(QPointF(P)), Button, Buttons, Mods);
  QApplication::sendEvent(W, &E);
}

void Drag(QWidget* W, QPoint From, QPoint To, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  Mouse(W, QEvent::MouseButtonPress, From, Qt::LeftButton, Qt::LeftButton, Mods);
  Mouse(W, QEvent::MouseMove, (From + To) / 2, Qt::NoButton, Qt::LeftButton, Mods);
  Mouse(W, QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton, Mods);
  Mouse(W, QEvent::MouseButtonRelease, To, Qt::LeftButton, Qt::NoButton, Mods);
}

}  // namespace

TEST_F(TMainFormFixture, LayerEditingWithTheMouse) {
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(400, 300, 0xFFFFFFFF);
  TImgView32& View = Form->ImgView()->View();
  View.SetScale(1);
  TBitmap32 Pic;
  Pic.SetSize(100, 50);
  Pic.Clear(0xFF00AA00);
  TBitmapLayer* A = Doc.AddPictureLayer(Pic, 255);
  A->SetLocation({20, 20, 120, 70});
  TBitmapLayer* B = Doc.AddPictureLayer(Pic, 255);
  B->SetLocation({200, 150, 300, 200});
  Doc.SetSelection(nullptr);
  QWidget* W = Form->ImgView();
  const auto At = [&](float X, float Y) { return View.BitmapToControl({int(X), int(Y)}); };
  const auto Q = [](TPoint P) { return QPoint(P.X, P.Y); };

  // Click a layer: it is selected.
  Mouse(W, QEvent::MouseButtonPress, Q(At(50, 40)), Qt::LeftButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseButtonRelease, Q(At(50, 40)), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Doc.Selected(), A);
  EXPECT_TRUE(FormChild<TSidePanelSection>(*Form, "LayerSection")->isVisible());

  // Drag inside the frame: it moves by the same amount.
  Drag(W, Q(At(50, 40)), Q(At(80, 60)));
  EXPECT_EQ(A->Location(), (TSingleRect{50, 40, 150, 90}));

  // Drag the bottom-right corner with kept proportions: the height follows the width.
  Drag(W, Q(At(149, 89)), Q(At(200, 150)));
  EXPECT_FLOAT_EQ(A->Location().Right, 200);
  EXPECT_FLOAT_EQ(A->Location().Bottom - A->Location().Top, 75);
  // Without kept proportions the corner goes where the mouse goes.
  FormChild<QCheckBox>(*Form, "KeepProportions")->setChecked(false);
  const TSingleRect R = A->Location();
  Drag(W, Q(At(R.Right - 1, R.Bottom - 1)), Q(At(R.Right + 10, R.Bottom + 20)));
  EXPECT_FLOAT_EQ(A->Location().Right, R.Right + 10);
  EXPECT_FLOAT_EQ(A->Location().Bottom, R.Bottom + 20);

  // Ctrl-drag of the right side handle resizes symmetrically about the centre.
  A->SetLocation({50, 40, 150, 90});
  Form->Document().SetSelection(nullptr);
  Form->Document().SetSelection(A);
  Drag(W, Q(At(149, 65)), Q(At(170, 65)), Qt::ControlModifier);
  EXPECT_FLOAT_EQ(A->Location().Left, 30);
  EXPECT_FLOAT_EQ(A->Location().Right, 170);

  // Click on empty canvas: nothing is selected.
  Mouse(W, QEvent::MouseButtonPress, Q(At(390, 10)), Qt::LeftButton, Qt::LeftButton);
  Mouse(W, QEvent::MouseButtonRelease, Q(At(390, 10)), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Doc.Selected(), nullptr);
  EXPECT_FALSE(FormChild<TSidePanelSection>(*Form, "LayerSection")->isVisible());
}

TEST_F(TMainFormFixture, UndoRedoItemsFollowTheRecords) {
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(100, 100, 0xFFFFFFFF);
  TBitmap32 Pic;
  Pic.SetSize(20, 10);
  TBitmapLayer* L = Doc.AddPictureLayer(Pic, 255);
  Form->RotateRightClick();
  Form->UpdateActions();
  EXPECT_TRUE(Form->Action(TMainAction::Undo)->isEnabled());
  EXPECT_FALSE(Form->Action(TMainAction::Redo)->isEnabled());
  EXPECT_EQ(L->Bitmap()->Width(), 10);
  Form->UndoClick();
  EXPECT_EQ(L->Bitmap()->Width(), 20);
  EXPECT_FALSE(Form->Action(TMainAction::Undo)->isEnabled());
  EXPECT_TRUE(Form->Action(TMainAction::Redo)->isEnabled());
  Form->UpdateActions();
  EXPECT_TRUE(Form->Action(TMainAction::ArrangeDelete)->isEnabled());
  Form->mnDeleteClick();
  EXPECT_EQ(Doc.Selected(), nullptr);
  EXPECT_FALSE(
      Form->Action(TMainAction::Redo)->isEnabled());  // the redo target was the deleted layer
}

TEST_F(TMainFormFixture, OpenSaveAndTheRecentList) {
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(120, 80, 0xFF204060);
  TBitmap32 Pic;
  Pic.SetSize(10, 10);
  Pic.Clear(0xFFFF0000);
  Doc.AddPictureLayer(Pic, 200);
  const std::string Typed = QDir(Dir.path()).filePath("card").toStdString();
  Form->Dialogs.AskSaveName = [&](std::string& Name, TSaveFormat& Format) {
    Name = Typed;
    Format = TSaveFormat::Project;
    return true;
  };
  Form->SaveAsClick();
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_FALSE(Doc.Modified);
  EXPECT_EQ(Form->CurrentSaveName(), Typed + ".kvt");
  EXPECT_TRUE(Form->Recent().IsRecent(Typed + ".kvt"));

  // A cancelled save keeps the card modified, so closing still asks.
  Doc.Canvas().Clear(0xFF000000);
  Form->Dialogs.AskSaveName = [](std::string&, TSaveFormat&) { return false; };
  Form->SaveAsClick();
  EXPECT_TRUE(Doc.Modified);
  int Asked = 0;
  Form->Dialogs.AskSaveQuestion = [&] {
    ++Asked;
    return QMessageBox::Cancel;
  };
  EXPECT_FALSE(Form->AskToSave());
  EXPECT_EQ(Asked, 1);

  // Opening the project brings the layer back, selected, with a clean Modified flag.
  Form->Dialogs.AskSaveQuestion = [] { return QMessageBox::No; };
  Form->OpenRecent(0);
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), 0xFF204060u);
  ASSERT_NE(Doc.SelectedBitmapLayer(), nullptr);
  EXPECT_EQ(Doc.SelectedBitmapLayer()->Bitmap()->MasterAlpha(), 200u);
  EXPECT_FALSE(Doc.Modified);
  EXPECT_FALSE(FormChild<TSidePanelSection>(*Form, "StartSection")->isVisible());

  // A damaged file: the message, and the open card stays.
  const QString Bad = QDir(Dir.path()).filePath("bad.kvt");
  std::ofstream(Bad.toStdString()) << "definitely not a project";
  Form->Run([&] { Form->OpenFile(Bad.toStdString()); });
  EXPECT_EQ(Errors.size(), 1);
  EXPECT_EQ(Doc.Canvas().Width(), 120);
  EXPECT_NE(Doc.SelectedBitmapLayer(), nullptr);
}

TEST_F(TMainFormFixture, FullScreenPreviewShowsTheFlatCardUntilEscape) {
  Make();
  Form->Document().NewCanvas(64, 48, 0xFF102030);
  int Width = 0;
  TColor32 Pixel = 0;
  QTimer::singleShot(50, [&] {
    auto* Full = Form->findChild<TFull*>();
    if (Full == nullptr || !Full->isVisible())
      return;
    QWidget* Modal = Full;
    Width = Full->Image321().Bitmap().Width();
    Pixel = Full->Image321().Bitmap().GetPixel(5, 5);
    QKeyEvent Esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(Modal, &Esc);
  });
  Form->FullPreviewClick();
  EXPECT_EQ(Width, 64);
  EXPECT_EQ(Pixel, 0xFF102030u);
}

TEST_F(TMainFormFixture, FailedSaveOnCloseKeepsTheWindowAndTheCard) {
  Make();
  TCardDocument& Doc = Form->Document();
  // The name typed for the save lies in a folder that does not exist: the save fails.
  Form->Dialogs.AskSaveName = [&](std::string& Typed, TSaveFormat& Format) {
    Typed = QDir(Dir.path()).filePath("gone/card").toStdString();
    Format = TSaveFormat::Project;
    return true;
  };
  Doc.NewCanvas(50, 40, 0xFF336699);
  Doc.Modified = true;
  Form->Dialogs.AskSaveQuestion = [] { return QMessageBox::Yes; };
  EXPECT_FALSE(Form->close());
  EXPECT_TRUE(Form->isVisible());
  ASSERT_EQ(Errors.size(), 1);
  ASSERT_EQ(Doc.Canvas().Width(), 50);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), 0xFF336699u);
  EXPECT_TRUE(Doc.Modified);
  // Answering "No" then closes.
  Form->Dialogs.AskSaveQuestion = [] { return QMessageBox::No; };
  EXPECT_TRUE(Form->close());
}

TEST_F(TMainFormFixture, JpegDialogStaysAfterAFailedWrite) {
  Make();
  Form->Document().NewCanvas(20, 10, 0xFF808080);
  int Shown = 0;
  // The first "Сохранить" writes into a missing folder; the dialog comes back and is closed.
  std::function<void()> Answer = [&] {
    auto* Dialog = Form->findChild<TCompress*>();
    if (Dialog == nullptr || !Dialog->isVisible()) {
      QTimer::singleShot(20, Answer);
      return;
    }
    if (++Shown == 1) {
      Dialog->accept();
      QTimer::singleShot(20, Answer);
    } else {
      Dialog->reject();
    }
  };
  QTimer::singleShot(20, Answer);
  EXPECT_FALSE(
      Form->SaveAsTo(TSaveFormat::Jpeg, QDir(Dir.path()).filePath("gone/card").toStdString()));
  EXPECT_EQ(Shown, 2);
  EXPECT_EQ(Errors.size(), 1);
  EXPECT_TRUE(Form->Document().Modified);
}

TEST_F(TMainFormFixture, FlatImageCarriesNoEditorBackground) {
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(16, 16, 0x80FF0000);  // half-transparent red
  Doc.Canvas().SetDrawMode(dmBlend);
  for (const bool Chess : {false, true}) {
    Form->Action(TMainAction::Checkerboard)->setChecked(Chess);
    Form->SetBufColor(0x00FF00);  // a green editor background
    TImgView32& View = Form->ImgView()->View();
    View.Invalidate();
    View.BeginPaint();
    View.EndPaint();
    const std::unique_ptr<TBitmap32> Flat = Doc.RenderFlatImage();
    for (int32_t Y = 0; Y < 16; ++Y)
      for (int32_t X = 0; X < 16; ++X) {
        const TColor32 P = Flat->GetPixel(X, Y);
        ASSERT_EQ((P >> 8) & 0xFF, 0u) << "green at " << X << "," << Y << " chess " << Chess;
        ASSERT_NE(P & 0xFFFFFF, 0xB0B0B0u) << "grey at " << X << "," << Y;
        ASSERT_NE(P, 0xFFFFFFFFu) << "white at " << X << "," << Y;
      }
  }
}

TEST_F(TMainFormFixture, NewCardOverThePixelLimitChangesNothing) {
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(30, 20, 0xFF112233);
  TBitmap32 Pic;
  Pic.SetSize(4, 4);
  Doc.AddPictureLayer(Pic, 255);
  Doc.Modified = false;
  const int Layers = Doc.Layers().Count();
  Form->Dialogs.AskNewSize = [](int& W, int& H) {
    W = 20000;
    H = 20000;
    return true;
  };
  Form->Run([this] { Form->mnFileNewClick(); });
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_TRUE(Errors[0].contains(QStringLiteral("слишком велика"))) << Errors[0].toStdString();
  EXPECT_EQ(Doc.Canvas().Width(), 30);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(Doc.Layers().Count(), Layers);
  // A size that fits makes the new card.
  Form->Dialogs.AskNewSize = [](int& W, int& H) {
    W = 64;
    H = 48;
    return true;
  };
  Form->Run([this] { Form->mnFileNewClick(); });
  EXPECT_EQ(Errors.size(), 1);
  EXPECT_EQ(Doc.Canvas().Width(), 64);
  EXPECT_EQ(Doc.Layers().Count(), 0);
}

TEST_F(TMainFormFixture, ErrorInALayerMouseHandlerIsReported) {
  Make();
  TCardDocument& Doc = Form->Document();
  Doc.NewCanvas(200, 100, 0xFFFFFFFF);
  TBitmap32 Pic;
  Pic.SetSize(50, 50);
  TBitmapLayer* L = Doc.AddPictureLayer(Pic, 255);
  Doc.SetSelection(nullptr);
  L->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int32_t, int32_t) {
    throw Exception("Слой не отвечает");
  };
  TImgView32& View = Form->ImgView()->View();
  const TPoint C = View.BitmapToControl({100, 50});
  QWidget* W = Form->ImgView();
  QMouseEvent Press(QEvent::MouseButtonPress, QPointF(C.X, C.Y), W->mapToGlobal(QPointF(C.X, C.Y)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(W, &Press);
  QMouseEvent Release(QEvent::MouseButtonRelease, QPointF(C.X, C.Y),
                      W->mapToGlobal(QPointF(C.X, C.Y)), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(W, &Release);
  EXPECT_EQ(Errors, QStringList{"Слой не отвечает"});
}

TEST_F(TMainFormFixture, TitleShowsTheFileNameAndTheModifiedMark) {
  Make();
  EXPECT_EQ(Form->windowTitle(), "Pelmora");
  TCardDocument& Doc = Form->Document();
  Form->Dialogs.AskNewSize = [](int& W, int& H) {
    W = 40;
    H = 30;
    return true;
  };
  Form->Run([this] { Form->mnFileNewClick(); });
  EXPECT_EQ(Form->windowTitle(), "Без имени* — Pelmora");
  Form->Dialogs.AskSaveName = [this](std::string& Typed, TSaveFormat& Format) {
    Typed = QDir(Dir.path()).filePath("открытка").toStdString();
    Format = TSaveFormat::Project;
    return true;
  };
  Form->Run([this] { Form->SaveAsClick(); });
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
  EXPECT_EQ(Form->windowTitle(), "открытка.kvt — Pelmora");
  Doc.Canvas().Clear(0xFF000000);  // a change the view reports
  EXPECT_EQ(Form->windowTitle(), "открытка.kvt* — Pelmora");
}

TEST_F(TMainFormFixture, FiltersNameTheProductInRussian) {
  const QString All = OpenDocumentFilter() + OpenLayerFilter() + SaveFilters().join(";;");
  for (const char* English : {"Image", "Bitmaps", "formats", "roject", "Icons", "Metafiles"})
    EXPECT_FALSE(All.contains(QLatin1String(English))) << English;
  EXPECT_TRUE(OpenDocumentFilter().startsWith("Все поддерживаемые форматы"));
  EXPECT_TRUE(OpenDocumentFilter().contains("Проект Pelmora (*.kvt)"));
  EXPECT_EQ(SaveFilter(TSaveFormat::Project), "Проект Pelmora (*.kvt)");
  EXPECT_EQ(SaveFormatOfFilter(SaveFilter(TSaveFormat::Png)), TSaveFormat::Png);
  EXPECT_EQ(SaveFormatOfFilter("anything"), std::nullopt);
}

TEST_F(TMainFormFixture, QtDialogsSpeakRussian) {
  ASSERT_TRUE(InstallQtTranslation(*QCoreApplication::instance()))
      << "qt6-translations-l10n is not installed";
  QMessageBox Box(QMessageBox::Question, "Pelmora", "?", QMessageBox::Yes | QMessageBox::Cancel);
  const QString Cancel = Box.button(QMessageBox::Cancel)->text().remove('&');
  EXPECT_NE(Cancel, "Cancel");
  EXPECT_EQ(Cancel, QStringLiteral("Отмена"));
}

TEST_F(TMainFormFixture, FirstStartTakesMostOfTheScreen) {
  Form = std::make_unique<TMainForm>(Dir.path());
  const QRect A = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_GE(Form->width(), A.width() * 85 / 100 - 1);
  EXPECT_GE(Form->height(), A.height() * 85 / 100 - 1);
  EXPECT_LE(std::abs(Form->geometry().center().x() - A.center().x()), 2);
}

TEST_F(TMainFormFixture, FitInWindowHidesTheScrollBars) {
  Make();
  Form->Document().NewCanvas(3000, 2000, 0xFFFFFFFF);
  Form->ActualSizeClick();
  ImgViewWidget* V = Form->ImgView();
  EXPECT_TRUE(V->HorizontalBar()->isVisibleTo(V));
  Form->FitInWindowClick();
  EXPECT_FALSE(V->HorizontalBar()->isVisibleTo(V));
  EXPECT_FALSE(V->VerticalBar()->isVisibleTo(V));
}

TEST(PelmoraExecutable, OpensThePictureNamedOnTheCommandLine) {
  QTemporaryDir Dir;
  const QString Sub = QDir(Dir.path()).filePath("my cards");
  QDir().mkpath(Sub);
  TBitmap32 Pic;
  Pic.SetSize(30, 20);
  Pic.Clear(0xFF00FF00);
  Pic.SaveToFile(QDir(Sub).filePath("green card.bmp").toStdString());
  QProcess P;
  QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
  Env.insert("QT_QPA_PLATFORM", "offscreen");
  Env.insert("PELMORA_CLOSE_AFTER_MS", "300");
  P.setProcessEnvironment(Env);
  // An unquoted path with a space arrives as two arguments.
  P.start(QStringLiteral(PELMORA_EXECUTABLE),
          QStringList{QDir(Dir.path()).filePath("my"), QStringLiteral("cards/green card.bmp")});
  ASSERT_TRUE(P.waitForFinished(60000));
  EXPECT_EQ(P.exitCode(), 0) << P.readAllStandardError().toStdString();
}

TEST(PelmoraExecutable, StartsAndClosesHeadless) {
  QProcess P;
  QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
  Env.insert("QT_QPA_PLATFORM", "offscreen");
  Env.insert("PELMORA_CLOSE_AFTER_MS", "300");
  P.setProcessEnvironment(Env);
  P.start(QStringLiteral(PELMORA_EXECUTABLE), QStringList{});
  ASSERT_TRUE(P.waitForFinished(60000));
  EXPECT_EQ(P.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(P.exitCode(), 0) << P.readAllStandardError().toStdString();
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Recovery copies and user settings of this run (and of the editors it starts) stay in a
  // folder of its own, away from the user's.
  QTemporaryDir UserDirs;
  if (!qEnvironmentVariableIsSet("PELMORA_RECOVERY_VICTIM")) {
    qputenv("XDG_DATA_HOME", QDir(UserDirs.path()).filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", QDir(UserDirs.path()).filePath("config").toUtf8());
  }
  QApplication App(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Every dialog the window owns labels its buttons in Russian: "ОК" and "Отмена", never the
// Latin "OK" and "Cancel" (nor any other button caption in Latin letters alone).
TEST_F(TMainFormFixture, EveryDialogButtonIsRussian) {
  Make();
  const QList<QDialog*> Dialogs = Form->findChildren<QDialog*>();
  ASSERT_GE(Dialogs.size(), 10);
  for (const QDialog* D : Dialogs)
    for (const QAbstractButton* B : D->findChildren<QAbstractButton*>()) {
      const QString Text = B->text().remove('&').trimmed();
      const bool Latin = !Text.isEmpty() && std::all_of(Text.begin(), Text.end(), [](QChar C) {
        return C.unicode() < 128;
      }) && std::any_of(Text.begin(), Text.end(), [](QChar C) { return C.isLetter(); });
      EXPECT_FALSE(Latin) << D->metaObject()->className() << " \"" << D->windowTitle().toStdString()
                          << "\": " << Text.toStdString();
    }
}
