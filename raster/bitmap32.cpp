#include "bitmap32.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <iterator>
#include <ostream>
#include <utility>

#include "bitmap_change.h"
#include "blend.h"
#include "bmp_format.h"
#include "color32.h"
#include "exceptions.h"
#include "file_io.h"
#include "little_endian.h"
#include "picture_readers.h"
#include "transfers.h"

namespace {

// Pixel buffers of card size and up (an A4 card at 300 dpi is 35 MB) get a mapping of their own
// that starts on a 2-MB boundary, with the system asked to back its whole 2-MB pages with
// large pages where it offers them ("madvise" mode). A buffer is then first written with a
// page fault per 2 MB instead of one per 4 KB: copying a card into fresh memory, as the undo
// history and every effect do, takes a tenth of the time. The mapping is zero-filled by the
// system as pages are first touched, so untouched rows of a picture that failed to decode cost
// nothing.
constexpr size_t LargePage = size_t{2} << 20;
constexpr size_t MappedFrom = 2 * LargePage;

size_t SmallPage() {
  static const size_t Size = [] {
    const long P = sysconf(_SC_PAGESIZE);
    return P > 0 ? size_t(P) : size_t{4096};
  }();
  return Size;
}

size_t MappedLength(size_t Bytes) {
  return (Bytes + SmallPage() - 1) & ~(SmallPage() - 1);
}

void* AllocatePixels(size_t Bytes, bool Clear) {
  if (Bytes < MappedFrom)
    return Clear ? std::calloc(Bytes, 1) : std::malloc(Bytes);
  const size_t Length = MappedLength(Bytes);
  void* Base =
      mmap(nullptr, Length + LargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (Base == MAP_FAILED)
    return nullptr;
  const auto From = reinterpret_cast<uintptr_t>(Base);
  const uintptr_t Start = (From + LargePage - 1) & ~(LargePage - 1);
  const uintptr_t End = Start + Length, MapEnd = From + Length + LargePage;
  if (Start > From)
    munmap(Base, Start - From);
  if (MapEnd > End)
    munmap(reinterpret_cast<void*>(End), MapEnd - End);
  madvise(reinterpret_cast<void*>(Start), Length & ~(LargePage - 1), MADV_HUGEPAGE);
  return reinterpret_cast<void*>(Start);
}

// Bytes is the size the buffer was allocated with.
void FreePixels(void* Block, size_t Bytes) {
  if (Block == nullptr)
    return;
  if (Bytes < MappedFrom)
    std::free(Block);
  else
    munmap(Block, MappedLength(Bytes));
}

std::atomic<uint64_t> GenerationCounter{0};
}  // namespace

TBitmap32::TBitmap32() {
  NewGeneration();
}

void TBitmap32::NewGeneration() {
  FGeneration = GenerationCounter.fetch_add(1, std::memory_order_relaxed) + 1;
}

void TBitmap32::Changed() {
  NewGeneration();
  TCustomMap::Changed();
}

TBitmap32::~TBitmap32() {
  BeginUpdate();
  Lock();
  FreeBits();
  Unlock();
}

void TBitmap32::FreeBits() {
  FreePixels(FBits, size_t(FWidth) * size_t(FHeight) * sizeof(TColor32));
  FBits = nullptr;
  FWidth = 0;
  FHeight = 0;
}

bool TBitmap32::SetSize(int32_t W, int32_t H) {
  return Resize(W, H, true);
}

bool TBitmap32::SetSizeForOverwrite(int32_t W, int32_t H) {
  return Resize(W, H, false);
}

bool TBitmap32::Resize(int32_t W, int32_t H, bool Clear) {
  if (W < 1)
    W = 0;
  if (H < 1)
    H = 0;
  if (W == FWidth && H == FHeight)
    return false;
  NewGeneration();
  FreeBits();
  if (W > 0 && H > 0) {
    const int64_t Pixels = int64_t{W} * H;
    if (Pixels <= MaxPicturePixels) {
      const auto N = static_cast<size_t>(Pixels);
      FBits = static_cast<TColor32*>(AllocatePixels(N * sizeof(TColor32), Clear));
    }
    if (FBits == nullptr) {
      Changed();
      NotifyResize();
      throw EBitmapError("Can't allocate the DIB handle", W, H);
    }
    FWidth = W;
    FHeight = H;
  }
  Changed();
  NotifyResize();
  return true;
}

TColor32 TBitmap32::GetPixelSafe(int32_t X, int32_t Y) const {
  if (X < 0 || X >= FWidth || Y < 0 || Y >= FHeight)
    return OuterColor;
  return FBits[Y * FWidth + X];
}

void TBitmap32::SetPixelSafe(int32_t X, int32_t Y, TColor32 C) {
  if (X < 0 || X >= FWidth || Y < 0 || Y >= FHeight)
    return;
  FBits[Y * FWidth + X] = C;
}

void TBitmap32::Clear(TColor32 C) {
  if (IsEmpty())
    return;
  FillWords32(FBits, FWidth * FHeight, C);
  Changed();
}

void TBitmap32::MakeOpaque() {
  if (IsEmpty())
    return;
  const int64_t N = int64_t{FWidth} * FHeight;
  for (int64_t I = 0; I < N; ++I) FBits[I] |= 0xFF000000;
  Changed();
}

void TBitmap32::FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 C) {
  for (int32_t Y = Y1; Y < Y2; ++Y) FillWords32(PixelAddress(X1, Y), X2 - X1, C);
  Changed();
}

void TBitmap32::FillRectSafe(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor32 C) {
  if (X1 >= X2 || Y1 >= Y2 || X1 >= FWidth || Y1 >= FHeight || X2 <= 0 || Y2 <= 0)
    return;
  if (X2 > FWidth)
    X2 = FWidth;
  if (Y2 > FHeight)
    Y2 = FHeight;
  if (X1 < 0)
    X1 = 0;
  if (Y1 < 0)
    Y1 = 0;
  FillRect(X1, Y1, X2, Y2, C);
}

void TBitmap32::DrawOnto(TBitmap32& Dst, int32_t X, int32_t Y) const {
  if (IsEmpty() || Dst.IsEmpty())
    return;
  BlockTransfer(&Dst, X, Y, this, BoundsRect(), FDrawMode, OnPixelCombine);
  Dst.Changed();
}

void TBitmap32::DrawOnto(TBitmap32& Dst, const TRect& DstRect) const {
  DrawOnto(Dst, DstRect, BoundsRect());
}

void TBitmap32::DrawOnto(TBitmap32& Dst, const TRect& DstRect, const TRect& SrcRect) const {
  if (IsEmpty() || Dst.IsEmpty())
    return;
  StretchTransfer(&Dst, DstRect, this, SrcRect, FStretchFilter, FDrawMode, OnPixelCombine);
  Dst.Changed();
}

void TBitmap32::DrawFrom(int32_t X, int32_t Y, const TBitmap32* Src) {
  if (Src != nullptr)
    Src->DrawOnto(*this, X, Y);
}

void TBitmap32::Assign(const TBitmap32* Source) {
  if (Source == this) {
    Changed();
    return;
  }
  ChangeAtOnce(*this, [&] {
    if (Source == nullptr) {
      SetSize(0, 0);
    } else {
      SetSize(Source->Width(), Source->Height());
      if (!IsEmpty()) {
        std::memcpy(FBits, Source->FBits, size_t(FWidth) * size_t(FHeight) * sizeof(TColor32));
        FDrawMode = Source->FDrawMode;
        FMasterAlpha = Source->FMasterAlpha;
        OuterColor = Source->OuterColor;
        FStretchFilter = Source->FStretchFilter;
      }
    }
  });
}

void TBitmap32::Assign(const TPicture& Source) {
  ChangeAtOnce(*this, [&] {
    const bool Fits = Source.Width > 0 && Source.Height > 0 &&
                      Source.Pixels.size() >= size_t(Source.Width) * size_t(Source.Height);
    SetSize(Fits ? Source.Width : 0, Fits ? Source.Height : 0);
    if (!IsEmpty()) {
      const size_t N = size_t(FWidth) * size_t(FHeight);
      if (Source.Kind == TPicture::pkBitmap) {
        std::memcpy(FBits, Source.Pixels.data(), N * sizeof(TColor32));
        if (Source.BitsPerPixel != 32)
          MakeOpaque();
      } else {
        // The graphic paints itself over what the bitmap holds, by its own alpha.
        for (size_t I = 0; I < N; ++I) BlendOnto(Source.Pixels[I], FBits[I]);
        MakeOpaque();
      }
    }
  });
}

void TBitmap32::AssignTo(TPicture& Target) const {
  Target.Kind = TPicture::pkBitmap;
  Target.BitsPerPixel = 32;
  Target.Width = FWidth;
  Target.Height = FHeight;
  Target.Pixels.assign(FBits, FBits + size_t(FWidth) * size_t(FHeight));
}

void TBitmap32::LoadFromFile(const std::string& FileName) {
  LoadPictureFile(FileName, *this);
}

std::vector<uint8_t> TBitmap32::SaveToBytes() const {
  if (IsEmpty())
    return {};
  return WriteBmpImage(FBits, FWidth, FHeight);
}

void TBitmap32::SaveToFile(const std::string& FileName) const {
  if (IsEmpty()) {
    WriteFileAtomically(FileName, nullptr, 0);
    return;
  }
  // The header and the rows bottom-up, gathered straight from the pixels.
  uint8_t Header[Bmp32HeaderSize];
  WriteBmpHeader(Header, FWidth, FHeight);
  std::vector<TFilePiece> Pieces;
  Pieces.reserve(size_t(FHeight) + 1);
  Pieces.push_back({Header, sizeof(Header)});
  const size_t RowBytes = size_t(FWidth) * sizeof(TColor32);
  for (int32_t Y = FHeight - 1; Y >= 0; --Y)
    Pieces.push_back({reinterpret_cast<const uint8_t*>(RowAddress(Y)), RowBytes});
  WriteFileAtomically(FileName, Pieces);
}

void TBitmap32::SaveToStream(std::ostream& Stream) const {
  if (IsEmpty())
    return;
  uint8_t Header[Bmp32HeaderSize];
  WriteBmpHeader(Header, FWidth, FHeight);
  Stream.write(reinterpret_cast<const char*>(Header), std::streamsize(sizeof(Header)));
  const auto RowBytes = std::streamsize(size_t(FWidth) * sizeof(TColor32));
  for (int32_t Y = FHeight - 1; Y >= 0; --Y)
    Stream.write(reinterpret_cast<const char*>(RowAddress(Y)), RowBytes);
}

void TBitmap32::LoadFromBytes(const uint8_t* Data, size_t Size) {
  const TPicture Picture = ReadBmpImage(Data, Size);
  Assign(Picture);
}

void TBitmap32::LoadFromStream(std::istream& Stream) {
  const std::vector<uint8_t> Data{std::istreambuf_iterator<char>(Stream),
                                  std::istreambuf_iterator<char>()};
  LoadFromBytes(Data.data(), Data.size());
}

void TBitmap32::WriteRawData(std::ostream& Stream) const {
  uint8_t Header[8];
  PutLE32(Header, static_cast<uint32_t>(FWidth));
  PutLE32(Header + 4, static_cast<uint32_t>(FHeight));
  Stream.write(reinterpret_cast<const char*>(Header), 8);
  if (!IsEmpty())
    Stream.write(reinterpret_cast<const char*>(FBits),
                 std::streamsize(size_t(FWidth) * size_t(FHeight) * sizeof(TColor32)));
}

void TBitmap32::ReadRawData(std::istream& Stream) {
  struct TChangedOnExit {
    TBitmap32& B;
    ~TChangedOnExit() { B.Changed(); }
  } Notify{*this};
  uint8_t Header[8];
  if (!Stream.read(reinterpret_cast<char*>(Header), 8))
    throw EReadError("Stream read error");
  const auto W = static_cast<int32_t>(GetLE32(Header));
  const auto H = static_cast<int32_t>(GetLE32(Header + 4));
  if (W > 0 && H > 0 && (W > MaxPictureSide || H > MaxPictureSide))
    throw EReadError("Stream read error");
  SetSize(W, H);
  if (IsEmpty())
    return;
  const auto Bytes = std::streamsize(size_t(FWidth) * size_t(FHeight) * sizeof(TColor32));
  if (!Stream.read(reinterpret_cast<char*>(FBits), Bytes))
    throw EReadError("Stream read error");
}

bool TBitmap32::EqualsForStreaming(const TBitmap32& Other) const {
  if (IsEmpty() || Other.IsEmpty())
    return IsEmpty() && Other.IsEmpty();
  return SaveToBytes() == Other.SaveToBytes();
}

void TBitmap32::SetDrawMode(TDrawMode V) {
  if (V == FDrawMode)
    return;
  FDrawMode = V;
  Changed();
}

void TBitmap32::SetMasterAlpha(uint32_t V) {
  if (V == FMasterAlpha)
    return;
  FMasterAlpha = V;
  Changed();
}

void TBitmap32::SetStretchFilter(TStretchFilter V) {
  if (V == FStretchFilter)
    return;
  FStretchFilter = V;
  Changed();
}

// ==== Buffer exchange (undo records) ====
void TBitmap32::SwapContents(TBitmap32& Other) {
  if (&Other == this)
    return;
  std::swap(FBits, Other.FBits);
  std::swap(FWidth, Other.FWidth);
  std::swap(FHeight, Other.FHeight);
  NewGeneration();
  Other.NewGeneration();
}
// ==== end of buffer exchange ====
