#pragma once
// The mask dialog's work on the card: the copy of its target (the selected bitmap layer, else
// the canvas) saved when the dialog opens, the previews, "OK" with the start of its undo step
// and "Cancel".
// Qt-free; the dialog only collects the mask file and the inversion.
#include <cstdint>
#include <string>

#include "bitmap32.h"
#include "card_document.h"
#include "target_snapshot.h"
#include "undo.h"

class TMaskSession {
 public:
  explicit TMaskSession(TCardDocument& Doc) : FDoc(Doc) {}

  // The dialog opens: saves a copy of the target's bitmap.
  void Begin();
  bool Active() const { return FSnapshot.Taken(); }
  // "Просмотр" and a double-click on a mask: the mask on the layer as the last preview left it
  // (each preview sets the alpha, so previews never pile up). An empty file name (no mask
  // selected) does nothing.
  void Preview(const std::string& MaskFile, bool Invert);
  // "OK": the saved state back, the saved copy emptied, Start (one undo step), then the mask
  // when one is selected (an empty MaskFile: the undo step only). A mask that cannot be read
  // leaves the target as saved and does not call Start.
  void Ok(const std::string& MaskFile, bool Invert, const TChangeStart& Start);
  // "Cancel" (also closing the dialog any other way): the saved state back, the copy emptied.
  void Cancel();

 private:
  void Restore();
  void End();

  TCardDocument& FDoc;
  TTargetSnapshot FSnapshot;
};
