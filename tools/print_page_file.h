#pragma once
// "Print.kvp" in the settings folder: the page set-up of the printer last used, so that the
// paper and orientation chosen in "Параметры печати" or the print window are there after a
// restart. Text lines "key=value": printer (its entry in the printer list), paper (the sheet's
// short x long side in millimetres) and orientation (portrait or landscape).
#include <optional>
#include <string>

struct TPrintPage {
  std::string Printer;
  double ShortMm = 0;  // the sheet's sides in millimetres, short side first
  double LongMm = 0;
  bool Landscape = false;
  bool operator==(const TPrintPage&) const = default;
};

// The sides a sheet may have, in millimetres.
constexpr double PrintPageMinMm = 10;
constexpr double PrintPageMaxMm = 10000;

// Nothing when the file is missing, too large, or any line is damaged: an unknown key, a
// printer name that is empty, a size that is not two numbers within the limits, or an
// orientation other than the two words.
std::optional<TPrintPage> ReadPrintPage(const std::string& FileName);
// False when the file could not be written (the old one stays then).
bool WritePrintPage(const std::string& FileName, const TPrintPage& Page);
