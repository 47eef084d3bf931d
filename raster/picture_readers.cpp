#include "picture_readers.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "bmp_format.h"
#include "exceptions.h"
#include "file_io.h"

namespace {

// Large enough for the biggest picture a reader accepts (2^28 pixels of 32 bits) plus headers.
constexpr size_t MaxPictureFileSize = (size_t{1} << 30) + (size_t{1} << 20);

struct TRegistry {
  std::mutex Mutex;
  std::map<std::string, TPictureReader> Readers;

  TRegistry() {
    Readers[".bmp"] = [](const std::string& FileName) {
      const std::vector<uint8_t> Data = ReadFileBytes(FileName, MaxPictureFileSize);
      return ReadBmpImage(Data.data(), Data.size());
    };
  }
};

TRegistry& Registry() {
  static TRegistry R;
  return R;
}

}  // namespace

std::string LowerExtension(const std::string& FileName) {
  const size_t Slash = FileName.find_last_of('/');
  const size_t Dot = FileName.find_last_of('.');
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash)) return {};
  std::string Ext = FileName.substr(Dot);
  std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                 [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return Ext;
}

void RegisterPictureReader(const std::string& Extension, TPictureReader Reader) {
  TRegistry& R = Registry();
  const std::lock_guard<std::mutex> G(R.Mutex);
  R.Readers[LowerExtension("x" + Extension)] = std::move(Reader);
}

bool HasPictureReader(const std::string& FileName) {
  TRegistry& R = Registry();
  const std::lock_guard<std::mutex> G(R.Mutex);
  return R.Readers.count(LowerExtension(FileName)) != 0;
}

TPicture ReadPictureFile(const std::string& FileName) {
  TPictureReader Reader;
  {
    TRegistry& R = Registry();
    const std::lock_guard<std::mutex> G(R.Mutex);
    const auto It = R.Readers.find(LowerExtension(FileName));
    if (It != R.Readers.end()) Reader = It->second;
  }
  if (!Reader) {
    const std::string Ext = LowerExtension(FileName);
    throw EInvalidGraphic("Unknown picture file extension (" + Ext + ")");
  }
  return Reader(FileName);
}
