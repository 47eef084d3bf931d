// Every dialog of the program fits a small screen with room left for a panel and a title bar,
// and is wide enough for its title. The screen is given as PELMORA_TEST_SCREEN ("1024x600",
// "1366x768"); the run makes Qt's offscreen platform a screen of that size.
#include "window_fit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <set>

#include "main_form.h"
#include "ui_driving.h"

namespace {

QSize TestScreen() {
  const QStringList Sides = qEnvironmentVariable("PELMORA_TEST_SCREEN", "1024x600").split('x');
  return Sides.size() == 2 ? QSize(Sides[0].toInt(), Sides[1].toInt()) : QSize(1024, 600);
}

// What a dialog may take of the screen: the screen less a panel and the window's title bar
// (1000 x 560 on a 1024 x 600 screen).
QSize DialogLimit() {
  return TestScreen() - QSize(24, 40);
}

bool Fits(const QSize& S) {
  return S.width() <= DialogLimit().width() && S.height() <= DialogLimit().height();
}

std::string Text(const QSize& S) {
  return std::to_string(S.width()) + " x " + std::to_string(S.height());
}

// Every dialog class of the program: ui/effects, ui/tools and the main window's own.
const std::set<QString> DialogClasses = {
    "TEffect", "TDeFoc",  "TSprayWin", "TPosta",    "TWaves",   "TMarb",     "TSbor",
    "TRaiser", "TRasm",   "TBrid",     "TGamma",    "TBrowser", "TPovor",    "TEButos",
    "TSTC",    "TTextur", "TProGeomo", "TKVTPrint", "TTexter",  "TCropLa",   "TTemplates",
    "TMaski",  "TAlbum",  "TFrama",    "TCompress", "TGifType", "TAboutKVT", "TFull"};

TEST(WindowFit, TheOffscreenScreenHasTheTestedSize) {
  ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
  EXPECT_EQ(QGuiApplication::primaryScreen()->availableGeometry().size(), TestScreen());
}

TEST(WindowFit, EveryDialogFitsTheScreenAndItsTitle) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  TMainForm Form(Dir.path());
  QStringList Errors;
  Form.Dialogs.ShowError = [&Errors](const QString& T) { Errors << T; };
  Form.resize(TestScreen() - QSize(24, 40));
  Form.show();
  QApplication::processEvents();
  std::set<QString> Seen;
  for (QWidget* W : Form.findChildren<QWidget*>()) {
    const QString Name = QString::fromLatin1(W->metaObject()->className());
    if (!W->isWindow() || DialogClasses.count(Name) == 0)
      continue;
    Seen.insert(Name);
    SCOPED_TRACE(Name.toStdString() + " «" + W->windowTitle().toStdString() + "»");
    // The full-screen preview takes the whole screen by design.
    if (Name == "TFull")
      continue;
    EXPECT_TRUE(Fits(W->minimumSize())) << "minimum " << Text(W->minimumSize());
    EXPECT_TRUE(Fits(W->minimumSizeHint())) << "minimum hint " << Text(W->minimumSizeHint());
    W->adjustSize();
    EXPECT_TRUE(Fits(W->size())) << "adjusted " << Text(W->size());
    // Shown as the program shows it: the main window's placing may give it a size of its own.
    auto* D = qobject_cast<QDialog*>(W);
    if (D != nullptr)
      D->setModal(false);
    W->show();
    RunEvents(20);
    EXPECT_TRUE(Fits(W->size())) << "shown " << Text(W->size());
    const QSize Frame = W->frameGeometry().size();
    EXPECT_TRUE(Frame.width() <= TestScreen().width() && Frame.height() <= TestScreen().height())
        << "frame " << Text(Frame);
    EXPECT_GE(W->width(), std::min(TitleFitWidth(*W), DialogLimit().width()))
        << "«" << ShownTitle(*W).toStdString() << "» is " << TitleFitWidth(*W) - TitleButtonsWidth
        << " pixels wide";
    if (D != nullptr)
      D->reject();
    else
      W->hide();
    RunEvents(5);
  }
  EXPECT_EQ(Seen, DialogClasses);
}

}  // namespace

int main(int argc, char** argv) {
  // An offscreen screen of the tested size, described in a file of its own.
  QTemporaryDir Settings;
  const QSize Screen = TestScreen();
  QFile Config(QDir(Settings.path()).filePath("screen.json"));
  if (!Config.open(QIODevice::WriteOnly))
    return 1;
  Config.write(QStringLiteral("{\"screens\": [{\"name\": \"Test\", \"x\": 0, \"y\": 0, "
                              "\"width\": %1, \"height\": %2, \"logicalDpi\": 96, "
                              "\"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                   .arg(Screen.width())
                   .arg(Screen.height())
                   .toUtf8());
  Config.close();
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + Config.fileName()).toUtf8());
  // The settings and recovery copies of this run stay in a folder of its own.
  qputenv("XDG_DATA_HOME", QDir(Settings.path()).filePath("data").toUtf8());
  qputenv("XDG_CONFIG_HOME", QDir(Settings.path()).filePath("config").toUtf8());
  QApplication App(argc, argv);
  // As the editor names itself: window managers show it after each title.
  QApplication::setApplicationDisplayName(QStringLiteral("Pelmora"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
