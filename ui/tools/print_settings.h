#pragma once
// The printers of the print window and of "Параметры печати". Each printer is made once, on its
// first use, and kept with its page set-up (paper, orientation, margins) for the rest of the
// session, so what the page dialog sets is what the next print uses, and a printer chosen
// again in the print window comes back as it was left. With a settings file the printer in use,
// its paper and orientation are kept between runs ("Print.kvp", print_page_file.h).
#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "print_device.h"
#include "print_page_file.h"

class QPrinter;

class TPrintSettings {
 public:
  // FileName keeps the page set-up between runs; without it nothing is read or written.
  explicit TPrintSettings(const QString& FileName = QString());
  // Saves the page set-up.
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

  // The printer in use (null before any was chosen), its entry name (before any was chosen,
  // the one the settings file names), and its own resolution (a large page may have lowered the
  // printer's since).
  QPrinter* Printer() const;
  const QString& Name() const { return FName; }
  int BaseDpi() const;

  // Writes the printer in use with its paper and orientation to the settings file.
  void Save() const;

 private:
  struct TEntry {
    std::unique_ptr<QPrinter> Printer;
    int BaseDpi = PdfPrinterDpi;
  };
  std::map<QString, TEntry> FPrinters;
  QString FName;  // empty before any was chosen and no settings file names one
  QString FFileName;
  std::optional<TPrintPage> FSaved;  // the page set-up read at start, for its printer's first use
};
