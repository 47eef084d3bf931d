#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "bmp_format.h"
#include "exceptions.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

void Put16(std::vector<uint8_t>& B, size_t At, uint32_t V) {
  B[At] = static_cast<uint8_t>(V);
  B[At + 1] = static_cast<uint8_t>(V >> 8);
}

void Put32(std::vector<uint8_t>& B, size_t At, uint32_t V) {
  Put16(B, At, V);
  Put16(B, At + 2, V >> 16);
}

// A BMP file put together field by field. Masks go right after a 40-byte header, or into a
// larger one; palette entries are 0xRRGGBB and take 3 bytes after a 12-byte header.
struct TBmp {
  uint32_t HeaderSize = 40;
  int32_t Width = 1, Height = 1;
  uint16_t Planes = 1, BitCount = 24;
  uint32_t Compression = 0, SizeImage = 0, ClrUsed = 0;
  int32_t XDensity = 2835, YDensity = 2835;
  std::vector<uint32_t> Masks = {};
  std::vector<uint32_t> Palette = {};
  std::vector<uint8_t> Bits = {};

  std::vector<uint8_t> Bytes() const {
    const size_t EntrySize = HeaderSize == 12 ? 3 : 4;
    const size_t MaskBytes = HeaderSize == 40 ? Masks.size() * 4 : 0;
    const size_t OffBits = 14 + HeaderSize + MaskBytes + Palette.size() * EntrySize;
    std::vector<uint8_t> B(OffBits + Bits.size());
    B[0] = 'B';
    B[1] = 'M';
    Put32(B, 2, static_cast<uint32_t>(B.size()));
    Put32(B, 10, static_cast<uint32_t>(OffBits));
    Put32(B, 14, HeaderSize);
    if (HeaderSize == 12) {
      Put16(B, 18, static_cast<uint32_t>(Width));
      Put16(B, 20, static_cast<uint32_t>(Height));
      Put16(B, 22, Planes);
      Put16(B, 24, BitCount);
    } else {
      Put32(B, 18, static_cast<uint32_t>(Width));
      Put32(B, 22, static_cast<uint32_t>(Height));
      Put16(B, 26, Planes);
      Put16(B, 28, BitCount);
    }
    if (HeaderSize >= 40) {
      Put32(B, 30, Compression);
      Put32(B, 34, SizeImage);
      Put32(B, 38, static_cast<uint32_t>(XDensity));
      Put32(B, 42, static_cast<uint32_t>(YDensity));
      Put32(B, 46, ClrUsed);
    }
    size_t At = 54;
    if (HeaderSize == 40) {
      for (uint32_t M : Masks) Put32(B, (At += 4) - 4, M);
    } else if (HeaderSize > 40) {
      for (size_t I = 0; I < Masks.size() && 40 + 4 * I < HeaderSize; ++I)
        Put32(B, 54 + 4 * I, Masks[I]);
    }
    At = 14 + HeaderSize + MaskBytes;
    for (uint32_t C : Palette) {
      B[At] = static_cast<uint8_t>(C);
      B[At + 1] = static_cast<uint8_t>(C >> 8);
      B[At + 2] = static_cast<uint8_t>(C >> 16);
      At += EntrySize;
    }
    std::copy(Bits.begin(), Bits.end(), B.begin() + static_cast<ptrdiff_t>(OffBits));
    return B;
  }
};

// The bytes as a file read straight into a bitmap, in chunks of several sizes, must give the
// bitmap that Assign makes of Want, or fail with WantError and leave the bitmap alone.
void ExpectFileReadsAlike(const std::vector<uint8_t>& B, const TPicture* Want,
                          const std::string& WantError) {
  const fs::path Name =
      fs::temp_directory_path() / ("pelmora_bmp_file_" + std::to_string(::getpid()) + ".bmp");
  {
    std::ofstream F(Name, std::ios::binary);
    F.write(reinterpret_cast<const char*>(B.data()), std::streamsize(B.size()));
  }
  TBitmap32 Expected;
  if (Want != nullptr)
    Expected.Assign(*Want);
  for (const size_t Chunk : {size_t{1}, size_t{300}, BmpReadChunkBytes}) {
    SCOPED_TRACE("read in chunks of " + std::to_string(Chunk) + " bytes");
    TBitmap32 Loaded;
    Loaded.SetSize(2, 1);
    Loaded.SetPixel(1, 0, 0x12345678);
    try {
      LoadBmpFile(Name.string(), Loaded, Chunk);
    } catch (const std::exception& E) {
      EXPECT_EQ(E.what(), WantError);
      EXPECT_TRUE(Loaded.Width() == 2 && Loaded.Height() == 1 &&
                  Loaded.GetPixel(1, 0) == 0x12345678)
          << "a failed read changed the bitmap";
      continue;
    }
    EXPECT_EQ(WantError, "") << "the file read accepts what the reader refuses";
    ASSERT_EQ(Loaded.Width(), Expected.Width());
    ASSERT_EQ(Loaded.Height(), Expected.Height());
    const size_t N = size_t(Loaded.Width()) * size_t(Loaded.Height());
    EXPECT_TRUE(std::equal(Loaded.Bits(), Loaded.Bits() + N, Expected.Bits()))
        << "the file read decodes other pixels";
  }
  fs::remove(Name);
}

// Decodes the bytes, and checks that reading them as a file agrees.
TPicture Read(const std::vector<uint8_t>& B) {
  TPicture P;
  try {
    P = ReadBmpImage(B.data(), B.size());
  } catch (const EInvalidGraphic& E) {
    ExpectFileReadsAlike(B, nullptr, E.what());
    throw;
  }
  ExpectFileReadsAlike(B, &P, "");
  return P;
}

// The message of the EInvalidGraphic a read raises, or "" when it succeeds.
std::string ReadError(const std::vector<uint8_t>& B) {
  try {
    Read(B);
  } catch (const EInvalidGraphic& E) {
    return E.what();
  }
  return "";
}

constexpr uint32_t P0 = 0x102030, P1 = 0xA0B0C0, P2 = 0x00FF00, P3 = 0x0000FF, P4 = 0x808080,
                   P5 = 0xFFFFFF;
constexpr TColor32 Opaque(uint32_t Rgb) {
  return 0xFF000000 | Rgb;
}

// --- reference pictures ---------------------------------------------------------------------

struct TReference {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgba;  // top-down, 8 bits per channel
};

// Any PNG as 8-bit RGBA: palettes and grey expanded, 16-bit channels scaled with rounding.
std::optional<TReference> LoadPng(const fs::path& Path) {
  FILE* F = std::fopen(Path.c_str(), "rb");
  if (F == nullptr)
    return std::nullopt;
  png_structp Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop Info = png_create_info_struct(Png);
  TReference R;
  std::vector<png_bytep> Rows;
  if (setjmp(png_jmpbuf(Png))) {
    png_destroy_read_struct(&Png, &Info, nullptr);
    std::fclose(F);
    return std::nullopt;
  }
  png_init_io(Png, F);
  png_read_info(Png, Info);
  png_set_expand(Png);
  png_set_scale_16(Png);
  png_set_gray_to_rgb(Png);
  png_set_filler(Png, 0xFF, PNG_FILLER_AFTER);
  png_read_update_info(Png, Info);
  R.Width = static_cast<int>(png_get_image_width(Png, Info));
  R.Height = static_cast<int>(png_get_image_height(Png, Info));
  R.Rgba.resize(size_t(R.Width) * size_t(R.Height) * 4);
  Rows.resize(size_t(R.Height));
  for (int Y = 0; Y < R.Height; ++Y) Rows[size_t(Y)] = R.Rgba.data() + size_t(Y) * R.Width * 4;
  png_read_image(Png, Rows.data());
  png_destroy_read_struct(&Png, &Info, nullptr);
  std::fclose(F);
  return R;
}

// "" when Picture shows Ref, else the first difference. Channels may differ by one level (the
// references round n-bit channels, other scalings replicate bits). Colour under a transparent
// reference pixel is not compared. Alpha is compared for 32-bit pictures unless ColourOnly;
// pictures of other depths must be opaque.
std::string Compare(const TPicture& Picture, const TReference& Ref, bool ColourOnly) {
  if (Picture.Width != Ref.Width || Picture.Height != Ref.Height)
    return "size " + std::to_string(Picture.Width) + "x" + std::to_string(Picture.Height) +
           ", reference " + std::to_string(Ref.Width) + "x" + std::to_string(Ref.Height);
  const bool CheckAlpha = Picture.BitsPerPixel == 32 && !ColourOnly;
  for (int Y = 0; Y < Ref.Height; ++Y)
    for (int X = 0; X < Ref.Width; ++X) {
      const TColor32 C = Picture.Pixels[size_t(Y) * Ref.Width + X];
      const uint8_t* W = &Ref.Rgba[(size_t(Y) * Ref.Width + X) * 4];
      const int Got[4] = {int(C >> 16 & 255), int(C >> 8 & 255), int(C & 255), int(C >> 24)};
      bool Same =
          CheckAlpha ? std::abs(Got[3] - W[3]) <= 1 : Picture.BitsPerPixel == 32 || Got[3] == 255;
      for (int I = 0; I < 3 && W[3] != 0; ++I) Same = Same && std::abs(Got[I] - W[I]) <= 1;
      if (!Same) {
        char Text[96];
        std::snprintf(Text, sizeof(Text), "pixel (%d,%d) is %08X, reference RGBA %d,%d,%d,%d", X, Y,
                      C, W[0], W[1], W[2], W[3]);
        return Text;
      }
    }
  return "";
}

std::vector<uint8_t> LoadFile(const fs::path& Path) {
  std::ifstream F(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>()};
}

fs::path SuiteDir() {
  return TestDataDir() / "images" / "bmp" / "bmpsuite";
}

// reference-map.txt: "g/pal1.bmp<TAB>pal1.png [more acceptable renderings]".
std::map<std::string, std::vector<std::string>> ReferenceMap() {
  std::map<std::string, std::vector<std::string>> Map;
  std::ifstream F(SuiteDir() / "reference-map.txt");
  for (std::string Line; std::getline(F, Line);) {
    if (Line.empty() || Line[0] == '#')
      continue;
    std::istringstream S(Line);
    std::string File;
    S >> File;
    for (std::string Ref; S >> Ref;)
      if (Ref.ends_with(".png"))
        Map[File].push_back(Ref);
  }
  return Map;
}

std::vector<fs::path> BmpFiles(const fs::path& Dir) {
  std::vector<fs::path> Files;
  for (const auto& E : fs::directory_iterator(Dir))
    if (E.path().extension() == ".bmp")
      Files.push_back(E.path());
  std::sort(Files.begin(), Files.end());
  return Files;
}

// Decodes a suite file and checks it against any of its reference renderings.
void ExpectMatchesReference(const std::string& Name, const std::vector<std::string>& Refs,
                            bool ColourOnly) {
  const std::vector<uint8_t> Data = LoadFile(SuiteDir() / Name);
  TPicture P;
  try {
    P = Read(Data);
  } catch (const EInvalidGraphic& E) {
    ADD_FAILURE() << Name << ": " << E.what();
    return;
  }
  EXPECT_EQ(P.Kind, TPicture::pkBitmap) << Name;
  EXPECT_EQ(P.Pixels.size(), size_t(P.Width) * size_t(P.Height)) << Name;
  std::string Faults;
  for (const std::string& Ref : Refs) {
    const auto R = LoadPng(SuiteDir() / "reference" / Ref);
    ASSERT_TRUE(R) << "cannot read reference " << Ref;
    const std::string Fault = Compare(P, *R, ColourOnly);
    if (Fault.empty())
      return;
    Faults += "\n  " + Ref + ": " + Fault;
  }
  if (!Refs.empty())
    ADD_FAILURE() << Name << " matches no reference:" << Faults;
}

}  // namespace

// --- hand-made files ---------------------------------------------------------------------------

TEST(BmpReader, DecodesEveryDepthAndHeader) {
  struct Case {
    const char* Name;
    TBmp File;
    std::vector<TColor32> Want;  // top row first
  };
  const auto Rgb565 = std::vector<uint32_t>{0xF800, 0x07E0, 0x001F};
  // clang-format off
  const Case Cases[] = {
      {"1 bit, rows bottom-up and padded to 4 bytes",
       {.Width = 3, .Height = 2, .BitCount = 1, .Palette = {P0, P1},
        .Bits = {0xA0, 0, 0, 0, 0x60, 0, 0, 0}},
       {Opaque(P0), Opaque(P1), Opaque(P1),
        Opaque(P1), Opaque(P0), Opaque(P1)}},
      {"2 bits",
       {.Width = 3, .BitCount = 2, .Palette = {P0, P1, P2, P3}, .Bits = {0xC8, 0, 0, 0}},
       {Opaque(P3), Opaque(P0), Opaque(P2)}},
      {"4 bits, odd width",
       {.Width = 3, .BitCount = 4, .Palette = {P0, P1, P2, P3}, .Bits = {0x12, 0x30, 0, 0}},
       {Opaque(P1), Opaque(P2), Opaque(P3)}},
      {"8 bits with a three-colour palette",
       {.Width = 2, .BitCount = 8, .ClrUsed = 3, .Palette = {P0, P1, P2}, .Bits = {2, 0, 0, 0}},
       {Opaque(P2), Opaque(P0)}},
      {"16 bits, default 5-5-5 scaled to full range",
       {.Width = 3, .BitCount = 16, .Bits = {0xFF, 0x7F, 0x01, 0x00, 0x00, 0x7C, 0, 0}},
       {0xFFFFFFFF, 0xFF000008, 0xFFFF0000}},
      {"16 bits, 5-6-5 bit fields",
       {.Width = 3, .BitCount = 16, .Compression = 3, .Masks = Rgb565,
        .Bits = {0xE0, 0x07, 0x20, 0x00, 0x00, 0xF8, 0, 0}},
       {0xFF00FF00, 0xFF000400, 0xFFFF0000}},
      {"16 bits, 52-byte header carries the masks",
       {.HeaderSize = 52, .Width = 1, .BitCount = 16, .Compression = 3, .Masks = Rgb565,
        .Bits = {0x1F, 0xF8, 0, 0}},
       {0xFFFF00FF}},
      {"16 bits, an alpha mask is ignored below 32 bits",
       {.HeaderSize = 56, .Width = 1, .BitCount = 16, .Compression = 3,
        .Masks = {0x0F00, 0x00F0, 0x000F, 0xF000}, .Bits = {0x0F, 0x0F, 0, 0}},
       {0xFFFF00FF}},
      {"24 bits, bottom-up, each row padded",
       {.Width = 1, .Height = 2, .Bits = {1, 2, 3, 0, 4, 5, 6, 0}},
       {0xFF060504, 0xFF030201}},
      {"24 bits, top-down for a negative height",
       {.Width = 1, .Height = -2, .Bits = {1, 2, 3, 0, 4, 5, 6, 0}},
       {0xFF030201, 0xFF060504}},
      {"32 bits uncompressed: the fourth byte is alpha",
       {.Width = 2, .BitCount = 32, .Bits = {1, 2, 3, 0x00, 4, 5, 6, 0x80}},
       {0x00030201, 0x80060504}},
      {"32 bits, bit fields in unusual order and no alpha mask are opaque",
       {.Width = 1, .BitCount = 32, .Compression = 3,
        .Masks = {0x0000FF00, 0x00FF0000, 0xFF000000}, .Bits = {0x11, 0x22, 0x33, 0x44}},
       {0xFF223344}},
      {"32 bits, V5 header with 10-10-10-2 fields rounds each channel",
       {.HeaderSize = 124, .Width = 2, .BitCount = 32, .Compression = 3,
        .Masks = {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
        .Bits = {0x03, 0x00, 0xF0, 0x7F, 0x00, 0xFC, 0x0F, 0xE0}},
       {0x55FF0001, 0xFF80FF00}},
      {"32 bits, alpha bit fields after a 40-byte header",
       {.Width = 1, .BitCount = 32, .Compression = 6,
        .Masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, .Bits = {1, 2, 3, 4}},
       {0x04030201}},
      {"12-byte OS/2 header, 3-byte palette entries cut short by the data offset",
       {.HeaderSize = 12, .Width = 2, .Height = 2, .BitCount = 8, .Palette = {P0, P1},
        .Bits = {1, 0, 0, 0, 0, 1, 0, 0}},
       {Opaque(P0), Opaque(P1),
        Opaque(P1), Opaque(P0)}},
      {"16-byte OS/2 2.x header",
       {.HeaderSize = 16, .Width = 1, .Bits = {9, 8, 7, 0}},
       {0xFF070809}},
  };
  // clang-format on
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TPicture P;
    ASSERT_NO_THROW(P = Read(C.File.Bytes()));
    EXPECT_EQ(P.Kind, TPicture::pkBitmap);
    EXPECT_EQ(P.Width, C.File.Width);
    EXPECT_EQ(P.Height, std::abs(C.File.Height));
    EXPECT_EQ(P.BitsPerPixel, C.File.BitCount);
    EXPECT_EQ(P.Pixels, C.Want);
  }
}

TEST(BmpReader, RunLengthCodes) {
  // Undefined pixels (skipped by a delta, an early end of line or end of bitmap) show palette
  // colour 0. Rows in the data run bottom-up.
  const TColor32 A = Opaque(P0), B = Opaque(P1), C = Opaque(P2), D = Opaque(P3);
  const TColor32 E = Opaque(P4), F = Opaque(P5);
  struct Case {
    const char* Name;
    uint16_t BitCount;
    int32_t Width, Height;
    std::vector<uint8_t> Data;
    std::vector<TColor32> Want;  // top row first
  };
  // clang-format off
  const Case Cases[] = {
      {"RLE8 runs, absolute run with padding, early end of bitmap", 8, 4, 3,
       {4, 1,  0, 0,  2, 2,  2, 3,  0, 0,  0, 3, 1, 2, 3, 0,  0, 1},
       {B, C, D, A,
        C, C, D, D,
        B, B, B, B}},
      {"RLE8 delta leaves skipped pixels at colour 0", 8, 4, 3,
       {1, 1,  0, 2, 2, 1,  1, 2,  0, 1},
       {A, A, A, A,
        A, A, A, C,
        B, A, A, A}},
      {"RLE8 data may end right after the last end of line", 8, 2, 2,
       {2, 1,  0, 0,  2, 3,  0, 0},
       {D, D,
        B, B}},
      {"RLE4 runs alternate nibbles; odd absolute runs are padded", 4, 5, 2,
       {0, 5, 0x12, 0x34, 0x50, 0,  0, 0,  3, 0x21,  2, 0x33,  0, 1},
       {C, B, C, D, D,
        B, C, D, E, F}},
      {"RLE4 one-pixel runs never look up their unused low nibble", 4, 2, 1,
       {1, 0x1F,  1, 0x2F,  0, 1},
       {B, C}},
      {"RLE4 end of line in mid-row", 4, 3, 2,
       {1, 0x50,  0, 0,  3, 0x44,  0, 1},
       {E, E, E,
        F, A, A}},
  };
  // clang-format on
  for (const Case& T : Cases) {
    SCOPED_TRACE(T.Name);
    TBmp File{.Width = T.Width,
              .Height = T.Height,
              .BitCount = T.BitCount,
              .Compression = T.BitCount == 8 ? 1u : 2u,
              .SizeImage = static_cast<uint32_t>(T.Data.size()),
              .Palette = {P0, P1, P2, P3, P4, P5},
              .Bits = T.Data};
    TPicture P;
    ASSERT_NO_THROW(P = Read(File.Bytes()));
    EXPECT_EQ(P.BitsPerPixel, T.BitCount);
    EXPECT_EQ(P.Pixels, T.Want);
  }
}

TEST(BmpReader, RefusesDamagedFilesWithAMessage) {
  const TBmp Rgb{.Width = 4, .Height = 4, .Bits = std::vector<uint8_t>(48, 0x55)};
  const TBmp Pal8{.Width = 4,
                  .Height = 3,
                  .BitCount = 8,
                  .Palette = {P0, P1, P2, P3},
                  .Bits = std::vector<uint8_t>(12, 1)};
  auto With = [](TBmp F, auto&& Change) {
    Change(F);
    return F.Bytes();
  };
  auto Patched = [](std::vector<uint8_t> B, size_t At, uint32_t V) {
    Put32(B, At, V);
    return B;
  };
  auto Rle = [&](std::vector<uint8_t> Codes, int32_t Height = 3) {
    return With(Pal8, [&](TBmp& F) {
      F.Compression = 1;
      F.Height = Height;
      F.Bits = Codes;
    });
  };
  auto Truncated = [](std::vector<uint8_t> B, size_t Keep) {
    B.resize(Keep);
    Put32(B, 2, static_cast<uint32_t>(Keep));  // bfSize agrees, so the cut shows in the data
    return B;
  };
  const std::vector<uint8_t> Good = Rgb.Bytes();
  const auto Past = static_cast<uint32_t>(Good.size() + 1);
  struct Case {
    const char* Name;
    std::vector<uint8_t> Data;
    const char* Fault;
  };
  // clang-format off
  const Case Cases[] = {
      {"empty input", {}, "too short"},
      {"no BM signature", Patched(Good, 0, 0x0000'4142), "signature"},
      {"unknown header size", With(Rgb, [](TBmp& F) { F.HeaderSize = 66; }), "header size 66"},
      {"header cut short", Truncated(Good, 30), "truncated header"},
      {"file size field beyond the data", Patched(Good, 2, Past), "shorter than its header says"},
      {"pixel data cut short", Truncated(Good, Good.size() - 1), "truncated pixel data"},
      {"data offset past the end", Patched(Good, 10, Past), "past the end"},
      {"data offset inside the header", Patched(Good, 10, 40), "into the header"},
      {"width over 65535", With(Rgb, [](TBmp& F) { F.Width = 70000; F.Height = 10; }),
       "larger than 65535"},
      {"height under -65535", With(Rgb, [](TBmp& F) { F.Height = -70000; }), "larger than 65535"},
      {"20000 x 20000 pixels", With(Rgb, [](TBmp& F) { F.Width = F.Height = 20000; }),
       "too many pixels"},
      {"negative width", With(Rgb, [](TBmp& F) { F.Width = -4; }), "width is negative"},
      {"zero height", With(Rgb, [](TBmp& F) { F.Height = 0; }), "no pixels"},
      {"two planes", With(Rgb, [](TBmp& F) { F.Planes = 2; }), "plane count"},
      {"bit count 3", With(Rgb, [](TBmp& F) { F.BitCount = 3; }), "bit count 3"},
      {"64 bits per pixel", With(Rgb, [](TBmp& F) { F.BitCount = 64; }), "64 bits"},
      {"embedded JPEG", With(Rgb, [](TBmp& F) { F.Compression = 4; }), "JPEG"},
      {"embedded PNG", With(Rgb, [](TBmp& F) { F.Compression = 5; }), "PNG"},
      {"OS/2 Huffman 1D",
       With(Rgb, [](TBmp& F) { F.HeaderSize = 64; F.BitCount = 1; F.Compression = 3; }),
       "Huffman"},
      {"RLE8 on 4-bit pixels", With(Pal8, [](TBmp& F) { F.BitCount = 4; F.Compression = 1; }),
       "does not match"},
      {"bit fields on 24-bit pixels",
       With(Rgb, [](TBmp& F) { F.Compression = 3; F.Masks = {0xFF0000, 0xFF00, 0xFF}; }),
       "16 or 32"},
      {"mask outside a 16-bit pixel",
       With(Rgb, [](TBmp& F) { F.BitCount = 16; F.Compression = 3; F.Masks = {0x1F0000, 0, 0}; }),
       "red mask lies outside"},
      {"mask with a gap",
       With(Rgb, [](TBmp& F) { F.BitCount = 32; F.Compression = 3; F.Masks = {0xF0F0, 0, 0}; }),
       "red mask is not contiguous"},
      {"overlapping masks",
       With(Rgb, [](TBmp& F) { F.BitCount = 32; F.Compression = 3; F.Masks = {0xFF, 0x1F0, 0}; }),
       "overlap"},
      {"colour count past the end", With(Pal8, [](TBmp& F) { F.ClrUsed = 0x10000000; }),
       "palette runs past the end"},
      {"index beyond the palette", With(Pal8, [](TBmp& F) { F.Bits[5] = 4; }),
       "missing from the palette"},
      {"image size field beyond the file", With(Rgb, [](TBmp& F) { F.SizeImage = 49; }),
       "image size field"},
      {"absurd pixel aspect",
       With(Rgb, [](TBmp& F) { F.XDensity = 30000000; F.YDensity = 3; }), "resolutions"},
      {"RLE stored top-down", Rle({0, 1}, -3), "top-down"},
      {"RLE run past the row end", Rle({5, 1, 0, 1}), "past the end of a row"},
      {"RLE runs adding up past the row end", Rle({3, 1, 2, 1, 0, 1}), "past the end of a row"},
      {"RLE absolute run past the row end", Rle({0, 5, 1, 1, 1, 1, 1, 0, 0, 1}),
       "past the end of a row"},
      {"RLE delta past the row end", Rle({0, 2, 5, 0, 0, 1}), "delta moves outside"},
      {"RLE delta above the top row", Rle({0, 2, 0, 3, 0, 1}), "delta moves outside"},
      {"RLE run above the top row", Rle({0, 0, 0, 0, 0, 0, 1, 1, 0, 1}), "past the last row"},
      {"RLE end of line above the top row", Rle({0, 0, 0, 0, 0, 0, 0, 0, 0, 1}),
       "past the last row"},
      {"RLE index beyond the palette", Rle({2, 9, 0, 1}), "missing from the palette"},
      {"RLE data without an end", Rle({4, 1}), "truncated run-length data"},
      {"RLE absolute run cut short", Rle({0, 4, 1, 2}), "truncated run-length data"},
      {"RLE delta cut short", Rle({0, 2, 1}), "truncated run-length data"},
  };
  // clang-format on
  for (const Case& C : Cases) {
    const std::string Message = ReadError(C.Data);
    EXPECT_TRUE(Message.starts_with("Bitmap image is not valid: ") &&
                Message.find(C.Fault) != std::string::npos)
        << C.Name << ": got \"" << Message << "\", expected one naming \"" << C.Fault << "\"";
  }
}

TEST(BmpReader, RunLengthDataMustBePlausibleForThePictureSize) {
  // Found by fuzzing: 88 bytes claiming a 15620 x 16387 RLE8 picture took seconds to fill.
  const std::vector<uint8_t> Bomb = {
      0x42, 0x4D, 0x58, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46, 0x00, 0x00, 0x00, 0x28,
      0x00, 0x00, 0x00, 0x04, 0x3D, 0x00, 0x00, 0x03, 0x40, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x13, 0x0B, 0x00, 0x00, 0x13, 0x0B, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
      0xFF, 0x00, 0xF8, 0x00, 0x00, 0x08, 0x00, 0x00, 0x04, 0x01, 0x00, 0x00, 0x02, 0x03, 0x00,
      0x00, 0x00, 0x03, 0x01, 0x25, 0x25, 0x25, 0x02, 0x03, 0x32, 0x00, 0x00, 0x01};
  EXPECT_NE(ReadError(Bomb).find("too short for the image size"), std::string::npos);

  // Up to 2^20 pixels need no data at all; past that, one byte per 65536 pixels.
  TBmp Empty{.Width = 1024,
             .Height = 1024,
             .BitCount = 8,
             .Compression = 1,
             .Palette = {P1},
             .Bits = {0, 1}};
  TPicture P;
  ASSERT_NO_THROW(P = Read(Empty.Bytes()));
  EXPECT_EQ(std::count(P.Pixels.begin(), P.Pixels.end(), Opaque(P1)), 1024 * 1024);
  Empty.Width = 1025;
  EXPECT_NE(ReadError(Empty.Bytes()).find("too short for the image size"), std::string::npos);
  Empty.Width = 2048;
  Empty.Bits = std::vector<uint8_t>(32, 0);
  Empty.Bits[1] = 1;  // end of bitmap, then 30 unread bytes that still count as data
  EXPECT_NO_THROW(Read(Empty.Bytes()));
}

TEST(BmpReader, ReadsBackOurOwnFilesExactly) {
  // 2100 rows take more than two vectored reads of IOV_MAX rows each.
  for (auto [W, H] : {std::pair{1, 1}, {3, 2}, {7, 5}, {3, 2100}}) {
    std::vector<TColor32> Pixels(size_t(W) * H);
    uint32_t Seed = 12345;
    for (TColor32& C : Pixels) C = Seed = Seed * 1103515245u + 12345u;
    const std::vector<uint8_t> File = WriteBmpImage(Pixels.data(), W, H);
    const TPicture P = Read(File);
    EXPECT_EQ(P.Width, W);
    EXPECT_EQ(P.Height, H);
    EXPECT_EQ(P.BitsPerPixel, 32);
    EXPECT_EQ(P.Pixels, Pixels) << W << "x" << H;
  }
}

TEST(BmpReader, TallTopDownFilesOfEveryRowLayout) {
  // Rows of 32 bits are read into the pixels as they are; rows of 24 bits and rows that carry
  // padding are decoded in chunks.
  for (const uint16_t Bits : {uint16_t{32}, uint16_t{24}, uint16_t{8}}) {
    for (const int32_t Height : {-2100, 2100}) {
      TBmp F{.Width = 5, .Height = Height, .BitCount = Bits};
      if (Bits == 8)
        F.Palette = {P0, P1, P2, P3, P4, P5};
      const size_t Stride = (size_t(5) * Bits / 8 + 3) & ~size_t{3};
      F.Bits.resize(Stride * 2100);
      for (size_t I = 0; I < F.Bits.size(); ++I) F.Bits[I] = uint8_t(Bits == 8 ? I % 6 : I * 7);
      const TPicture P = Read(F.Bytes());
      ASSERT_EQ(P.Height, 2100);
      // The first stored row is the top one for a negative height, the bottom one otherwise.
      const size_t Top = Height < 0 ? 0 : size_t(2099) * 5;
      if (Bits == 32)
        EXPECT_EQ(P.Pixels[Top], 0x150E0700u);
      else if (Bits == 24)
        EXPECT_EQ(P.Pixels[Top], 0xFF0E0700u);
      else
        EXPECT_EQ(P.Pixels[Top], Opaque(P0));
    }
  }
}

// --- the shared conformance suite --------------------------------------------------------------

TEST(BmpReader, GoodSuiteFilesMatchTheirReferences) {
  PELMORA_REQUIRE_TESTDATA();
  const auto Refs = ReferenceMap();
  ASSERT_FALSE(Refs.empty());
  // The fourth byte of an uncompressed 32-bit file is alpha here, and rgb32.bmp stores zeros
  // there; its colours still have to match.
  const std::set<std::string> ColourOnly = {"g/rgb32.bmp"};
  const auto Files = BmpFiles(SuiteDir() / "g");
  ASSERT_FALSE(Files.empty());
  for (const fs::path& F : Files) {
    const std::string Name = "g/" + F.filename().string();
    const auto It = Refs.find(Name);
    EXPECT_NE(It, Refs.end()) << Name << " has no reference";
    ExpectMatchesReference(Name, It == Refs.end() ? std::vector<std::string>{} : It->second,
                           ColourOnly.contains(Name));
  }
}

TEST(BmpReader, QuestionableSuiteFiles) {
  PELMORA_REQUIRE_TESTDATA();
  const auto Refs = ReferenceMap();
  // Refused on purpose: rare encodings.
  const std::set<std::string> Refused = {"q/pal1huffmsb.bmp", "q/rgb24rle24.bmp", "q/rgb24jpeg.bmp",
                                         "q/rgb24png.bmp", "q/rgba64.bmp"};
  // Decoded, but the reference needs what we leave out: colour profiles are not applied.
  const std::set<std::string> NoMatch = {"q/rgb24prof2.bmp"};
  // rgb32fakealpha.bmp has to match its alpha rendering: the fourth byte is alpha.
  for (const fs::path& F : BmpFiles(SuiteDir() / "q")) {
    const std::string Name = "q/" + F.filename().string();
    const std::vector<uint8_t> Data = LoadFile(F);
    if (Refused.contains(Name)) {
      const std::string Message = ReadError(Data);
      EXPECT_TRUE(Message.find("not supported") != std::string::npos)
          << Name << ": \"" << Message << "\"";
    } else if (NoMatch.contains(Name)) {
      EXPECT_NO_THROW(Read(Data)) << Name;
    } else {
      const auto It = Refs.find(Name);
      ASSERT_NE(It, Refs.end()) << Name;
      ExpectMatchesReference(Name, It->second, false);
    }
  }
}

TEST(BmpReader, BadSuiteFilesAreRefused) {
  PELMORA_REQUIRE_TESTDATA();
  const auto Refs = ReferenceMap();
  const fs::path Bmp = TestDataDir() / "images" / "bmp";
  std::vector<fs::path> Files = BmpFiles(Bmp / "bmpsuite" / "b");
  for (const fs::path& F : BmpFiles(Bmp / "image-rs-bad")) Files.push_back(F);
  Files.push_back(Bmp / "bmpsuite" / "x" / "ba-bm.bmp");  // a bitmap array, not a bitmap
  for (const fs::path& F : Files) {
    const std::string Name = F.parent_path().filename().string() + "/" + F.filename().string();
    if (Name == "b/rgb16-880.bmp") {
      // A channel without bits (blue here) reads as 0, which is what its reference shows.
      ExpectMatchesReference(Name, Refs.at(Name), false);
      continue;
    }
    const std::string Message = ReadError(LoadFile(F));
    EXPECT_TRUE(Message.starts_with("Bitmap image is not valid: ")) << Name << " was accepted";
  }
}
