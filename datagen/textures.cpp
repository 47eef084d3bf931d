// Textures: seamless tiles. Every noise is periodic over the tile and every motif is drawn with
// wrap-around, so the tile joins itself at all four edges.
#include "data_job.h"
#include "motifs.h"
#include "noise.h"
#include "picture_codecs.h"
#include "prng.h"

namespace {

constexpr int Side = 256;

// Paper: soft cloudy fibres over a base colour.
void Paper(TBitmap32& B, uint64_t Seed, TRgb Base, float Depth) {
  TTileNoise Cloud(4, 5, 0.55f, Seed), Fibre(32, 3, 0.6f, Seed + 1);
  PaintAll(B, [&](float X, float Y) {
    const float U = X / Side, V = Y / Side;
    const float K = 1 + Depth * ((Cloud.At(U, V) - 0.5f) * 0.6f + (Fibre.At(U, V) - 0.5f) * 0.5f);
    return Scale(Base, K);
  });
}

// Woven cloth: Threads threads per tile each way, each thread a little different.
void Weave(TBitmap32& B, uint64_t Seed, TRgb Base, int Threads, float Depth) {
  TPeriodicNoise Warp(Threads, Seed), Weft(Threads, Seed + 1);
  TTileNoise Slub(8, 3, 0.5f, Seed + 2);
  PaintAll(B, [&](float X, float Y) {
    const float U = X / Side * Threads, V = Y / Side * Threads;
    const float SX = 0.5f + 0.5f * std::cos(2 * Pi * U), SY = 0.5f + 0.5f * std::cos(2 * Pi * V);
    const bool Over = (static_cast<int>(std::floor(U)) + static_cast<int>(std::floor(V))) % 2 == 0;
    const float Thread = Over ? (0.6f + 0.4f * SY) * (0.85f + 0.3f * Warp.At(U, 0.5f))
                              : (0.6f + 0.4f * SX) * (0.85f + 0.3f * Weft.At(0.5f, V));
    const float K = 1 + Depth * (Thread - 0.8f) + 0.12f * (Slub.At(X / Side, Y / Side) - 0.5f);
    return Scale(Base, K);
  });
}

// Marble: veins from a sine of a turbulent phase; K whole waves across the tile.
void Marble(TBitmap32& B, uint64_t Seed, TRgb Base, TRgb Vein, int K) {
  TTileNoise Turb(3, 6, 0.55f, Seed), Cloud(4, 4, 0.5f, Seed + 3);
  PaintAll(B, [&](float X, float Y) {
    const float U = X / Side, V = Y / Side;
    const float Phase = 2 * Pi * (K * (U + V) * 0.5f) * 2 + 9.0f * Turb.At(U, V);
    const float S = std::pow(1 - std::fabs(std::sin(Phase * 0.5f)), 6.0f);
    TRgb C = Scale(Base, 0.94f + 0.12f * Cloud.At(U, V));
    return Mix(C, Vein, Clamp01(S * 0.85f));
  });
}

// Wood: rings along the y axis bent by noise, with fine grain.
void Wood(TBitmap32& B, uint64_t Seed, TRgb Light, TRgb Dark, int Rings) {
  TTileNoise Bend(2, 4, 0.5f, Seed), Grain(64, 2, 0.5f, Seed + 1);
  PaintAll(B, [&](float X, float Y) {
    const float U = X / Side, V = Y / Side;
    const float P = Rings * V + 1.6f * Bend.At(U, V);
    float Ring = P - std::floor(P);
    Ring = std::pow(Ring, 2.5f);
    const float G = Grain.At(0.37f, V);  // streaks along the grain
    return Mix(Light, Dark, Clamp01(Ring * 0.7f + G * 0.3f));
  });
}

// Watercolour wash: two colours in soft pools, darker at the pools' edges.
void Wash(TBitmap32& B, uint64_t Seed, TRgb A, TRgb C) {
  TTileNoise N(3, 5, 0.5f, Seed), Paper(24, 2, 0.5f, Seed + 5);
  PaintAll(B, [&](float X, float Y) {
    const float U = X / Side, V = Y / Side;
    const float T = N.At(U, V);
    const float Edge = std::exp(-std::pow((T - 0.5f) * 14, 2.0f));
    TRgb Col = Mix(A, C, SmoothStep(0.3f, 0.7f, T));
    Col = Darken(Col, Edge * 0.12f);
    return Scale(Col, 0.97f + 0.06f * Paper.At(U, V));
  });
}

// Background first, then motifs scattered on a jittered lattice of N x N cells.
template <class TMotif>
void Scatter(TBitmap32&, TRandom& R, int N, float Jitter, TMotif Motif) {
  const float Cell = static_cast<float>(Side) / N;
  for (int J = 0; J < N; ++J)
    for (int I = 0; I < N; ++I) {
      const float X = (I + 0.5f + (J % 2) * 0.5f) * Cell + R.Range(-Jitter, Jitter) * Cell;
      const float Y = (J + 0.5f) * Cell + R.Range(-Jitter, Jitter) * Cell;
      Motif(X, Y, Cell, I, J);
    }
}

void Save(const TBitmap32& B, const std::string& Path) {
  TSaveOptions O;
  O.JpegQuality = 92;
  SavePictureByExtension(B, Path, O);
}

struct TTexture {
  const char* Name;
  const char* Title;  // the name the pickers show
  std::function<void(TBitmap32&, TRandom&, uint64_t)> Make;
};

std::vector<TTexture> Textures() {
  return {
      {"paper_cream", "Кремовая бумага",
       [](TBitmap32& B, TRandom&, uint64_t S) { Paper(B, S, Hex(0xf3e9d2), 0.12f); }},
      {"paper_white", "Белая бумага",
       [](TBitmap32& B, TRandom&, uint64_t S) { Paper(B, S, Hex(0xfbfaf6), 0.07f); }},
      {"paper_kraft", "Крафт-бумага",
       [](TBitmap32& B, TRandom&, uint64_t S) { Paper(B, S, Hex(0xc19a6b), 0.22f); }},
      {"paper_rose", "Розовая бумага",
       [](TBitmap32& B, TRandom&, uint64_t S) { Paper(B, S, Hex(0xf6dde0), 0.1f); }},
      {"linen_natural", "Небелёный лён",
       [](TBitmap32& B, TRandom&, uint64_t S) { Weave(B, S, Hex(0xe4d8c0), 64, 0.35f); }},
      {"linen_blue", "Голубой лён",
       [](TBitmap32& B, TRandom&, uint64_t S) { Weave(B, S, Hex(0xb8c8dc), 64, 0.35f); }},
      {"linen_grey", "Серый лён",
       [](TBitmap32& B, TRandom&, uint64_t S) { Weave(B, S, Hex(0xcfcac2), 64, 0.3f); }},
      {"canvas", "Холст",
       [](TBitmap32& B, TRandom&, uint64_t S) { Weave(B, S, Hex(0xdccfb0), 32, 0.45f); }},
      {"marble_white", "Белый мрамор",
       [](TBitmap32& B, TRandom&, uint64_t S) { Marble(B, S, Hex(0xf2f0ec), Hex(0x8f8a86), 2); }},
      {"marble_green", "Зелёный мрамор",
       [](TBitmap32& B, TRandom&, uint64_t S) { Marble(B, S, Hex(0x2f6b55), Hex(0xd8eee2), 2); }},
      {"marble_rose", "Розовый мрамор",
       [](TBitmap32& B, TRandom&, uint64_t S) { Marble(B, S, Hex(0xe9c9c4), Hex(0xffffff), 3); }},
      {"marble_black", "Чёрный мрамор с золотом",
       [](TBitmap32& B, TRandom&, uint64_t S) { Marble(B, S, Hex(0x26262b), Hex(0xc9a85a), 2); }},
      {"wood_oak", "Дуб",
       [](TBitmap32& B, TRandom&, uint64_t S) { Wood(B, S, Hex(0xd9b17a), Hex(0x9a6a38), 6); }},
      {"wood_walnut", "Орех",
       [](TBitmap32& B, TRandom&, uint64_t S) { Wood(B, S, Hex(0x7a4e2d), Hex(0x3e2414), 7); }},
      {"wood_birch", "Берёза",
       [](TBitmap32& B, TRandom&, uint64_t S) { Wood(B, S, Hex(0xf0dfc0), Hex(0xc9a97a), 5); }},
      {"wash_sky", "Небесная акварель",
       [](TBitmap32& B, TRandom&, uint64_t S) { Wash(B, S, Hex(0xdceefa), Hex(0x8fbbe3)); }},
      {"wash_rose", "Розовая акварель",
       [](TBitmap32& B, TRandom&, uint64_t S) { Wash(B, S, Hex(0xfde9ee), Hex(0xeaa0b4)); }},
      {"wash_mint", "Мятная акварель",
       [](TBitmap32& B, TRandom&, uint64_t S) { Wash(B, S, Hex(0xeaf7ee), Hex(0x9fd3b4)); }},
      {"wash_lilac", "Сиреневая акварель",
       [](TBitmap32& B, TRandom&, uint64_t S) { Wash(B, S, Hex(0xf1eafa), Hex(0xb9a2dc)); }},
      {"wash_sunset", "Закатная акварель",
       [](TBitmap32& B, TRandom&, uint64_t S) { Wash(B, S, Hex(0xffe7c2), Hex(0xf29c8c)); }},
      {"snow", "Снег",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Wash(B, S, Hex(0xeef5fc), Hex(0xc9dcef));
         for (int I = 0; I < 260; ++I) {
           const float X = R.Range(0, Side), Y = R.Range(0, Side), Rr = R.Range(0.8f, 2.6f);
           FillSdColor(
               B, X - Rr, Y - Rr, X + Rr, Y + Rr,
               [=](float PX, float PY) {
                 return SdCircle({PX - X, PY - Y}, Rr);
               },
               Hex(0xffffff, R.Range(0.6f, 1.0f)), 0.6f, true);
         }
       }},
      {"snowflakes_blue", "Снежинки на синем",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Wash(B, S, Hex(0x3d6fa8), Hex(0x1f4a80));
         Scatter(B, R, 4, 0.18f, [&](float X, float Y, float C, int I, int J) {
           DrawSnowflake(B, X, Y, C * ((I + J) % 2 ? 0.26f : 0.18f), R.Range(0, 1),
                         Hex(0xffffff, 0.9f), 0.07f, true);
         });
       }},
      {"stars_night", "Звёздная ночь",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Wash(B, S, Hex(0x1b2550), Hex(0x0e1433));
         for (int I = 0; I < 180; ++I) {
           const float X = R.Range(0, Side), Y = R.Range(0, Side);
           DrawGlow(B, X, Y, R.Range(1.2f, 3.2f), Hex(0xfff8e0, R.Range(0.5f, 1)), true);
         }
         Scatter(B, R, 3, 0.25f, [&](float X, float Y, float C, int, int) {
           DrawSparkle(B, X, Y, C * 0.16f, Hex(0xfff2c4), true);
         });
       }},
      {"stars_gold", "Золотые звёзды",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Paper(B, S, Hex(0x14284f), 0.1f);
         Scatter(B, R, 4, 0.15f, [&](float X, float Y, float C, int I, int J) {
           DrawStar(B, X, Y, C * ((I * 3 + J) % 3 ? 0.16f : 0.25f), R.Range(-0.3f, 0.3f),
                    Hex(0xe8c15a), 5, 0.45f, true, true);
         });
       }},
      {"hearts_pink", "Розовые сердечки",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Paper(B, S, Hex(0xfbe1e8), 0.06f);
         Scatter(B, R, 4, 0.12f, [&](float X, float Y, float C, int I, int J) {
           DrawHeart(B, X, Y, C * 0.42f, R.Range(-0.4f, 0.4f),
                     (I + J) % 2 ? Hex(0xe75480) : Hex(0xf59ab5), true, true);
         });
       }},
      {"hearts_red", "Красные сердечки",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Paper(B, S, Hex(0xfff8f4), 0.05f);
         Scatter(B, R, 5, 0.05f, [&](float X, float Y, float C, int, int) {
           DrawHeart(B, X, Y, C * 0.38f, R.Range(-0.25f, 0.25f), Hex(0xc8102e), true, true);
         });
       }},
      {"floral_cream", "Цветы на кремовом",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Paper(B, S, Hex(0xf7efdc), 0.06f);
         Scatter(B, R, 3, 0.15f, [&](float X, float Y, float C, int I, int) {
           const float A = R.Range(0, 6.28f);
           DrawLeaf(B, X + std::cos(A) * C * 0.28f, Y + std::sin(A) * C * 0.28f, C * 0.3f, A,
                    Hex(0x7ea56a), true);
           DrawLeaf(B, X - std::cos(A + 0.5f) * C * 0.28f, Y - std::sin(A + 0.5f) * C * 0.28f,
                    C * 0.26f, A + 0.5f, Hex(0x6c9a5c), true);
           DrawFlower(B, X, Y, C * 0.26f, A, 5 + I % 2, I % 2 ? Hex(0xe9a1b0) : Hex(0xf2c46d),
                      Hex(0xb5652d), true);
         });
       }},
      {"roses_pastel", "Пастельные розы",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Paper(B, S, Hex(0xeaf1ea), 0.05f);
         Scatter(B, R, 3, 0.12f, [&](float X, float Y, float C, int I, int J) {
           const float A = R.Range(0, 6.28f);
           for (int K = 0; K < 3; ++K)
             DrawLeaf(B, X + std::cos(A + K * 2.1f) * C * 0.3f,
                      Y + std::sin(A + K * 2.1f) * C * 0.3f, C * 0.25f, A + K * 2.1f, Hex(0x86a77a),
                      true);
           DrawRose(B, X, Y, C * 0.24f, A, (I + J) % 2 ? Hex(0xe88ea0) : Hex(0xf4b6a0), true);
         });
       }},
      {"daisies_green", "Ромашки на зелёном",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Paper(B, S, Hex(0x9cc48a), 0.12f);
         Scatter(B, R, 5, 0.2f, [&](float X, float Y, float C, int, int) {
           DrawFlower(B, X, Y, C * 0.3f, R.Range(0, 6.28f), 12, Hex(0xffffff), Hex(0xf2c232), true);
         });
       }},
      {"polka_dots", "Красный в горошек",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Paper(B, S, Hex(0xd94f5c), 0.05f);
         (void)R;
         const float C = Side / 8.0f;
         for (int J = 0; J < 8; ++J)
           for (int I = 0; I < 8; ++I) {
             const float X = (I + (J % 2) * 0.5f) * C, Y = (J + 0.5f) * C;
             FillSdColor(
                 B, X - C, Y - C, X + C, Y + C,
                 [=](float PX, float PY) {
                   return SdCircle({PX - X, PY - Y}, C * 0.22f);
                 },
                 Hex(0xfff7ef), 0, true);
           }
       }},
      {"stripes_candy", "Карамельные полоски",
       [](TBitmap32& B, TRandom&, uint64_t S) {
         TTileNoise N(8, 2, 0.5f, S);
         PaintAll(B, [&](float X, float Y) {
           const float T = (X + Y) / Side * 4;  // four stripes across; seamless as 4 is whole
           const float F = T - std::floor(T);
           TRgb C =
               F < 0.5f ? Hex(0xcf2a3a) : (F < 0.58f || F > 0.92f ? Hex(0x3f8a4a) : Hex(0xfdf6ee));
           return Scale(C, 0.96f + 0.06f * N.At(X / Side, Y / Side));
         });
       }},
      {"gingham_blue", "Голубая клетка",
       [](TBitmap32& B, TRandom&, uint64_t S) {
         TTileNoise N(64, 1, 0.5f, S);
         PaintAll(B, [&](float X, float Y) {
           const bool BX = static_cast<int>(X / (Side / 8.0f)) % 2 == 0,
                      BY = static_cast<int>(Y / (Side / 8.0f)) % 2 == 0;
           const float K = (BX ? 0.45f : 0) + (BY ? 0.45f : 0);
           return Scale(Mix(Hex(0xffffff), Hex(0x3867b0), K),
                        0.97f + 0.05f * N.At(X / Side, Y / Side));
         });
       }},
      {"argyle", "Ромбы с золотой нитью",
       [](TBitmap32& B, TRandom&, uint64_t) {
         PaintAll(B, [&](float X, float Y) {
           const float U = std::fmod(X / (Side / 2.0f), 1.0f) - 0.5f,
                       V = std::fmod(Y / (Side / 2.0f), 1.0f) - 0.5f;
           const bool In = std::fabs(U) + std::fabs(V) * 0.75f < 0.5f;
           TRgb C = In ? Hex(0x7b2d3b) : Hex(0x2f4858);
           const float L1 = std::fabs(std::fmod(X + Y + 4 * Side, Side / 4.0f)),
                       L2 = std::fabs(std::fmod(X - Y + 4 * Side, Side / 4.0f));
           if (L1 < 1.2f || L2 < 1.2f)
             C = Hex(0xe8d9a8);
           return C;
         });
       }},
      {"chevron_mint", "Мятный зигзаг",
       [](TBitmap32& B, TRandom&, uint64_t) {
         PaintAll(B, [&](float X, float Y) {
           const float U = std::fmod(X, Side / 8.0f) / (Side / 8.0f);
           const float T = Y / (Side / 8.0f) + std::fabs(U - 0.5f);
           return (T - std::floor(T)) < 0.42f ? Hex(0x7fcbb0) : Hex(0xf4fbf7);
         });
       }},
      {"lattice_gold", "Золотая решётка",
       [](TBitmap32& B, TRandom&, uint64_t S) {
         Paper(B, S, Hex(0x6e1a2a), 0.08f);
         const float C = Side / 4.0f;
         for (int J = 0; J <= 4; ++J)
           for (int I = 0; I <= 4; ++I) {
             const float X = I * C, Y = J * C;
             FillSdColor(
                 B, X - C / 2, Y - C / 2, X + C / 2, Y + C / 2,
                 [=](float PX, float PY) {
                   const float D = std::fabs(PX - X) + std::fabs(PY - Y);
                   return std::fabs(D - C * 0.5f) - 1.6f;
                 },
                 Hex(0xd9b35c), 0, true);
             DrawFlower(B, X + C / 2, Y + C / 2, C * 0.18f, 0, 4, Hex(0xe6c36a), Hex(0xa3762a),
                        true);
           }
       }},
      {"confetti", "Конфетти",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Paper(B, S, Hex(0xfffaf0), 0.04f);
         const uint32_t Cols[] = {0xf25f5c, 0xffe066, 0x247ba0, 0x70c1b3, 0xb07bd9, 0xff9f1c};
         for (int I = 0; I < 90; ++I) {
           const float X = R.Range(0, Side), Y = R.Range(0, Side), A = R.Range(0, 3.14f),
                       L = R.Range(3, 7);
           const TRgb C = Hex(Cols[R.Int(0, 5)]);
           if (I % 3 == 0)
             FillSdColor(
                 B, X - L, Y - L, X + L, Y + L,
                 [=](float PX, float PY) {
                   return SdCircle({PX - X, PY - Y}, L * 0.5f);
                 },
                 C, 0, true);
           else
             FillSdColor(
                 B, X - L, Y - L, X + L, Y + L,
                 [=](float PX, float PY) {
                   return SdRoundBox(Rotate({PX - X, PY - Y}, A), L, L * 0.35f, 0.5f);
                 },
                 C, 0, true);
         }
       }},
      {"glitter_gold", "Золотые блёстки",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         TTileNoise N(16, 3, 0.5f, S);
         PaintAll(B, [&](float X, float Y) {
           return Mix(Hex(0x9c7a2c), Hex(0xe9cf7a), N.At(X / Side, Y / Side));
         });
         for (int I = 0; I < 500; ++I)
           DrawGlow(B, R.Range(0, Side), R.Range(0, Side), R.Range(1, 3),
                    Hex(0xfffbe6, R.Range(0.4f, 1)), true);
       }},
      {"fir_branches", "Еловые ветки",
       [](TBitmap32& B, TRandom& R, uint64_t S) {
         Paper(B, S, Hex(0xf4efe4), 0.05f);
         // Branches in two directions, drawn across the edges, with a bauble on every other one.
         const float C = Side / 3.0f;
         for (int J = 0; J < 3; ++J)
           for (int I = 0; I < 3; ++I) {
             const float X = (I + 0.5f + (J % 2) * 0.5f) * C, Y = (J + 0.5f) * C;
             const float A = ((I + J) % 2 ? 0.5f : -0.5f) + R.Range(-0.15f, 0.15f);
             DrawFirBranch(B, X - std::cos(A) * C * 0.55f, Y - std::sin(A) * C * 0.55f, C * 1.1f, A,
                           (I + J) % 2 ? Hex(0x2f6b3a) : Hex(0x3b7d45), true);
             if ((I + J) % 2 == 0)
               DrawBauble(B, X, Y + C * 0.18f, C * 0.1f, I % 2 ? Hex(0xc62828) : Hex(0xd9a52b),
                          true);
           }
       }},
      {"damask_blue", "Синий дамаск",
       [](TBitmap32& B, TRandom&, uint64_t S) {
         Paper(B, S, Hex(0x29476e), 0.06f);
         const float C = Side / 2.0f;
         for (int J = 0; J < 2; ++J)
           for (int I = 0; I < 2; ++I) {
             const float X = (I + 0.5f) * C, Y = (J + 0.5f) * C;
             for (int K = 0; K < 4; ++K) {
               const float A = K * Pi / 2;
               DrawLeaf(B, X + std::cos(A) * C * 0.2f, Y + std::sin(A) * C * 0.2f, C * 0.28f, A,
                        Hex(0x4d6f98), true);
             }
             DrawFlower(B, X, Y, C * 0.16f, Pi / 4, 4, Hex(0x5e82ad), Hex(0x93aed0), true);
             DrawStar(B, X + C / 2, Y + C / 2, C * 0.08f, 0, Hex(0x5e82ad), 4, 0.35f, false, true);
           }
       }},
  };
}

}  // namespace

void AddTextureJobs(TDataJobs& Jobs) {
  for (const auto& T : Textures()) {
    const std::string Name = std::string(T.Name) + ".jpg";
    auto Make = T.Make;
    Jobs.push_back({"Textures", Name, T.Title, [Make, Name](const std::string& Path) {
                      TBitmap32 B;
                      B.SetSize(Side, Side);
                      B.Clear(clWhite32);
                      const uint64_t Seed = SeedFromName(Name.c_str());
                      TRandom R(Seed);
                      Make(B, R, Seed);
                      Save(B, Path);
                    }});
  }
}
