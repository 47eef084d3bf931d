#include "gif_codec.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "bitmap24.h"
#include "codec_support.h"
#include "color_reduction.h"
#include "exceptions.h"
#include "file_io.h"

using namespace codec_detail;

// giflib reports failures by return codes; nothing here crosses its frames but plain values.

namespace {

struct TGifSource {
  const uint8_t* Data;
  size_t Size;
  size_t Pos;
};

int ReadFromMemory(GifFileType* Gif, GifByteType* Out, int Count) {
  auto* Src = static_cast<TGifSource*>(Gif->UserData);
  if (Count <= 0)
    return 0;
  const size_t N = std::min(size_t(Count), Src->Size - Src->Pos);
  std::memcpy(Out, Src->Data + Src->Pos, N);
  Src->Pos += N;
  return int(N);
}

struct TGifCloser {
  void operator()(GifFileType* Gif) const {
    int Error = 0;
    DGifCloseFile(Gif, &Error);
  }
};

[[noreturn]] void FailGif(int Error) {
  const char* Text = GifErrorString(Error);
  FailPicture("GIF", Text ? Text : "unknown error");
}

struct TFrame {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool Interlaced = false;
};

}  // namespace

TPicture ReadGifImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  TGifSource Src{Data, Size, 0};
  int Error = 0;
  std::unique_ptr<GifFileType, TGifCloser> Gif(DGifOpen(&Src, ReadFromMemory, &Error));
  if (!Gif)
    FailGif(Error);
  int Transparent = NO_TRANSPARENT_COLOR;
  while (true) {
    GifRecordType Record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(Gif.get(), &Record) == GIF_ERROR)
      FailGif(Gif->Error);
    if (Record == TERMINATE_RECORD_TYPE)
      FailPicture("GIF", "the file holds no picture");
    if (Record == EXTENSION_RECORD_TYPE) {
      int Code = 0;
      GifByteType* Ext = nullptr;
      if (DGifGetExtension(Gif.get(), &Code, &Ext) == GIF_ERROR)
        FailGif(Gif->Error);
      // The graphic control extension before the frame names its transparent index.
      if (Code == GRAPHICS_EXT_FUNC_CODE && Ext) {
        GraphicsControlBlock Gcb;
        if (DGifExtensionToGCB(Ext[0], Ext + 1, &Gcb) == GIF_OK)
          Transparent = Gcb.TransparentColor;
      }
      while (Ext) {
        if (DGifGetExtensionNext(Gif.get(), &Ext) == GIF_ERROR)
          FailGif(Gif->Error);
      }
      continue;
    }
    if (Record == IMAGE_DESC_RECORD_TYPE)
      break;
  }
  if (DGifGetImageDesc(Gif.get()) == GIF_ERROR)
    FailGif(Gif->Error);
  TFrame F{Gif->Image.Left, Gif->Image.Top, Gif->Image.Width, Gif->Image.Height,
           Gif->Image.Interlace};
  CheckPictureSize("GIF", F.Width, F.Height, MaxPixels);
  int64_t ScreenW = Gif->SWidth, ScreenH = Gif->SHeight;
  if (ScreenW <= 0 || ScreenH <= 0) {
    ScreenW = int64_t(F.Left) + F.Width;
    ScreenH = int64_t(F.Top) + F.Height;
  }
  CheckPictureSize("GIF", ScreenW, ScreenH, MaxPixels);
  const ColorMapObject* Map = Gif->Image.ColorMap ? Gif->Image.ColorMap : Gif->SColorMap;
  if (!Map || !Map->Colors || Map->ColorCount <= 0)
    FailPicture("GIF", "no colour table");
  TColor32 Colors[256];
  for (int I = 0; I < 256; ++I) {
    Colors[I] = 0xFF000000u;
    if (I < Map->ColorCount) {
      const GifColorType& C = Map->Colors[I];
      Colors[I] = MakeColor(C.Red, C.Green, C.Blue);
    }
  }
  if (Transparent >= 0 && Transparent < 256)
    Colors[Transparent] &= 0x00FFFFFFu;

  TPicture P = MakeGraphic(int32_t(ScreenW), int32_t(ScreenH));
  std::vector<GifPixelType> Line(size_t(F.Width));
  // Frame rows in file order: four passes when interlaced, else top to bottom.
  static const int PassStart[4] = {0, 4, 2, 1}, PassStep[4] = {8, 8, 4, 2};
  const int Passes = F.Interlaced ? 4 : 1;
  for (int Pass = 0; Pass < Passes; ++Pass) {
    const int Start = F.Interlaced ? PassStart[Pass] : 0, Step = F.Interlaced ? PassStep[Pass] : 1;
    for (int32_t Row = Start; Row < F.Height; Row += Step) {
      if (DGifGetLine(Gif.get(), Line.data(), F.Width) == GIF_ERROR)
        FailGif(Gif->Error);
      const int64_t Y = int64_t(F.Top) + Row;
      if (Y >= ScreenH)
        continue;
      TColor32* Dst = P.Pixels.data() + size_t(Y) * size_t(ScreenW);
      const int64_t XEnd = std::min<int64_t>(int64_t(F.Left) + F.Width, ScreenW);
      for (int64_t X = F.Left; X < XEnd; ++X) Dst[X] = Colors[Line[size_t(X - F.Left)]];
    }
  }
  return P;
}

namespace {

struct TGifSink {
  std::vector<uint8_t>* Out;
};

int WriteToMemory(GifFileType* Gif, const GifByteType* Data, int Count) {
  auto* Sink = static_cast<TGifSink*>(Gif->UserData);
  try {
    Sink->Out->insert(Sink->Out->end(), Data, Data + Count);
  } catch (...) {
    return 0;  // giflib reports a failed write
  }
  return Count;
}

struct TMapDeleter {
  void operator()(ColorMapObject* Map) const { GifFreeMapObject(Map); }
};

// giflib's reason (GifErrorString) is English; the user is told what failed.
[[noreturn]] void FailWrite(int /*Error*/) {
  throw Exception("Не удалось записать картинку GIF");
}

}  // namespace

std::vector<uint8_t> EncodeGif(const TIndexedBitmap& Image) {
  if (Image.Width < 1 || Image.Height < 1)
    throw Exception("Пустую картинку нельзя сохранить как GIF");
  if (Image.Width > 65535 || Image.Height > 65535)
    throw Exception("Картинку нельзя сохранить как GIF: сторона длиннее 65535 точек");
  if (Image.Palette.empty() || Image.Palette.size() > 256 ||
      Image.Indices.size() != size_t(Image.Width) * size_t(Image.Height))
    throw Exception("Картинку нельзя сохранить как GIF: неверная палитра");
  int MapBits = 1;
  while ((size_t{1} << MapBits) < Image.Palette.size()) ++MapBits;
  const int MapSize = 1 << MapBits;
  for (const uint8_t I : Image.Indices)
    if (I >= Image.Palette.size())
      throw Exception("Картинку нельзя сохранить как GIF: номер цвета за пределами палитры");

  std::unique_ptr<ColorMapObject, TMapDeleter> Map(GifMakeMapObject(MapSize, nullptr));
  if (!Map)
    throw Exception("Не удалось записать картинку GIF: недостаточно памяти");
  for (int I = 0; I < MapSize; ++I) {
    const TColor32 C = size_t(I) < Image.Palette.size() ? Image.Palette[size_t(I)] : 0;
    Map->Colors[I] = GifColorType{uint8_t(C >> 16), uint8_t(C >> 8), uint8_t(C)};
  }
  std::vector<uint8_t> Out;
  TGifSink Sink{&Out};
  int Error = 0;
  GifFileType* Gif = EGifOpen(&Sink, WriteToMemory, &Error);
  if (!Gif)
    FailWrite(Error);
  std::vector<GifPixelType> Line(size_t(Image.Width));
  bool Ok = EGifPutScreenDesc(Gif, Image.Width, Image.Height, 8, 0, Map.get()) == GIF_OK &&
            EGifPutImageDesc(Gif, 0, 0, Image.Width, Image.Height, false, nullptr) == GIF_OK;
  for (int32_t Y = 0; Ok && Y < Image.Height; ++Y) {
    // EGifPutLine masks the line in place, so it gets a copy.
    std::memcpy(Line.data(), Image.Indices.data() + size_t(Y) * size_t(Image.Width), Line.size());
    Ok = EGifPutLine(Gif, Line.data(), Image.Width) == GIF_OK;
  }
  if (!Ok)
    Error = Gif->Error;
  int CloseError = 0;
  if (EGifCloseFile(Gif, &CloseError) == GIF_ERROR && Ok) {
    Ok = false;
    Error = CloseError;
  }
  if (!Ok)
    FailWrite(Error);
  return Out;
}

void SaveGif(const TIndexedBitmap& Image, const std::string& FileName) {
  const std::vector<uint8_t> Data = EncodeGif(Image);
  WriteFileAtomically(FileName, Data.data(), Data.size());
}

void SaveGif(const TBitmap24& Bitmap, const std::string& FileName) {
  if (Bitmap.IsEmpty())
    throw Exception("Пустую картинку нельзя сохранить как GIF");
  SaveGif(ReducePixelFormat(Bitmap, pf24bit), FileName);
}
