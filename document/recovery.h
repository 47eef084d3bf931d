#pragma once
// Autosaved copies of a modified card, so that work survives a crash or a killed editor.
// Each running editor writes its card to "card-<pid>.kvt" in the recovery folder; a clean exit
// or a successful save removes it. A file whose editor is no longer running is an orphan, and
// the next start offers to restore it.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "project_file.h"

struct TRecoveryFile {
  std::string Path;
  int Pid = 0;
  int64_t ModifiedTime = 0;  // seconds since the epoch
};

// Dir/card-<Pid>.kvt
std::string RecoveryFileName(const std::string& Dir, int Pid);
// Whether Pid is a running editor (an editor process, not another program that got the pid).
bool IsEditorRunning(int Pid);
// The recovery files in Dir whose editor is not running, newest first. OwnPid's file is never
// one of them. A missing folder has none.
std::vector<TRecoveryFile> FindOrphanedRecoveryFiles(const std::string& Dir, int OwnPid,
                                                     const std::function<bool(int Pid)>& IsRunning);
// Makes an orphan this run's own recovery file (renamed to OwnPid's name), so it stays on disk
// until this run saves or ends cleanly. Returns the new path; empty when the rename failed.
std::string AdoptRecoveryFile(const TRecoveryFile& File, const std::string& Dir, int OwnPid);

// An independent copy of the canvas and the bitmap layers, as a project stores them, that a
// worker thread can write while the card goes on changing.
// The editable captions among Captions and the frames of Frames (when given) go with their
// layers.
std::unique_ptr<TProjectContent> SnapshotProject(const TBitmap32& Canvas,
                                                 const TLayerCollection& Layers,
                                                 const TLayerCaptions* Captions = nullptr,
                                                 const TLayerFrames* Frames = nullptr);

// Writes snapshots to one recovery file on a worker thread, one at a time.
class TAutosaver {
 public:
  explicit TAutosaver(std::string FileName);
  ~TAutosaver();
  TAutosaver(const TAutosaver&) = delete;
  TAutosaver& operator=(const TAutosaver&) = delete;

  const std::string& FileName() const { return FFileName; }
  // Hands the snapshot to the worker. False (the snapshot dropped) while a write is running.
  bool Start(std::unique_ptr<TProjectContent> Snapshot);
  bool Busy() const;
  // Waits for a running write.
  void Wait();
  // Waits for a running write, then removes the recovery file.
  void Discard();
  // The last write's error text; empty after a write that succeeded.
  std::string LastError() const;
  // Number of writes that reached the disk.
  int64_t WrittenCount() const;

 private:
  void Run();

  const std::string FFileName;
  mutable std::mutex FLock;
  std::condition_variable FWake;
  std::condition_variable FIdle;
  std::unique_ptr<TProjectContent> FPending;
  bool FWriting = false;
  bool FStop = false;
  std::string FLastError;
  int64_t FWritten = 0;
  std::thread FWorker;
};
