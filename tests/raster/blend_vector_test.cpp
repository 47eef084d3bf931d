// The vector forms of the blend primitives against the scalar forms, bit for bit.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "blend.h"
#include "blend_scalar.h"

namespace {
const char* FormName(TBlendForms Forms);
}  // namespace

// Names the forms in failure messages of the parameterised tests.
static void PrintTo(TBlendForms Forms, std::ostream* Os) {
  *Os << FormName(Forms);
}

namespace {

const char* FormName(TBlendForms Forms) {
  switch (Forms) {
    case TBlendForms::Scalar:
      return "scalar";
    case TBlendForms::SSE2:
      return "sse2";
    case TBlendForms::AVX2:
      return "avx2";
  }
  return "?";
}

std::string Hex(uint32_t V) {
  char Buf[16];
  std::snprintf(Buf, sizeof(Buf), "%08X", V);
  return Buf;
}

// Random values biased towards the ends of the byte range, where the copy and skip cases and
// the carries of the lane arithmetic live.
class TBiasedRandom {
 public:
  explicit TBiasedRandom(uint32_t Seed) : FGen(Seed) {}

  uint32_t Byte() {
    switch (FGen() % 8) {
      case 0:
      case 1:
        return 0;
      case 2:
      case 3:
        return 255;
      case 4:
        return FGen() % 2 == 0 ? 1 : 254;
      case 5:
        return 127 + FGen() % 3;
      default:
        return FGen() & 0xFF;
    }
  }
  uint32_t Color() { return Byte() << 24 | Byte() << 16 | Byte() << 8 | Byte(); }
  // Colour channels uniform, alpha biased.
  uint32_t ColorWithAlpha(uint32_t A) { return A << 24 | (FGen() & 0xFFFFFF); }
  uint32_t Uniform(uint32_t N) { return FGen() % N; }
  uint32_t Bits() { return FGen(); }

 private:
  std::mt19937 FGen;
};

// Master alphas worth checking besides random ones: 0 and 1 change nothing, 255 has no copy.
constexpr uint32_t EdgeMasters[] = {0, 1, 2, 127, 128, 129, 200, 254, 255};

class BlendVectorTest : public testing::TestWithParam<TBlendForms> {
 protected:
  void SetUp() override {
    if (!BlendFormsSupported(GetParam()))
      GTEST_SKIP() << FormName(GetParam()) << " not supported by this processor";
  }
  const TBlendProcs& Procs() const { return BlendProcsFor(GetParam()); }
  const TBlendProcs& Ref() const { return BlendScalar::Procs; }
};

// Every pixel form on one input, compared with the scalar form; stops at the first difference.
::testing::AssertionResult SamePixelResults(const TBlendProcs& P, const TBlendProcs& R, TColor32 X,
                                            TColor32 Y, uint32_t W, uint32_t M) {
  const auto Fail = [&](const char* Name, TColor32 Got, TColor32 Want) {
    return ::testing::AssertionFailure()
           << Name << "(X=" << Hex(X) << ", Y=" << Hex(Y) << ", W=" << W << ", M=" << M << "): got "
           << Hex(Got) << ", want " << Hex(Want);
  };
  if (const TColor32 G = P.MixColor(X, Y, W), E = R.MixColor(X, Y, W); G != E)
    return Fail("MixColor", G, E);
  TColor32 G = Y, E = Y;
  P.MixOnto(X, G, W);
  R.MixOnto(X, E, W);
  if (G != E)
    return Fail("MixOnto", G, E);
  if (const TColor32 G2 = P.BlendColor(X, Y), E2 = R.BlendColor(X, Y); G2 != E2)
    return Fail("BlendColor", G2, E2);
  G = E = Y;
  P.BlendOnto(X, G);
  R.BlendOnto(X, E);
  if (G != E)
    return Fail("BlendOnto", G, E);
  if (const TColor32 G2 = P.BlendColorMaster(X, Y, M), E2 = R.BlendColorMaster(X, Y, M); G2 != E2)
    return Fail("BlendColorMaster", G2, E2);
  G = E = Y;
  P.BlendOntoMaster(X, G, M);
  R.BlendOntoMaster(X, E, M);
  if (G != E)
    return Fail("BlendOntoMaster", G, E);
  return ::testing::AssertionSuccess();
}

// BlendRow, then BlendRowMaster with each master alpha, over copies of Dst.
::testing::AssertionResult SameRowResults(const TBlendProcs& P, const TColor32* Src,
                                          const std::vector<TColor32>& Dst,
                                          std::initializer_list<uint32_t> Masters) {
  const int32_t Count = static_cast<int32_t>(Dst.size());
  const auto Compare = [&](const char* Name, uint32_t M, const std::vector<TColor32>& Got,
                           const std::vector<TColor32>& Want) {
    for (int32_t I = 0; I < Count; ++I)
      if (Got[I] != Want[I])
        return ::testing::AssertionFailure()
               << Name << " (Count " << Count << ", M " << M << ") pixel " << I << ": Src "
               << Hex(Src[I]) << " onto " << Hex(Dst[I]) << " gave " << Hex(Got[I]) << ", want "
               << Hex(Want[I]);
    return ::testing::AssertionSuccess();
  };
  std::vector<TColor32> Got = Dst, Want = Dst;
  P.BlendRow(Src, Got.data(), Count);
  BlendScalar::BlendRow(Src, Want.data(), Count);
  if (auto R = Compare("BlendRow", 255, Got, Want); !R)
    return R;
  for (const uint32_t M : Masters) {
    Got = Want = Dst;
    P.BlendRowMaster(Src, Got.data(), Count, M);
    BlendScalar::BlendRowMaster(Src, Want.data(), Count, M);
    if (auto R = Compare("BlendRowMaster", M, Got, Want); !R)
      return R;
  }
  return ::testing::AssertionSuccess();
}

TEST_P(BlendVectorTest, DocumentedResults) {
  struct TCase {
    const char* Name;
    TColor32 X, Y;
    uint32_t W, M;
    TColor32 MixColor, MixOnto, BlendOnto, BlendOntoMaster;
  };
  const TCase Cases[] = {
      {"white over clear, full weight", 0xFFFFFFFF, 0x00000000, 255, 255, 0xFEFEFEFE, 0xFFFFFFFF,
       0xFFFFFFFF, 0xFDFDFDFD},
      {"zero weight keeps Y", 0xFFFFFFFF, 0x00000000, 0, 1, 0x00000000, 0x00000000, 0xFFFFFFFF,
       0x00000000},
      {"half red onto clear", 0x80FF0000, 0x00000000, 128, 255, 0x40800000, 0x40800000, 0x40800000,
       0x407F0000},
      {"white onto black, master 255", 0xFFFFFFFF, 0xFF000000, 1, 255, 0xFF010101, 0xFF010101,
       0xFFFFFFFF, 0xFFFDFDFD},
      {"transparent source keeps colour", 0x00FFFFFF, 0x7F123456, 0, 255, 0x7F123456, 0x7F123456,
       0x7F123456, 0x7F123456},
  };
  const TBlendProcs& P = Procs();
  for (const TCase& C : Cases) {
    EXPECT_EQ(P.MixColor(C.X, C.Y, C.W), C.MixColor) << C.Name;
    TColor32 Y = C.Y;
    P.MixOnto(C.X, Y, C.W);
    EXPECT_EQ(Y, C.MixOnto) << C.Name;
    Y = C.Y;
    P.BlendOnto(C.X, Y);
    EXPECT_EQ(Y, C.BlendOnto) << C.Name;
    Y = C.Y;
    P.BlendOntoMaster(C.X, Y, C.M);
    EXPECT_EQ(Y, C.BlendOntoMaster) << C.Name;
    // The row forms give the pixel forms' results, alone and inside a longer row.
    for (const int32_t Count : {1, 9, 19}) {
      std::vector<TColor32> Src(Count, C.X), Dst(Count, C.Y);
      P.BlendRow(Src.data(), Dst.data(), Count);
      EXPECT_EQ(Dst[Count - 1], C.BlendOnto) << C.Name << ", row of " << Count;
      std::fill(Dst.begin(), Dst.end(), C.Y);
      P.BlendRowMaster(Src.data(), Dst.data(), Count, C.M);
      EXPECT_EQ(Dst[Count - 1], C.BlendOntoMaster) << C.Name << ", row of " << Count;
    }
  }
}

// Channels are independent, so grey values cover every (X.c, Y.c) pair in every byte position;
// every weight is tried on each pair.
TEST_P(BlendVectorTest, MixAllChannelPairsAndWeights) {
  const TBlendProcs& P = Procs();
  for (uint32_t X = 0; X < 256; ++X)
    for (uint32_t Y = 0; Y < 256; ++Y)
      for (uint32_t W = 0; W < 256; ++W) {
        const TColor32 CX = X * 0x01010101u, CY = Y * 0x01010101u;
        const TColor32 Got = P.MixColor(CX, CY, W), Want = BlendScalar::MixColor(CX, CY, W);
        ASSERT_EQ(Got, Want) << "MixColor(" << Hex(CX) << ", " << Hex(CY) << ", " << W << ")";
      }
}

// Every alpha with every master alpha, on colours with extreme and middle channels.
TEST_P(BlendVectorTest, PixelFormsAllAlphasAndMasters) {
  const TBlendProcs& P = Procs();
  const TColor32 Colors[] = {0x000000, 0xFFFFFF, 0xFF0080, 0x01FE7F};
  const TColor32 Backs[] = {0x00000000, 0xFFFFFFFF, 0x80FF00FF, 0x7F01807E};
  for (const TColor32 C : Colors)
    for (const TColor32 B : Backs)
      for (uint32_t A = 0; A < 256; ++A)
        for (uint32_t M = 0; M < 256; ++M)
          ASSERT_TRUE(SamePixelResults(P, Ref(), A << 24 | C, B, A, M));
}

TEST_P(BlendVectorTest, PixelFormsRandomSweep) {
  const TBlendProcs& P = Procs();
  TBiasedRandom Rnd(20240611);
  for (int I = 0; I < 400000; ++I) {
    const TColor32 X = Rnd.Color(), Y = Rnd.Color();
    const uint32_t W = Rnd.Byte();
    const uint32_t M = I % 2 == 0 ? EdgeMasters[Rnd.Uniform(std::size(EdgeMasters))] : Rnd.Byte();
    ASSERT_TRUE(SamePixelResults(P, Ref(), X, Y, W, M));
  }
}

// Every (alpha, source channel, destination channel) triple in one long row.
TEST_P(BlendVectorTest, RowsAllAlphasAndChannelPairs) {
  const TBlendProcs& P = Procs();
  std::vector<TColor32> Src(1 << 16), Dst(1 << 16);
  for (uint32_t A = 0; A < 256; ++A) {
    for (uint32_t I = 0; I < Src.size(); ++I) {
      Src[I] = A << 24 | (I >> 8) * 0x010101u;
      Dst[I] = (I & 0xFF) * 0x01010101u;
    }
    ASSERT_TRUE(SameRowResults(P, Src.data(), Dst, {2, 128, 255})) << "alpha " << A;
  }
}

// Long rows with runs of transparent, opaque and mixed pixels, so that whole vectors take the
// skip and copy paths as well as the mix.
TEST_P(BlendVectorTest, RowsRandomRuns) {
  const TBlendProcs& P = Procs();
  TBiasedRandom Rnd(777);
  for (int Round = 0; Round < 40; ++Round) {
    const int32_t Count = 5000 + static_cast<int32_t>(Rnd.Uniform(3000));
    std::vector<TColor32> Src(Count), Dst(Count);
    for (int32_t I = 0; I < Count;) {
      const int32_t Run = 1 + static_cast<int32_t>(Rnd.Uniform(Rnd.Uniform(2) ? 8 : 48));
      const uint32_t Kind = Rnd.Uniform(4);
      for (int32_t J = 0; J < Run && I < Count; ++J, ++I) {
        const uint32_t A = Kind == 0   ? 0
                           : Kind == 1 ? 255
                           : Kind == 2 ? Rnd.Byte()
                                       : Rnd.Bits() >> 24;
        Src[I] = Rnd.ColorWithAlpha(A);
        Dst[I] = Round % 4 == 0 ? Rnd.Color() : Rnd.Bits();
      }
    }
    const uint32_t M = Round < 18 ? EdgeMasters[Round % std::size(EdgeMasters)] : Rnd.Byte();
    ASSERT_TRUE(SameRowResults(P, Src.data(), Dst, {M})) << "round " << Round;
  }
}

// Short rows at every start offset within a 32-byte line: the vector loop, its remainder and
// the tail must cover exactly [0, Count) and nothing around it.
TEST_P(BlendVectorTest, RowLengthsAndOffsets) {
  const TBlendProcs& P = Procs();
  TBiasedRandom Rnd(4242);
  constexpr TColor32 Guard = 0x5A5A5A5A;
  constexpr int32_t Pad = 16;
  for (int32_t Count = 0; Count <= 67; ++Count)
    for (int32_t Offset = 0; Offset < 8; ++Offset)
      for (const uint32_t M : {255u, 1u, 77u}) {
        alignas(64) TColor32 Src[Pad + 80 + Pad];
        alignas(64) TColor32 Got[Pad + 80 + Pad];
        alignas(64) TColor32 Want[Pad + 80 + Pad];
        for (TColor32& C : Src) C = Rnd.ColorWithAlpha(Rnd.Byte());
        for (int Master = 0; Master < 2; ++Master) {
          for (int32_t I = 0; I < Pad + 80 + Pad; ++I) Got[I] = Want[I] = Guard;
          for (int32_t I = 0; I < Count; ++I)
            Got[Pad + Offset + I] = Want[Pad + Offset + I] = Rnd.Bits();
          TColor32* G = Got + Pad + Offset;
          TColor32* W = Want + Pad + Offset;
          const TColor32* S = Src + Pad + (Offset * 3) % 8;
          if (Master == 0) {
            P.BlendRow(S, G, Count);
            BlendScalar::BlendRow(S, W, Count);
          } else {
            P.BlendRowMaster(S, G, Count, M);
            BlendScalar::BlendRowMaster(S, W, Count, M);
          }
          for (int32_t I = 0; I < Pad + 80 + Pad; ++I)
            ASSERT_EQ(Got[I], Want[I])
                << (Master == 0 ? "BlendRow" : "BlendRowMaster") << " Count " << Count << " offset "
                << Offset << " M " << M << ": word " << I - Pad - Offset << " of the row";
        }
      }
}

TEST_P(BlendVectorTest, CountsBelowOneDoNothing) {
  const TBlendProcs& P = Procs();
  const TColor32 Src[4] = {0xFF112233, 0x80FF0000, 0xFFFFFFFF, 0x7F000000};
  for (const int32_t Count : {0, -1, -8, -17, INT32_MIN}) {
    TColor32 Dst[4] = {0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10};
    P.BlendRow(Src, Dst, Count);
    P.BlendRowMaster(Src, Dst, Count, 200);
    for (int I = 0; I < 4; ++I) EXPECT_EQ(Dst[I], 0x01020304u + 0x04040404u * I) << Count;
  }
}

// A fully transparent source (or one whose weights are all zero) must not write a single
// destination pixel: the destination lives on a read-only page, so any store faults.
TEST_P(BlendVectorTest, TransparentSourceLeavesDestinationUntouched) {
  const TBlendProcs& P = Procs();
  const auto PageSize = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  void* Page = mmap(nullptr, PageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(Page, MAP_FAILED);
  auto* Dst = static_cast<TColor32*>(Page);
  const int32_t Words = static_cast<int32_t>(PageSize / sizeof(TColor32));
  for (int32_t I = 0; I < Words; ++I) Dst[I] = 0x9E3779B9u * static_cast<uint32_t>(I + 1);
  ASSERT_EQ(mprotect(Page, PageSize, PROT_READ), 0);

  TBiasedRandom Rnd(99);
  std::vector<TColor32> Clear(Words), Faint(Words);
  for (TColor32& C : Clear) C = Rnd.ColorWithAlpha(0);
  // Alpha below 128 with master 2 gives weight (A * 2) >> 8 = 0.
  for (TColor32& C : Faint) C = Rnd.ColorWithAlpha(Rnd.Uniform(128));
  for (const int32_t Count : {1, 3, 7, 8, 9, 16, 31, 67, Words})
    for (int32_t Offset = 0; Offset < 8 && Offset + Count <= Words; ++Offset) {
      P.BlendRow(Clear.data(), Dst + Offset, Count);
      P.BlendRowMaster(Clear.data(), Dst + Offset, Count, 255);
      P.BlendRowMaster(Faint.data(), Dst + Offset, Count, 2);
      P.BlendRowMaster(Rnd.Bits() % 2 ? Faint.data() : Clear.data(), Dst + Offset, Count, 1);
      P.BlendRowMaster(Faint.data(), Dst + Offset, Count, 0);
    }
  for (int32_t I = 0; I < Words; ++I)
    ASSERT_EQ(Dst[I], 0x9E3779B9u * static_cast<uint32_t>(I + 1)) << "word " << I;
  munmap(Page, PageSize);
}

// Source and destination in one buffer: in place, and shifted either way. A destination that
// starts inside the source row sees the pixels written before it as sources, in row order.
TEST_P(BlendVectorTest, OverlappingRowsFollowRowOrder) {
  const TBlendProcs& P = Procs();
  TBiasedRandom Rnd(5);
  constexpr int32_t Size = 200;
  std::vector<TColor32> Init(Size);
  for (TColor32& C : Init) C = Rnd.ColorWithAlpha(Rnd.Byte());
  for (int32_t Shift = -20; Shift <= 20; ++Shift)
    for (const int32_t Count : {1, 7, 8, 15, 16, 17, 40, 150})
      for (int Master = 0; Master < 2; ++Master) {
        std::vector<TColor32> Got = Init, Want = Init;
        const int32_t SrcAt = 25, DstAt = 25 + Shift;
        if (Master == 0) {
          P.BlendRow(Got.data() + SrcAt, Got.data() + DstAt, Count);
          BlendScalar::BlendRow(Want.data() + SrcAt, Want.data() + DstAt, Count);
        } else {
          P.BlendRowMaster(Got.data() + SrcAt, Got.data() + DstAt, Count, 180);
          BlendScalar::BlendRowMaster(Want.data() + SrcAt, Want.data() + DstAt, Count, 180);
        }
        ASSERT_EQ(Got, Want) << (Master == 0 ? "BlendRow" : "BlendRowMaster") << " shift " << Shift
                             << " count " << Count;
      }
}

INSTANTIATE_TEST_SUITE_P(Forms, BlendVectorTest,
                         testing::Values(TBlendForms::SSE2, TBlendForms::AVX2),
                         [](const testing::TestParamInfo<TBlendForms>& Info) {
                           return std::string(FormName(Info.param));
                         });

// The table chosen at start-up is one of the complete tables.
TEST(BlendDispatch, ActiveTableIsTheChosenForms) {
  const TBlendProcs& Chosen = BlendProcsFor(ActiveBlendForms());
  EXPECT_EQ(BlendProcs.BlendRow, Chosen.BlendRow);
  EXPECT_EQ(BlendProcs.BlendRowMaster, Chosen.BlendRowMaster);
  EXPECT_EQ(BlendProcs.MixColor, Chosen.MixColor);
  if (BlendFormsSupported(TBlendForms::AVX2)) {
    EXPECT_EQ(ActiveBlendForms(), TBlendForms::AVX2);
  }
}

}  // namespace
