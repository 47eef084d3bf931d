// Colour management on a 12-megapixel photo (4000 x 3000): reading a JPEG that carries a
// Display P3 profile against reading the same JPEG without it, and the conversion alone. The
// profile is made by Little CMS from the P3 primaries and the sRGB curve, as phones write it.
// Linked into codecs_bench.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bitmap32.h"
#include "colour_chunks.h"
#include "colour_profile.h"
#include "jpeg_codec.h"

namespace {

constexpr int32_t Width = 4000;
constexpr int32_t Height = 3000;

const std::vector<uint8_t>& DisplayP3() {
  static const std::vector<uint8_t> Icc = [] {
    const double Chromaticities[8] = {0.3127, 0.3290, 0.680, 0.320, 0.265, 0.690, 0.150, 0.060};
    const double Srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return RgbProfileBytes(Chromaticities, 4, Srgb);
  }();
  return Icc;
}

// Smooth colour fields with fine detail, as a photo has.
const TBitmap32& Photo() {
  static const TBitmap32& B = *[] {
    auto* P = new TBitmap32;
    P->SetSize(Width, Height);
    for (int32_t Y = 0; Y < Height; ++Y)
      for (int32_t X = 0; X < Width; ++X) {
        const double U = X / double(Width), V = Y / double(Height);
        const auto C = [](double T) { return uint32_t(std::lround(127.5 + 127.5 * std::sin(T))); };
        P->SetPixel(X, Y,
                    0xFF000000u | C(6 * U + 2 * V + X % 7 * 0.05) << 16 |
                        C(4 * V - 3 * U + 1 + Y % 5 * 0.05) << 8 | C(9 * U * V + 2));
      }
    return P;
  }();
  return B;
}

// The photo as JPEG without any profile (the writer's own sRGB one taken out).
const std::vector<uint8_t>& PlainJpeg() {
  static const std::vector<uint8_t> J = [] {
    const std::vector<uint8_t> In = EncodeJpeg(Photo(), 90);
    std::vector<uint8_t> Out(In.begin(), In.begin() + 2);
    size_t P = 2;
    while (P + 4 <= In.size() && In[P] == 0xFF && In[P + 1] != 0xDA) {
      const size_t Length = size_t(In[P + 2]) << 8 | In[P + 3];
      if (In[P + 1] != 0xE2)
        Out.insert(Out.end(), In.begin() + long(P), In.begin() + long(P + 2 + Length));
      P += 2 + Length;
    }
    Out.insert(Out.end(), In.begin() + long(P), In.end());
    return Out;
  }();
  return J;
}

const std::vector<uint8_t>& P3Jpeg() {
  static const std::vector<uint8_t> J = [] {
    std::vector<uint8_t> Out = PlainJpeg();
    const std::vector<uint8_t>& Icc = DisplayP3();
    std::vector<uint8_t> Marker = {0xFF, 0xE2, uint8_t((Icc.size() + 16) >> 8),
                                   uint8_t(Icc.size() + 16)};
    const char Tag[] = "ICC_PROFILE";
    Marker.insert(Marker.end(), Tag, Tag + 12);
    Marker.insert(Marker.end(), {1, 1});
    Marker.insert(Marker.end(), Icc.begin(), Icc.end());
    Out.insert(Out.begin() + 2, Marker.begin(), Marker.end());
    return Out;
  }();
  return J;
}

void ReadJpeg(benchmark::State& State, const std::vector<uint8_t>& File) {
  for (auto _ : State) {
    TPicture P = ReadJpegImage(File.data(), File.size());
    ApplyColourProfile(TPictureFormat::Jpeg, File.data(), File.size(), P);
    benchmark::DoNotOptimize(P.Pixels.data());
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * Width * Height * 4);
}

void BM_ReadJpegUntagged(benchmark::State& State) {
  ReadJpeg(State, PlainJpeg());
}
BENCHMARK(BM_ReadJpegUntagged)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadJpegDisplayP3(benchmark::State& State) {
  ReadJpeg(State, P3Jpeg());
}
BENCHMARK(BM_ReadJpegDisplayP3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The conversion alone, with the transform made once and kept, as for a folder of photos.
void BM_ConvertDisplayP3ToSrgb(benchmark::State& State) {
  TColourProfile Profile;
  Profile.Icc = DisplayP3();
  TBitmap32 Work;
  for (auto _ : State) {
    State.PauseTiming();
    Work.Assign(&Photo());
    State.ResumeTiming();
    ConvertToSrgb(Work.Bits(), Work.Width(), Work.Height(), Work.Width(), Profile);
  }
  State.SetBytesProcessed(int64_t(State.iterations()) * Width * Height * 4);
}
BENCHMARK(BM_ConvertDisplayP3ToSrgb)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
