// datagen: writes the data folders of the program (Cards, Textures, SFrames, Masks, Patterns,
// Decor, Captions, BDG) into a folder, each picture folder with its titles file, or makes a
// contact sheet of a folder.
//
//   datagen OUTDIR [--jobs N] [--only FOLDER[,FOLDER...]] [--greetings DIR] [--clipart DIR]
//   datagen --contact-sheet DIR OUT.png
//   datagen --frame-sheet DIR OUT.png      (each frame tile made into a frame)
//   datagen --font-sample OUT.png [LINE] (the lettering faces with Cyrillic text)
#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "data_job.h"
#include "picture_codecs.h"

#ifndef PELMORA_DATAGEN_GREETINGS
#define PELMORA_DATAGEN_GREETINGS "greetings"
#endif

namespace {

int Usage() {
  std::fprintf(
      stderr,
      "usage: datagen OUTDIR [--jobs N] [--only FOLDER,...] [--greetings DIR] [--clipart DIR]\n"
      "       datagen --contact-sheet DIR OUT.png\n"
      "       datagen --frame-sheet DIR OUT.png\n"
      "       datagen --font-sample OUT.png [LINE]\n");
  return 2;
}

int Run(int argc, char** argv) {
  if (argc < 2)
    return Usage();
  RegisterPictureCodecs();
  const std::string First = argv[1];
  if (First == "--contact-sheet") {
    if (argc != 4)
      return Usage();
    MakeContactSheet(argv[2], argv[3]);
    return 0;
  }
  if (First == "--frame-sheet") {
    if (argc != 4)
      return Usage();
    MakeFrameSheet(argv[2], argv[3]);
    return 0;
  }
  if (First == "--font-sample") {
    if (argc != 3 && argc != 4)
      return Usage();
    MakeFontSample(argv[2], argc == 4 ? std::max(20, std::min(400, std::atoi(argv[3]))) : 70);
    return 0;
  }
  if (First.rfind("--", 0) == 0)
    return Usage();
  const std::filesystem::path Out = First;
  unsigned Threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
  std::set<std::string> Only;
  std::string Greetings = PELMORA_DATAGEN_GREETINGS, ClipArt = "/usr/share/openclipart/png";
  for (int I = 2; I < argc; ++I) {
    const std::string A = argv[I];
    if (I + 1 >= argc)
      return Usage();
    const std::string V = argv[++I];
    if (A == "--jobs") {
      Threads = static_cast<unsigned>(std::max(1, std::min(16, std::atoi(V.c_str()))));
    } else if (A == "--only") {
      std::stringstream S(V);
      std::string F;
      while (std::getline(S, F, ',')) Only.insert(F);
    } else if (A == "--greetings") {
      Greetings = V;
    } else if (A == "--clipart") {
      ClipArt = V;
    } else {
      return Usage();
    }
  }

  TDataJobs All, Jobs;
  AddCardJobs(All);
  AddTextureJobs(All);
  AddFrameJobs(All);
  AddMaskJobs(All);
  AddPatternJobs(All);
  AddDecorJobs(All, ClipArt);
  AddCaptionJobs(All);
  AddGreetingJobs(All, Greetings);
  CheckTitles(All);
  for (auto& J : All)
    if (Only.empty() || Only.count(J.Folder))
      Jobs.push_back(std::move(J));

  std::set<std::string> Folders;
  for (const auto& J : Jobs) Folders.insert(J.Folder);
  for (const auto& F : Folders) std::filesystem::create_directories(Out / F);

  // Jobs are taken in list order; the large cards come first so both threads stay busy.
  std::atomic<size_t> NextJob{0};
  std::mutex ErrorLock;
  std::vector<std::string> Errors;
  auto Worker = [&] {
    for (;;) {
      const size_t I = NextJob++;
      if (I >= Jobs.size())
        return;
      const auto& J = Jobs[I];
      try {
        J.Make((Out / J.Folder / J.Name).string());
      } catch (const std::exception& E) {
        std::lock_guard<std::mutex> L(ErrorLock);
        Errors.push_back(J.Folder + "/" + J.Name + ": " + E.what());
      }
    }
  };
  std::vector<std::thread> Pool;
  for (unsigned T = 1; T < Threads; ++T) Pool.emplace_back(Worker);
  Worker();
  for (auto& T : Pool) T.join();
  try {
    WriteTitleFiles(Jobs, Out.string());
  } catch (const std::exception& E) {
    Errors.push_back(E.what());
  }
  for (const auto& E : Errors) std::fprintf(stderr, "datagen: %s\n", E.c_str());
  return Errors.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& E) {
    std::fprintf(stderr, "datagen: %s\n", E.what());
    return 1;
  }
}
