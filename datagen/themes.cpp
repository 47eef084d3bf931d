#include "themes.h"

#include "motifs.h"
#include "noise.h"
#include "prng.h"

namespace {

struct TPalette {
  uint32_t Top, Bottom;
};

TPalette PaletteOf(TOccasion O, int V) {
  static const TPalette P[6][4] = {
      {{0x0d2350, 0x2c5aa0}, {0x0b3b2e, 0x1f6b4f}, {0x4a0d1a, 0x9c1c2c}, {0xe9f1fa, 0xa9c8ea}},
      {{0xfff1d6, 0xffc6a8}, {0xe3f4ff, 0xa6d4f7}, {0xfde2f0, 0xc8a2e8}, {0xfffbe0, 0xffd86b}},
      {{0xffe3ea, 0xf48fb1}, {0x7a0b24, 0xc2185b}, {0xfff5f2, 0xf9c5c9}, {0xfbeaf0, 0xe8a0b8}},
      {{0x1f3b5c, 0x3e6a94}, {0x3f4a2a, 0x6f7f4a}, {0xe8eef4, 0xb9c8d8}, {0x2a2a2a, 0x54565a}},
      {{0xfdf0f6, 0xf7c6dd}, {0xf1f8e8, 0xc9e4b0}, {0xfff8e1, 0xffe082}, {0xf3e5f5, 0xce93d8}},
      {{0xfbf4e6, 0xead7b4}, {0xe8f5f1, 0xa8d8c8}, {0xf6eefc, 0xd1c0ea}, {0x263238, 0x4e5d66}},
  };
  return P[O][V % 4];
}

bool DarkBackground(TOccasion O, int V) {
  const TPalette P = PaletteOf(O, V);
  const TRgb C = Hex(P.Top);
  return C.R * 0.3f + C.G * 0.59f + C.B * 0.11f < 0.5f;
}

// One motif of the occasion at (X, Y) of size S; K picks among the occasion's motifs.
void Motif(TBitmap32& B, TOccasion O, int V, int K, float X, float Y, float S, TRandom& R) {
  const float A = R.Range(-0.5f, 0.5f);
  const TRgb Gold = Hex(0xe2b33c), Red = Hex(0xd3203a);
  switch (O) {
    case ocNewYear:
      switch (K % 5) {
        case 0:
          DrawSnowflake(B, X, Y, S * 0.5f, A, V == 3 ? Hex(0x5d8fd0) : Hex(0xffffff, 0.9f), 0.07f);
          break;
        case 1:
          DrawStar(B, X, Y, S * 0.4f, A * 0.3f, Gold);
          break;
        case 2:
          DrawBauble(B, X, Y, S * 0.32f, (K / 5) % 2 ? Red : Gold);
          break;
        case 3:
          DrawSparkle(B, X, Y, S * 0.4f, Hex(0xfff3c4));
          break;
        default:
          DrawSnowflake(B, X, Y, S * 0.3f, A, Hex(0xd8e8ff, 0.85f), 0.09f);
          break;
      }
      break;
    case ocBirthday:
      switch (K % 5) {
        case 0:
          DrawBalloon(B, X, Y, S * 0.3f, (K / 5) % 2 ? Hex(0xf25f5c) : Hex(0x247ba0), S * 0.7f,
                      A * 0.3f);
          break;
        case 1:
          DrawStar(B, X, Y, S * 0.3f, A, Hex(0xffc93c));
          break;
        case 2:
          DrawGift(B, X, Y, S * 0.6f, Hex(0x70c1b3), Hex(0xf25f5c));
          break;
        case 3:
          DrawBalloon(B, X, Y, S * 0.28f, Hex(0xffc93c), S * 0.7f, -A * 0.3f);
          break;
        default: {
          const uint32_t Cols[] = {0xf25f5c, 0xffe066, 0x247ba0, 0x70c1b3, 0xb07bd9};
          for (int I = 0; I < 6; ++I) {
            const float CX = X + R.Range(-S, S) * 0.5f, CY = Y + R.Range(-S, S) * 0.5f,
                        L = S * R.Range(0.04f, 0.08f), AA = R.Range(0, 3);
            FillSdColor(
                B, CX - L * 2, CY - L * 2, CX + L * 2, CY + L * 2,
                [=](float PX, float PY) {
                  return SdRoundBox(Rotate({PX - CX, PY - CY}, AA), L, L * 0.4f, L * 0.1f);
                },
                Hex(Cols[R.Int(0, 4)]));
          }
        }
      }
      break;
    case ocValentine:
      switch (K % 3) {
        case 0:
          DrawHeart(B, X, Y, S * 0.6f, A * 0.5f, V == 1 ? Hex(0xff8fb0) : Red);
          break;
        case 1:
          DrawHeart(B, X, Y, S * 0.4f, A * 0.5f, Hex(0xf06292));
          break;
        default:
          DrawRose(B, X, Y, S * 0.3f, A, Hex(0xc81d3a));
          break;
      }
      break;
    case ocFeb23:
      switch (K % 3) {
        case 0:
          DrawStar(B, X, Y, S * 0.4f, A * 0.2f, Hex(0xc62828));
          break;
        case 1:
          DrawStar(B, X, Y, S * 0.3f, A * 0.2f, Gold);
          break;
        default:
          DrawLeaf(B, X, Y, S * 0.5f, A * 2, Hex(0x7c8c4a));
          break;
      }
      break;
    case ocMarch8:
      switch (K % 4) {
        case 0:
          DrawTulip(B, X, Y - S * 0.3f, S * 0.55f, A * 0.4f,
                    (K / 4) % 2 ? Hex(0xe03a7e) : Hex(0xf6a1c0));
          break;
        case 1:
          DrawFlower(B, X, Y, S * 0.32f, A, 5, Hex(0xf8bbd0), Hex(0xfbc02d));
          break;
        case 2: {
          for (int I = 0; I < 10; ++I) {
            const float CX = X + R.Range(-S, S) * 0.25f, CY = Y + R.Range(-S, S) * 0.25f,
                        RR = S * 0.05f;
            FillSd(
                B, CX - RR, CY - RR, CX + RR, CY + RR,
                [=](float PX, float PY) {
                  return SdCircle({PX - CX, PY - CY}, RR);
                },
                [=](float PX, float PY) {
                  return Mix(Hex(0xfff27a), Hex(0xe9b400),
                             Clamp01(Len({PX - CX + RR * 0.3f, PY - CY + RR * 0.3f}) / RR));
                });
          }
          DrawLeaf(B, X + S * 0.2f, Y + S * 0.2f, S * 0.3f, 0.8f, Hex(0x6f9a4c));
          break;
        }
        default:
          DrawRose(B, X, Y, S * 0.28f, A, Hex(0xec6f9a));
          break;
      }
      break;
    case ocAny:
      switch (K % 4) {
        case 0:
          DrawFlower(B, X, Y, S * 0.35f, A, 6, V == 3 ? Hex(0xe6c36a) : Hex(0xef9a9a),
                     Hex(0xfff176));
          break;
        case 1:
          DrawSparkle(B, X, Y, S * 0.35f, Hex(0xffe9a8));
          break;
        case 2:
          DrawLeaf(B, X, Y, S * 0.4f, A * 3, Hex(0x81a96c));
          break;
        default:
          DrawRose(B, X, Y, S * 0.25f, A, Hex(0xf4a6a0));
          break;
      }
      break;
  }
}

}  // namespace

void PaintTheme(TBitmap32& B, TOccasion O, int V, uint64_t Seed, float ClearX, float ClearY,
                float MotifScale) {
  const int W = B.Width(), H = B.Height();
  const float M = static_cast<float>(std::min(W, H)) * MotifScale;
  const TPalette P = PaletteOf(O, V);
  const TRgb Top = Hex(P.Top), Bottom = Hex(P.Bottom);
  TTileNoise N(4, 4, 0.5f, Seed);
  PaintAll(B, [&](float X, float Y) {
    const float T = Y / H;
    const float Rad = Len({(X - W * 0.5f) / W, (Y - H * 0.4f) / H});
    TRgb C = Mix(Top, Bottom, Clamp01(T * 0.8f + Rad * 0.4f));
    return Scale(C, 0.97f + 0.06f * N.At(X / W, Y / H));
  });
  TRandom R(Seed);
  // Layout: 0 scattered, 1 corner clusters, 2 bands at top and bottom, 3 a garland around.
  const int Layout = V % 4;
  auto Keep = [&](float X, float Y) {
    const float DX = (X / W - ClearX) / 0.36f, DY = (Y / H - ClearY) / 0.26f;
    return DX * DX + DY * DY > 1.0f;
  };
  int K = 0;
  if (Layout == 0) {
    const int Count = static_cast<int>(W * H / (M * M) * 26);
    for (int I = 0; I < Count * 3 && K < Count; ++I) {
      const float X = R.Range(0, W), Y = R.Range(0, H);
      if (!Keep(X, Y))
        continue;
      Motif(B, O, V, K++, X, Y, M * R.Range(0.08f, 0.16f), R);
    }
  } else if (Layout == 1) {
    for (int Corner = 0; Corner < 2; ++Corner) {
      const float CX = Corner ? W : 0.0f, CY = Corner ? H : 0.0f;
      for (int I = 0; I < 14; ++I) {
        const float A = R.Range(0, Pi / 2) + (Corner ? Pi : 0), D = M * std::sqrt(R.Unit()) * 0.36f;
        Motif(B, O, V, K++, CX + std::cos(A) * D, CY + std::sin(A) * D, M * R.Range(0.12f, 0.2f),
              R);
      }
    }
  } else if (Layout == 2) {
    for (int Band = 0; Band < 2; ++Band) {
      const int Count = static_cast<int>(W / (M * 0.12f));
      for (int I = 0; I <= Count; ++I) {
        const float X = (I + R.Range(-0.2f, 0.2f)) * W / Count,
                    Y = Band ? H - M * 0.08f : M * 0.08f;
        Motif(B, O, V, K++, X, Y + R.Range(-0.03f, 0.03f) * M, M * R.Range(0.1f, 0.15f), R);
      }
    }
  } else {
    const int Count = 30;
    for (int I = 0; I < Count; ++I) {
      const float A = 2 * Pi * I / Count;
      const float X = W / 2.0f + std::cos(A) * (W / 2.0f - M * 0.05f),
                  Y = H / 2.0f + std::sin(A) * (H / 2.0f - M * 0.05f);
      Motif(B, O, V, K++, X, Y, M * R.Range(0.1f, 0.15f), R);
    }
  }
  // A soft vignette draws the eye to the middle.
  for (int Y = 0; Y < H; ++Y) {
    TColor32* Row = B.RowAddress(Y);
    for (int X = 0; X < W; ++X) {
      const float D = Len({(X - W * 0.5f) / (W * 0.5f), (Y - H * 0.5f) / (H * 0.5f)});
      Over(Row[X], Hex(0x000000),
           SmoothStep(0.9f, 1.6f, D) * (DarkBackground(O, V) ? 0.45f : 0.18f));
    }
  }
}

TLetterStyle ThemeLettering(TOccasion O, int V) {
  TLetterStyle S;
  const bool Dark = DarkBackground(O, V);
  static const char* Fonts[] = {"Z003", "Comfortaa", "P052", "PT Serif"};
  S.Font = Fonts[(O + V) % 4];
  // Z003 is a script face of its own; the others are set in their bold (italic) cuts.
  S.Style = S.Font == std::string("Z003")        ? 0
            : S.Font == std::string("Comfortaa") ? fsBold
                                                 : fsBold | fsItalic;
  S.OutlineWidth = 3;
  S.ShadowOffset = 3;
  S.ShadowBlur = 3;
  switch (O) {
    case ocNewYear:
      S.Top = Hex(0xfff6c8);
      S.Bottom = Hex(0xd9a02a);
      S.Outline = Hex(0x5a3a08);
      break;
    case ocBirthday:
      S.Top = Hex(0xff7a9c);
      S.Bottom = Hex(0xc2185b);
      S.Outline = Hex(0xffffff);
      break;
    case ocValentine:
      S.Top = Hex(0xff5a7a);
      S.Bottom = Hex(0xa80d2e);
      S.Outline = Hex(0xffffff);
      break;
    case ocFeb23:
      S.Top = Hex(0xfff0b0);
      S.Bottom = Hex(0xc99a2e);
      S.Outline = Hex(0x7a1010);
      break;
    case ocMarch8:
      S.Top = Hex(0xf06292);
      S.Bottom = Hex(0x8e24aa);
      S.Outline = Hex(0xffffff);
      break;
    case ocAny:
      S.Top = Hex(0xf4d27a);
      S.Bottom = Hex(0xb07a1e);
      S.Outline = Hex(0x4a2c0a);
      break;
  }
  if (Dark) {
    S.Glow = Hex(0xfff2b0, 0.35f);
    S.GlowRadius = 8;
  } else if (O == ocNewYear || O == ocFeb23 || O == ocAny) {
    S.Top = Hex(0x2a5db0);
    S.Bottom = Hex(0x0d2350);
    S.Outline = Hex(0xffffff);
  }
  return S;
}
