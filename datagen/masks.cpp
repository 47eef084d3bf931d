// Masks: grey pictures, white where a photo stays, black where it disappears.
#include "data_job.h"
#include "noise.h"
#include "paint.h"
#include "picture_codecs.h"
#include "prng.h"

namespace {

constexpr int MW = 400, MH = 400;

// Plane from a distance function: 1 inside, 0 outside, Soft pixels of ramp across the edge.
template <class TSd>
TPlane FromSd(int W, int H, TSd Sd, float Soft) {
  TPlane P(W, H);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      const float D = Sd(X + 0.5f, Y + 0.5f);
      P.At(X, Y) = Soft <= 0.5f ? Clamp01(0.5f - D) : SmoothStep(Soft / 2, -Soft / 2, D);
    }
  return P;
}

void SavePlane(const TPlane& P, const std::string& Path) {
  TBitmap32 B;
  B.SetSize(P.W, P.H);
  for (int Y = 0; Y < P.H; ++Y)
    for (int X = 0; X < P.W; ++X) {
      const int G = static_cast<int>(std::lround(Clamp01(P.At(X, Y)) * 255));
      B.SetPixel(X, Y, 0xFF000000u | (G << 16) | (G << 8) | G);
    }
  SavePictureByExtension(B, Path);
}

// A rectangle whose edge wanders with noise: torn paper (Rough large, sharp) or spray (soft).
TPlane RaggedRect(uint64_t Seed, float Inset, float Rough, float Soft, int Period) {
  TTileNoise N(Period, 4, 0.55f, Seed);
  return FromSd(
      MW, MH,
      [&](float X, float Y) {
        const float Base =
            SdRoundBox({X - MW / 2.0f, Y - MH / 2.0f}, MW / 2.0f - Inset, MH / 2.0f - Inset, 6);
        return Base + Rough * (N.At(X / MW, Y / MH) - 0.5f) * 2;
      },
      Soft);
}

// Brush strokes: a few wide bands with bristly, ragged ends.
TPlane Strokes(uint64_t Seed, int Count, float Angle) {
  TRandom R(Seed);
  TTileNoise Bristle(64, 3, 0.5f, Seed + 1), Edge(6, 3, 0.5f, Seed + 2);
  TPlane P(MW, MH);
  for (int I = 0; I < Count; ++I) {
    const float Y0 = MH * (0.5f + (I - (Count - 1) / 2.0f) * (0.8f / Count)) + R.Range(-8, 8);
    const float Half = MH * 0.42f / Count + R.Range(0, 10);
    const float L = MW * R.Range(0.08f, 0.14f), Rr = MW * R.Range(0.86f, 0.93f);
    for (int Y = 0; Y < MH; ++Y)
      for (int X = 0; X < MW; ++X) {
        const TVec Q = Rotate({X - MW / 2.0f, Y - Y0}, Angle);
        const float QX = Q.X + MW / 2.0f;
        const float Across = std::fabs(Q.Y) - Half * (0.85f + 0.3f * Edge.At(QX / MW, I * 0.21f));
        const float Along =
            std::max(L - QX, QX - Rr) + 40 * (Bristle.At(0.5f, (Q.Y + MH) / MH * 0.5f) - 0.5f);
        const float Dry =
            Bristle.At(QX / MW * 0.25f, (Q.Y + MH) / MH) * Clamp01((QX - Rr + 80) / 80);
        float V =
            SmoothStep(2, -2, std::max(Across, Along)) * (1 - 0.9f * SmoothStep(0.45f, 0.6f, Dry));
        P.At(X, Y) = std::max(P.At(X, Y), V);
      }
  }
  return P;
}

struct TMask {
  const char* Name;
  const char* Title;  // the name the pickers show
  std::function<TPlane(uint64_t)> Make;
};

std::vector<TMask> Masks() {
  const float CX = MW / 2.0f, CY = MH / 2.0f;
  return {
      {"oval", "Овал",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdEllipse({X - CX, Y - CY}, 170, 190);
             },
             2);
       }},
      {"oval_soft", "Размытый овал",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdEllipse({X - CX, Y - CY}, 150, 175);
             },
             60);
       }},
      {"oval_vignette", "Овальная виньетка",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdEllipse({X - CX, Y - CY}, 140, 160);
             },
             130);
       }},
      {"oval_wide_soft", "Широкий размытый овал",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdEllipse({X - CX, Y - CY}, 180, 120);
             },
             70);
       }},
      {"circle", "Круг",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdCircle({X - CX, Y - CY}, 185);
             },
             2);
       }},
      {"circle_soft", "Размытый круг",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdCircle({X - CX, Y - CY}, 150);
             },
             80);
       }},
      {"rect_vignette", "Прямоугольная виньетка",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdRoundBox({X - CX, Y - CY}, 130, 130, 60);
             },
             110);
       }},
      {"rect_soft", "Размытый прямоугольник",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdRoundBox({X - CX, Y - CY}, 170, 170, 20);
             },
             40);
       }},
      {"rounded_rect", "Скруглённый прямоугольник",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdRoundBox({X - CX, Y - CY}, 185, 185, 50);
             },
             2);
       }},
      {"heart", "Сердце",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdHeart({X - CX, Y - CY + 14}, 235);
             },
             2);
       }},
      {"heart_soft", "Размытое сердце",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdHeart({X - CX, Y - CY + 14}, 205);
             },
             60);
       }},
      {"star", "Звезда",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdStar({X - CX, Y - CY + 12}, 5, 195, 0.5f);
             },
             2);
       }},
      {"star_soft", "Размытая звезда",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return SdStar({X - CX, Y - CY + 12}, 5, 170, 0.5f);
             },
             40);
       }},
      {"cloud", "Облако",
       [=](uint64_t) {
         const TVec C[] = {{200, 250}, {120, 240}, {280, 240}, {150, 180},
                           {240, 160}, {315, 195}, {85, 215}};
         const float R[] = {95, 70, 75, 80, 95, 60, 50};
         TPlane P = FromSd(
             MW, MH,
             [&](float X, float Y) {
               float D = 1e9f;
               for (int I = 0; I < 7; ++I) D = std::min(D, SdCircle(TVec{X, Y} - C[I], R[I]));
               return std::max(D, Y - 300);
             },
             2);
         BlurPlane(P, 8);
         return P;
       }},
      {"torn_paper", "Рваная бумага", [](uint64_t S) { return RaggedRect(S, 28, 14, 1.5f, 24); }},
      {"torn_paper_rough", "Обрывок бумаги",
       [](uint64_t S) { return RaggedRect(S, 40, 26, 1.5f, 10); }},
      {"spray_edge", "Край из брызг", [](uint64_t S) { return RaggedRect(S, 50, 30, 40, 40); }},
      {"stamp_edge", "Почтовая марка",
       [=](uint64_t) {
         // A postage stamp: a rectangle with half-round bites along every side.
         const float Half = 180, Step = 360 / 15.0f, Bite = Step * 0.32f;
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               float D = SdRoundBox({X - CX, Y - CY}, Half, Half, 0);
               const float PX = X - (CX - Half), PY = Y - (CY - Half);
               const float NX = std::round(PX / Step) * Step, NY = std::round(PY / Step) * Step;
               for (const TVec& Hole :
                    {TVec{NX, 0}, TVec{NX, 2 * Half}, TVec{0, NY}, TVec{2 * Half, NY}})
                 D = std::max(D, -SdCircle(TVec{PX, PY} - Hole, Bite));
               return D;
             },
             1.5f);
       }},
      {"brush_strokes", "Мазки кистью", [](uint64_t S) { return Strokes(S, 3, -0.05f); }},
      {"brush_wide", "Широкий мазок", [](uint64_t S) { return Strokes(S, 1, 0.03f); }},
      {"brush_diagonal", "Мазок наискось", [](uint64_t S) { return Strokes(S, 4, -0.5f); }},
      {"arch_window", "Арочное окно",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               const float Box = SdRoundBox({X - CX, Y - 260}, 150, 120, 0);
               return std::min(Box, std::max(SdCircle({X - CX, Y - 150}, 150), Y - 150));
             },
             2);
       }},
      {"scalloped", "Круг с фестонами",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               const float A = std::atan2(Y - CY, X - CX);
               return SdCircle({X - CX, Y - CY}, 170 + 12 * std::fabs(std::cos(A * 8)));
             },
             2);
       }},
      {"diamond", "Ромб",
       [=](uint64_t) {
         return FromSd(
             MW, MH,
             [=](float X, float Y) {
               return (std::fabs(X - CX) + std::fabs(Y - CY) - 195) * 0.7071f;
             },
             2);
       }},
      {"hexagon", "Шестиугольник",
       [=](uint64_t) {
         std::vector<TVec> H;
         for (int I = 0; I < 6; ++I)
           H.push_back({CX + 195 * std::cos(Pi / 3 * I), CY + 195 * std::sin(Pi / 3 * I)});
         return FromSd(
             MW, MH,
             [&](float X, float Y) {
               return SdPolygon({X, Y}, H);
             },
             2);
       }},
  };
}

}  // namespace

void AddMaskJobs(TDataJobs& Jobs) {
  for (const auto& M : Masks()) {
    const std::string Name = std::string(M.Name) + ".png";
    auto Make = M.Make;
    Jobs.push_back({"Masks", Name, M.Title, [Make, Name](const std::string& Path) {
                      SavePlane(Make(SeedFromName(Name.c_str())), Path);
                    }});
  }
}
