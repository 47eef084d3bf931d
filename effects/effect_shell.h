#pragma once
// The effect target and the 24-bit shell every RgbImage routine runs in.
#include <functional>

#include "rgb_image.h"

class TBitmap32;
struct TPixelSpan;

// The bitmap an effect changes: the selected layer's bitmap, or the canvas when no layer is
// selected. IsLayer decides whether the shell keeps the transparency.
struct TEffectTarget {
  TBitmap32* Bitmap = nullptr;
  bool IsLayer = false;
};

// The target as it was before the last run of a 24-bit routine; empty between commands.
TBitmap32& PreviewBackup();
// The selected layer's alpha as grey (red = green = blue = alpha, alpha 255), refilled by every
// shell run on a layer.
TBitmap32& AlphaStore();

// The routine of one shell run: it works on the working image A (and the second working image
// B, which the shell sizes like A, where it needs one) and tells which one holds the result.
enum TShellResult { srFirst, srSecond };
using TRgbRoutine = std::function<TShellResult(RgbImage& A, RgbImage& B)>;

// Converts the target to a working image, keeps its alpha in AlphaStore (a layer) and a copy
// in PreviewBackup, runs the routine (none when empty), and assigns the result back: every
// pixel opaque, or with a layer's alpha taken back from AlphaStore. A routine that throws
// leaves the target unchanged. A command that empties PreviewBackup right after the run (no
// preview can follow) passes KeepBackup false and the copy is not made.
void RunRgbShell(const TEffectTarget& Target, const TRgbRoutine& Routine, bool KeepBackup = true);

// A run of the shell for a routine that treats each pixel on its own (the colour routines of
// color_effects.h), done in the target's own memory with no working image: the colour bytes
// change as they would in the shell, a canvas ends opaque and a layer keeps its alpha.
// PreviewBackup is emptied, so this serves the commands that cannot preview.
using TPixelRoutine = std::function<void(const TPixelSpan& Span)>;
void RunPixelShell(const TEffectTarget& Target, const TPixelRoutine& Routine);

// Puts PreviewBackup back into the target when it is not empty ("Cancel" and "Просмотр").
void RestorePreview(const TEffectTarget& Target);
// Empties PreviewBackup (the end of every effect command).
void EmptyPreviewBackup();

// The layer's alpha as grey into Store, sized like Layer.
void SaveAlphaAsGrey(const TBitmap32& Layer, TBitmap32& Store);
// Every pixel's alpha becomes the intensity of the same pixel of Store (same size).
void RestoreAlphaFromGrey(const TBitmap32& Store, TBitmap32& Layer);
