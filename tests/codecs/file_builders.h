#pragma once
// Small picture files written byte by byte for the reader tests.
#include <cstdint>
#include <initializer_list>
#include <vector>

using TBytes = std::vector<uint8_t>;

inline void Put16(TBytes& B, uint32_t V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}
inline void Put32(TBytes& B, uint32_t V) {
  Put16(B, V & 0xFFFF);
  Put16(B, V >> 16);
}
inline void Append(TBytes& B, std::initializer_list<uint8_t> Bytes) {
  B.insert(B.end(), Bytes.begin(), Bytes.end());
}
inline void Append(TBytes& B, const TBytes& More) {
  B.insert(B.end(), More.begin(), More.end());
}

// A TGA header; Descriptor bit 5 = top-down rows, bit 4 = right-to-left columns.
inline TBytes TgaHeader(uint8_t ImageType, uint16_t W, uint16_t H, uint8_t Depth,
                        uint8_t Descriptor, uint8_t MapType = 0, uint16_t MapFirst = 0,
                        uint16_t MapLength = 0, uint8_t MapBits = 0, uint8_t IdLength = 0) {
  TBytes B;
  Append(B, {IdLength, MapType, ImageType});
  Put16(B, MapFirst);
  Put16(B, MapLength);
  B.push_back(MapBits);
  Put16(B, 0);
  Put16(B, 0);
  Put16(B, W);
  Put16(B, H);
  Append(B, {Depth, Descriptor});
  return B;
}

// A PCX header (128 bytes) for Width x Height with the given layout; Palette16 fills the
// header's 16-colour palette.
inline TBytes PcxHeader(uint16_t W, uint16_t H, uint8_t Bits, uint8_t Planes, uint16_t BytesPerLine,
                        uint8_t Encoding = 1, const TBytes& Palette16 = {}) {
  TBytes B;
  Append(B, {0x0A, 5, Encoding, Bits});
  Put16(B, 0);
  Put16(B, 0);
  Put16(B, W - 1);
  Put16(B, H - 1);
  Put16(B, 72);
  Put16(B, 72);
  TBytes Pal = Palette16;
  Pal.resize(48, 0);
  Append(B, Pal);
  B.push_back(0);
  B.push_back(Planes);
  Put16(B, BytesPerLine);
  Put16(B, 1);
  B.resize(128, 0);
  return B;
}

// An icon file of the given images (each a complete DIB or PNG file image).
inline TBytes IcoFile(const std::vector<TBytes>& Images, uint16_t Type = 1) {
  TBytes B;
  Put16(B, 0);
  Put16(B, Type);
  Put16(B, uint16_t(Images.size()));
  uint32_t Offset = uint32_t(6 + 16 * Images.size());
  for (const TBytes& I : Images) {
    Append(B, {0, 0, 0, 0});  // sizes 0: the readers go by the images themselves
    Put16(B, 1);
    Put16(B, 32);
    Put32(B, uint32_t(I.size()));
    Put32(B, Offset);
    Offset += uint32_t(I.size());
  }
  for (const TBytes& I : Images) Append(B, I);
  return B;
}

// A BITMAPINFOHEADER of an icon image (height doubled for the AND mask).
inline TBytes IcoDibHeader(int32_t W, int32_t H, uint16_t Bits, uint32_t ColorsUsed = 0) {
  TBytes B;
  Put32(B, 40);
  Put32(B, uint32_t(W));
  Put32(B, uint32_t(H * 2));
  Put16(B, 1);
  Put16(B, Bits);
  Put32(B, 0);
  Put32(B, 0);
  Put32(B, 0);
  Put32(B, 0);
  Put32(B, ColorsUsed);
  Put32(B, 0);
  return B;
}
