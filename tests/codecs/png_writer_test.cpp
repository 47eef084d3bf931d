// The PNG writer: its zlib stream cut into parts compressed side by side must decode, through
// libpng and through zlib alone, to exactly the pixels written, with any settings.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "exceptions.h"
#include "png_codec.h"

namespace {

uint32_t GetBE32(const uint8_t* P) {
  return uint32_t(P[0]) << 24 | uint32_t(P[1]) << 16 | uint32_t(P[2]) << 8 | P[3];
}

// Pixels with smooth stretches, repeats and noise, so that every filter and match length
// turns up; Alpha adds transparency of every level; Flat leaves out the noise, so that the
// automatic strategy compresses its parts a second time.
std::vector<TColor32> TestPixels(int32_t W, int32_t H, bool Alpha, bool Flat = false) {
  std::vector<TColor32> P(size_t(W) * size_t(H));
  uint32_t Seed = 99;
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      Seed = Seed * 1103515245u + 12345u;
      const uint32_t Noise = Flat ? 0 : (Seed >> 16) & (Y % 3 == 0 ? 0xFF : 0x07);
      const uint32_t R = uint32_t(X * 3 + Y) & 255, G = (X / 16 % 2) * 200, B = Noise;
      const uint32_t A = Alpha ? uint32_t(X + 2 * Y) & 255 : 255;
      P[size_t(Y) * size_t(W) + size_t(X)] = A << 24 | R << 16 | G << 8 | B;
    }
  return P;
}

// Checks the chunk layout and CRCs, and inflates the IDAT data with zlib, which verifies the
// stream's end and its Adler-32 sum; returns the filtered bytes (room is made for one more
// than Expected, so that a longer stream shows).
std::vector<uint8_t> InflateIdat(const std::vector<uint8_t>& File, size_t Expected,
                                 std::string& Fault) {
  std::vector<uint8_t> Stream;
  size_t At = 8;
  bool End = false;
  while (!End) {
    if (At + 12 > File.size()) {
      Fault = "chunk runs past the file";
      return {};
    }
    const uint32_t Length = GetBE32(&File[At]);
    const std::string Type(reinterpret_cast<const char*>(&File[At + 4]), 4);
    if (At + 12 + Length > File.size()) {
      Fault = "chunk data runs past the file";
      return {};
    }
    if (crc32(0, &File[At + 4], Length + 4) != GetBE32(&File[At + 8 + Length])) {
      Fault = "bad CRC in " + Type;
      return {};
    }
    if (Type == "IDAT")
      Stream.insert(Stream.end(), &File[At + 8], &File[At + 8] + Length);
    End = Type == "IEND";
    At += 12 + Length;
  }
  if (At != File.size())
    Fault = "bytes after IEND";
  std::vector<uint8_t> Out(Expected + 1);
  uLongf OutSize = Out.size();
  const int R = uncompress(Out.data(), &OutSize, Stream.data(), uLong(Stream.size()));
  if (R != Z_OK)
    Fault = "zlib refuses the stream (" + std::to_string(R) + ")";
  Out.resize(OutSize);
  return Out;
}

}  // namespace

TEST(PngWriter, PartsJoinIntoOneValidStream) {
  struct Size {
    int32_t W, H;
  };
  // Rows of 36000 bytes are longer than zlib's window: the dictionary of a part is the end of
  // one row. A picture of one row cannot be cut.
  const Size Sizes[] = {{1, 1}, {7, 300}, {300, 7}, {12000, 3}, {1, 1000}};
  struct Setting {
    const char* Name;
    TPngOptions Options;
  };
  const Setting Settings[] = {
      {"export's own, many parts", {.PixelsPerPart = 50}},
      {"level 0, stored blocks", {.Level = 0, .PixelsPerPart = 300}},
      {"level 9, paeth, one thread",
       {.Level = 9, .Filters = pngPaeth, .Threads = 1, .PixelsPerPart = 64}},
      {"level 6, runs only, three threads",
       {.Level = 6, .Strategy = pzRle, .Threads = 3, .PixelsPerPart = 100}},
      {"level 1, huffman only",
       {.Level = 1, .Strategy = pzHuffman, .Filters = pngNone, .PixelsPerPart = 1000}},
      {"level 3, filtered, up, one part", {.Level = 3, .Strategy = pzFiltered, .Filters = pngUp}},
      {"level 1, default, many parts", {.Level = 1, .Strategy = pzDefault, .PixelsPerPart = 80}},
      {"level 0 asked for automatic", {.Level = 0, .Strategy = pzAuto, .PixelsPerPart = 80}},
      {"sub and average", {.Filters = pngSub, .PixelsPerPart = 90}},
      {"average", {.Filters = pngAverage, .PixelsPerPart = 90}},
  };
  for (const bool Alpha : {false, true})
    for (const bool Flat : {false, true})
      for (const Size S : Sizes)
        for (const Setting& C : Settings) {
          SCOPED_TRACE(std::string(C.Name) + ", " + std::to_string(S.W) + "x" +
                       std::to_string(S.H) + (Alpha ? ", RGBA" : ", RGB") + (Flat ? ", flat" : ""));
          const std::vector<TColor32> Pixels = TestPixels(S.W, S.H, Alpha, Flat);
          const std::vector<uint8_t> File = EncodePng(Pixels.data(), S.W, S.H, C.Options);
          ASSERT_GT(File.size(), 33u);
          EXPECT_EQ(File[25], Alpha ? 6 : 2);  // colour type
          std::string Fault;
          const size_t Expected = size_t(S.H) * (size_t(S.W) * (Alpha ? 4 : 3) + 1);
          const std::vector<uint8_t> Filtered = InflateIdat(File, Expected, Fault);
          EXPECT_EQ(Fault, "");
          EXPECT_EQ(Filtered.size(), Expected);
          const TPicture P = ReadPngImage(File.data(), File.size());
          ASSERT_EQ(P.Width, S.W);
          ASSERT_EQ(P.Height, S.H);
          EXPECT_TRUE(P.Pixels == Pixels) << "decoded pixels differ";
        }
}

TEST(PngWriter, TheFileDependsOnThePictureNotOnTheThreads) {
  const std::vector<TColor32> Pixels = TestPixels(200, 120, false);
  TPngOptions Options;
  Options.PixelsPerPart = 1000;
  ASSERT_EQ(PngPartCount(200, 120, 1000), 24);
  std::vector<uint8_t> First;
  for (const int Threads : {1, 2, 5}) {
    Options.Threads = Threads;
    const std::vector<uint8_t> File = EncodePng(Pixels.data(), 200, 120, Options);
    if (First.empty())
      First = File;
    EXPECT_TRUE(File == First) << Threads << " threads";
  }
}

TEST(PngWriter, PartCounts) {
  struct Case {
    int32_t W, H;
    int64_t PerPart;
    int32_t Want;
  };
  const Case Cases[] = {{1, 1, 1 << 20, 1}, {3508, 2480, 1 << 20, 8},  {100000, 2, 1 << 20, 1},
                        {10, 10, 1, 10},    {4000, 4000, 1 << 10, 64}, {10, 10, 0, 10}};
  for (const Case& C : Cases)
    EXPECT_EQ(PngPartCount(C.W, C.H, C.PerPart), C.Want) << C.W << "x" << C.H << " / " << C.PerPart;
}

TEST(PngWriter, RefusesWhatItCannotWrite) {
  const TColor32 One = 0xFF000000;
  EXPECT_THROW(EncodePng(nullptr, 1, 1), Exception);
  EXPECT_THROW(EncodePng(&One, 0, 1), Exception);
  TPngOptions Bad;
  Bad.Level = 10;
  EXPECT_THROW(EncodePng(&One, 1, 1, Bad), Exception);
}
