#pragma once
// Colour management of pictures as they are read and written. A picture may say what its
// stored numbers mean: an embedded ICC profile (a phone's Display P3, a camera's Adobe RGB), or
// PNG's colour chunks. Such a picture is converted to sRGB, the colour space of the card, with
// Little CMS (relative colorimetric intent with black-point compensation, 8 bits in and out,
// alpha untouched). A picture that says nothing is sRGB and is left as it is, at no cost.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "picture.h"
#include "types.h"

// What a picture file says about its colours.
struct TColourProfile {
  // An embedded ICC profile; empty when there is none.
  std::vector<uint8_t> Icc;
  // PNG's chunks, used when there is no ICC profile: "sRGB", or "gAMA" with "cHRM".
  bool Srgb = false;
  double Gamma = 0;  // the file gamma of "gAMA" (0.45455 for a 2.2 display gamma); 0 when absent
  bool HasChromaticities = false;
  double WhiteX = 0, WhiteY = 0, RedX = 0, RedY = 0, GreenX = 0, GreenY = 0, BlueX = 0, BlueY = 0;

  // True when the picture says nothing that could need a conversion.
  bool IsUntagged() const { return Icc.empty() && !(Gamma > 0 && HasChromaticities); }
};

// Converts the Width x Height pixels (Stride pixels from one row to the next) from the colour
// space the profile describes to sRGB, in place; alpha is left as it is. An RGB profile applies
// to the pixels as they are; a grey one to pixels whose red, green and blue are equal (grey
// pictures as the readers give them), reading one of the three. Nothing changes and false is
// returned when the profile says nothing, cannot be read, does not fit the pixels (a CMYK
// profile, a grey profile on colour pixels), or describes sRGB itself. Large pictures are
// converted on several threads. Never throws for a bad profile.
bool ConvertToSrgb(TColor32* Pixels, int32_t Width, int32_t Height, ptrdiff_t Stride,
                   const TColourProfile& Profile);

// The picture converted as above; true when it changed.
bool ConvertToSrgb(TPicture& Picture, const TColourProfile& Profile);

// An RGB profile made from chromaticities (x, y of white, red, green, blue) and a tone curve of
// Little CMS's parametric kinds (1: gamma; 4: the sRGB and BT.709 kind, with five parameters);
// empty when Little CMS refuses them. For pictures that describe their colours by numbers.
std::vector<uint8_t> RgbProfileBytes(const double Chromaticities[8], int CurveType,
                                     const double* CurveParameters);

// Rows of CMYK samples (a CMYK JPEG's) converted to opaque sRGB pixels through the file's CMYK
// profile. Inverted samples store 255 for no ink, as Adobe's files do.
class TCmykToSrgb {
 public:
  // Null when the profile is missing, damaged or not a CMYK one: the caller then converts by
  // its plain formula.
  static std::unique_ptr<TCmykToSrgb> Make(const TColourProfile& Profile, bool Inverted);
  ~TCmykToSrgb();
  TCmykToSrgb(const TCmykToSrgb&) = delete;
  TCmykToSrgb& operator=(const TCmykToSrgb&) = delete;
  void Row(const uint8_t* Cmyk, TColor32* Out, int32_t Width) const;

 private:
  explicit TCmykToSrgb(void* Transform) : FTransform(Transform) {}
  void* FTransform;
};

// The sRGB ICC profile that flat exports embed (made once by Little CMS).
const std::vector<uint8_t>& SrgbIccProfile();

// Pictures past this size of profile are read as sRGB: no real profile comes near it.
constexpr size_t MaxIccProfileSize = size_t{16} << 20;
