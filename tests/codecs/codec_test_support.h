#pragma once
// Helpers of the codec tests: reading files, raw reference pictures and comparing pictures.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "picture.h"

std::vector<uint8_t> ReadBytes(const std::filesystem::path& Path);

// Binary PNM (P4 bitmap, P5 grey, P6 colour; 8-bit samples) as an opaque picture.
TPicture LoadPnm(const std::filesystem::path& Path);
// Raw interleaved 8-bit R, G, B rows, top row first, of the given size, as an opaque picture.
TPicture LoadRawRgb(const std::filesystem::path& Path, int32_t Width, int32_t Height);

struct TPictureDiff {
  bool SameSize = false;
  int MaxColor = 0;      // largest channel difference where either pixel is not transparent
  int MaxAlpha = 0;      // largest alpha difference
  double MeanColor = 0;  // mean channel difference over those pixels
  std::string Where;     // the first pixel with the largest difference, for messages
};

// Colours of pixels that are transparent in both pictures do not count.
TPictureDiff ComparePictures(const TPicture& A, const TPicture& B);

// The picture converted from the ICC profile's colours to sRGB by Little CMS itself at full
// precision (relative colorimetric, black-point compensation), alpha kept: the reference of
// the colour-management tests. Grey reads one byte of each pixel.
TPicture LcmsReference(const TPicture& In, const std::vector<uint8_t>& Icc, bool Grey = false);

// A picture of the given size from a function of the pixel position.
template <typename F>
TPicture MakePicture(int32_t W, int32_t H, F Pixel) {
  TPicture P;
  P.Kind = TPicture::pkGraphic;
  P.Width = W;
  P.Height = H;
  P.Pixels.resize(size_t(W) * size_t(H));
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) P.Pixels[size_t(Y) * size_t(W) + size_t(X)] = Pixel(X, Y);
  return P;
}

// The largest single allocation since the last reset, as the address sanitizer's allocator
// sees it; -1 in a build without it.
void ResetLargestAllocation();
int64_t LargestAllocation();

// A temporary folder removed at the end of the test.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  std::string File(const std::string& Name) const { return (FPath / Name).string(); }
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};
