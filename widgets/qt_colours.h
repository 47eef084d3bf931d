#pragma once
// Qt's colours and ours, converted in one place: TColor32 (0xAARRGGBB) and the platform's
// colour values (TPlatformColor, red in the lowest byte, as stored in settings and projects).
#include <QColor>
#include <QColorDialog>
#include <QString>

#include "color32.h"

// The colour's red, green and blue, opaque.
inline QColor ToQColor(TColor32 C) {
  return QColor(RedOf(C), GreenOf(C), BlueOf(C));
}
// An opaque TColor32 of the chosen colour.
inline TColor32 Color32FromQColor(const QColor& C) {
  return ColorFromRGBA(C.red(), C.green(), C.blue());
}

// The colour dialog opened on Colour; true, with the choice in Colour, when one is chosen.
inline bool ChooseColor32(QWidget* Parent, TColor32& Colour, const QString& Title = QString()) {
  const QColor C = QColorDialog::getColor(ToQColor(Colour), Parent, Title);
  if (!C.isValid())
    return false;
  Colour = Color32FromQColor(C);
  return true;
}

// A platform colour value given as 0x00BBGGRR (system colours are resolved by the caller).
inline QColor PlatformToQColor(uint32_t BGR) {
  return QColor(int(BGR & 0xFF), int((BGR >> 8) & 0xFF), int((BGR >> 16) & 0xFF));
}
// The chosen colour as a platform colour value, 0x00BBGGRR.
inline TPlatformColor PlatformFromQColor(const QColor& C) {
  return TPlatformColor(C.red() | (C.green() << 8) | (C.blue() << 16));
}
