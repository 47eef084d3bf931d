#pragma once
// Finding what a picture file says about its colours, in the file's own bytes: JPEG's APP2
// "ICC_PROFILE" markers (a profile may be split over several), PNG's iCCP, sRGB, gAMA and cHRM
// chunks, WebP's ICCP chunk. Damaged or incomplete colour data gives an untagged profile: the
// picture is then read as sRGB. Never throws for bad bytes; reads nothing past Size.
#include <cstddef>
#include <cstdint>

#include "colour_profile.h"
#include "picture_formats.h"

TColourProfile JpegColourProfile(const uint8_t* Data, size_t Size);
TColourProfile PngColourProfile(const uint8_t* Data, size_t Size);
TColourProfile WebpColourProfile(const uint8_t* Data, size_t Size);

// What a file of the format says about its colours (JPEG, PNG, WebP, TIFF; HEIF's readers
// convert by themselves, other formats carry nothing).
TColourProfile ColourProfileOf(TPictureFormat Format, const uint8_t* Data, size_t Size);

// The picture decoded from the file's bytes converted to sRGB by what the file says.
void ApplyColourProfile(TPictureFormat Format, const uint8_t* Data, size_t Size, TPicture& Picture);
