#include "open_document.h"

#include <cctype>
#include <memory>

#include "bitmap32.h"
#include "card_document.h"
#include "file_io.h"
#include "gif_codec.h"
#include "picture_codecs.h"
#include "project_file.h"

namespace {

// The largest picture a reader accepts (2^28 pixels of 32 bits) plus headers.
constexpr size_t MaxPictureFileSize = (size_t{1} << 30) + (size_t{1} << 20);

bool OneOf(const std::string& S, std::initializer_list<const char*> List) {
  for (const char* Item : List)
    if (S == Item)
      return true;
  return false;
}

// Clears the selection and the stack, sets zoom 1 and gives the canvas the picture's pixels
// (Picture is left empty); the canvas keeps its own draw mode, opacity and filter.
void ReplaceCanvas(TCardDocument& Doc, TBitmap32& Picture) {
  Doc.ClearLayers();
  Doc.View().SetScale(1);
  TBitmap32& Canvas = Doc.Canvas();
  const bool Resized = Canvas.Width() != Picture.Width() || Canvas.Height() != Picture.Height();
  Canvas.SwapContents(Picture);
  Picture.SetSize(0, 0);
  Canvas.Changed();
  if (Resized)
    Canvas.NotifyResize();
}

}  // namespace

std::string FileExtension(const std::string& FileName) {
  const size_t Slash = FileName.find_last_of('/');
  const size_t Dot = FileName.find_last_of('.');
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash))
    return {};
  return FileName.substr(Dot);
}

TOpenKind OpenKindFor(const std::string& FileName) {
  const std::string Ext = FileExtension(FileName);
  if (OneOf(Ext, {".kvt", ".KVT"}))
    return okProject;
  if (OneOf(Ext, {".gif", ".GIF"}))
    return okGif;
  return okPicture;
}

void OpenDocument(const std::string& FileName, TCardDocument& Doc) {
  switch (OpenKindFor(FileName)) {
    case okProject:
      ReadProject(FileName, Doc);
      break;
    case okGif: {
      const std::vector<uint8_t> Data = ReadFileBytes(FileName, MaxPictureFileSize);
      // Drawn onto a fresh bitmap, so nothing of the old canvas shows through.
      TBitmap32 Picture;
      Picture.Assign(ReadGifImage(Data.data(), Data.size()));
      ReplaceCanvas(Doc, Picture);
      break;
    }
    case okPicture: {
      TBitmap32 Picture;
      Picture.LoadFromFile(FileName);
      ReplaceCanvas(Doc, Picture);
      break;
    }
  }
  Doc.Modified = false;
}

std::optional<TSaveFormat> SaveFormatFor(const std::string& FileName) {
  const std::string Ext = FileExtension(FileName);
  if (OneOf(Ext, {".kvt", ".KVT"}))
    return TSaveFormat::Project;
  if (OneOf(Ext, {".bmp", ".BMP"}))
    return TSaveFormat::Bmp;
  if (OneOf(Ext, {".gif", ".GIF"}))
    return TSaveFormat::Gif;
  if (OneOf(Ext, {".jpg", ".jpeg", ".JPG", ".JPEG"}))
    return TSaveFormat::Jpeg;
  return std::nullopt;
}

bool SaveDocument(TCardDocument& Doc, const std::string& FileName) {
  const std::optional<TSaveFormat> Format = SaveFormatFor(FileName);
  if (!Format)
    return false;
  if (*Format == TSaveFormat::Project) {
    WriteProject(Doc, FileName);
  } else {
    std::unique_ptr<TBitmap32> Holder;
    const TBitmap32& Flat = Doc.FlatImage(Holder);
    TSaveOptions Options;
    Options.JpegQuality = 100;
    SaveFlatImage(*Format, Options, Flat, FileName);
  }
  Doc.Modified = false;
  return true;
}

std::string NameWithoutExtension(const std::string& FileName) {
  const std::string Ext = FileExtension(FileName);
  return FileName.substr(0, FileName.size() - Ext.size());
}

std::string ProjectNameFor(const std::string& Current) {
  if (Current.empty() || OpenKindFor(Current) == okProject)
    return Current;
  return NameWithoutExtension(Current) + SaveFormatExtension(TSaveFormat::Project);
}

std::string TypedSaveName(const std::string& Chosen, TSaveFormat Format) {
  const std::string Ext = SaveFormatExtension(Format);
  if (Chosen.size() <= Ext.size())
    return Chosen;
  const std::string Tail = Chosen.substr(Chosen.size() - Ext.size());
  for (size_t I = 0; I < Ext.size(); ++I)
    if (std::tolower(static_cast<unsigned char>(Tail[I])) != Ext[I])
      return Chosen;
  return Chosen.substr(0, Chosen.size() - Ext.size());
}

std::string SaveAsFileName(const std::string& Typed, TSaveFormat Format) {
  return Typed + SaveFormatExtension(Format);
}
