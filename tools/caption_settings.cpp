#include "caption_settings.h"

#include <string>

#include "little_endian.h"
#include "utf8.h"

namespace {

constexpr uint32_t SettingsVersion = 1;
// Limits of what a caption can be: beyond them the bytes are taken for damage.
constexpr uint32_t MaxTextBytes = 1u << 20;
constexpr uint32_t MaxLines = 10000;

class TWriter {
 public:
  void U8(uint8_t V) { FOut.push_back(V); }
  void U32(uint32_t V) {
    uint8_t B[4];
    PutLE32(B, V);
    FOut.insert(FOut.end(), B, B + 4);
  }
  void I32(int32_t V) { U32(static_cast<uint32_t>(V)); }
  void Text(const std::string& S) {
    U32(static_cast<uint32_t>(S.size()));
    FOut.insert(FOut.end(), S.begin(), S.end());
  }
  std::vector<uint8_t> Take() { return std::move(FOut); }

 private:
  std::vector<uint8_t> FOut;
};

class TReader {
 public:
  explicit TReader(const std::vector<uint8_t>& In) : FIn(In) {}
  bool Ok() const { return FOk; }
  bool AtEnd() const { return FPos == FIn.size(); }
  uint8_t U8() {
    if (!Need(1))
      return 0;
    return FIn[FPos++];
  }
  uint32_t U32() {
    if (!Need(4))
      return 0;
    const uint32_t V = GetLE32(FIn.data() + FPos);
    FPos += 4;
    return V;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  bool Flag() {
    const uint8_t V = U8();
    if (V > 1)
      FOk = false;
    return V != 0;
  }
  int32_t Ranged(int32_t Lo, int32_t Hi) {
    const int32_t V = I32();
    if (V < Lo || V > Hi)
      FOk = false;
    return V;
  }
  // A text that is not UTF-8 is damage like any other.
  std::string Text() {
    const uint32_t N = U32();
    if (N > MaxTextBytes || !Need(N))
      return {};
    std::string S(reinterpret_cast<const char*>(FIn.data() + FPos), N);
    FPos += N;
    if (!IsWellFormedUtf8(S))
      FOk = false;
    return S;
  }

 private:
  bool Need(size_t N) {
    if (!FOk || FIn.size() - FPos < N) {
      FOk = false;
      return false;
    }
    return true;
  }
  const std::vector<uint8_t>& FIn;
  size_t FPos = 0;
  bool FOk = true;
};

}  // namespace

std::vector<uint8_t> EncodeCaption(const TCaption& C) {
  TWriter W;
  W.U32(SettingsVersion);
  W.Text(C.FontName);
  W.I32(C.Size);
  W.U32(C.Style);
  W.U32(C.TextColor);
  W.U32(C.BackColor);
  W.U8(C.TransparentBackground ? 1 : 0);
  W.I32(C.Transparency);
  W.U8(C.Outline.On ? 1 : 0);
  W.U32(C.Outline.Colour);
  W.I32(C.Outline.Width);
  W.U8(C.Shadow.On ? 1 : 0);
  W.U32(C.Shadow.Colour);
  W.I32(C.Shadow.Offset);
  W.I32(C.Shadow.Softness);
  W.U32(static_cast<uint32_t>(C.Lines.size()));
  for (const TCaptionLine& L : C.Lines) {
    W.U8(static_cast<uint8_t>(L.Align));
    W.Text(L.Text);
  }
  return W.Take();
}

std::optional<TCaption> DecodeCaption(const std::vector<uint8_t>& Bytes) {
  TReader R(Bytes);
  if (R.U32() != SettingsVersion)
    return std::nullopt;
  TCaption C;
  C.FontName = R.Text();
  C.Size = R.Ranged(1, MaxCaptionPointSize);
  C.Style = R.U32();
  if ((C.Style & ~(fsBold | fsItalic | fsUnderline | fsStrikeOut)) != 0)
    return std::nullopt;
  C.TextColor = R.U32();
  C.BackColor = R.U32();
  C.TransparentBackground = R.Flag();
  C.Transparency = R.Ranged(0, 100);
  C.Outline.On = R.Flag();
  C.Outline.Colour = R.U32();
  C.Outline.Width = R.Ranged(0, MaxOutlineWidth);
  C.Shadow.On = R.Flag();
  C.Shadow.Colour = R.U32();
  C.Shadow.Offset = R.Ranged(0, MaxShadowOffset);
  C.Shadow.Softness = R.Ranged(0, MaxShadowSoftness);
  const uint32_t N = R.U32();
  if (!R.Ok() || N > MaxLines)
    return std::nullopt;
  for (uint32_t I = 0; I < N && R.Ok(); ++I) {
    const uint8_t A = R.U8();
    if (A > static_cast<uint8_t>(TCaptionAlign::Justify))
      return std::nullopt;
    C.Lines.push_back({R.Text(), static_cast<TCaptionAlign>(A)});
  }
  if (!R.Ok() || !R.AtEnd())
    return std::nullopt;
  return C;
}
