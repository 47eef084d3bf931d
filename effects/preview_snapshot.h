#pragma once
// A copy of an effect target's pixels, kept while a dialog shows its effect on the card: taken
// before the first preview, put back before each next one and when the dialog closes, dropped
// with the command. Whoever runs the previews owns it and hands it on; no copy outlives its
// owner, so nothing of one command is left for the next.
#include "bitmap32.h"

class TPreviewSnapshot {
 public:
  // Copies Pixels, replacing an earlier copy.
  void Take(const TBitmap32& Pixels);
  bool Taken() const { return FTaken; }
  // The copy back into Pixels; nothing when none was taken. The copy stays for the next time.
  void PutBack(TBitmap32& Pixels) const;
  // Forgets the copy and frees its memory.
  void Drop();

 private:
  TBitmap32 FPixels;
  bool FTaken = false;
};
