#pragma once
// A one-page PDF holding one picture: what "printing to a file" produces. The picture keeps
// its own pixels (deflated, lossless, with a soft mask when any pixel is not opaque) and is
// placed on the page at a physical size, so a viewer or a print shop gets it at exactly that
// size whatever resolution it prints at.
#include <cstdint>
#include <string>
#include <vector>

#include "types.h"

class TBitmap32;

struct TPdfPlacement {
  double PageWidth = 0, PageHeight = 0;  // points (1/72 inch)
  // The picture's rectangle on the page in points, measured from the page's top-left corner.
  double Left = 0, Top = 0, Width = 0, Height = 0;
};

// A pixel of the card as the paper shows it: its colour laid over white by its alpha, opaque.
TColor32 OnPaper(TColor32 C);

// The file image. OnWhitePaper lays every pixel over white as it is put in (OnPaper), so the
// page has nothing see-through. Raises Exception for an empty picture or a page or picture size
// that is not positive and finite. The picture is converted and compressed a band of rows at a
// time: beside the picture, only the compressed file is held.
std::vector<uint8_t> BuildPdfPage(const TBitmap32& Picture, const TPdfPlacement& Placement,
                                  bool OnWhitePaper = false);
// BuildPdfPage written atomically: on failure an existing file is left as it was.
void WritePdfPage(const TBitmap32& Picture, const TPdfPlacement& Placement,
                  const std::string& FileName, bool OnWhitePaper = false);
