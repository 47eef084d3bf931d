#include "codec_test_support.h"

#include <lcms2.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::vector<uint8_t> ReadBytes(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  if (!In)
    throw std::runtime_error("cannot open " + Path.string());
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

namespace {

TPicture Opaque(int32_t W, int32_t H) {
  TPicture P;
  P.Kind = TPicture::pkGraphic;
  P.Width = W;
  P.Height = H;
  P.Pixels.assign(size_t(W) * size_t(H), 0xFF000000u);
  return P;
}

}  // namespace

TPicture LoadPnm(const std::filesystem::path& Path) {
  const std::vector<uint8_t> Data = ReadBytes(Path);
  size_t Pos = 0;
  const auto Token = [&]() {
    std::string T;
    while (Pos < Data.size()) {
      const char C = char(Data[Pos]);
      if (C == '#') {
        while (Pos < Data.size() && Data[Pos] != '\n') ++Pos;
      } else if (std::isspace(static_cast<unsigned char>(C))) {
        if (!T.empty())
          break;
        ++Pos;
      } else {
        T += C;
        ++Pos;
      }
    }
    return T;
  };
  const std::string Magic = Token();
  const int W = std::stoi(Token()), H = std::stoi(Token());
  const int MaxVal = Magic == "P4" ? 1 : std::stoi(Token());
  ++Pos;  // the single whitespace before the samples
  if (MaxVal > 255)
    throw std::runtime_error("16-bit PNM is not needed here");
  TPicture P = Opaque(W, H);
  const uint8_t* S = Data.data() + Pos;
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      uint32_t R, G, B;
      if (Magic == "P6") {
        R = S[0], G = S[1], B = S[2];
        S += 3;
      } else if (Magic == "P5") {
        R = G = B = *S++;
      } else {
        const size_t RowBytes = (size_t(W) + 7) / 8;
        const bool Black = (S[size_t(Y) * RowBytes + size_t(X) / 8] >> (7 - X % 8)) & 1;
        R = G = B = Black ? 0 : 255;
      }
      P.Pixels[size_t(Y) * size_t(W) + size_t(X)] = 0xFF000000u | (R << 16) | (G << 8) | B;
    }
  return P;
}

TPicture LoadRawRgb(const std::filesystem::path& Path, int32_t Width, int32_t Height) {
  const std::vector<uint8_t> Data = ReadBytes(Path);
  if (Data.size() != size_t(Width) * size_t(Height) * 3)
    throw std::runtime_error("raw reference of the wrong size: " + Path.string());
  TPicture P = Opaque(Width, Height);
  for (size_t I = 0; I < P.Pixels.size(); ++I)
    P.Pixels[I] = 0xFF000000u | (uint32_t(Data[I * 3]) << 16) | (uint32_t(Data[I * 3 + 1]) << 8) |
                  Data[I * 3 + 2];
  return P;
}

TPictureDiff ComparePictures(const TPicture& A, const TPicture& B) {
  TPictureDiff D;
  D.SameSize = A.Width == B.Width && A.Height == B.Height && A.Pixels.size() == B.Pixels.size();
  if (!D.SameSize) {
    D.Where = "size " + std::to_string(A.Width) + "x" + std::to_string(A.Height) + " vs " +
              std::to_string(B.Width) + "x" + std::to_string(B.Height);
    return D;
  }
  double Sum = 0;
  size_t Counted = 0;
  int Worst = -1;
  for (size_t I = 0; I < A.Pixels.size(); ++I) {
    const uint32_t PA = A.Pixels[I], PB = B.Pixels[I];
    const int AlphaDiff = std::abs(int(PA >> 24) - int(PB >> 24));
    D.MaxAlpha = std::max(D.MaxAlpha, AlphaDiff);
    int PixelWorst = AlphaDiff;
    if ((PA >> 24) != 0 || (PB >> 24) != 0) {
      for (int Shift = 0; Shift < 24; Shift += 8) {
        const int Diff = std::abs(int((PA >> Shift) & 0xFF) - int((PB >> Shift) & 0xFF));
        D.MaxColor = std::max(D.MaxColor, Diff);
        PixelWorst = std::max(PixelWorst, Diff);
        Sum += Diff;
      }
      ++Counted;
    }
    if (PixelWorst > Worst) {
      Worst = PixelWorst;
      std::ostringstream S;
      S << "pixel (" << I % size_t(A.Width) << ", " << I / size_t(A.Width) << "): " << std::hex
        << PA << " vs " << PB;
      D.Where = S.str();
    }
  }
  D.MeanColor = Counted ? Sum / double(Counted * 3) : 0;
  return D;
}

#if defined(__SANITIZE_ADDRESS__)
#define PELMORA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELMORA_ASAN 1
#endif
#endif

#ifdef PELMORA_ASAN
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));

namespace {

std::atomic<int64_t> Largest{0};

void OnMalloc(const volatile void*, size_t Size) {
  int64_t Old = Largest.load(std::memory_order_relaxed);
  while (int64_t(Size) > Old && !Largest.compare_exchange_weak(Old, int64_t(Size))) {
  }
}

void OnFree(const volatile void*) {}

const bool HooksInstalled = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;

}  // namespace

void ResetLargestAllocation() {
  Largest = 0;
}
int64_t LargestAllocation() {
  return HooksInstalled ? Largest.load() : -1;
}
#else
void ResetLargestAllocation() {}
int64_t LargestAllocation() {
  return -1;
}
#endif

TTempDir::TTempDir() {
  std::string Templ = (std::filesystem::temp_directory_path() / "pelmora-codecs-XXXXXX").string();
  if (!::mkdtemp(Templ.data()))
    throw std::runtime_error("cannot make a temporary folder");
  FPath = Templ;
}

TTempDir::~TTempDir() {
  std::error_code Ec;
  std::filesystem::remove_all(FPath, Ec);
}

TPicture LcmsReference(const TPicture& In, const std::vector<uint8_t>& Icc, bool Grey) {
  cmsHPROFILE From = cmsOpenProfileFromMem(Icc.data(), cmsUInt32Number(Icc.size()));
  cmsHPROFILE To = cmsCreate_sRGBProfile();
  const cmsUInt32Number InFormat =
      Grey ? (COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3)) : TYPE_BGRA_8;
  cmsHTRANSFORM T =
      cmsCreateTransform(From, InFormat, To, TYPE_BGRA_8, INTENT_RELATIVE_COLORIMETRIC,
                         cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOOPTIMIZE);
  TPicture Out = In;
  cmsDoTransform(T, In.Pixels.data(), Out.Pixels.data(), cmsUInt32Number(In.Pixels.size()));
  for (size_t I = 0; I < In.Pixels.size(); ++I)
    Out.Pixels[I] = (Out.Pixels[I] & 0x00FFFFFFu) | (In.Pixels[I] & 0xFF000000u);
  cmsDeleteTransform(T);
  cmsCloseProfile(From);
  cmsCloseProfile(To);
  return Out;
}
