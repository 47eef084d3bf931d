#include "color_reduction.h"

#include <libimagequant.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "exceptions.h"

namespace {

inline uint32_t PixelKey(const uint8_t* P) {
  return uint32_t(P[0]) | (P[1] << 8) | (P[2] << 16);
}

// Open-addressing set of up to Capacity colours (24-bit keys) with their palette indices.
class TColorTable {
 public:
  explicit TColorTable(int Capacity) : FCapacity(Capacity), FSlots(1024, Empty) {}

  // The colour's index, added when new; -1 once the table would exceed its capacity.
  int Find(uint32_t Key) {
    size_t I = (Key * 2654435761u) >> 22;
    while (true) {
      const uint64_t S = FSlots[I];
      if (S == Empty)
        break;
      if (uint32_t(S) == Key)
        return int(S >> 32);
      I = (I + 1) & 1023;
    }
    if (int(FColors.size()) >= FCapacity)
      return -1;
    FSlots[I] = (uint64_t(FColors.size()) << 32) | Key;
    FColors.push_back(Key);
    return int(FColors.size()) - 1;
  }
  const std::vector<uint32_t>& Colors() const { return FColors; }

 private:
  static constexpr uint64_t Empty = ~uint64_t{0};
  int FCapacity;
  std::vector<uint64_t> FSlots;
  std::vector<uint32_t> FColors;
};

TIndexedBitmap MakeIndexed(const TBitmap24& Source, int32_t Bits) {
  TIndexedBitmap R;
  R.Width = Source.Width();
  R.Height = Source.Height();
  R.BitsPerPixel = Bits;
  R.Indices.resize(size_t(R.Width) * size_t(R.Height));
  return R;
}

// The exact palette in order of first appearance, or false when there are too many colours.
bool ReduceExactly(const TBitmap24& Source, TIndexedBitmap& R) {
  TColorTable Table(1 << R.BitsPerPixel);
  uint8_t* Out = R.Indices.data();
  for (int32_t Y = 0; Y < R.Height; ++Y) {
    const uint8_t* P = Source.ScanLine(Y);
    uint32_t LastKey = ~0u;
    int LastIndex = 0;
    for (int32_t X = 0; X < R.Width; ++X, P += 3) {
      const uint32_t Key = PixelKey(P);
      if (Key != LastKey) {
        LastIndex = Table.Find(Key);
        if (LastIndex < 0)
          return false;
        LastKey = Key;
      }
      *Out++ = uint8_t(LastIndex);
    }
  }
  for (const uint32_t Key : Table.Colors()) R.Palette.push_back(0xFF000000u | Key);
  return true;
}

// Black and white by Floyd-Steinberg diffusion of the intensity (61 R + 174 G + 21 B) >> 8.
void ReduceToBlackAndWhite(const TBitmap24& Source, TIndexedBitmap& R) {
  R.Palette = {0xFF000000u, 0xFFFFFFFFu};
  std::vector<int32_t> Err(size_t(R.Width) + 2, 0), NextErr(size_t(R.Width) + 2, 0);
  for (int32_t Y = 0; Y < R.Height; ++Y) {
    const uint8_t* P = Source.ScanLine(Y);
    uint8_t* Out = R.Indices.data() + size_t(Y) * size_t(R.Width);
    std::fill(NextErr.begin(), NextErr.end(), 0);
    for (int32_t X = 0; X < R.Width; ++X, P += 3) {
      const int32_t I = (61 * P[2] + 174 * P[1] + 21 * P[0]) >> 8;
      // Errors are kept in sixteenths; Err[X + 1] belongs to column X.
      const int32_t V = I + Err[size_t(X) + 1] / 16;
      const bool White = V >= 128;
      Out[X] = White ? 1 : 0;
      const int32_t E = V - (White ? 255 : 0);
      Err[size_t(X) + 2] += E * 7;
      NextErr[size_t(X)] += E * 3;
      NextErr[size_t(X) + 1] += E * 5;
      NextErr[size_t(X) + 2] += E;
    }
    std::swap(Err, NextErr);
  }
}

struct TLiqDeleter {
  void operator()(liq_attr* P) const { liq_attr_destroy(P); }
  void operator()(liq_image* P) const { liq_image_destroy(P); }
  void operator()(liq_result* P) const { liq_result_destroy(P); }
};

void ReadRgbaRow(liq_color RowOut[], int Row, int Width, void* UserInfo) {
  const auto* Source = static_cast<const TBitmap24*>(UserInfo);
  const uint8_t* P = Source->ScanLine(Row);
  for (int X = 0; X < Width; ++X, P += 3) RowOut[X] = liq_color{P[2], P[1], P[0], 255};
}

void QuantizeWithLibimagequant(const TBitmap24& Source, TIndexedBitmap& R) {
  std::unique_ptr<liq_attr, TLiqDeleter> Attr(liq_attr_create());
  if (!Attr)
    throw Exception("Не удалось сократить число цветов картинки: недостаточно памяти");
  liq_set_max_colors(Attr.get(), 1 << R.BitsPerPixel);
  std::unique_ptr<liq_image, TLiqDeleter> Image(liq_image_create_custom(
      Attr.get(), ReadRgbaRow, const_cast<TBitmap24*>(&Source), R.Width, R.Height, 0.0));
  if (!Image)
    throw Exception("Не удалось сократить число цветов картинки: картинка слишком велика");
  liq_result* RawResult = nullptr;
  if (liq_image_quantize(Image.get(), Attr.get(), &RawResult) != LIQ_OK || !RawResult)
    throw Exception("Не удалось сократить число цветов картинки");
  std::unique_ptr<liq_result, TLiqDeleter> Result(RawResult);
  liq_set_dithering_level(Result.get(), 1.0f);
  if (liq_write_remapped_image(Result.get(), Image.get(), R.Indices.data(), R.Indices.size()) !=
      LIQ_OK)
    throw Exception("Не удалось сократить число цветов картинки");
  const liq_palette* Pal = liq_get_palette(Result.get());
  for (unsigned I = 0; I < Pal->count; ++I) {
    const liq_color& C = Pal->entries[I];
    R.Palette.push_back(0xFF000000u | (TColor32(C.r) << 16) | (TColor32(C.g) << 8) | C.b);
  }
}

}  // namespace

TIndexedBitmap ReducePixelFormat(const TBitmap24& Source, TPixelFormat Format) {
  const int32_t Bits = Format == pf1bit ? 1 : Format == pf4bit ? 4 : 8;
  TIndexedBitmap R = MakeIndexed(Source, Bits);
  if (Source.IsEmpty())
    return R;
  if (ReduceExactly(Source, R))
    return R;
  R.Palette.clear();
  if (Bits == 1)
    ReduceToBlackAndWhite(Source, R);
  else
    QuantizeWithLibimagequant(Source, R);
  return R;
}

int64_t CountColors(const TBitmap24& Source) {
  std::vector<uint64_t> Seen(size_t{1} << 18, 0);
  int64_t Count = 0;
  for (int32_t Y = 0; Y < Source.Height(); ++Y) {
    const uint8_t* P = Source.ScanLine(Y);
    for (int32_t X = 0; X < Source.Width(); ++X, P += 3) {
      const uint32_t Key = PixelKey(P);
      uint64_t& Word = Seen[Key >> 6];
      const uint64_t Bit = uint64_t{1} << (Key & 63);
      if (!(Word & Bit)) {
        Word |= Bit;
        ++Count;
      }
    }
  }
  return Count;
}
