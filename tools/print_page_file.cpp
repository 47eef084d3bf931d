#include "print_page_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "file_io.h"
#include "text_lines.h"

namespace {

constexpr size_t MaxFileSize = 4096;

std::optional<double> ParseMm(const std::string& Text) {
  if (Text.empty() || Text.size() > 16)
    return std::nullopt;
  char* End = nullptr;
  const double V = std::strtod(Text.c_str(), &End);
  if (End != Text.c_str() + Text.size() || !std::isfinite(V) || V < PrintPageMinMm ||
      V > PrintPageMaxMm)
    return std::nullopt;
  return V;
}

std::string FormatMm(double V) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%.1f", V);
  return Text;
}

}  // namespace

std::optional<TPrintPage> ReadPrintPage(const std::string& FileName) {
  std::string Text;
  try {
    const std::vector<uint8_t> Bytes = ReadFileBytes(FileName, MaxFileSize);
    Text.assign(Bytes.begin(), Bytes.end());
  } catch (const std::exception&) {
    return std::nullopt;
  }
  TPrintPage Page;
  bool HasPrinter = false, HasPaper = false, HasOrientation = false;
  for (const std::string& Line : SplitLines(Text)) {
    if (Line.empty())
      continue;
    const size_t Eq = Line.find('=');
    if (Eq == std::string::npos)
      return std::nullopt;
    const std::string Key = Line.substr(0, Eq), Value = Line.substr(Eq + 1);
    if (Key == "printer" && !Value.empty() && Value.find('\0') == std::string::npos) {
      Page.Printer = Value;
      HasPrinter = true;
    } else if (Key == "paper") {
      const size_t X = Value.find('x');
      if (X == std::string::npos)
        return std::nullopt;
      const std::optional<double> A = ParseMm(Value.substr(0, X)), B = ParseMm(Value.substr(X + 1));
      if (!A || !B)
        return std::nullopt;
      Page.ShortMm = std::min(*A, *B);
      Page.LongMm = std::max(*A, *B);
      HasPaper = true;
    } else if (Key == "orientation" && (Value == "portrait" || Value == "landscape")) {
      Page.Landscape = Value == "landscape";
      HasOrientation = true;
    } else {
      return std::nullopt;
    }
  }
  if (!HasPrinter || !HasPaper || !HasOrientation)
    return std::nullopt;
  return Page;
}

bool WritePrintPage(const std::string& FileName, const TPrintPage& Page) {
  if (Page.Printer.empty() || Page.Printer.find('\n') != std::string::npos)
    return false;
  const std::string Text = "printer=" + Page.Printer + "\npaper=" + FormatMm(Page.ShortMm) + "x" +
                           FormatMm(Page.LongMm) +
                           "\norientation=" + (Page.Landscape ? "landscape" : "portrait") + "\n";
  try {
    WriteFileAtomically(FileName, reinterpret_cast<const uint8_t*>(Text.data()), Text.size());
  } catch (const std::exception&) {
    return false;
  }
  return true;
}
