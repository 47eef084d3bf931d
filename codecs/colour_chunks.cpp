#include "colour_chunks.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "big_endian.h"
#include "little_endian.h"
#include "tiff_codec.h"

namespace {

// A zlib stream inflated, no larger than MaxIccProfileSize; empty when damaged or too large.
std::vector<uint8_t> Inflate(const uint8_t* Data, size_t Size) {
  std::vector<uint8_t> Out;
  z_stream Z{};
  if (inflateInit(&Z) != Z_OK)
    return Out;
  Z.next_in = const_cast<Bytef*>(Data);
  Z.avail_in = static_cast<uInt>(std::min<size_t>(Size, UINT32_MAX));
  std::array<uint8_t, 16384> Buffer;
  int R = Z_OK;
  while (R == Z_OK) {
    Z.next_out = Buffer.data();
    Z.avail_out = Buffer.size();
    R = inflate(&Z, Z_NO_FLUSH);
    if (R != Z_OK && R != Z_STREAM_END)
      break;
    Out.insert(Out.end(), Buffer.data(), Buffer.data() + (Buffer.size() - Z.avail_out));
    if (Out.size() > MaxIccProfileSize)
      break;
    if (R == Z_OK && Z.avail_in == 0 && Z.avail_out != 0)
      break;  // the stream stops short
  }
  inflateEnd(&Z);
  if (R != Z_STREAM_END || Out.size() > MaxIccProfileSize)
    Out.clear();
  return Out;
}

}  // namespace

TColourProfile JpegColourProfile(const uint8_t* Data, size_t Size) {
  TColourProfile Result;
  if (Data == nullptr || Size < 4 || Data[0] != 0xFF || Data[1] != 0xD8)
    return Result;
  static const char Tag[] = "ICC_PROFILE";  // with its terminating zero: 12 bytes
  std::vector<std::vector<uint8_t>> Parts;
  std::vector<bool> Seen;
  size_t Total = 0;
  size_t P = 2;
  while (P + 4 <= Size) {
    if (Data[P] != 0xFF)
      break;  // not a marker: the header is damaged
    const uint8_t M = Data[P + 1];
    if (M == 0xFF) {
      ++P;  // fill byte
      continue;
    }
    if (M == 0xDA || M == 0xD9)
      break;  // the image data starts: no colour markers follow
    if (M == 0x01 || (M >= 0xD0 && M <= 0xD7)) {
      P += 2;
      continue;
    }
    const uint32_t Length = GetBE16(Data + P + 2);
    if (Length < 2 || P + 2 + Length > Size)
      break;
    const uint8_t* Seg = Data + P + 4;
    const size_t SegSize = Length - 2;
    if (M == 0xE2 && SegSize >= 14 && std::memcmp(Seg, Tag, sizeof Tag) == 0) {
      const uint8_t Seq = Seg[12], Count = Seg[13];
      if (Count == 0 || Seq == 0 || Seq > Count || (!Parts.empty() && Parts.size() != Count))
        return {};
      if (Parts.empty()) {
        Parts.resize(Count);
        Seen.assign(Count, false);
      }
      if (Seen[Seq - 1u])
        return {};
      Seen[Seq - 1u] = true;
      Parts[Seq - 1u].assign(Seg + 14, Seg + SegSize);
      Total += SegSize - 14;
      if (Total > MaxIccProfileSize)
        return {};
    }
    P += 2 + Length;
  }
  if (Parts.empty())
    return Result;
  for (size_t I = 0; I < Parts.size(); ++I)
    if (!Seen[I])
      return {};  // a part is missing: the profile cannot be used
  Result.Icc.reserve(Total);
  for (const auto& Part : Parts) Result.Icc.insert(Result.Icc.end(), Part.begin(), Part.end());
  return Result;
}

TColourProfile PngColourProfile(const uint8_t* Data, size_t Size) {
  TColourProfile Result;
  static const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (Data == nullptr || Size < 8 || std::memcmp(Data, Signature, 8) != 0)
    return Result;
  bool Gamma = false;
  size_t P = 8;
  while (P + 12 <= Size) {
    const uint32_t Length = GetBE32(Data + P);
    const uint8_t* Type = Data + P + 4;
    const uint8_t* Body = Data + P + 8;
    if (Length > Size - P - 12)
      break;
    auto Is = [Type](const char* T) { return std::memcmp(Type, T, 4) == 0; };
    if (Is("IDAT") || Is("IEND"))
      break;
    if (Is("iCCP")) {
      // A name of 1 to 79 bytes, its zero, the compression method (0) and a zlib stream.
      const auto* End =
          static_cast<const uint8_t*>(std::memchr(Body, 0, std::min<size_t>(Length, 80)));
      if (End != nullptr && End > Body && size_t(End - Body) + 2 <= Length && End[1] == 0) {
        const size_t Offset = size_t(End - Body) + 2;
        Result.Icc = Inflate(Body + Offset, Length - Offset);
      }
    } else if (Is("sRGB") && Length == 1) {
      Result.Srgb = true;
    } else if (Is("gAMA") && Length == 4 && GetBE32(Body) > 0) {
      Result.Gamma = GetBE32(Body) / 100000.0;
      Gamma = true;
    } else if (Is("cHRM") && Length == 32) {
      double* Values[8] = {&Result.WhiteX, &Result.WhiteY, &Result.RedX,  &Result.RedY,
                           &Result.GreenX, &Result.GreenY, &Result.BlueX, &Result.BlueY};
      for (int I = 0; I < 8; ++I) *Values[I] = GetBE32(Body + 4 * I) / 100000.0;
      Result.HasChromaticities = true;
    }
    P += 12 + size_t{Length};
  }
  // An embedded profile comes first; "sRGB" says the chunks gAMA and cHRM only approximate it.
  if (!Result.Icc.empty() || Result.Srgb || !Gamma) {
    Result.Gamma = 0;
    Result.HasChromaticities = false;
  }
  return Result;
}

TColourProfile WebpColourProfile(const uint8_t* Data, size_t Size) {
  TColourProfile Result;
  if (Data == nullptr || Size < 12 || std::memcmp(Data, "RIFF", 4) != 0 ||
      std::memcmp(Data + 8, "WEBP", 4) != 0)
    return Result;
  size_t P = 12;
  while (P + 8 <= Size) {
    const uint32_t Length = GetLE32(Data + P + 4);
    if (Length > Size - P - 8)
      break;
    if (std::memcmp(Data + P, "ICCP", 4) == 0) {
      if (Length <= MaxIccProfileSize)
        Result.Icc.assign(Data + P + 8, Data + P + 8 + Length);
      break;
    }
    P += 8 + size_t{Length} + (Length & 1u);
  }
  return Result;
}

TColourProfile ColourProfileOf(TPictureFormat Format, const uint8_t* Data, size_t Size) {
  switch (Format) {
    case TPictureFormat::Jpeg:
      return JpegColourProfile(Data, Size);
    case TPictureFormat::Png:
      return PngColourProfile(Data, Size);
    case TPictureFormat::Webp:
      return WebpColourProfile(Data, Size);
    case TPictureFormat::Tiff:
      return TiffColourProfile(Data, Size);
    default:
      return {};
  }
}

void ApplyColourProfile(TPictureFormat Format, const uint8_t* Data, size_t Size,
                        TPicture& Picture) {
  const TColourProfile Profile = ColourProfileOf(Format, Data, Size);
  if (!Profile.IsUntagged())
    ConvertToSrgb(Picture, Profile);
}
