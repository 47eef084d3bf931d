#pragma once
// Picture files made to carry a given ICC profile, each in its format's own place for it: the
// colour tests put real profiles into files that the codecs wrote.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "picture.h"

class TBitmap32;

// The JPEG without its APP2 markers (the writer's own sRGB profile).
std::vector<uint8_t> WithoutApp2(const std::vector<uint8_t>& J);
// The profile in APP2 markers right after the start of the image, in place of the writer's.
std::vector<uint8_t> JpegWithProfile(std::vector<uint8_t> J, const std::vector<uint8_t>& Icc);
// An iCCP chunk right after IHDR.
std::vector<uint8_t> PngWithProfile(std::vector<uint8_t> P, const std::vector<uint8_t>& Icc);
// The WebP made extended (VP8X with its ICC flag) with an ICCP chunk before the image.
std::vector<uint8_t> WebpWithProfile(const std::vector<uint8_t>& W, const std::vector<uint8_t>& Icc,
                                     int32_t Width, int32_t Height);
// An RGB TIFF of the bitmap with the profile in tag 34675, written to Path; its bytes.
std::vector<uint8_t> TiffWithProfile(const TBitmap32& B, const std::vector<uint8_t>& Icc,
                                     const std::filesystem::path& Path);
// Display P3 as phones write it: the P3 primaries, D65 and the sRGB curve, made by Little CMS.
std::vector<uint8_t> DisplayP3Profile();

// The photo in each format that carries a profile (JPEG, PNG, WebP, TIFF) with Icc embedded: the
// file's name ("p.jpg" ...), its bytes and the format's decoder, which gives the samples as
// stored, without the profile applied. The TIFF is written through Scratch.
struct TTaggedFile {
  std::string File;
  std::vector<uint8_t> Bytes;
  TPicture (*Decode)(const uint8_t*, size_t, int64_t);
};
std::vector<TTaggedFile> TaggedFiles(const TBitmap32& Photo, const std::vector<uint8_t>& Icc,
                                     const std::filesystem::path& Scratch);
