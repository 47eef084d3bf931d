#include "recovery.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <unordered_map>

#include "bitmap_layer.h"
#include "program_paths.h"
#include "user_error_text.h"

namespace {

constexpr const char* Prefix = "card-";
constexpr const char* Suffix = ".kvt";

// The pid in "card-<pid>.kvt", or 0 for any other name.
int PidOfName(const std::string& Name) {
  const size_t PrefixLen = std::char_traits<char>::length(Prefix);
  const size_t SuffixLen = std::char_traits<char>::length(Suffix);
  if (Name.size() <= PrefixLen + SuffixLen || Name.compare(0, PrefixLen, Prefix) != 0 ||
      Name.compare(Name.size() - SuffixLen, SuffixLen, Suffix) != 0)
    return 0;
  const std::string Digits = Name.substr(PrefixLen, Name.size() - PrefixLen - SuffixLen);
  if (Digits.empty() || Digits.size() > 9 ||
      !std::all_of(Digits.begin(), Digits.end(), [](char C) { return C >= '0' && C <= '9'; }))
    return 0;
  return std::stoi(Digits);
}

}  // namespace

std::string RecoveryFileName(const std::string& Dir, int Pid) {
  std::string Path = Dir;
  if (!Path.empty() && Path.back() != '/')
    Path += '/';
  return Path + Prefix + std::to_string(Pid) + Suffix;
}

bool IsEditorRunning(int Pid) {
  if (Pid <= 0 || (kill(Pid, 0) != 0 && errno != EPERM))
    return false;
  // A pid can be reused by any program; only an editor counts.
  std::ifstream Comm("/proc/" + std::to_string(Pid) + "/comm");
  std::string Name;
  if (!std::getline(Comm, Name))
    return true;  // no /proc: trust the signal check
  return Name.rfind("pelmora", 0) == 0;
}

std::vector<TRecoveryFile> FindOrphanedRecoveryFiles(
    const std::string& Dir, int OwnPid, const std::function<bool(int Pid)>& IsRunning) {
  std::vector<TRecoveryFile> Files;
  DIR* D = opendir(Dir.c_str());
  if (!D)
    return Files;
  while (const dirent* E = readdir(D)) {
    const int Pid = PidOfName(E->d_name);
    if (Pid <= 0 || Pid == OwnPid)
      continue;
    TRecoveryFile F;
    F.Path = RecoveryFileName(Dir, Pid);
    F.Pid = Pid;
    struct stat St {};
    if (stat(F.Path.c_str(), &St) != 0 || !S_ISREG(St.st_mode) || St.st_size == 0)
      continue;
    F.ModifiedTime = St.st_mtime;
    if (!IsRunning(Pid))
      Files.push_back(F);
  }
  closedir(D);
  std::sort(Files.begin(), Files.end(), [](const TRecoveryFile& A, const TRecoveryFile& B) {
    return A.ModifiedTime != B.ModifiedTime ? A.ModifiedTime > B.ModifiedTime : A.Pid > B.Pid;
  });
  return Files;
}

std::string AdoptRecoveryFile(const TRecoveryFile& File, const std::string& Dir, int OwnPid) {
  const std::string Target = RecoveryFileName(Dir, OwnPid);
  if (std::rename(File.Path.c_str(), Target.c_str()) != 0)
    return {};
  return Target;
}

std::unique_ptr<TProjectContent> SnapshotProject(const TBitmap32& Canvas,
                                                 const TLayerCollection& Layers,
                                                 const TLayerCaptions* Captions,
                                                 const TLayerFrames* Frames) {
  auto Copy = std::make_unique<TProjectContent>();
  Copy->Canvas.Assign(&Canvas);
  std::unordered_map<uint64_t, size_t> Position;
  for (int32_t I = 0; I < Layers.Count(); ++I)
    if (const auto* L = dynamic_cast<const TBitmapLayer*>(Layers.Items(I))) {
      Position[L->Id()] = Copy->Captions.size();
      L->Clone(&Copy->Layers);
      Copy->Captions.push_back(Captions != nullptr ? Captions->Editable(*L) : nullptr);
    }
  if (Frames != nullptr)
    for (const auto& [Frame, Link] : Frames->All()) {
      const auto F = Position.find(Frame), P = Position.find(Link->Photo);
      if (F != Position.end() && P != Position.end())
        Copy->Frames.push_back({F->second, P->second});
    }
  return Copy;
}

TAutosaver::TAutosaver(std::string FileName)
    : FFileName(std::move(FileName)), FWorker([this] { Run(); }) {}

TAutosaver::~TAutosaver() {
  {
    std::lock_guard<std::mutex> G(FLock);
    FStop = true;
  }
  FWake.notify_all();
  FWorker.join();
}

bool TAutosaver::Start(std::unique_ptr<TProjectContent> Snapshot) {
  {
    std::lock_guard<std::mutex> G(FLock);
    if (FWriting || FPending || FStop)
      return false;
    FPending = std::move(Snapshot);
  }
  FWake.notify_all();
  return true;
}

bool TAutosaver::Busy() const {
  std::lock_guard<std::mutex> G(FLock);
  return FWriting || FPending;
}

void TAutosaver::Wait() {
  std::unique_lock<std::mutex> G(FLock);
  FIdle.wait(G, [this] { return !FWriting && !FPending; });
}

void TAutosaver::Discard() {
  Wait();
  std::remove(FFileName.c_str());
}

std::string TAutosaver::LastError() const {
  std::lock_guard<std::mutex> G(FLock);
  return FLastError;
}

int64_t TAutosaver::WrittenCount() const {
  std::lock_guard<std::mutex> G(FLock);
  return FWritten;
}

void TAutosaver::Run() {
  for (;;) {
    std::unique_ptr<TProjectContent> Job;
    {
      std::unique_lock<std::mutex> G(FLock);
      FWake.wait(G, [this] { return FStop || FPending; });
      if (FStop)
        return;
      Job = std::move(FPending);
      FWriting = true;
    }
    std::string Error;
    try {
      const std::string Dir = FFileName.substr(0, FFileName.find_last_of('/'));
      if (!Dir.empty() && Dir != FFileName)
        MakeFolders(Dir);
      // The copies' captions and frames, found by the copies' own identities.
      TLayerCaptions Captions;
      for (int32_t I = 0; I < Job->Layers.Count(); ++I)
        if (size_t(I) < Job->Captions.size())
          Captions.Put(Job->Layers.Items(I)->Id(), Job->Captions[size_t(I)]);
      TLayerFrames Frames;
      const auto Count = static_cast<size_t>(Job->Layers.Count());
      for (const TProjectContent::TFramePair& F : Job->Frames)
        if (F.Frame < Count && F.Photo < Count)
          Frames.Link(Job->Layers.Items(int32_t(F.Frame))->Id(),
                      Job->Layers.Items(int32_t(F.Photo))->Id(), TSingleRect{0, 0, 1, 1});
      WriteProject(Job->Canvas, Job->Layers, FFileName, &Captions, &Frames);
    } catch (const std::exception& E) {
      Error = UserErrorText(E);
    }
    Job.reset();
    {
      std::lock_guard<std::mutex> G(FLock);
      FWriting = false;
      FLastError = Error;
      if (Error.empty())
        ++FWritten;
    }
    FIdle.notify_all();
  }
}
