#pragma once
// The printers of the print window and of "Параметры печати". Each printer is made once, on its
// first use, and kept with its page set-up (paper, orientation, margins) for the rest of the
// session, so what the page dialog sets is what the next print uses, and a printer chosen
// again in the print window comes back as it was left.
#include <QString>
#include <map>
#include <memory>

#include "print_device.h"

class QPrinter;

class TPrintSettings {
 public:
  TPrintSettings();
  ~TPrintSettings();
  TPrintSettings(const TPrintSettings&) = delete;
  TPrintSettings& operator=(const TPrintSettings&) = delete;

  // The printer of an entry of PrinterNames, made on its first use (MakePrinter, the PDF entry
  // at PdfDpi), becomes the one in use. Raises Exception (Russian text) when it cannot be used;
  // the printer in use stays then.
  QPrinter& Select(const QString& Name, int PdfDpi = PdfPrinterDpi);
  // The printer in use; before any was chosen, the first entry of PrinterNames, or the PDF
  // entry when that printer cannot be used.
  QPrinter& Current(int PdfDpi = PdfPrinterDpi);

  // The printer in use (null before any was chosen), its entry name, and its own resolution
  // (a large page may have lowered the printer's since).
  QPrinter* Printer() const;
  const QString& Name() const { return FName; }
  int BaseDpi() const;

 private:
  struct TEntry {
    std::unique_ptr<QPrinter> Printer;
    int BaseDpi = PdfPrinterDpi;
  };
  std::map<QString, TEntry> FPrinters;
  QString FName;  // empty before any was chosen
};
