#pragma once
// Printing the card to a PDF file without a window: the paper, the orientation and the card's
// place and size as the print window offers them, on a device of PdfDeviceDpi.
#include <optional>
#include <string>

#include "pdf_page.h"
#include "print_layout.h"
#include "types.h"

class TBitmap32;

// Paper has no transparency, so a print carries none: where the card (or the canvas under it)
// is transparent, the page's white shows (OnPaper). Every pixel of the card OnPaper.
void PutOnPaper(TBitmap32& Card);

// The resolution of the PDF "printer": a card pixel is 1/300 inch when printed at its own size,
// so a card made for 300 dpi prints at its intended size.
constexpr double PdfDeviceDpi = 300;

struct TPaper {
  const char* Name;
  double WidthMm, HeightMm;  // portrait
};
// A4, A5, A6 or Letter, any letter case; nothing for other names.
std::optional<TPaper> FindPaper(const std::string& Name);

struct TPrintRequest {
  TPaper Paper{"A4", 210, 297};
  bool Landscape = false;
  TPrintPlace Place = TPrintPlace::Original;
  // A typed size in Unit; with only one of them, the other follows the card's proportions.
  std::optional<double> Width, Height;
  TPrintUnit Unit = TPrintUnit::Cm;
};

// The page in points and the card's rectangle on it.
TPdfPlacement PlanPrint(int32_t CardW, int32_t CardH, const TPrintRequest& Request);

// Writes the card as PlanPrint places it, opaque (OnPaper); atomic. Raises Exception for an
// empty card or a size that is not positive.
void PrintToPdf(const TBitmap32& Card, const TPrintRequest& Request, const std::string& FileName);
