#include "project_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "bitmap_layer.h"
#include "card_document.h"
#include "color_reduction.h"
#include "gif_codec.h"
#include "open_document.h"
#include "png_codec.h"

namespace fs = std::filesystem;

namespace {

using TBytes = std::vector<uint8_t>;

void Put32(uint8_t* P, uint32_t V) {
  for (int I = 0; I < 4; ++I) P[I] = static_cast<uint8_t>(V >> (8 * I));
}

uint32_t Get32(const uint8_t* P) {
  return uint32_t{P[0]} | (uint32_t{P[1]} << 8) | (uint32_t{P[2]} << 16) | (uint32_t{P[3]} << 24);
}

// A bitmap whose every pixel differs, some of them translucent, so that row order, channel
// order and the alpha byte all show.
std::unique_ptr<TBitmap32> Pattern(int W, int H, uint32_t Seed) {
  auto B = std::make_unique<TBitmap32>();
  B->SetSize(W, H);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X)
      B->SetPixel(X, Y, (Seed * 2654435761u) ^ (uint32_t(Y) << 16) ^ (uint32_t(X) * 40503u));
  return B;
}

bool SamePixels(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         (A.IsEmpty() || std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * A.Height() * 4) == 0);
}

// The record the file must hold for a bitmap layer, written out field by field.
TBytes ExpectedRecord(uint32_t Alpha, TSingleRect R, bool Scaled, bool Cropped, bool Interp) {
  TBytes Rec(108, 0);
  Rec[0] = 6;
  std::memcpy(&Rec[1], "bitmap", 6);
  Put32(&Rec[72], Alpha);
  Put32(&Rec[76], std::bit_cast<uint32_t>(R.Left));
  Put32(&Rec[80], std::bit_cast<uint32_t>(R.Top));
  Put32(&Rec[84], std::bit_cast<uint32_t>(R.Right));
  Put32(&Rec[88], std::bit_cast<uint32_t>(R.Bottom));
  Rec[92] = Scaled;
  Rec[93] = Cropped;
  Rec[104] = Interp;
  return Rec;
}

// The items of a project file taken apart the plain way: tail, size list, then the parts
// cut off one after another from the start.
struct TParsed {
  std::string SizeList;
  std::vector<TBytes> Parts;
};

TParsed Parse(const TBytes& File) {
  TParsed P;
  const uint32_t Tail = Get32(File.data() + File.size() - 4);
  const size_t ListStart = File.size() - Tail;
  P.SizeList.assign(File.begin() + ListStart, File.end() - 4);
  size_t Offset = 0, Pos = 0;
  while (Pos < P.SizeList.size()) {
    const size_t End = P.SizeList.find("\r\n", Pos);
    const size_t Len = std::stoul(P.SizeList.substr(Pos, End - Pos));
    P.Parts.emplace_back(File.begin() + Offset, File.begin() + Offset + Len);
    Offset += Len;
    Pos = End + 2;
  }
  EXPECT_EQ(Offset, ListStart);
  return P;
}

struct TProjectFixture : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  fs::path Dir;

  void SetUp() override {
    View.SetBounds(1000, 700);
    Dir = fs::temp_directory_path() /
          ("pelmora_project_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }

  TBitmapLayer* AddLayer(const TBitmap32& B, TSingleRect Loc, uint32_t Alpha = 255) {
    TBitmapLayer* L = Doc.AddPictureLayer(B, Alpha);
    L->SetLocation(Loc);
    return L;
  }

  static void WriteBytes(const std::string& Name, const TBytes& Data) {
    std::ofstream(Name, std::ios::binary)
        .write(reinterpret_cast<const char*>(Data.data()), std::streamsize(Data.size()));
  }
  static TBytes ReadBytes(const std::string& Name) {
    std::ifstream In(Name, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
  }

  std::vector<TBitmapLayer*> BitmapLayers() {
    std::vector<TBitmapLayer*> Out;
    for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
      if (auto* B = dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I)))
        Out.push_back(B);
    return Out;
  }
};

}  // namespace

TEST_F(TProjectFixture, CardWithOnePhotoByteForByte) {
  Doc.NewCanvas(800, 600, 0xFFFFFFFF);
  Doc.Canvas().SetPixel(0, 0, 0x80112233);  // canvas alpha is stored too
  const std::unique_ptr<TBitmap32> Photo = Pattern(31, 17, 1);
  const TSingleRect Loc{10.5f, -20.25f, 410.5f, 179.75f};
  TBitmapLayer* L = AddLayer(*Photo, Loc, 200);
  L->SetCropped(true);
  L->Bitmap()->SetStretchFilter(sfLinear);
  ASSERT_EQ(Doc.Layers().Count(), 2);  // photo, frame

  const TBytes File = BuildProject(Doc);
  const TParsed P = Parse(File);
  const size_t PhotoLen = 54 + 31 * 17 * 4;
  EXPECT_EQ(P.SizeList, std::to_string(PhotoLen) + "\r\n1920054\r\n108\r\n");
  EXPECT_EQ(Get32(File.data() + File.size() - 4), P.SizeList.size() + 4);
  EXPECT_EQ(File.size(), PhotoLen + 1920054 + 108 + P.SizeList.size() + 4);
  ASSERT_EQ(P.Parts.size(), 3u);
  EXPECT_EQ(P.Parts[0], L->Bitmap()->SaveToBytes());
  EXPECT_EQ(P.Parts[1], Doc.Canvas().SaveToBytes());
  EXPECT_EQ(P.Parts[2], ExpectedRecord(200, Loc, true, true, true));

  WriteProject(Doc, Path("card.kvt"));
  EXPECT_EQ(ReadBytes(Path("card.kvt")), File);

  TImgView32 View2;
  TCardDocument Doc2(View2);
  View2.SetScale(2.5f);
  ReadProject(Path("card.kvt"), Doc2);
  ASSERT_EQ(Doc2.Layers().Count(), 2);
  auto* R = dynamic_cast<TBitmapLayer*>(Doc2.Layers().Items(0));
  ASSERT_NE(R, nullptr);
  EXPECT_EQ(Doc2.Layers().Items(1), Doc2.RBLayer());
  EXPECT_EQ(Doc2.Selected(), R);
  EXPECT_EQ(R->Location(), Loc);
  EXPECT_EQ(R->Bitmap()->MasterAlpha(), 200u);
  EXPECT_TRUE(R->Scaled());
  EXPECT_TRUE(R->Cropped());
  EXPECT_EQ(R->Bitmap()->StretchFilter(), sfLinear);
  EXPECT_EQ(R->Bitmap()->DrawMode(), dmBlend);
  EXPECT_EQ(R->Tag, 0);
  EXPECT_TRUE(SamePixels(*R->Bitmap(), *Photo));
  EXPECT_TRUE(SamePixels(Doc2.Canvas(), Doc.Canvas()));
  EXPECT_FLOAT_EQ(View2.Scale(), 1.0f);
}

TEST_F(TProjectFixture, RecordFieldsRoundTrip) {
  struct Case {
    const char* Name;
    uint32_t Alpha;
    TSingleRect Loc;
    bool Scaled, Cropped;
    TStretchFilter Filter;
  };
  const Case Cases[] = {
      {"all off", 0, {0, 0, 1, 1}, false, false, sfNearest},
      {"all on", 255, {-5.125f, 3, 1e5f, 7.75f}, true, true, sfLinear},
      {"spline counts as interpolated", 17, {1, 2, 3, 4}, true, false, sfSpline},
  };
  for (const Case& C : Cases) {
    Doc.NewCanvas(8, 6, 0xFF000000);
    TBitmapLayer* L = AddLayer(*Pattern(3, 2, 7), C.Loc, C.Alpha);
    L->SetScaled(C.Scaled);
    L->SetCropped(C.Cropped);
    L->Bitmap()->SetStretchFilter(C.Filter);
    const TParsed P = Parse(BuildProject(Doc));
    ASSERT_EQ(P.Parts.size(), 3u) << C.Name;
    EXPECT_EQ(P.Parts[2],
              ExpectedRecord(C.Alpha, C.Loc, C.Scaled, C.Cropped, C.Filter != sfNearest))
        << C.Name;

    WriteProject(Doc, Path("r.kvt"));
    ReadProject(Path("r.kvt"), Doc);
    ASSERT_EQ(BitmapLayers().size(), 1u) << C.Name;
    TBitmapLayer* R = BitmapLayers()[0];
    EXPECT_EQ(R->Location(), C.Loc) << C.Name;
    EXPECT_EQ(R->Bitmap()->MasterAlpha(), C.Alpha) << C.Name;
    EXPECT_EQ(R->Scaled(), C.Scaled) << C.Name;
    EXPECT_EQ(R->Cropped(), C.Cropped) << C.Name;
    EXPECT_EQ(R->Bitmap()->StretchFilter(), C.Filter == sfNearest ? sfNearest : sfLinear) << C.Name;
  }
}

TEST_F(TProjectFixture, AreaLayerGetsAZeroRecordAndIsNotReadBack) {
  Doc.NewCanvas(20, 10, 0xFF0000FF);
  AddLayer(*Pattern(4, 4, 2), {1, 1, 5, 5});
  TPositionedLayer* Area = Doc.CreatePositionedLayer();
  Area->Tag = TagSelectionArea;
  Doc.SetSelection(Area);
  ASSERT_EQ(Doc.Layers().Count(), 3);  // photo, area, frame

  const TParsed P = Parse(BuildProject(Doc));
  ASSERT_EQ(P.Parts.size(), 3u);
  EXPECT_EQ(P.SizeList, "118\r\n854\r\n216\r\n");
  EXPECT_EQ(TBytes(P.Parts[2].begin(), P.Parts[2].begin() + 108),
            ExpectedRecord(255, {1, 1, 5, 5}, true, false, false));
  EXPECT_EQ(TBytes(P.Parts[2].begin() + 108, P.Parts[2].end()), TBytes(108, 0));

  WriteProject(Doc, Path("area.kvt"));
  const std::unique_ptr<TBitmap32> Want = Pattern(4, 4, 2);
  ReadProject(Path("area.kvt"), Doc);
  ASSERT_EQ(Doc.Layers().Count(), 2);
  ASSERT_EQ(BitmapLayers().size(), 1u);
  EXPECT_TRUE(SamePixels(*BitmapLayers()[0]->Bitmap(), *Want));
  EXPECT_EQ(Doc.Selected(), BitmapLayers()[0]);
}

TEST_F(TProjectFixture, ThreePhotosKeepTheirStackOrder) {
  Doc.NewCanvas(40, 30, 0xFFFFFFFF);
  TBitmapLayer* A = AddLayer(*Pattern(2, 2, 10), {0, 0, 2, 2});
  TBitmapLayer* B = AddLayer(*Pattern(3, 2, 11), {5, 5, 8, 7});
  TBitmapLayer* C = AddLayer(*Pattern(2, 3, 12), {9, 9, 11, 12});
  C->SendToBack();  // stack: C, A, B, frame
  Doc.SetSelection(A);
  const std::vector<TBitmap32*> Want = {C->Bitmap(), A->Bitmap(), B->Bitmap()};
  std::vector<TBytes> Streams;
  for (TBitmap32* W : Want) Streams.push_back(W->SaveToBytes());

  const TParsed P = Parse(BuildProject(Doc));
  ASSERT_EQ(P.Parts.size(), 5u);
  for (size_t I = 0; I < 3; ++I) EXPECT_EQ(P.Parts[I], Streams[I]) << I;
  EXPECT_EQ(P.Parts[4].size(), 3 * 108u);

  WriteProject(Doc, Path("three.kvt"));
  ReadProject(Path("three.kvt"), Doc);
  ASSERT_EQ(Doc.Layers().Count(), 4);
  const std::vector<TBitmapLayer*> Got = BitmapLayers();
  ASSERT_EQ(Got.size(), 3u);
  for (size_t I = 0; I < 3; ++I) {
    EXPECT_EQ(Got[I]->Index(), int32_t(I));
    EXPECT_EQ(Got[I]->Bitmap()->SaveToBytes(), Streams[I]) << I;
  }
  EXPECT_EQ(Doc.Selected(), Got[2]);
  EXPECT_EQ(Doc.Layers().Items(3), Doc.RBLayer());
  EXPECT_EQ(Doc.RBLayer()->ChildLayer(), Got[2]);
}

TEST_F(TProjectFixture, EmptyStackIsCanvasAndOneLineSizeList) {
  Doc.NewCanvas(5, 3, 0xFF00FF00);
  const TBytes File = BuildProject(Doc);
  const TParsed P = Parse(File);
  EXPECT_EQ(P.SizeList, "114\r\n");
  EXPECT_EQ(File.size(), 114u + 5 + 4);
  EXPECT_EQ(P.Parts[0], Doc.Canvas().SaveToBytes());

  // Opening it into a card with layers gives the canvas alone, nothing selected.
  WriteProject(Doc, Path("empty.kvt"));
  Doc.NewCanvas(9, 9, 0xFFFFFFFF);
  AddLayer(*Pattern(2, 2, 3), {0, 0, 2, 2});
  ReadProject(Path("empty.kvt"), Doc);
  EXPECT_EQ(Doc.Layers().Count(), 0);
  EXPECT_EQ(Doc.Selected(), nullptr);
  EXPECT_EQ(Doc.RBLayer(), nullptr);
  EXPECT_EQ(Doc.Canvas().Width(), 5);
  EXPECT_EQ(Doc.Canvas().GetPixel(4, 2), 0xFF00FF00u);
}

TEST_F(TProjectFixture, OnlyTheSelectionFrameIsLeftOut) {
  // A stack whose top entry is a layer (no frame yet) stores that layer too.
  Doc.NewCanvas(6, 6, 0xFF000000);
  auto* L = Doc.Layers().Add<TBitmapLayer>();
  L->Bitmap()->Assign(Pattern(2, 2, 4).get());
  const TParsed P = Parse(BuildProject(Doc));
  ASSERT_EQ(P.Parts.size(), 3u);
  EXPECT_EQ(P.Parts[0], L->Bitmap()->SaveToBytes());
}

TEST_F(TProjectFixture, OwnStreamFormReadsAsTheBmpReaderReadsIt) {
  // Our own 32-bit streams go straight into the pixels; the result must equal the BMP
  // reader's for every shape, including one-pixel and odd sizes.
  const std::pair<int, int> Sizes[] = {{1, 1}, {1, 7}, {7, 1}, {13, 5}, {64, 3}};
  for (const auto& [W, H] : Sizes) {
    Doc.NewCanvas(W + 1, H, 0xFF000000);
    AddLayer(*Pattern(W, H, uint32_t(W * 100 + H)), {0, 0, 1, 1});
    const TBytes File = BuildProject(Doc);
    const std::unique_ptr<TProjectContent> C = ReadProjectBytes(File.data(), File.size(), "m");
    const TParsed P = Parse(File);
    TBitmap32 Reference;
    Reference.LoadFromBytes(P.Parts[0].data(), P.Parts[0].size());
    ASSERT_EQ(C->Layers.Count(), 1);
    EXPECT_TRUE(SamePixels(*static_cast<TBitmapLayer*>(C->Layers.Items(0))->Bitmap(), Reference))
        << W << "x" << H;
    Reference.LoadFromBytes(P.Parts[1].data(), P.Parts[1].size());
    EXPECT_TRUE(SamePixels(C->Canvas, Reference)) << W << "x" << H;
  }
}

TEST_F(TProjectFixture, OtherBmpFormsInsideAProjectGoThroughTheBmpReader) {
  // A 2 x 2 24-bit BMP (rows padded to 8 bytes) as the canvas stream: read opaque.
  TBytes Bmp(54 + 16, 0);
  Bmp[0] = 'B';
  Bmp[1] = 'M';
  Put32(&Bmp[2], 70);
  Put32(&Bmp[10], 54);
  Put32(&Bmp[14], 40);
  Put32(&Bmp[18], 2);
  Put32(&Bmp[22], 2);
  Bmp[26] = 1;
  Bmp[28] = 24;
  const uint8_t Rows[16] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0, 0,
                            0x70, 0x80, 0x90, 0xA0, 0xB0, 0xC0, 0, 0};
  std::memcpy(&Bmp[54], Rows, 16);
  TBytes File = Bmp;
  const std::string List = "70\r\n";
  File.insert(File.end(), List.begin(), List.end());
  File.resize(File.size() + 4);
  Put32(&File[File.size() - 4], uint32_t(List.size() + 4));
  const std::unique_ptr<TProjectContent> C = ReadProjectBytes(File.data(), File.size(), "x");
  ASSERT_EQ(C->Canvas.Width(), 2);
  EXPECT_EQ(C->Canvas.GetPixel(0, 1), 0xFF302010u);  // bottom row first in the file
  EXPECT_EQ(C->Canvas.GetPixel(1, 0), 0xFFC0B0A0u);
}

// ---- Damaged projects --------------------------------------------------------------------

namespace {

// A small valid project: a 3 x 2 photo on a 4 x 4 canvas.
struct TSample {
  TBytes File;
  size_t PhotoLen, CanvasLen, ListStart;
};

TSample MakeSample() {
  TImgView32 V;
  TCardDocument D(V);
  D.NewCanvas(4, 4, 0xFFFFFFFF);
  D.AddPictureLayer(*Pattern(3, 2, 9), 255)->SetLocation({0, 0, 3, 2});
  TSample S;
  S.File = BuildProject(D);
  S.PhotoLen = 54 + 24;
  S.CanvasLen = 54 + 64;
  S.ListStart = S.PhotoLen + S.CanvasLen + 108;
  return S;
}

// The sample with its size list replaced (the tail follows the new list).
TBytes WithSizeList(const TSample& S, const std::string& List) {
  TBytes F(S.File.begin(), S.File.begin() + S.ListStart);
  F.insert(F.end(), List.begin(), List.end());
  F.resize(F.size() + 4);
  Put32(&F[F.size() - 4], uint32_t(List.size() + 4));
  return F;
}

TBytes WithTail(TBytes F, uint32_t Tail) {
  Put32(&F[F.size() - 4], Tail);
  return F;
}

}  // namespace

TEST_F(TProjectFixture, DamagedProjectsAreRefusedAndTheOpenCardStays) {
  const TSample S = MakeSample();
  const size_t Rec = S.PhotoLen + S.CanvasLen;
  const auto Patch = [&](size_t At, uint8_t V) {
    TBytes F = S.File;
    F[At] = V;
    return F;
  };
  const auto Record32 = [&](size_t Field, uint32_t V) {
    TBytes F = S.File;
    Put32(&F[Rec + Field], V);
    return F;
  };
  const std::string P = std::to_string(S.PhotoLen), C = std::to_string(S.CanvasLen);
  struct Case {
    const char* Name;
    TBytes File;
  };
  const Case Cases[] = {
      {"empty file", {}},
      {"shorter than the tail", {7, 0, 0}},
      {"tail only", WithTail({0, 0, 0, 0}, 4)},
      {"tail larger than the file", WithTail(S.File, uint32_t(S.File.size() + 1))},
      {"tail zero", WithTail(S.File, 0)},
      {"tail negative", WithTail(S.File, 0xFFFFFFF0u)},
      {"tail covers the streams", WithTail(S.File, uint32_t(S.File.size() - 10))},
      {"truncated in the middle", TBytes(S.File.begin(), S.File.begin() + S.File.size() / 2)},
      {"last byte cut off", TBytes(S.File.begin(), S.File.end() - 1)},
      {"size list of text garbage", WithSizeList(S, "abc\r\ndef\r\n")},
      {"size list empty lines", WithSizeList(S, "\r\n\r\n\r\n")},
      {"negative length", WithSizeList(S, "-" + P + "\r\n" + C + "\r\n108\r\n")},
      {"huge length", WithSizeList(S, "99999999999999999999999\r\n" + C + "\r\n108\r\n")},
      {"length past the file", WithSizeList(S, "4294967295\r\n" + C + "\r\n108\r\n")},
      {"lengths short of the data", WithSizeList(S, P + "\r\n" + C + "\r\n0\r\n")},
      {"gap before the records",
       [&] {
         TBytes F = S.File;
         F.insert(F.begin() + long(Rec), 10, 0);
         return F;
       }()},
      {"streams overlap",
       WithSizeList(S, std::to_string(S.PhotoLen + 54) + "\r\n" + C + "\r\n108\r\n")},
      {"streams shifted", WithSizeList(S, std::to_string(S.PhotoLen + 54) + "\r\n" +
                                              std::to_string(S.CanvasLen - 54) + "\r\n108\r\n")},
      {"record block not a multiple of 108",
       WithSizeList(S, P + "\r\n" + std::to_string(S.CanvasLen + 1) + "\r\n107\r\n")},
      {"record block lost",
       WithSizeList(S, P + "\r\n" + std::to_string(S.CanvasLen + 108) + "\r\n")},
      {"more streams than bitmap records", Patch(Rec + 6, 'q')},
      {"opacity over 255", Record32(72, 256)},
      {"location not a number", Record32(76, 0x7FC00000)},
      {"location infinite", Record32(88, 0x7F800000)},
      {"location absurd", Record32(84, std::bit_cast<uint32_t>(3e9f))},
      {"photo stream not a BMP", Patch(0, 'X')},
      {"canvas stream not a BMP", Patch(S.PhotoLen, 'X')},
  };

  Doc.NewCanvas(30, 20, 0xFF123456);
  TBitmapLayer* L = AddLayer(*Pattern(5, 5, 1), {1, 2, 6, 7}, 99);
  Doc.Modified = true;
  const TBytes Before = BuildProject(Doc);
  for (const Case& Cs : Cases) {
    EXPECT_THROW(ReadProjectBytes(Cs.File.data(), Cs.File.size(), "mem"), EProjectError) << Cs.Name;
    const std::string Name = Path("bad.kvt");
    WriteBytes(Name, Cs.File);
    try {
      OpenDocument(Name, Doc);
      ADD_FAILURE() << Cs.Name << ": opened";
    } catch (const EProjectError& E) {
      const std::string Want = "Файл повреждён или не является проектом: " + Name;
      EXPECT_EQ(std::string(E.what()).compare(0, Want.size(), Want), 0) << Cs.Name << E.what();
      EXPECT_EQ(std::string(E.what()).find('\n'), std::string::npos) << Cs.Name;
    }
    EXPECT_EQ(BuildProject(Doc), Before) << Cs.Name;
    EXPECT_EQ(Doc.Selected(), L) << Cs.Name;
    EXPECT_TRUE(Doc.Modified) << Cs.Name;
  }
  // The sample itself is fine, and so is a size list ended by bare line feeds.
  EXPECT_NO_THROW(ReadProjectBytes(S.File.data(), S.File.size(), "mem"));
  const TBytes Lf = WithSizeList(S, P + "\n" + C + "\n108");
  EXPECT_NO_THROW(ReadProjectBytes(Lf.data(), Lf.size(), "mem"));
}

TEST_F(TProjectFixture, MissingFileNamesTheFile) {
  Doc.NewCanvas(3, 3, 0xFFFFFFFF);
  try {
    ReadProject(Path("none.kvt"), Doc);
    ADD_FAILURE();
  } catch (const EProjectError& E) {
    EXPECT_NE(std::string(E.what()).find(Path("none.kvt")), std::string::npos) << E.what();
  }
  EXPECT_EQ(Doc.Canvas().Width(), 3);
}

// ---- Writing safely ----------------------------------------------------------------------

TEST_F(TProjectFixture, FailedWriteLeavesNoFileBehind) {
  Doc.NewCanvas(4, 4, 0xFFFFFFFF);
  fs::create_directory(Dir / "taken.kvt");  // a folder where the file should go
  EXPECT_THROW(WriteProject(Doc, Path("taken.kvt")), EProjectError);
  EXPECT_THROW(WriteProject(Doc, Path("no/such/folder.kvt")), EProjectError);
  size_t Entries = 0;
  for ([[maybe_unused]] const auto& E : fs::directory_iterator(Dir)) ++Entries;
  EXPECT_EQ(Entries, 1u);
}

// What the reader would refuse is not written: a layer or canvas past a side of 65535 pixels is
// refused before the file is touched; one at the limit is written and read back.
TEST_F(TProjectFixture, OnlyWhatReadsBackIsWritten) {
  const std::string Name = Path("card.kvt");
  WriteBytes(Name, {1, 2, 3});
  struct TCase {
    int32_t LayerW, LayerH, CanvasW, CanvasH;
    bool Written;
  };
  const TCase Cases[] = {
      {65535, 2, 4, 4, true},  {2, 65535, 4, 4, true},  {65536, 2, 4, 4, false},
      {2, 65536, 4, 4, false}, {4, 4, 65536, 1, false}, {4, 4, 1, 65535, true},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(testing::Message()
                 << C.LayerW << " x " << C.LayerH << " on " << C.CanvasW << " x " << C.CanvasH);
    Doc.NewCanvas(C.CanvasW, C.CanvasH, 0xFF123456);
    TBitmap32 Layer;
    Layer.SetSize(C.LayerW, C.LayerH);
    Layer.Clear(0x80FF0000);
    AddLayer(Layer, {0, 0, 4, 4});
    if (!C.Written) {
      try {
        WriteProject(Doc, Name);
        ADD_FAILURE() << "written";
      } catch (const EProjectError& E) {
        EXPECT_NE(std::string(E.what()).find("слишком велик"), std::string::npos) << E.what();
      }
      EXPECT_EQ(ReadBytes(Name), (TBytes{1, 2, 3}));
      continue;
    }
    WriteProject(Doc, Name);
    const auto Back = ReadProjectFile(Name);
    ASSERT_EQ(Back->Layers.Count(), 1);
    EXPECT_TRUE(SamePixels(*dynamic_cast<TBitmapLayer*>(Back->Layers.Items(0))->Bitmap(), Layer));
    EXPECT_EQ(Back->Canvas.Width(), C.CanvasW);
    WriteBytes(Name, {1, 2, 3});
  }
}

TEST_F(TProjectFixture, OverwriteKeepsThePermissionsOfTheOldFile) {
  Doc.NewCanvas(4, 4, 0xFFFFFFFF);
  const std::string Name = Path("card.kvt");
  WriteBytes(Name, {1, 2, 3});
  ::chmod(Name.c_str(), 0640);
  WriteProject(Doc, Name);
  struct stat St {};
  ASSERT_EQ(::stat(Name.c_str(), &St), 0);
  EXPECT_EQ(St.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadBytes(Name), BuildProject(Doc));
}

// ---- Opening and saving by name ----------------------------------------------------------

TEST_F(TProjectFixture, ExtensionRules) {
  struct Case {
    const char* Name;
    TOpenKind Open;
    std::optional<TSaveFormat> Save;
  };
  const Case Cases[] = {
      {"card.kvt", okProject, TSaveFormat::Project},
      {"card.KVT", okProject, TSaveFormat::Project},
      {"card.Kvt", okPicture, std::nullopt},
      {"card.kvt.kvt", okProject, TSaveFormat::Project},
      {"a.gif", okGif, TSaveFormat::Gif},
      {"a.GIF", okGif, TSaveFormat::Gif},
      {"a.Gif", okPicture, std::nullopt},
      {"a.jpg", okPicture, TSaveFormat::Jpeg},
      {"a.JPEG", okPicture, TSaveFormat::Jpeg},
      {"a.Jpg", okPicture, std::nullopt},
      {"a.BMP", okPicture, TSaveFormat::Bmp},
      {"a.png", okPicture, std::nullopt},
      {"dir.kvt/card", okPicture, std::nullopt},
      {"noext", okPicture, std::nullopt},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(OpenKindFor(C.Name), C.Open) << C.Name;
    EXPECT_EQ(SaveFormatFor(C.Name), C.Save) << C.Name;
  }
  EXPECT_EQ(SaveAsFileName("card.kvt", TSaveFormat::Project), "card.kvt.kvt");
  EXPECT_EQ(SaveAsFileName("card", TSaveFormat::Project), "card.kvt");
  EXPECT_EQ(SaveAsFileName("card", TSaveFormat::Tiff), "card.tif");
}

TEST_F(TProjectFixture, UpperCaseProjectOpensMixedCaseGoesToThePictureReaders) {
  Doc.NewCanvas(6, 4, 0xFF00FF00);
  AddLayer(*Pattern(2, 2, 5), {1, 1, 3, 3});
  WriteProject(Doc, Path("card.KVT"));
  WriteProject(Doc, Path("card.Kvt"));
  const TBytes Saved = BuildProject(Doc);

  TImgView32 View2;
  TCardDocument Doc2(View2);
  Doc2.NewCanvas(2, 2, 0xFFFFFFFF);
  EXPECT_ANY_THROW(OpenDocument(Path("card.Kvt"), Doc2));
  EXPECT_EQ(Doc2.Canvas().Width(), 2);
  OpenDocument(Path("card.KVT"), Doc2);
  EXPECT_EQ(BuildProject(Doc2), Saved);
  EXPECT_FALSE(Doc2.Modified);
}

TEST_F(TProjectFixture, SaveClearsModifiedOnlyAfterSuccess) {
  Doc.NewCanvas(6, 4, 0xFF00FF00);
  TBitmapLayer* L = AddLayer(*Pattern(2, 2, 5), {1, 1, 3, 3});
  Doc.Modified = true;
  EXPECT_FALSE(SaveDocument(Doc, Path("card.png")));  // "Сохранить" writes no PNG
  EXPECT_TRUE(Doc.Modified);
  EXPECT_FALSE(fs::exists(Path("card.png")));

  fs::create_directory(Dir / "busy.kvt");
  EXPECT_THROW(SaveDocument(Doc, Path("busy.kvt")), EProjectError);
  EXPECT_TRUE(Doc.Modified);

  // The upper-case project name saves as a project, and keeps the selection.
  EXPECT_TRUE(SaveDocument(Doc, Path("card.KVT")));
  EXPECT_FALSE(Doc.Modified);
  EXPECT_EQ(Doc.Selected(), L);
  EXPECT_EQ(ReadBytes(Path("card.KVT")), BuildProject(Doc));

  Doc.Modified = true;
  EXPECT_TRUE(SaveDocument(Doc, Path("flat.BMP")));
  EXPECT_FALSE(Doc.Modified);
  TBitmap32 Flat;
  const TBytes Bmp = ReadBytes(Path("flat.BMP"));
  Flat.LoadFromBytes(Bmp.data(), Bmp.size());
  EXPECT_TRUE(SamePixels(Flat, *Doc.RenderFlatImage()));
  for (const char* Name : {"flat.gif", "flat.JPG"}) {
    Doc.Modified = true;
    EXPECT_TRUE(SaveDocument(Doc, Path(Name))) << Name;
    EXPECT_FALSE(Doc.Modified) << Name;
    EXPECT_GT(fs::file_size(Path(Name)), 0u) << Name;
  }
}

TEST_F(TProjectFixture, OpeningAPictureReplacesTheWholeCard) {
  // A translucent PNG of the card's own size must not show the old canvas through.
  TBitmap32 Pic;
  Pic.SetSize(8, 6);
  Pic.Clear(0x00FFFFFF);
  Pic.SetPixel(1, 1, 0xFF102030);
  SavePng(Pic, Path("pic.png"));
  Doc.NewCanvas(8, 6, 0xFFFF0000);
  Doc.Canvas().SetStretchFilter(sfLinear);
  AddLayer(*Pattern(2, 2, 5), {1, 1, 3, 3});
  View.SetScale(3);
  OpenDocument(Path("pic.png"), Doc);
  EXPECT_EQ(Doc.Layers().Count(), 0);
  EXPECT_EQ(Doc.Selected(), nullptr);
  EXPECT_FLOAT_EQ(View.Scale(), 1.0f);
  EXPECT_EQ(Doc.Canvas().GetPixel(1, 1), 0xFF102030u);
  EXPECT_EQ(Doc.Canvas().GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(Doc.Canvas().StretchFilter(), sfLinear);  // the canvas keeps its own filter
  EXPECT_FALSE(Doc.Modified);

  // GIF, by either letter case, through the GIF reader.
  TIndexedBitmap Gif;
  Gif.Width = 3;
  Gif.Height = 2;
  Gif.BitsPerPixel = 1;
  Gif.Palette = {0xFF0000FF, 0xFFFFFF00};
  Gif.Indices = {0, 1, 0, 1, 0, 1};
  for (const char* Name : {"g.gif", "g.GIF"}) {
    SaveGif(Gif, Path(Name));
    OpenDocument(Path(Name), Doc);
    ASSERT_EQ(Doc.Canvas().Width(), 3) << Name;
    EXPECT_EQ(Doc.Canvas().GetPixel(1, 0), 0xFFFFFF00u) << Name;
    EXPECT_EQ(Doc.Canvas().GetPixel(1, 1), 0xFF0000FFu) << Name;
  }

  // A picture that cannot be read leaves the card as it was.
  WriteBytes(Path("bad.png"), {0x89, 'P', 'N', 'G'});
  Doc.Modified = true;
  EXPECT_ANY_THROW(OpenDocument(Path("bad.png"), Doc));
  EXPECT_EQ(Doc.Canvas().Width(), 3);
  EXPECT_TRUE(Doc.Modified);
}

TEST(SaveNames, ProjectBesideAPictureAndTheTypedExtension) {
  struct TCase {
    const char* Current;
    const char* Project;
  };
  for (const TCase& C : {TCase{"/photos/Цветок.jpg", "/photos/Цветок.kvt"},
                         TCase{"/photos/card.kvt", "/photos/card.kvt"},
                         TCase{"/photos/card.KVT", "/photos/card.KVT"},
                         TCase{"/my.photos/IMG_1", "/my.photos/IMG_1.kvt"}, TCase{"", ""}})
    EXPECT_EQ(ProjectNameFor(C.Current), C.Project) << C.Current;
  EXPECT_EQ(TypedSaveName("/a/card.kvt", TSaveFormat::Project), "/a/card");
  EXPECT_EQ(TypedSaveName("/a/card.JPG", TSaveFormat::Jpeg), "/a/card");
  EXPECT_EQ(TypedSaveName("/a/card.jpg", TSaveFormat::Png), "/a/card.jpg");
  EXPECT_EQ(TypedSaveName("/a/card", TSaveFormat::Png), "/a/card");
  EXPECT_EQ(
      SaveAsFileName(TypedSaveName("/a/card.kvt", TSaveFormat::Project), TSaveFormat::Project),
      "/a/card.kvt");
}
