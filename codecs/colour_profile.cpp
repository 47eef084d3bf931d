#include "colour_profile.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <list>
#include <memory>
#include <mutex>

#include "big_endian.h"
#include "parallel_bands.h"

namespace {

// What a profile describes: colour pixels, or grey ones (red, green and blue equal).
enum TSampleKind : uint8_t { skRgb, skGrey };

// Samples of pixels as the bitmaps keep them: blue, green, red, alpha. Grey samples read the
// blue byte of each pixel (red, green and blue are equal) and skip the other three.
constexpr cmsUInt32Number BgraFormat = TYPE_BGRA_8;
constexpr cmsUInt32Number GreyFormat =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);

struct TProfileCloser {
  void operator()(void* P) const { cmsCloseProfile(P); }
};
using TProfileHandle = std::unique_ptr<void, TProfileCloser>;

struct TTransformDeleter {
  void operator()(void* T) const { cmsDeleteTransform(T); }
};
using TTransformHandle = std::unique_ptr<void, TTransformDeleter>;

// True when the profile is whole: the size its header declares is there, and every tag of its
// table lies inside it. Little CMS reads tags only when asked, so a cut profile could otherwise
// pass for a good one and give wrong colours.
bool IsWholeProfile(const std::vector<uint8_t>& Icc) {
  if (Icc.size() < 132 || Icc.size() > MaxIccProfileSize)
    return false;
  const uint32_t Declared = GetBE32(Icc.data());
  if (Declared < 132 || Declared > Icc.size())
    return false;
  const uint32_t Count = GetBE32(Icc.data() + 128);
  if (Count == 0 || Count > (Declared - 132) / 12)
    return false;
  for (uint32_t I = 0; I < Count; ++I) {
    const uint8_t* Entry = Icc.data() + 132 + 12 * size_t{I};
    const uint64_t Offset = GetBE32(Entry + 4), Size = GetBE32(Entry + 8);
    if (Offset < 132 || Offset + Size > Declared)
      return false;
  }
  return true;
}

// An RGB profile of the white point and primaries (x, y of white, red, green, blue) with one
// tone curve for the three channels; the curve is freed. Null when Little CMS refuses them.
TProfileHandle RgbProfile(const double C[8], cmsToneCurve* Curve) {
  if (Curve == nullptr)
    return nullptr;
  const cmsCIExyY White = {C[0], C[1], 1.0};
  const cmsCIExyYTRIPLE Primaries = {{C[2], C[3], 1.0}, {C[4], C[5], 1.0}, {C[6], C[7], 1.0}};
  cmsToneCurve* Curves[3] = {Curve, Curve, Curve};
  TProfileHandle Result(cmsCreateRGBProfile(&White, &Primaries, Curves));
  cmsFreeToneCurve(Curve);
  return Result;
}

TProfileHandle OpenProfile(const TColourProfile& P) {
  if (!P.Icc.empty()) {
    if (!IsWholeProfile(P.Icc))
      return nullptr;
    return TProfileHandle(
        cmsOpenProfileFromMem(P.Icc.data(), static_cast<cmsUInt32Number>(P.Icc.size())));
  }
  if (!(P.Gamma > 0 && P.HasChromaticities))
    return nullptr;
  // PNG's gAMA and cHRM: the file gamma g stores light as sample = light ^ g.
  const double Decode = 1.0 / P.Gamma;
  if (!(Decode > 0.1 && Decode < 10))
    return nullptr;
  for (double V : {P.WhiteY, P.RedY, P.GreenY, P.BlueY})
    if (!(V > 0 && V <= 1))
      return nullptr;
  const double C[8] = {P.WhiteX, P.WhiteY, P.RedX, P.RedY, P.GreenX, P.GreenY, P.BlueX, P.BlueY};
  return RgbProfile(C, cmsBuildGamma(nullptr, Decode));
}

// One transform from a picture's profile to sRGB, with the bytes it was made from.
struct TEntry {
  std::vector<uint8_t> Key;
  TTransformHandle Transform;  // null: the profile is unusable or describes sRGB itself
  TSampleKind Kind = skRgb;    // the samples the profile is for
};

// The key of a profile: its ICC bytes, or PNG's chunk values.
std::vector<uint8_t> KeyOf(const TColourProfile& P) {
  std::vector<uint8_t> Key;
  if (!P.Icc.empty()) {
    Key.push_back(1);
    Key.insert(Key.end(), P.Icc.begin(), P.Icc.end());
    return Key;
  }
  Key.push_back(2);
  for (double V :
       {P.Gamma, P.WhiteX, P.WhiteY, P.RedX, P.RedY, P.GreenX, P.GreenY, P.BlueX, P.BlueY}) {
    const auto* B = reinterpret_cast<const uint8_t*>(&V);
    Key.insert(Key.end(), B, B + sizeof V);
  }
  return Key;
}

// True when the transform gives every sample of a grid back as it was, give or take one step
// of rounding: a profile of sRGB (there are several versions of it) or one too close to matter.
bool IsIdentity(cmsHTRANSFORM T, TSampleKind Kind) {
  std::vector<TColor32> In, Out;
  if (Kind == skGrey) {
    for (uint32_t V = 0; V < 256; ++V) In.push_back(0xFF000000u | V * 0x010101u);
  } else {
    for (uint32_t R = 0; R < 256; R += 17)
      for (uint32_t G = 0; G < 256; G += 17)
        for (uint32_t B = 0; B < 256; B += 17) In.push_back(0xFF000000u | R << 16 | G << 8 | B);
  }
  Out = In;
  cmsDoTransform(T, In.data(), Out.data(), static_cast<cmsUInt32Number>(In.size()));
  for (size_t I = 0; I < In.size(); ++I) {
    const TColor32 Want =
        Kind == skGrey ? (In[I] & 0xFF000000u) | (In[I] & 255) * 0x010101u : In[I];
    for (int Shift : {0, 8, 16})
      if (std::abs(int((Out[I] >> Shift) & 255) - int((Want >> Shift) & 255)) > 1)
        return false;
  }
  return true;
}

// True for a profile of a device's colours (an input, display, output or colour-space
// profile); links, abstract and named-colour profiles cannot describe a picture.
bool DescribesADevice(cmsHPROFILE P) {
  const auto Class = static_cast<uint32_t>(cmsGetDeviceClass(P));
  return Class != uint32_t{cmsSigLinkClass} && Class != uint32_t{cmsSigAbstractClass} &&
         Class != uint32_t{cmsSigNamedColorClass};
}

// From samples of the given format in From's colours to the bitmaps' BGRA in sRGB: relative
// colorimetric with black-point compensation. Null when Little CMS cannot make it.
TTransformHandle ToSrgb(cmsHPROFILE From, cmsUInt32Number InFormat) {
  TProfileHandle To(cmsCreate_sRGBProfile());
  if (!To)
    return nullptr;
  return TTransformHandle(cmsCreateTransform(From, InFormat, To.get(), BgraFormat,
                                             INTENT_RELATIVE_COLORIMETRIC,
                                             cmsFLAGS_BLACKPOINTCOMPENSATION | cmsFLAGS_NOCACHE));
}

TTransformHandle MakeTransform(const TColourProfile& P, TSampleKind& Kind) {
  TProfileHandle From = OpenProfile(P);
  if (!From)
    return nullptr;
  // Signatures are read as plain numbers: a hostile profile may carry any value, which the
  // library's enumerations do not hold.
  const auto Space = static_cast<uint32_t>(cmsGetColorSpace(From.get()));
  if (Space != uint32_t{cmsSigGrayData} && Space != uint32_t{cmsSigRgbData})
    return nullptr;
  Kind = Space == uint32_t{cmsSigGrayData} ? skGrey : skRgb;
  if (!DescribesADevice(From.get()))
    return nullptr;
  TTransformHandle T = ToSrgb(From.get(), Kind == skGrey ? GreyFormat : BgraFormat);
  if (T && IsIdentity(T.get(), Kind))
    return nullptr;
  return T;
}

// The last few transforms made: a folder of photos from one phone shares one profile.
class TTransformCache {
 public:
  // The transform for the profile, made on first use; null when none is to be applied. The
  // transform stays alive while the returned handle is held, even if the cache drops it.
  std::shared_ptr<TEntry> Find(const TColourProfile& P) {
    std::vector<uint8_t> Key = KeyOf(P);
    const std::lock_guard Lock(FMutex);
    for (auto It = FEntries.begin(); It != FEntries.end(); ++It)
      if ((*It)->Key == Key) {
        FEntries.splice(FEntries.begin(), FEntries, It);
        return FEntries.front();
      }
    auto E = std::make_shared<TEntry>();
    E->Key = std::move(Key);
    E->Transform = MakeTransform(P, E->Kind);
    FEntries.push_front(E);
    if (FEntries.size() > 8)
      FEntries.pop_back();
    return E;
  }

 private:
  std::mutex FMutex;
  std::list<std::shared_ptr<TEntry>> FEntries;
};

TTransformCache& Cache() {
  static TTransformCache C;
  return C;
}

void Run(cmsHTRANSFORM T, TColor32* Pixels, int32_t Width, int32_t Rows, ptrdiff_t Stride) {
  const auto RowBytes = static_cast<cmsUInt32Number>(Stride * ptrdiff_t{sizeof(TColor32)});
  cmsDoTransformLineStride(T, Pixels, Pixels, static_cast<cmsUInt32Number>(Width),
                           static_cast<cmsUInt32Number>(Rows), RowBytes, RowBytes, 0, 0);
}

// True when every pixel's red, green and blue are equal.
bool AllGrey(const TColor32* Pixels, int32_t Width, int32_t Height, ptrdiff_t Stride) {
  for (int32_t Y = 0; Y < Height; ++Y) {
    const TColor32* Row = Pixels + Y * Stride;
    for (int32_t X = 0; X < Width; ++X) {
      const TColor32 C = Row[X];
      if (((C >> 16) & 255) != (C & 255) || ((C >> 8) & 255) != (C & 255))
        return false;
    }
  }
  return true;
}

}  // namespace

bool ConvertToSrgb(TColor32* Pixels, int32_t Width, int32_t Height, ptrdiff_t Stride,
                   const TColourProfile& Profile) {
  if (Profile.IsUntagged() || Pixels == nullptr || Width <= 0 || Height <= 0)
    return false;
  const std::shared_ptr<TEntry> E = Cache().Find(Profile);
  if (!E->Transform)
    return false;
  // A grey profile applies to grey samples only (a grey JPEG or PNG as the readers give it).
  if (E->Kind == skGrey && !AllGrey(Pixels, Width, Height, Stride))
    return false;
  cmsHTRANSFORM T = E->Transform.get();
  // Two bands of rows on two cores; pictures under a quarter megapixel stay on this thread.
  ForEachBand(
      size_t(Height),
      [&](size_t Y0, size_t Y1) {
        Run(T, Pixels + ptrdiff_t(Y0) * Stride, Width, int32_t(Y1 - Y0), Stride);
      },
      std::max<size_t>(1, size_t{131072} / size_t(Width)));
  return true;
}

std::unique_ptr<TCmykToSrgb> TCmykToSrgb::Make(const TColourProfile& Profile, bool Inverted) {
  if (Profile.Icc.empty())
    return nullptr;
  TProfileHandle From = OpenProfile(Profile);
  if (!From || static_cast<uint32_t>(cmsGetColorSpace(From.get())) != uint32_t{cmsSigCmykData} ||
      !DescribesADevice(From.get()))
    return nullptr;
  TTransformHandle T = ToSrgb(From.get(), Inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8);
  if (!T)
    return nullptr;
  return std::unique_ptr<TCmykToSrgb>(new TCmykToSrgb(T.release()));
}

TCmykToSrgb::~TCmykToSrgb() {
  cmsDeleteTransform(FTransform);
}

void TCmykToSrgb::Row(const uint8_t* Cmyk, TColor32* Out, int32_t Width) const {
  if (Width <= 0)
    return;
  cmsDoTransform(FTransform, Cmyk, Out, static_cast<cmsUInt32Number>(Width));
  for (int32_t X = 0; X < Width; ++X) Out[X] |= 0xFF000000u;
}

bool ConvertToSrgb(TPicture& Picture, const TColourProfile& Profile) {
  if (Picture.IsEmpty() || Picture.Pixels.size() != size_t(Picture.Width) * size_t(Picture.Height))
    return false;
  return ConvertToSrgb(Picture.Pixels.data(), Picture.Width, Picture.Height, Picture.Width,
                       Profile);
}

namespace {

// The profile's bytes, the same on every run: Little CMS stamps a new profile with the time it
// was made, which would make every export and every cached transform differ.
std::vector<uint8_t> SaveProfile(cmsHPROFILE P) {
  std::vector<uint8_t> B;
  cmsUInt32Number Size = 0;
  if (P != nullptr && cmsSaveProfileToMem(P, nullptr, &Size) && Size > 0) {
    B.resize(Size);
    if (!cmsSaveProfileToMem(P, B.data(), &Size))
      B.clear();
  }
  if (B.size() >= 128) {
    // The creation date (bytes 24 to 35): 2026-01-01 00:00:00, as six 16-bit big-endian numbers.
    static constexpr uint8_t Date[12] = {0x07, 0xEA, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
    std::copy(Date, Date + 12, B.begin() + 24);
    std::fill(B.begin() + 84, B.begin() + 100, uint8_t{0});  // no profile ID to keep true
  }
  return B;
}

}  // namespace

std::vector<uint8_t> RgbProfileBytes(const double C[8], int CurveType, const double* Parameters) {
  for (int I = 1; I < 8; I += 2)
    if (!(C[I] > 0 && C[I] <= 1 && C[I - 1] >= 0 && C[I - 1] <= 1))
      return {};
  const TProfileHandle P =
      RgbProfile(C, cmsBuildParametricToneCurve(nullptr, CurveType, Parameters));
  return P ? SaveProfile(P.get()) : std::vector<uint8_t>();
}

const std::vector<uint8_t>& SrgbIccProfile() {
  static const std::vector<uint8_t> Bytes = [] {
    TProfileHandle P(cmsCreate_sRGBProfile());
    return SaveProfile(P.get());
  }();
  return Bytes;
}
