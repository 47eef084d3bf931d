#include "effect_shell.h"

#include <cstring>

#include "bitmap32.h"
#include "color32.h"
#include "color_effects.h"
#include "parallel_bands.h"
#include "preview_snapshot.h"

void SaveAlphaAsGrey(const TBitmap32& Layer, TBitmap32& Store) {
  // Every pixel is written below, so a store of the right size is reused as it is.
  Store.SetSize(Layer.Width(), Layer.Height());
  if (Store.IsEmpty())
    return;
  const size_t Count = size_t(Layer.Width()) * size_t(Layer.Height());
  ForEachBand(Count, [&](size_t Begin, size_t End) {
    const TColor32* S = Layer.Bits();
    TColor32* D = Store.Bits();
    for (size_t I = Begin; I < End; ++I) D[I] = 0xFF000000u | (S[I] >> 24) * 0x010101u;
  });
}

void RestoreAlphaFromGrey(const TBitmap32& Store, TBitmap32& Layer) {
  if (Store.Width() != Layer.Width() || Store.Height() != Layer.Height() || Layer.IsEmpty())
    return;
  const size_t Count = size_t(Layer.Width()) * size_t(Layer.Height());
  ForEachBand(Count, [&](size_t Begin, size_t End) {
    const TColor32* S = Store.Bits();
    TColor32* D = Layer.Bits();
    for (size_t I = Begin; I < End; ++I)
      D[I] = (D[I] & 0x00FFFFFFu) | uint32_t(Intensity(S[I])) << 24;
  });
}

void RunRgbShell(const TEffectTarget& Target, const TRgbRoutine& Routine,
                 TPreviewSnapshot* Before) {
  if (Target.Bitmap == nullptr)
    return;
  TBitmap32& Bmp = *Target.Bitmap;
  RgbImage A;
  BitmapToRgb(Bmp, A);
  TBitmap32 Alpha;
  if (Target.IsLayer)
    SaveAlphaAsGrey(Bmp, Alpha);
  if (Before != nullptr)
    Before->Take(Bmp);
  RgbImage B;
  TShellResult Which = srFirst;
  if (Routine) {
    B.SetSize(A.Width(), A.Height());
    Which = Routine(A, B);
  }
  const RgbImage& Result = Which == srSecond ? B : A;
  if (Target.IsLayer) {
    Bmp.BeginUpdate();
    RgbToBitmap(Result, Bmp);
    RestoreAlphaFromGrey(Alpha, Bmp);
    Bmp.EndUpdate();
    Bmp.Changed();
  } else {
    RgbToBitmap(Result, Bmp);
  }
}

void RunPixelShell(const TEffectTarget& Target, const TPixelRoutine& Routine) {
  if (Target.Bitmap == nullptr)
    return;
  TBitmap32& Bmp = *Target.Bitmap;
  // The result equals the working-image shell's.
  if (!Bmp.IsEmpty() && Routine)
    Routine(TPixelSpan{reinterpret_cast<uint8_t*>(Bmp.Bits()),
                       size_t(Bmp.Width()) * size_t(Bmp.Height()), 4, !Target.IsLayer});
  else if (!Target.IsLayer)
    Bmp.MakeOpaque();
  Bmp.Changed();
}
