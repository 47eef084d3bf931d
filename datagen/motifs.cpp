#include "motifs.h"

namespace {

// Light from the upper left: lighter towards (LX, LY), darker away from it.
struct TShade {
  TRgb Base;
  float LX, LY, R;
  TRgb operator()(float X, float Y) const {
    const float D = Clamp01(Len({X - LX, Y - LY}) / R);
    return D < 0.45f ? Mix(Lighten(Base, 0.45f), Base, D / 0.45f)
                     : Mix(Base, Darken(Base, 0.35f), (D - 0.45f) / 0.55f);
  }
};

}  // namespace

void DrawHeart(TBitmap32& B, float CX, float CY, float S, float Angle, TRgb C, bool Shaded,
               bool Wrap) {
  const float H = S * 0.5f;
  auto Sd = [=](float X, float Y) { return SdHeart(Rotate({X - CX, Y - CY}, Angle), H); };
  const float Ext = S * 0.75f;
  if (Shaded) {
    FillSd(B, CX - Ext, CY - Ext, CX + Ext, CY + Ext, Sd,
           TShade{C, CX - S * 0.2f, CY - S * 0.25f, S * 0.9f}, 0, Wrap);
    // Glint on the left lobe.
    const TVec G = TVec{CX, CY} + Rotate({-H * 0.45f, -H * 0.42f}, -Angle);
    FillSdColor(
        B, G.X - S, G.Y - S, G.X + S, G.Y + S,
        [=](float X, float Y) {
          return SdEllipse(Rotate({X - G.X, Y - G.Y}, Angle + 0.7f), H * 0.16f, H * 0.08f);
        },
        WithA(Lighten(C, 0.8f), 0.75f * C.A), H * 0.04f, Wrap);
  } else {
    FillSdColor(B, CX - Ext, CY - Ext, CX + Ext, CY + Ext, Sd, C, 0, Wrap);
  }
}

void DrawStar(TBitmap32& B, float CX, float CY, float R, float Angle, TRgb C, int Points,
              float Inner, bool Shaded, bool Wrap) {
  std::vector<TVec> Pts;
  for (int I = 0; I < 2 * Points; ++I) {
    const float A = -Pi / 2 + Pi * I / Points + Angle;
    const float RR = (I % 2) ? R * Inner : R;
    Pts.push_back({CX + RR * std::cos(A), CY + RR * std::sin(A)});
  }
  auto Sd = [&](float X, float Y) { return SdPolygon({X, Y}, Pts); };
  if (!Shaded) {
    FillSdColor(B, CX - R, CY - R, CX + R, CY + R, Sd, C, 0, Wrap);
    return;
  }
  // Faceted: each arm has a light and a dark half, split along the ray to its point.
  auto Paint = [&](float X, float Y) {
    float A = std::atan2(Y - CY, X - CX) + Pi / 2 - Angle;
    const float Sector = 2 * Pi / Points;
    A = std::fmod(A + 4 * Pi + Sector / 2, Sector) - Sector / 2;
    const float Light = 0.5f + 0.5f * std::cos(std::atan2(Y - CY, X - CX) + 2.4f);
    TRgb Cc = A < 0 ? Lighten(C, 0.25f * Light + 0.1f) : Darken(C, 0.18f * (1 - Light) + 0.05f);
    return Cc;
  };
  FillSd(B, CX - R, CY - R, CX + R, CY + R, Sd, Paint, 0, Wrap);
}

void DrawGlow(TBitmap32& B, float CX, float CY, float R, TRgb C, bool Wrap) {
  FillSd(
      B, CX - R, CY - R, CX + R, CY + R,
      [=](float X, float Y) {
        return Len({X - CX, Y - CY}) - R;
      },
      [=](float X, float Y) {
        const float D = Clamp01(Len({X - CX, Y - CY}) / R);
        return WithA(C, C.A * (1 - D) * (1 - D));
      },
      0, Wrap);
}

void DrawSparkle(TBitmap32& B, float CX, float CY, float R, TRgb C, bool Wrap) {
  DrawGlow(B, CX, CY, R * 0.6f, WithA(C, 0.5f * C.A), Wrap);
  std::vector<TVec> Pts;
  for (int I = 0; I < 8; ++I) {
    const float A = Pi * I / 4;
    const float RR = (I % 2) ? R * 0.12f : (I % 4 == 0 ? R : R * 0.7f);
    Pts.push_back({CX + RR * std::cos(A - Pi / 2), CY + RR * std::sin(A - Pi / 2)});
  }
  FillSdColor(
      B, CX - R, CY - R, CX + R, CY + R,
      [&](float X, float Y) {
        return SdPolygon({X, Y}, Pts);
      },
      C, 0, Wrap);
}

void DrawSnowflake(TBitmap32& B, float CX, float CY, float R, float Angle, TRgb C, float Thick,
                   bool Wrap) {
  std::vector<std::pair<TVec, TVec>> Segs;
  for (int I = 0; I < 6; ++I) {
    const float A = Angle + Pi * I / 3;
    const TVec D{std::cos(A), std::sin(A)}, N{-D.Y, D.X};
    Segs.push_back({{0, 0}, D * R});
    for (float T : {0.45f, 0.7f}) {
      const float L = R * (T < 0.5f ? 0.32f : 0.22f);
      const TVec Base = D * (R * T);
      Segs.push_back({Base, Base + (D * 0.7f + N * 0.7f) * L});
      Segs.push_back({Base, Base + (D * 0.7f - N * 0.7f) * L});
    }
  }
  const float W = std::max(0.6f, R * Thick);
  auto Sd = [&](float X, float Y) {
    const TVec P{X - CX, Y - CY};
    float D = SdStar(Rotate(P, Angle + Pi / 6), 6, R * 0.16f, 0.6f);
    for (auto& S : Segs) D = std::min(D, SdSegment(P, S.first, S.second, W));
    return D;
  };
  FillSdColor(B, CX - R - W, CY - R - W, CX + R + W, CY + R + W, Sd, C, 0, Wrap);
}

void DrawLeaf(TBitmap32& B, float CX, float CY, float L, float Angle, TRgb C, bool Wrap) {
  // Lens of two circles, its axis along Angle; a lighter midrib.
  const float Half = L * 0.5f, Rc = L * 0.62f,
              Off = std::sqrt(std::max(Rc * Rc - Half * Half, 0.0f));
  auto Sd = [=](float X, float Y) {
    const TVec P = Rotate({X - CX, Y - CY}, Angle);
    return std::max(SdCircle(P - TVec{0, Off}, Rc), SdCircle(P + TVec{0, Off}, Rc));
  };
  auto Paint = [=](float X, float Y) {
    const TVec P = Rotate({X - CX, Y - CY}, Angle);
    return P.Y < 0 ? Lighten(C, 0.15f) : Darken(C, 0.12f);
  };
  FillSd(B, CX - Half, CY - Half, CX + Half, CY + Half, Sd, Paint, 0, Wrap);
  const TVec A = TVec{CX, CY} + Rotate({-Half * 0.85f, 0}, -Angle),
             E = TVec{CX, CY} + Rotate({Half * 0.7f, 0}, -Angle);
  FillSdColor(
      B, CX - Half, CY - Half, CX + Half, CY + Half,
      [=](float X, float Y) {
        return SdSegment({X, Y}, A, E, std::max(0.35f, L * 0.012f));
      },
      WithA(Lighten(C, 0.4f), 0.8f * C.A), 0, Wrap);
}

void DrawFlower(TBitmap32& B, float CX, float CY, float R, float Angle, int Petals, TRgb Petal,
                TRgb Centre, bool Wrap) {
  for (int I = 0; I < Petals; ++I) {
    const float A = Angle + 2 * Pi * I / Petals;
    const TVec PC{CX + std::cos(A) * R * 0.5f, CY + std::sin(A) * R * 0.5f};
    const float Rx = R * 0.5f, Ry = R * std::min(0.32f, 1.6f / Petals + 0.08f);
    auto Sd = [=](float X, float Y) { return SdEllipse(Rotate({X - PC.X, Y - PC.Y}, A), Rx, Ry); };
    auto Paint = [=](float X, float Y) {
      const float D = Clamp01(Len({X - CX, Y - CY}) / R);
      return Mix(Darken(Petal, 0.2f), Lighten(Petal, 0.3f), D);
    };
    FillSd(B, PC.X - Rx, PC.Y - Rx, PC.X + Rx, PC.Y + Rx, Sd, Paint, 0, Wrap);
  }
  const float Rc = R * 0.22f;
  FillSd(
      B, CX - Rc, CY - Rc, CX + Rc, CY + Rc,
      [=](float X, float Y) {
        return SdCircle({X - CX, Y - CY}, Rc);
      },
      TShade{Centre, CX - Rc * 0.4f, CY - Rc * 0.4f, Rc * 1.6f}, 0, Wrap);
}

void DrawRose(TBitmap32& B, float CX, float CY, float R, float Angle, TRgb C, bool Wrap) {
  // Outer petals first, then rings of smaller, darker petals towards the heart.
  for (int Ring = 0; Ring < 4; ++Ring) {
    const int N = 5 - (Ring > 1 ? 1 : 0);
    const float RR = R * (1.0f - 0.22f * Ring);
    const TRgb PC = Mix(Lighten(C, 0.12f), Darken(C, 0.35f), Ring / 3.5f);
    for (int I = 0; I < N; ++I) {
      const float A = Angle + Ring * 0.7f + 2 * Pi * I / N;
      const TVec P{CX + std::cos(A) * RR * 0.38f, CY + std::sin(A) * RR * 0.38f};
      const float Rp = RR * 0.52f;
      auto Sd = [=](float X, float Y) {
        return SdEllipse(Rotate({X - P.X, Y - P.Y}, A), Rp * 0.9f, Rp);
      };
      auto Paint = [=](float X, float Y) {
        const float D = Clamp01(Len({X - P.X, Y - P.Y}) / Rp);
        return Mix(Darken(PC, 0.15f), Lighten(PC, 0.25f), D);
      };
      FillSd(B, P.X - Rp, P.Y - Rp, P.X + Rp, P.Y + Rp, Sd, Paint, 0, Wrap);
    }
  }
  const float Rc = R * 0.16f;
  FillSdColor(
      B, CX - Rc, CY - Rc, CX + Rc, CY + Rc,
      [=](float X, float Y) {
        return SdCircle({X - CX, Y - CY}, Rc);
      },
      Darken(C, 0.4f), 0, Wrap);
}

void DrawTulip(TBitmap32& B, float CX, float CY, float S, float Angle, TRgb C) {
  const TRgb Green = Hex(0x3f8a3a);
  const TVec Base = TVec{CX, CY} + Rotate({0, S * 0.15f}, -Angle),
             Low = TVec{CX, CY} + Rotate({0, S * 1.0f}, -Angle);
  FillSdColor(
      B, CX - S, CY - S, CX + S, CY + S * 1.2f,
      [=](float X, float Y) {
        return SdSegment({X, Y}, Base, Low, S * 0.035f);
      },
      Green);
  DrawLeaf(B, (Base.X + Low.X) / 2 + S * 0.12f, (Base.Y + Low.Y) / 2 + S * 0.15f, S * 0.55f,
           Angle - 1.1f, Green);
  for (int I = -1; I <= 1; ++I) {
    const TVec P = TVec{CX, CY} + Rotate({I * S * 0.13f, -S * 0.05f}, -Angle);
    const float A = Angle + I * 0.28f;
    auto Sd = [=](float X, float Y) {
      const TVec Q = Rotate({X - P.X, Y - P.Y}, A);
      return std::max(SdEllipse(Q, S * 0.17f, S * 0.3f), Q.Y - S * 0.16f);
    };
    FillSd(B, P.X - S * 0.4f, P.Y - S * 0.4f, P.X + S * 0.4f, P.Y + S * 0.4f, Sd,
           TShade{I == 0 ? Lighten(C, 0.08f) : C, P.X - S * 0.1f, P.Y - S * 0.2f, S * 0.45f});
  }
}

void DrawBalloon(TBitmap32& B, float CX, float CY, float R, TRgb C, float StringLen, float Sway) {
  const float Ry = R * 1.18f;
  // String first, so the knot covers its top.
  const TVec Top{CX, CY + Ry};
  TVec Prev = Top;
  for (int I = 1; I <= 24; ++I) {
    const float T = I / 24.0f;
    const TVec P{CX + std::sin(T * Pi * 2.0f) * R * 0.12f + Sway * T * StringLen,
                 CY + Ry + T * StringLen};
    FillSdColor(
        B, std::min(Prev.X, P.X) - 2, Prev.Y - 2, std::max(Prev.X, P.X) + 2, P.Y + 2,
        [=](float X, float Y) {
          return SdSegment({X, Y}, Prev, P, std::max(0.5f, R * 0.015f));
        },
        Hex(0x8a8a8a, 0.9f));
    Prev = P;
  }
  FillSd(
      B, CX - R, CY - Ry, CX + R, CY + Ry,
      [=](float X, float Y) {
        // Slightly narrower at the bottom, like a real balloon.
        const float K = 1.0f - 0.12f * Clamp01((Y - CY) / Ry);
        return SdEllipse({(X - CX) / K, Y - CY}, R, Ry);
      },
      TShade{C, CX - R * 0.35f, CY - Ry * 0.45f, R * 2.0f});
  std::vector<TVec> Knot{{CX, CY + Ry - R * 0.04f},
                         {CX + R * 0.12f, CY + Ry + R * 0.13f},
                         {CX - R * 0.12f, CY + Ry + R * 0.13f}};
  FillSdColor(
      B, CX - R * 0.2f, CY + Ry - R * 0.1f, CX + R * 0.2f, CY + Ry + R * 0.2f,
      [&](float X, float Y) {
        return SdPolygon({X, Y}, Knot);
      },
      Darken(C, 0.2f));
  FillSdColor(
      B, CX - R, CY - Ry, CX + R, CY,
      [=](float X, float Y) {
        return SdEllipse(Rotate({X - (CX - R * 0.42f), Y - (CY - Ry * 0.42f)}, 0.8f), R * 0.22f,
                         R * 0.11f);
      },
      WithA(Hex(0xffffff), 0.7f), R * 0.03f);
}

void DrawGift(TBitmap32& B, float CX, float CY, float S, TRgb Box, TRgb Ribbon) {
  const float Hw = S * 0.42f, Hh = S * 0.32f, Top = CY - Hh + S * 0.1f;
  // Box and lid.
  FillSd(
      B, CX - Hw, Top, CX + Hw, CY + Hh + S * 0.1f,
      [=](float X, float Y) {
        return SdRoundBox({X - CX, Y - (CY + S * 0.1f)}, Hw * 0.92f, Hh, S * 0.02f);
      },
      [=](float X, float) { return X < CX ? Lighten(Box, 0.08f) : Darken(Box, 0.12f); });
  FillSd(
      B, CX - Hw, Top - S * 0.1f, CX + Hw, Top + S * 0.1f,
      [=](float X, float Y) {
        return SdRoundBox({X - CX, Y - Top}, Hw, S * 0.08f, S * 0.02f);
      },
      [=](float X, float) { return X < CX ? Lighten(Box, 0.2f) : Box; });
  // Ribbon bands.
  FillSdColor(
      B, CX - S * 0.07f, Top - S * 0.08f, CX + S * 0.07f, CY + Hh + S * 0.1f,
      [=](float X, float Y) {
        return SdRoundBox({X - CX, Y - (CY + S * 0.06f)}, S * 0.06f, Hh + S * 0.12f, 0);
      },
      Ribbon);
  DrawBow(B, CX, Top - S * 0.12f, S * 0.5f, Ribbon);
}

void DrawBow(TBitmap32& B, float CX, float CY, float S, TRgb C) {
  for (int Side = -1; Side <= 1; Side += 2) {
    // Tail.
    std::vector<TVec> Tail{{CX, CY},
                           {CX + Side * S * 0.35f, CY + S * 0.55f},
                           {CX + Side * S * 0.22f, CY + S * 0.5f},
                           {CX + Side * S * 0.14f, CY + S * 0.6f}};
    FillSdColor(
        B, CX - S, CY - S, CX + S, CY + S,
        [&](float X, float Y) {
          return SdPolygon({X, Y}, Tail);
        },
        Darken(C, 0.15f));
    // Loop with a hole.
    const TVec L{CX + Side * S * 0.3f, CY - S * 0.12f};
    auto Sd = [=](float X, float Y) {
      const TVec Q = Rotate({X - L.X, Y - L.Y}, -Side * 0.35f);
      return std::max(SdEllipse(Q, S * 0.3f, S * 0.19f),
                      -SdEllipse(Q + TVec{Side * S * 0.05f, 0}, S * 0.16f, S * 0.07f));
    };
    FillSd(B, L.X - S * 0.4f, L.Y - S * 0.4f, L.X + S * 0.4f, L.Y + S * 0.4f, Sd,
           TShade{C, L.X - Side * S * 0.1f, L.Y - S * 0.15f, S * 0.5f});
  }
  FillSd(
      B, CX - S * 0.12f, CY - S * 0.2f, CX + S * 0.12f, CY + S * 0.1f,
      [=](float X, float Y) {
        return SdRoundBox({X - CX, Y - (CY - S * 0.08f)}, S * 0.1f, S * 0.11f, S * 0.04f);
      },
      TShade{C, CX - S * 0.04f, CY - S * 0.14f, S * 0.25f});
}

void DrawCandle(TBitmap32& B, float CX, float CY, float H, TRgb C, bool Stripes) {
  const float W = H * 0.11f, Top = CY - H * 0.3f, Bot = CY + H * 0.5f;
  DrawGlow(B, CX, Top - H * 0.14f, H * 0.45f, Hex(0xffd27a, 0.55f));
  FillSd(
      B, CX - W, Top, CX + W, Bot,
      [=](float X, float Y) {
        return SdRoundBox({X - CX, Y - (Top + Bot) / 2}, W, (Bot - Top) / 2, W * 0.25f);
      },
      [=](float X, float Y) {
        TRgb K = Mix(Lighten(C, 0.35f), Darken(C, 0.25f), Clamp01((X - (CX - W)) / (2 * W)));
        if (Stripes && std::fmod(Y - X * 0.6f + 1000 * H, H * 0.12f) < H * 0.05f)
          K = Lighten(K, 0.55f);
        return K;
      });
  FillSdColor(
      B, CX - 2, Top - H * 0.08f, CX + 2, Top + 1,
      [=](float X, float Y) {
        return SdSegment({X, Y}, {CX, Top}, {CX, Top - H * 0.06f}, std::max(0.5f, H * 0.008f));
      },
      Hex(0x333333));
  // Flame: a drop, orange outside and pale yellow inside.
  const float FY = Top - H * 0.13f, FR = H * 0.055f;
  for (int Layer = 0; Layer < 2; ++Layer) {
    const float K = Layer ? 0.55f : 1.0f;
    auto Sd = [=](float X, float Y) {
      const TVec P{(X - CX) / K, (Y - FY) / K};
      const float D = P.Y < 0 ? SdEllipse(P, FR, FR * 2.4f) : SdCircle(P, FR);
      return D * K;
    };
    FillSdColor(B, CX - FR * 2, FY - FR * 3, CX + FR * 2, FY + FR * 2, Sd,
                Layer ? Hex(0xfff6c0) : Hex(0xffa02a), Layer ? 0 : 0.6f);
  }
}

void DrawFirBranch(TBitmap32& B, float X, float Y, float Length, float Angle, TRgb C, bool Wrap) {
  const TVec D{std::cos(Angle), std::sin(Angle)}, N{-D.Y, D.X};
  const TVec E = TVec{X, Y} + D * Length;
  const float Pad = Length * 0.35f;
  const float MinX = std::min(X, E.X) - Pad, MaxX = std::max(X, E.X) + Pad;
  const float MinY = std::min(Y, E.Y) - Pad, MaxY = std::max(Y, E.Y) + Pad;
  FillSdColor(
      B, MinX, MinY, MaxX, MaxY,
      [=](float PX, float PY) {
        return SdSegment({PX, PY}, {X, Y}, E, Length * 0.012f + 0.4f);
      },
      Hex(0x5b3a1e), 0, Wrap);
  // Needles in pairs along the twig, shorter towards the tip, alternating shades.
  const int Count = 46;
  for (int I = 0; I < Count; ++I) {
    const float T = 0.04f + 0.96f * I / Count;
    const TVec P = TVec{X, Y} + D * (Length * T);
    for (int Side = -1; Side <= 1; Side += 2) {
      // Needles of uneven length and angle, as on a real twig (a fixed hash of the index).
      const float H1 = std::sin(I * 12.9898f + Side * 78.233f) * 43758.5453f;
      const float Jit = H1 - std::floor(H1);
      const float L = Length * (0.2f - 0.1f * T) * (0.8f + 0.4f * Jit);
      const float Fw = 0.45f + 0.3f * Jit;
      const TVec Q = P + (D * Fw + N * (Side * std::sqrt(1 - Fw * Fw))) * L;
      const TRgb K =
          (I + (Side > 0)) % 3 == 0 ? Lighten(C, 0.18f) : ((I % 2) ? Darken(C, 0.15f) : C);
      FillSdColor(
          B, std::min(P.X, Q.X) - 2, std::min(P.Y, Q.Y) - 2, std::max(P.X, Q.X) + 2,
          std::max(P.Y, Q.Y) + 2,
          [=](float PX, float PY) {
            return SdSegment({PX, PY}, P, Q, std::max(0.5f, Length * 0.009f));
          },
          K, 0, Wrap);
    }
  }
}

void DrawBauble(TBitmap32& B, float CX, float CY, float R, TRgb C, bool Wrap) {
  FillSdColor(
      B, CX - R, CY - R * 2.2f, CX + R, CY - R * 0.9f,
      [=](float X, float Y) {
        return SdSegment({X, Y}, {CX, CY - R * 1.05f}, {CX, CY - R * 2.2f},
                         std::max(0.4f, R * 0.02f));
      },
      Hex(0xb89b4a), 0, Wrap);
  FillSd(
      B, CX - R, CY - R, CX + R, CY + R,
      [=](float X, float Y) {
        return SdCircle({X - CX, Y - CY}, R);
      },
      TShade{C, CX - R * 0.35f, CY - R * 0.4f, R * 1.7f}, 0, Wrap);
  FillSd(
      B, CX - R * 0.3f, CY - R * 1.2f, CX + R * 0.3f, CY - R * 0.8f,
      [=](float X, float Y) {
        return SdRoundBox({X - CX, Y - (CY - R * 0.98f)}, R * 0.2f, R * 0.13f, R * 0.03f);
      },
      [=](float X, float) { return X < CX ? Hex(0xf2dc8c) : Hex(0xb08a30); }, 0, Wrap);
  FillSdColor(
      B, CX - R, CY - R, CX, CY,
      [=](float X, float Y) {
        return SdEllipse(Rotate({X - (CX - R * 0.38f), Y - (CY - R * 0.38f)}, 0.8f), R * 0.22f,
                         R * 0.12f);
      },
      WithA(Hex(0xffffff), 0.75f), R * 0.04f, Wrap);
}

void DrawBerries(TBitmap32& B, float CX, float CY, float R, TRgb C) {
  const TVec Offs[3] = {{-0.55f, 0.2f}, {0.55f, 0.25f}, {0, -0.45f}};
  for (const TVec& O : Offs) {
    const float X0 = CX + O.X * R, Y0 = CY + O.Y * R;
    FillSd(
        B, X0 - R, Y0 - R, X0 + R, Y0 + R,
        [=](float X, float Y) {
          return SdCircle({X - X0, Y - Y0}, R * 0.55f);
        },
        TShade{C, X0 - R * 0.2f, Y0 - R * 0.25f, R});
  }
}
