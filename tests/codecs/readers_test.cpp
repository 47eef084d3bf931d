// The hand-written readers and the reading rules on tiny files drawn in the source.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <thread>

#include "bitmap32.h"
#include "codec_test_support.h"
#include "exceptions.h"
#include "file_builders.h"
#include "gif_codec.h"
#include "ico_reader.h"
#include "jpeg_codec.h"
#include "metafile_reader.h"
#include "pcx_reader.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "tga_reader.h"

namespace {

constexpr TColor32 R = 0xFFFF0000, G = 0xFF00FF00, B = 0xFF0000FF, W = 0xFFFFFFFF, K = 0xFF000000,
                   T = 0x00000000;

std::vector<TColor32> Pixels(const TPicture& P) {
  return P.Pixels;
}

void WriteFile(const std::string& Name, const TBytes& Data) {
  std::ofstream(Name, std::ios::binary)
      .write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
}

}  // namespace

TEST(TgaReader, RowAndColumnOrders) {
  // Stored pixel order is always R, G / B, W (file order); the descriptor says where they go.
  struct Case {
    const char* Name;
    uint8_t Descriptor;
    std::vector<TColor32> Want;
  };
  const Case Cases[] = {
      {"bottom-left origin", 0x00, {B, W, R, G}},
      {"top-left origin", 0x20, {R, G, B, W}},
      {"bottom-right origin", 0x10, {W, B, G, R}},
      {"top-right origin", 0x30, {G, R, W, B}},
  };
  for (const Case& C : Cases) {
    TBytes F = TgaHeader(2, 2, 2, 24, C.Descriptor);
    Append(F, {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255});
    EXPECT_EQ(Pixels(ReadTgaImage(F.data(), F.size())), C.Want) << C.Name;
  }
}

TEST(TgaReader, RlePacketsRunAcrossScanLines) {
  // 3x2 top-down: a run of 4 red, then a raw packet of 2 (green, blue).
  TBytes F = TgaHeader(10, 3, 2, 24, 0x20);
  Append(F, {0x83, 0, 0, 255, 0x01, 0, 255, 0, 255, 0, 0});
  EXPECT_EQ(Pixels(ReadTgaImage(F.data(), F.size())), (std::vector<TColor32>{R, R, R, R, G, B}));
}

TEST(TgaReader, ColorMapWithFirstIndexAndGreyAlpha) {
  // Map entries 5 and 6 (first index 5); index 7 is past the map and reads as black.
  TBytes F = TgaHeader(1, 3, 1, 8, 0x20, 1, 5, 2, 24);
  Append(F, {0, 0, 255, 255, 255, 255});
  Append(F, {6, 5, 7});
  EXPECT_EQ(Pixels(ReadTgaImage(F.data(), F.size())), (std::vector<TColor32>{W, R, K}));

  TBytes Grey = TgaHeader(3, 2, 1, 16, 0x28);
  Append(Grey, {0x80, 0xFF, 0x10, 0x00});
  EXPECT_EQ(Pixels(ReadTgaImage(Grey.data(), Grey.size())),
            (std::vector<TColor32>{0xFF808080, 0x00101010}));
}

TEST(TgaReader, ThirtyTwoBitAlphaUnlessAllZero) {
  TBytes F = TgaHeader(2, 2, 1, 32, 0x28);
  Append(F, {0, 0, 255, 128, 0, 255, 0, 0});
  EXPECT_EQ(Pixels(ReadTgaImage(F.data(), F.size())),
            (std::vector<TColor32>{0x80FF0000, 0x0000FF00}));
  TBytes Unused = TgaHeader(2, 2, 1, 32, 0x20);
  Append(Unused, {0, 0, 255, 0, 0, 255, 0, 0});
  EXPECT_EQ(Pixels(ReadTgaImage(Unused.data(), Unused.size())), (std::vector<TColor32>{R, G}));
}

TEST(PcxReader, Layouts) {
  // 10x1 monochrome: bits 1011 0000 01 -> white, black, white, white, four black, black, white.
  TBytes Mono = PcxHeader(10, 1, 1, 1, 2, 0);
  Append(Mono, {0xB0, 0x40});
  EXPECT_EQ(Pixels(ReadPcxImage(Mono.data(), Mono.size())),
            (std::vector<TColor32>{W, K, W, W, K, K, K, K, K, W}));

  // 2x1 in four planes of one bit: index 0b0101 = 5 and 0b1010 = 10 of the header palette.
  TBytes Pal(48, 0);
  Pal[15] = 255;      // entry 5: red
  Pal[30 + 1] = 255;  // entry 10: green
  TBytes Planar = PcxHeader(2, 1, 1, 4, 2, 0, Pal);
  Append(Planar, {0x80, 0, 0x40, 0, 0x80, 0, 0x40, 0});
  EXPECT_EQ(Pixels(ReadPcxImage(Planar.data(), Planar.size())), (std::vector<TColor32>{R, G}));

  // 3x2 of 8 bits in lines of 4 bytes, RLE: a run of 5 crossing into the second line, then
  // 2 and 0xC1 (a value that needs a run of one) and the padding byte; palette at the end.
  TBytes Indexed = PcxHeader(3, 2, 8, 1, 4);
  Append(Indexed, {0xC5, 1, 2, 0xC1, 0xC1, 0});
  Indexed.push_back(0x0C);
  TBytes Palette256(768, 0);
  Palette256[3] = 255;             // 1: red
  Palette256[6 + 2] = 255;         // 2: blue
  Palette256[0xC1 * 3 + 1] = 255;  // 0xC1: green (a literal needing a run of one)
  Append(Indexed, Palette256);
  EXPECT_EQ(Pixels(ReadPcxImage(Indexed.data(), Indexed.size())),
            (std::vector<TColor32>{R, R, R, R, B, G}));

  // 2x1 of 24 bits in three planes: red plane, green plane, blue plane.
  TBytes Rgb = PcxHeader(2, 1, 8, 3, 2, 0);
  Append(Rgb, {255, 0, 0, 255, 0, 0});
  EXPECT_EQ(Pixels(ReadPcxImage(Rgb.data(), Rgb.size())), (std::vector<TColor32>{R, G}));
}

TEST(PcxReader, EightBitsWithoutPaletteAreGrey) {
  TBytes F = PcxHeader(2, 1, 8, 1, 2, 0);
  Append(F, {0x00, 0x7F});
  EXPECT_EQ(Pixels(ReadPcxImage(F.data(), F.size())), (std::vector<TColor32>{K, 0xFF7F7F7F}));
}

namespace {

// A 2x2 icon bitmap of the given depth with an AND mask marking the top-right pixel.
TBytes IcoDib(uint16_t Bits, const TBytes& Rows, uint32_t ColorsUsed = 0, const TBytes& Pal = {}) {
  TBytes D = IcoDibHeader(2, 2, Bits, ColorsUsed);
  Append(D, Pal);
  Append(D, Rows);
  // Mask rows bottom-up, 4 bytes each: bottom row clear, top row bit for x = 1.
  Append(D, {0x00, 0, 0, 0, 0x40, 0, 0, 0});
  return D;
}

}  // namespace

TEST(IcoReader, AndMaskAndAlpha) {
  // 24 bits, rows bottom-up padded to 8 bytes: bottom row blue, white; top row red, green.
  const TBytes Rows24 = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
  TBytes F = IcoFile({IcoDib(24, Rows24)});
  EXPECT_EQ(Pixels(ReadIcoImage(F.data(), F.size())), (std::vector<TColor32>{R, T, B, W}));

  // 32 bits with alpha in use: the alpha counts and the mask does not.
  const TBytes Rows32 = {255, 0, 0, 255, 255, 255, 255, 64, 0, 0, 255, 255, 0, 255, 0, 128};
  F = IcoFile({IcoDib(32, Rows32)});
  EXPECT_EQ(Pixels(ReadIcoImage(F.data(), F.size())),
            (std::vector<TColor32>{R, 0x8000FF00, B, 0x40FFFFFF}));

  // 32 bits with every alpha 0: an old icon, the mask decides.
  TBytes NoAlpha = Rows32;
  for (size_t I = 3; I < NoAlpha.size(); I += 4) NoAlpha[I] = 0;
  F = IcoFile({IcoDib(32, NoAlpha)});
  EXPECT_EQ(Pixels(ReadIcoImage(F.data(), F.size())), (std::vector<TColor32>{R, T, B, W}));

  // 1 bit with a two-colour palette; a missing mask counts as opaque.
  TBytes OneBit = IcoDibHeader(2, 2, 1, 2);
  Append(OneBit, {0, 0, 0, 0, 255, 255, 255, 0});
  Append(OneBit, {0x40, 0, 0, 0, 0x80, 0, 0, 0});
  F = IcoFile({OneBit});
  EXPECT_EQ(Pixels(ReadIcoImage(F.data(), F.size())), (std::vector<TColor32>{W, K, K, W}));
}

TEST(IcoReader, PicksTheLargestThenDeepestThenFirst) {
  const TBytes Rows24 = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
  TBytes Pal8(1024, 0);
  Pal8[2] = 255;  // index 0: red
  const TBytes Rows8 = {0, 0, 0, 0, 0, 0, 0, 0};
  // A 1x1 PNG is smaller; among the two 2x2 bitmaps the 24-bit one is deeper.
  TBitmap32 One;
  One.SetSize(1, 1);
  One.Clear(G);
  const TBytes Png = EncodePng(One);
  TBytes F = IcoFile({Png, IcoDib(8, Rows8, 0, Pal8), IcoDib(24, Rows24)});
  EXPECT_EQ(Pixels(ReadIcoImage(F.data(), F.size())), (std::vector<TColor32>{R, T, B, W}));
  // Two equal entries: the first wins.
  F = IcoFile({IcoDib(8, Rows8, 0, Pal8), IcoDib(8, Rows8, 0, TBytes(1024, 0))});
  EXPECT_EQ(ReadIcoImage(F.data(), F.size()).Pixels[0], R);
  // A PNG entry is read with its own alpha.
  TBitmap32 Big;
  Big.SetSize(3, 3);
  Big.Clear(0x80102030);
  F = IcoFile({IcoDib(24, Rows24), EncodePng(Big)});
  const TPicture P = ReadIcoImage(F.data(), F.size());
  EXPECT_EQ(P.Width, 3);
  EXPECT_EQ(P.Pixels[4], 0x80102030u);
}

namespace {

int WriteVector(GifFileType* Gif, const GifByteType* Data, int Count) {
  auto* Out = static_cast<TBytes*>(Gif->UserData);
  Out->insert(Out->end(), Data, Data + Count);
  return Count;
}

// A GIF with one frame of FrameW x FrameH at (Left, Top) on a ScreenW x ScreenH screen;
// palette red, green, blue, white; index 3 transparent when Transparent is set.
TBytes MakeGif(int ScreenW, int ScreenH, int Left, int Top, int FrameW, int FrameH,
               const std::vector<uint8_t>& Indices, bool Transparent, bool Interlace = false) {
  TBytes Out;
  int Error = 0;
  GifFileType* Gif = EGifOpen(&Out, WriteVector, &Error);
  GifColorType Colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  ColorMapObject* Map = GifMakeMapObject(4, Colors);
  EGifSetGifVersion(Gif, true);
  EGifPutScreenDesc(Gif, ScreenW, ScreenH, 8, 0, Map);
  if (Transparent) {
    GraphicsControlBlock Gcb{};
    Gcb.TransparentColor = 3;
    GifByteType Ext[4];
    const size_t Len = EGifGCBToExtension(&Gcb, Ext);
    EGifPutExtension(Gif, GRAPHICS_EXT_FUNC_CODE, int(Len), Ext);
  }
  EGifPutImageDesc(Gif, Left, Top, FrameW, FrameH, Interlace, nullptr);
  // Interlaced frames take their rows in pass order.
  static const int Start[4] = {0, 4, 2, 1}, Step[4] = {8, 8, 4, 2};
  std::vector<int> Order;
  if (Interlace) {
    for (int Pass = 0; Pass < 4; ++Pass)
      for (int Y = Start[Pass]; Y < FrameH; Y += Step[Pass]) Order.push_back(Y);
  } else {
    for (int Y = 0; Y < FrameH; ++Y) Order.push_back(Y);
  }
  for (const int Y : Order) {
    std::vector<GifPixelType> Line(Indices.begin() + Y * FrameW,
                                   Indices.begin() + (Y + 1) * FrameW);
    EGifPutLine(Gif, Line.data(), FrameW);
  }
  EGifCloseFile(Gif, &Error);
  GifFreeMapObject(Map);
  return Out;
}

}  // namespace

TEST(GifReader, FrameOnTheLogicalScreen) {
  struct Case {
    const char* Name;
    TBytes File;
    int32_t WantW, WantH;
    std::vector<TColor32> Want;
  };
  const std::vector<uint8_t> Frame = {0, 1, 2, 3};
  const Case Cases[] = {
      {"frame covers the screen", MakeGif(2, 2, 0, 0, 2, 2, Frame, false), 2, 2, {R, G, B, W}},
      {"transparent index", MakeGif(2, 2, 0, 0, 2, 2, Frame, true), 2, 2, {R, G, B, 0x00FFFFFF}},
      {"smaller frame at an offset",
       MakeGif(3, 3, 1, 1, 2, 2, Frame, false),
       3,
       3,
       {T, T, T, T, R, G, T, B, W}},
      {"frame larger than the screen is clipped",
       MakeGif(1, 2, 0, 0, 2, 2, Frame, false),
       1,
       2,
       {R, B}},
      {"frame past the screen's corner",
       MakeGif(2, 2, 1, 1, 2, 2, Frame, false),
       2,
       2,
       {T, T, T, R}},
      {"a screen of size 0 takes the frame's extent",
       MakeGif(0, 0, 1, 0, 2, 2, Frame, false),
       3,
       2,
       {T, R, G, T, B, W}},
  };
  for (const Case& C : Cases) {
    const TPicture P = ReadGifImage(C.File.data(), C.File.size());
    EXPECT_EQ(P.Width, C.WantW) << C.Name;
    EXPECT_EQ(P.Height, C.WantH) << C.Name;
    EXPECT_EQ(P.Pixels, C.Want) << C.Name;
  }
}

TEST(GifReader, InterlacedRowsLandInPlace) {
  std::vector<uint8_t> Column(11);
  for (size_t Y = 0; Y < Column.size(); ++Y) Column[Y] = uint8_t(Y % 4);
  const TBytes Plain = MakeGif(1, 11, 0, 0, 1, 11, Column, false, false);
  const TBytes Interlaced = MakeGif(1, 11, 0, 0, 1, 11, Column, false, true);
  const TPicture A = ReadGifImage(Plain.data(), Plain.size());
  const TPicture I = ReadGifImage(Interlaced.data(), Interlaced.size());
  EXPECT_EQ(A.Pixels, I.Pixels);
  EXPECT_EQ(I.Pixels[5], G);
}

namespace {

// An EXIF block (as in an APP1 segment) holding only an orientation tag.
TBytes ExifBlock(uint16_t Orientation, bool BigEndian) {
  TBytes E = {'E', 'x', 'i', 'f', 0, 0};
  const auto P16 = [&](uint16_t V) {
    if (BigEndian)
      Append(E, {uint8_t(V >> 8), uint8_t(V)});
    else
      Put16(E, V);
  };
  const auto P32 = [&](uint32_t V) {
    if (BigEndian)
      Append(E, {uint8_t(V >> 24), uint8_t(V >> 16), uint8_t(V >> 8), uint8_t(V)});
    else
      Put32(E, V);
  };
  Append(E, BigEndian ? TBytes{'M', 'M'} : TBytes{'I', 'I'});
  P16(42);
  P32(8);
  P16(1);       // one entry
  P16(0x0112);  // Orientation
  P16(3);       // SHORT
  P32(1);
  P16(Orientation);
  P16(0);
  P32(0);  // no next IFD
  return E;
}

TBytes WithApp1(const TBytes& Jpeg, const TBytes& Payload) {
  TBytes Out(Jpeg.begin(), Jpeg.begin() + 2);  // SOI
  const size_t Len = Payload.size() + 2;
  Append(Out, {0xFF, 0xE1, uint8_t(Len >> 8), uint8_t(Len)});
  Append(Out, Payload);
  Out.insert(Out.end(), Jpeg.begin() + 2, Jpeg.end());
  return Out;
}

}  // namespace

TEST(JpegReader, ExifOrientationTurnsThePictureUpright) {
  // Stored picture 32x16 in quadrants of 16x8 (whole JPEG blocks): red, green / blue, white.
  TBitmap32 Stored;
  Stored.SetSize(32, 16);
  for (int Y = 0; Y < 16; ++Y)
    for (int X = 0; X < 32; ++X) Stored.SetPixel(X, Y, Y < 8 ? (X < 16 ? R : G) : (X < 16 ? B : W));
  const TBytes Jpeg = EncodeJpeg(Stored, 100);
  struct Case {
    uint16_t Orientation;
    bool BigEndian;
    TColor32 TopLeft, TopRight, BottomLeft, BottomRight;
  };
  const Case Cases[] = {
      {1, false, R, G, B, W}, {2, false, G, R, W, B}, {3, true, W, B, G, R},
      {4, false, B, W, R, G}, {5, true, R, B, G, W},  {6, false, B, R, W, G},
      {7, false, W, G, B, R}, {8, true, G, W, R, B},  {9, false, R, G, B, W},
  };
  for (const Case& C : Cases) {
    const TBytes File = WithApp1(Jpeg, ExifBlock(C.Orientation, C.BigEndian));
    const TPicture P = ReadJpegImage(File.data(), File.size());
    const bool Turned = C.Orientation >= 5 && C.Orientation <= 8;
    ASSERT_EQ(P.Width, Turned ? 16 : 32) << "orientation " << C.Orientation;
    ASSERT_EQ(P.Height, Turned ? 32 : 16) << "orientation " << C.Orientation;
    // Quadrant centres; JPEG keeps flat colours within a level or two.
    const auto At = [&](int X, int Y) { return P.Pixels[size_t(Y) * size_t(P.Width) + size_t(X)]; };
    const auto Near = [](TColor32 A, TColor32 B) {
      for (int S = 0; S < 24; S += 8)
        if (std::abs(int((A >> S) & 0xFF) - int((B >> S) & 0xFF)) > 4)
          return false;
      return true;
    };
    const int QW = P.Width / 2, QH = P.Height / 2;
    EXPECT_TRUE(Near(At(QW / 2, QH / 2), C.TopLeft)) << "orientation " << C.Orientation;
    EXPECT_TRUE(Near(At(QW + QW / 2, QH / 2), C.TopRight)) << "orientation " << C.Orientation;
    EXPECT_TRUE(Near(At(QW / 2, QH + QH / 2), C.BottomLeft)) << "orientation " << C.Orientation;
    EXPECT_TRUE(Near(At(QW + QW / 2, QH + QH / 2), C.BottomRight))
        << "orientation " << C.Orientation;
  }
  // A damaged EXIF block is ignored, not fatal.
  TBytes Broken = ExifBlock(6, false);
  Broken.resize(14);
  const TBytes File = WithApp1(Jpeg, Broken);
  EXPECT_EQ(ReadJpegImage(File.data(), File.size()).Width, 32);
}

TEST(Registry, EveryExtensionInAnyCase) {
  std::vector<std::thread> Threads;
  for (int I = 0; I < 4; ++I) Threads.emplace_back(RegisterPictureCodecs);
  for (std::thread& Th : Threads) Th.join();
  RegisterPictureCodecs();
  for (const char* Name : {"a.jpg", "a.JPEG", "a.Jpe", "a.jfif", "a.PNG", "a.gif", "a.Pcx", "a.TGA",
                           "a.ico", "a.cur", "a.tif", "a.TIFF", "a.wmf", "a.EMF", "dir.x/a.bmp"})
    EXPECT_TRUE(HasPictureReader(Name)) << Name;
  EXPECT_FALSE(HasPictureReader("a.psd"));
}

TEST(Registry, LoadFromFileLeavesTheBitmapOnFailure) {
  RegisterPictureCodecs();
  TTempDir Dir;
  TBitmap32 Source;
  Source.SetSize(3, 2);
  for (int I = 0; I < 6; ++I) Source.Bits()[I] = 0xFF000000u | uint32_t(I * 40);
  const std::string Good = Dir.File("Good.PNG");
  SavePng(Source, Good);
  TBitmap32 Loaded;
  Loaded.LoadFromFile(Good);
  ASSERT_EQ(Loaded.Width(), 3);
  EXPECT_TRUE(std::equal(Loaded.Bits(), Loaded.Bits() + 6, Source.Bits()));

  TBytes Damaged = EncodePng(Source);
  Damaged.resize(Damaged.size() / 2);
  const std::string Bad = Dir.File("bad.png");
  WriteFile(Bad, Damaged);
  EXPECT_THROW(Loaded.LoadFromFile(Bad), EInvalidGraphic);
  ASSERT_EQ(Loaded.Width(), 3);
  EXPECT_TRUE(std::equal(Loaded.Bits(), Loaded.Bits() + 6, Source.Bits()));
}

TEST(Registry, MetafilesAreRefusedClearly) {
  RegisterPictureCodecs();
  TTempDir Dir;
  TBytes Wmf;
  Put32(Wmf, 0x9AC6CDD7u);
  Wmf.resize(40, 0);
  TBytes Emf;
  Put32(Emf, 1);
  Emf.resize(40, 0);
  Append(Emf, {' ', 'E', 'M', 'F'});
  Emf.resize(100, 0);
  struct Case {
    const char* Name;
    TBytes Data;
    const char* Message;
  };
  const Case Cases[] = {
      {"a.wmf", Wmf, "Картинки Windows Metafile (WMF) не поддерживаются"},
      {"a.EMF", Emf, "Картинки Enhanced Metafile (EMF) не поддерживаются"},
      {"b.wmf", TBytes{'G', 'I', 'F'}, "Картинка WMF повреждена"},
      {"b.emf", Wmf, "Картинка EMF повреждена"},
  };
  for (const Case& C : Cases) {
    WriteFile(Dir.File(C.Name), C.Data);
    try {
      ReadPictureFile(Dir.File(C.Name));
      ADD_FAILURE() << C.Name << " was read";
    } catch (const EInvalidGraphic& E) {
      EXPECT_NE(std::string(E.what()).find(C.Message), std::string::npos) << E.what();
    }
  }
}
