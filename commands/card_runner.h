#pragma once
// The one way a command changes the card, for the menus, the dialogs, the window's own commands
// and the batch tool alike: the command's undo step is recorded just before the card changes,
// the command runs, and the change is reported. A command of the table takes the step its row
// names; the window's own commands that are no row name theirs here. Without an undo history
// (the batch tool) nothing is recorded. Qt-free.
#include <functional>
#include <string>

#include "effect_commands.h"
#include "undo.h"

class TCardDocument;

// A command's work, given the start of its change (see TChangeStart).
using TCardWork = std::function<void(const TChangeStart& Start)>;

class TCardRunner {
 public:
  explicit TCardRunner(TCardDocument& Doc, TUndoStack* Undo = nullptr) : FDoc(Doc), FUndo(Undo) {}

  // Told after a command changed the card.
  std::function<void()> OnChanged;

  // A call of the table: the row's undo step (Name, when given, is what the menu shows for it),
  // then the routine: a document command starts its step where it changes the card, an effect
  // records it before it runs on the document's effect target.
  void Run(const TCardCall& Call, const std::string& Name = {});
  // The window's own work for the table's command Command, under the row's step.
  void Run(const std::string& Command, const TCardWork& Work);
  // Work that is no row of the table, under Step. Work that never calls Start records nothing
  // and reports no change. The steps asked for inside (the layer commands a command is made of,
  // a command run inside another) are part of this one. When Work fails after its start and the
  // card is as it was, the step is dropped.
  void Run(TUndoStep Step, const TCardWork& Work, const std::string& Name = {});
  // The same with the step recorded before Work runs.
  void Run(TUndoStep Step, const std::function<void()>& Work, const std::string& Name = {});

  // The step of a change that later events make (a drag from press to release, a dialog's
  // visit, a live dialog): recorded now. The row's step for a command of the table.
  void Begin(TUndoStep Step, const std::string& Name = {});
  void Begin(const std::string& Command);

  // The row of the table named Command (the program's own names: a name not in the table is a
  // program error, raised as EEffectCommandError).
  static const TCardCommand& Row(const std::string& Command);

 private:
  TCardDocument& FDoc;
  TUndoStack* FUndo;
};
