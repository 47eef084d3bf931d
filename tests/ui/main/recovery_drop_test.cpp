// A card survives a killed editor: a child process runs the main window, changes the card,
// autosaves and is killed with SIGKILL; a new window then offers the copy and restores it.
// And files dropped on the window become layers or open.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>

#include "bitmap_layer.h"
#include "main_form.h"
#include "picture_codecs.h"
#include "png_codec.h"
#include "project_file.h"

namespace {

namespace fs = std::filesystem;

// Runs only inside the child started by KilledEditorsCardIsOfferedAndRestored.
TEST(RecoveryVictim, ChangeAutosaveAndDie) {
  if (!qEnvironmentVariableIsSet("PELMORA_RECOVERY_VICTIM"))
    GTEST_SKIP() << "the child process of the recovery test";
  QTemporaryDir ProgramDir;
  TMainForm Form(ProgramDir.path());
  Form.show();
  TCardDocument& Doc = Form.Document();
  Doc.NewCanvas(120, 80, 0xFF3366CC);
  TBitmap32 Photo;
  Photo.SetSize(30, 20);
  Photo.Clear(0xFFFFCC00);
  Doc.AddPictureLayer(Photo, 200);
  Doc.Modified = true;
  ASSERT_TRUE(Form.Autosave().SaveNow());
  Form.Autosave().Wait();
  ASSERT_TRUE(QFile::exists(QString::fromStdString(Form.Autosave().FileName())));
  ::kill(::getpid(), SIGKILL);
}

struct TRecoveryFixture : ::testing::Test {
  QTemporaryDir Dir;
  QByteArray OldData;

  void SetUp() override {
    OldData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QDir(Dir.path()).filePath("data").toUtf8());
  }
  void TearDown() override { qputenv("XDG_DATA_HOME", OldData); }

  QString RecoveryDir() const { return QDir(Dir.path()).filePath("data/pelmora/recovery"); }

  // Starts this test program as the child that autosaves and dies; returns its pid.
  qint64 RunVictim() {
    QProcess P;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("QT_QPA_PLATFORM", "offscreen");
    Env.insert("PELMORA_RECOVERY_VICTIM", "1");
    Env.insert("XDG_DATA_HOME", QDir(Dir.path()).filePath("data"));
    P.setProcessEnvironment(Env);
    P.start(QApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=RecoveryVictim.ChangeAutosaveAndDie")});
    EXPECT_TRUE(P.waitForStarted(30000));
    const qint64 Pid = P.processId();
    EXPECT_TRUE(P.waitForFinished(120000));
    EXPECT_EQ(P.exitStatus(), QProcess::CrashExit) << P.readAllStandardError().toStdString();
    return Pid;
  }
};

TEST_F(TRecoveryFixture, KilledEditorsCardIsOfferedAndRestored) {
  const qint64 VictimPid = RunVictim();
  const QString Left = QDir(RecoveryDir()).filePath(QStringLiteral("card-%1.kvt").arg(VictimPid));
  ASSERT_TRUE(QFile::exists(Left)) << Left.toStdString();

  QTemporaryDir ProgramDir;
  TMainForm Form(ProgramDir.path());
  QStringList Errors, Asked;
  Form.Dialogs.ShowError = [&](const QString& T) { Errors << T; };
  Form.Dialogs.AskRestore = [&](const QString& T) {
    Asked << T;
    return true;
  };
  Form.show();
  ASSERT_TRUE(Form.OfferRecovery());
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  ASSERT_EQ(Asked.size(), 1);
  EXPECT_TRUE(Asked[0].contains(QStringLiteral("Восстановить открытку?")));

  TCardDocument& Doc = Form.Document();
  EXPECT_EQ(Doc.Canvas().Width(), 120);
  EXPECT_EQ(Doc.Canvas().Height(), 80);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), 0xFF3366CCu);
  int Photos = 0;
  for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
    if (const auto* L = dynamic_cast<const TBitmapLayer*>(Doc.Layers().Items(I))) {
      ++Photos;
      EXPECT_EQ(L->Bitmap()->GetPixel(5, 5), 0xFFFFCC00u);
      EXPECT_EQ(L->Bitmap()->MasterAlpha(), 200u);
    }
  EXPECT_EQ(Photos, 1);
  EXPECT_TRUE(Doc.Modified) << "a restored card is not saved anywhere yet";
  EXPECT_TRUE(Form.windowTitle().contains('*'));
  // The copy is this run's now, and stays until the card is saved or let go.
  EXPECT_FALSE(QFile::exists(Left));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Form.Autosave().FileName())));
  EXPECT_FALSE(Form.OfferRecovery()) << "nothing is offered twice";

  Form.Dialogs.AskSaveQuestion = [] { return QMessageBox::No; };
  Form.close();
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Form.Autosave().FileName())))
      << "a clean exit removes the copy";
}

TEST_F(TRecoveryFixture, DeclinedCopyIsRemovedAndTheCardStaysEmpty) {
  RunVictim();
  ASSERT_EQ(QDir(RecoveryDir()).entryList(QDir::Files).size(), 1);
  QTemporaryDir ProgramDir;
  TMainForm Form(ProgramDir.path());
  Form.Dialogs.AskRestore = [](const QString&) { return false; };
  EXPECT_FALSE(Form.OfferRecovery());
  EXPECT_TRUE(Form.Document().IsEmpty());
  EXPECT_TRUE(QDir(RecoveryDir()).entryList(QDir::Files).isEmpty());
}

TEST_F(TRecoveryFixture, ModifiedCardIsCopiedAndASaveRemovesTheCopy) {
  QTemporaryDir ProgramDir;
  TMainForm Form(ProgramDir.path());
  QStringList Errors;
  Form.Dialogs.ShowError = [&](const QString& T) { Errors << T; };
  Form.show();
  const QString Copy = QString::fromStdString(Form.Autosave().FileName());
  EXPECT_FALSE(Form.Autosave().SaveNow()) << "no card, nothing to copy";
  Form.Run([&] { Form.Document().NewCanvas(40, 30, 0xFF00FF00); });
  Form.Document().Modified = true;
  ASSERT_TRUE(Form.Autosave().SaveNow());
  Form.Autosave().Wait();
  EXPECT_EQ(Form.Autosave().FileName().rfind(RecoveryDir().toStdString(), 0), 0u);
  auto Back = ReadProjectFile(Form.Autosave().FileName());
  EXPECT_EQ(Back->Canvas.Width(), 40);

  const std::string Saved = QDir(Dir.path()).filePath("card.kvt").toStdString();
  Form.Dialogs.AskSaveName = [&](std::string& Typed, TSaveFormat& Format) {
    Typed = Saved;
    Format = TSaveFormat::Project;
    return true;
  };
  Form.Run([&] { Form.SaveAsClick(); });
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  EXPECT_FALSE(Form.Document().Modified);
  EXPECT_FALSE(QFile::exists(Copy)) << "a saved card needs no copy";
}

struct TDropFixture : ::testing::Test {
  QTemporaryDir Dir;
  std::unique_ptr<TMainForm> Form;
  QStringList Errors;

  void SetUp() override {
    RegisterPictureCodecs();
    Form = std::make_unique<TMainForm>(Dir.path());
    Form->Dialogs.ShowError = [this](const QString& T) { Errors << T; };
    Form->resize(1000, 700);
    Form->show();
  }
  QString Picture(const QString& Name, int W, int H, TColor32 C) {
    TBitmap32 B;
    B.SetSize(W, H);
    B.Clear(C);
    const QString Path = QDir(Dir.path()).filePath(Name);
    SavePng(B, Path.toStdString());
    return Path;
  }
  int Photos() const {
    int N = 0;
    const TLayerCollection& L = Form->Document().Layers();
    for (int32_t I = 0; I < L.Count(); ++I)
      N += dynamic_cast<const TBitmapLayer*>(L.Items(I)) != nullptr;
    return N;
  }
};

TEST_F(TDropFixture, PicturesBecomeLayersAtTheDropPointAndABadFileChangesNothing) {
  Form->Run([&] { Form->Document().NewCanvas(400, 300, 0xFFFFFFFF); });
  Form->Run([&] { Form->SetZoom(1); });
  const QString Bad = QDir(Dir.path()).filePath("broken.png");
  {
    QFile F(Bad);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write("not a picture");
  }
  const QPoint At(Form->ImgView()->width() / 2 + 40, Form->ImgView()->height() / 2 + 30);
  const TPoint Canvas = Form->ImgView()->View().ControlToBitmap(TPoint{At.x(), At.y()});
  Form->DropFiles({Picture("a.png", 20, 10, 0xFFFF0000), Bad, Picture("b.png", 30, 30, 0xFF0000FF)},
                  At);
  EXPECT_EQ(Photos(), 2);
  ASSERT_EQ(Errors.size(), 1) << Errors.join("\n").toStdString();
  EXPECT_TRUE(Errors[0].contains(QStringLiteral("Не удалось открыть файл")))
      << Errors[0].toStdString();
  const auto* First = dynamic_cast<const TBitmapLayer*>(Form->Document().Layers().Items(0));
  ASSERT_NE(First, nullptr);
  const TSingleRect R = First->Location();
  EXPECT_NEAR((R.Left + R.Right) / 2, Canvas.X, 1.0);
  EXPECT_NEAR((R.Top + R.Bottom) / 2, Canvas.Y, 1.0);
  EXPECT_TRUE(Form->Document().Modified);
}

TEST_F(TDropFixture, DroppedProjectOpensAndADroppedPictureOnNoCardBecomesTheCard) {
  Form->DropFiles({Picture("only.png", 64, 48, 0xFF123456)}, QPoint(-1, -1));
  EXPECT_EQ(Form->Document().Canvas().Width(), 64);
  EXPECT_EQ(Photos(), 0);
  EXPECT_FALSE(Form->Document().Modified);

  TImgView32 View;
  TCardDocument Other(View);
  Other.NewCanvas(50, 40, 0xFF00FF00);
  const std::string Project = QDir(Dir.path()).filePath("other.kvt").toStdString();
  WriteProject(Other, Project);
  Form->DropFiles({QString::fromStdString(Project)}, QPoint(10, 10));
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  EXPECT_EQ(Form->Document().Canvas().Width(), 50);
  EXPECT_EQ(Form->Document().Canvas().GetPixel(1, 1), 0xFF00FF00u);
}

}  // namespace
