// "Параметры печати" and "Печать" of the main window: one printer kept with its page set-up for
// both, the PDF's name on the status bar, and the selected layer kept through printing.
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>

#include "bitmap_layer.h"
#include "card_document.h"
#include "main_form_fixture.h"
#include "print_device.h"
#include "print_settings.h"
#include "print_window.h"

namespace {

QString PdfInfo(const QString& File) {
  QProcess P;
  P.start(QStringLiteral("pdfinfo"), {File});
  if (!P.waitForFinished(60000))
    return {};
  return QString::fromUtf8(P.readAllStandardOutput());
}

struct TPrintMenuFixture : TMainFormFixture {
  TBitmapLayer* Photo = nullptr;

  void SetUp() override {
    TMainFormFixture::SetUp();
    Make();
    Form->Run([&] { Form->Document().NewCanvas(800, 600, 0xFFFFFFFF); });
    TBitmap32 B;
    B.SetSize(200, 100);
    B.Clear(0xFF3060C0);
    Form->Run([&] { Photo = Form->Document().AddPictureLayer(B, 255); });
  }

  // "Печать" from the tool button; Inside runs in the open print window, which the print
  // button closes when it printed (else it is cancelled).
  void PrintWith(const std::function<void(TKVTPrint&)>& Inside) {
    TKVTPrint* Window = Form->PrintWindow();
    QTimer::singleShot(0, [Window, Inside] {
      Inside(*Window);
      if (Window->isVisible())
        Window->reject();
    });
    Form->Action(TMainAction::ToolPrint)->trigger();
  }
};

TEST_F(TPrintMenuFixture, PageSetUpReachesTheNextPrint) {
  // Before the print window was ever opened, the page set-up opens on the printer it will use.
  QPrinter* SetUp = nullptr;
  Form->Dialogs.AskPageSetup = [&](QPrinter& Printer) {
    SetUp = &Printer;
    Printer.setPageSize(QPageSize(QPageSize::A5));
    Printer.setPageOrientation(QPageLayout::Landscape);
    return true;
  };
  Form->Action(TMainAction::PrintSetup)->trigger();
  ASSERT_NE(SetUp, nullptr) << "the page set-up did not open";
  ASSERT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();

  QTemporaryDir Out;
  ASSERT_TRUE(Out.isValid());
  const QString File = Out.filePath("card.pdf");
  bool Landscape = false;
  PrintWith([&](TKVTPrint& W) {
    ASSERT_EQ(W.MyPrinters->currentText(), PdfPrinterName()) << "a system printer is set up";
    EXPECT_EQ(W.Printer(), SetUp) << "the print window uses the printer that was set up";
    Landscape = W.Album->isChecked();
    EXPECT_GT(W.PageWidth(), W.PageHeight());
    W.AskPdfFileName = [&] { return File; };
    W.Button1->click();
  });
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  EXPECT_TRUE(Landscape);
  ASSERT_TRUE(QFile::exists(File));
  // A5 landscape: 210 x 148 mm.
  const QString Info = PdfInfo(File);
  EXPECT_TRUE(
      Info.contains(QRegularExpression("Page size:\\s+595(\\.\\d+)? x 4(19|20)(\\.\\d+)? pts")))
      << Info.toStdString();

  // The status bar names the file; the layer selected before printing still is.
  EXPECT_TRUE(Form->statusBar()->currentMessage().contains(File))
      << Form->statusBar()->currentMessage().toStdString();
  EXPECT_TRUE(Form->statusBar()->currentMessage().startsWith("Открытка напечатана в файл"));
  EXPECT_EQ(Form->Document().Selected(), Photo);

  // The set-up stays for the next opening, and the page dialog opens on the same printer again.
  QPrinter* Again = nullptr;
  Form->Dialogs.AskPageSetup = [&](QPrinter& Printer) {
    Again = &Printer;
    return false;
  };
  Form->Action(TMainAction::PrintSetup)->trigger();
  EXPECT_EQ(Again, SetUp);
  bool StillLandscape = false;
  PrintWith([&](TKVTPrint& W) { StillLandscape = W.Album->isChecked(); });
  EXPECT_TRUE(StillLandscape);
  EXPECT_EQ(Form->Document().Selected(), Photo) << "a cancelled print keeps the selection too";
}

}  // namespace
