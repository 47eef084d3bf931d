#include "heif_codec.h"

#include <libheif/heif.h>

#include <algorithm>
#include <memory>
#include <string>

#include "codec_support.h"
#include "colour_profile.h"
#include "exceptions.h"
#include "quiet_stderr.h"

using namespace codec_detail;

namespace {

struct TContextDeleter {
  void operator()(heif_context* C) const { heif_context_free(C); }
};
struct THandleDeleter {
  void operator()(heif_image_handle* H) const { heif_image_handle_release(H); }
};
struct TImageDeleter {
  void operator()(heif_image* I) const { heif_image_release(I); }
};
struct TOptionsDeleter {
  void operator()(heif_decoding_options* O) const { heif_decoding_options_free(O); }
};

void Check(const heif_error& E, const char* What) {
  if (E.code != heif_error_Ok)
    FailPicture("HEIF", std::string(What) + ": " + (E.message ? E.message : "unknown error"));
}

struct TNclxDeleter {
  void operator()(heif_color_profile_nclx* N) const { heif_nclx_color_profile_free(N); }
};

// What the picture says about its colours: an ICC profile, or the numbers of an nclx box (the
// primaries and the transfer curve; phones write Display P3 so). Untagged when it says nothing,
// when the numbers are sRGB's, or when the curve is one a print cannot show (PQ, HLG).
TColourProfile HeifColourProfile(const heif_image_handle* Handle) {
  TColourProfile Result;
  const heif_color_profile_type Type = heif_image_handle_get_color_profile_type(Handle);
  if (Type == heif_color_profile_type_prof || Type == heif_color_profile_type_rICC) {
    const size_t Size = heif_image_handle_get_raw_color_profile_size(Handle);
    if (Size == 0 || Size > MaxIccProfileSize)
      return Result;
    Result.Icc.resize(Size);
    if (heif_image_handle_get_raw_color_profile(Handle, Result.Icc.data()).code != heif_error_Ok)
      Result.Icc.clear();
    return Result;
  }
  if (Type != heif_color_profile_type_nclx)
    return Result;
  heif_color_profile_nclx* Raw = nullptr;
  if (heif_image_handle_get_nclx_color_profile(Handle, &Raw).code != heif_error_Ok || !Raw)
    return Result;
  const std::unique_ptr<heif_color_profile_nclx, TNclxDeleter> N(Raw);
  // Little CMS's parametric curves: type 4 is Y = (aX + b)^g above d, cX below.
  static constexpr double Srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  static constexpr double Bt709[5] = {1 / 0.45, 1 / 1.099, 0.099 / 1.099, 1 / 4.5, 0.081};
  int CurveType = 4;
  double Curve[5] = {};
  switch (N->transfer_characteristics) {
    case heif_transfer_characteristic_IEC_61966_2_1:
      std::copy(Srgb, Srgb + 5, Curve);
      break;
    case heif_transfer_characteristic_ITU_R_BT_709_5:
    case heif_transfer_characteristic_ITU_R_BT_601_6:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
    case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit:
      std::copy(Bt709, Bt709 + 5, Curve);
      break;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
      CurveType = 1, Curve[0] = 2.2;
      break;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
      CurveType = 1, Curve[0] = 2.8;
      break;
    case heif_transfer_characteristic_linear:
      CurveType = 1, Curve[0] = 1.0;
      break;
    case heif_transfer_characteristic_unspecified:
      std::copy(Srgb, Srgb + 5, Curve);
      break;
    default:
      return Result;
  }
  const bool SrgbPrimaries = N->color_primaries == heif_color_primaries_ITU_R_BT_709_5 ||
                             N->color_primaries == heif_color_primaries_unspecified;
  if (SrgbPrimaries && N->transfer_characteristics != heif_transfer_characteristic_linear &&
      N->transfer_characteristics != heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G)
    return Result;  // sRGB, or near enough that the card shows it as it is
  const double C[8] = {N->color_primary_white_x, N->color_primary_white_y, N->color_primary_red_x,
                       N->color_primary_red_y,   N->color_primary_green_x, N->color_primary_green_y,
                       N->color_primary_blue_x,  N->color_primary_blue_y};
  Result.Icc = RgbProfileBytes(C, CurveType, Curve);
  return Result;
}

}  // namespace

TPicture ReadHeifImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  if (Size == 0)
    FailPicture("HEIF", "the file is empty");
  if (heif_check_filetype(Data, int(Size < 12 ? Size : 12)) == heif_filetype_no)
    FailPicture("HEIF", "the file is not a HEIF picture");
  // The decoders' own lines about a damaged file stay out of the program's output; the scope
  // ends before an error leaves, so the program's message is still seen.
  const TQuietStderr Quiet;
  std::unique_ptr<heif_context, TContextDeleter> Ctx(heif_context_alloc());
  if (!Ctx)
    FailPicture("HEIF", "the decoder could not start");
  // Refuses larger images while parsing, before any pixel memory is requested.
  heif_context_set_maximum_image_size_limit(Ctx.get(), int(MaxPictureSide));
  Check(heif_context_read_from_memory_without_copy(Ctx.get(), Data, Size, nullptr),
        "the file is damaged");

  heif_image_handle* RawHandle = nullptr;
  Check(heif_context_get_primary_image_handle(Ctx.get(), &RawHandle), "no primary image");
  std::unique_ptr<heif_image_handle, THandleDeleter> Handle(RawHandle);
  // The handle's size is the size after rotation, which is what the picture will have.
  CheckPictureSize("HEIF", heif_image_handle_get_width(Handle.get()),
                   heif_image_handle_get_height(Handle.get()), MaxPixels);

  std::unique_ptr<heif_decoding_options, TOptionsDeleter> Options(heif_decoding_options_alloc());
  if (!Options)
    FailPicture("HEIF", "the decoder could not start");
  Options->ignore_transformations = 0;
  heif_image* RawImage = nullptr;
  Check(heif_decode_image(Handle.get(), &RawImage, heif_colorspace_RGB,
                          heif_chroma_interleaved_RGBA, Options.get()),
        "the picture data cannot be decoded");
  std::unique_ptr<heif_image, TImageDeleter> Image(RawImage);

  const int W = heif_image_get_width(Image.get(), heif_channel_interleaved);
  const int H = heif_image_get_height(Image.get(), heif_channel_interleaved);
  CheckPictureSize("HEIF", W, H, MaxPixels);
  int Stride = 0;
  const uint8_t* Plane =
      heif_image_get_plane_readonly(Image.get(), heif_channel_interleaved, &Stride);
  if (!Plane || Stride < W * 4)
    FailPicture("HEIF", "the decoder returned no pixels");

  TPicture P = MakeGraphic(W, H);
  for (int Y = 0; Y < H; ++Y) {
    const uint8_t* S = Plane + size_t(Y) * size_t(Stride);
    TColor32* D = P.Pixels.data() + size_t(Y) * size_t(W);
    for (int X = 0; X < W; ++X, S += 4) D[X] = MakeColor(S[0], S[1], S[2], S[3]);
  }
  const TColourProfile Profile = HeifColourProfile(Handle.get());
  if (!Profile.IsUntagged())
    ConvertToSrgb(P, Profile);
  return P;
}
