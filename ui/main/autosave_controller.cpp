#include "autosave_controller.h"

#include <cstdio>

#include "card_document.h"

TAutosaveController::TAutosaveController(TCardDocument& Doc, std::string RecoveryDir, int Pid,
                                         QObject* Parent)
    : QObject(Parent),
      FDoc(Doc),
      FDir(std::move(RecoveryDir)),
      FPid(Pid),
      FSaver(RecoveryFileName(FDir, Pid)) {
  FTimer.setInterval(int(DefaultInterval.count()));
  connect(&FTimer, &QTimer::timeout, this, &TAutosaveController::Tick);
  FTimer.start();
}

TAutosaveController::~TAutosaveController() {
  FSaver.Wait();
}

void TAutosaveController::SetInterval(std::chrono::milliseconds Interval) {
  FTimer.start(int(Interval.count()));
}

bool TAutosaveController::SaveNow() {
  if (!FDoc.Modified || FDoc.IsEmpty() || FSaver.Busy())
    return false;
  // Copying the pixels is the only work done on this thread; encoding and writing are not.
  return FSaver.Start(SnapshotProject(FDoc.Canvas(), FDoc.Layers(), &FDoc.Captions, &FDoc.Frames));
}

void TAutosaveController::CommandFinished(std::chrono::milliseconds Elapsed) {
  if (Elapsed > LongCommand)
    SaveNow();
}

void TAutosaveController::Discard() {
  FSaver.Discard();
}

void TAutosaveController::Wait() {
  FSaver.Wait();
}

void TAutosaveController::Tick() {
  SaveNow();
}

std::optional<TRecoveryFile> TAutosaveController::FindOrphan() const {
  const auto Files = FindOrphanedRecoveryFiles(FDir, FPid, IsEditorRunning);
  if (Files.empty())
    return std::nullopt;
  return Files.front();
}

std::string TAutosaveController::Adopt(const TRecoveryFile& File) {
  FSaver.Wait();
  return AdoptRecoveryFile(File, FDir, FPid);
}

void TAutosaveController::RemoveOrphans() {
  for (const TRecoveryFile& F : FindOrphanedRecoveryFiles(FDir, FPid, IsEditorRunning))
    std::remove(F.Path.c_str());
}
