#pragma once
// Qt's mouse buttons as the controls' own.
#include <Qt>

#include "input.h"

// The button of a Qt mouse event; any button other than the right and the middle one is the
// left.
inline TMouseButton ButtonOf(Qt::MouseButton B) {
  switch (B) {
    case Qt::RightButton:
      return mbRight;
    case Qt::MiddleButton:
      return mbMiddle;
    default:
      return mbLeft;
  }
}
