#pragma once
// The page settings of a new card as the dialog "Новый проект" (TTemplates) keeps them: the
// two shown numbers in the current unit, the resolution, the unit, the chosen format, the
// orientation and the result size in pixels. Qt-free; the dialog binds its controls to it.
//
// The shown numbers and the result are kept apart on purpose: the result follows the shown
// numbers only when Tick runs (the dialog's timer, 50 ms after an edit), and a format entry
// sets the result directly. Every rounding is to the nearest integer, ties to even.
#include <array>
#include <cstdint>

// The spin ranges of the width, height and resolution fields (16-bit signed values).
constexpr int32_t PageSideMin = 1;
constexpr int32_t PageSideMax = 32000;
constexpr int32_t ResolutionMin = 1;
constexpr int32_t ResolutionMax = 1600;
// The resolution a paper format is made at: a photo prints well at 300 dots per inch.
constexpr int32_t PaperDpi = 300;

enum TPageUnit : uint8_t { puPoints = 0, puMillimetres = 1 };
enum TPageOrientation : uint8_t { poPortrait, poLandscape };

// Millimetres to pixels at Dpi dots per inch: round(Mm / 25.4 * Dpi).
int32_t MmToPixels(double Mm, int32_t Dpi);
// Pixels to whole millimetres: round(Px * 25.4 / Dpi).
int32_t PixelsToMm(int32_t Px, int32_t Dpi);
// The memory a W x H card takes, in kilobytes: round(W * H * 4 / 1024), never negative.
int64_t SizeKilobytes(int64_t Width, int64_t Height);

// One entry of the format list "Формат".
struct TPageFormat {
  enum TKind : uint8_t {
    pkNone,    // sets no size
    pkPaper,   // Width x Height millimetres, converted at the current resolution
    pkScreen,  // Width x Height pixels
  };
  const char* Caption;
  TKind Kind;
  int32_t Width;
  int32_t Height;
  // The unit becomes "Миллиметров" after choosing the entry.
  bool ToMillimetres;
};
constexpr int32_t PageFormatCount = 14;
// The entries in list order. The paper entries of the first twelve are landscape (the larger
// side is the width); the A5 and A6 sheets, added last so that the older entries keep their
// places, are portrait as their names read. "Квадрат 12 x 12 см" is 120 x 120 mm.
// Paper entries are made at PaperDpi unless the resolution was typed (SetResolution).
const std::array<TPageFormat, PageFormatCount>& PageFormats();

// The white page rectangle of the preview, in the dialog's pixels (inside the grey area at
// left 344, top 8, 289 x 305).
struct TPagePreview {
  int32_t Left, Top, Width, Height;
  bool operator==(const TPagePreview&) const = default;
};
// The page for the shown numbers W x H (ViewPage).
TPagePreview PagePreview(int32_t ShownWidth, int32_t ShownHeight);

class TPageSetup {
 public:
  // As the dialog starts: 800 x 600 points at 72 dpi, "Вариант пользователя", after one tick
  // (result 800 x 600, landscape).
  TPageSetup();

  // The shown numbers (the fields "Ширина" and "Высота") in the current unit.
  int32_t ShownWidth() const { return FShownWidth; }
  int32_t ShownHeight() const { return FShownHeight; }
  // Edits of the fields; values are clamped to PageSideMin..PageSideMax. The result waits
  // for the next Tick.
  void SetShownWidth(int32_t V);
  void SetShownHeight(int32_t V);

  int32_t Resolution() const { return FResolution; }
  // "Разрешение" (clamped to ResolutionMin..ResolutionMax); recomputes at once (Tick). A
  // resolution set here is the user's: paper entries keep it from then on.
  void SetResolution(int32_t Dpi);

  TPageUnit Unit() const { return FUnit; }
  // "Точек" / "Миллиметров": shows the result in the new unit.
  void SetUnit(TPageUnit Unit);

  int32_t Format() const { return FFormat; }
  // An entry of the format list: sets the result from the table (paper entries at PaperDpi,
  // or at the resolution the user set), switches to millimetres where the entry says so and
  // shows the result in the current unit. An index outside the list changes nothing.
  void ChooseFormat(int32_t Index);

  // The timer's work (Perev and the orientation): the result from the shown numbers; a
  // taller result checks portrait, a wider one landscape, a square leaves the check alone.
  void Tick();

  TPageOrientation Orientation() const { return FOrientation; }
  // "Книжная" / "Альбомная" clicked: the check moves there, and a result of the other
  // orientation has its sides swapped in the shown numbers (result follows at the next Tick).
  // True when the numbers were swapped.
  bool ClickPortrait();
  bool ClickLandscape();

  // The size of the card that "Создать проект" makes, in pixels.
  int32_t ResultWidth() const { return FResultWidth; }
  int32_t ResultHeight() const { return FResultHeight; }
  // The size label, in kilobytes.
  int64_t Kilobytes() const { return SizeKilobytes(FResultWidth, FResultHeight); }
  TPagePreview Preview() const { return PagePreview(FShownWidth, FShownHeight); }

 private:
  // A result side as the shown number of the current unit.
  int32_t Shown(int32_t Pixels) const;
  void ShowResult();

  int32_t FShownWidth = 800;
  int32_t FShownHeight = 600;
  int32_t FResolution = 72;
  bool FResolutionChosen = false;  // the user set the resolution
  TPageUnit FUnit = puPoints;
  int32_t FFormat = 0;
  TPageOrientation FOrientation = poLandscape;
  int32_t FResultWidth = 800;
  int32_t FResultHeight = 600;
};
