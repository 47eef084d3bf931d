#include "ready_card.h"

#include <exception>

#include "bitmap32.h"
#include "card_document.h"
#include "exceptions.h"
#include "undo.h"
#include "user_error_text.h"

void PutReadyCard(TCardDocument& Doc, TUndoStack& Undo, const std::string& FileName,
                  bool FitToProject) {
  if (FileName.empty())
    throw Exception("Открытка не выбрана.");
  TBitmap32 Card;
  try {
    Card.LoadFromFile(FileName);
  } catch (const std::exception& E) {
    throw Exception(OpenFileErrorText(FileName, E));
  }
  // A freshly read picture draws opaque; the filter smooths the stretch.
  Card.SetStretchFilter(sfLinear2);

  TBitmap32& Canvas = Doc.Canvas();
  Undo.Record(usReadyCard);
  Doc.Background = {.Mode = bmCard};
  if (FitToProject && !Canvas.IsEmpty()) {
    Card.DrawOnto(Canvas, Canvas.BoundsRect(), Card.BoundsRect());
    return;
  }
  // The canvas takes the pixels only; its draw mode, opacity and filter (the view's
  // interpolation setting) stay.
  const bool Resized = Canvas.Width() != Card.Width() || Canvas.Height() != Card.Height();
  Canvas.SwapContents(Card);
  Canvas.Changed();
  if (Resized)
    Canvas.NotifyResize();
}
