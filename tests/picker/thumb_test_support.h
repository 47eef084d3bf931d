#pragma once
// A scratch folder and small pictures for the picker's tests.
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "bitmap32.h"
#include "picture_codecs.h"

class TThumbTempDir {
 public:
  TThumbTempDir() {
    static std::atomic<int> Serial{0};
    FPath = std::filesystem::temp_directory_path() /
            ("pelmora-thumbs-" + std::to_string(::getpid()) + "-" + std::to_string(Serial++));
    std::filesystem::remove_all(FPath);
    std::filesystem::create_directories(FPath);
  }
  ~TThumbTempDir() {
    std::error_code Ec;
    std::filesystem::remove_all(FPath, Ec);
  }
  TThumbTempDir(const TThumbTempDir&) = delete;
  TThumbTempDir& operator=(const TThumbTempDir&) = delete;

  std::string Path() const { return FPath.string(); }
  std::string File(const std::string& Name) const { return (FPath / Name).string(); }

  // A picture of W x H in one colour, written in the format its extension names.
  std::string Picture(const std::string& Name, int32_t W, int32_t H, TColor32 Color) const {
    TBitmap32 B;
    B.SetSize(W, H);
    B.Clear(Color);
    const std::string P = File(Name);
    SavePictureByExtension(B, P);
    return P;
  }
  std::string Text(const std::string& Name, const std::string& Bytes) const {
    const std::string P = File(Name);
    std::ofstream(P, std::ios::binary) << Bytes;
    return P;
  }

 private:
  std::filesystem::path FPath;
};
