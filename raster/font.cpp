#include "font.h"

void TFont::SetName(const std::string& V) {
  if (V == FName)
    return;
  FName = V;
  Changed();
}

void TFont::SetSize(int32_t V) {
  if (V == FSize)
    return;
  FSize = V;
  Changed();
}

int32_t TFont::Height() const {
  return -MulDivRound(FSize, ScreenPixelsPerInch, 72);
}

void TFont::SetStyle(TFontStyles V) {
  if (V == FStyle)
    return;
  FStyle = V;
  Changed();
}

void TFont::SetColor(TPlatformColor V) {
  if (V == FColor)
    return;
  FColor = V;
  Changed();
}

void TFont::SetCharset(uint8_t V) {
  if (V == FCharset)
    return;
  FCharset = V;
  Changed();
}

void TFont::Assign(const TFont& Source) {
  if (&Source == this)
    return;
  FName = Source.FName;
  FSize = Source.FSize;
  FStyle = Source.FStyle;
  FColor = Source.FColor;
  FCharset = Source.FCharset;
  Changed();
}

bool TFont::SameAttributes(const TFont& Other) const {
  return FName == Other.FName && FSize == Other.FSize && FStyle == Other.FStyle &&
         FColor == Other.FColor && FCharset == Other.FCharset;
}

void TFont::Changed() {
  if (FOwnerNotify)
    FOwnerNotify();
  if (OnChange)
    OnChange(this);
}
