#pragma once
// Keeping the caption in sight while the caption dialog is open: the dialog steps aside from
// the caption it put on the card.
#include <QPoint>
#include <QRect>

// The space left between the dialog and the caption it steps aside from.
constexpr int CaptionDialogGap = 8;

// Where the dialog's frame Dialog goes so as not to cover Caption (both in screen
// coordinates): where it is when it covers nothing of it (or Caption is empty); otherwise beside
// the caption, left, right, above or below, whole inside Screen, the shortest move that
// uncovers it, or, when none does, the one that covers the least of it.
QPoint MoveOffCaption(const QRect& Dialog, const QRect& Caption, const QRect& Screen);
