#include "print_job.h"

#include <cctype>
#include <cmath>

#include "bitmap32.h"
#include "exceptions.h"

namespace {

constexpr TPaper Papers[] = {
    {"A4", 210, 297}, {"A5", 148, 210}, {"A6", 105, 148}, {"Letter", 215.9, 279.4}};

bool SameName(const std::string& A, const char* B) {
  size_t I = 0;
  for (; I < A.size() && B[I]; ++I)
    if (std::tolower(static_cast<unsigned char>(A[I])) !=
        std::tolower(static_cast<unsigned char>(B[I])))
      return false;
  return I == A.size() && !B[I];
}

}  // namespace

void PutOnPaper(TBitmap32& Card) {
  TColor32* P = Card.Bits();
  const size_t Count = size_t(Card.Width()) * size_t(Card.Height());
  for (size_t I = 0; I < Count; ++I) P[I] = OnPaper(P[I]);
}

std::optional<TPaper> FindPaper(const std::string& Name) {
  for (const TPaper& P : Papers)
    if (SameName(Name, P.Name))
      return P;
  return std::nullopt;
}

TPdfPlacement PlanPrint(int32_t CardW, int32_t CardH, const TPrintRequest& R) {
  if (CardW <= 0 || CardH <= 0)
    throw Exception("Пустую картинку нельзя напечатать");
  double PaperW = R.Paper.WidthMm, PaperH = R.Paper.HeightMm;
  if (R.Landscape)
    std::swap(PaperW, PaperH);
  // The page in device pixels, as a printer reports its printable page.
  const double Dpmm = PdfDeviceDpi / 25.4;
  const int32_t PageW = int32_t(std::lround(PaperW * Dpmm));
  const int32_t PageH = int32_t(std::lround(PaperH * Dpmm));
  const double Cx = PaperW * Dpmm / 2, Cy = PaperH * Dpmm / 2;

  TSingleRect Location;
  if (R.Width || R.Height) {
    const double Ppu = PixelsPerUnit(R.Unit, PdfDeviceDpi);
    const double W = R.Width ? *R.Width : WidthForHeight(*R.Height, CardW, CardH);
    const double H = R.Height ? *R.Height : HeightForWidth(*R.Width, CardW, CardH);
    if (!(W > 0) || !(H > 0) || !std::isfinite(W) || !std::isfinite(H))
      throw Exception("Размер печати должен быть больше нуля");
    Location = {float(Cx - W * Ppu / 2), float(Cy - H * Ppu / 2), 0, 0};
    Location = SizedLocation(Location, W, H, Ppu);
  } else {
    Location = PlaceCard(R.Place == TPrintPlace::Custom ? TPrintPlace::Original : R.Place, PageW,
                         PageH, CardW, CardH, Cx, Cy);
  }

  // Device pixels to points. A PDF has no dot grid, so the card keeps its exact size instead
  // of being rounded to whole device pixels as a printer's page is.
  const double Pt = 72.0 / PdfDeviceDpi;
  TPdfPlacement P;
  P.PageWidth = PaperW * 72 / 25.4;
  P.PageHeight = PaperH * 72 / 25.4;
  P.Left = double(Location.Left) * Pt;
  P.Top = double(Location.Top) * Pt;
  P.Width = std::fabs(double(Location.Right) - Location.Left) * Pt;
  P.Height = std::fabs(double(Location.Bottom) - Location.Top) * Pt;
  return P;
}

void PrintToPdf(const TBitmap32& Card, const TPrintRequest& Request, const std::string& FileName) {
  const TPdfPlacement Placement = PlanPrint(Card.Width(), Card.Height(), Request);
  WritePdfPage(Card, Placement, FileName, true);
}
