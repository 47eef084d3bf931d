#include "heif_codec.h"

#include <libheif/heif.h>

#include <memory>
#include <string>

#include "codec_support.h"
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
  return P;
}
