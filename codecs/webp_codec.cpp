#include "webp_codec.h"

#include <webp/decode.h>
#include <webp/demux.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>
#include <memory>

#include "bitmap32.h"
#include "codec_support.h"
#include "colour_profile.h"
#include "exceptions.h"
#include "exif_orientation.h"
#include "file_io.h"
#include "picture_readers.h"

using namespace codec_detail;

namespace {

constexpr int MaxWebpSide = 16383;

struct TDemuxDeleter {
  void operator()(WebPDemuxer* D) const { WebPDemuxDelete(D); }
};
struct TAnimDeleter {
  void operator()(WebPAnimDecoder* D) const { WebPAnimDecoderDelete(D); }
};

// The EXIF chunk's orientation. The chunk holds the TIFF structure itself; some writers put the
// JPEG segment's "Exif\0\0" in front of it.
int ExifOrientationOf(const WebPDemuxer* Demux) {
  WebPChunkIterator It;
  if (!WebPDemuxGetChunk(Demux, "EXIF", 1, &It))
    return 1;
  int Orientation = 1;
  const uint8_t* P = It.chunk.bytes;
  const size_t N = It.chunk.size;
  static const uint8_t Header[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (N >= 6 && std::memcmp(P, Header, 6) == 0) {
    Orientation = ReadExifOrientation(P, N);
  } else if (N > 0 && N < (size_t{64} << 20)) {
    std::vector<uint8_t> Block(N + 6);
    std::memcpy(Block.data(), Header, 6);
    std::memcpy(Block.data() + 6, P, N);
    Orientation = ReadExifOrientation(Block.data(), Block.size());
  }
  WebPDemuxReleaseChunkIterator(&It);
  return Orientation;
}

// The first frame of an animation, composed on its canvas.
void DecodeFirstFrame(const uint8_t* Data, size_t Size, int64_t Width, int64_t Height,
                      TColor32* Pixels) {
  WebPAnimDecoderOptions Options;
  if (!WebPAnimDecoderOptionsInit(&Options))
    FailPicture("WebP", "the decoder could not start");
  Options.color_mode = MODE_BGRA;
  Options.use_threads = 0;
  const WebPData Input{Data, Size};
  std::unique_ptr<WebPAnimDecoder, TAnimDeleter> Dec(WebPAnimDecoderNew(&Input, &Options));
  if (!Dec)
    FailPicture("WebP", "the animation is damaged");
  WebPAnimInfo Info;
  if (!WebPAnimDecoderGetInfo(Dec.get(), &Info) || int64_t(Info.canvas_width) != Width ||
      int64_t(Info.canvas_height) != Height)
    FailPicture("WebP", "the animation is damaged");
  uint8_t* Frame = nullptr;
  int Timestamp = 0;
  if (!WebPAnimDecoderGetNext(Dec.get(), &Frame, &Timestamp) || !Frame)
    FailPicture("WebP", "the first frame is damaged");
  std::memcpy(Pixels, Frame, size_t(Width) * size_t(Height) * 4);
}

// Decodes the file into the cleared W x H buffer that Pixels(W, H) gives; returns the EXIF
// orientation the picture is stored with.
template <class TPixels>
int DecodeWebp(const uint8_t* Data, size_t Size, int64_t MaxPixels, TPixels&& Pixels) {
  if (Size == 0)
    FailPicture("WebP", "the file is empty");
  WebPBitstreamFeatures Features;
  if (WebPGetFeatures(Data, Size, &Features) != VP8_STATUS_OK)
    FailPicture("WebP", "the file is damaged or not a WebP picture");
  CheckPictureSize("WebP", Features.width, Features.height, MaxPixels);

  const WebPData Input{Data, Size};
  std::unique_ptr<WebPDemuxer, TDemuxDeleter> Demux(WebPDemux(&Input));
  if (!Demux)
    FailPicture("WebP", "the file is damaged");
  // The canvas size rules for an extended file; the features may name the first frame only.
  const int64_t Width = WebPDemuxGetI(Demux.get(), WEBP_FF_CANVAS_WIDTH);
  const int64_t Height = WebPDemuxGetI(Demux.get(), WEBP_FF_CANVAS_HEIGHT);
  CheckPictureSize("WebP", Width, Height, MaxPixels);

  TColor32* const Out = Pixels(int32_t(Width), int32_t(Height));
  if (Features.has_animation) {
    DecodeFirstFrame(Data, Size, Width, Height, Out);
  } else {
    const size_t Stride = size_t(Width) * 4;
    // TColor32 is stored as the bytes blue, green, red, alpha.
    if (!WebPDecodeBGRAInto(Data, Size, reinterpret_cast<uint8_t*>(Out), Stride * size_t(Height),
                            int(Stride)))
      FailPicture("WebP", "the picture data is damaged");
  }
  return ExifOrientationOf(Demux.get());
}

}  // namespace

TPicture ReadWebpImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  TPicture P;
  const int Orientation = DecodeWebp(Data, Size, MaxPixels, TPictureRows{P});
  ApplyExifOrientation(P, Orientation);
  return P;
}

void LoadWebpImage(const uint8_t* Data, size_t Size, TBitmap32& Target, int64_t MaxPixels) {
  TBitmap32 Fresh;
  const int Orientation = DecodeWebp(Data, Size, MaxPixels, TFreshBitmapRows{Fresh});
  ApplyExifOrientation(Fresh, Orientation);
  TakeLoadedGraphic(Fresh, Target);
}

namespace {

struct TMuxDeleter {
  void operator()(WebPMux* M) const { WebPMuxDelete(M); }
};

// The encoded picture with an ICCP chunk holding the sRGB profile: the card's colours are sRGB,
// and the file says so. Empty when the container cannot be made.
std::vector<uint8_t> WithSrgbProfile(const uint8_t* Data, size_t Size) {
  const WebPData Image = {Data, Size};
  std::unique_ptr<WebPMux, TMuxDeleter> Mux(WebPMuxCreate(&Image, 0));
  if (!Mux)
    return {};
  const std::vector<uint8_t>& Srgb = SrgbIccProfile();
  const WebPData Icc = {Srgb.data(), Srgb.size()};
  WebPData Out;
  WebPDataInit(&Out);
  std::vector<uint8_t> Result;
  if ((Srgb.empty() || WebPMuxSetChunk(Mux.get(), "ICCP", &Icc, 0) == WEBP_MUX_OK) &&
      WebPMuxAssemble(Mux.get(), &Out) == WEBP_MUX_OK)
    Result.assign(Out.bytes, Out.bytes + Out.size);
  WebPDataClear(&Out);
  return Result;
}

}  // namespace

std::vector<uint8_t> EncodeWebp(const TBitmap32& Bitmap, int Quality) {
  if (Bitmap.IsEmpty())
    throw Exception("Пустую картинку нельзя сохранить как WebP");
  if (Bitmap.Width() > MaxWebpSide || Bitmap.Height() > MaxWebpSide)
    throw Exception("Картинка WebP может быть не больше 16383 точек в ширину и высоту (" +
                    std::to_string(Bitmap.Width()) + " x " + std::to_string(Bitmap.Height()) + ")");
  if (Quality < 1 || Quality > 100)
    throw Exception("Качество WebP должно быть от 1 до 100 (" + std::to_string(Quality) + ")");
  const auto* Bits = reinterpret_cast<const uint8_t*>(Bitmap.Bits());
  const int Stride = Bitmap.Width() * 4;
  uint8_t* Out = nullptr;
  const size_t Size =
      Quality == 100
          ? WebPEncodeLosslessBGRA(Bits, Bitmap.Width(), Bitmap.Height(), Stride, &Out)
          : WebPEncodeBGRA(Bits, Bitmap.Width(), Bitmap.Height(), Stride, float(Quality), &Out);
  std::vector<uint8_t> Result;
  if (Size > 0 && Out)
    Result = WithSrgbProfile(Out, Size);
  WebPFree(Out);
  if (Result.empty())
    throw Exception("Не удалось записать картинку WebP");
  return Result;
}

void SaveWebp(const TBitmap32& Bitmap, const std::string& FileName, int Quality) {
  const std::vector<uint8_t> Data = EncodeWebp(Bitmap, Quality);
  WriteFileAtomically(FileName, Data.data(), Data.size());
}
