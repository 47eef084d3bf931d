#include "exif_orientation.h"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

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

void ApplyExifOrientation(TPicture& Picture, int Orientation) {
  if (Orientation < 2 || Orientation > 8 || Picture.IsEmpty())
    return;
  const int32_t W = Picture.Width, H = Picture.Height;
  std::vector<TColor32>& Px = Picture.Pixels;
  if (Orientation == 2 || Orientation == 3) {
    for (int32_t Y = 0; Y < H; ++Y)
      std::reverse(Px.begin() + ptrdiff_t(Y) * W, Px.begin() + ptrdiff_t(Y + 1) * W);
  }
  if (Orientation == 3 || Orientation == 4) {
    for (int32_t Y = 0; Y < H / 2; ++Y)
      std::swap_ranges(Px.begin() + ptrdiff_t(Y) * W, Px.begin() + ptrdiff_t(Y + 1) * W,
                       Px.begin() + ptrdiff_t(H - 1 - Y) * W);
  }
  if (Orientation <= 4)
    return;
  // 5..8 swap the sides. The upright picture is H wide and W high; its pixel (DX, DY) comes
  // from the stored pixel (SX, SY).
  std::vector<TColor32> Out(Px.size());
  for (int32_t DY = 0; DY < W; ++DY) {
    TColor32* Row = Out.data() + size_t(DY) * size_t(H);
    for (int32_t DX = 0; DX < H; ++DX) {
      int32_t SX = 0, SY = 0;
      switch (Orientation) {
        case 5:
          SX = DY;
          SY = DX;
          break;
        case 6:
          SX = DY;
          SY = H - 1 - DX;
          break;
        case 7:
          SX = W - 1 - DY;
          SY = H - 1 - DX;
          break;
        default:
          SX = W - 1 - DY;
          SY = DX;
          break;
      }
      Row[DX] = Px[size_t(SY) * size_t(W) + size_t(SX)];
    }
  }
  Px = std::move(Out);
  std::swap(Picture.Width, Picture.Height);
}
