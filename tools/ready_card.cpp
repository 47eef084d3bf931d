#include "ready_card.h"

#include <exception>

#include "bitmap32.h"
#include "card_document.h"
#include "exceptions.h"
#include "undo.h"
#include "user_error_text.h"

void PutReadyCard(TCardDocument& Doc, const TChangeStart& Start, const std::string& FileName,
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
  StartChange(Start);
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

namespace {

std::string SizeText(int32_t W, int32_t H) {
  return std::to_string(W) + " × " + std::to_string(H) + " точек";
}

}  // namespace

std::string ReadyCardSizeNote(int32_t CardW, int32_t CardH, int32_t ProjectW, int32_t ProjectH,
                              bool FitToProject) {
  const bool Card = CardW > 0 && CardH > 0, Project = ProjectW > 0 && ProjectH > 0;
  if (!Project)
    return Card ? "Проект примет размер открытки: " + SizeText(CardW, CardH) + "."
                : "Проект примет размер выбранной открытки.";
  if (FitToProject) {
    const std::string What = Card ? "Открытка " + SizeText(CardW, CardH) : "Открытка";
    return What + " будет растянута до размера проекта: " + SizeText(ProjectW, ProjectH) + ".";
  }
  if (!Card)
    return "Проект примет размер выбранной открытки вместо " + SizeText(ProjectW, ProjectH) + ".";
  if (CardW == ProjectW && CardH == ProjectH)
    return "Открытка " + SizeText(CardW, CardH) + " — того же размера, что и проект.";
  return "Открытка " + SizeText(CardW, CardH) + ": проект примет её размер вместо " +
         SizeText(ProjectW, ProjectH) + ".";
}
