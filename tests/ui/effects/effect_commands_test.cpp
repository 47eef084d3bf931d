// The effect dialogs and menu commands on the offscreen platform, against a small target.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <cstring>
#include <functional>

#include "bitmap32.h"
#include "color32.h"
#include "color_adjust.h"
#include "color_effects.h"
#include "colorise_dialog.h"
#include "effect_dialogs.h"
#include "effect_error.h"
#include "effect_menu_commands.h"
#include "effects_browser.h"
#include "live_dialogs.h"
#include "named_effects.h"
#include "sharpen_blur.h"

namespace {

// The mouse button released over a gauge, as after a drag or a click on its track.
void ReleaseOn(QSlider* Gauge) {
  QMouseEvent Release(QEvent::MouseButtonRelease, QPointF(2, 2), Gauge->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(Gauge, &Release);
}

// A window stand-in: one target bitmap, a count of undo records and of repaints.
struct TFakeWindow : TEffectContext {
  TBitmap32 Bitmap;
  bool IsLayer = true;
  int Records = 0, Changes = 0, Repaints = 0, Opacity = 255;
  uint32_t Colour = 0;
  QStringList Errors;
  std::vector<int> OpacityHistory;

  TEffectTarget Target() override { return {&Bitmap, IsLayer}; }
  void RecordLayerStep(const std::string&) override { ++Records; }
  void ShowOnly(const std::function<void()>& Work) override {
    Work();
    ++Repaints;
  }
  void Changed() override { ++Changes; }
  int LayerOpacity() override { return Opacity; }
  void SetLayerOpacity(int V) override {
    Opacity = V;
    OpacityHistory.push_back(V);
  }
  uint32_t AllColor() override { return Colour; }
  void SetAllColor(uint32_t C) override { Colour = C; }
  void ReportError(const QString& T) override { Errors << T; }
};

void MakeTarget(TBitmap32& B, int32_t W, int32_t H) {
  B.SetSize(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X)
      B.SetPixel(X, Y, ColorFromRGBA(X * 9 % 256, Y * 13 % 256, (X * Y) % 256, (X * 40 + Y) % 256));
}

bool Same(const TBitmap32& A, const TBitmap32& B) {
  return A.Width() == B.Width() && A.Height() == B.Height() &&
         std::memcmp(A.Bits(), B.Bits(), size_t(A.Width()) * A.Height() * 4) == 0;
}

// Runs Steps inside the next modal dialog's event loop.
void WhenShown(std::function<void()> Steps) {
  QTimer::singleShot(0, std::move(Steps));
}

struct TCommandsFixture : ::testing::Test {
  TFakeWindow Window;
  TEffectCommands Commands{Window, nullptr};
  TBitmap32 Original;

  void SetUp() override {
    MakeTarget(Window.Bitmap, 40, 30);
    Original.Assign(&Window.Bitmap);
  }
};

}  // namespace

TEST_F(TCommandsFixture, DialogsStartWithTheirCaptionsRangesAndPositions) {
  struct Gauge {
    const char* Dialog;
    QWidget* Window;
    const char* Caption;
    QSlider* Control;
    int Min, Max, Position;
  };
  const Gauge Gauges[] = {
      {"TEffect", &Commands.Effect(), "Резкость", Commands.Effect().Value, 2, 5, 2},
      {"TDeFoc", &Commands.DeFoc(), "Размытие", Commands.DeFoc().Value, 1, 100, 1},
      {"TSprayWin", &Commands.SprayWin(), "Разбрызгивание", Commands.SprayWin().Value, 1, 100, 1},
      {"TPosta", &Commands.Posta(), "Постеризация", Commands.Posta().Value, 1, 100, 1},
      {"TWaves", &Commands.Waves(), "Эффект волны", Commands.Waves().Value, 1, 100, 1},
      {"TWaves", &Commands.Waves(), "Эффект волны", Commands.Waves().Interf, 1, 15, 1},
      {"TMarb", &Commands.Marb(), "Капли дождя", Commands.Marb().Scal, 1, 50, 10},
      {"TMarb", &Commands.Marb(), "Капли дождя", Commands.Marb().Freq, 1, 300, 210},
      {"TBrid", &Commands.Brid(), "Яркость/контраст", Commands.Brid().GaugeBar1, -200, 200, 0},
      {"TGamma", &Commands.Gamma(), "Цветовой баланс", Commands.Gamma().GaugeBar3, -50, 50, 0},
  };
  for (const Gauge& G : Gauges) {
    EXPECT_EQ(G.Window->windowTitle(), QString::fromUtf8(G.Caption)) << G.Dialog;
    EXPECT_EQ(G.Control->minimum(), G.Min) << G.Dialog;
    EXPECT_EQ(G.Control->maximum(), G.Max) << G.Dialog;
    EXPECT_EQ(G.Control->value(), G.Position) << G.Dialog;
  }
  EXPECT_FALSE(Commands.DeFoc().Ras->isChecked());
  EXPECT_EQ(Commands.DeFoc().Ras->text(), QStringLiteral("Расфокусировка"));
  EXPECT_EQ(Commands.Waves().Nu->count(), 3);
  EXPECT_EQ(Commands.Waves().Nu->itemText(2), QStringLiteral("Высокая"));
  EXPECT_TRUE(Commands.Gamma().Speed->isChecked());
  EXPECT_EQ(Commands.Effect().PreviewButton()->text(), QStringLiteral("Просмотр"));
}

TEST_F(TCommandsFixture, QuickCommandsRecordRunAndLeaveTheirValuesInTheDialogs) {
  Commands.QuickSharpenClick();
  EXPECT_EQ(Commands.Effect().Value->value(), 5);
  EXPECT_EQ(Window.Records, 1);
  RgbImage A, B;
  BitmapToRgb(Original, A);
  SharpenFivePoint(A, B, 5);
  TBitmap32 Want;
  RgbToBitmap(B, Want);
  for (int32_t I = 0; I < 40 * 30; ++I)
    Want.Bits()[I] = (Want.Bits()[I] & 0xFFFFFF) | (Original.Bits()[I] & 0xFF000000u);
  EXPECT_TRUE(Same(Window.Bitmap, Want));

  Commands.QuickBlurClick();
  EXPECT_EQ(Commands.DeFoc().Value->value(), 2);
  EXPECT_TRUE(Commands.DeFoc().Ras->isChecked());
  EXPECT_EQ(Window.Records, 2);
}

// Each menu item runs the call the batch tool would run; the bytes are those of the named
// dispatchers the menu used to call directly, on a layer and on the canvas.
TEST_F(TCommandsFixture, MenuItemsGiveTheBytesOfTheNamedEffects) {
  struct TItem {
    const char* Name;
    void (TEffectCommands::*Click)();
    std::function<void(const TEffectTarget&)> Reference;
  };
  const TEffectSettings S;
  const TItem Items[] = {
      {"mosa", &TEffectCommands::MosaicClick,
       [&](const TEffectTarget& T) { ApplyNamedEffect("mosa", T, S); }},
      {"emboss", &TEffectCommands::EmbossClick,
       [&](const TEffectTarget& T) { ApplyNamedEffect("emboss", T, S); }},
      {"ripple_7", &TEffectCommands::BlindsWideClick,
       [&](const TEffectTarget& T) { ApplyNamedEffect("ripple_7", T, S); }},
      {"ripple_12", &TEffectCommands::BlindsMediumClick,
       [&](const TEffectTarget& T) { ApplyNamedEffect("ripple_12", T, S); }},
      {"ripple_24", &TEffectCommands::BlindsNarrowClick,
       [&](const TEffectTarget& T) { ApplyNamedEffect("ripple_24", T, S); }},
      {"invert", &TEffectCommands::NegativeClick,
       [&](const TEffectTarget& T) { ApplyNamedEffect("invert", T, S); }},
      {"grey", &TEffectCommands::MonochromeClick,
       [](const TEffectTarget& T) {
         RunRgbShell(T, [](RgbImage& A, RgbImage&) { return WeightedGrey(A), srFirst; });
       }},
      {"blur", &TEffectCommands::QuickBlurClick,
       [](const TEffectTarget& T) {
         RunRgbShell(T, [](RgbImage& A, RgbImage&) { return DiagonalAverageBlur(A, 2), srFirst; });
       }},
  };
  for (const bool IsLayer : {true, false}) {
    Window.IsLayer = IsLayer;
    for (const TItem& Item : Items) {
      Window.Bitmap.Assign(&Original);
      (Commands.*Item.Click)();
      TBitmap32 Want;
      Want.Assign(&Original);
      Item.Reference({&Want, IsLayer});
      EXPECT_TRUE(Same(Window.Bitmap, Want)) << Item.Name << (IsLayer ? " on a layer" : "");
    }
  }
}

// The blur without "Расфокусировка" runs its short blur Value + 1 times on one working image.
TEST_F(TCommandsFixture, BlurWithoutDefocusRepeatsTheShortBlur) {
  TDeFoc& D = Commands.DeFoc();
  WhenShown([&] {
    D.Value->setValue(3);
    D.Ras->setChecked(false);
    D.OkButton()->click();
  });
  Commands.BlurClick();
  TBitmap32 Want;
  Want.Assign(&Original);
  RunRgbShell({&Want, true}, [](RgbImage& A, RgbImage&) {
    for (int I = 0; I <= 3; ++I) DiagonalAverageBlur(A, 3);
    return srFirst;
  });
  EXPECT_TRUE(Same(Window.Bitmap, Want));
  EXPECT_EQ(Window.Records, 1);
}

TEST_F(TCommandsFixture, PreviewsThenCancelLeaveTheTargetAsItWas) {
  TPosta& D = Commands.Posta();
  WhenShown([&] {
    for (int Level : {100, 7, 2}) {
      D.Value->setValue(Level);
      D.PreviewButton()->click();
    }
    EXPECT_FALSE(Same(Window.Bitmap, Original));
    D.CancelButton()->click();
  });
  Commands.PosterizeClick();
  EXPECT_TRUE(Same(Window.Bitmap, Original));
  EXPECT_EQ(Window.Records, 0);
  EXPECT_EQ(Window.Changes, 0) << "previews and their undoing are no change of the card";
  EXPECT_GT(Window.Repaints, 0);
  EXPECT_EQ(D.Value->value(), 2);  // kept for the next opening
}

TEST_F(TCommandsFixture, PreviewThenOkAppliesOnceFromTheStateBefore) {
  TPosta& D = Commands.Posta();
  WhenShown([&] {
    D.Value->setValue(50);
    D.PreviewButton()->click();
    D.Value->setValue(100);
    D.OkButton()->click();
  });
  Commands.PosterizeClick();
  EXPECT_EQ(Window.Records, 1);
  TBitmap32 Want;
  Want.Assign(&Original);
  TEffectSettings S;
  S.PostaValue = 100;
  ApplyNamedEffect("post", {&Want, true}, S);
  EXPECT_TRUE(Same(Window.Bitmap, Want));
}

TEST_F(TCommandsFixture, TheCloseBoxActsAsCancelAndWavesStartLow) {
  TWaves& D = Commands.Waves();
  D.Nu->setCurrentIndex(2);
  WhenShown([&] {
    EXPECT_EQ(D.Nu->currentIndex(), 0);
    D.Value->setValue(3);
    D.PreviewButton()->click();
    D.close();
  });
  Commands.WavesClick();
  EXPECT_TRUE(Same(Window.Bitmap, Original));
  EXPECT_EQ(Window.Records, 0);
}

TEST_F(TCommandsFixture, ColorizeShowsEachColourOnTheCardWhileItsDialogIsOpen) {
  const auto Tinted = [this](uint32_t Colour) {
    TBitmap32 B;
    B.Assign(&Original);
    ApplyNoiseOrTint("mod", {&B, true}, Colour);
    BrightnessScale(B, 70);
    return Same(Window.Bitmap, B);
  };
  TColorise& D = Commands.Colorise();
  EXPECT_EQ(D.windowTitle(), "Оттенки одного цвета");
  // It opens on the current colour, already shown; a chosen colour replaces it on the card;
  // "Отмена" puts every pixel back and the current colour stays.
  Window.Colour = 0x2040C0;
  WhenShown([&] {
    EXPECT_EQ(D.Colour(), 0x2040C0u);
    EXPECT_TRUE(Tinted(0x2040C0));
    D.ChooseColour(0x10A030);
    EXPECT_TRUE(Tinted(0x10A030));
    D.CancelButton()->click();
  });
  Commands.ColoriseClick();
  EXPECT_TRUE(Same(Window.Bitmap, Original));
  EXPECT_EQ(Window.Colour, 0x2040C0u);
  EXPECT_EQ(Window.Records, 1);
  // "ОК" keeps what is shown and makes the colour current.
  WhenShown([&] {
    D.ChooseColour(0x10A030);
    D.OkButton()->click();
  });
  Commands.ColoriseClick();
  EXPECT_TRUE(Tinted(0x10A030));
  EXPECT_EQ(Window.Colour, 0x10A030u);
  EXPECT_EQ(Window.Records, 2);
}

TEST_F(TCommandsFixture, SepiaSetsTheColourAndTints) {
  TBitmap32 Want;
  Window.Bitmap.Assign(&Original);
  Commands.SepiaClick();
  EXPECT_EQ(Window.Colour, SepiaColour);
  Want.Assign(&Original);
  ApplyNoiseOrTint("mod", {&Want, true}, SepiaColour);
  BrightnessScale(Want, 150);
  EXPECT_TRUE(Same(Window.Bitmap, Want));
}

TEST_F(TCommandsFixture, SepiaTurnsGreysWarmBrown) {
  // Grey in, brown out: red above green above blue, the mid-grey near (160, 122, 90).
  struct TCase {
    uint8_t Grey, R, G, B;
  };
  for (const TCase C : {TCase{128, 160, 122, 90}, TCase{64, 79, 60, 44}}) {
    Window.Bitmap.Clear(ColorFromRGBA(C.Grey, C.Grey, C.Grey, 255));
    Commands.SepiaClick();
    const TColor32 P = Window.Bitmap.GetPixel(5, 5);
    EXPECT_NEAR(RedOf(P), C.R, 3) << int(C.Grey);
    EXPECT_NEAR(GreenOf(P), C.G, 3) << int(C.Grey);
    EXPECT_NEAR(BlueOf(P), C.B, 3) << int(C.Grey);
  }
}

TEST_F(TCommandsFixture, ColourBalanceRestoresOpacityAndCancelRestoresEveryPixel) {
  TGamma& D = Commands.Gamma();
  Window.Opacity = 128;
  WhenShown([&] {
    EXPECT_EQ(Window.Opacity, 255);
    D.GaugeBar1->setValue(30);
    ReleaseOn(D.GaugeBar1);
    EXPECT_FALSE(Same(Window.Bitmap, Original));
    D.reject();
  });
  Commands.ColourBalanceClick();
  EXPECT_EQ(Window.Opacity, 128);
  EXPECT_EQ(Window.Records, 1);
  EXPECT_TRUE(Same(Window.Bitmap, Original));

  // Red 30, "Сброс", green 20: only green is shifted.
  WhenShown([&] {
    D.GaugeBar1->setValue(30);
    ReleaseOn(D.GaugeBar1);
    for (QPushButton* B : D.findChildren<QPushButton*>())
      if (B->text() == QStringLiteral("Сброс"))
        B->click();
    D.GaugeBar2->setValue(20);
    ReleaseOn(D.GaugeBar2);
    D.accept();
  });
  Commands.ColourBalanceClick();
  TBitmap32 Want;
  Want.Assign(&Original);
  BalanceShift(Want, 0, 20, 0);
  EXPECT_TRUE(Same(Window.Bitmap, Want));
}

TEST_F(TCommandsFixture, BrightnessAndContrastOrderFollowsTheReleasedGauge) {
  TBrid& D = Commands.Brid();
  WhenShown([&] {
    D.GaugeBar1->setValue(60);
    D.GaugeBar2->setValue(80);
    ReleaseOn(D.GaugeBar2);
    D.accept();
  });
  Commands.BrightnessContrastClick();
  TBitmap32 Want;
  Want.Assign(&Original);
  ContrastStretch(Want, 80);
  BrightnessScale(Want, 60);
  EXPECT_TRUE(Same(Window.Bitmap, Want));
}

TEST_F(TCommandsFixture, SharpenOnATooSmallTargetFailsAfterRecording) {
  Window.Bitmap.SetSize(2, 5);
  Window.Bitmap.Clear(0x80102030);
  EXPECT_THROW(Commands.QuickSharpenClick(), EEffectError);
  EXPECT_EQ(Window.Records, 1);
  EXPECT_EQ(Window.Bitmap.GetPixel(1, 4), 0x80102030u);
}

TEST_F(TCommandsFixture, CatalogueShowsNineTitledCellsAndAppliesTheSelectedOne) {
  TBrowser& D = Commands.Browser();
  EXPECT_EQ(D.windowTitle(), QStringLiteral("Каталог эффектов"));
  // "OK" with nothing selected records and changes nothing.
  WhenShown([&] {
    ASSERT_EQ(D.View()->count(), 9);
    EXPECT_EQ(D.View()->item(3)->text(), QStringLiteral("Оттенки серого"));
    D.findChildren<QPushButton*>().front()->click();  // "OK"
  });
  Commands.EffectCatalogueClick();
  EXPECT_EQ(Window.Records, 1);
  EXPECT_TRUE(Same(Window.Bitmap, Original));

  // A double click on "Негатив" applies it and closes.
  WhenShown([&] {
    QListWidgetItem* Item = D.View()->item(4);
    D.View()->setCurrentItem(Item);
    emit D.View()->itemDoubleClicked(Item);
  });
  Commands.EffectCatalogueClick();
  EXPECT_EQ(Window.Records, 2);
  TBitmap32 Want;
  Want.Assign(&Original);
  InvertColors(Want);
  EXPECT_TRUE(Same(Window.Bitmap, Want));

  // "Cancel" changes nothing.
  WhenShown([&] {
    D.View()->setCurrentRow(0);
    D.reject();
  });
  Commands.EffectCatalogueClick();
  EXPECT_EQ(Window.Records, 2);
  EXPECT_TRUE(Same(Window.Bitmap, Want));
}

int main(int argc, char** argv) {
  // Listing the tests starts the application too, without the tests' environment.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
