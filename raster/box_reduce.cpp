#include "box_reduce.h"

void BoxReduce(const TBitmap32& Src, TBitmap32& Dst) {
  const int64_t Sw = Src.Width(), Sh = Src.Height(), W = Dst.Width(), H = Dst.Height();
  if (W <= 0 || H <= 0 || W > Sw || H > Sh)
    return;
  for (int64_t Y = 0; Y < H; ++Y) {
    const int64_t Y0 = Y * Sh / H, Y1 = (Y + 1) * Sh / H;
    TColor32* Out = Dst.RowAddress(int32_t(Y));
    for (int64_t X = 0; X < W; ++X) {
      const int64_t X0 = X * Sw / W, X1 = (X + 1) * Sw / W;
      uint64_t Sum[4] = {0, 0, 0, 0};
      for (int64_t Sy = Y0; Sy < Y1; ++Sy) {
        const TColor32* Row = Src.RowAddress(int32_t(Sy));
        for (int64_t Sx = X0; Sx < X1; ++Sx)
          for (int K = 0; K < 4; ++K) Sum[K] += (Row[Sx] >> (8 * K)) & 0xFF;
      }
      const uint64_t N = uint64_t((X1 - X0) * (Y1 - Y0));
      TColor32 C = 0;
      for (int K = 0; K < 4; ++K) C |= TColor32((Sum[K] + N / 2) / N) << (8 * K);
      Out[X] = C;
    }
  }
}

int32_t AveragedSize(int32_t Src, int32_t T, int32_t MaxStep) {
  if (T == 1)
    return 1;
  if (Src > int64_t(MaxStep) * T)
    return 2 * T;
  return Src;
}
