#include "picture_readers.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "bitmap32.h"
#include "blend.h"
#include "bmp_format.h"
#include "exceptions.h"
#include "file_io.h"

namespace {

// Large enough for the biggest picture a reader accepts (2^28 pixels of 32 bits) plus headers.
constexpr size_t MaxPictureFileSize = (size_t{1} << 30) + (size_t{1} << 20);

struct TEntry {
  TPictureReader Reader;
  TBitmapLoader Loader = nullptr;
};

struct TRegistry {
  std::mutex Mutex;
  std::map<std::string, TEntry> Readers;

  TRegistry() {
    Readers[".bmp"].Reader = [](const std::string& FileName) {
      const std::vector<uint8_t> Data = ReadFileBytes(FileName, MaxPictureFileSize);
      return ReadBmpImage(Data.data(), Data.size());
    };
    Readers[".bmp"].Loader = [](const std::string& FileName, TBitmap32& Target) {
      LoadBmpFile(FileName, Target);
    };
  }

  // The entry for the file's extension; raises when there is none.
  TEntry Find(const std::string& FileName) {
    TEntry E;
    {
      const std::lock_guard<std::mutex> G(Mutex);
      const auto It = Readers.find(LowerExtension(FileName));
      if (It != Readers.end())
        E = It->second;
    }
    if (!E.Reader)
      throw EInvalidGraphic("Unknown picture file extension (" + LowerExtension(FileName) + ")");
    return E;
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
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash))
    return {};
  std::string Ext = FileName.substr(Dot);
  std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                 [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return Ext;
}

void RegisterPictureReader(const std::string& Extension, TPictureReader Reader,
                           TBitmapLoader Loader) {
  TRegistry& R = Registry();
  const std::lock_guard<std::mutex> G(R.Mutex);
  R.Readers[LowerExtension("x" + Extension)] = TEntry{std::move(Reader), std::move(Loader)};
}

bool HasPictureReader(const std::string& FileName) {
  TRegistry& R = Registry();
  const std::lock_guard<std::mutex> G(R.Mutex);
  return R.Readers.count(LowerExtension(FileName)) != 0;
}

TPicture ReadPictureFile(const std::string& FileName) {
  return Registry().Find(FileName).Reader(FileName);
}

void LoadPictureFile(const std::string& FileName, TBitmap32& Target) {
  const TEntry E = Registry().Find(FileName);
  if (E.Loader) {
    E.Loader(FileName, Target);
    return;
  }
  const TPicture Picture = E.Reader(FileName);
  Target.Assign(Picture);
}

void TakeLoadedGraphic(TBitmap32& Fresh, TBitmap32& Target) {
  const size_t N = size_t(Fresh.Width()) * size_t(Fresh.Height());
  TColor32* const F = Fresh.Bits();
  if (Target.Width() == Fresh.Width() && Target.Height() == Fresh.Height() && N != 0) {
    TColor32* const B = Target.Bits();
    for (size_t I = 0; I < N; ++I) BlendOnto(F[I], B[I]);
    Target.MakeOpaque();
    Target.Changed();
    return;
  }
  // Over transparent black an opaque pixel stays as it is.
  for (size_t I = 0; I < N; ++I)
    if (F[I] < 0xFF000000u) {
      TColor32 B = 0;
      BlendOnto(F[I], B);
      F[I] = B;
    }
  Fresh.MakeOpaque();
  TakeLoadedPixels(Fresh, Target);
}

void TakeLoadedPixels(TBitmap32& Fresh, TBitmap32& Target) {
  const bool Resized = Target.Width() != Fresh.Width() || Target.Height() != Fresh.Height();
  Target.SwapContents(Fresh);
  if (Resized)
    Target.NotifyResize();
  Target.Changed();
}
