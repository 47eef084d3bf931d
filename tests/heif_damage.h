#pragma once
// Damaged HEIC and AVIF files that make the decoders under libheif (libde265, dav1d) write
// their own lines to standard error, for the tests that the program's output holds only its
// own message. The files are made with heif-enc from a picture written here, then damaged one
// byte at a time in the coded stream's set-up (hvcC, av1C) and in the coded data (mdat);
// libheif's own decoding, without the program's reader, tells which damage the libraries talk
// about.
#include <libheif/heif.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "bitmap32.h"
#include "png_codec.h"

// What F wrote to descriptor 2.
inline std::string CaptureStderr(const std::function<void()>& F) {
  std::fflush(stderr);
  std::FILE* Sink = std::tmpfile();
  const int Saved = ::dup(2);
  ::dup2(::fileno(Sink), 2);
  F();
  std::fflush(stderr);
  ::dup2(Saved, 2);
  ::close(Saved);
  std::string Text;
  std::rewind(Sink);
  for (int C; (C = std::fgetc(Sink)) != EOF;) Text += char(C);
  std::fclose(Sink);
  return Text;
}

// libheif decodes the file as a reader would; true when something reached standard error.
inline bool DecodersTalkAbout(const std::vector<uint8_t>& File) {
  const std::string Said = CaptureStderr([&] {
    heif_context* Ctx = heif_context_alloc();
    if (heif_context_read_from_memory_without_copy(Ctx, File.data(), File.size(), nullptr).code ==
        heif_error_Ok) {
      heif_image_handle* Handle = nullptr;
      if (heif_context_get_primary_image_handle(Ctx, &Handle).code == heif_error_Ok) {
        heif_image* Image = nullptr;
        if (heif_decode_image(Handle, &Image, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                              nullptr)
                .code == heif_error_Ok)
          heif_image_release(Image);
        heif_image_handle_release(Handle);
      }
    }
    heif_context_free(Ctx);
  });
  return !Said.empty();
}

inline std::vector<uint8_t> ReadWholeFile(const std::string& Name) {
  std::ifstream In(Name, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

// heif-enc's picture (Options "-A" for AVIF) of a 64 x 48 colour picture, damaged in every way
// described above; empty when heif-enc fails.
inline std::vector<std::vector<uint8_t>> DamagedHeifFiles(const std::string& Folder,
                                                          const std::string& Options) {
  TBitmap32 Picture;
  Picture.SetSize(64, 48);
  for (int32_t Y = 0; Y < 48; ++Y)
    for (int32_t X = 0; X < 64; ++X)
      Picture.SetPixel(
          X, Y,
          0xFF000000u | uint32_t(X * 4) << 16 | uint32_t((X * Y) & 0xFF) << 8 | uint32_t(Y * 5));
  const std::vector<uint8_t> Png = EncodePng(Picture);
  const std::string Source = Folder + "/heif_source.png", Coded = Folder + "/heif_coded";
  std::ofstream(Source, std::ios::binary)
      .write(reinterpret_cast<const char*>(Png.data()), std::streamsize(Png.size()));
  if (std::system(("heif-enc -q 50 " + Options + " -o " + Coded + " " + Source + " >/dev/null 2>&1")
                      .c_str()) != 0)
    return {};
  const std::vector<uint8_t> Good = ReadWholeFile(Coded);
  std::vector<std::vector<uint8_t>> Damaged;
  // The payload of the first box of the type: [begin, end) in the file.
  auto Payload = [&Good](const char* Type) -> std::pair<size_t, size_t> {
    const std::string Text(Good.begin(), Good.end());
    const size_t At = Text.find(Type);
    if (At == std::string::npos || At < 4)
      return {0, 0};
    const size_t Size = size_t(Good[At - 4]) << 24 | size_t(Good[At - 3]) << 16 |
                        size_t(Good[At - 2]) << 8 | size_t(Good[At - 1]);
    return {At + 4, std::min(Good.size(), At - 4 + Size)};
  };
  for (const char* Box : {"hvcC", "av1C", "mdat"}) {
    const auto [Begin, End] = Payload(Box);
    for (size_t I = Begin; I < End && I < Begin + 160; ++I)
      for (const uint8_t Value : {uint8_t(0x00), uint8_t(0x55)}) {
        if (Good[I] == Value)
          continue;
        std::vector<uint8_t> D = Good;
        D[I] = Value;
        Damaged.push_back(std::move(D));
      }
  }
  return Damaged;
}
