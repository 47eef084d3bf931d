#include "print_settings.h"

#include <QPrinter>
#include <exception>

TPrintSettings::TPrintSettings() = default;
TPrintSettings::~TPrintSettings() = default;

QPrinter& TPrintSettings::Select(const QString& Name, int PdfDpi) {
  auto It = FPrinters.find(Name);
  if (It == FPrinters.end()) {
    TEntry Entry;
    Entry.Printer = MakePrinter(Name, PdfDpi);
    Entry.BaseDpi = Entry.Printer->resolution();
    It = FPrinters.emplace(Name, std::move(Entry)).first;
  }
  FName = Name;
  return *It->second.Printer;
}

QPrinter& TPrintSettings::Current(int PdfDpi) {
  if (QPrinter* P = Printer())
    return *P;
  const QStringList Names = PrinterNames();
  try {
    return Select(Names.first(), PdfDpi);
  } catch (const std::exception&) {
    // A printer that cannot be used leaves the PDF entry, which always can.
    return Select(PdfPrinterName(), PdfDpi);
  }
}

QPrinter* TPrintSettings::Printer() const {
  const auto It = FPrinters.find(FName);
  return It == FPrinters.end() ? nullptr : It->second.Printer.get();
}

int TPrintSettings::BaseDpi() const {
  const auto It = FPrinters.find(FName);
  return It == FPrinters.end() ? PdfPrinterDpi : It->second.BaseDpi;
}
