#include "card_runner.h"

#include "card_commands.h"
#include "card_document.h"

const TCardCommand& TCardRunner::Row(const std::string& Command) {
  for (const TCardCommand& C : CardCommands())
    if (Command == C.Name)
      return C;
  throw EEffectCommandError("в таблице команд нет команды " + Command);
}

void TCardRunner::Run(const TCardCall& Call, const std::string& Name) {
  if (Call.Command == nullptr)
    return;
  const TCardCommand& C = *Call.Command;
  Run(
      C.Step,
      [&](const TChangeStart& Start) {
        if (C.Format == efDocument) {
          if (C.Run != nullptr)
            C.Run(FDoc, Call, Start);
          return;
        }
        Start();
        RunEffectCall(Call, EffectTarget(FDoc));
      },
      Name);
}

void TCardRunner::Run(const std::string& Command, const TCardWork& Work) {
  Run(Row(Command).Step, Work);
}

void TCardRunner::Run(TUndoStep Step, const TCardWork& Work, const std::string& Name) {
  // Inside another command the step is that command's.
  const bool Outer = FUndo != nullptr && !FUndo->InGroup();
  bool Started = false, Grouped = false;
  const TChangeStart Start = [&] {
    if (Started)
      return;
    Started = true;
    if (FUndo == nullptr)
      return;
    FUndo->Record(Step, Name);
    FUndo->BeginGroup();
    Grouped = true;
  };
  try {
    Work(Start);
  } catch (...) {
    if (Grouped) {
      FUndo->EndGroup();
      if (Outer) {
        try {
          FUndo->DropIfUnchanged();
        } catch (...) {  // the step stays; the command's own error is the one to report
        }
      }
    }
    throw;
  }
  if (Grouped)
    FUndo->EndGroup();
  if (Started && OnChanged)
    OnChanged();
}

void TCardRunner::Run(TUndoStep Step, const std::function<void()>& Work, const std::string& Name) {
  Run(
      Step,
      [&](const TChangeStart& Start) {
        Start();
        Work();
      },
      Name);
}

void TCardRunner::Begin(TUndoStep Step, const std::string& Name) {
  if (FUndo != nullptr)
    FUndo->Record(Step, Name);
}

void TCardRunner::Begin(const std::string& Command) {
  Begin(Row(Command).Step);
}
