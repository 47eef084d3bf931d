#include "png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "bitmap32.h"
#include "codec_support.h"
#include "exceptions.h"
#include "picture_readers.h"

using namespace codec_detail;

// libpng reports errors through png_error, which longjmps to png_jmpbuf. The functions that
// call setjmp hold only trivially destructible locals; the failure becomes a C++ exception in
// their caller once the libpng frames are gone.

namespace {

// Ancillary chunks (text, ICC profiles, ...) are never needed; their decompressed size is
// capped so that a small file cannot expand into a large allocation.
constexpr png_alloc_size_t MaxChunkMemory = 8u << 20;

struct TPngSource {
  const uint8_t* Data;
  size_t Size;
  size_t Pos;
};

struct TPngState {
  png_structp Png;
  png_infop Info;
  char Message[256];
};

void ErrorHandler(png_structp Png, png_const_charp Message) {
  auto* S = static_cast<TPngState*>(png_get_error_ptr(Png));
  std::snprintf(S->Message, sizeof(S->Message), "%s", Message);
  png_longjmp(Png, 1);
}

void WarningHandler(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp Png, png_bytep Out, png_size_t Count) {
  auto* Src = static_cast<TPngSource*>(png_get_io_ptr(Png));
  if (Count > Src->Size - Src->Pos)
    png_error(Png, "the file is truncated");
  std::memcpy(Out, Src->Data + Src->Pos, Count);
  Src->Pos += Count;
}

bool ReadHeader(TPngState& S, TPngSource& Src) {
  if (setjmp(png_jmpbuf(S.Png)))
    return false;
  png_set_read_fn(S.Png, &Src, ReadFromMemory);
  png_set_user_limits(S.Png, png_uint_32(MaxPictureSide), png_uint_32(MaxPictureSide));
  png_set_chunk_malloc_max(S.Png, MaxChunkMemory);
  png_set_chunk_cache_max(S.Png, 1000);
  // Skip every ancillary chunk but tRNS unread: none is needed, and some handlers allocate a
  // chunk's declared length before finding the file too short for it.
  png_set_keep_unknown_chunks(S.Png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(S.Png, S.Info);
  return true;
}

// Sets up the transformations to 8-bit B, G, R, A -- the byte order of TColor32.
bool SetTransforms(TPngState& S) {
  if (setjmp(png_jmpbuf(S.Png)))
    return false;
  png_set_expand(S.Png);  // palette, low grey depths and tRNS to 8-bit RGB(A)
  png_set_scale_16(S.Png);
  png_set_gray_to_rgb(S.Png);
  png_set_add_alpha(S.Png, 0xFF, PNG_FILLER_AFTER);
  png_set_bgr(S.Png);
  png_set_interlace_handling(S.Png);
  png_read_update_info(S.Png, S.Info);
  return true;
}

bool ReadRows(TPngState& S, png_bytepp Rows) {
  if (setjmp(png_jmpbuf(S.Png)))
    return false;
  png_read_image(S.Png, Rows);
  png_read_end(S.Png, nullptr);
  return true;
}

class TReadGuard {
 public:
  explicit TReadGuard(TPngState& S) : FS(S) {}
  ~TReadGuard() { png_destroy_read_struct(&FS.Png, FS.Info ? &FS.Info : nullptr, nullptr); }
  TReadGuard(const TReadGuard&) = delete;
  TReadGuard& operator=(const TReadGuard&) = delete;

 private:
  TPngState& FS;
};

// Decodes the file into the cleared W x H buffer that Pixels(W, H) gives.
template <class TPixels>
void DecodePng(const uint8_t* Data, size_t Size, int64_t MaxPixels, TPixels&& Pixels) {
  static const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (Size < 8 || std::memcmp(Data, Signature, 8) != 0)
    throw EInvalidGraphic("Картинка PNG повреждена: нет подписи PNG");
  TPngState S{};
  S.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &S, ErrorHandler, WarningHandler);
  if (!S.Png)
    throw EInvalidGraphic("Не удалось прочитать картинку PNG: недостаточно памяти");
  TReadGuard Guard(S);
  S.Info = png_create_info_struct(S.Png);
  if (!S.Info)
    throw EInvalidGraphic("Не удалось прочитать картинку PNG: недостаточно памяти");
  TPngSource Src{Data, Size, 0};
  if (!ReadHeader(S, Src))
    FailPicture("PNG", S.Message);
  CheckPictureSize("PNG", png_get_image_width(S.Png, S.Info), png_get_image_height(S.Png, S.Info),
                   MaxPixels);
  if (!SetTransforms(S))
    FailPicture("PNG", S.Message);
  const int32_t W = int32_t(png_get_image_width(S.Png, S.Info));
  const int32_t H = int32_t(png_get_image_height(S.Png, S.Info));
  if (png_get_rowbytes(S.Png, S.Info) != size_t(W) * 4)
    FailPicture("PNG", "unsupported pixel layout");
  TColor32* const Out = Pixels(W, H);
  std::vector<png_bytep> Rows(static_cast<size_t>(H));
  for (int32_t Y = 0; Y < H; ++Y)
    Rows[size_t(Y)] = reinterpret_cast<png_bytep>(Out + size_t(Y) * size_t(W));
  if (!ReadRows(S, Rows.data()))
    FailPicture("PNG", S.Message);
}

}  // namespace

TPicture ReadPngImage(const uint8_t* Data, size_t Size, int64_t MaxPixels) {
  TPicture P;
  DecodePng(Data, Size, MaxPixels, TPictureRows{P});
  return P;
}

void LoadPngImage(const uint8_t* Data, size_t Size, TBitmap32& Target, int64_t MaxPixels) {
  TBitmap32 Fresh;
  DecodePng(Data, Size, MaxPixels, TFreshBitmapRows{Fresh});
  TakeLoadedGraphic(Fresh, Target);
}
