#pragma once
// The projective reverse mapping, shared by TProjectiveTransformation and the drawing loops of
// TransformBitmap so that both give every pixel the same source point.
#include <cmath>
#include <cstdint>

// round() into the 32-bit range; values far outside any bitmap only need to stay far outside.
inline int32_t RoundClamped(float V) {
  if (!(V > -1073741824.0f))
    return -1073741824;
  if (V > 1073741824.0f)
    return 1073741824;
  return static_cast<int32_t>(std::nearbyint(V));
}

// The source point of destination pixel (X, Y) under the reverse matrix s (column after column):
// Factor 1 gives whole pixels (ReverseInt), 256 gives 24.8 (ReverseFixed). Every product and sum
// is rounded on its own. False on the horizon (w = 0), where there is no source point.
inline bool ProjectiveReverse(const float* s, int32_t X, int32_t Y, float Factor, int32_t& SrcX,
                              int32_t& SrcY) {
  const auto FX0 = static_cast<float>(X);
  const auto FY0 = static_cast<float>(Y);
  const float W = s[2] * FX0 + s[5] * FY0 + s[8];
  if (W == 1.0f) {
    SrcX = RoundClamped((s[0] * FX0 + s[3] * FY0 + s[6]) * Factor);
    SrcY = RoundClamped((s[1] * FX0 + s[4] * FY0 + s[7]) * Factor);
    return true;
  }
  if (W == 0.0f)
    return false;
  const float Q = 1.0f / W;
  SrcX = RoundClamped((s[0] * FX0 + s[3] * FY0 + s[6]) * Q * Factor);
  SrcY = RoundClamped(Q * (s[1] * FX0 + s[4] * FY0 + s[7]) * Factor);
  return true;
}
