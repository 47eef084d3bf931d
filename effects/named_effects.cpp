#include "named_effects.h"

#include "color_effects.h"
#include "distortions.h"

int32_t RoundedQuotient(int32_t X, int32_t D) {
  int32_t Q = X / D;
  const int32_t R2 = 2 * (X % D);
  if (R2 > D || (R2 == D && (Q & 1)))
    ++Q;
  return Q;
}

void ApplyNamedEffect(const std::string& Name, const TEffectTarget& Target,
                      const TEffectSettings& S, TPreviewSnapshot* Before) {
  RunRgbShell(
      Target,
      [&](RgbImage& A, RgbImage& B) {
        const int32_t W = A.Width();
        if (Name == "spray") {
          ScatterPixels(A, uint32_t(S.SprayValue));
        } else if (Name == "textur") {
          DropDisplace(A, B, S.MarbFreq, S.MarbScal);
          return srSecond;
        } else if (Name == "invert") {
          InvertChannels(A);
        } else if (Name == "mosa") {
          BlockMosaic(A, RoundedQuotient(W, 100));
        } else if (Name == "emboss") {
          DiagonalEmboss(A);
        } else if (Name == "ripple_7") {
          SawtoothBlinds(A, RoundedQuotient(W, 7));
        } else if (Name == "ripple_12") {
          SawtoothBlinds(A, RoundedQuotient(W, 12));
        } else if (Name == "ripple_24") {
          SawtoothBlinds(A, RoundedQuotient(W, 24));
        } else if (Name == "wave") {
          WaveShift(A, S.WavesValue, S.WavesInterf, S.WavesNu);
        } else if (Name == "post") {
          QuantizeLevels(A, B, S.PostaValue);
          return srSecond;
        }
        return srFirst;
      },
      Before);
}

void ApplyNoiseOrTint(const std::string& Name, const TEffectTarget& Target, uint32_t Colour) {
  RunRgbShell(Target, [&](RgbImage& A, RgbImage&) {
    if (Name == "color")
      ChannelNoise(A, 50);
    else if (Name == "mona")
      GreyNoise(A, 60);
    else if (Name == "mod")
      TintByIntensity(A, Colour);
    return srFirst;
  });
}
