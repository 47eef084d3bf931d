#include "print_device.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>

#include "bitmap32.h"
#include "exceptions.h"
#include "file_io.h"
#include "print_job.h"
#include "status_progress.h"

QString PdfPrinterName() {
  return QStringLiteral("Печать в файл PDF");
}

QStringList PrinterNames() {
  QStringList Names = QPrinterInfo::availablePrinterNames();
  const QString Default = QPrinterInfo::defaultPrinterName();
  if (!Default.isEmpty() && Names.removeAll(Default) > 0)
    Names.prepend(Default);
  Names.append(PdfPrinterName());
  return Names;
}

std::unique_ptr<QPrinter> MakePrinter(const QString& Name, int PdfDpi) {
  auto Printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (Name == PdfPrinterName()) {
    Printer->setOutputFormat(QPrinter::PdfFormat);
    Printer->setResolution(PdfDpi);
    Printer->setPageSize(QPageSize(QPageSize::A4));
    Printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
  } else {
    Printer->setPrinterName(Name);
    if (!Printer->isValid())
      throw Exception(("Принтер «" + Name + "» недоступен").toStdString());
    // The job reaches the printer as a page description, so the resolution here only sets the
    // grid the card is placed on.
    if (Printer->resolution() > MaxPrinterDpi)
      Printer->setResolution(MaxPrinterDpi);
  }
  return Printer;
}

void LimitPageResolution(QPrinter& Printer) {
  const QRectF Inches = Printer.pageLayout().paintRect(QPageLayout::Inch);
  const double Area = Inches.width() * Inches.height();
  const double Dpi = Printer.resolution();
  if (!(Area > 0) || Area * Dpi * Dpi <= MaxPagePixels)
    return;
  Printer.setResolution(std::max(1, int(std::floor(std::sqrt(MaxPagePixels / Area)))));
}

double PrinterDpi(const QPrinter& Printer) {
  return Printer.resolution();
}

QImage CardImage(const TBitmap32& Card) {
  if (Card.IsEmpty())
    return {};
  QImage Image(Card.Width(), Card.Height(), QImage::Format_RGB32);
  if (Image.isNull())
    throw Exception("Недостаточно памяти для печати");
  for (int32_t Y = 0; Y < Card.Height(); ++Y) {
    const TColor32* S = Card.RowAddress(Y);
    auto* D = reinterpret_cast<QRgb*>(Image.scanLine(Y));
    for (int32_t X = 0; X < Card.Width(); ++X) D[X] = OnPaper(S[X]);
  }
  return Image;
}

TPdfPlacement PdfPlacement(const QPrinter& Printer, const TPrintRect& Where) {
  const QPageLayout Layout = Printer.pageLayout();
  const QRectF Page = Layout.fullRect(QPageLayout::Point);
  const QRectF Printable = Layout.paintRect(QPageLayout::Point);
  const double Pt = 72.0 / Printer.resolution();
  TPdfPlacement P;
  P.PageWidth = Page.width();
  P.PageHeight = Page.height();
  P.Left = Printable.left() + Where.X * Pt;
  P.Top = Printable.top() + Where.Y * Pt;
  P.Width = Where.Width * Pt;
  P.Height = Where.Height * Pt;
  return P;
}

void PrintCard(QPrinter& Printer, const TBitmap32& Card, const TPrintRect& Where) {
  if (Card.IsEmpty())
    throw Exception("Нет изображения для печати");
  if (Where.Width <= 0 || Where.Height <= 0)
    throw Exception("Размер изображения слишком мал для печати");
  // The status bar follows the three steps: the picture, the page, the hand-over to the
  // printer (or the PDF file).
  TStatusProgress& Progress = TStatusProgress::Instance();
  const QString Step = QStringLiteral("Печать открытки");
  struct TEnd {
    const void* Source;
    ~TEnd() { TStatusProgress::Instance().End(Source); }
  } End{&Printer};
  Progress.Report(&Printer, Step, 0, 3);
  if (Printer.outputFormat() == QPrinter::PdfFormat && !Printer.outputFileName().isEmpty()) {
    // The file is written by the program's own PDF writer: its picture is declared in the sRGB
    // ICC colour space, which Qt's PDF engine cannot say of an image.
    const TPdfPlacement Placement = PdfPlacement(Printer, Where);
    Progress.Report(&Printer, Step, 1, 3);
    const std::vector<uint8_t> Page = BuildPdfPage(Card, Placement, true);
    Progress.Report(&Printer, Step, 2, 3);
    WriteFileAtomically(Printer.outputFileName().toStdString(), Page.data(), Page.size());
    return;
  }
  const QImage Image = CardImage(Card);
  QPainter Painter;
  if (!Painter.begin(&Printer))
    throw Exception("Не удалось начать печать");
  Progress.Report(&Printer, Step, 1, 3);
  Painter.setRenderHint(QPainter::SmoothPixmapTransform, Card.StretchFilter() != sfNearest);
  // A PDF keeps the card's own pixels (deflated) rather than JPEG's approximation of them.
  Painter.setRenderHint(QPainter::LosslessImageRendering);
  Painter.drawImage(QRect(Where.X, Where.Y, Where.Width, Where.Height), Image);
  Progress.Report(&Printer, Step, 2, 3);
  if (!Painter.end() || Printer.printerState() == QPrinter::Error)
    throw Exception("Ошибка печати");
}
