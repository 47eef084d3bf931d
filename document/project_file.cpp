#include "project_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "bitmap_layer.h"
#include "bmp_format.h"
#include "caption_block.h"
#include "card_document.h"
#include "custom_layer.h"
#include "exceptions.h"
#include "file_io.h"
#include "frame_block.h"
#include "little_endian.h"
#include "picture.h"
#include "rubberband_layer.h"
#include "system_error_text.h"
#include "user_error_text.h"

namespace {

constexpr char BitmapName[] = "bitmap";
constexpr size_t BitmapNameLength = sizeof(BitmapName) - 1;
constexpr size_t BmpHeaderSize = Bmp32HeaderSize;

// Record field offsets.
constexpr size_t RecName = 0;
constexpr size_t RecMasterAlpha = 72;
constexpr size_t RecLocation = 76;
constexpr size_t RecScaled = 92;
constexpr size_t RecCropped = 93;
constexpr size_t RecInterpolated = 104;

// A layer placed further out than this is taken for damage: no card comes near it, and the
// view's integer arithmetic must not see such values.
constexpr float MaxLocation = 1.0e6f;

size_t BmpStreamSize(const TBitmap32& B) {
  return B.IsEmpty() ? 0 : BmpHeaderSize + size_t(B.Width()) * size_t(B.Height()) * 4;
}

// ---- Writing ----------------------------------------------------------------------------

using TPiece = TFilePiece;

// The file image of a project as a list of pieces: headers, records and the size list owned
// here, pixel rows borrowed from the bitmaps, so that nothing large is copied before it
// reaches the file.
class TProjectImage {
 public:
  TProjectImage(const TBitmap32& Canvas, const TLayerCollection& Layers,
                const TLayerCaptions* Captions, const TLayerFrames* Frames) {
    std::vector<const TCustomLayer*> Stored;
    for (int32_t I = 0; I < Layers.Count(); ++I) {
      const TCustomLayer* L = Layers.Items(I);
      if (dynamic_cast<const TRubberbandLayer*>(L) == nullptr)
        Stored.push_back(L);
    }
    std::vector<const TBitmap32*> Streams;
    for (const TCustomLayer* L : Stored)
      if (const auto* B = dynamic_cast<const TBitmapLayer*>(L))
        Streams.push_back(B->Bitmap());
    Streams.push_back(&Canvas);

    FRecords.assign(Stored.size() * ProjectRecordSize, 0);
    std::vector<TStoredCaption> Editable;
    for (size_t I = 0; I < Stored.size(); ++I)
      if (const auto* B = dynamic_cast<const TBitmapLayer*>(Stored[I])) {
        WriteRecord(*B, FRecords.data() + I * ProjectRecordSize);
        if (Captions != nullptr)
          if (const auto C = Captions->Editable(*B))
            Editable.push_back({static_cast<uint32_t>(I), *C});
      }
    // No editable caption, no block: such a project is byte for byte what it always was.
    if (!Editable.empty()) {
      FCaptionBlock = BuildCaptionBlock(Editable);
      Add(FCaptionBlock.data(), FCaptionBlock.size());
    }
    // The same for the frames: a block only when a stored frame belongs to a stored photo.
    if (Frames != nullptr && !Frames->Empty()) {
      std::unordered_map<uint64_t, uint32_t> EntryOf;
      for (size_t I = 0; I < Stored.size(); ++I)
        if (dynamic_cast<const TBitmapLayer*>(Stored[I]) != nullptr)
          EntryOf[Stored[I]->Id()] = static_cast<uint32_t>(I);
      std::vector<TStoredFrame> Links;
      for (size_t I = 0; I < Stored.size(); ++I)
        if (dynamic_cast<const TBitmapLayer*>(Stored[I]) != nullptr)
          if (const auto F = Frames->Find(Stored[I]->Id()))
            if (const auto It = EntryOf.find(F->Photo); It != EntryOf.end())
              Links.push_back({static_cast<uint32_t>(I), It->second});
      if (!Links.empty()) {
        FFrameBlock = BuildFrameBlock(Links);
        Add(FFrameBlock.data(), FFrameBlock.size());
      }
    }

    // Header storage is sized before any piece points into it.
    FHeaders.resize(Streams.size() * BmpHeaderSize);
    for (size_t I = 0; I < Streams.size(); ++I) {
      const TBitmap32& B = *Streams[I];
      // What the reader would refuse is not written.
      if (!PictureWithinLimits(B.Width(), B.Height()))
        throw EProjectError(
            std::string(I + 1 < Streams.size() ? "Слой " + std::to_string(I + 1) : "Холст") +
            " слишком велик для проекта: " + std::to_string(B.Width()) + " × " +
            std::to_string(B.Height()) + " точек, а можно не больше " +
            std::to_string(MaxPictureSide) + " точек по стороне и " +
            std::to_string(MaxPicturePixels) + " точек всего");
      FSizeList += std::to_string(BmpStreamSize(B)) + "\r\n";
      if (B.IsEmpty())
        continue;
      uint8_t* H = FHeaders.data() + I * BmpHeaderSize;
      WriteBmpHeader(H, B.Width(), B.Height());
      Add(H, BmpHeaderSize);
      const size_t RowBytes = size_t(B.Width()) * 4;
      for (int32_t Y = B.Height() - 1; Y >= 0; --Y)
        Add(reinterpret_cast<const uint8_t*>(B.RowAddress(Y)), RowBytes);
    }
    if (!Stored.empty()) {
      Add(FRecords.data(), FRecords.size());
      FSizeList += std::to_string(FRecords.size()) + "\r\n";
    }
    Add(reinterpret_cast<const uint8_t*>(FSizeList.data()), FSizeList.size());
    PutLE32(FTail, static_cast<uint32_t>(FSizeList.size() + 4));
    Add(FTail, sizeof(FTail));
  }

  const std::vector<TPiece>& Pieces() const { return FPieces; }
  size_t Size() const { return FSize; }

 private:
  static void WriteRecord(const TBitmapLayer& L, uint8_t* R) {
    R[RecName] = static_cast<uint8_t>(BitmapNameLength);
    std::memcpy(R + RecName + 1, BitmapName, BitmapNameLength);
    PutLE32(R + RecMasterAlpha, L.Bitmap()->MasterAlpha());
    const TSingleRect& Loc = L.Location();
    const float Sides[4] = {Loc.Left, Loc.Top, Loc.Right, Loc.Bottom};
    for (int I = 0; I < 4; ++I) PutLE32(R + RecLocation + 4 * I, std::bit_cast<uint32_t>(Sides[I]));
    R[RecScaled] = L.Scaled() ? 1 : 0;
    R[RecCropped] = L.Cropped() ? 1 : 0;
    R[RecInterpolated] = L.Bitmap()->StretchFilter() != sfNearest ? 1 : 0;
  }

  void Add(const uint8_t* Data, size_t Size) {
    if (Size == 0)
      return;
    FPieces.push_back({Data, Size});
    FSize += Size;
  }

  std::vector<uint8_t> FCaptionBlock;
  std::vector<uint8_t> FFrameBlock;
  std::vector<uint8_t> FHeaders;
  std::vector<uint8_t> FRecords;
  std::string FSizeList;
  uint8_t FTail[4] = {};
  std::vector<TPiece> FPieces;
  size_t FSize = 0;
};

// ---- Reading ----------------------------------------------------------------------------

[[noreturn]] void FailDamaged(const std::string& FileName, const std::string& Fault) {
  throw EProjectError("Файл повреждён или не является проектом: " + FileName + " (" + Fault + ")");
}

// Where the project's bytes come from. Offsets and lengths passed in are always inside Size().
class TSource {
 public:
  explicit TSource(const std::string& FileName, uint64_t Size) : FName(FileName), FSize(Size) {}
  virtual ~TSource() = default;
  uint64_t Size() const { return FSize; }
  const std::string& Name() const { return FName; }
  virtual void Read(uint64_t Offset, void* Dst, size_t Len) = 0;
  // Rows rows of RowBytes at Offset, the first of them copied to the last row of Dst: the BMP
  // stream's bottom-up rows into a top-down bitmap.
  virtual void ReadRowsReversed(uint64_t Offset, size_t RowBytes, size_t Rows, uint8_t* Dst) = 0;
  // Len bytes at Offset, borrowed when in memory, else read into Buffer.
  virtual const uint8_t* Bytes(uint64_t Offset, size_t Len, std::vector<uint8_t>& Buffer) {
    Buffer.resize(Len);
    Read(Offset, Buffer.data(), Len);
    return Buffer.data();
  }

 private:
  std::string FName;
  uint64_t FSize;
};

class TMemorySource : public TSource {
 public:
  TMemorySource(const uint8_t* Data, size_t Size, const std::string& FileName)
      : TSource(FileName, Size), FData(Data) {}
  void Read(uint64_t Offset, void* Dst, size_t Len) override {
    if (Len > 0)
      std::memcpy(Dst, FData + Offset, Len);
  }
  void ReadRowsReversed(uint64_t Offset, size_t RowBytes, size_t Rows, uint8_t* Dst) override {
    for (size_t I = 0; I < Rows; ++I)
      std::memcpy(Dst + (Rows - 1 - I) * RowBytes, FData + Offset + I * RowBytes, RowBytes);
  }
  const uint8_t* Bytes(uint64_t Offset, size_t, std::vector<uint8_t>&) override {
    return FData + Offset;
  }

 private:
  const uint8_t* FData;
};

// Reads straight from the file into the bitmaps, without a copy of the whole file in memory.
class TFileSource : public TSource {
 public:
  TFileSource(int Fd, uint64_t Size, const std::string& FileName)
      : TSource(FileName, Size), FFd(Fd) {}
  void Read(uint64_t Offset, void* Dst, size_t Len) override {
    auto* P = static_cast<uint8_t*>(Dst);
    while (Len > 0) {
      const ssize_t N = ::pread(FFd, P, Len, static_cast<off_t>(Offset));
      if (N < 0 && errno == EINTR)
        continue;
      if (N <= 0)
        Fail(N < 0 ? errno : 0);
      P += N;
      Offset += static_cast<uint64_t>(N);
      Len -= static_cast<size_t>(N);
    }
  }
  void ReadRowsReversed(uint64_t Offset, size_t RowBytes, size_t Rows, uint8_t* Dst) override {
    std::vector<iovec> Batch;
    size_t Row = 0;
    while (Row < Rows) {
      Batch.clear();
      for (size_t I = Row; I < Rows && Batch.size() < IOV_MAX; ++I)
        Batch.push_back({Dst + (Rows - 1 - I) * RowBytes, RowBytes});
      const ssize_t N = ::preadv(FFd, Batch.data(), static_cast<int>(Batch.size()),
                                 static_cast<off_t>(Offset + Row * RowBytes));
      if (N < 0 && errno == EINTR)
        continue;
      if (N <= 0)
        Fail(N < 0 ? errno : 0);
      // Whole rows done; a row cut short is finished by a plain read.
      const size_t Done = static_cast<size_t>(N) / RowBytes,
                   Part = static_cast<size_t>(N) % RowBytes;
      Row += Done;
      if (Part != 0) {
        Read(Offset + Row * RowBytes + Part, Dst + (Rows - 1 - Row) * RowBytes + Part,
             RowBytes - Part);
        ++Row;
      }
    }
  }

 private:
  [[noreturn]] void Fail(int Err) {
    // Zero bytes where data was promised: the file was cut short while we read it.
    if (Err == 0)
      FailDamaged(Name(), "файл укоротился во время чтения");
    throw EProjectError(FileErrorText("прочитать", Name(), Err));
  }
  int FFd;
};

struct TRecord {
  size_t Entry = 0;  // the record's number
  bool IsBitmap = false;
  uint32_t MasterAlpha = 255;
  TSingleRect Location;
  bool Scaled = false, Cropped = false, Interpolated = false;
};

TRecord ParseRecord(const uint8_t* R) {
  TRecord Rec;
  Rec.IsBitmap = R[RecName] == BitmapNameLength &&
                 std::memcmp(R + RecName + 1, BitmapName, BitmapNameLength) == 0;
  Rec.MasterAlpha = GetLE32(R + RecMasterAlpha);
  float Sides[4];
  for (int I = 0; I < 4; ++I) Sides[I] = std::bit_cast<float>(GetLE32(R + RecLocation + 4 * I));
  Rec.Location = {Sides[0], Sides[1], Sides[2], Sides[3]};
  Rec.Scaled = R[RecScaled] != 0;
  Rec.Cropped = R[RecCropped] != 0;
  Rec.Interpolated = R[RecInterpolated] != 0;
  return Rec;
}

bool IsSpace(uint8_t C) {
  return C == ' ' || C == '\t';
}

// The size list: one decimal number per line, lines ended by CR LF (a bare LF and an
// unterminated last line are taken too). Every number must fit in the file.
bool ParseSizeList(const std::vector<uint8_t>& Text, uint64_t Limit, size_t MaxLines,
                   std::vector<uint64_t>& Sizes) {
  size_t Pos = 0;
  while (Pos < Text.size()) {
    size_t End = Pos;
    while (End < Text.size() && Text[End] != '\n') ++End;
    size_t A = Pos, B = End;
    if (B > A && Text[B - 1] == '\r')
      --B;
    while (A < B && IsSpace(Text[A])) ++A;
    while (B > A && IsSpace(Text[B - 1])) --B;
    if (A == B || Sizes.size() >= MaxLines)
      return false;
    uint64_t V = 0;
    for (size_t I = A; I < B; ++I) {
      if (Text[I] < '0' || Text[I] > '9')
        return false;
      V = V * 10 + (Text[I] - '0');
      if (V > Limit)
        return false;
    }
    Sizes.push_back(V);
    Pos = End + 1;
  }
  return !Sizes.empty();
}

// Loads one BMP stream into B. Our own 32-bit form goes straight from the source into the
// pixels; anything else (other depths, palettes, run-length data) through the BMP reader.
void LoadStream(TSource& Src, uint64_t Offset, uint64_t Len, TBitmap32& B,
                const std::string& What) {
  try {
    if (Len == 0) {
      B.SetSize(0, 0);
      return;
    }
    if (Len > BmpHeaderSize) {
      uint8_t H[BmpHeaderSize], Own[BmpHeaderSize];
      Src.Read(Offset, H, BmpHeaderSize);
      const auto W = static_cast<int32_t>(GetLE32(H + 18)),
                 Ht = static_cast<int32_t>(GetLE32(H + 22));
      if (W > 0 && Ht > 0 && PictureWithinLimits(W, Ht) &&
          BmpHeaderSize + uint64_t(W) * uint64_t(Ht) * 4 == Len) {
        WriteBmpHeader(Own, W, Ht);
        if (std::memcmp(H, Own, BmpHeaderSize) == 0) {
          B.SetSize(W, Ht);
          Src.ReadRowsReversed(Offset + BmpHeaderSize, size_t(W) * 4, size_t(Ht),
                               reinterpret_cast<uint8_t*>(B.Bits()));
          B.Changed();
          return;
        }
      }
    }
    std::vector<uint8_t> Buffer;
    const uint8_t* Data = Src.Bytes(Offset, static_cast<size_t>(Len), Buffer);
    B.LoadFromBytes(Data, static_cast<size_t>(Len));
  } catch (const EProjectError&) {
    throw;
  } catch (const Exception& E) {
    FailDamaged(Src.Name(), What + ": " + UserErrorText(E));
  }
}

std::unique_ptr<TProjectContent> ReadProjectFrom(TSource& Src) {
  const std::string& Name = Src.Name();
  const uint64_t E = Src.Size();
  if (E < 5)
    FailDamaged(Name, "файл слишком короткий");
  uint8_t TailBytes[4];
  Src.Read(E - 4, TailBytes, 4);
  const auto Tail = static_cast<int32_t>(GetLE32(TailBytes));
  if (Tail < 5 || static_cast<uint64_t>(Tail) > E)
    FailDamaged(Name, "длина списка размеров за пределами файла");
  const uint64_t DataEnd = E - static_cast<uint64_t>(Tail);

  // Every line past two stands for a layer stream with a record of its own inside the data,
  // which bounds the list before anything is stored.
  const size_t MaxLines = static_cast<size_t>(2 + DataEnd / ProjectRecordSize);
  std::vector<uint8_t> Text(static_cast<size_t>(Tail) - 4);
  Src.Read(DataEnd, Text.data(), Text.size());
  std::vector<uint64_t> Sizes;
  if (!ParseSizeList(Text, DataEnd, MaxLines, Sizes))
    FailDamaged(Name, "список размеров не читается");
  uint64_t Sum = 0;
  for (const uint64_t S : Sizes)
    if ((Sum += S) > DataEnd)  // each is at most DataEnd, so the sum cannot wrap first
      break;
  if (Sum > DataEnd)
    FailDamaged(Name, "длины частей не сходятся с размером файла");
  // Bytes in front of the streams: only a caption block and a frame block may stand there,
  // one after the other.
  const uint64_t Lead = DataEnd - Sum;
  std::vector<TStoredCaption> Captions;
  std::vector<TStoredFrame> FrameLinks;
  if (Lead > 0) {
    uint8_t Magic[CaptionBlockMagicSize];
    if (Lead < CaptionBlockMagicSize)
      FailDamaged(Name, "длины частей не сходятся с размером файла");
    Src.Read(0, Magic, CaptionBlockMagicSize);
    if (!StartsWithCaptionBlock(Magic, CaptionBlockMagicSize) &&
        !StartsWithFrameBlock(Magic, CaptionBlockMagicSize))
      FailDamaged(Name, "длины частей не сходятся с размером файла");
    if (Lead <= MaxCaptionBlockSize) {
      std::vector<uint8_t> Buffer;
      const uint8_t* P = Src.Bytes(0, static_cast<size_t>(Lead), Buffer);
      // A block whose length does not fit ends the walk: what follows is lost, not the layers.
      for (size_t Left = static_cast<size_t>(Lead); Left > 0;) {
        const size_t N = LeadBlockLength(P, Left);
        if (N == 0 || N > Left)
          break;
        if (StartsWithCaptionBlock(P, N))
          Captions = ParseCaptionBlock(P, N);
        else
          FrameLinks = ParseFrameBlock(P, N);
        P += N;
        Left -= N;
      }
    }
  }

  auto Content = std::make_unique<TProjectContent>();
  const size_t K = Sizes.size();
  if (K == 1) {
    LoadStream(Src, Lead, Sizes[0], Content->Canvas, "холст");
    return Content;
  }

  const uint64_t RecordBytes = Sizes[K - 1], CanvasBytes = Sizes[K - 2];
  if (RecordBytes % ProjectRecordSize != 0)
    FailDamaged(Name, "длина блока записей не кратна " + std::to_string(ProjectRecordSize));
  std::vector<uint8_t> Block(static_cast<size_t>(RecordBytes));
  Src.Read(DataEnd - RecordBytes, Block.data(), Block.size());
  std::vector<TRecord> Layers;
  for (size_t I = 0; I < Block.size(); I += ProjectRecordSize) {
    TRecord R = ParseRecord(Block.data() + I);
    R.Entry = I / ProjectRecordSize;
    if (!R.IsBitmap)
      continue;  // an area layer: not read back
    const std::string Which = "запись " + std::to_string(I / ProjectRecordSize + 1);
    if (R.MasterAlpha > 255)
      FailDamaged(Name, Which + ": непрозрачность больше 255");
    for (const float V : {R.Location.Left, R.Location.Top, R.Location.Right, R.Location.Bottom})
      if (!std::isfinite(V) || std::fabs(V) > MaxLocation)
        FailDamaged(Name, Which + ": неверное положение слоя");
    Layers.push_back(R);
  }
  if (Layers.size() != K - 2)
    FailDamaged(Name, "число слоёв не совпадает с числом потоков");

  // The frames, from stored entries to positions among the layers read.
  std::unordered_map<size_t, size_t> Position;
  for (size_t J = 0; J < Layers.size(); ++J) Position[Layers[J].Entry] = J;
  for (const TStoredFrame& F : FrameLinks) {
    const auto Frame = Position.find(F.Frame), Photo = Position.find(F.Photo);
    if (Frame != Position.end() && Photo != Position.end())
      Content->Frames.push_back({Frame->second, Photo->second});
  }

  uint64_t Offset = Lead;
  for (size_t J = 0; J < Layers.size(); ++J) {
    const TRecord& R = Layers[J];
    auto* L = Content->Layers.Add<TBitmapLayer>();
    TBitmap32& B = *L->Bitmap();
    LoadStream(Src, Offset, Sizes[J], B, "слой " + std::to_string(J + 1));
    Offset += Sizes[J];
    // A caption whose pixels were changed since it was rendered is a picture.
    std::shared_ptr<const TLayerCaption> Caption;
    for (const TStoredCaption& C : Captions)
      if (C.Entry == R.Entry && C.Caption.Fingerprint == PixelFingerprint(B))
        Caption = std::make_shared<TLayerCaption>(C.Caption);
    Content->Captions.push_back(std::move(Caption));
    B.SetDrawMode(dmBlend);
    B.SetMasterAlpha(R.MasterAlpha);
    B.SetStretchFilter(R.Interpolated ? sfLinear : sfNearest);
    L->SetLocation(R.Location);
    L->SetScaled(R.Scaled);
    L->SetCropped(R.Cropped);
  }
  LoadStream(Src, Offset, CanvasBytes, Content->Canvas, "холст");
  return Content;
}

}  // namespace

std::vector<uint8_t> BuildProject(const TBitmap32& Canvas, const TLayerCollection& Layers,
                                  const TLayerCaptions* Captions, const TLayerFrames* Frames) {
  const TProjectImage Image(Canvas, Layers, Captions, Frames);
  std::vector<uint8_t> Out(Image.Size());
  uint8_t* P = Out.data();
  for (const TPiece& Piece : Image.Pieces()) {
    std::memcpy(P, Piece.Data, Piece.Size);
    P += Piece.Size;
  }
  return Out;
}

std::vector<uint8_t> BuildProject(const TCardDocument& Doc) {
  return BuildProject(Doc.Canvas(), Doc.Layers(), &Doc.Captions, &Doc.Frames);
}

void WriteProject(const TBitmap32& Canvas, const TLayerCollection& Layers,
                  const std::string& FileName, const TLayerCaptions* Captions,
                  const TLayerFrames* Frames) {
  const TProjectImage Image(Canvas, Layers, Captions, Frames);
  try {
    WriteFileAtomically(FileName, Image.Pieces());
  } catch (const EFileError& E) {
    throw EProjectError(E.what());
  }
}

void WriteProject(const TCardDocument& Doc, const std::string& FileName) {
  WriteProject(Doc.Canvas(), Doc.Layers(), FileName, &Doc.Captions, &Doc.Frames);
}

std::unique_ptr<TProjectContent> ReadProjectBytes(const uint8_t* Data, size_t Size,
                                                  const std::string& FileName) {
  TMemorySource Src(Data, Size, FileName);
  return ReadProjectFrom(Src);
}

std::unique_ptr<TProjectContent> ReadProjectFile(const std::string& FileName) {
  TFd Fd(::open(FileName.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat St {};
  // Worded as every other file the program reads (ReadFileBytes).
  if (Fd.Get() < 0 || ::fstat(Fd.Get(), &St) != 0)
    throw EProjectError(FileErrorText("открыть", FileName, errno));
  if (!S_ISREG(St.st_mode))
    throw EProjectError(FileErrorText("открыть", FileName, EISDIR));
  ::posix_fadvise(Fd.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  TFileSource Src(Fd.Get(), static_cast<uint64_t>(St.st_size), FileName);
  return ReadProjectFrom(Src);
}

void InstallProject(TProjectContent& Content, TCardDocument& Doc) {
  Doc.ClearLayers();
  Doc.View().SetScale(1);
  // The canvas takes the pixels only (no copy); its draw mode, opacity and filter stay.
  TBitmap32& Canvas = Doc.Canvas();
  const bool Resized =
      Canvas.Width() != Content.Canvas.Width() || Canvas.Height() != Content.Canvas.Height();
  Canvas.SwapContents(Content.Canvas);
  Content.Canvas.SetSize(0, 0);
  Canvas.Changed();
  if (Resized)
    Canvas.NotifyResize();

  TBitmapLayer* Top = nullptr;
  std::vector<TBitmapLayer*> Installed;
  for (size_t J = 0; Content.Layers.Count() > 0; ++J) {
    auto* L = static_cast<TBitmapLayer*>(Content.Layers.Items(0));
    L->SetLayerCollection(&Doc.Layers());
    const bool Scaled = L->Scaled();
    Doc.AdoptContentLayer(L);
    L->SetScaled(Scaled);
    if (J < Content.Captions.size())
      Doc.Captions.Put(L->Id(), Content.Captions[J]);
    Installed.push_back(L);
    Top = L;
  }
  Content.Captions.clear();
  for (const TProjectContent::TFramePair& F : Content.Frames)
    if (F.Frame < Installed.size() && F.Photo < Installed.size())
      Doc.LinkFrame(*Installed[F.Frame], *Installed[F.Photo]);
  Content.Frames.clear();
  // A frame on top stands for its photo, which its selection frame would otherwise cover.
  if (Top != nullptr)
    if (TBitmapLayer* Photo = Doc.PhotoOf(*Top))
      Top = Photo;
  Doc.SetSelection(nullptr);
  if (Top != nullptr)
    Doc.SetSelection(Top);
}

void ReadProject(const std::string& FileName, TCardDocument& Into) {
  const std::unique_ptr<TProjectContent> Content = ReadProjectFile(FileName);
  InstallProject(*Content, Into);
}
