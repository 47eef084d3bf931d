#include "settings_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "exceptions.h"
#include "file_io.h"
#include "little_endian.h"

namespace {

struct TColorName {
  TPlatformColor Value;
  const char* Name;
};

constexpr TPlatformColor Sys(uint32_t Index) {
  return static_cast<TPlatformColor>(0x80000000u | Index);
}

// The standard colour names, in the order a lookup by value prefers them.
constexpr TColorName ColorNames[] = {
    {0x000000, "clBlack"},
    {0x000080, "clMaroon"},
    {0x008000, "clGreen"},
    {0x008080, "clOlive"},
    {0x800000, "clNavy"},
    {0x800080, "clPurple"},
    {0x808000, "clTeal"},
    {0x808080, "clGray"},
    {0xC0C0C0, "clSilver"},
    {0x0000FF, "clRed"},
    {0x00FF00, "clLime"},
    {0x00FFFF, "clYellow"},
    {0xFF0000, "clBlue"},
    {0xFF00FF, "clFuchsia"},
    {0xFFFF00, "clAqua"},
    {0xFFFFFF, "clWhite"},
    {0xC0DCC0, "clMoneyGreen"},
    {0xF0CAA6, "clSkyBlue"},
    {0xF0FBFF, "clCream"},
    {0xA4A0A0, "clMedGray"},
    {Sys(0), "clScrollBar"},
    {Sys(1), "clBackground"},
    {Sys(2), "clActiveCaption"},
    {Sys(3), "clInactiveCaption"},
    {Sys(4), "clMenu"},
    {Sys(5), "clWindow"},
    {Sys(6), "clWindowFrame"},
    {Sys(7), "clMenuText"},
    {Sys(8), "clWindowText"},
    {Sys(9), "clCaptionText"},
    {Sys(10), "clActiveBorder"},
    {Sys(11), "clInactiveBorder"},
    {Sys(12), "clAppWorkSpace"},
    {Sys(13), "clHighlight"},
    {Sys(14), "clHighlightText"},
    {Sys(15), "clBtnFace"},
    {Sys(16), "clBtnShadow"},
    {Sys(17), "clGrayText"},
    {Sys(18), "clBtnText"},
    {Sys(19), "clInactiveCaptionText"},
    {Sys(20), "clBtnHighlight"},
    {Sys(21), "cl3DDkShadow"},
    {Sys(22), "cl3DLight"},
    {Sys(23), "clInfoText"},
    {Sys(24), "clInfoBk"},
    {Sys(26), "clHotLight"},
    {Sys(27), "clGradientActiveCaption"},
    {Sys(28), "clGradientInactiveCaption"},
    {Sys(29), "clMenuHighlight"},
    {Sys(30), "clMenuBar"},
    {0x1FFFFFFF, "clNone"},
    {0x20000000, "clDefault"},
};

bool EqualNoCase(const std::string& A, const char* B) {
  const size_t N = std::strlen(B);
  if (A.size() != N)
    return false;
  for (size_t I = 0; I < N; ++I)
    if (std::tolower(static_cast<unsigned char>(A[I])) !=
        std::tolower(static_cast<unsigned char>(B[I])))
      return false;
  return true;
}

// A signed field stored as two's complement.
int32_t ReadInt32(const uint8_t* P) {
  return static_cast<int32_t>(GetLE32(P));
}

bool WriteSmallFile(const std::string& FileName, const void* Data, size_t Size) {
  try {
    WriteFileAtomically(FileName, static_cast<const uint8_t*>(Data), Size);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

std::string ColorToString(TPlatformColor Color) {
  for (const TColorName& C : ColorNames)
    if (C.Value == Color)
      return C.Name;
  char Buf[16];
  std::snprintf(Buf, sizeof Buf, "$%.8X", static_cast<uint32_t>(Color));
  return Buf;
}

std::optional<TPlatformColor> StringToColor(const std::string& Raw) {
  std::string Text = Raw;
  while (!Text.empty() && std::isspace(static_cast<unsigned char>(Text.back()))) Text.pop_back();
  while (!Text.empty() && std::isspace(static_cast<unsigned char>(Text.front()))) Text.erase(0, 1);
  if (Text.empty())
    return std::nullopt;
  for (const TColorName& C : ColorNames)
    if (EqualNoCase(Text, C.Name))
      return C.Value;
  size_t I = 0;
  bool Negative = false;
  if (Text[I] == '-' || Text[I] == '+')
    Negative = Text[I++] == '-';
  int Base = 10;
  if (I < Text.size() && Text[I] == '$') {
    Base = 16;
    ++I;
  } else if (I + 1 < Text.size() && Text[I] == '0' && (Text[I + 1] == 'x' || Text[I + 1] == 'X')) {
    Base = 16;
    I += 2;
  }
  if (I >= Text.size())
    return std::nullopt;
  uint64_t V = 0;
  for (; I < Text.size(); ++I) {
    const int C = std::tolower(static_cast<unsigned char>(Text[I]));
    int D;
    if (C >= '0' && C <= '9')
      D = C - '0';
    else if (Base == 16 && C >= 'a' && C <= 'f')
      D = C - 'a' + 10;
    else
      return std::nullopt;
    V = V * static_cast<uint64_t>(Base) + static_cast<uint64_t>(D);
    if (V > 0xFFFFFFFFu)
      return std::nullopt;
  }
  if (Base == 10 && !Negative && V > 0x7FFFFFFF)
    return std::nullopt;
  const auto U = static_cast<uint32_t>(V);
  return static_cast<TPlatformColor>(Negative ? 0u - U : U);
}

TViewSettings ReadViewSettings(const std::string& FileName) {
  TViewSettings S;
  std::vector<uint8_t> Data;
  try {
    Data = ReadFileBytes(FileName, 4096);
  } catch (const Exception&) {
    return S;
  }
  std::string Text(Data.begin(), Data.end());
  if (Text.size() > 30)
    Text.resize(30);
  if (Text == "CHESS") {
    S.Chess = true;
  } else if (const auto C = StringToColor(Text)) {
    S.Color = *C;
  }
  return S;
}

bool WriteViewSettings(const std::string& FileName, const TViewSettings& Settings) {
  std::string Text = Settings.Chess ? "CHESS" : ColorToString(Settings.Color);
  if (Text.size() > 30)
    Text.resize(30);
  return WriteSmallFile(FileName, Text.data(), Text.size());
}

std::optional<TFormSettings> ReadFormSettings(const std::string& FileName) {
  std::vector<uint8_t> Data;
  try {
    Data = ReadFileBytes(FileName, 4096);
  } catch (const Exception&) {
    return std::nullopt;
  }
  if (Data.size() < 24)
    return std::nullopt;
  TFormSettings S;
  S.WindowState = Data[0];
  S.Left = ReadInt32(&Data[4]);
  S.Top = ReadInt32(&Data[8]);
  S.Width = ReadInt32(&Data[12]);
  S.Height = ReadInt32(&Data[16]);
  S.PanelSide = ReadInt32(&Data[20]);
  if (S.WindowState > 2)
    return std::nullopt;
  return S;
}

bool WriteFormSettings(const std::string& FileName, const TFormSettings& Settings) {
  uint8_t Rec[24] = {};
  Rec[0] = Settings.WindowState;
  PutLE32(Rec + 4, static_cast<uint32_t>(Settings.Left));
  PutLE32(Rec + 8, static_cast<uint32_t>(Settings.Top));
  PutLE32(Rec + 12, static_cast<uint32_t>(Settings.Width));
  PutLE32(Rec + 16, static_cast<uint32_t>(Settings.Height));
  PutLE32(Rec + 20, static_cast<uint32_t>(Settings.PanelSide));
  return WriteSmallFile(FileName, Rec, sizeof Rec);
}

uint64_t ReadUndoBudget(const std::string& FileName) {
  constexpr uint64_t Mb = uint64_t{1} << 20;
  std::string Text;
  try {
    const std::vector<uint8_t> Bytes = ReadFileBytes(FileName, 64);
    Text.assign(Bytes.begin(), Bytes.end());
  } catch (const Exception&) {
    return DefaultUndoBudgetMb * Mb;
  }
  while (!Text.empty() && std::isspace(static_cast<unsigned char>(Text.back()))) Text.pop_back();
  size_t I = 0;
  while (I < Text.size() && std::isspace(static_cast<unsigned char>(Text[I]))) ++I;
  if (I == Text.size() || Text.size() - I > 7)
    return DefaultUndoBudgetMb * Mb;
  uint64_t Value = 0;
  for (; I < Text.size(); ++I) {
    if (!std::isdigit(static_cast<unsigned char>(Text[I])))
      return DefaultUndoBudgetMb * Mb;
    Value = Value * 10 + uint64_t(Text[I] - '0');
  }
  return std::max<uint64_t>(Value, 16) * Mb;
}
