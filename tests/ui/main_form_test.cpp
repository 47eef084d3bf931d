#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <fstream>

#include "exceptions.h"
#include "main_form.h"
#include "settings_files.h"

namespace {

QStringList Captions(const QMenu* Menu) {
  QStringList L;
  for (const QAction* A : Menu->actions())
    if (!A->isSeparator()) L << A->text();
  return L;
}

struct TMainFormFixture : ::testing::Test {
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  QStringList Errors;

  void Make() {
    Form = std::make_unique<TMainForm>(Dir.path());
    Form->ShowError = [this](const QString& T) { Errors << T; };
    Form->OpenUrl = [](const QUrl&) {};
    Form->resize(1000, 700);
    Form->show();
  }
  void SetUp() override { ASSERT_TRUE(Dir.isValid()); }
};

}  // namespace

TEST_F(TMainFormFixture, WindowHasItsMenusAndPanels) {
  Make();
  EXPECT_EQ(Form->windowTitle(), "Pelmora");
  QStringList Top;
  for (const QAction* A : Form->menuBar()->actions())
    if (A->isVisible()) Top << A->text();
  EXPECT_EQ(Top, (QStringList{"Файл", "Изображение", "Обработка", "Вид", "Справка"}));
  EXPECT_EQ(Captions(Form->mnHelp),
            (QStringList{"Справка", "Сайт программы", "Примеры открыток",
                         "Техническая поддержка", "О программе Pelmora"}));
  EXPECT_TRUE(Captions(Form->mnView).contains("Масштаб 100%"));
  EXPECT_EQ(Form->mnFileNew->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
  EXPECT_EQ(Form->SidePanel->width(), 336);
  EXPECT_TRUE(Form->Start->isVisible());
  EXPECT_FALSE(Form->pnlImage->isVisible());
  EXPECT_FALSE(Form->Panel1->isVisible());
  EXPECT_FALSE(Form->pnlBitmapLayer->isVisible());
  EXPECT_EQ(Form->StatusPanel1->text(), "Масштаб изображения регулируется колесом прокрутки");
  QStringList Tabs;
  for (int I = 0; I < Form->PageControl1->count(); ++I) Tabs << Form->PageControl1->tabText(I);
  EXPECT_EQ(Tabs, (QStringList{"Фон", "Подложка", "Украшения", "Поздравления"}));
}

TEST_F(TMainFormFixture, MenuRefreshFollowsTheDocument) {
  Make();
  Form->N8Click();
  for (QAction* A : Form->mnImage->actions()) EXPECT_FALSE(A->isEnabled()) << A->text().toStdString();
  Form->Document().NewCanvas(300, 200, 0xFFFFFFFF);
  Form->N8Click();
  Form->N40Click();
  EXPECT_TRUE(Form->N96->isEnabled());
  EXPECT_TRUE(Form->N120->isEnabled());
  // An area layer selected: the effects menu goes off.
  TPositionedLayer* Area = Form->Document().CreatePositionedLayer();
  Area->Tag = TagSelectionArea;
  Form->Document().SetSelection(Area);
  Form->N40Click();
  EXPECT_FALSE(Form->N120->isEnabled());
  EXPECT_EQ(Form->StatusPanel2->text(), "300x200");
  EXPECT_TRUE(Form->pnlImage->isVisible());
}

TEST_F(TMainFormFixture, SettingsFilesRoundTrip) {
  {
    std::ofstream(QDir(Dir.path()).filePath("View.kvp").toStdString()) << "clSilver";
    TFormSettings S{0, 40, 50, 700, 500, 1};
    WriteFormSettings(QDir(Dir.path()).filePath("CForm.kvp").toStdString(), S);
  }
  Make();
  EXPECT_EQ(Form->BufColor, 0xC0C0C0);
  EXPECT_FALSE(Form->N103->isChecked());
  EXPECT_LT(Form->SidePanel->x(), Form->ImgView()->x());  // the side panel is on the left
  Form->N103->setChecked(true);
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
  EXPECT_TRUE(Form->pnlBitmapLayer->isVisible());
  EXPECT_EQ(Form->LayerOpacity->value(), 255);
  Form->LayerOpacity->setValue(100);
  EXPECT_EQ(Form->Document().SelectedBitmapLayer()->Bitmap()->MasterAlpha(), 100u);
}

TEST_F(TMainFormFixture, ZoomKeepsModifiedAndFitsTheWindow) {
  Make();
  Form->Document().NewCanvas(1000, 500, 0xFFFFFFFF);
  Form->Document().Modified = false;
  Form->ImgView()->resize(600, 600);
  Form->N35Click();
  EXPECT_NEAR(Form->ImgView()->View().Scale(), 0.6 / 1.1, 1e-5);
  EXPECT_EQ(Form->ScaleCombo->currentText(), "55%");
  Form->N36Click();
  EXPECT_FLOAT_EQ(Form->ImgView()->View().Scale(), 1);
  Form->ScaleCombo->setCurrentText(" 2 00 %");
  Form->ScaleComboChange();
  EXPECT_FLOAT_EQ(Form->ImgView()->View().Scale(), 2);
  Form->ScaleCombo->setCurrentText("5000%");
  Form->ScaleComboChange();
  EXPECT_EQ(Form->ScaleCombo->currentText(), "200%");
  EXPECT_FALSE(Form->Document().Modified);
}

TEST_F(TMainFormFixture, EditorBackgroundCheckerboard) {
  Make();
  Form->N103->setChecked(true);
  TImgView32& View = Form->ImgView()->View();
  View.Invalidate();
  TBitmap32& Buffer = View.BeginPaint();
  View.EndPaint();
  EXPECT_EQ(Buffer.GetPixel(0, 0), 0x1FB0B0B0u);
  EXPECT_EQ(Buffer.GetPixel(8, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Buffer.GetPixel(8, 8), 0x1FB0B0B0u);
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
  QApplication App(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
