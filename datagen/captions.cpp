// Captions: ready greetings, a line or two of decorative lettering on the plain white key colour
// that the editor takes for transparent, so that a greeting lands on a card as bare text. The
// lettering has no glow or soft shadow: on the key those would leave a pale halo around it.
#include "data_job.h"
#include "picture_codecs.h"
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
    Jobs.push_back({"Captions", Name, C.Title, [C, Name](const std::string& Path) {
                      TBitmap32 Art;
                      Art.SetSize(640, 262);
                      Art.Clear(0);
                      TLetterStyle S = ThemeLettering(C.Occasion, C.Variant);
                      S.Glow.A = 0;
                      S.ShadowBlur = 0.5f;  // a crisp drop shadow
                      S.Shadow = Mix(S.Outline, Hex(0x000000), 0.5f);
                      DrawLettering(Art, C.Text, 320, 131, 600, 250, S);
                      TBitmap32 B;
                      PutOnKey(Art, B, 0xFFFFFFFFu);
                      SavePictureByExtension(B, Path);
                    }});
  }
}
