// The reduced-size JPEG reader of the thumbnails: the DCT scale it picks, the picture it gives
// against a full decode, the EXIF orientation, and damaged files.
#include "jpeg_thumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "bitmap32.h"
#include "codec_test_support.h"
#include "exceptions.h"
#include "file_builders.h"
#include "jpeg_codec.h"

namespace {

// A 160 x 96 picture of four flat quadrants (whole 8 x 8 blocks at every scale).
const TBitmap32& Quadrants() {
  static TBitmap32 B;
  B.SetSize(160, 96);
  for (int Y = 0; Y < 96; ++Y)
    for (int X = 0; X < 160; ++X)
      B.SetPixel(X, Y,
                 Y < 48 ? (X < 80 ? 0xFFFF0000 : 0xFF00FF00) : (X < 80 ? 0xFF0000FF : 0xFFFFFFFF));
  return B;
}

bool Near(TColor32 A, TColor32 B, int Tolerance) {
  for (int S = 0; S < 24; S += 8)
    if (std::abs(int((A >> S) & 0xFF) - int((B >> S) & 0xFF)) > Tolerance)
      return false;
  return true;
}

TColor32 At(const TPicture& P, int X, int Y) {
  return P.Pixels[size_t(Y) * size_t(P.Width) + size_t(X)];
}

// An APP1 EXIF block holding only an orientation tag, inserted after SOI.
TBytes WithOrientation(const TBytes& Jpeg, uint16_t Orientation) {
  TBytes E = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I'};
  Put16(E, 42);
  Put32(E, 8);
  Put16(E, 1);
  Put16(E, 0x0112);
  Put16(E, 3);
  Put32(E, 1);
  Put16(E, Orientation);
  Put16(E, 0);
  Put32(E, 0);
  TBytes Out(Jpeg.begin(), Jpeg.begin() + 2);
  const size_t Len = E.size() + 2;
  Append(Out, {0xFF, 0xE1, uint8_t(Len >> 8), uint8_t(Len)});
  Append(Out, E);
  Out.insert(Out.end(), Jpeg.begin() + 2, Jpeg.end());
  return Out;
}

}  // namespace

TEST(JpegThumbnail, ScaleCoversTheReducedPicture) {
  struct Case {
    int32_t W, H, BoxW, BoxH;
    int32_t Want;
  };
  const Case Cases[] = {
      {3000, 2000, 200, 200, 8},  // 375 x 250 covers 200 x 134
      {1600, 800, 200, 200, 8},   // exactly 200 x 100
      {1500, 800, 200, 200, 4},   // 1/8 gives 188 x 100, narrower than 200 x 107
      {800, 400, 200, 200, 4},   {400, 200, 200, 200, 2},
      {399, 100, 200, 200, 1},  // 200 x 51 at 1/2 < 200 x 50.1
      {150, 100, 200, 200, 1},  // smaller than the box
      {3000, 2000, 0, 200, 1},  // no box
      {65535, 65535, 40, 40, 8},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(JpegThumbnailScale(C.W, C.H, C.BoxW, C.BoxH), C.Want) << C.W << "x" << C.H;
}

TEST(JpegThumbnail, MatchesAFullDecodeAtAReducedSize) {
  const TBytes Jpeg = EncodeJpeg(Quadrants(), 95);
  const TPicture Full = ReadJpegImage(Jpeg.data(), Jpeg.size());
  struct Case {
    int32_t Box;
    int32_t Scale, W, H;
  };
  for (const Case& C :
       {Case{200, 1, 160, 96}, Case{80, 2, 80, 48}, Case{40, 4, 40, 24}, Case{20, 8, 20, 12}}) {
    const TJpegThumbnail T = ReadJpegThumbnail(Jpeg.data(), Jpeg.size(), C.Box, C.Box);
    EXPECT_EQ(T.Scale, C.Scale) << C.Box;
    EXPECT_EQ(T.FullWidth, 160);
    EXPECT_EQ(T.FullHeight, 96);
    ASSERT_EQ(T.Picture.Width, C.W) << C.Box;
    ASSERT_EQ(T.Picture.Height, C.H) << C.Box;
    // Quadrant centres agree with the full decode at the same spot.
    for (const auto& [FX, FY] : {std::pair{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}}) {
      const TColor32 Small = At(T.Picture, int(FX * C.W), int(FY * C.H));
      const TColor32 Big = At(Full, int(FX * 160), int(FY * 96));
      EXPECT_TRUE(Near(Small, Big, 6)) << C.Box << ": " << std::hex << Small << " / " << Big;
      EXPECT_EQ(Small >> 24, 0xFFu);
    }
  }
}

TEST(JpegThumbnail, ExifOrientationAsForFullDecodes) {
  const TBytes Jpeg = EncodeJpeg(Quadrants(), 95);
  for (const uint16_t O : {1, 3, 6, 8}) {
    const TBytes File = WithOrientation(Jpeg, O);
    const TPicture Full = ReadJpegImage(File.data(), File.size());
    const TJpegThumbnail T = ReadJpegThumbnail(File.data(), File.size(), 40, 40);
    EXPECT_EQ(T.FullWidth, Full.Width) << O;
    EXPECT_EQ(T.FullHeight, Full.Height) << O;
    ASSERT_EQ(T.Picture.Width * 4, Full.Width) << O;
    ASSERT_EQ(T.Picture.Height * 4, Full.Height) << O;
    const int W = T.Picture.Width, H = T.Picture.Height;
    EXPECT_TRUE(Near(At(T.Picture, W / 4, H / 4), At(Full, Full.Width / 4, Full.Height / 4), 6))
        << O;
    EXPECT_TRUE(
        Near(At(T.Picture, 3 * W / 4, H / 4), At(Full, 3 * Full.Width / 4, Full.Height / 4), 6))
        << O;
  }
}

TEST(JpegThumbnail, DamagedFilesFailCleanly) {
  const TBytes Jpeg = EncodeJpeg(Quadrants(), 80);
  std::vector<std::pair<std::string, TBytes>> Cases;
  Cases.push_back({"zero bytes", {}});
  TBytes Magic = Jpeg;
  Magic[0] ^= 0x55;
  Cases.push_back({"wrong magic", Magic});
  for (const size_t Keep : {size_t{3}, size_t{20}, Jpeg.size() / 2, Jpeg.size() - 3})
    Cases.push_back({"truncated to " + std::to_string(Keep),
                     TBytes(Jpeg.begin(), Jpeg.begin() + ptrdiff_t(Keep))});
  // Entropy-coded data cut short and ended with EOI.
  TBytes Cut(Jpeg.begin(), Jpeg.begin() + ptrdiff_t(Jpeg.size() / 2));
  Append(Cut, {0xFF, 0xD9});
  Cases.push_back({"data cut short", Cut});
  // A declared size of 60000 x 60000: refused before anything large is allocated.
  TBytes Huge = Jpeg;
  for (size_t I = 0; I + 9 < Huge.size(); ++I)
    if (Huge[I] == 0xFF && Huge[I + 1] == 0xC0) {
      Huge[I + 5] = Huge[I + 7] = 0xEA;
      Huge[I + 6] = Huge[I + 8] = 0x60;
      break;
    }
  Cases.push_back({"60000 x 60000", Huge});
  for (const auto& [Name, Data] : Cases) {
    static const uint8_t Dummy = 0;
    ResetLargestAllocation();
    EXPECT_THROW(ReadJpegThumbnail(Data.empty() ? &Dummy : Data.data(), Data.size(), 20, 20),
                 EInvalidGraphic)
        << Name;
    EXPECT_LT(LargestAllocation(), int64_t{16} << 20) << Name;
  }
  EXPECT_THROW(ReadJpegThumbnail(Jpeg.data(), Jpeg.size(), 20, 20, 160 * 96 - 1), EInvalidGraphic);
}
