#pragma once
// Running effect calls in the editor: the undo record before a change, a dialog's previews and
// their undoing, a live dialog's working copy, and the report of what changed. The calls are
// the ones the batch tool parses and runs, so a menu item and the batch tool do the same work.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bitmap32.h"
#include "effect_commands.h"
#include "preview_snapshot.h"

// What running an effect needs of the window that shows the card.
class TCommandHost {
 public:
  virtual ~TCommandHost() = default;
  // The selected bitmap layer's bitmap, or the canvas; asked afresh at every step.
  virtual TEffectTarget Target() = 0;
  // The undo step of an effect, taken before the target changes, named Name ("" for the
  // plain "Эффект").
  virtual void RecordLayerStep(const std::string& Name) = 0;
  // The step taken by RecordLayerStep is dropped if the card is as it recorded (a live dialog
  // cancelled).
  virtual void DropUnchangedStep() {}
  // Runs Work, whose changes to the target are shown anew but are no change of the card (a
  // preview and its undoing).
  virtual void ShowOnly(const std::function<void()>& Work) = 0;
  // The card changed: shown anew, and the document becomes modified.
  virtual void Changed() = 0;
};

// Runs Calls in order on Target. Consecutive 24-bit routines share one pass of the working
// image, the way a routine repeated inside one command runs.
void RunEffectCalls(const std::vector<TCardCall>& Calls, const TEffectTarget& Target);

class TEffectRunner {
 public:
  explicit TEffectRunner(TCommandHost& Host) : FHost(Host) {}

  // The name of the undo steps of the commands that follow: the menu item that runs them
  // ("Жалюзи: широкие"); "" between menu commands.
  void NameSteps(const std::string& Name) { FStepName = Name; }
  // The step of a command that runs its effect itself (the catalogue), under that name.
  void RecordStep() { FHost.RecordLayerStep(FStepName); }

  // A command: the record, the calls on the target, the change. An error of a call propagates
  // after the record, with the target as the failing call found it.
  void Apply(const std::vector<TCardCall>& Calls);

  // "Просмотр" of a dialog: the target as before the first preview, then the calls on it. The
  // state before is kept in the runner's snapshot until EndPreview.
  void Preview(const std::vector<TCardCall>& Calls);
  // The dialog closed: the target as before any preview, shown; nothing is recorded, and the
  // snapshot is dropped.
  void EndPreview();

  // A dialog that shows its effect as its controls move: the record and a working copy of the
  // target when it opens, each showing from that copy, and the copy put back unless accepted.
  void BeginLive();
  void ShowLive(const std::vector<TCardCall>& Calls);
  // Puts the working copy back (the dialog's reset) and shows it.
  void ResetLive();
  void EndLive(bool Accepted);

 private:
  TCommandHost& FHost;
  std::string FStepName;
  // The target before the first "Просмотр" of the open dialog; empty between commands.
  TPreviewSnapshot FPreview;
  // The target as a live dialog found it.
  TPreviewSnapshot FWorkingCopy;
};
