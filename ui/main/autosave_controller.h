#pragma once
// Keeps a recovery copy of a modified card: every two minutes while the card is modified, and
// right after a command that ran longer than two seconds, a snapshot of the card is written to
// this run's recovery file on a worker thread. A save or a clean exit removes the file; the next
// start offers to restore the file of a run that did not end cleanly.
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "recovery.h"

class TCardDocument;

class TAutosaveController : public QObject {
  Q_OBJECT
 public:
  static constexpr std::chrono::milliseconds DefaultInterval{120000};
  static constexpr std::chrono::milliseconds LongCommand{2000};

  TAutosaveController(TCardDocument& Doc, std::string RecoveryDir, int Pid,
                      QObject* Parent = nullptr);
  ~TAutosaveController() override;

  void SetInterval(std::chrono::milliseconds Interval);
  // Writes a snapshot now when the card is modified; false when nothing was started.
  bool SaveNow();
  // Called after every command with its running time.
  void CommandFinished(std::chrono::milliseconds Elapsed);
  // The card reached its file, or the card was closed on purpose: the copy is not needed.
  void Discard();
  // Waits for a write in progress (tests, shutdown).
  void Wait();

  // The newest recovery file of an editor that is no longer running.
  std::optional<TRecoveryFile> FindOrphan() const;
  // Makes the orphan this run's own recovery file, so it stays until this run saves or ends
  // cleanly; returns its new path (empty when it could not be taken over).
  std::string Adopt(const TRecoveryFile& File);
  // Removes every orphan (the user chose not to restore).
  void RemoveOrphans();

  const std::string& FileName() const { return FSaver.FileName(); }
  const std::string& RecoveryDir() const { return FDir; }

 private:
  void Tick();

  TCardDocument& FDoc;
  const std::string FDir;
  const int FPid;
  TAutosaver FSaver;
  QTimer FTimer;
};
