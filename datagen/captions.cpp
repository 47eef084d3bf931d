// Captions: ready greeting pictures, a line or two of decorative lettering on a small themed
// picture. They are placed on a card as they are, so each is a complete opaque picture.
#include "data_job.h"
#include "picture_codecs.h"
#include "prng.h"
#include "themes.h"

namespace {

struct TCaption {
  const char* Name;
  const char* Title;  // the name the pickers show
  const char* Text;
  TOccasion Occasion;
  int Variant;
};

constexpr TCaption Captions[] = {
    {"newyear_1", "С Новым годом!", "С Новым годом!", ocNewYear, 0},
    {"newyear_2", "С Новым годом и Рождеством!", "С Новым годом\nи Рождеством!", ocNewYear, 3},
    {"newyear_3", "Счастливого Нового года!", "Счастливого\nНового года!", ocNewYear, 1},
    {"christmas", "С Рождеством!", "С Рождеством!", ocNewYear, 2},
    {"birthday_1", "С днём рождения!", "С днём рождения!", ocBirthday, 0},
    {"birthday_2", "С днём рождения! (в две строки)", "С днём\nрождения!", ocBirthday, 1},
    {"birthday_3", "Поздравляю!", "Поздравляю!", ocBirthday, 2},
    {"jubilee", "С юбилеем!", "С юбилеем!", ocBirthday, 3},
    {"valentine_1", "С Днём святого Валентина!", "С Днём святого\nВалентина!", ocValentine, 0},
    {"valentine_2", "Люблю тебя!", "Люблю тебя!", ocValentine, 1},
    {"valentine_3", "Ты — моё счастье!", "Ты — моё счастье!", ocValentine, 2},
    {"valentine_4", "С Днём всех влюблённых!", "С Днём\nвсех влюблённых!", ocValentine, 3},
    {"feb23_1", "С 23 Февраля!", "С 23 Февраля!", ocFeb23, 0},
    {"feb23_2", "С Днём защитника Отечества!", "С Днём защитника\nОтечества!", ocFeb23, 1},
    {"feb23_3", "С праздником! (к 23 Февраля)", "С праздником!", ocFeb23, 2},
    {"march8_1", "С 8 Марта!", "С 8 Марта!", ocMarch8, 0},
    {"march8_2", "С праздником весны!", "С праздником\nвесны!", ocMarch8, 1},
    {"march8_3", "С Международным женским днём!", "С Международным\nженским днём!", ocMarch8, 2},
    {"march8_4", "Милой маме!", "Милой маме!", ocMarch8, 3},
    {"any_1", "С праздником!", "С праздником!", ocAny, 0},
    {"any_2", "Поздравляем!", "Поздравляем!", ocAny, 1},
    {"any_3", "Счастья и добра!", "Счастья и добра!", ocAny, 2},
    {"any_4", "С днём свадьбы!", "С днём свадьбы!", ocAny, 1},
    {"any_5", "Спасибо!", "Спасибо!", ocAny, 3},
    {"any_6", "Желаю счастья!", "Желаю счастья!", ocAny, 0},
    {"any_7", "Будь счастлива!", "Будь счастлива!", ocMarch8, 1},
};

}  // namespace

void AddCaptionJobs(TDataJobs& Jobs) {
  for (const TCaption& C : Captions) {
    const std::string Name = std::string(C.Name) + ".png";
    Jobs.push_back(
        {"Captions", Name, C.Title, [C, Name](const std::string& Path) {
           TBitmap32 B;
           B.SetSize(640, 262);
           PaintTheme(B, C.Occasion, C.Variant, SeedFromName(Name.c_str()), 0.5f, 0.5f, 1.5f);
           DrawLettering(B, C.Text, 320, 131, 600, 250, ThemeLettering(C.Occasion, C.Variant));
           SavePictureByExtension(B, Path);
         }});
  }
}
