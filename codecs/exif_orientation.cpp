#include "exif_orientation.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "bitmap32.h"

namespace {

struct TExifDataDeleter {
  void operator()(ExifData* P) const { exif_data_unref(P); }
};

}  // namespace

int ReadExifOrientation(const uint8_t* Data, size_t Size) {
  static const uint8_t Signature[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (Size < sizeof(Signature) || std::memcmp(Data, Signature, sizeof(Signature)) != 0)
    return 1;
  // APP1 segments hold at most 65533 bytes; anything longer did not come from a JPEG marker.
  if (Size > 65535)
    return 1;
  std::unique_ptr<ExifData, TExifDataDeleter> Exif(exif_data_new());
  if (!Exif)
    return 1;
  // Every option off (the three bits 1, 2 and 4): the tags are read as stored, with no
  // repairs or added defaults, and maker notes are left alone.
  exif_data_unset_option(Exif.get(), static_cast<ExifDataOption>(7));
  exif_data_load_data(Exif.get(), Data, unsigned(Size));
  ExifContent* Ifd0 = Exif->ifd[EXIF_IFD_0];
  if (!Ifd0)
    return 1;
  ExifEntry* Entry = exif_content_get_entry(Ifd0, EXIF_TAG_ORIENTATION);
  if (!Entry || Entry->format != EXIF_FORMAT_SHORT || Entry->components < 1 || !Entry->data ||
      Entry->size < 2)
    return 1;
  const int Value = exif_get_short(Entry->data, exif_data_get_byte_order(Exif.get()));
  return Value >= 1 && Value <= 8 ? Value : 1;
}

namespace {

// Orientations 2..4 in place.
void FlipPixels(TColor32* Px, int32_t W, int32_t H, int Orientation) {
  if (Orientation == 2 || Orientation == 3) {
    for (int32_t Y = 0; Y < H; ++Y) std::reverse(Px + ptrdiff_t(Y) * W, Px + ptrdiff_t(Y + 1) * W);
  }
  if (Orientation == 3 || Orientation == 4) {
    for (int32_t Y = 0; Y < H / 2; ++Y)
      std::swap_ranges(Px + ptrdiff_t(Y) * W, Px + ptrdiff_t(Y + 1) * W,
                       Px + ptrdiff_t(H - 1 - Y) * W);
  }
}

// Orientations 5..8, which swap the sides: the upright picture (Out) is H wide and W high; its
// pixel (DX, DY) comes from the stored pixel (SX, SY). Walked in tiles, so that both pictures
// are read and written a few cache lines at a time.
void TurnPixels(const TColor32* Px, int32_t W, int32_t H, int Orientation, TColor32* Out) {
  constexpr int32_t Tile = 64;
  for (int32_t TY = 0; TY < W; TY += Tile) {
    const int32_t EY = std::min(W, TY + Tile);
    for (int32_t TX = 0; TX < H; TX += Tile) {
      const int32_t EX = std::min(H, TX + Tile);
      for (int32_t DY = TY; DY < EY; ++DY) {
        TColor32* Row = Out + size_t(DY) * size_t(H);
        const int32_t SX = Orientation == 5 || Orientation == 6 ? DY : W - 1 - DY;
        const bool Up = Orientation == 5 || Orientation == 8;  // SY = DX, else H - 1 - DX
        for (int32_t DX = TX; DX < EX; ++DX) {
          const int32_t SY = Up ? DX : H - 1 - DX;
          Row[DX] = Px[size_t(SY) * size_t(W) + size_t(SX)];
        }
      }
    }
  }
}

}  // namespace

void ApplyExifOrientation(TPicture& Picture, int Orientation) {
  if (Orientation < 2 || Orientation > 8 || Picture.IsEmpty())
    return;
  const int32_t W = Picture.Width, H = Picture.Height;
  if (Orientation <= 4) {
    FlipPixels(Picture.Pixels.data(), W, H, Orientation);
    return;
  }
  std::vector<TColor32> Out(Picture.Pixels.size());
  TurnPixels(Picture.Pixels.data(), W, H, Orientation, Out.data());
  Picture.Pixels = std::move(Out);
  std::swap(Picture.Width, Picture.Height);
}

void ApplyExifOrientation(TBitmap32& Bitmap, int Orientation) {
  if (Orientation < 2 || Orientation > 8 || Bitmap.IsEmpty())
    return;
  const int32_t W = Bitmap.Width(), H = Bitmap.Height();
  if (Orientation <= 4) {
    FlipPixels(Bitmap.Bits(), W, H, Orientation);
    return;
  }
  TBitmap32 Out;
  Out.SetSizeForOverwrite(H, W);
  TurnPixels(Bitmap.Bits(), W, H, Orientation, Out.Bits());
  Bitmap.SwapContents(Out);
}
