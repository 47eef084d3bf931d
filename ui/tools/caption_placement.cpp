#include "caption_placement.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "window_fit.h"

namespace {

long long CoveredArea(const QRect& A, const QRect& B) {
  const QRect C = A.intersected(B);
  return C.isEmpty() ? 0 : static_cast<long long>(C.width()) * C.height();
}

}  // namespace

QPoint MoveOffCaption(const QRect& Dialog, const QRect& Caption, const QRect& Screen) {
  if (Caption.isEmpty() || !Dialog.intersects(Caption))
    return Dialog.topLeft();
  const QSize Size = Dialog.size();
  const QPoint Candidates[] = {
      {Caption.left() - CaptionDialogGap - Size.width(), Dialog.top()},
      {Caption.right() + 1 + CaptionDialogGap, Dialog.top()},
      {Dialog.left(), Caption.top() - CaptionDialogGap - Size.height()},
      {Dialog.left(), Caption.bottom() + 1 + CaptionDialogGap},
  };
  QPoint Best = Dialog.topLeft();
  long long BestCovered = CoveredArea(Dialog, Caption);
  int BestMove = std::numeric_limits<int>::max();
  for (const QPoint& C : Candidates) {
    const QPoint At = KeepInside(C, Size, Screen);
    const long long Covered = CoveredArea(QRect(At, Size), Caption);
    const int Move = (At - Dialog.topLeft()).manhattanLength();
    if (Covered < BestCovered || (Covered == BestCovered && Move < BestMove)) {
      Best = At;
      BestCovered = Covered;
      BestMove = Move;
    }
  }
  return Best;
}
