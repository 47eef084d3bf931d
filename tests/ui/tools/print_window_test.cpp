#include "print_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <cmath>
#include <memory>

#include "bitmap_layer.h"
#include "img_view_widget.h"
#include "print_device.h"
#include "print_settings.h"
#include "rubberband_layer.h"
#include "status_progress.h"

namespace {

std::unique_ptr<TBitmap32> Card(int W, int H, TColor32 Color = 0xFFFF0000) {
  auto B = std::make_unique<TBitmap32>();
  B->SetSize(W, H);
  B->Clear(Color);
  return B;
}

// A print window on the PDF entry, opened for a card, with the preview at a known size.
class PrintWindowTest : public ::testing::Test {
 protected:
  void Open(const std::unique_ptr<TBitmap32>& FlatImage, int Dpi = PdfPrinterDpi,
            QSize View = {360, 420}) {
    Window.PdfDpi = Dpi;
    Window.ShowError = [this](const QString& Text) { Errors << Text; };
    if (View.isValid())
      Window.PrintView->setFixedSize(View);
    Window.SetFlatImage(*FlatImage);
    Window.show();
    QApplication::processEvents();
    ASSERT_EQ(Window.MyPrinters->currentText(), PdfPrinterName()) << "a system printer is set up";
  }
  const TSingleRect& Location() { return Window.CardLayer()->Location(); }
  double CmPixels() const { return Window.Dpi() / 2.54; }

  void TearDown() override { EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString(); }

  TKVTPrint Window;
  QStringList Errors;
};

TEST_F(PrintWindowTest, HasTheControlsWithTheirCaptions) {
  Open(Card(80, 60));
  EXPECT_EQ(Window.windowTitle(), "Печать");
  EXPECT_EQ(Window.Book->text(), "Книжная");
  EXPECT_EQ(Window.Album->text(), "Альбомная");
  EXPECT_EQ(Window.Orig->text(), "Оригинальный");
  EXPECT_EQ(Window.Fit->text(), "Уместить на странице");
  EXPECT_EQ(Window.Fill->text(), "Заполнить страницу");
  EXPECT_EQ(Window.Custom->text(), "Пользовательский");
  EXPECT_EQ(Window.propos->text(), "Соблюдать пропорции");
  EXPECT_EQ(Window.Button1->text(), "Печать");
  EXPECT_EQ(Window.Button2->text(), "Отмена");
  EXPECT_EQ(Window.Button3->text(), "Свойства");
  ASSERT_EQ(Window.Mera->count(), 2);
  EXPECT_EQ(Window.Mera->itemText(0), "См");
  EXPECT_EQ(Window.Mera->itemText(1), "Дюймов");
  EXPECT_EQ(Window.Edit1->minimum(), 1);
  EXPECT_EQ(Window.Edit1->maximum(), 2000);
  EXPECT_EQ(Window.Edit1->value(), 1);
  EXPECT_EQ(Window.Prog->maximum(), 5);
  EXPECT_EQ(Window.Prog->value(), 0);
  EXPECT_EQ(Window.ScaleCombo->count(), 11);
  EXPECT_EQ(Window.ScaleCombo->itemText(10), "100%");
  EXPECT_TRUE(Window.Book->isChecked());
  EXPECT_TRUE(Window.Orig->isChecked());
  EXPECT_TRUE(Window.propos->isChecked());
  // The PDF entry is always the last printer, so a machine without printers can print.
  EXPECT_EQ(Window.MyPrinters->itemText(Window.MyPrinters->count() - 1), "Печать в файл PDF");
}

TEST_F(PrintWindowTest, PagePreviewFitsTheViewAndShowsItsScale) {
  // An A4 page at 600 dpi is about 4960 x 7016 device pixels.
  Open(Card(80, 60), 600, {321, 361});
  EXPECT_NEAR(Window.PageWidth(), 4960, 2);
  EXPECT_NEAR(Window.PageHeight(), 7016, 2);
  EXPECT_NEAR(Window.PreviewScale(), 361.0 / 7016 / 1.2, 1e-4);
  EXPECT_EQ(Window.ScaleCombo->currentText(), "4%");
  // The page: white inside, a black band 100 pixels in.
  const TBitmap32& Page = Window.PrintView->View().Bitmap();
  EXPECT_EQ(Page.GetPixel(50, 50) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(Page.GetPixel(110, 3000), 0xFF000000u);
  EXPECT_EQ(Page.GetPixel(130, 3000), 0xFFFFFFFFu);
  // The card on the page is drawn smoothly, not pixel by pixel.
  ASSERT_NE(Window.CardLayer(), nullptr);
  EXPECT_EQ(Window.CardLayer()->Bitmap()->StretchFilter(), sfLinear);
}

TEST_F(PrintWindowTest, OriginalSizeShownInCentimetresAndInches) {
  Open(Card(1000, 500));
  ASSERT_NE(Window.CardLayer(), nullptr);
  EXPECT_NEAR(Location().Right - Location().Left, 1000, 1e-3);
  // The card sits on the page centre, which the fitted preview shows in its middle.
  // (to within one preview pixel).
  const double Pixel = 1 / Window.PreviewScale();
  EXPECT_NEAR((Location().Left + Location().Right) / 2, Window.PageWidth() / 2.0, Pixel);
  EXPECT_NEAR((Location().Top + Location().Bottom) / 2, Window.PageHeight() / 2.0, Pixel);
  struct Case {
    int Unit;
    double Width, Height;
  };
  // 300 dots per inch: 1000 pixels are 8.47 cm or 3.33 inches.
  for (const Case& C : {Case{1, 3.33, 1.67}, Case{0, 8.47, 4.23}}) {
    Window.Mera->setCurrentIndex(C.Unit);
    EXPECT_DOUBLE_EQ(Window.ImageWidth->value(), C.Width) << C.Unit;
    EXPECT_DOUBLE_EQ(Window.ImageHeight->value(), C.Height) << C.Unit;
  }
}

TEST_F(PrintWindowTest, TypedWidthKeepsProportionsAndSizesTheCard) {
  Open(Card(800, 600));
  Window.ImageWidth->setValue(10);
  EXPECT_DOUBLE_EQ(Window.ImageHeight->value(), 7.5);
  EXPECT_NEAR(Location().Right - Location().Left, 10 * CmPixels(), 0.01);
  EXPECT_NEAR(Location().Bottom - Location().Top, 7.5 * CmPixels(), 0.01);
  // The frame follows the card.
  ASSERT_NE(Window.RBLayer(), nullptr);
  EXPECT_EQ(Window.RBLayer()->ChildLayer(), Window.CardLayer());
  EXPECT_NEAR(Window.RBLayer()->Location().Right, Location().Right, 1e-3);

  Window.Mera->setCurrentIndex(1);
  Window.ImageHeight->setValue(3);
  EXPECT_DOUBLE_EQ(Window.ImageWidth->value(), 4);
  EXPECT_NEAR(Location().Right - Location().Left, 4 * Window.Dpi(), 0.01);

  // Without proportions each side is its own.
  Window.propos->setChecked(false);
  Window.ImageWidth->setValue(2);
  EXPECT_DOUBLE_EQ(Window.ImageHeight->value(), 3);
  EXPECT_NEAR(Location().Bottom - Location().Top, 3 * Window.Dpi(), 0.01);
}

TEST_F(PrintWindowTest, ATypedSizeKeepsTheCentreAndIsTheExactSizePlacement) {
  Open(Card(800, 600));
  Window.AskPrinterSetup = [](QPrinter& Printer) {
    Printer.setPageSize(QPageSize(QPageSize::A5));
    Printer.setPageOrientation(QPageLayout::Landscape);
    return true;
  };
  Window.Button3->click();
  ASSERT_TRUE(Window.Album->isChecked());
  ASSERT_TRUE(Window.Orig->isChecked());
  const double Cx = (Location().Left + Location().Right) / 2;
  const double Cy = (Location().Top + Location().Bottom) / 2;
  Window.ImageWidth->setValue(19);
  EXPECT_TRUE(Window.Custom->isChecked());
  EXPECT_FALSE(Window.Orig->isChecked());
  EXPECT_NEAR(Location().Right - Location().Left, 19 * CmPixels(), 0.01);
  EXPECT_NEAR((Location().Left + Location().Right) / 2, Cx, 0.01);
  EXPECT_NEAR((Location().Top + Location().Bottom) / 2, Cy, 0.01);
  // 19 x 14.25 cm lies on the 21 x 14.8 cm page.
  EXPECT_GE(Location().Left, 0);
  EXPECT_GE(Location().Top, 0);
  EXPECT_LE(Location().Right, Window.PageWidth());
  EXPECT_LE(Location().Bottom, Window.PageHeight());
  // A fitted card typed smaller stays centred where "Уместить на странице" put it.
  Window.Fit->click();
  const double FitCx = (Location().Left + Location().Right) / 2;
  Window.ImageHeight->setValue(6);
  EXPECT_TRUE(Window.Custom->isChecked());
  EXPECT_NEAR((Location().Left + Location().Right) / 2, FitCx, 0.01);
  EXPECT_NEAR(Location().Right - Location().Left, 8 * CmPixels(), 0.01);
}

TEST_F(PrintWindowTest, ScaleBoxTakesPercentages) {
  Open(Card(80, 60));
  struct Case {
    const char* Typed;
    double Before, Scale;
    const char* Shown;
  };
  const Case Cases[] = {
      {"250 %", 0.1, 2.5, "250%"}, {"5000", 0.5, 0.5, "50%"}, {"", 0.5, 0.5, ""},
      {"abc", 0.25, 0.25, "25%"},  {"0", 0.25, 0.25, "25%"},  {"2000", 1, 20, "2000%"},
      {"1%", 1, 0.01, "1%"},       {"% 7 5", 1, 0.75, "75%"},
  };
  for (const Case& C : Cases) {
    Window.PrintView->View().SetScale(float(C.Before));
    Window.ScaleCombo->setEditText(QString::fromUtf8(C.Typed));
    EXPECT_NEAR(Window.PreviewScale(), C.Scale, 1e-6) << C.Typed;
    EXPECT_EQ(Window.ScaleCombo->currentText(), C.Shown) << C.Typed;
  }
}

TEST_F(PrintWindowTest, WheelZoomsAndStopsAt20) {
  Open(Card(80, 60));
  Window.PrintView->View().SetScale(10);
  const QString Shown = Window.ScaleCombo->currentText();
  auto Turn = [this](int Delta) {
    const QPointF At(100, 100);
    QWheelEvent E(At, Window.PrintView->mapToGlobal(At), QPoint(), QPoint(0, Delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Window.PrintView, &E);
  };
  for (int I = 0; I < 11; ++I) Turn(120);
  EXPECT_FLOAT_EQ(float(Window.PreviewScale()), 20);
  Turn(-120);
  EXPECT_NEAR(Window.PreviewScale(), 20 / 1.1, 1e-4);
  EXPECT_EQ(Window.ScaleCombo->currentText(), Shown);
}

TEST_F(PrintWindowTest, AutomaticPlacements) {
  Open(Card(800, 400));
  const double W = Window.PageWidth(), H = Window.PageHeight();

  Window.Fit->click();
  EXPECT_NEAR(Location().Left, 100, 1e-3);
  EXPECT_NEAR(Location().Right, W - 100, 1e-3);
  EXPECT_NEAR((Location().Right - Location().Left) / (Location().Bottom - Location().Top), 2, 1e-3);
  EXPECT_NEAR(Location().Top + Location().Bottom, H, 1e-2);

  Window.Fill->click();
  EXPECT_FALSE(Window.propos->isChecked());
  EXPECT_NEAR(Location().Left, 100, 1e-3);
  EXPECT_NEAR(Location().Top, 100, 1e-3);
  EXPECT_NEAR(Location().Right, W - 100, 1e-3);
  EXPECT_NEAR(Location().Bottom, H - 100, 1e-3);

  // "Пользовательский" leaves the card where it is.
  const TSingleRect Before = Location();
  Window.Custom->click();
  EXPECT_EQ(Location().Left, Before.Left);
  EXPECT_EQ(Location().Bottom, Before.Bottom);

  Window.Orig->click();
  EXPECT_NEAR(Location().Right - Location().Left, 800, 1e-3);

  // Landscape swaps the page and places the card again.
  Window.Album->click();
  EXPECT_EQ(Window.PageWidth(), int32_t(H));
  EXPECT_EQ(Window.PageHeight(), int32_t(W));
  EXPECT_NEAR((Location().Left + Location().Right) / 2, H / 2, 1 / Window.PreviewScale());
}

TEST_F(PrintWindowTest, FrameResizing) {
  Open(Card(800, 400));
  const TSingleRect Old = Location();
  const double Cx = (Old.Left + Old.Right) / 2, Cy = (Old.Top + Old.Bottom) / 2;

  // Moving, or a drag that reports no key and no button, changes nothing.
  TSingleRect New = {Old.Left + 10, Old.Top, Old.Right + 50, Old.Bottom + 7};
  const TSingleRect Proposed = New;
  Window.RBResizing(Old, New, DragMove, ssLeft);
  EXPECT_EQ(New.Right, Proposed.Right);
  Window.RBResizing(Old, New, DragBottomRight, 0);
  EXPECT_EQ(New.Bottom, Proposed.Bottom);
  EXPECT_FALSE(Window.Custom->isChecked());

  // A corner dragged with Ctrl keeps the card centred; the height follows the width.
  New = {Old.Left, Old.Top, Old.Right + 100, Old.Bottom + 3};
  Window.RBResizing(Old, New, DragBottomRight, ssLeft | ssCtrl);
  EXPECT_NEAR((New.Left + New.Right) / 2, Cx, 1e-3);
  EXPECT_NEAR(New.Right - New.Left, 1000, 1e-3);
  EXPECT_NEAR(New.Bottom - New.Top, 500, 1e-3);
  EXPECT_NEAR((New.Top + New.Bottom) / 2, Cy, 1e-3);
  EXPECT_TRUE(Window.Custom->isChecked());
  EXPECT_DOUBLE_EQ(Window.ImageWidth->value(), std::round(1000 / CmPixels() * 100) / 100);
}

void SendMouse(QWidget* W, QEvent::Type Type, QPointF P, Qt::MouseButton Button,
               Qt::MouseButtons Buttons, Qt::KeyboardModifiers Keys) {
  QMouseEvent E(Type, P, W->mapToGlobal(P), Button, Buttons, Keys);
  QApplication::sendEvent(W, &E);
}

TEST_F(PrintWindowTest, CornerDraggedWithCtrlKeepsTheCardCentred) {
  Open(Card(800, 400));
  const TSingleRect Old = Location();
  const TSingleRect Shown = Window.RBLayer()->GetAdjustedLocation();
  const QPointF Corner(std::round(Shown.Right), std::round(Shown.Bottom));
  const QPointF To = Corner + QPointF(30, 4);
  SendMouse(Window.PrintView, QEvent::MouseButtonPress, Corner, Qt::LeftButton, Qt::LeftButton,
            Qt::ControlModifier);
  SendMouse(Window.PrintView, QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton,
            Qt::ControlModifier);
  SendMouse(Window.PrintView, QEvent::MouseButtonRelease, To, Qt::LeftButton, Qt::NoButton,
            Qt::ControlModifier);
  const double Pixel = 1 / Window.PreviewScale();
  EXPECT_NEAR(Location().Left + Location().Right, Old.Left + Old.Right, 2 * Pixel);
  EXPECT_NEAR(Location().Top + Location().Bottom, Old.Top + Old.Bottom, 2 * Pixel);
  EXPECT_NEAR(Location().Right - Location().Left, 800 + 60 * Pixel, 4 * Pixel);
  EXPECT_NEAR(Location().Bottom - Location().Top, (Location().Right - Location().Left) / 2, 1);
  EXPECT_TRUE(Window.Custom->isChecked());
  EXPECT_EQ(Window.RBLayer()->ChildLayer(), Window.CardLayer());
}

TEST_F(PrintWindowTest, PropertiesTakeThePrintersOrientation) {
  Open(Card(800, 400));
  int Asked = 0;
  Window.AskPrinterSetup = [&](QPrinter& Printer) {
    ++Asked;
    Printer.setPageOrientation(QPageLayout::Landscape);
    return Asked > 1;  // the first time the set-up is cancelled
  };
  const int32_t PortraitW = Window.PageWidth();
  Window.Button3->click();
  EXPECT_TRUE(Window.Book->isChecked());
  EXPECT_EQ(Window.PageWidth(), PortraitW);
  Window.Button3->click();
  EXPECT_TRUE(Window.Album->isChecked());
  EXPECT_GT(Window.PageWidth(), Window.PageHeight());
  ASSERT_NE(Window.CardLayer(), nullptr);
  EXPECT_EQ(Window.ScaleCombo->currentText(),
            QString::fromStdString(ScaleText(Window.PreviewScale())));
}

TEST_F(PrintWindowTest, LargePaperGetsALowerResolution) {
  Open(Card(1000, 500));
  Window.AskPrinterSetup = [](QPrinter& Printer) {
    Printer.setPageSize(QPageSize(QPageSize::A0));
    return true;
  };
  Window.Button3->click();
  // A0 at 300 dpi would be 9933 x 14043 device pixels.
  EXPECT_LT(Window.Dpi(), PdfPrinterDpi);
  EXPECT_LE(double(Window.PageWidth()) * Window.PageHeight(), MaxPagePixels);
  EXPECT_NEAR(Window.PageWidth() / Window.Dpi(), 841 / 25.4, 0.05);
  // Sizes in units follow the lowered resolution.
  Window.Mera->setCurrentIndex(1);
  EXPECT_NEAR(Window.ImageWidth->value(), 1000 / Window.Dpi(), 0.005);
  // Back on A4 the full resolution returns.
  Window.AskPrinterSetup = [](QPrinter& Printer) {
    Printer.setPageSize(QPageSize(QPageSize::A4));
    return true;
  };
  Window.Button3->click();
  EXPECT_EQ(Window.Dpi(), PdfPrinterDpi);
}

TEST_F(PrintWindowTest, EnterInAFieldDoesNotPrint) {
  Open(Card(800, 600));
  int Asked = 0;
  Window.AskPdfFileName = [&] {
    ++Asked;
    return QString();
  };
  for (QWidget* Field :
       {static_cast<QWidget*>(Window.ImageWidth), static_cast<QWidget*>(Window.ScaleCombo)}) {
    Field->setFocus();
    QKeyEvent Press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(Field, &Press);
  }
  EXPECT_EQ(Asked, 0);
  EXPECT_TRUE(Window.isVisible());
}

TEST_F(PrintWindowTest, AFailedJobIsReportedAndTheWindowStays) {
  Open(Card(80, 60));
  Window.AskPdfFileName = [] { return QStringLiteral("/nonexistent-folder/card.pdf"); };
  Window.Edit1->setValue(3);
  Window.Button1->click();
  ASSERT_EQ(Errors.size(), 1);
  // The message names the file that could not be written.
  EXPECT_TRUE(Errors.first().startsWith("Не удалось")) << Errors.first().toStdString();
  EXPECT_TRUE(Errors.first().contains("/nonexistent-folder/card.pdf"))
      << Errors.first().toStdString();
  EXPECT_EQ(TStatusProgress::Instance().Total(), 0) << "a failed job leaves the status bar";
  Errors.clear();
  EXPECT_TRUE(Window.isVisible());
  EXPECT_EQ(Window.Prog->value(), 0);
  EXPECT_EQ(Window.Printer()->copyCount(), 3);
  ASSERT_NE(Window.CardLayer(), nullptr);
}

TEST_F(PrintWindowTest, HandMadeSizeSurvivesAnOrientationChange) {
  Open(Card(800, 600));
  Window.Custom->click();
  Window.ImageWidth->setValue(12);
  Window.Album->click();
  EXPECT_TRUE(Window.Custom->isChecked());
  ASSERT_NE(Window.CardLayer(), nullptr);
  EXPECT_NEAR(Location().Right - Location().Left, 12 * CmPixels(), 0.01);
  EXPECT_DOUBLE_EQ(Window.ImageHeight->value(), 9);
}

TEST_F(PrintWindowTest, RebuildingThePageAtTheSameSizeKeepsTheCard) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  Open(Card(800, 600));
  Window.AskPrinterSetup = [](QPrinter&) { return true; };  // confirmed unchanged
  const int32_t W = Window.PageWidth(), H = Window.PageHeight();
  struct TCase {
    const char* What;
    QAbstractButton* Button;
  };
  for (const TCase& C : {TCase{"the checked orientation", Window.Book},
                         TCase{"properties confirmed unchanged", Window.Button3}}) {
    C.Button->click();
    EXPECT_TRUE(Errors.isEmpty()) << C.What << ": " << Errors.join("; ").toStdString();
    Errors.clear();
    EXPECT_EQ(Window.PageWidth(), W) << C.What;
    EXPECT_EQ(Window.PageHeight(), H) << C.What;
    ASSERT_NE(Window.CardLayer(), nullptr) << C.What;
    EXPECT_EQ(Window.PrintView->View().Layers().Count(), 2) << C.What << ": the card and its frame";
    // The page is drawn again: white inside the black band.
    EXPECT_EQ(Window.PrintView->View().Bitmap().GetPixel(110, H / 2), 0xFF000000u) << C.What;
    EXPECT_EQ(Window.PrintView->View().Bitmap().GetPixel(W / 2, 130), 0xFFFFFFFFu) << C.What;
  }
  Window.AskPdfFileName = [&] { return Dir.filePath("card.pdf"); };
  Window.Button1->click();
  EXPECT_TRUE(QFile::exists(Dir.filePath("card.pdf")));
  EXPECT_EQ(Window.result(), QDialog::Accepted);
  // The PDF says its picture's colours are sRGB: an ICC-based colour space with the sRGB
  // profile.
  QFile Pdf(Dir.filePath("card.pdf"));
  ASSERT_TRUE(Pdf.open(QIODevice::ReadOnly));
  const QByteArray Bytes = Pdf.readAll();
  EXPECT_TRUE(Bytes.contains("/ColorSpace [/ICCBased")) << Bytes.left(2000).toStdString();
  EXPECT_TRUE(Bytes.contains("/Alternate /DeviceRGB"));
}

TEST_F(PrintWindowTest, ThePrinterKeepsItsSetUpFromOneOpeningToTheNext) {
  TPrintSettings Settings;
  TKVTPrint Shared(nullptr, &Settings);
  Shared.ShowError = [this](const QString& Text) { Errors << Text; };
  Shared.SetFlatImage(*Card(800, 600));
  Shared.show();
  QApplication::processEvents();
  QPrinter* First = Shared.Printer();
  ASSERT_NE(First, nullptr);
  EXPECT_EQ(Settings.Printer(), First);
  Shared.AskPrinterSetup = [](QPrinter& Printer) {
    Printer.setPageSize(QPageSize(QPageSize::A5));
    Printer.setPageOrientation(QPageLayout::Landscape);
    return true;
  };
  Shared.Button3->click();
  const int32_t W = Shared.PageWidth(), H = Shared.PageHeight();
  EXPECT_GT(W, H);
  Shared.reject();

  // Chosen again with its set-up: the same paper, orientation and page.
  Shared.SetFlatImage(*Card(300, 200));
  Shared.show();
  QApplication::processEvents();
  EXPECT_EQ(Shared.Printer(), First);
  EXPECT_TRUE(Shared.Album->isChecked());
  EXPECT_EQ(Shared.PageWidth(), W);
  EXPECT_EQ(Shared.PageHeight(), H);
  EXPECT_TRUE(Shared.Printer()->pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::A5)));
  Shared.reject();
}

TEST_F(PrintWindowTest, ThePageSetUpIsKeptBetweenRuns) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString File = Dir.filePath("Print.kvp");
  int32_t W = 0, H = 0;
  {
    TPrintSettings Settings(File);
    TKVTPrint First(nullptr, &Settings);
    First.ShowError = [this](const QString& Text) { Errors << Text; };
    First.AskPrinterSetup = [](QPrinter& Printer) {
      Printer.setPageSize(QPageSize(QPageSize::A5));
      Printer.setPageOrientation(QPageLayout::Landscape);
      return true;
    };
    First.SetFlatImage(*Card(800, 600));
    First.show();
    QApplication::processEvents();
    First.Button3->click();
    W = First.PageWidth();
    H = First.PageHeight();
    First.reject();
    EXPECT_TRUE(QFile::exists(File));
  }
  // The next run: "Параметры печати" and the print window start on A5 landscape.
  TPrintSettings Settings(File);
  EXPECT_EQ(Settings.Name(), PdfPrinterName());
  EXPECT_TRUE(Settings.Current().pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::A5)));
  TKVTPrint Next(nullptr, &Settings);
  Next.ShowError = [this](const QString& Text) { Errors << Text; };
  Next.SetFlatImage(*Card(800, 600));
  Next.show();
  QApplication::processEvents();
  EXPECT_TRUE(Next.Album->isChecked());
  EXPECT_EQ(Next.PageWidth(), W);
  EXPECT_EQ(Next.PageHeight(), H);
  Next.reject();

  // A damaged file is ignored: the PDF entry's A4 portrait.
  QFile Damaged(File);
  ASSERT_TRUE(Damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
  Damaged.write("printer=\npaper=abc\n");
  Damaged.close();
  TPrintSettings Fresh(File);
  EXPECT_TRUE(Fresh.Current().pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::A4)));
  EXPECT_EQ(Fresh.Current().pageLayout().orientation(), QPageLayout::Portrait);
}

// The bounding box of the card's red pixels in a picture.
QRect RedBox(const QImage& Image) {
  QRect Box;
  for (int Y = 0; Y < Image.height(); ++Y)
    for (int X = 0; X < Image.width(); ++X) {
      const QRgb P = Image.pixel(X, Y);
      if (qRed(P) > 200 && qGreen(P) < 60 && qBlue(P) < 60)
        Box |= QRect(X, Y, 1, 1);
    }
  return Box;
}

QString RunTool(const QString& Program, const QStringList& Args) {
  QProcess P;
  P.start(Program, Args);
  if (!P.waitForFinished(60000))
    return {};
  return QString::fromUtf8(P.readAllStandardOutput());
}

TEST_F(PrintWindowTest, PrintsToAPdfFileAtTheTypedSize) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  const QString File = Dir.filePath("card");  // the extension is added
  int Asked = 0;
  Open(Card(800, 600));
  Window.AskPdfFileName = [&] {
    ++Asked;
    return Asked == 1 ? QString() : File;
  };
  // A cancelled file choice prints nothing and keeps the window open.
  Window.Button1->click();
  EXPECT_TRUE(Window.isVisible());
  EXPECT_EQ(Window.Prog->value(), 0);

  Window.ImageWidth->setValue(10);
  const double Left = Location().Left, Top = Location().Top;
  // The status bar hears of each step of the job and of its end.
  std::vector<int> Steps;
  const auto Connection = QObject::connect(
      &TStatusProgress::Instance(), &TStatusProgress::Changed,
      [&](const QString&, int Done, int Total) { Steps.push_back(Total == 0 ? -1 : Done); });
  Window.Button1->click();
  QObject::disconnect(Connection);
  EXPECT_EQ(Steps, (std::vector<int>{0, 1, 2, -1}));
  EXPECT_EQ(Asked, 2);
  EXPECT_FALSE(Window.isVisible());
  EXPECT_EQ(Window.result(), QDialog::Accepted);
  ASSERT_TRUE(QFile::exists(File + ".pdf"));

  const QString Info = RunTool("pdfinfo", {File + ".pdf"});
  EXPECT_TRUE(Info.contains(QRegularExpression("Pages:\\s+1\\n"))) << Info.toStdString();
  EXPECT_TRUE(
      Info.contains(QRegularExpression("Page size:\\s+595(\\.\\d+)? x 84[12](\\.\\d+)? pts")))
      << Info.toStdString();

  // At 72 dots per inch the card is 10 x 7.5 cm: 283.5 x 212.6 pixels (and a partly covered
  // pixel on each side).
  RunTool("pdftoppm", {"-r", "72", "-png", "-singlefile", File + ".pdf", Dir.filePath("page")});
  const QImage Page(Dir.filePath("page.png"));
  ASSERT_FALSE(Page.isNull());
  const QRect Box = RedBox(Page);
  EXPECT_NEAR(Box.width(), 10 / 2.54 * 72, 2);
  EXPECT_NEAR(Box.height(), 7.5 / 2.54 * 72, 2);
  // Device pixels at 300 dots per inch become points.
  EXPECT_NEAR(Box.left(), Left * 72 / 300, 1.5);
  EXPECT_NEAR(Box.top(), Top * 72 / 300, 1.5);
}

TEST_F(PrintWindowTest, ThePrintedCardIsOpaqueOnWhite) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  // Left half transparent, right half red at half coverage, a solid blue square in the middle:
  // what a card with a transparent canvas or a see-through layer edge hands over.
  std::unique_ptr<TBitmap32> Flat = Card(400, 200, 0x00000000);
  Flat->FillRectS({200, 0, 400, 200}, 0x80FF0000);
  Flat->FillRectS({150, 50, 250, 150}, 0xFF0000FF);
  Open(Flat);
  Window.Fit->click();
  const TSingleRect L = Location();
  Window.AskPdfFileName = [&] { return Dir.filePath("card.pdf"); };
  Window.Button1->click();
  ASSERT_TRUE(QFile::exists(Dir.filePath("card.pdf")));

  // One picture and no soft mask: nothing on the page is see-through.
  const QString Images = RunTool("pdfimages", {"-list", Dir.filePath("card.pdf")});
  const QStringList Rows = Images.split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(Rows.size(), 3) << Images.toStdString();
  EXPECT_TRUE(Rows[2].contains(QRegularExpression("\\bimage\\b"))) << Images.toStdString();
  EXPECT_FALSE(Images.contains("smask")) << Images.toStdString();
  EXPECT_FALSE(Images.contains("jpeg")) << "the card keeps its own pixels";

  // Rendered at 300 dots per inch a device pixel is a page pixel.
  RunTool("pdftoppm",
          {"-r", "300", "-png", "-singlefile", Dir.filePath("card.pdf"), Dir.filePath("page")});
  const QImage Page(Dir.filePath("page.png"));
  ASSERT_FALSE(Page.isNull());
  const double K = (L.Right - L.Left) / 400;
  auto At = [&](double X, double Y) { return Page.pixel(int(L.Left + X * K), int(L.Top + Y * K)); };
  EXPECT_EQ(At(50, 100), qRgb(255, 255, 255)) << "the transparent half is the paper";
  EXPECT_EQ(At(200, 100), qRgb(0, 0, 255));
  // Half-covered red laid on white.
  const QRgb Pink = At(350, 100);
  EXPECT_EQ(qRed(Pink), 255);
  EXPECT_NEAR(qGreen(Pink), 127, 2);
  EXPECT_NEAR(qBlue(Pink), 127, 2);
}

TEST_F(PrintWindowTest, ExtremeTypedSizes) {
  QTemporaryDir Dir;
  ASSERT_TRUE(Dir.isValid());
  Open(Card(800, 600));
  Window.AskPdfFileName = [&] { return Dir.filePath("card.pdf"); };
  // Nothing to print at a zero size.
  Window.ImageWidth->setValue(0);
  EXPECT_DOUBLE_EQ(Window.ImageHeight->value(), 0);
  Window.Button1->click();
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_EQ(Errors.first(), "Размер изображения слишком мал для печати");
  Errors.clear();
  EXPECT_FALSE(QFile::exists(Dir.filePath("card.pdf")));
  // The largest size shows and prints (the page shows a part of the card).
  Window.ImageWidth->setValue(30000);
  EXPECT_DOUBLE_EQ(Window.ImageHeight->value(), 22500);
  EXPECT_FALSE(Window.grab().isNull());
  Window.Button1->click();
  EXPECT_TRUE(QFile::exists(Dir.filePath("card.pdf")));
}

TEST_F(PrintWindowTest, ReopeningPlacesTheNewCard) {
  Open(Card(800, 600));
  Window.Custom->click();
  Window.ImageWidth->setValue(3);
  Window.reject();
  EXPECT_EQ(Window.CardLayer(), nullptr);
  EXPECT_TRUE(Window.PrintView->View().Bitmap().IsEmpty());
  Window.SetFlatImage(*Card(300, 200));
  Window.show();
  QApplication::processEvents();
  ASSERT_NE(Window.CardLayer(), nullptr);
  EXPECT_TRUE(Window.Custom->isChecked());
  EXPECT_NEAR(Location().Right - Location().Left, 300, 1e-3);
}

TEST_F(PrintWindowTest, Screenshot) {
  std::unique_ptr<TBitmap32> Flat = Card(800, 600, 0xFF3060C0);
  Flat->FillRectS({100, 100, 700, 500}, 0xFFFFD040);
  Window.resize(900, 640);
  Open(Flat, PdfPrinterDpi, QSize());
  Window.Fit->click();
  const QString Path = QDir::temp().filePath("pelmora_print_window.png");
  EXPECT_TRUE(Window.grab().save(Path));
}

}  // namespace
