#include "save_flat_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "bitmap32.h"
#include "exceptions.h"
#include "pixel_grid.h"

namespace {

struct TTempDir {
  std::filesystem::path Path;
  TTempDir() {
    Path = std::filesystem::temp_directory_path() /
           ("pelmora_flat_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(Path);
  }
  ~TTempDir() { std::filesystem::remove_all(Path); }
  std::string File(const std::string& Name) const { return (Path / Name).string(); }
};

}  // namespace

TEST(SaveFlatImage, FormatsByExtensionAndBack) {
  struct Case {
    const char* Name;
    std::optional<TSaveFormat> Format;
  };
  const Case Cases[] = {
      {"a.bmp", TSaveFormat::Bmp}, {"a.JPEG", TSaveFormat::Jpeg}, {"a.jfif", TSaveFormat::Jpeg},
      {"a.Gif", TSaveFormat::Gif}, {"a.png", TSaveFormat::Png},   {"a.TIFF", TSaveFormat::Tiff},
      {"a.kvt", std::nullopt},     {"a.psd", std::nullopt},       {"noext", std::nullopt},
  };
  for (const Case& C : Cases) EXPECT_EQ(PictureFormatForFile(C.Name), C.Format) << C.Name;
  EXPECT_STREQ(SaveFormatExtension(TSaveFormat::Project), ".kvt");
  EXPECT_STREQ(SaveFormatExtension(TSaveFormat::Tiff), ".tif");
}

TEST(SaveFlatImage, WritesEveryPictureFormat) {
  RegisterPictureCodecs();
  TTempDir Dir;
  TBitmap32 Flat;
  Fill(Flat, 3, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0x80000000, 0xFF808080});
  for (const TSaveFormat F : {TSaveFormat::Bmp, TSaveFormat::Jpeg, TSaveFormat::Gif,
                              TSaveFormat::Png, TSaveFormat::Tiff}) {
    const std::string Name = Dir.File(std::string("flat") + SaveFormatExtension(F));
    TSaveOptions Options;
    Options.JpegQuality = 100;
    Options.GifFormat = pf8bit;
    SaveFlatImage(F, Options, Flat, Name);
    TBitmap32 Back;
    Back.LoadFromFile(Name);
    EXPECT_EQ(Back.Width(), 3) << Name;
    EXPECT_EQ(Back.Height(), 2) << Name;
    // The 32-bit BMP keeps the half-transparent pixel as it is.
    if (F == TSaveFormat::Bmp) {
      EXPECT_EQ(PixelsOf(Back), PixelsOf(Flat)) << Name;
    }
  }
}

TEST(SaveFlatImage, RefusesAnEmptyImageAndTheProjectFormat) {
  TTempDir Dir;
  TBitmap32 Empty, One;
  One.SetSize(1, 1);
  EXPECT_THROW(SaveFlatImage(TSaveFormat::Png, {}, Empty, Dir.File("e.png")), Exception);
  EXPECT_THROW(SaveFlatImage(TSaveFormat::Project, {}, One, Dir.File("p.kvt")), Exception);
  EXPECT_FALSE(std::filesystem::exists(Dir.File("e.png")));
  EXPECT_FALSE(std::filesystem::exists(Dir.File("p.kvt")));
}
