// Every file of the shared conformance suites (testdata/images, see its SOURCES.md) read
// through the registry: good files with the right pixels, corrupt files with a clean error.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "codec_test_support.h"
#include "exceptions.h"
#include "picture_codecs.h"
#include "picture_readers.h"
#include "png_codec.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

enum TExpect {
  Decodes,   // must decode; compared with the reference when there is one
  MustFail,  // must raise EInvalidGraphic
  MayFail    // a rare feature: either decodes (and then matches its reference) or fails cleanly
};

// How a reference is read: by its extension (.png through our PNG reader, .ppm/.pgm/.pbm as
// PNM, .rgb as raw R, G, B of the decoded picture's size, anything else through the registry).
struct TCase {
  const char* File;
  TExpect Expect;
  const char* Reference = "";
  // Largest channel difference allowed against the reference, and the mean.
  int MaxColor = 0;
  double MeanColor = 0.0;
  // The reference knows no transparency: compare colours only, alpha of both taken as opaque.
  bool ColorOnly = false;
  std::function<void(const TPicture&)> Check = nullptr;
};

TPicture LoadReference(const fs::path& Path, const TPicture& Decoded) {
  const std::string Ext = Path.extension().string();
  if (Ext == ".png") {
    const std::vector<uint8_t> Data = ReadBytes(Path);
    return ReadPngImage(Data.data(), Data.size());
  }
  if (Ext == ".rgb")
    return LoadRawRgb(Path, Decoded.Width, Decoded.Height);
  if (Ext == ".ppm" || Ext == ".pgm" || Ext == ".pbm")
    return LoadPnm(Path);
  return ReadPictureFile(Path.string());
}

TPicture WithoutAlpha(TPicture P) {
  for (TColor32& C : P.Pixels) C |= 0xFF000000u;
  return P;
}

void RunCases(const char* Folder, const std::vector<TCase>& Cases) {
  RegisterPictureCodecs();
  const fs::path Root = TestDataDir() / "images" / Folder;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.File);
    const fs::path Path = Root / C.File;
    ASSERT_TRUE(fs::exists(Path)) << Path;
    TPicture P;
    try {
      P = ReadPictureFile(Path.string());
    } catch (const EInvalidGraphic& E) {
      EXPECT_NE(C.Expect, Decodes) << "failed: " << E.what();
      EXPECT_FALSE(std::string(E.what()).empty());
      continue;
    } catch (const std::exception& E) {
      ADD_FAILURE() << "raised something other than EInvalidGraphic: " << E.what();
      continue;
    }
    EXPECT_NE(C.Expect, MustFail) << "decoded a file that must fail";
    if (C.Expect == MustFail)
      continue;
    ASSERT_FALSE(P.IsEmpty());
    ASSERT_EQ(P.Pixels.size(), size_t(P.Width) * size_t(P.Height));
    EXPECT_EQ(P.Kind, TPicture::pkGraphic);
    if (*C.Reference) {
      TPicture Ref = LoadReference(Root / C.Reference, P);
      const TPictureDiff D = C.ColorOnly ? ComparePictures(WithoutAlpha(P), WithoutAlpha(Ref))
                                         : ComparePictures(P, Ref);
      ASSERT_TRUE(D.SameSize) << D.Where;
      EXPECT_LE(D.MaxColor, C.MaxColor) << "against " << C.Reference << ", worst " << D.Where;
      EXPECT_LE(D.MeanColor, C.MeanColor) << "against " << C.Reference;
      EXPECT_EQ(D.MaxAlpha, 0) << "against " << C.Reference << ", worst " << D.Where;
    }
    if (C.Check)
      C.Check(P);
  }
}

std::function<void(const TPicture&)> HasSize(int32_t W, int32_t H) {
  return [W, H](const TPicture& P) {
    EXPECT_EQ(P.Width, W);
    EXPECT_EQ(P.Height, H);
  };
}

size_t CountAlpha(const TPicture& P, uint32_t Alpha) {
  return size_t(std::count_if(P.Pixels.begin(), P.Pixels.end(),
                              [Alpha](TColor32 C) { return (C >> 24) == Alpha; }));
}

bool IsGrey(const TPicture& P) {
  return std::all_of(P.Pixels.begin(), P.Pixels.end(), [](TColor32 C) {
    return ((C >> 16) & 0xFF) == ((C >> 8) & 0xFF) && ((C >> 8) & 0xFF) == (C & 0xFF);
  });
}

}  // namespace

TEST(Conformance, Png) {
  PELMORA_REQUIRE_TESTDATA();
  RegisterPictureCodecs();
  const fs::path Root = TestDataDir() / "images" / "png" / "pngsuite";
  std::vector<std::string> Names;
  for (const auto& E : fs::directory_iterator(Root))
    if (E.path().extension() == ".png")
      Names.push_back(E.path().filename().string());
  std::sort(Names.begin(), Names.end());
  ASSERT_FALSE(Names.empty());
  // The suite's naming: a leading "x" marks the corrupt files.
  std::vector<TCase> Cases;
  for (const std::string& N : Names) {
    TCase C{nullptr, N[0] == 'x' ? MustFail : Decodes};
    Cases.push_back(C);
  }
  for (size_t I = 0; I < Names.size(); ++I) Cases[I].File = Names[I].c_str();
  RunCases("png/pngsuite", Cases);

  // Adam7 files decode to the same pixels as their plain twins.
  for (const std::string& N : Names) {
    if (N.size() < 4 || N[0] == 'x' || N[3] != 'i')
      continue;
    std::string Twin = N;
    Twin[3] = 'n';
    if (!fs::exists(Root / Twin))
      continue;
    SCOPED_TRACE(N);
    const TPictureDiff D = ComparePictures(ReadPictureFile((Root / N).string()),
                                           ReadPictureFile((Root / Twin).string()));
    EXPECT_TRUE(D.SameSize && D.MaxColor == 0 && D.MaxAlpha == 0) << D.Where;
  }
}

TEST(Conformance, PngTransparencyAndDepth) {
  PELMORA_REQUIRE_TESTDATA();
  RegisterPictureCodecs();
  const auto Read = [](const char* Name) {
    return ReadPictureFile((TestDataDir() / "images/png/pngsuite" / Name).string());
  };
  // tRNS on a palette, on grey and on RGB makes pixels transparent; without it all is opaque.
  for (const char* Name : {"tbbn3p08.png", "tbgn2c16.png", "tbbn0g04.png", "tp1n3p08.png"}) {
    SCOPED_TRACE(Name);
    EXPECT_GT(CountAlpha(Read(Name), 0), 0u);
  }
  for (const char* Name : {"tp0n3p08.png", "basn2c08.png", "basn0g16.png"}) {
    SCOPED_TRACE(Name);
    const TPicture P = Read(Name);
    EXPECT_EQ(CountAlpha(P, 255), P.Pixels.size());
  }
  // 16-bit grey is scaled, not truncated: the top-left sample of basn0g16 is 0, and every
  // sample of the picture is grey.
  EXPECT_TRUE(IsGrey(Read("basn0g16.png")));
  EXPECT_TRUE(IsGrey(Read("basn4a16.png")));
  // A 1x1 picture and odd sizes.
  EXPECT_EQ(Read("s01n3p01.png").Width, 1);
  EXPECT_EQ(Read("s39i3p04.png").Height, 39);
}

TEST(Conformance, Gif) {
  PELMORA_REQUIRE_TESTDATA();
  // giflib's .rgb files ignore transparency, so x-trans is compared by colour only.
  RunCases(
      "gif",
      {
          {"giflib/gifgrid.gif", Decodes, "giflib/reference-rgb/gifgrid.rgb"},
          {"giflib/porsche.gif", Decodes, "giflib/reference-rgb/porsche.rgb"},
          {"giflib/solid2.gif", Decodes, "giflib/reference-rgb/solid2.rgb"},
          {"giflib/treescap.gif", Decodes, "giflib/reference-rgb/treescap.rgb"},
          {"giflib/treescap-interlaced.gif", Decodes, "giflib/reference-rgb/treescap.rgb"},
          {"giflib/x-trans.gif", Decodes, "giflib/reference-rgb/x-trans.rgb", 0, 0, true,
           [](const TPicture& P) { EXPECT_GT(CountAlpha(P, 0), 0u); }},
          {"giflib/fire.gif", Decodes, "", 0, 0, false, HasSize(30, 60)},
          {"giflib/welcome2.gif", Decodes, "", 0, 0, false, HasSize(290, 48)},
          {"image-rs/alpha_gif_a.gif", Decodes, "image-rs/reference/alpha_gif_a.gif.png"},
          {"image-rs/any-disposal.gif", Decodes, "image-rs/reference/any-disposal.gif.png"},
          {"image-rs/border_touching_layers.gif", Decodes,
           "image-rs/reference/border_touching_layers.gif.png"},
          {"image-rs/interlaced.gif", Decodes, "image-rs/reference/interlaced.gif.png"},
          {"image-rs/issue_1455_oversized.gif", Decodes,
           "image-rs/reference/issue_1455_oversized.gif.png"},
          {"image-rs/issue_1455_undersized.gif", Decodes,
           "image-rs/reference/issue_1455_undersized.gif.png"},
          {"image-rs/mixed-disposal.gif", Decodes, "image-rs/reference/mixed-disposal.gif.png"},
          {"image-rs/oob.gif", Decodes, "image-rs/reference/oob.gif.png"},
          {"image-rs/sample_1.gif", Decodes, "image-rs/reference/sample_1.gif.png"},
      });
}

TEST(Conformance, Jpeg) {
  PELMORA_REQUIRE_TESTDATA();
  // djpeg's output comes from the same decoder with the same IDCT; another libjpeg-turbo build
  // may round a SIMD step differently, hence 2 levels.
  const char* Djpeg = "derived/testorig.djpeg.ppm";
  // hopper.png is the lossless original of the JPEG pictures: a JPEG error, not a decoder one.
  RunCases("jpeg",
           {
               {"libjpeg-turbo/testorig.jpg", Decodes, Djpeg, 2, 0.1},
               {"derived/testorig-progressive.jpg", Decodes, Djpeg, 2, 0.1},
               {"derived/testorig-restart.jpg", Decodes, Djpeg, 2, 0.1},
               {"libjpeg-turbo/testorig.jpg", Decodes, "libjpeg-turbo/testorig.ppm", 255, 3.0},
               {"libjpeg-turbo/testimgari.jpg", MayFail, "libjpeg-turbo/testorig.ppm", 255, 3.0},
               {"libjpeg-turbo/monkey12.jpg", MayFail},
               {"derived/testorig-truncated.jpg", MustFail},
               {"pillow/truncated_jpeg.jpg", MustFail},
               {"pillow/hopper.jpg", Decodes, "pillow/hopper.png", 255, 3.0},
               // Coarse 16-bit quantisation tables: the picture is recognisably hopper (a misread
               // table gives a mean difference of several tens), but a lossy one.
               {"pillow/hopper_16bit_qtables.jpg", Decodes, "pillow/hopper.png", 255, 14.0},
               {"pillow/hopper_gray.jpg", Decodes, "", 0, 0, false,
                [](const TPicture& P) { EXPECT_TRUE(IsGrey(P)); }},
               // Separate encodes of one picture, CMYK and RGB: they agree only roughly.
               {"pillow/pil_sample_cmyk.jpg", Decodes, "pillow/pil_sample_rgb.jpg", 255, 6.0},
               {"pillow/iptc.jpg", Decodes, "", 0, 0, false, HasSize(640, 480)},
               {"image-rs/progressive-test.jpg", Decodes,
                "image-rs/reference/progressive-test.jpg.png", 8, 1.0},
           });
}

TEST(Conformance, JpegExifOrientation) {
  PELMORA_REQUIRE_TESTDATA();
  // Each file holds hopper.jpg turned or mirrored, recompressed, with the orientation tag that
  // turns it back: upright, it matches hopper.jpg up to the second compression.
  std::vector<TCase> Cases;
  std::vector<std::string> Names;
  for (int O = 2; O <= 8; ++O)
    Names.push_back("pillow/hopper_orientation_" + std::to_string(O) + ".jpg");
  for (const std::string& N : Names)
    Cases.push_back({N.c_str(), Decodes, "pillow/hopper.jpg", 255, 6.0});
  RunCases("jpeg", Cases);
}

TEST(Conformance, Tiff) {
  PELMORA_REQUIRE_TESTDATA();
  const char* Hopper = "pillow/hopper.png";
  RunCases("tiff",
           {
               {"libtiff/rgb-3c-8b.tiff", Decodes, "libtiff/rgb-3c-8b.ppm"},
               {"libtiff/minisblack-1c-8b.tiff", Decodes, "libtiff/minisblack-1c-8b.pgm"},
               {"libtiff/miniswhite-1c-1b.tiff", Decodes, "libtiff/miniswhite-1c-1b.pbm"},
               // 16-bit samples are cut to their high byte by libtiff.
               {"libtiff/rgb-3c-16b.tiff", Decodes, "libtiff/rgb-3c-8b.ppm", 1, 0.5},
               {"libtiff/minisblack-1c-16b.tiff", Decodes, "libtiff/minisblack-1c-8b.pgm", 1, 0.5},
               {"libtiff/palette-1c-1b.tiff", Decodes},
               {"libtiff/palette-1c-4b.tiff", Decodes},
               {"libtiff/palette-1c-8b.tiff", Decodes},
               {"libtiff/minisblack-2c-8b-alpha.tiff", Decodes, "", 0, 0, false, HasSize(64, 64)},
               {"libtiff/32bpp-None.tiff", Decodes, "", 0, 0, false, HasSize(162, 20)},
               {"libtiff/deflate-last-strip-extra-data.tiff", Decodes, "", 0, 0, false,
                HasSize(500, 500)},
               {"libtiff/quad-lzw-compat.tiff", MayFail},
               {"libtiff/quad-tile.jpg.tiff", MayFail},
               {"libtiff/logluv-3c-16b.tiff", MayFail},
               {"pillow/hopper.tif", Decodes, Hopper},
               {"pillow/hopper_lzw.tif", Decodes, Hopper},
               {"pillow/hopper_bigtiff.tif", Decodes, Hopper},
               {"pillow/hopper_jpg.tif", MayFail, Hopper, 255, 3.0},
               {"pillow/hopper_g4.tif", MayFail},
               {"pillow/hopper_gray_4bpp.tif", Decodes, "", 0, 0, false,
                [](const TPicture& P) { EXPECT_TRUE(IsGrey(P)); }},
               {"pillow/16bit.deflate.tif", Decodes, "", 0, 0, false, HasSize(64, 64)},
               {"pillow/tiff_adobe_deflate.tif", Decodes, "", 0, 0, false, HasSize(278, 374)},
               {"pillow/multipage.tiff", Decodes, "", 0, 0, false, HasSize(10, 10)},
           });
}

TEST(Conformance, Tga) {
  PELMORA_REQUIRE_TESTDATA();
  std::vector<std::string> Files, Refs;
  for (const char* Size : {"1x1", "200x32"})
    for (const char* Mode : {"l", "la", "p", "rgb", "rgba"}) {
      if (std::string(Size) == "1x1" && std::string(Mode) != "l")
        continue;
      for (const char* Order : {"bl", "tl"})
        for (const char* Packing : {"raw", "rle"}) {
          Files.push_back(std::string("pillow/common/") + Size + "_" + Mode + "_" + Order + "_" +
                          Packing + ".tga");
          Refs.push_back(std::string("pillow/common/") + Size + "_" + Mode + ".png");
        }
    }
  std::vector<TCase> Cases;
  for (size_t I = 0; I < Files.size(); ++I)
    Cases.push_back({Files[I].c_str(), Decodes, Refs[I].c_str()});
  for (const char* Name : {"top_left", "top_right", "bottom_left", "bottom_right", "b5-attrib",
                           "b5-noattrib", "b5-cmap", "b5-unused-cmap", "cmap_offset"}) {
    Files.push_back(std::string("image-rs/") + Name + ".tga");
    Refs.push_back(std::string("image-rs/reference/") + Name + ".tga.png");
  }
  for (size_t I = Cases.size(); I < Files.size(); ++I)
    Cases.push_back({Files[I].c_str(), Decodes, Refs[I].c_str()});
  Cases.push_back({"pillow/cross_scan_line.tga", Decodes, "pillow/cross_scan_line.png"});
  Cases.push_back({"pillow/cross_scan_line_truncated.tga", MustFail});
  Cases.push_back({"pillow/p_16.tga", Decodes, "pillow/p_16.png"});
  Cases.push_back({"pillow/p_8.tga", MustFail});
  Cases.push_back({"pillow/rgba16.tga", Decodes, "", 0, 0, false, [](const TPicture& P) {
                     ASSERT_EQ(P.Pixels.size(), 2u);
                     // The top bits (0 and 1) do not make alpha: 16-bit colours are opaque.
                     // Red 21 of 31 is level 172.7, so 173 (a reader that truncates says 172).
                     EXPECT_EQ(P.Pixels[0], 0xFFAD00FFu);
                     EXPECT_EQ(P.Pixels[1], 0xFF00FF52u);
                   }});
  Cases.push_back({"pillow/la.tga", Decodes, "", 0, 0, false, [](const TPicture& P) {
                     EXPECT_EQ(CountAlpha(P, 0), 559u);
                     EXPECT_TRUE(IsGrey(P));
                   }});
  Cases.push_back({"pillow/tga_id_field.tga", Decodes, "", 0, 0, false, HasSize(100, 100)});
  RunCases("tga", Cases);
}

TEST(Conformance, Pcx) {
  PELMORA_REQUIRE_TESTDATA();
  RunCases("pcx", {
                      {"image-rs/24bit.pcx", Decodes, "image-rs/reference/24bit.pcx.4210721a.png"},
                      {"image-rs/256-palette.pcx", Decodes,
                       "image-rs/reference/256-palette.pcx.7308a650.png"},
                      {"pillow/pil184.pcx", Decodes, "", 0, 0, false, HasSize(447, 144)},
                      {"pillow/p_4_planes.pcx", Decodes, "", 0, 0, false, HasSize(1, 1)},
                      {"pillow/odd_stride.pcx", Decodes, "", 0, 0, false, HasSize(371, 150)},
                      {"pillow/01r_00.pcx", MustFail},
                      {"pillow/ossfuzz-4836216264589312.pcx", MustFail},
                  });
}

TEST(Conformance, Ico) {
  PELMORA_REQUIRE_TESTDATA();
  const auto Ref = [](const char* Name) {
    return std::string("image-rs/reference/") + Name + ".png";
  };
  std::vector<std::string> Refs;
  const char* Named[] = {"bmp-24bpp-mask.ico",
                         "bmp-32bpp-alpha.ico",
                         "lenient-bpp.ico",
                         "multiple_entries_with_different_bit_depth.ico",
                         "png-32bpp-alpha.ico",
                         "png_l8.ico",
                         "png_rgb8.ico",
                         "smile.ico",
                         "two-entry-order-test.ico"};
  std::vector<std::string> Files;
  for (const char* N : Named) {
    Files.push_back(std::string("image-rs/") + N);
    Refs.push_back(Ref(N));
  }
  std::vector<TCase> Cases;
  for (size_t I = 0; I < Files.size(); ++I)
    Cases.push_back({Files[I].c_str(), Decodes, Refs[I].c_str()});
  Cases.push_back({"image-rs/bmp-32bpp-conflicting-and-mask.ico", Decodes, "", 0, 0, false,
                   [](const TPicture& P) { EXPECT_EQ(CountAlpha(P, 128), P.Pixels.size()); }});
  Cases.push_back({"image-rs/bmp_v5_with_icc.ico", Decodes, "", 0, 0, false, HasSize(127, 64)});
  Cases.push_back({"image-rs/truncated_mask_32bpp.ico", Decodes, "", 0, 0, false, HasSize(64, 64)});
  Cases.push_back({"image-rs/bad/Bad_smile-incorrect-image-length.ico", MustFail});
  Cases.push_back({"pillow/hopper_mask.ico", Decodes, "pillow/hopper_mask.png"});
  Cases.push_back({"pillow/decompression_bomb.ico", MustFail});
  Cases.push_back({"pillow/hopper.ico", Decodes, "", 0, 0, false, HasSize(16, 16)});
  Cases.push_back({"pillow/black_and_white.ico", Decodes, "", 0, 0, false, HasSize(16, 16)});
  Cases.push_back({"pillow/hopper_256x256.ico", Decodes, "", 0, 0, false, HasSize(256, 256)});
  Cases.push_back({"pillow/python.ico", Decodes, "", 0, 0, false, HasSize(48, 48)});
  Cases.push_back({"pillow/pillow.ico", Decodes, "", 0, 0, false, HasSize(256, 256)});
  Cases.push_back({"pillow/hopper_draw.ico", Decodes, "", 0, 0, false, HasSize(16, 16)});
  Cases.push_back({"pillow/deerstalker.cur", Decodes, "", 0, 0, false, HasSize(32, 32)});
  Cases.push_back({"pillow/hopper_unexpected.ico", Decodes, "", 0, 0, false, HasSize(16, 16)});
  RunCases("ico", Cases);
}
