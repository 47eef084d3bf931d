#pragma once
// The small parts the outline dialogs are built from: a panel showing one colour, with a button
// that picks another in the colour dialog, and a bitmap turned into a Qt image.
#include <QFrame>
#include <QImage>

#include "color32.h"

class TBitmap32;
class QToolButton;

// A framed panel filled with a platform colour (red in the lowest byte).
class TColourPanel : public QFrame {
  Q_OBJECT
 public:
  TColourPanel(TPlatformColor Colour, QWidget* Parent);
  TPlatformColor Colour() const { return FColour; }
  void SetColour(TPlatformColor Colour);
  // The panel's colour as an opaque pixel.
  TColor32 Colour32() const { return ColorFromSystem(FColour); }

 private:
  TPlatformColor FColour;
};

// A small button beside Panel that opens the colour dialog at the panel's colour and puts the
// chosen colour into the panel.
QToolButton* MakeColourButton(TColourPanel* Panel, QWidget* Parent);

// A copy of the bitmap's pixels, alpha included.
QImage ImageOf(const TBitmap32& Bitmap);
