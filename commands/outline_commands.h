#pragma once
// The layer outline commands on the card: borders, the relief contour and the button effect
// with the copy their dialogs keep while open, the ornament files, and the batch tool's
// commands for them and for the transparent colour. Qt-free; the dialogs only collect values.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "effect_commands.h"
#include "outline_effects.h"
#include "target_snapshot.h"

class TCardDocument;
class TUndoStack;
class TLayerCommands;
class TCustomLayer;

// The undo step of the three outline commands, from their dialogs and from the batch tool.
constexpr TUndoStep OutlineStep = usOutline;

// The number of ornament files in the "Patterns" folder.
constexpr int32_t PatternCount = 38;

// DataDir + "/Patterns/pat" + N + ".bmp".
std::string PatternFileName(const std::string& DataDir, int32_t N);
// Reads an ornament into Pattern. A missing file leaves Pattern empty and returns false; a file
// that cannot be read raises the reader's error.
bool LoadPattern(const std::string& FileName, TBitmap32& Pattern);

// Called between clearing the selection and selecting the layer again (the window releases the
// mouse capture there, so the frame is rebuilt around the new shape).
using TReleaseCapture = std::function<void()>;

// The border step on the card's effect target. A layer's location grows by twice the border
// width to the right and down, and the layer is selected anew.
void BorderStep(TCardDocument& Doc, const TBorderParams& P, const TReleaseCapture& Release = {});
// The relief contour on the selected bitmap layer (nothing without one); its location stays.
void ReliefStep(TCardDocument& Doc, const TReliefParams& P);
// The button bevel on the card's effect target.
void ButtonStep(TCardDocument& Doc, const TButtonParams& P);

// The protocol of the three dialogs: activation takes the copy; a preview puts it back and
// runs the step; "OK" puts it back and runs the step through the card runner (one undo step);
// "Cancel" puts it back.
class TOutlineSession {
 public:
  TOutlineSession(TCardDocument& Doc, TUndoStack& Undo) : FDoc(Doc), FUndo(Undo) {}
  TReleaseCapture OnReleaseCapture;

  // The target as the dialog found it on activation.
  void Activate() { FCopy.Take(FDoc); }
  void Preview(const std::function<void()>& Step);
  void Ok(const std::function<void()>& Step);
  void Cancel();
  // The dialog closed: the copy is dropped.
  void Close() { FCopy.Drop(); }
  const TTargetSnapshot& Copy() const { return FCopy; }

 private:
  // The copy back on its target, a layer selected anew; a layer's copy only while a bitmap
  // layer is selected.
  void Restore();

  TCardDocument& FDoc;
  TUndoStack& FUndo;
  TTargetSnapshot FCopy;
};

// A press on the view in the transparent-colour pick mode at canvas point P: the selected
// bitmap layer's pixel there (alpha forced to 255) becomes the transparent colour. A press outside
// the layer's location picks nothing. True when the colour was applied.
bool PickModePress(TCardDocument& Doc, TLayerCommands& Commands, TPoint P);
// The colour shown in the pick window for the mouse at canvas point P over the layer Hovered:
// false unless a bitmap layer is selected and the mouse is over a layer.
bool PickModeHover(TCardDocument& Doc, const TCustomLayer* Hovered, TPoint P, TColor32& Colour);

// The batch tool's commands: Border, Relief, Button and TransparentColor.
std::vector<TCardCommand> OutlineCommands();
