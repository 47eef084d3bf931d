// SFrames: square frame tiles. The top row is the frame's outer edge and the bottom row its
// inner edge, as the tile lies along the top of a picture; the tile repeats from left to right,
// so everything across it is periodic in x.
#include "data_job.h"
#include "motifs.h"
#include "noise.h"
#include "picture_codecs.h"
#include "prng.h"

namespace {

constexpr int S = 96;
constexpr float F = static_cast<float>(S);

struct TMetal {
  TRgb Dark, Mid, Light;
};
const TMetal Gold{Hex(0x7a5212), Hex(0xc99a2e), Hex(0xfff0b0)};
const TMetal Silver{Hex(0x5d6570), Hex(0xb7bec8), Hex(0xffffff)};
const TMetal Bronze{Hex(0x5a3414), Hex(0xa8703a), Hex(0xf0c79a)};

TRgb MetalAt(const TMetal& M, float Light) {
  return Light < 0.5f ? Mix(M.Dark, M.Mid, Light * 2) : Mix(M.Mid, M.Light, (Light - 0.5f) * 2);
}

// A rounded moulding from Y0 to Y1: lit from above, a bright line near its top.
void Moulding(TBitmap32& B, float Y0, float Y1, const TMetal& M, bool Convex = true) {
  for (int Y = static_cast<int>(Y0); Y < static_cast<int>(Y1); ++Y) {
    const float T = (Y + 0.5f - Y0) / (Y1 - Y0);
    float L = Convex ? 0.5f + 0.5f * std::cos(T * Pi) : 0.5f - 0.45f * std::cos(T * Pi);
    L = Clamp01(L * 0.9f + 0.35f * std::exp(-std::pow((T - 0.28f) * 9, 2.0f)));
    B.FillRect(0, Y, S, Y + 1, ToColor32(MetalAt(M, L)));
  }
}

void Flat(TBitmap32& B, float Y0, float Y1, TRgb C, uint64_t Seed, float Depth = 0.08f) {
  TTileNoise N(16, 3, 0.5f, Seed);
  for (int Y = static_cast<int>(Y0); Y < static_cast<int>(Y1); ++Y)
    for (int X = 0; X < S; ++X)
      B.SetPixel(X, Y, ToColor32(Scale(C, 1 + Depth * (N.At(X / F, Y / F) - 0.5f))));
}

// Wood across the tile, rings running along it; Shade darkens towards the inner edge.
void WoodBand(TBitmap32& B, float Y0, float Y1, TRgb Light, TRgb Dark, uint64_t Seed) {
  TTileNoise Bend(2, 3, 0.5f, Seed), Grain(48, 2, 0.5f, Seed + 1);
  for (int Y = static_cast<int>(Y0); Y < static_cast<int>(Y1); ++Y)
    for (int X = 0; X < S; ++X) {
      const float U = X / F, V = Y / F;
      const float P = 4 * V + 1.2f * Bend.At(U, V);
      const float Ring = std::pow(P - std::floor(P), 2.2f);
      const float T = (Y + 0.5f - Y0) / (Y1 - Y0);
      TRgb C = Mix(Light, Dark, Clamp01(Ring * 0.6f + Grain.At(U, V * 0.1f) * 0.35f));
      C = Scale(C, 1.08f - 0.25f * T + 0.2f * std::exp(-std::pow((T - 0.1f) * 8, 2.0f)));
      B.SetPixel(X, Y, ToColor32(C));
    }
}

// N round beads centred on the line Y, radius R.
void Beads(TBitmap32& B, float Y, float R, int N, const TMetal& M) {
  for (int I = 0; I < N; ++I) {
    const float X = (I + 0.5f) * F / N;
    FillSd(
        B, X - R, Y - R, X + R, Y + R,
        [=](float PX, float PY) {
          return SdCircle({PX - X, PY - Y}, R);
        },
        [=](float PX, float PY) {
          const float D = Clamp01(Len({PX - (X - R * 0.35f), PY - (Y - R * 0.35f)}) / (R * 1.7f));
          return MetalAt(M, 1 - D);
        },
        0, true);
  }
}

void Pearls(TBitmap32& B, float Y, float R, int N) {
  for (int I = 0; I < N; ++I) {
    const float X = (I + 0.5f) * F / N;
    FillSdColor(
        B, X - R, Y - R + 2, X + R, Y + R + 2,
        [=](float PX, float PY) {
          return SdCircle({PX - X, PY - Y - 2}, R);
        },
        Hex(0x000000, 0.35f), 1.5f, true);
    FillSd(
        B, X - R, Y - R, X + R, Y + R,
        [=](float PX, float PY) {
          return SdCircle({PX - X, PY - Y}, R);
        },
        [=](float PX, float PY) {
          const float D = Clamp01(Len({PX - (X - R * 0.3f), PY - (Y - R * 0.35f)}) / (R * 1.6f));
          return Mix(Hex(0xffffff), Mix(Hex(0xf3ece2), Hex(0xb9aa9a), D), std::min(1.0f, D * 2.2f));
        },
        0, true);
  }
}

// A thin dark line, separating bands.
void Line(TBitmap32& B, float Y, TRgb C, float W = 1) {
  FillSdColor(
      B, 0, Y - W - 1, F, Y + W + 1, [=](float, float PY) { return std::fabs(PY - Y) - W / 2; }, C,
      0, true);
}

// Leaf scrolls carved in relief: a lighter upper edge and a darker lower edge of each leaf.
void CarvedLeaves(TBitmap32& B, float Y, float L, int N, TRgb C, bool Alternate = true) {
  for (int I = 0; I < N; ++I) {
    const float X = (I + 0.5f) * F / N;
    const float A = Alternate ? (I % 2 ? 0.5f : -0.5f) : 0.0f;
    DrawLeaf(B, X - L * 0.25f, Y, L, A, Darken(C, 0.35f), true);
    DrawLeaf(B, X - L * 0.25f - 0.8f, Y - 1, L * 0.95f, A, C, true);
  }
}

struct TFrame {
  const char* Name;
  const char* Title;  // the name the pickers show
  std::function<void(TBitmap32&, uint64_t)> Draw;
};

std::vector<TFrame> Frames() {
  return {
      {"gold_classic", "Золотая классика",
       [](TBitmap32& B, uint64_t) {
         Moulding(B, 0, 30, Gold);
         Moulding(B, 30, 52, Gold, false);
         Beads(B, 62, 8, 6, Gold);
         Moulding(B, 52, 72, Gold, false);
         Beads(B, 62, 7, 6, Gold);
         Moulding(B, 72, 96, Gold);
         Line(B, 95, Gold.Dark, 2);
       }},
      {"gold_baroque", "Золотое барокко",
       [](TBitmap32& B, uint64_t S0) {
         Moulding(B, 0, 96, Gold);
         Flat(B, 22, 70, Hex(0xb88a2a), S0, 0.15f);
         CarvedLeaves(B, 46, 34, 4, Hex(0xe3bf58));
         for (int I = 0; I < 4; ++I) Beads(B, 46, 5, 4, Gold);
         Line(B, 22, Gold.Dark);
         Line(B, 70, Gold.Dark);
         Moulding(B, 76, 96, Gold);
       }},
      {"gold_thin", "Гладкое золото",
       [](TBitmap32& B, uint64_t) {
         Moulding(B, 0, 40, Gold);
         Moulding(B, 40, 56, Gold, false);
         Moulding(B, 56, 96, Gold);
       }},
      {"gold_pearls", "Золото с жемчугом",
       [](TBitmap32& B, uint64_t S0) {
         Moulding(B, 0, 26, Gold);
         Flat(B, 26, 70, Hex(0x4a1020), S0, 0.2f);
         Pearls(B, 48, 10, 6);
         Moulding(B, 70, 96, Gold);
       }},
      {"silver_classic", "Серебряная классика",
       [](TBitmap32& B, uint64_t) {
         Moulding(B, 0, 34, Silver);
         Moulding(B, 34, 50, Silver, false);
         Beads(B, 60, 6, 8, Silver);
         Moulding(B, 50, 70, Silver, false);
         Beads(B, 60, 5.5f, 8, Silver);
         Moulding(B, 70, 96, Silver);
       }},
      {"silver_modern", "Гладкое серебро",
       [](TBitmap32& B, uint64_t) {
         Moulding(B, 0, 60, Silver);
         Line(B, 60, Silver.Dark, 2);
         Moulding(B, 61, 96, Silver, false);
       }},
      {"silver_stars", "Серебряные звёзды",
       [](TBitmap32& B, uint64_t S0) {
         Moulding(B, 0, 22, Silver);
         Flat(B, 22, 74, Hex(0x1b2a4a), S0, 0.15f);
         for (int I = 0; I < 3; ++I)
           DrawStar(B, (I + 0.5f) * F / 3, 48, 18, 0, Hex(0xdfe6ee), 5, 0.45f, true, true);
         Moulding(B, 74, 96, Silver);
       }},
      {"bronze_antique", "Старинная бронза",
       [](TBitmap32& B, uint64_t S0) {
         Moulding(B, 0, 28, Bronze);
         Flat(B, 28, 68, Hex(0x6b4420), S0, 0.25f);
         CarvedLeaves(B, 48, 30, 4, Hex(0xa8703a), false);
         Moulding(B, 68, 96, Bronze);
       }},
      {"wood_light", "Светлое дерево",
       [](TBitmap32& B, uint64_t S0) {
         WoodBand(B, 0, 96, Hex(0xe0bb84), Hex(0xa8743c), S0);
         Line(B, 70, Hex(0x6e4420, 0.6f));
       }},
      {"wood_dark", "Тёмное дерево с золотом",
       [](TBitmap32& B, uint64_t S0) {
         WoodBand(B, 0, 80, Hex(0x7a4a28), Hex(0x3a2010), S0);
         Moulding(B, 80, 96, Gold);
       }},
      {"wood_carved", "Резное дерево",
       [](TBitmap32& B, uint64_t S0) {
         WoodBand(B, 0, 96, Hex(0x9a6a3a), Hex(0x5a3418), S0);
         CarvedLeaves(B, 46, 36, 3, Hex(0xa9783f));
         Line(B, 18, Hex(0x3a2010, 0.7f));
         Line(B, 76, Hex(0x3a2010, 0.7f));
       }},
      {"wood_rustic", "Деревенская рама",
       [](TBitmap32& B, uint64_t S0) {
         WoodBand(B, 0, 96, Hex(0xb08050), Hex(0x6a4424), S0);
         for (int I = 0; I < 4; ++I) {
           const float X = (I + 0.5f) * F / 4;
           FillSd(
               B, X - 5, 43, X + 5, 53,
               [=](float PX, float PY) {
                 return SdCircle({PX - X, PY - 48}, 3.5f);
               },
               [](float, float) { return Hex(0x3a2a1a); });
         }
       }},
      {"floral_roses", "Розы на кремовом",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0xf6ece0), S0, 0.06f);
         Moulding(B, 0, 10, Gold);
         for (int I = 0; I < 2; ++I) {
           const float X = (I + 0.5f) * F / 2;
           DrawLeaf(B, X - 26, 46, 28, 0.3f, Hex(0x5d8f4e), true);
           DrawLeaf(B, X + 26, 50, 28, -0.3f + Pi, Hex(0x4e7f40), true);
           DrawRose(B, X, 48, 22, I * 1.3f, Hex(0xd24a64), true);
         }
         Moulding(B, 86, 96, Gold);
       }},
      {"floral_daisies", "Ромашковый луг",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0xa9cf8f), S0, 0.1f);
         for (int I = 0; I < 3; ++I) {
           const float X = (I + 0.5f) * F / 3;
           DrawLeaf(B, X + 14, 60, 22, 0.6f, Hex(0x4f8a3c), true);
           DrawFlower(B, X, 40 + (I % 2) * 12, 17, I * 0.4f, 12, Hex(0xffffff), Hex(0xf2c232),
                      true);
         }
         Line(B, 95, Hex(0x3f6f30), 2);
       }},
      {"floral_spring", "Весенние цветы",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0xfbe4ec), S0, 0.05f);
         Line(B, 6, Hex(0xd86a8a), 2);
         for (int I = 0; I < 4; ++I) {
           const float X = (I + 0.5f) * F / 4;
           DrawLeaf(B, X + 10, 54, 18, 0.5f, Hex(0x7fb069), true);
           DrawFlower(B, X, 46, 13, I * 0.7f, 5, I % 2 ? Hex(0xf4a6c0) : Hex(0xb9a2dc),
                      Hex(0xf7d35a), true);
         }
         Line(B, 90, Hex(0xd86a8a), 2);
       }},
      {"ribbon_satin_red", "Красный атлас",
       [](TBitmap32& B, uint64_t) {
         for (int Y = 0; Y < S; ++Y) {
           const float T = Y / F;
           const float L = 0.55f + 0.3f * std::sin(T * Pi * 2.2f + 0.4f) +
                           0.15f * std::exp(-std::pow((T - 0.3f) * 10, 2.0f));
           B.FillRect(0, Y, S, Y + 1, ToColor32(Mix(Hex(0x5e0a12), Hex(0xf0606a), Clamp01(L))));
         }
         for (float Y : {10.0f, 86.0f})
           for (int I = 0; I < 8; ++I) {
             const float X = I * F / 8 + 2;
             FillSdColor(
                 B, X - 1, Y - 2, X + 8, Y + 2,
                 [=](float PX, float PY) {
                   return SdSegment({PX, PY}, {X, Y}, {X + 6, Y}, 0.9f);
                 },
                 Hex(0xffd6d6, 0.9f));
           }
       }},
      {"ribbon_gingham", "Голубая клетка",
       [](TBitmap32& B, uint64_t) {
         PaintAll(B, [](float X, float Y) {
           const float K = (static_cast<int>(X / 12) % 2 ? 0.45f : 0) +
                           (static_cast<int>(Y / 12) % 2 ? 0.45f : 0);
           return Mix(Hex(0xffffff), Hex(0x2f6db5), K);
         });
         Moulding(B, 0, 6, Silver);
         Moulding(B, 90, 96, Silver);
       }},
      {"ribbon_gold_blue", "Синяя лента с золотом",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0x213f78), S0, 0.12f);
         Moulding(B, 0, 14, Gold);
         for (int Y = 40; Y < 56; ++Y)
           B.FillRect(0, Y, S, Y + 1,
                      ToColor32(MetalAt(Gold, 0.5f + 0.45f * std::cos((Y - 40) / 16.0f * Pi))));
         Moulding(B, 82, 96, Gold);
       }},
      {"pearls_white", "Жемчужные нити",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0x2c2c3c), S0, 0.15f);
         Pearls(B, 24, 11, 4);
         Pearls(B, 56, 8, 6);
         Pearls(B, 80, 6, 8);
       }},
      {"pearls_velvet", "Жемчуг на бархате",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0x6d1230), S0, 0.22f);
         Moulding(B, 0, 16, Silver);
         Pearls(B, 52, 14, 4);
         Moulding(B, 86, 96, Silver);
       }},
      {"lace_white", "Белое кружево",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0x7a1f3a), S0, 0.15f);
         // Scalloped lace: solid at the inner edge, scallops with holes towards the outside.
         auto Sd = [](float X, float Y) {
           float D = Y - 96;
           D = std::max(D, 40 - Y);
           for (int I = -1; I <= 4; ++I)
             D = std::min(D, SdCircle({X - (I + 0.5f) * 24, Y - 34}, 13));
           D = std::min(D, std::max(28 - Y, Y - 96));
           for (int I = -1; I <= 4; ++I)
             D = std::max(D, -SdCircle({X - (I + 0.5f) * 24, Y - 34}, 4));
           for (int I = -1; I <= 8; ++I) D = std::max(D, -SdCircle({X - I * 12.0f, Y - 62}, 3));
           return D;
         };
         FillSdColor(B, 0, 15, F, F, Sd, Hex(0xfbf7ee), 0, true);
         Line(B, 80, Hex(0xe0d6c0), 1.5f);
       }},
      {"lace_cream", "Кремовое кружево",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0x8fb3c9), S0, 0.1f);
         auto Sd = [](float X, float Y) {
           float D = std::max(44 - Y, Y - 96);
           for (int I = -1; I <= 4; ++I)
             D = std::min(D, SdCircle({X - (I + 0.5f) * 24, Y - 40}, 14));
           for (int I = -1; I <= 4; ++I)
             D = std::max(D, -SdStar({X - (I + 0.5f) * 24, Y - 40}, 6, 7, 0.4f));
           for (int I = -1; I <= 8; ++I)
             D = std::max(D, -SdCircle({X - I * 12.0f - 6, Y - 70}, 3.5f));
           return D;
         };
         FillSdColor(B, 0, 20, F, F, Sd, Hex(0xf6ecd6), 0, true);
       }},
      {"christmas_holly", "Рождественский остролист",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0x1f5135), S0, 0.15f);
         Moulding(B, 0, 10, Gold);
         for (int I = 0; I < 2; ++I) {
           const float X = (I + 0.5f) * F / 2;
           DrawLeaf(B, X - 14, 48, 30, 0.4f, Hex(0x3f9a4e), true);
           DrawLeaf(B, X + 14, 48, 30, -0.4f, Hex(0x2f7a3e), true);
           DrawBerries(B, X, 46, 7, Hex(0xd62828));
         }
         Moulding(B, 86, 96, Gold);
       }},
      {"christmas_candy", "Рождественская карамель",
       [](TBitmap32& B, uint64_t) {
         PaintAll(B, [](float X, float Y) {
           const float T = (X + Y) / F * 3;
           const float Fr = T - std::floor(T);
           return Fr < 0.5f ? Hex(0xd21f2f) : Hex(0xfdf8f0);
         });
         Moulding(B, 0, 8, Silver);
         Moulding(B, 88, 96, Silver);
       }},
      {"hearts_valentine", "Сердечки-валентинки",
       [](TBitmap32& B, uint64_t S0) {
         Flat(B, 0, 96, Hex(0xf7c6d3), S0, 0.08f);
         Line(B, 8, Hex(0xc2185b), 3);
         for (int I = 0; I < 3; ++I)
           DrawHeart(B, (I + 0.5f) * F / 3, 48, 28, (I % 2 ? 0.2f : -0.2f), Hex(0xd81b4a), true,
                     true);
         Line(B, 88, Hex(0xc2185b), 3);
       }},
      {"snowflakes_frost", "Морозные снежинки",
       [](TBitmap32& B, uint64_t) {
         PaintAll(B, [](float, float Y) { return Mix(Hex(0x1d4e89), Hex(0x9cc3e6), Y / F); });
         for (int I = 0; I < 3; ++I)
           DrawSnowflake(B, (I + 0.5f) * F / 3, 46, 17, I * 0.3f, Hex(0xffffff), 0.08f, true);
         Moulding(B, 88, 96, Silver);
       }},
  };
}

}  // namespace

void AddFrameJobs(TDataJobs& Jobs) {
  for (const auto& Fr : Frames()) {
    const std::string Name = std::string(Fr.Name) + ".png";
    auto Draw = Fr.Draw;
    Jobs.push_back({"SFrames", Name, Fr.Title, [Draw, Name](const std::string& Path) {
                      TBitmap32 B;
                      B.SetSize(S, S);
                      B.Clear(clWhite32);
                      Draw(B, SeedFromName(Name.c_str()));
                      B.MakeOpaque();
                      SavePictureByExtension(B, Path);
                    }});
  }
}
