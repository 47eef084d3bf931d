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
    // PDF/A-1b: the file carries the sRGB profile as its output intent, so a print shop's
    // software takes the card's colours for the sRGB they are.
    Printer->setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
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
