// BMP files of an 8.7-megapixel picture (3600 x 2420) read and written through the bitmap, next
// to the plainest way to move the same bytes ("Ref..."): fread of the whole file, fwrite of the
// rows, memcpy. The files live in the temporary folder, so reads come from the page cache.
// SaveToFile writes atomically: a temporary file, fsync, rename; RefFwrite neither syncs nor
// renames, RefFwriteSync does both, as the fair reference for ours.
// "...ThroughPicture" and "...ThroughBytes" take the way every file took before the direct
// paths: the whole file in a buffer, a decoded picture, a copy into the bitmap; the whole file
// image in a buffer, then written.
// Every benchmark reports bytes/s of pixels at 4 bytes per pixel.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "bmp_format.h"
#include "file_io.h"
#include "picture_readers.h"

namespace {

constexpr int32_t Width = 3600;
constexpr int32_t Height = 2420;

const TBitmap32& Photo() {
  static const TBitmap32& B = *[] {
    auto* P = new TBitmap32;
    P->SetSize(Width, Height);
    std::mt19937 Gen(7);
    for (int32_t Y = 0; Y < Height; ++Y)
      for (int32_t X = 0; X < Width; ++X) {
        const uint32_t N = Gen() & 15;
        const uint32_t R = (X * 200 / Width + N) & 255, G = (Y * 200 / Height + N) & 255;
        P->SetPixel(X, Y, 0xFF000000u | (R << 16) | (G << 8) | ((R + G) / 2));
      }
    return P;
  }();
  return B;
}

std::string TempFile(const char* Name) {
  return (std::filesystem::temp_directory_path() / Name).string();
}

// The same picture as a 24-bit file: rows of blue, green, red padded to 4 bytes, bottom-up.
std::vector<uint8_t> Bmp24Image() {
  const size_t Stride = (size_t(Width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> F(54 + Stride * Height, 0);
  WriteBmpHeader(F.data(), Width, Height);
  const auto Put32 = [&](size_t At, uint32_t V) {
    for (int I = 0; I < 4; ++I) F[At + size_t(I)] = uint8_t(V >> (8 * I));
  };
  Put32(2, uint32_t(F.size()));
  F[28] = 24;
  Put32(34, uint32_t(Stride * Height));
  for (int32_t Y = 0; Y < Height; ++Y) {
    uint8_t* D = F.data() + 54 + Stride * size_t(Height - 1 - Y);
    const TColor32* S = Photo().RowAddress(Y);
    for (int32_t X = 0; X < Width; ++X) std::memcpy(D + 3 * size_t(X), S + X, 3);
  }
  return F;
}

const std::string& File32() {
  static const std::string Name = [] {
    const std::string N = TempFile("pelmora_bench32.bmp");
    Photo().SaveToFile(N);
    return N;
  }();
  return Name;
}

const std::string& File24() {
  static const std::string Name = [] {
    const std::string N = TempFile("pelmora_bench24.bmp");
    const std::vector<uint8_t> F = Bmp24Image();
    FILE* Out = std::fopen(N.c_str(), "wb");
    std::fwrite(F.data(), 1, F.size(), Out);
    std::fclose(Out);
    return N;
  }();
  return Name;
}

void SetPixelsProcessed(benchmark::State& State) {
  State.SetBytesProcessed(int64_t(State.iterations()) * Width * Height * 4);
}

void Bmp32Read(benchmark::State& State) {
  const std::string& Name = File32();
  for (auto _ : State) {
    TBitmap32 B;
    B.LoadFromFile(Name);
    benchmark::DoNotOptimize(B.Bits());
  }
  SetPixelsProcessed(State);
}

void Bmp24Read(benchmark::State& State) {
  const std::string& Name = File24();
  for (auto _ : State) {
    TBitmap32 B;
    B.LoadFromFile(Name);
    benchmark::DoNotOptimize(B.Bits());
  }
  SetPixelsProcessed(State);
}

void ReadThroughPicture(benchmark::State& State, const std::string& Name) {
  for (auto _ : State) {
    TBitmap32 B;
    B.Assign(ReadPictureFile(Name));
    benchmark::DoNotOptimize(B.Bits());
  }
  SetPixelsProcessed(State);
}

void Bmp32ReadThroughPicture(benchmark::State& State) {
  ReadThroughPicture(State, File32());
}

void Bmp24ReadThroughPicture(benchmark::State& State) {
  ReadThroughPicture(State, File24());
}

// The whole file into a fresh buffer with one fread: what any reader has to do at least.
void RefFread(benchmark::State& State, const std::string& Name) {
  const auto Size = size_t(std::filesystem::file_size(Name));
  for (auto _ : State) {
    std::unique_ptr<uint8_t[]> Data(new uint8_t[Size]);
    FILE* In = std::fopen(Name.c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(Data.get(), 1, Size, In));
    std::fclose(In);
    benchmark::DoNotOptimize(Data.get());
  }
  SetPixelsProcessed(State);
}

void RefFread32(benchmark::State& State) {
  RefFread(State, File32());
}

void RefFread24(benchmark::State& State) {
  RefFread(State, File24());
}

void Bmp32Write(benchmark::State& State) {
  const std::string Name = TempFile("pelmora_bench_out.bmp");
  for (auto _ : State) Photo().SaveToFile(Name);
  SetPixelsProcessed(State);
  std::filesystem::remove(Name);
}

void Bmp32WriteThroughBytes(benchmark::State& State) {
  const std::string Name = TempFile("pelmora_bench_out.bmp");
  for (auto _ : State) {
    const std::vector<uint8_t> Data = Photo().SaveToBytes();
    WriteFileAtomically(Name, Data.data(), Data.size());
  }
  SetPixelsProcessed(State);
  std::filesystem::remove(Name);
}

void Bmp32Encode(benchmark::State& State) {
  for (auto _ : State) benchmark::DoNotOptimize(Photo().SaveToBytes());
  SetPixelsProcessed(State);
}

// The header and the rows bottom-up with one fwrite each, no sync; with Sync, fsync before
// closing, as an atomic write has to.
void RefFwrite(benchmark::State& State, bool Sync) {
  const std::string Name = TempFile("pelmora_bench_ref.bmp");
  uint8_t Header[Bmp32HeaderSize];
  WriteBmpHeader(Header, Width, Height);
  for (auto _ : State) {
    FILE* Out = std::fopen(Name.c_str(), "wb");
    std::fwrite(Header, 1, sizeof(Header), Out);
    for (int32_t Y = Height - 1; Y >= 0; --Y)
      std::fwrite(Photo().RowAddress(Y), 4, size_t(Width), Out);
    std::fflush(Out);
    if (Sync)
      ::fsync(fileno(Out));
    std::fclose(Out);
  }
  SetPixelsProcessed(State);
  std::filesystem::remove(Name);
}

void RefFwriteNoSync(benchmark::State& State) {
  RefFwrite(State, false);
}

void RefFwriteSync(benchmark::State& State) {
  RefFwrite(State, true);
}

void RefMemcpy(benchmark::State& State) {
  const size_t Bytes = size_t(Width) * Height * 4;
  for (auto _ : State) {
    std::unique_ptr<uint8_t[]> Copy(new uint8_t[Bytes]);
    std::memcpy(Copy.get(), Photo().Bits(), Bytes);
    benchmark::DoNotOptimize(Copy.get());
  }
  SetPixelsProcessed(State);
}

}  // namespace

BENCHMARK(Bmp32Read)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Bmp32ReadThroughPicture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefFread32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Bmp24Read)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Bmp24ReadThroughPicture)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefFread24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Bmp32Write)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Bmp32WriteThroughBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefFwriteSync)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefFwriteNoSync)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Bmp32Encode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RefMemcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
