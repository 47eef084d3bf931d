#include "print_settings.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <algorithm>
#include <exception>

TPrintSettings::TPrintSettings(const QString& FileName) : FFileName(FileName) {
  if (FFileName.isEmpty())
    return;
  FSaved = ReadPrintPage(FFileName.toStdString());
  if (FSaved && PrinterNames().contains(QString::fromStdString(FSaved->Printer)))
    FName = QString::fromStdString(FSaved->Printer);
  else
    FSaved.reset();
}

TPrintSettings::~TPrintSettings() {
  Save();
}

void TPrintSettings::Save() const {
  const QPrinter* P = Printer();
  if (FFileName.isEmpty() || P == nullptr)
    return;
  const QSizeF Mm = P->pageLayout().pageSize().size(QPageSize::Millimeter);
  TPrintPage Page;
  Page.Printer = FName.toStdString();
  Page.ShortMm = std::min(Mm.width(), Mm.height());
  Page.LongMm = std::max(Mm.width(), Mm.height());
  Page.Landscape = P->pageLayout().orientation() == QPageLayout::Landscape;
  if (Page.ShortMm >= PrintPageMinMm && Page.LongMm <= PrintPageMaxMm)
    WritePrintPage(FFileName.toStdString(), Page);
}

QPrinter& TPrintSettings::Select(const QString& Name, int PdfDpi) {
  auto It = FPrinters.find(Name);
  if (It == FPrinters.end()) {
    TEntry Entry;
    Entry.Printer = MakePrinter(Name, PdfDpi);
    Entry.BaseDpi = Entry.Printer->resolution();
    if (FSaved && Name == QString::fromStdString(FSaved->Printer)) {
      // The paper and orientation of the last run; a printer without that paper keeps its own.
      Entry.Printer->setPageSize(
          QPageSize(QSizeF(FSaved->ShortMm, FSaved->LongMm), QPageSize::Millimeter));
      Entry.Printer->setPageOrientation(FSaved->Landscape ? QPageLayout::Landscape
                                                          : QPageLayout::Portrait);
      FSaved.reset();
    }
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
    return Select(FName.isEmpty() ? Names.first() : FName, PdfDpi);
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
