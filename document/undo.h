#pragma once
// The undo history of the card document: a linear list of steps, each the card as it was
// before one change (a command, a dialog's "OK", a mouse drag from press to release) with the
// step's name. "Отменить" puts the state before the last step back, "Повторить" the state after
// it; a new step after an undo drops the steps that could have been redone. Unchanged pixels
// are shared between the steps (see TPixelStore), so a step costs what it changed; the oldest
// steps are dropped when the history outgrows its memory budget.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "document_state.h"

class TCardDocument;

// The kinds of steps, each with its short name for the menu ("Отменить: Маска").
enum TUndoStep : uint8_t {
  usEffect,
  usImageSize,
  usCanvasCrop,
  usRotation,
  usFlip,
  usMask,
  usRemoveMask,
  usTransparentColour,
  usFrame,
  usBackground,
  usTexture,
  usReadyCard,
  usPerspective,
  usLayerCrop,
  usOutline,
  usCut,
  usPaste,
  usMoveLayer,
  usResizeLayer,
  usAddPhoto,
  usCaption,
  usDecoration,
  usGreeting,
  usUnderlay,
  usDeleteLayer,
  usCloneLayer,
  usLayerOrder,
  usFlatten,
  usOpacity,
  usInterpolation,
  usLayerScale,
  usEditCaption,
};

// The step's name in Russian, as the menu shows it.
const char* UndoStepName(TUndoStep Step);

// Called by a command just before it changes the card, after what may fail without a change
// (reading a file, checking the values): the card runner records the command's undo step there.
// An empty one records nothing.
using TChangeStart = std::function<void()>;
inline void StartChange(const TChangeStart& Start) {
  if (Start)
    Start();
}

// The default memory budget of the history: 1 GiB.
constexpr uint64_t DefaultUndoBudget = uint64_t{1} << 30;

class TUndoStack {
 public:
  explicit TUndoStack(TCardDocument& Doc);
  TUndoStack(const TUndoStack&) = delete;
  TUndoStack& operator=(const TUndoStack&) = delete;

  // A step named after Step: the card as it is now, taken just before a command changes
  // anything. Drops the steps that could have been redone, then the oldest steps while the
  // history is over its budget (never the step just taken). The step before is dropped when the
  // card is still as that step recorded it. Inside a group nothing is taken:
  // the group's step covers the change.
  // Name, when given, is what the menu shows for the step instead of Step's own name (an
  // effect named as its menu item is).
  void Record(TUndoStep Step, const std::string& Name = {});
  // Steps asked for between BeginGroup and EndGroup are part of the step before (the card
  // runner groups a command made of others that take steps of their own).
  void BeginGroup() { ++FGroupDepth; }
  void EndGroup() { --FGroupDepth; }
  bool InGroup() const { return FGroupDepth > 0; }
  // Ends a step whose change may have come to nothing (a press released where it began, a
  // dialog closed without a change): the last step is dropped when the card is as it recorded.
  void DropIfUnchanged();

  // "Отменить" / "Повторить". True when the card changed.
  bool Undo();
  bool Redo();
  bool CanUndo() const { return FPos > 0; }
  bool CanRedo() const { return FPos < static_cast<int32_t>(FSteps.size()); }
  // The names of the steps "Отменить" and "Повторить" would walk; "" when disabled.
  std::string UndoName() const;
  std::string RedoName() const;

  // The history is emptied, and the card as it is becomes the saved point (a document was
  // opened or made anew); the card's pixels are copied for the steps to come.
  void Reset();
  // The card was saved: the current step is the saved point.
  void MarkSaved() { FSaved = FPos; }
  // Whether the card is at the saved point (undo or redo walked back to it).
  bool AtSavedPoint() const { return FSaved == FPos; }
  // No step is the saved point (a recovered card, saved nowhere yet).
  void ForgetSavedPoint() { FSaved = -1; }

  // How many steps there are, and how many of them can be undone.
  int32_t Count() const { return static_cast<int32_t>(FSteps.size()); }
  int32_t Position() const { return FPos; }
  // The bytes of pixels the history keeps (each shared copy counted once).
  uint64_t MemoryUse() const;
  uint64_t Budget() const { return FBudget; }
  void SetBudget(uint64_t Bytes);
  // The state a step recorded, for tests: the card before step I.
  const TDocumentState& StateBefore(int32_t I) const { return FSteps.at(size_t(I)).Before; }

  // Asked to release the mouse capture while a state is put back (the frame is rebuilt around
  // the restored layer while a drag may be going on).
  std::function<void()> OnReleaseCapture;

 private:
  struct TStep {
    TUndoStep Kind = usEffect;
    std::string Name;
    TDocumentState Before;
    // Filled when the step is undone: the card as it was after the step.
    TDocumentState After;
  };
  void Trim();
  static std::string NameOf(const TStep& S);

  TCardDocument& FDoc;
  TPixelStore FStore;
  std::vector<TStep> FSteps;
  // Steps 0..FPos-1 can be undone, FPos.. redone.
  int32_t FPos = 0;
  // The position of the saved point; -1 when it was dropped.
  int32_t FSaved = 0;
  uint64_t FBudget = DefaultUndoBudget;
  int32_t FGroupDepth = 0;
};
