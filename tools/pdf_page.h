#pragma once
// A one-page PDF holding one picture: what "printing to a file" produces. The picture keeps
// its own pixels (deflated, lossless, with a soft mask when any pixel is not opaque) and is
// placed on the page at a physical size, so a viewer or a print shop gets it at exactly that
// size whatever resolution it prints at.
#include <cstdint>
#include <string>
#include <vector>

class TBitmap32;

struct TPdfPlacement {
  double PageWidth = 0, PageHeight = 0;  // points (1/72 inch)
  // The picture's rectangle on the page in points, measured from the page's top-left corner.
  double Left = 0, Top = 0, Width = 0, Height = 0;
};

// The file image. Raises Exception for an empty picture or a page or picture size that is not
// positive and finite.
std::vector<uint8_t> BuildPdfPage(const TBitmap32& Picture, const TPdfPlacement& Placement);
// BuildPdfPage written atomically: on failure an existing file is left as it was.
void WritePdfPage(const TBitmap32& Picture, const TPdfPlacement& Placement,
                  const std::string& FileName);
