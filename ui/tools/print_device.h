#pragma once
// The printers the print window offers and the one-page print job of the card.
// Besides the system's printers there is always "Печать в файл PDF", so a card can be printed
// on a machine without any printer.
#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

#include "pdf_page.h"
#include "print_layout.h"

class QPrinter;
class TBitmap32;

// The entry of the printer list that writes a PDF file.
QString PdfPrinterName();

// The system's printer names (the default printer first), then the PDF entry.
QStringList PrinterNames();

// The resolution the PDF entry prints at, and the highest one used on a real printer: above it
// the card gains nothing and the page preview would only grow.
constexpr int PdfPrinterDpi = 300;
constexpr int MaxPrinterDpi = 600;

// A printer for an entry of PrinterNames. The PDF entry is an A4 sheet without margins at
// PdfDpi; a system printer keeps its own page and margins. Raises Exception (Russian text)
// when the printer cannot be used.
std::unique_ptr<QPrinter> MakePrinter(const QString& Name, int PdfDpi = PdfPrinterDpi);

// The page preview holds the printable page in device pixels; a larger page is given a lower
// resolution so that it stays within this many pixels (an A4 page at 600 dpi does).
constexpr double MaxPagePixels = 40e6;
// Lowers the printer's resolution when its printable page would pass MaxPagePixels.
void LimitPageResolution(QPrinter& Printer);

// The printer's resolution in dots per inch (horizontal).
double PrinterDpi(const QPrinter& Printer);

// The card as a Qt image as the paper shows it: opaque, each pixel laid over white (OnPaper).
QImage CardImage(const TBitmap32& Card);

// Where the card lies on a PDF printer's page, in points: Where (device pixels from the
// top-left corner of the printable page) moved by the page's margins.
TPdfPlacement PdfPlacement(const QPrinter& Printer, const TPrintRect& Where);

// Prints one page: the card stretched into Where (printer device pixels from the top-left
// corner of the printable page), smoothed unless the card's stretch filter is nearest. A PDF
// printer's file is written by WritePdfPage (the picture lossless, in the sRGB ICC colour space,
// the old file kept when writing fails). Raises Exception (Russian text) when the job cannot
// be started or fails.
void PrintCard(QPrinter& Printer, const TBitmap32& Card, const TPrintRect& Where);
