#pragma once
// Reading UTF-8 text one code point at a time.
#include <optional>
#include <string_view>

// The code point that starts at byte I of S, with I moved past it. A malformed sequence (a
// stray continuation byte, an overlong form, a surrogate, a value past U+10FFFF, a sequence cut
// short) gives nothing and moves I by one byte. I must be below S.size().
inline std::optional<char32_t> NextUtf8(std::string_view S, size_t& I) {
  const auto B0 = static_cast<unsigned char>(S[I]);
  if (B0 < 0x80) {
    ++I;
    return B0;
  }
  size_t Extra = 0;
  char32_t Cp = 0, Min = 0;
  if ((B0 & 0xE0) == 0xC0) {
    Extra = 1, Cp = B0 & 0x1F, Min = 0x80;
  } else if ((B0 & 0xF0) == 0xE0) {
    Extra = 2, Cp = B0 & 0x0F, Min = 0x800;
  } else if ((B0 & 0xF8) == 0xF0) {
    Extra = 3, Cp = B0 & 0x07, Min = 0x10000;
  } else {
    ++I;
    return std::nullopt;
  }
  if (S.size() - I <= Extra) {
    ++I;
    return std::nullopt;
  }
  for (size_t K = 1; K <= Extra; ++K) {
    const auto B = static_cast<unsigned char>(S[I + K]);
    if ((B & 0xC0) != 0x80) {
      ++I;
      return std::nullopt;
    }
    Cp = (Cp << 6) | (B & 0x3F);
  }
  if (Cp < Min || Cp > 0x10FFFF || (Cp >= 0xD800 && Cp <= 0xDFFF)) {
    ++I;
    return std::nullopt;
  }
  I += Extra + 1;
  return Cp;
}

// True when S is well-formed UTF-8 and Allowed(code point) holds for every code point.
template <class F>
bool IsUtf8Where(std::string_view S, F Allowed) {
  for (size_t I = 0; I < S.size();) {
    const std::optional<char32_t> Cp = NextUtf8(S, I);
    if (!Cp || !Allowed(*Cp))
      return false;
  }
  return true;
}

// True when S is well-formed UTF-8.
inline bool IsWellFormedUtf8(std::string_view S) {
  return IsUtf8Where(S, [](char32_t) { return true; });
}
