// Cards: ready cards for the catalogue, at print sizes (300 dpi): A6 105 x 148 mm, 10 x 15 cm
// and a 12 x 12 cm square, upright and across. Each is a themed background with its greeting
// lettered on it and room left for a photograph.
#include "data_job.h"
#include "motifs.h"
#include "picture_codecs.h"
#include "prng.h"
#include "themes.h"

namespace {

struct TSizeMm {
  int W, H;
};
// Pixels at 300 dpi: round(mm / 25.4 * 300).
constexpr TSizeMm A6Up{1240, 1748}, A6Across{1748, 1240}, PhotoUp{1181, 1772},
    PhotoAcross{1772, 1181}, Square{1417, 1417};

struct TCard {
  const char* Name;
  const char* Title;  // the name the pickers show
  const char* Text;
  TOccasion Occasion;
  int Variant;
  TSizeMm Size;
  bool Window;  // a framed place for a photograph
};

constexpr TCard Cards[] = {
    {"newyear_01", "С Новым годом! (синяя со снежинками)", "С Новым\nгодом!", ocNewYear, 0, A6Up,
     false},
    {"newyear_02", "С Новым годом! (зелёная, с окошком для фото)", "С Новым годом!", ocNewYear, 1,
     PhotoAcross, true},
    {"newyear_03", "С Новым годом и Рождеством! (бордовая)", "С Новым годом\nи Рождеством!",
     ocNewYear, 2, Square, false},
    {"newyear_04", "Счастливого Нового года! (голубая, с окошком для фото)",
     "Счастливого\nНового года!", ocNewYear, 3, PhotoUp, true},
    {"birthday_01", "С днём рождения! (персиковая с шарами)", "С днём\nрождения!", ocBirthday, 0,
     A6Up, false},
    {"birthday_02", "С днём рождения! (голубая, с окошком для фото)", "С днём рождения!",
     ocBirthday, 1, Square, true},
    {"birthday_03", "Поздравляю! (сиреневая с шарами)", "Поздравляю!", ocBirthday, 2, PhotoAcross,
     false},
    {"birthday_04", "С юбилеем! (жёлтая, с окошком для фото)", "С юбилеем!", ocBirthday, 3,
     A6Across, true},
    {"valentine_01", "Люблю тебя! (розовая)", "Люблю тебя!", ocValentine, 0, Square, false},
    {"valentine_02", "С Днём святого Валентина! (малиновая)", "С Днём\nсвятого\nВалентина!",
     ocValentine, 1, A6Up, false},
    {"valentine_03", "Ты — моё счастье! (с окошком для фото)", "Ты — моё счастье!", ocValentine, 2,
     PhotoAcross, true},
    {"valentine_04", "С Днём всех влюблённых! (в овале из цветов)", "С Днём\nвсех влюблённых!",
     ocValentine, 3, PhotoUp, false},
    {"feb23_01", "С 23 Февраля! (синяя со звёздами)", "С 23\nФевраля!", ocFeb23, 0, A6Up, false},
    {"feb23_02", "С Днём защитника Отечества! (оливковая)", "С Днём защитника\nОтечества!", ocFeb23,
     1, PhotoAcross, false},
    {"feb23_03", "С праздником! (со звёздами, с окошком для фото)", "С праздником!", ocFeb23, 2,
     Square, true},
    {"feb23_04", "С 23 Февраля! (тёмно-серая)", "С 23 Февраля!", ocFeb23, 3, A6Across, false},
    {"march8_01", "С 8 Марта! (розовая)", "С 8\nМарта!", ocMarch8, 0, A6Up, false},
    {"march8_02", "С праздником весны! (нежно-зелёная)", "С праздником\nвесны!", ocMarch8, 1,
     Square, false},
    {"march8_03", "С 8 Марта! (жёлтая, с окошком для фото)", "С 8 Марта!", ocMarch8, 2, PhotoAcross,
     true},
    {"march8_04", "Милой маме! (сиреневая, с окошком для фото)", "Милой маме!", ocMarch8, 3,
     PhotoUp, true},
    {"holiday_01", "С праздником! (кремовая с цветами)", "С\nпраздником!", ocAny, 0, A6Up, false},
    {"holiday_02", "Поздравляем! (мятная, с окошком для фото)", "Поздравляем!", ocAny, 1, Square,
     true},
    {"holiday_03", "С днём свадьбы! (сиреневая)", "С днём свадьбы!", ocAny, 2, A6Across, false},
    {"holiday_04", "Счастья и добра! (тёмная с цветами)", "Счастья\nи добра!", ocAny, 3, PhotoUp,
     false},
    {"holiday_05", "Спасибо! (мятная)", "Спасибо!", ocAny, 1, PhotoAcross, false},
    {"birthday_05", "С днём рождения! (сиреневая)", "С днём\nрождения!", ocBirthday, 2, PhotoUp,
     false},
};

// A pale rounded window with a thin gold line and a soft shadow, for a photograph.
void PhotoWindow(TBitmap32& B, float CX, float CY, float HW, float HH) {
  const float R = std::min(HW, HH) * 0.08f;
  FillSdColor(
      B, CX - HW - 40, CY - HH - 40, CX + HW + 60, CY + HH + 60,
      [=](float X, float Y) {
        return SdRoundBox({X - CX - 10, Y - CY - 14}, HW, HH, R);
      },
      Hex(0x000000, 0.3f), 18);
  FillSdColor(
      B, CX - HW, CY - HH, CX + HW, CY + HH,
      [=](float X, float Y) {
        return SdRoundBox({X - CX, Y - CY}, HW, HH, R);
      },
      Hex(0xfffdf7));
  FillSdColor(
      B, CX - HW, CY - HH, CX + HW, CY + HH,
      [=](float X, float Y) {
        return std::fabs(SdRoundBox({X - CX, Y - CY}, HW - 22, HH - 22, R * 0.7f)) - 2.5f;
      },
      Hex(0xc9a14a));
}

// A thin ornamental rule: two tapered strokes curling at their ends, a small motif between.
void Divider(TBitmap32& B, float CX, float Y, float HalfW, TRgb C, TOccasion O) {
  const float T = HalfW * 0.012f + 1;
  for (int Side = -1; Side <= 1; Side += 2) {
    auto Sd = [=](float X, float PY) {
      const float U = (X - CX) * Side;  // 0 at the middle, HalfW at the end
      if (U < HalfW * 0.08f || U > HalfW)
        return 1e9f;
      const float K = 1 - U / HalfW;  // thinner towards the end
      const float Curve = Y + std::sin(U / HalfW * Pi * 2) * HalfW * 0.03f;
      return std::fabs(PY - Curve) - T * (0.3f + K);
    };
    FillSdColor(B, CX - HalfW - 4, Y - HalfW * 0.06f, CX + HalfW + 4, Y + HalfW * 0.06f, Sd, C);
    const float EX = CX + Side * HalfW, R = HalfW * 0.03f;
    FillSdColor(
        B, EX - R * 2, Y - R * 2, EX + R * 2, Y + R * 2,
        [=](float X, float PY) {
          return SdCircle({X - EX, PY - Y}, R);
        },
        C);
  }
  const float M = HalfW * 0.07f;
  if (O == ocValentine)
    DrawHeart(B, CX, Y, M * 1.6f, 0, C);
  else if (O == ocMarch8 || O == ocAny)
    DrawFlower(B, CX, Y, M, 0, 5, C, Lighten(C, 0.5f));
  else
    DrawStar(B, CX, Y, M, 0, C);
}

}  // namespace

void AddCardJobs(TDataJobs& Jobs) {
  for (const TCard& C : Cards) {
    const std::string Name = std::string(C.Name) + ".jpg";
    Jobs.push_back(
        {"Cards", Name, C.Title, [C, Name](const std::string& Path) {
           TBitmap32 B;
           B.SetSize(C.Size.W, C.Size.H);
           const float W = static_cast<float>(C.Size.W), H = static_cast<float>(C.Size.H);
           const bool Across = W > H;
           // Lettering in the top third (upright and square) or the left part (across).
           float TX = W / 2, TY = H * 0.2f, TW = W * 0.9f, TH = H * 0.22f;
           float PX = W / 2, PY = H * 0.62f, PW = W * 0.3f, PH = H * 0.24f;
           if (C.Window && Across) {
             TX = W * 0.29f, TY = H / 2, TW = W * 0.42f, TH = H * 0.5f;
             PX = W * 0.72f, PY = H / 2, PW = W * 0.2f, PH = H * 0.3f;
           } else if (!C.Window) {
             TY = H * 0.45f, TH = H * (Across ? 0.4f : 0.36f);
           }
           std::string Text = C.Text;
           // Beside a window the lettering has half the width: set it in two lines.
           if (C.Window && Across && Text.find('\n') == std::string::npos) {
             // The space nearest the middle.
             size_t Best = std::string::npos;
             for (size_t I = 0; I < Text.size(); ++I)
               if (Text[I] == ' ' &&
                   (Best == std::string::npos ||
                    std::abs(static_cast<long>(I) - static_cast<long>(Text.size() / 2)) <
                        std::abs(static_cast<long>(Best) - static_cast<long>(Text.size() / 2))))
                 Best = I;
             if (Best != std::string::npos)
               Text[Best] = '\n';
           }
           PaintTheme(B, C.Occasion, C.Variant, SeedFromName(Name.c_str()), TX / W, TY / H);
           if (C.Window)
             PhotoWindow(B, PX, PY, PW, PH);
           const TLetterStyle Style = ThemeLettering(C.Occasion, C.Variant);
           const int Bottom = DrawLettering(B, Text, TX, TY, TW, TH, Style);
           if (!C.Window)
             Divider(B, TX, Bottom + std::min(W, H) * 0.05f, std::min(W, H) * 0.3f, Style.Bottom,
                     C.Occasion);
           TSaveOptions O;
           O.JpegQuality = 90;
           SavePictureByExtension(B, Path, O);
         }});
  }
}
