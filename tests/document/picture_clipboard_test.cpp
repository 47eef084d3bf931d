#include "picture_clipboard.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "bmp_format.h"
#include "png_codec.h"

namespace {

std::vector<uint8_t> PngOf(int W, int H, TColor32 C) {
  TBitmap32 B;
  B.SetSize(W, H);
  B.Clear(C);
  return EncodePng(B);
}

// A PNG signature and IHDR chunk declaring W x H, and nothing else.
std::vector<uint8_t> PngHeader(uint32_t W, uint32_t H) {
  std::vector<uint8_t> D = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                            0,    0,   0,   13,  'I',  'H',  'D',  'R'};
  for (const uint32_t V : {W, H})
    for (int S = 24; S >= 0; S -= 8) D.push_back(uint8_t(V >> S));
  D.insert(D.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
  return D;
}

}  // namespace

TEST(PictureClipboard, EncodedFormatsArePickedInOrder) {
  const struct {
    std::vector<std::string> Offered;
    std::string Want;
  } Cases[] = {
      {{"text/plain", "image/jpeg", "image/png"}, "image/png"},
      {{"image/x-MS-bmp", "image/gif"}, "image/x-MS-bmp"},
      {{"IMAGE/JPEG"}, "IMAGE/JPEG"},
      {{"image/webp", "image/tiff"}, "image/tiff"},
      {{"text/plain", "text/uri-list", "application/x-qt-image"}, ""},
      {{}, ""},
  };
  for (const auto& C : Cases) EXPECT_EQ(ChooseEncodedPictureFormat(C.Offered), C.Want) << C.Want;
}

TEST(PictureClipboard, LocalFilesAreFoundInUrlsAndPaths) {
  const std::string Text =
      "# copied by a file manager\r\n"
      "file:///tmp/a%20b%D0%B9.png\r\n"
      "file://localhost/home/u/c.jpg\n"
      "file://otherhost/d.png\n"
      "http://example.org/e.png\n"
      "/abs/f.gif\n"
      "relative/g.png\n"
      "file:///bad%2.png\n"
      "file:///nul%00.png";
  EXPECT_EQ(LocalFilesInText(Text),
            (std::vector<std::string>{"/tmp/a bй.png", "/home/u/c.jpg", "/abs/f.gif"}));
}

TEST(PictureClipboard, FirstPictureFileIsAnExistingPicture) {
  const auto Dir =
      std::filesystem::temp_directory_path() / ("pelmora_clipfiles_" + std::to_string(::getpid()));
  std::filesystem::create_directories(Dir / "folder.png");
  for (const char* Name : {"notes.txt", "no_extension", "photo.JPG", "b.png"})
    std::ofstream(Dir / Name) << "x";
  const auto P = [&](const char* Name) { return (Dir / Name).string(); };
  EXPECT_EQ(FirstPictureFile({P("notes.txt"), P("no_extension"), P("gone.png"), P("folder.png"),
                              P("photo.JPG"), P("b.png")}),
            P("photo.JPG"));
  EXPECT_EQ(FirstPictureFile({P("notes.txt"), P("gone.png")}), "");
  std::filesystem::remove_all(Dir);
}

TEST(PictureClipboard, PngBytesDecodeWithTheirAlpha) {
  const std::vector<uint8_t> Png = PngOf(5, 4, 0x80336699);
  TBitmap32 Out;
  DecodeClipboardPicture("image/png", Png.data(), Png.size(), Out);
  ASSERT_EQ(Out.Width(), 5);
  ASSERT_EQ(Out.Height(), 4);
  EXPECT_EQ(Out.GetPixel(4, 3), 0x80336699u);
}

TEST(PictureClipboard, BitmapWithoutAlphaBytesPastesOpaque) {
  // A 32-bit BMP that leaves the fourth byte at zero everywhere.
  std::vector<TColor32> Pixels(6, 0x00102030);
  const std::vector<uint8_t> Bmp = WriteBmpImage(Pixels.data(), 3, 2);
  TBitmap32 Out;
  DecodeClipboardPicture("image/bmp", Bmp.data(), Bmp.size(), Out);
  ASSERT_EQ(Out.Width(), 3);
  EXPECT_EQ(Out.GetPixel(2, 1), 0xFF102030u);
}

TEST(PictureClipboard, DamagedAndHugePicturesAreRefusedInRussian) {
  const std::vector<uint8_t> Png = PngOf(8, 8, 0xFF00FF00);
  const std::vector<uint8_t> Truncated(Png.begin(), Png.begin() + Png.size() / 2);
  const std::vector<uint8_t> Huge = PngHeader(70000, 70000);
  const std::vector<uint8_t> Wide = PngHeader(100000, 1);
  const std::vector<uint8_t> Garbage = {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'};
  const struct {
    const char* Name;
    std::string Mime;
    const std::vector<uint8_t>* Bytes;
    const char* Says;
  } Cases[] = {
      {"truncated", "image/png", &Truncated, "Не удалось прочитать"},
      {"huge", "image/png", &Huge, "слишком велика"},
      {"too wide", "image/png", &Wide, "слишком велика"},
      {"garbage jpeg", "image/jpeg", &Garbage, "Не удалось прочитать"},
      {"garbage bmp", "image/bmp", &Garbage, "Не удалось прочитать"},
  };
  for (const auto& C : Cases) {
    TBitmap32 Out;
    Out.SetSize(2, 2);
    try {
      DecodeClipboardPicture(C.Mime, C.Bytes->data(), C.Bytes->size(), Out);
      ADD_FAILURE() << C.Name << " was read";
    } catch (const Exception& E) {
      EXPECT_NE(std::string(E.what()).find(C.Says), std::string::npos)
          << C.Name << ": " << E.what();
    }
    EXPECT_EQ(Out.Width(), 2) << C.Name << ": the target stays as it was";
  }
}

TEST(PictureClipboard, PictureFilesAreReadAndAMissingOneIsNamed) {
  const auto Dir =
      std::filesystem::temp_directory_path() / ("pelmora_clip_" + std::to_string(::getpid()));
  std::filesystem::create_directories(Dir);
  const std::string Name = (Dir / "photo.png").string();
  {
    const std::vector<uint8_t> Png = PngOf(7, 3, 0xFFAA5500);
    std::ofstream(Name, std::ios::binary)
        .write(reinterpret_cast<const char*>(Png.data()), std::streamsize(Png.size()));
  }
  TBitmap32 Out;
  ReadClipboardPictureFile(Name, Out);
  EXPECT_EQ(Out.Width(), 7);
  EXPECT_EQ(Out.GetPixel(0, 0), 0xFFAA5500u);
  const std::string Missing = (Dir / "gone.png").string();
  try {
    ReadClipboardPictureFile(Missing, Out);
    ADD_FAILURE() << "a missing file was read";
  } catch (const Exception& E) {
    EXPECT_NE(std::string(E.what()).find(Missing), std::string::npos) << E.what();
  }
  EXPECT_EQ(Out.Width(), 7);
  std::filesystem::remove_all(Dir);
}
