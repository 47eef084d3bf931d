// Patterns: the small seamless ornament tiles pat1.bmp .. pat38.bmp that the border command
// repeats around a picture. Each is drawn with wrap-around so the repeats join.
#include "data_job.h"
#include "motifs.h"
#include "noise.h"
#include "prng.h"

namespace {

enum TKind {
  kStripesDiag,
  kDots,
  kChecks,
  kHearts,
  kStars,
  kSnow,
  kWaves,
  kZigzag,
  kRope,
  kPearls,
  kLeaves,
  kFlowers,
  kLattice,
  kScales,
  kHerringbone,
  kDiamonds,
  kRings,
  kRoses,
  kMarble,
  kWood,
  kGingham,
  kTartan,
  kBricks,
  kGlitter
};

struct TPattern {
  TKind Kind;
  int Side;
  uint32_t Back, Fore, Extra;
  const char* Title;  // the name the pickers show
};

constexpr TPattern Table[] = {
    {kRope, 32, 0x7a4b12, 0xe9c46a, 0xb8862b, "Золотой шнур"},
    {kPearls, 32, 0x3b0d1e, 0xf4ece0, 0xc9b9a6, "Жемчуг на бордовом"},
    {kRings, 32, 0x1d3557, 0xe6c36a, 0, "Золотые кольца на синем"},
    {kLeaves, 32, 0xf3efe0, 0x4f8a3c, 0x2f6b2a, "Зелёные листья"},
    {kFlowers, 32, 0xfbe3ea, 0xe0607e, 0xf2c232, "Розовые цветы"},
    {kHearts, 32, 0xfff3f5, 0xd6334f, 0, "Красные сердечки"},
    {kStars, 32, 0x14284f, 0xf0c95a, 0, "Золотые звёзды на синем"},
    {kSnow, 32, 0x2e5f95, 0xffffff, 0, "Снежинки на синем"},
    {kStripesDiag, 32, 0xc8102e, 0xfff8f0, 0x2f7d3a, "Красно-белая полоска"},
    {kDots, 24, 0x0f4c5c, 0xf6e7c1, 0, "Горошек на бирюзовом"},
    {kChecks, 32, 0x111111, 0xf1e9d2, 0, "Шахматная клетка"},
    {kWaves, 32, 0xdff1fb, 0x2a7fb8, 0x8cc7e6, "Синие волны"},
    {kZigzag, 32, 0xf4e1c1, 0xb5412e, 0, "Красный зигзаг"},
    {kLattice, 32, 0x5a1024, 0xd9b35c, 0, "Золотая решётка на бордовом"},
    {kScales, 32, 0x17594a, 0x66b79a, 0xb4e0cf, "Зелёная чешуя"},
    {kHerringbone, 32, 0x8b5a2b, 0xc59a5e, 0, "Коричневая ёлочка"},
    {kDiamonds, 32, 0x23395b, 0xcbd5e1, 0x8da9c4, "Серебряные ромбы на синем"},
    {kRings, 32, 0xf7f1e3, 0xc99a2e, 0, "Золотые кольца на кремовом"},
    {kRoses, 32, 0xf4efe6, 0xd0506a, 0x5f8f4e, "Розы на кремовом"},
    {kMarble, 32, 0xeeeae4, 0x8a8580, 0, "Светлый мрамор"},
    {kWood, 32, 0xc08a50, 0x6e4420, 0, "Дерево"},
    {kGingham, 32, 0xffffff, 0xd32f2f, 0, "Красная клетка"},
    {kTartan, 32, 0x1b4d3e, 0xb71c1c, 0xf2d16b, "Шотландка"},
    {kBricks, 32, 0xa0522d, 0xe8d9c0, 0, "Кирпичная кладка"},
    {kGlitter, 32, 0xb08d3c, 0xfff6d5, 0, "Золотые блёстки"},
    {kGlitter, 32, 0x9aa3ad, 0xffffff, 0, "Серебряные блёстки"},
    {kRope, 32, 0x6b6f75, 0xe8ebef, 0xb3b8bf, "Серебряный шнур"},
    {kPearls, 32, 0x0d2b45, 0xf8f4ec, 0xbfc7d1, "Жемчуг на тёмно-синем"},
    {kHearts, 24, 0xd6334f, 0xffd1dc, 0, "Сердечки на красном"},
    {kStars, 24, 0xb71c1c, 0xffe08a, 0, "Звёзды на красном"},
    {kSnow, 32, 0xe9f2fb, 0x6d9bd1, 0, "Голубые снежинки"},
    {kFlowers, 32, 0x2f4f3a, 0xf6f0e2, 0xe8b33c, "Цветы на зелёном"},
    {kLeaves, 32, 0x6e1a2a, 0xd9b35c, 0xb08d3c, "Золотые листья на бордовом"},
    {kStripesDiag, 32, 0xffffff, 0x2b59c3, 0xc8102e, "Сине-красная полоска"},
    {kDots, 32, 0xf7c8d4, 0xffffff, 0, "Белый горошек на розовом"},
    {kDiamonds, 32, 0x7a1f1f, 0xf1e2c0, 0xd8c29a, "Кремовые ромбы на бордовом"},
    {kWaves, 32, 0x0b3d2e, 0xd9b35c, 0x3f7a5e, "Золотые волны на зелёном"},
    {kChecks, 16, 0x4a2c6e, 0xd7c7ea, 0, "Сиреневая клетка"},
};
static_assert(std::size(Table) == 38);

void Draw(TBitmap32& B, const TPattern& P, uint64_t Seed) {
  const int S = P.Side;
  const float F = static_cast<float>(S);
  const TRgb Back = Hex(P.Back), Fore = Hex(P.Fore), Extra = Hex(P.Extra);
  TRandom R(Seed);
  B.SetSize(S, S);
  B.Clear(ToColor32(Back));
  auto Wrapped = [&](auto Sd, TRgb C, float Soft = 0) {
    FillSdColor(B, 0, 0, F, F, Sd, C, Soft, true);
  };
  switch (P.Kind) {
    case kStripesDiag:
      PaintAll(B, [&](float X, float Y) {
        const float T = (X + Y) / F * 2;
        const float Fr = T - std::floor(T);
        return Fr < 0.35f ? Fore : (Fr > 0.45f && Fr < 0.55f ? Extra : Back);
      });
      break;
    case kDots:
      for (const TVec C : {TVec{F * 0.25f, F * 0.25f}, TVec{F * 0.75f, F * 0.75f}})
        Wrapped([=](float X, float Y) { return SdCircle({X - C.X, Y - C.Y}, F * 0.13f); }, Fore);
      break;
    case kChecks:
      PaintAll(B, [&](float X, float Y) {
        return ((static_cast<int>(X * 2 / F) + static_cast<int>(Y * 2 / F)) & 1) ? Fore : Back;
      });
      break;
    case kGingham:
      PaintAll(B, [&](float X, float Y) {
        const float K = (X < F / 2 ? 0.45f : 0) + (Y < F / 2 ? 0.45f : 0);
        return Mix(Back, Fore, K);
      });
      break;
    case kTartan:
      PaintAll(B, [&](float X, float Y) {
        auto Band = [&](float V) {
          return V < F * 0.3f ? 0.5f : (V > F * 0.45f && V < F * 0.52f ? 1.0f : 0.0f);
        };
        const float BX = Band(X), BY = Band(Y);
        TRgb C = Back;
        if (BX > 0.9f || BY > 0.9f)
          C = Extra;
        else
          C = Mix(Back, Fore, (BX + BY) * 0.55f);
        return C;
      });
      break;
    case kHearts:
      DrawHeart(B, F * 0.25f, F * 0.27f, F * 0.36f, -0.2f, Fore, true, true);
      DrawHeart(B, F * 0.75f, F * 0.77f, F * 0.36f, 0.2f, Fore, true, true);
      break;
    case kStars:
      DrawStar(B, F * 0.27f, F * 0.27f, F * 0.2f, 0, Fore, 5, 0.45f, true, true);
      DrawStar(B, F * 0.77f, F * 0.75f, F * 0.13f, 0.3f, Fore, 5, 0.45f, true, true);
      break;
    case kSnow:
      DrawSnowflake(B, F * 0.28f, F * 0.3f, F * 0.22f, 0, Fore, 0.09f, true);
      DrawSnowflake(B, F * 0.76f, F * 0.76f, F * 0.14f, 0.3f, Fore, 0.1f, true);
      break;
    case kWaves:
      PaintAll(B, [&](float X, float Y) {
        const float W = F * 0.5f + std::sin(X / F * 2 * Pi) * F * 0.18f;
        const float D = std::fabs(Y - W);
        const float D2 = std::fabs(std::fmod(Y - W + F * 1.5f, F) - F * 0.5f);
        return D < F * 0.12f ? Fore : (D2 < F * 0.05f ? Extra : Back);
      });
      break;
    case kZigzag:
      PaintAll(B, [&](float X, float Y) {
        const float U = std::fabs(std::fmod(X / F * 2, 1.0f) - 0.5f) * F * 0.5f;
        const float V = std::fmod(Y - U + F, F / 2);
        return V < F * 0.18f ? Fore : Back;
      });
      break;
    case kRope:
      // Twisted cord: diagonal strands shaded as cylinders, across the whole tile.
      PaintAll(B, [&](float X, float Y) {
        const float T = (X + Y) / F * 2;
        const float Fr = T - std::floor(T);
        const float Shade = std::sin(Fr * Pi);
        return Mix(Back, Mix(Fore, Extra, 1 - Shade), 0.3f + 0.7f * Shade);
      });
      break;
    case kPearls:
      for (const TVec C : {TVec{F * 0.25f, F * 0.5f}, TVec{F * 0.75f, F * 0.5f}}) {
        Wrapped(
            [=](float X, float Y) {
              return SdCircle({X - C.X, Y - C.Y}, F * 0.22f);
            },
            Hex(0x000000, 0.35f), 2);
        FillSd(
            B, C.X - F * 0.25f, C.Y - F * 0.25f, C.X + F * 0.25f, C.Y + F * 0.25f,
            [=](float X, float Y) {
              return SdCircle({X - C.X, Y - C.Y}, F * 0.21f);
            },
            [=](float X, float Y) {
              const float D =
                  Clamp01(Len({X - (C.X - F * 0.07f), Y - (C.Y - F * 0.07f)}) / (F * 0.32f));
              return Mix(Hex(0xffffff), Mix(Fore, Extra, D), std::min(1.0f, D * 2.5f));
            },
            0, true);
      }
      break;
    case kLeaves:
      DrawLeaf(B, F * 0.3f, F * 0.3f, F * 0.5f, -0.7f, Fore, true);
      DrawLeaf(B, F * 0.75f, F * 0.75f, F * 0.45f, 0.7f, Hex(P.Extra), true);
      break;
    case kFlowers:
      DrawFlower(B, F * 0.28f, F * 0.28f, F * 0.24f, 0, 5, Fore, Extra, true);
      DrawFlower(B, F * 0.76f, F * 0.76f, F * 0.18f, 0.5f, 5, Fore, Extra, true);
      break;
    case kRoses:
      DrawLeaf(B, F * 0.62f, F * 0.4f, F * 0.3f, 0.4f, Extra, true);
      DrawLeaf(B, F * 0.4f, F * 0.62f, F * 0.3f, 1.2f, Extra, true);
      DrawRose(B, F * 0.35f, F * 0.35f, F * 0.22f, 0, Fore, true);
      DrawRose(B, F * 0.82f, F * 0.82f, F * 0.15f, 1, Fore, true);
      break;
    case kLattice:
      Wrapped(
          [=](float X, float Y) {
            return std::fabs(std::fabs(X - F / 2) + std::fabs(Y - F / 2) - F / 2) * 0.7071f - 1.2f;
          },
          Fore);
      DrawFlower(B, F / 2, F / 2, F * 0.17f, 0, 4, Fore, Lighten(Fore, 0.4f), true);
      break;
    case kScales:
      for (const TVec C : {TVec{0, F}, TVec{F / 2, F}, TVec{F / 4, F / 2}, TVec{F * 0.75f, F / 2},
                           TVec{0, 0}, TVec{F / 2, 0}})
        FillSd(
            B, C.X - F / 4 - 1, C.Y - F / 2, C.X + F / 4 + 1, C.Y,
            [=](float X, float Y) {
              return std::max(SdCircle({X - C.X, Y - C.Y}, F * 0.27f), Y - C.Y);
            },
            [=](float X, float Y) {
              return Mix(Extra, Fore, Clamp01(Len({X - C.X, Y - C.Y}) / (F * 0.27f)));
            },
            0, true);
      break;
    case kHerringbone:
      PaintAll(B, [&](float X, float Y) {
        const bool Left = X < F / 2;
        const float T = (Left ? (Y + X) : (Y - X + F)) / (F / 4);
        const float Fr = T - std::floor(T);
        return Fr < 0.45f ? Fore : (Fr < 0.5f ? Darken(Back, 0.3f) : Back);
      });
      break;
    case kDiamonds:
      PaintAll(B, [&](float X, float Y) {
        const float D = std::fabs(X - F / 2) + std::fabs(Y - F / 2);
        return D < F * 0.4f ? (X < F / 2 ? Fore : Extra) : Back;
      });
      break;
    case kRings:
      for (const TVec C : {TVec{0, 0}, TVec{F / 2, F / 2}})
        Wrapped(
            [=](float X, float Y) {
              return std::fabs(SdCircle({X - C.X, Y - C.Y}, F * 0.33f)) - 1.5f;
            },
            Fore);
      break;
    case kMarble: {
      TTileNoise N(2, 5, 0.55f, Seed);
      PaintAll(B, [&](float X, float Y) {
        const float Ph = 2 * Pi * (X + Y) / F + 8 * N.At(X / F, Y / F);
        return Mix(Back, Fore, std::pow(1 - std::fabs(std::sin(Ph * 0.5f)), 8.0f));
      });
      break;
    }
    case kWood: {
      TTileNoise N(2, 3, 0.5f, Seed);
      PaintAll(B, [&](float X, float Y) {
        const float T = 3 * Y / F + 1.2f * N.At(X / F, Y / F);
        return Mix(Back, Fore, std::pow(T - std::floor(T), 2.0f) * 0.8f);
      });
      break;
    }
    case kBricks:
      PaintAll(B, [&](float X, float Y) {
        const int Row = static_cast<int>(Y / (F / 4));
        const float XX = std::fmod(X + (Row % 2) * F / 4, F / 2);
        const float YY = std::fmod(Y, F / 4);
        return (XX < 1.5f || YY < 1.5f) ? Fore : Back;
      });
      break;
    case kGlitter:
      for (int I = 0; I < S * S / 20; ++I)
        DrawGlow(B, R.Range(0, F), R.Range(0, F), R.Range(0.8f, 2.2f),
                 WithA(Fore, R.Range(0.4f, 1)), true);
      break;
  }
}

}  // namespace

void AddPatternJobs(TDataJobs& Jobs) {
  for (size_t I = 0; I < std::size(Table); ++I) {
    const std::string Name = "pat" + std::to_string(I + 1) + ".bmp";
    const TPattern P = Table[I];
    Jobs.push_back({"Patterns", Name, P.Title, [P, Name](const std::string& Path) {
                      TBitmap32 B;
                      Draw(B, P, SeedFromName(Name.c_str()));
                      B.SaveToFile(Path);
                    }});
  }
}
