// Decor: decorations for the gallery. Each is an opaque picture on a plain white key colour
// (the gallery takes the colour of the bottom row's second pixel as transparent); white inside
// a decoration is kept one step below the key so that it stays.
#include <filesystem>

#include "data_job.h"
#include "file_io.h"
#include "motifs.h"
#include "picture_codecs.h"
#include "png_codec.h"
#include "prng.h"

namespace {

constexpr int Box = 280;  // a decoration fits into Box x Box pixels
constexpr TColor32 Key = 0xFFFFFFFF;

// A clip-art picture with its own transparency, scaled to fit the box; empty when unreadable.
void LoadClipArt(const std::string& File, TBitmap32& Art) {
  try {
    const auto Bytes = ReadFileBytes(File, 64u << 20);
    const TPicture P = ReadPngImage(Bytes.data(), Bytes.size());
    TBitmap32 Src;
    Src.SetSize(P.Width, P.Height);
    std::copy(P.Pixels.begin(), P.Pixels.end(), Src.Bits());
    const float K = std::min(
        1.0f, std::min(static_cast<float>(Box) / P.Width, static_cast<float>(Box) / P.Height));
    MakeTransparent(Art, static_cast<int>(std::lround(P.Width * K)),
                    static_cast<int>(std::lround(P.Height * K)));
    DrawSprite(Art, Src, 0, 0, static_cast<float>(Art.Width()), static_cast<float>(Art.Height()));
  } catch (const std::exception&) {
    Art.SetSize(0, 0);
  }
}

using TDraw = std::function<void(TBitmap32&)>;  // draws on a transparent Box x Box bitmap

struct TDecor {
  const char* Name;
  const char* Title;    // the name the pickers show
  const char* ClipArt;  // relative to the clip-art folder, or null
  TDraw Draw;           // drawn one, also the stand-in for a missing clip-art file
};

const float C = Box / 2.0f;

std::vector<TDecor> Decorations() {
  const TRgb Red = Hex(0xd3203a), Pink = Hex(0xf27aa0), Gold = Hex(0xe2b33c),
             Silver = Hex(0xc9d1db), Blue = Hex(0x2f6fc0), Green = Hex(0x2f7a3e),
             IceBlue = Hex(0x7fb2e5);
  auto Heart = [](TRgb Col) {
    return TDraw([=](TBitmap32& B) { DrawHeart(B, C, C + 8, 230, 0, Col); });
  };
  auto Balloon = [](TRgb Col) {
    return TDraw([=](TBitmap32& B) { DrawBalloon(B, C, 90, 70, Col, 100, 0.1f); });
  };
  auto Bow = [](TRgb Col) { return TDraw([=](TBitmap32& B) { DrawBow(B, C, C - 10, 260, Col); }); };
  auto Star = [](TRgb Col) {
    return TDraw([=](TBitmap32& B) { DrawStar(B, C, C + 6, 130, 0, Col); });
  };
  auto Flake = [](TRgb Col) {
    return TDraw([=](TBitmap32& B) { DrawSnowflake(B, C, C, 130, 0, Col, 0.06f); });
  };
  auto Gift = [](TRgb BoxC, TRgb Rib) {
    return TDraw([=](TBitmap32& B) { DrawGift(B, C, C + 30, 250, BoxC, Rib); });
  };
  auto Candle = [](TRgb Col) {
    return TDraw([=](TBitmap32& B) { DrawCandle(B, C, C + 20, 230, Col); });
  };
  auto Bauble = [](TRgb Col) {
    return TDraw([=](TBitmap32& B) { DrawBauble(B, C, C + 40, 95, Col); });
  };
  return {
      {"heart_red", "Красное сердце", nullptr, Heart(Red)},
      {"heart_pink", "Розовое сердце", nullptr, Heart(Pink)},
      {"heart_gold", "Золотое сердце", nullptr, Heart(Gold)},
      {"hearts_pair", "Два сердца", nullptr,
       [=](TBitmap32& B) {
         DrawHeart(B, C - 40, C - 10, 160, -0.25f, Pink);
         DrawHeart(B, C + 40, C + 20, 170, 0.2f, Red);
       }},
      {"hearts_clip", "Россыпь сердечек",
       "recreation/holiday/valentines/heart_cluster_jon_philli_01.png", Heart(Red)},
      {"heart_shine_clip", "Сердце с чёрной каймой",
       "recreation/holiday/valentines/heart_highlight_jon_phil_01.png", Heart(Red)},
      {"heart_arrow_clip", "Сердце со стрелой",
       "recreation/holiday/valentines/heart-arrow_benji_park_01.png", Heart(Pink)},
      {"heart_balloons_clip", "Шарики-сердечки",
       "recreation/holiday/valentines/heart-ballons_benji_park_01.png", Heart(Red)},
      {"balloon_red", "Красный шарик", nullptr, Balloon(Red)},
      {"balloon_blue", "Синий шарик", nullptr, Balloon(Blue)},
      {"balloons_three", "Три шарика", nullptr,
       [=](TBitmap32& B) {
         DrawBalloon(B, C - 62, 86, 48, Hex(0xf2c230), 130, 0.35f);
         DrawBalloon(B, C + 62, 90, 48, Blue, 125, -0.35f);
         DrawBalloon(B, C, 66, 52, Red, 150, 0);
       }},
      {"balloons_clip", "Связка прозрачных шаров", "recreation/party/balloons-aj.png",
       Balloon(Hex(0xf2c230))},
      {"balloons_colour_clip", "Разноцветные шары", "recreation/party/balloons_01.png",
       Balloon(Hex(0x3fae5a))},
      {"balloon_red_clip", "Красный воздушный шар", "recreation/party/balloon-red-aj.png",
       Balloon(Red)},
      {"bow_red", "Красный бант", nullptr, Bow(Red)},
      {"bow_gold", "Золотой бант", nullptr, Bow(Gold)},
      {"bow_blue", "Синий бант", nullptr, Bow(Blue)},
      {"bow_pink", "Розовый бант", nullptr, Bow(Pink)},
      {"star_gold", "Золотая звезда", nullptr, Star(Gold)},
      {"star_silver", "Серебряная звезда", nullptr, Star(Silver)},
      {"star_red", "Красная звезда", nullptr, Star(Hex(0xc62828))},
      {"stars_three", "Три звезды", nullptr,
       [=](TBitmap32& B) {
         DrawStar(B, C - 50, C + 40, 70, -0.2f, Gold);
         DrawStar(B, C + 60, C + 60, 50, 0.2f, Gold);
         DrawStar(B, C + 20, C - 60, 60, 0.1f, Gold);
       }},
      {"sparkles_gold", "Золотые искорки", nullptr,
       [=](TBitmap32& B) {
         DrawSparkle(B, C, C, 120, Gold);
         DrawSparkle(B, C + 80, C - 70, 50, Gold);
         DrawSparkle(B, C - 85, C + 70, 40, Gold);
       }},
      {"snowflake_blue", "Синяя снежинка", nullptr, Flake(Blue)},
      {"snowflake_ice", "Голубая снежинка", nullptr, Flake(IceBlue)},
      {"snowflake_silver", "Серебристая снежинка", nullptr, Flake(Hex(0x9fb2c8))},
      {"snowflakes_three", "Три снежинки", nullptr,
       [=](TBitmap32& B) {
         DrawSnowflake(B, C - 40, C - 30, 90, 0.1f, IceBlue, 0.07f);
         DrawSnowflake(B, C + 70, C + 60, 55, 0.3f, Blue, 0.08f);
         DrawSnowflake(B, C - 70, C + 85, 40, 0.2f, Hex(0x9fb2c8), 0.09f);
       }},
      {"fir_branch_baubles", "Ветка с шарами", nullptr,
       [=](TBitmap32& B) {
         DrawFirBranch(B, 15, 80, 250, 0.25f, Green);
         DrawFirBranch(B, 40, 150, 200, -0.15f, Hex(0x3b8a4a));
         DrawBauble(B, C + 10, C + 50, 32, Red);
         DrawBauble(B, C + 75, C + 35, 26, Gold);
       }},
      {"fir_corner", "Еловый уголок с бантом", nullptr,
       [=](TBitmap32& B) {
         DrawFirBranch(B, 0, 0, 260, 0.35f, Green);
         DrawFirBranch(B, 0, 0, 240, 1.2f, Hex(0x3b8a4a));
         DrawFirBranch(B, 0, 0, 200, 0.78f, Green);
         DrawBow(B, 60, 55, 110, Red);
       }},
      {"fir_branch", "Еловая ветка", nullptr,
       [=](TBitmap32& B) { DrawFirBranch(B, 10, C + 40, 260, -0.3f, Green); }},
      {"wreath_clip", "Еловый венок",
       "recreation/holiday/christmas/wreath_of_evergreen_with_red_berries_01.png",
       TDraw([=](TBitmap32& B) {
         for (int I = 0; I < 12; ++I) {
           const float A = 2 * Pi * I / 12;
           DrawFirBranch(B, C + std::cos(A) * 90, C + std::sin(A) * 90, 80, A + 1.9f, Green);
         }
       })},
      {"holly_wreath_clip", "Венок из остролиста",
       "recreation/holiday/christmas/evergreen_wreath_with_large_holly_01.png", Bauble(Red)},
      {"christmas_tree_clip", "Нарядная ёлка", "recreation/holiday/christmas/christmas_tree_01.png",
       Star(Gold)},
      {"christmas_tree_star_clip", "Ёлка с золотой звездой",
       "recreation/holiday/christmas/christmas_tree_02.png", Star(Gold)},
      {"christmas_tree_small_clip", "Стройная ёлочка",
       "recreation/holiday/christmas/lightly_decorated_evergreen_01.png", Star(Silver)},
      {"christmas_balls_clip", "Шесть ёлочных шаров", "plants/trees/christmas_balls_mo_01.png",
       Bauble(Blue)},
      {"jingle_bells_clip", "Бубенцы с остролистом",
       "recreation/holiday/christmas/jingle_bells_01.png", Bauble(Gold)},
      {"snowman_clip", "Снеговик", "recreation/holiday/snowman_01.png", Flake(IceBlue)},
      {"bauble_red", "Красный ёлочный шар", nullptr, Bauble(Red)},
      {"bauble_gold", "Золотой ёлочный шар", nullptr, Bauble(Gold)},
      {"bauble_blue", "Синий ёлочный шар", nullptr, Bauble(Blue)},
      {"baubles_trio", "Три шара с бантом", nullptr,
       [=](TBitmap32& B) {
         DrawBauble(B, C - 70, C + 10, 48, Red);
         DrawBauble(B, C + 5, C + 55, 55, Gold);
         DrawBauble(B, C + 80, C + 20, 44, Blue);
         DrawBow(B, C, 40, 100, Red);
       }},
      {"holly", "Остролист", nullptr,
       [=](TBitmap32& B) {
         DrawLeaf(B, C - 55, C, 130, 0.35f, Green);
         DrawLeaf(B, C + 55, C, 130, -0.35f, Hex(0x3b8a4a));
         DrawLeaf(B, C, C + 50, 110, 1.57f, Hex(0x2a6a36));
         DrawBerries(B, C, C - 10, 34, Hex(0xd62828));
       }},
      {"gift_red", "Красный подарок", nullptr, Gift(Red, Gold)},
      {"gift_blue", "Синий подарок", nullptr, Gift(Blue, Silver)},
      {"gift_green", "Зелёный подарок", nullptr, Gift(Hex(0x2f8a4a), Red)},
      {"gift_pink", "Розовый подарок", nullptr, Gift(Pink, Hex(0xffffff))},
      {"gift_yellow_clip", "Жёлтый подарок", "recreation/holiday/gift01.png", Gift(Gold, Red)},
      {"gift_blue_clip", "Голубой подарок", "recreation/holiday/gift03.png", Gift(Blue, Red)},
      {"gift_purple_clip", "Подарок с жёлтой лентой", "recreation/holiday/gift05.png",
       Gift(Hex(0x6a3fa0), Gold)},
      {"candle_red", "Красная свеча", nullptr, Candle(Red)},
      {"candle_cream", "Кремовая свеча", nullptr, Candle(Hex(0xf3e6c8))},
      {"candles_three", "Три свечи с хвоей", nullptr,
       [=](TBitmap32& B) {
         DrawCandle(B, C - 70, C + 40, 170, Hex(0xf3e6c8));
         DrawCandle(B, C + 70, C + 30, 190, Hex(0xf3e6c8));
         DrawCandle(B, C, C + 10, 240, Red);
         DrawFirBranch(B, 20, Box - 30, 240, -0.05f, Green);
       }},
      {"birthday_cake_clip", "Торт со свечами", "recreation/party/birthday_cake.png", Candle(Pink)},
      {"cake_pink_clip", "Розовый торт", "food/desserts/pink_cake_gabrielle_now_r.png",
       Candle(Blue)},
      {"rose_red", "Красная роза", nullptr,
       [=](TBitmap32& B) {
         DrawLeaf(B, C - 70, C + 60, 110, 0.6f, Green);
         DrawLeaf(B, C + 75, C + 55, 100, -0.6f, Hex(0x3b8a4a));
         DrawRose(B, C, C - 5, 115, 0.2f, Hex(0xc81d3a));
       }},
      {"rose_pink", "Розовая роза", nullptr,
       [=](TBitmap32& B) {
         DrawLeaf(B, C - 70, C + 60, 110, 0.6f, Green);
         DrawLeaf(B, C + 75, C + 55, 100, -0.6f, Hex(0x3b8a4a));
         DrawRose(B, C, C - 5, 115, 0.9f, Hex(0xf08aa8));
       }},
      {"roses_three", "Три розы", nullptr,
       [=](TBitmap32& B) {
         for (int I = 0; I < 5; ++I)
           DrawLeaf(B, C + (I - 2) * 45, C + 80, 90, 1.57f + (I - 2) * 0.4f, Green);
         DrawRose(B, C - 65, C + 10, 62, 0.1f, Hex(0xf08aa8));
         DrawRose(B, C + 65, C + 10, 62, 1.1f, Hex(0xf4b6a0));
         DrawRose(B, C, C - 30, 72, 0.6f, Hex(0xc81d3a));
       }},
      {"tulip_red", "Красный тюльпан", nullptr,
       [=](TBitmap32& B) { DrawTulip(B, C, 90, 170, 0, Hex(0xe03a3e)); }},
      {"tulips_bouquet", "Букет тюльпанов", nullptr,
       [=](TBitmap32& B) {
         DrawTulip(B, C - 55, 95, 140, -0.3f, Hex(0xf28ab2));
         DrawTulip(B, C + 55, 95, 140, 0.3f, Hex(0xf6d04d));
         DrawTulip(B, C, 70, 160, 0, Hex(0xe03a3e));
         DrawBow(B, C, C + 75, 110, Hex(0x8e6bd0));
       }},
      {"mimosa", "Мимоза", nullptr,
       [=](TBitmap32& B) {
         TRandom R(7);
         for (int I = 0; I < 7; ++I)
           DrawLeaf(B, C - 80 + I * 25, C + 40 + (I % 2) * 30, 90, 0.9f + I * 0.25f, Hex(0x6f9a4c));
         for (int I = 0; I < 60; ++I) {
           const float A = R.Range(0, 2 * Pi), D = std::sqrt(R.Unit()) * 95;
           const float X = C + std::cos(A) * D, Y = C - 20 + std::sin(A) * D * 0.8f,
                       Rr = R.Range(8, 13);
           FillSd(
               B, X - Rr, Y - Rr, X + Rr, Y + Rr,
               [=](float PX, float PY) {
                 return SdCircle({PX - X, PY - Y}, Rr);
               },
               [=](float PX, float PY) {
                 return Mix(Hex(0xfff27a), Hex(0xe9b400),
                            Clamp01(Len({PX - X + 3, PY - Y + 3}) / Rr));
               });
         }
       }},
      {"flower_pink", "Розовый цветок", nullptr,
       [=](TBitmap32& B) { DrawFlower(B, C, C, 130, 0, 8, Hex(0xf48fb1), Hex(0xf2c232)); }},
      {"flower_blue", "Голубой цветок", nullptr,
       [=](TBitmap32& B) { DrawFlower(B, C, C, 130, 0.3f, 6, Hex(0x6a8ee0), Hex(0xf2d45a)); }},
      {"flower_garland", "Цветочная гирлянда", nullptr,
       [=](TBitmap32& B) {
         for (int I = 0; I < 5; ++I) {
           const float X = 30 + I * 55, Y = C + std::sin(I * 1.3f) * 30;
           DrawLeaf(B, X + 20, Y + 25, 50, 0.8f, Green);
           DrawFlower(B, X, Y, 34, I * 0.5f, 5, I % 2 ? Hex(0xf4a6c0) : Hex(0xb9a2dc),
                      Hex(0xf7d35a));
         }
       }},
      {"tulips_clip", "Малиновые тюльпаны", "plants/flowers/tulips_ganson.png", Heart(Red)},
      {"daisy_clip", "Ромашка", "plants/flowers/daisy_jonathan_dietrich_01.png", Heart(Gold)},
      {"red_flower_clip", "Красный цветок", "plants/flowers/red_flower_01.png", Heart(Red)},
      {"yellow_flower_clip", "Жёлтый цветок", "plants/flowers/flower1_juliane_krug_01.png",
       Heart(Gold)},
      {"daffodil_clip", "Нарцисс", "plants/flowers/daffodil_susan_park_01.png", Heart(Gold)},
      {"butterfly_clip", "Бабочка", "animals/bugs/butterfly_jonathan_dietr_01.png", Heart(Blue)},
  };
}

}  // namespace

void AddDecorJobs(TDataJobs& Jobs, const std::string& ClipArtDir) {
  for (const auto& D : Decorations()) {
    const std::string Name = std::string(D.Name) + ".png";
    const std::string Clip = D.ClipArt ? ClipArtDir + "/" + D.ClipArt : std::string();
    auto Draw = D.Draw;
    Jobs.push_back({"Decor", Name, D.Title, [Draw, Clip](const std::string& Path) {
                      TBitmap32 Art;
                      if (!Clip.empty() && std::filesystem::exists(Clip))
                        LoadClipArt(Clip, Art);
                      if (Art.IsEmpty()) {
                        MakeTransparent(Art, Box, Box);
                        Draw(Art);
                      }
                      TBitmap32 Out;
                      PutOnKey(Art, Out, Key);
                      SavePictureByExtension(Out, Path);
                    }});
  }
}
