#pragma once
// The effect target and the 24-bit shell every RgbImage routine runs in.
#include <functional>

#include "rgb_image.h"

class TBitmap32;
class TPreviewSnapshot;
struct TPixelSpan;

// The bitmap an effect changes: the selected layer's bitmap, or the canvas when no layer is
// selected. IsLayer decides whether the shell keeps the transparency.
struct TEffectTarget {
  TBitmap32* Bitmap = nullptr;
  bool IsLayer = false;
};

// The routine of one shell run: it works on the working image A (and the second working image
// B, which the shell sizes like A, where it needs one) and tells which one holds the result.
enum TShellResult { srFirst, srSecond };
using TRgbRoutine = std::function<TShellResult(RgbImage& A, RgbImage& B)>;

// Converts the target to a working image (a layer's alpha kept aside as grey), runs the routine
// (none when empty), and assigns the result back: every pixel opaque, or with a layer's alpha
// put back. A routine that throws leaves the target unchanged. A preview passes its snapshot as
// Before, which takes the target as it was before the run.
void RunRgbShell(const TEffectTarget& Target, const TRgbRoutine& Routine,
                 TPreviewSnapshot* Before = nullptr);

// A run of the shell for a routine that treats each pixel on its own (the colour routines of
// color_effects.h), done in the target's own memory with no working image: the colour bytes
// change as they would in the shell, a canvas ends opaque and a layer keeps its alpha.
using TPixelRoutine = std::function<void(const TPixelSpan& Span)>;
void RunPixelShell(const TEffectTarget& Target, const TPixelRoutine& Routine);

// The layer's alpha as grey into Store, sized like Layer.
void SaveAlphaAsGrey(const TBitmap32& Layer, TBitmap32& Store);
// Every pixel's alpha becomes the intensity of the same pixel of Store (same size).
void RestoreAlphaFromGrey(const TBitmap32& Store, TBitmap32& Layer);
