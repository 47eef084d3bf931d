#include "bitmap32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "exceptions.h"
#include "picture_readers.h"

namespace {

struct TChangeCounter {
  int Changes = 0;
  int Resizes = 0;
  void Attach(TBitmap32& B) {
    B.OnChange = [this](TObject*) { ++Changes; };
    B.OnResize = [this](TObject*) { ++Resizes; };
  }
};

}  // namespace

TEST(Bitmap32, DefaultsAndEmptiness) {
  TBitmap32 B;
  EXPECT_TRUE(B.IsEmpty());
  EXPECT_EQ(B.Bits(), nullptr);
  EXPECT_EQ(B.DrawMode(), dmOpaque);
  EXPECT_EQ(B.MasterAlpha(), 255u);
  EXPECT_EQ(B.StretchFilter(), sfNearest);
  EXPECT_EQ(B.OuterColor, 0u);
  EXPECT_EQ(B.PenColor, 0xFFFFFFFFu);
  EXPECT_EQ(B.StippleStep, 1.0f);
  for (auto [W, H] : {std::pair{0, 5}, {-3, 5}, {5, 0}, {5, -1}}) {
    B.SetSize(W, H);
    EXPECT_TRUE(B.IsEmpty());
    EXPECT_EQ(B.Width(), 0);
    EXPECT_EQ(B.Height(), 0);
    EXPECT_EQ(B.Bits(), nullptr);
  }
}

TEST(Bitmap32, ResizeClearsAndSameSizeKeeps) {
  TBitmap32 B;
  TChangeCounter N;
  N.Attach(B);
  EXPECT_TRUE(B.SetSize(10, 10));
  EXPECT_EQ(N.Changes, 1);
  EXPECT_EQ(N.Resizes, 1);
  B.Clear(0xFF336699);
  EXPECT_EQ(N.Changes, 2);
  EXPECT_FALSE(B.SetSize(10, 10));
  EXPECT_EQ(N.Changes, 2);
  EXPECT_EQ(B.GetPixel(9, 9), 0xFF336699u);
  EXPECT_TRUE(B.SetSize(10, 11));
  for (int Y = 0; Y < 11; ++Y)
    for (int X = 0; X < 10; ++X) ASSERT_EQ(B.GetPixel(X, Y), 0u);
}

TEST(Bitmap32, HugeSizeIsRefusedAndLeavesEmpty) {
  TBitmap32 B;
  B.SetSize(4, 4);
  TChangeCounter N;
  N.Attach(B);
  EXPECT_THROW(
      {
        try {
          B.SetSize(65536, 65536);
        } catch (const EBitmapError& E) {
          EXPECT_STREQ(E.what(), "Can't allocate the DIB handle");
          throw;
        }
      },
      EBitmapError);
  EXPECT_TRUE(B.IsEmpty());
  EXPECT_EQ(N.Changes, 1);
  EXPECT_EQ(N.Resizes, 1);
}

TEST(Bitmap32, ClearOnEmptyDoesNotNotify) {
  TBitmap32 B;
  TChangeCounter N;
  N.Attach(B);
  B.Clear();
  B.MakeOpaque();
  EXPECT_EQ(N.Changes, 0);
}

TEST(Bitmap32, SafeAccessAndFills) {
  TBitmap32 B;
  B.SetSize(4, 3);
  B.OuterColor = 0x12345678;
  EXPECT_EQ(B.GetPixelSafe(-1, 0), 0x12345678u);
  EXPECT_EQ(B.GetPixelSafe(0, 3), 0x12345678u);
  B.SetPixelSafe(4, 0, 0xFFFFFFFF);
  B.SetPixelSafe(0, -1, 0xFFFFFFFF);
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 4; ++X) EXPECT_EQ(B.GetPixel(X, Y), 0u);

  B.FillRectSafe(-5, 1, 2, 100, 0xFF0000FF);
  const TColor32 Want[3][4] = {
      {0, 0, 0, 0}, {0xFF0000FF, 0xFF0000FF, 0, 0}, {0xFF0000FF, 0xFF0000FF, 0, 0}};
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 4; ++X) EXPECT_EQ(B.GetPixel(X, Y), Want[Y][X]) << X << "," << Y;

  TChangeCounter N;
  N.Attach(B);
  B.FillRectSafe(2, 2, 2, 3, 0xFFFFFFFF);   // empty width
  B.FillRectSafe(4, 0, 9, 3, 0xFFFFFFFF);   // right of the bitmap
  B.FillRectSafe(0, -4, 4, 0, 0xFFFFFFFF);  // above
  EXPECT_EQ(N.Changes, 0);
  B.MakeOpaque();
  EXPECT_EQ(B.GetPixel(3, 0), 0xFF000000u);
  EXPECT_EQ(B.GetPixel(0, 1), 0xFF0000FFu);
  EXPECT_EQ(N.Changes, 1);
}

TEST(Bitmap32, PropertySettersNotifyOnlyOnChange) {
  TBitmap32 B;
  TChangeCounter N;
  N.Attach(B);
  B.SetDrawMode(dmOpaque);
  B.SetMasterAlpha(255);
  B.SetStretchFilter(sfNearest);
  EXPECT_EQ(N.Changes, 0);
  B.SetDrawMode(dmBlend);
  B.SetMasterAlpha(300);  // not clamped
  B.SetStretchFilter(sfSpline);
  EXPECT_EQ(N.Changes, 3);
  EXPECT_EQ(B.MasterAlpha(), 300u);
}

TEST(Bitmap32, UpdateNesting) {
  TBitmap32 B;
  TChangeCounter N;
  N.Attach(B);
  B.BeginUpdate();
  B.SetSize(2, 2);
  B.Clear();
  EXPECT_EQ(N.Changes, 0);
  B.EndUpdate();
  EXPECT_EQ(N.Changes, 0);  // EndUpdate does not send the suppressed notification
  try {
    B.EndUpdate();
    FAIL() << "unpaired EndUpdate must raise";
  } catch (const Exception& E) {
    EXPECT_STREQ(E.what(), "Unpaired TThreadPersistent.EndUpdate");
  }
  EXPECT_EQ(B.UpdateCount(), 0);
  B.Lock();
  B.Lock();
  EXPECT_EQ(B.LockCount(), 2);
  B.Unlock();
  B.Unlock();
  EXPECT_EQ(B.LockCount(), 0);
}

TEST(Bitmap32, AssignCopiesPixelsAndDrawingProperties) {
  TBitmap32 Src;
  Src.SetSize(3, 2);
  Src.Clear(0x80102030);
  Src.SetDrawMode(dmBlend);
  Src.SetMasterAlpha(77);
  Src.OuterColor = 5;
  Src.SetStretchFilter(sfLinear);
  Src.PenColor = 0xFF00FF00;
  TBitmap32 Dst;
  TChangeCounter N;
  N.Attach(Dst);
  Dst.Assign(&Src);
  EXPECT_EQ(N.Changes, 1);
  EXPECT_EQ(Dst.Width(), 3);
  EXPECT_EQ(Dst.GetPixel(2, 1), 0x80102030u);
  EXPECT_EQ(Dst.DrawMode(), dmBlend);
  EXPECT_EQ(Dst.MasterAlpha(), 77u);
  EXPECT_EQ(Dst.OuterColor, 5u);
  EXPECT_EQ(Dst.StretchFilter(), sfLinear);
  EXPECT_EQ(Dst.PenColor, 0xFFFFFFFFu);  // not copied
  Dst.Assign(static_cast<const TBitmap32*>(nullptr));
  EXPECT_TRUE(Dst.IsEmpty());
  EXPECT_EQ(N.Changes, 2);
}

TEST(Bitmap32, AssignPicture) {
  TPicture P;
  P.Width = 2;
  P.Height = 1;
  P.Pixels = {0x00112233, 0x80FFFFFF};
  TBitmap32 B;
  P.Kind = TPicture::pkBitmap;
  P.BitsPerPixel = 32;
  B.Assign(P);
  EXPECT_EQ(B.GetPixel(0, 0), 0x00112233u);  // 32-bit bitmaps keep their alpha
  P.BitsPerPixel = 24;
  B.Assign(P);
  EXPECT_EQ(B.GetPixel(0, 0), 0xFF112233u);

  // A graphic with transparent parts lands on the old content of an equal-sized bitmap...
  P.Kind = TPicture::pkGraphic;
  B.Clear(0xFF000000);
  B.Assign(P);
  EXPECT_EQ(B.GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(B.GetPixel(1, 0), 0xFF808080u);
  // ...and on zeros otherwise; either way the result is opaque.
  TBitmap32 Fresh;
  Fresh.SetSize(5, 5);
  Fresh.Clear(0xFFFFFFFF);
  Fresh.Assign(P);
  EXPECT_EQ(Fresh.GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(Fresh.GetPixel(1, 0), 0xFF808080u);

  TPicture Out;
  Fresh.AssignTo(Out);
  EXPECT_EQ(Out.BitsPerPixel, 32);
  EXPECT_EQ(Out.Pixels, (std::vector<TColor32>{0xFF000000, 0xFF808080}));
}

TEST(Bitmap32, BmpStreamLayoutIsExact) {
  TBitmap32 B;
  B.SetSize(2, 2);
  B.SetPixel(0, 0, 0x01020304);  // top-left
  B.SetPixel(1, 0, 0x05060708);
  B.SetPixel(0, 1, 0x090A0B0C);  // bottom-left, written first
  B.SetPixel(1, 1, 0x0D0E0F10);
  std::ostringstream S;
  B.SaveToStream(S);
  const std::string Out = S.str();
  const uint8_t Want[] = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
      40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0,                    // resolution and colour
                                                       // counts
      0x0C, 0x0B, 0x0A, 0x09, 0x10, 0x0F, 0x0E, 0x0D,  // bottom row
      0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05,  // top row
  };
  ASSERT_EQ(Out.size(), sizeof(Want));
  EXPECT_EQ(std::memcmp(Out.data(), Want, sizeof(Want)), 0);

  TBitmap32 Empty;
  std::ostringstream E;
  Empty.SaveToStream(E);
  EXPECT_TRUE(E.str().empty());
}

TEST(Bitmap32, BmpStreamRoundTripKeepsAlpha) {
  TBitmap32 B;
  B.SetSize(3, 2);
  B.Clear(0xFF204060);
  B.SetPixel(1, 0, 0x00FFFFFF);
  B.SetPixel(2, 1, 0x7F010203);
  std::stringstream S;
  B.SaveToStream(S);
  TBitmap32 C;
  TChangeCounter N;
  N.Attach(C);
  C.LoadFromStream(S);
  EXPECT_GE(N.Changes, 1);
  ASSERT_EQ(C.Width(), 3);
  ASSERT_EQ(C.Height(), 2);
  EXPECT_EQ(std::memcmp(C.Bits(), B.Bits(), 6 * 4), 0);
  EXPECT_TRUE(C.EqualsForStreaming(B));
  C.SetPixel(0, 0, 1);
  EXPECT_FALSE(C.EqualsForStreaming(B));
}

TEST(Bitmap32, RawDataForm) {
  TBitmap32 B;
  B.SetSize(2, 1);
  B.SetPixel(0, 0, 0x11223344);
  B.SetPixel(1, 0, 0x55667788);
  std::stringstream S;
  B.WriteRawData(S);
  const std::string Bytes = S.str();
  const uint8_t Want[] = {2, 0, 0, 0, 1, 0, 0, 0, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77, 0x66, 0x55};
  ASSERT_EQ(Bytes.size(), sizeof(Want));
  EXPECT_EQ(std::memcmp(Bytes.data(), Want, sizeof(Want)), 0);
  TBitmap32 C;
  C.ReadRawData(S);
  EXPECT_EQ(C.GetPixel(1, 0), 0x55667788u);

  // A zero width gives an empty bitmap and consumes exactly the 8 header bytes.
  std::stringstream Z(std::string("\0\0\0\0\x05\0\0\0XYZ", 11));
  TBitmap32 D;
  D.SetSize(3, 3);
  int Changes = 0;
  D.OnChange = [&](TObject*) { ++Changes; };
  D.ReadRawData(Z);
  EXPECT_TRUE(D.IsEmpty());
  EXPECT_EQ(Z.tellg(), 8);
  EXPECT_GE(Changes, 1);

  // A truncated stream raises and still notifies.
  std::stringstream T(std::string("\x02\0\0\0\x02\0\0\0\1\2", 10));
  Changes = 0;
  EXPECT_THROW(D.ReadRawData(T), EReadError);
  EXPECT_GE(Changes, 1);
}

TEST(Bitmap32, FilesAndReaderRegistry) {
  const auto Dir = std::filesystem::temp_directory_path() / "pelmora_bitmap32_test";
  std::filesystem::create_directories(Dir);
  TBitmap32 B;
  B.SetSize(5, 4);
  B.Clear(0x80A0B0C0);
  const std::string Name = (Dir / "pic.BMP").string();
  B.SaveToFile(Name);
  TBitmap32 C;
  C.LoadFromFile(Name);  // the extension matches in any case
  EXPECT_TRUE(C.EqualsForStreaming(B));

  C.Clear(0xFF010101);
  try {
    C.LoadFromFile((Dir / "pic.xyz").string());
    FAIL();
  } catch (const EInvalidGraphic& E) {
    EXPECT_STREQ(E.what(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_THROW(C.LoadFromFile((Dir / "missing.bmp").string()), EFileError);
  EXPECT_EQ(C.GetPixel(0, 0), 0xFF010101u);  // unchanged after a failed load

  std::ofstream((Dir / "bad.bmp").string()) << "BMnot really a bitmap";
  EXPECT_THROW(C.LoadFromFile((Dir / "bad.bmp").string()), EInvalidGraphic);
  EXPECT_EQ(C.GetPixel(0, 0), 0xFF010101u);
  std::filesystem::remove_all(Dir);
}

TEST(Bitmap32, FileStreamAndBytesFormsAreTheSameBytes) {
  const auto Dir = std::filesystem::temp_directory_path() / "pelmora_bitmap32_forms";
  std::filesystem::create_directories(Dir);
  for (auto [W, H] : {std::pair{1, 1}, {3, 2}, {5, 1100}}) {
    TBitmap32 B;
    B.SetSize(W, H);
    for (int32_t Y = 0; Y < H; ++Y)
      for (int32_t X = 0; X < W; ++X)
        B.SetPixel(X, Y, uint32_t(X) * 0x01030507u + uint32_t(Y) * 0x0B0D1113u);
    const std::vector<uint8_t> Bytes = B.SaveToBytes();
    std::ostringstream S;
    B.SaveToStream(S);
    const std::string Name = (Dir / "forms.bmp").string();
    B.SaveToFile(Name);
    std::ifstream F(Name, std::ios::binary);
    const std::string File{std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>()};
    ASSERT_EQ(Bytes.size(), 54 + size_t(W) * H * 4) << W << "x" << H;
    EXPECT_EQ(S.str(), std::string(Bytes.begin(), Bytes.end())) << W << "x" << H;
    EXPECT_EQ(File, std::string(Bytes.begin(), Bytes.end())) << W << "x" << H;
  }
  std::filesystem::remove_all(Dir);
}

TEST(Bitmap32, SetSizeForOverwriteSizesLikeSetSize) {
  TBitmap32 B;
  TChangeCounter N;
  N.Attach(B);
  EXPECT_TRUE(B.SetSizeForOverwrite(3, 2));
  EXPECT_EQ(B.Width(), 3);
  EXPECT_EQ(B.Height(), 2);
  EXPECT_EQ(N.Resizes, 1);
  B.Clear(0xFF112233);
  EXPECT_FALSE(B.SetSizeForOverwrite(3, 2));  // the same size keeps the pixels
  EXPECT_EQ(B.GetPixel(2, 1), 0xFF112233u);
  EXPECT_TRUE(B.SetSizeForOverwrite(0, 5));
  EXPECT_TRUE(B.IsEmpty());
  EXPECT_THROW(B.SetSizeForOverwrite(1 << 15, 1 << 14), EBitmapError);
  EXPECT_TRUE(B.IsEmpty());
}

TEST(Bitmap32, LoadingABmpFileNotifiesLikeAssign) {
  const auto Dir = std::filesystem::temp_directory_path() / "pelmora_bitmap32_notify";
  std::filesystem::create_directories(Dir);
  TBitmap32 Source;
  Source.SetSize(4, 3);
  Source.Clear(0x80402010);
  const std::string Name = (Dir / "n.bmp").string();
  Source.SaveToFile(Name);
  struct Case {
    const char* Name;
    int32_t W, H;
    int Resizes;
  };
  for (const Case C : {Case{"other size", 2, 2, 1}, Case{"same size", 4, 3, 0}}) {
    TBitmap32 B;
    B.SetSize(C.W, C.H);
    TChangeCounter N;
    N.Attach(B);
    B.LoadFromFile(Name);
    EXPECT_EQ(N.Resizes, C.Resizes) << C.Name;
    EXPECT_EQ(N.Changes, 1) << C.Name;
    EXPECT_TRUE(B.EqualsForStreaming(Source)) << C.Name;
  }
  std::filesystem::remove_all(Dir);
}

// The generation tells the undo history whether a stored copy still holds a bitmap's pixels:
// every change notification, size change and buffer exchange gives a number no bitmap had.
TEST(Bitmap32, GenerationMovesWithEveryChange) {
  TBitmap32 A, B;
  EXPECT_NE(A.Generation(), B.Generation());
  std::vector<uint64_t> Seen = {A.Generation(), B.Generation()};
  const auto Moved = [&](const TBitmap32& Bmp) {
    const bool New = std::find(Seen.begin(), Seen.end(), Bmp.Generation()) == Seen.end();
    Seen.push_back(Bmp.Generation());
    return New;
  };
  A.SetSize(4, 3);
  EXPECT_TRUE(Moved(A));
  const uint64_t Sized = A.Generation();
  A.SetSize(4, 3);  // the same size: nothing changes
  EXPECT_EQ(A.Generation(), Sized);
  A.BeginUpdate();
  A.SetPixel(1, 1, 0xFF123456);
  A.Changed();  // inside an update bracket too
  A.EndUpdate();
  EXPECT_TRUE(Moved(A));
  A.SetMasterAlpha(10);
  EXPECT_TRUE(Moved(A));
  A.SwapContents(B);
  EXPECT_TRUE(Moved(A));
  EXPECT_TRUE(Moved(B));
  const uint64_t Still = B.Generation();
  (void)B.GetPixel(1, 1);
  EXPECT_EQ(B.Generation(), Still);
}

// Card-sized buffers live in mappings of their own: they start zeroed (SetSize), keep what is
// written, change hands with SwapContents and are given back at any size, small or large.
TEST(TBitmap32Test, LargeBuffersAcrossSizesAndSwaps) {
  TBitmap32 A, B;
  A.SetSize(2480, 3508);  // A4 at 300 dpi
  ASSERT_FALSE(A.IsEmpty());
  EXPECT_EQ(reinterpret_cast<uintptr_t>(A.Bits()) % (2u << 20), 0u)
      << "starts on a large-page boundary";
  const size_t N = size_t(A.Width()) * size_t(A.Height());
  EXPECT_TRUE(std::all_of(A.Bits(), A.Bits() + N, [](TColor32 C) { return C == 0; }));
  A.SetPixel(2479, 3507, 0xFF010203);
  B.SetSize(3, 2);
  B.SetPixel(2, 1, 0xFF0A0B0C);
  A.SwapContents(B);
  EXPECT_EQ(A.Width(), 3);
  EXPECT_EQ(A.GetPixel(2, 1), 0xFF0A0B0Cu);
  EXPECT_EQ(B.GetPixel(2479, 3507), 0xFF010203u);
  // Just under and just over the size that gets a mapping, then back to small, then empty.
  for (const auto& [W, H] : {std::pair{1024, 1023}, std::pair{1024, 1025}, std::pair{5, 5},
                             std::pair{4096, 4096}, std::pair{0, 0}}) {
    B.SetSizeForOverwrite(W, H);
    if (W > 0) {
      B.SetPixel(W - 1, H - 1, 0xFF445566);
      EXPECT_EQ(B.GetPixel(W - 1, H - 1), 0xFF445566u);
    }
  }
  EXPECT_TRUE(B.IsEmpty());
}
