#include "colour_panel.h"

#include <QColorDialog>
#include <QToolButton>

#include "bitmap32.h"
#include "qt_colours.h"

TColourPanel::TColourPanel(TPlatformColor Colour, QWidget* Parent)
    : QFrame(Parent), FColour(Colour) {
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Sunken);
  setAutoFillBackground(true);
  setMinimumSize(48, 22);
  SetColour(Colour);
}

void TColourPanel::SetColour(TPlatformColor Colour) {
  FColour = Colour;
  const TColor32 C = ColorFromSystem(Colour);
  QPalette P = palette();
  P.setColor(QPalette::Window, ToQColor(C));
  setPalette(P);
}

QToolButton* MakeColourButton(TColourPanel* Panel, QWidget* Parent) {
  auto* B = new QToolButton(Parent);
  B->setText(QStringLiteral("..."));
  QObject::connect(B, &QToolButton::clicked, Panel, [Panel, Parent] {
    const TColor32 C = Panel->Colour32();
    const QColor Chosen = QColorDialog::getColor(ToQColor(C), Parent);
    if (Chosen.isValid())
      Panel->SetColour(PlatformFromQColor(Chosen));
  });
  return B;
}

QImage ImageOf(const TBitmap32& Bitmap) {
  if (Bitmap.IsEmpty())
    return {};
  // TColor32 is stored as the bytes blue, green, red, alpha: Qt's ARGB32 on this byte order.
  return QImage(reinterpret_cast<const uchar*>(Bitmap.Bits()), Bitmap.Width(), Bitmap.Height(),
                qsizetype(Bitmap.Width()) * 4, QImage::Format_ARGB32)
      .copy();
}
