#include "caption_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <memory>

#include "caption_fonts.h"
#include "caption_placement.h"
#include "card_commands.h"
#include "card_document.h"
#include "greetings.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

QImage ToImage(const TBitmap32& B) {
  QImage I(B.Width(), B.Height(), QImage::Format_ARGB32);
  for (int32_t Y = 0; Y < B.Height(); ++Y)
    for (int32_t X = 0; X < B.Width(); ++X) I.setPixel(X, Y, B.GetPixel(X, Y));
  return I;
}

struct TTexterTest : ::testing::Test {
  TImgView32 View;
  TCardDocument Doc{View};
  fs::path Dir;
  std::unique_ptr<TTexter> Dialog;
  QStringList Errors;

  void SetUp() override {
    View.SetBounds(800, 600);
    Doc.NewCanvas(500, 300, 0xFFE0F0FF);
    Dir = fs::temp_directory_path() /
          (std::string("pelmora_texter_") +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir / "BDG");
    const fs::path Source = fs::path(PELMORA_TEST_SOURCE_DIR) / ".." / "datagen" / "greetings";
    for (const TOccasion& O : Occasions())
      fs::copy_file(Source / O.FileName, Dir / "BDG" / O.FileName);
    Open();
  }
  void Open() {
    Dialog = std::make_unique<TTexter>(Doc, QString::fromStdString(Dir.string()));
    Dialog->OnError = [this](const QString& Text) { Errors << Text; };
  }
  void TearDown() override {
    Dialog.reset();
    fs::remove_all(Dir);
  }
  int BitmapLayers() {
    int N = 0;
    for (int32_t I = 0; I < Doc.Layers().Count(); ++I)
      N += dynamic_cast<TBitmapLayer*>(Doc.Layers().Items(I)) != nullptr;
    return N;
  }
  // Selects the text of Choice from the start of line First to the end of line Last.
  void SelectLines(int First, int Last) {
    QTextDocument* D = Dialog->Choice->document();
    QTextCursor C(D->findBlockByNumber(First));
    const QTextBlock End = D->findBlockByNumber(Last);
    C.setPosition(End.position() + End.length() - 1, QTextCursor::KeepAnchor);
    Dialog->Choice->setTextCursor(C);
  }
};

}  // namespace

TEST_F(TTexterTest, StartsWithItsDefaults) {
  TTexter& T = *Dialog;
  EXPECT_EQ(T.windowTitle(), QStringLiteral("Надпись"));
  ASSERT_EQ(T.Pages->count(), 2);
  EXPECT_EQ(T.Pages->tabText(0), QStringLiteral("Настройки текста"));
  EXPECT_EQ(T.Pages->tabText(1), QStringLiteral("Тексты поздравлений"));
  EXPECT_EQ(T.Fontos->currentText().toStdString(), DefaultCaptionFamily(InstalledFontFamilies()));
  EXPECT_EQ(T.FoSize->currentText(), QStringLiteral("30"));
  EXPECT_EQ(T.FoSize->count(), 57);
  EXPECT_EQ(T.FoSize->itemText(51), QStringLiteral("120"));
  EXPECT_EQ(T.FoSize->itemText(56), QStringLiteral("400"));
  EXPECT_EQ(T.Rtf->toPlainText(), QStringLiteral("Ваш текст"));
  EXPECT_EQ(T.Greet->currentText(), QStringLiteral("Новый Год"));
  EXPECT_EQ(T.Greet->count(), 6);
  EXPECT_TRUE(T.Choice->toPlainText().startsWith(QStringLiteral("С Новым годом")));
  EXPECT_EQ(T.Button5->text(), QStringLiteral("Копировать"));
  EXPECT_EQ(T.Spec->currentText(), QStringLiteral("Не выбран"));
  EXPECT_EQ(T.Spec->count(), 6);
  EXPECT_EQ(T.TexOp->minimum(), 0);
  EXPECT_EQ(T.TexOp->maximum(), 80);
  EXPECT_EQ(T.TexOp->value(), 0);
  EXPECT_TRUE(T.Alpha->isChecked());
  EXPECT_EQ(T.Alpha->text(), QStringLiteral("Прозрачный фон"));
  EXPECT_EQ(T.Button3->text(), QStringLiteral("Просмотр"));
  EXPECT_EQ(T.Button1->text(), QStringLiteral("ОК"));
  EXPECT_EQ(T.Button2->text(), QStringLiteral("Отмена"));
  const TCaption C = T.CurrentCaption();
  EXPECT_EQ(C.Size, 30);
  ASSERT_EQ(C.Lines.size(), 1u);
  EXPECT_EQ(C.Lines[0].Text, "Ваш текст");
  EXPECT_TRUE(Errors.isEmpty());
}

// A visit may suggest a size for the card in sight; once the user picks a size, it stays.
TEST_F(TTexterTest, SuggestedSizeHoldsUntilTheUserPicksOne) {
  TTexter& T = *Dialog;
  T.BeginVisit(0, 77);
  EXPECT_EQ(T.FoSize->currentText(), QStringLiteral("77"));
  EXPECT_EQ(T.CurrentCaption().Size, 77);
  T.FoSize->setCurrentText(QStringLiteral("48"));
  emit T.FoSize->lineEdit()->editingFinished();
  T.BeginVisit(0, 120);
  EXPECT_EQ(T.CurrentCaption().Size, 48);
  EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(TTexterTest, StyleButtonsToggleTheirOwnStyle) {
  TTexter& T = *Dialog;
  T.BoldButton->click();
  T.ItBut->click();
  EXPECT_EQ(T.CurrentCaption().Style, fsBold | fsItalic);
  EXPECT_TRUE(T.BoldButton->isChecked());
  EXPECT_TRUE(T.Rtf->document()->defaultFont().bold());
  T.BoldButton->click();
  EXPECT_EQ(T.CurrentCaption().Style, fsItalic);
  EXPECT_FALSE(T.BoldButton->isChecked());
  EXPECT_TRUE(T.ItBut->isChecked());
  T.Under->click();
  EXPECT_EQ(T.CurrentCaption().Style, fsItalic | fsUnderline);
}

TEST_F(TTexterTest, AlignmentAppliesToTheWholeCaption) {
  TTexter& T = *Dialog;
  T.Rtf->setPlainText(QStringLiteral("Первая строка\nвторая\n\tтретья"));
  struct TCase {
    QToolButton* Button;
    TCaptionAlign Align;
  };
  for (const TCase& C :
       {TCase{T.ToolButton13, TCaptionAlign::Centre}, TCase{T.ToolButton14, TCaptionAlign::Right},
        TCase{T.ToolButton12, TCaptionAlign::Left}}) {
    // The caret on the middle line: the button still aligns every line.
    T.Rtf->setTextCursor(QTextCursor(T.Rtf->document()->findBlockByNumber(1)));
    C.Button->click();
    EXPECT_TRUE(C.Button->isChecked());
    const TCaption Caption = T.CurrentCaption();
    ASSERT_EQ(Caption.Lines.size(), 3u);
    for (const TCaptionLine& L : Caption.Lines)
      EXPECT_EQ(L.Align, C.Align) << C.Button->toolTip().toStdString() << ": " << L.Text;
    // The caret on another line shows the same alignment.
    T.Rtf->setTextCursor(QTextCursor(T.Rtf->document()->findBlockByNumber(2)));
    EXPECT_TRUE(C.Button->isChecked());
  }
  EXPECT_EQ(T.CurrentCaption().Lines[2].Text, "\tтретья");
  // A line typed after the choice, and a greeting copied in, take it too.
  T.ToolButton13->click();
  QTextCursor End(T.Rtf->document());
  End.movePosition(QTextCursor::End);
  End.insertText(QStringLiteral("\nчетвёртая"));
  T.Choice->setPlainText(QStringLiteral("С праздником!\nУра"));
  T.Choice->selectAll();
  T.Button5Click();
  const TCaption Copied = T.CurrentCaption();
  ASSERT_EQ(Copied.Lines.size(), 2u);
  EXPECT_EQ(Copied.Lines[0].Align, TCaptionAlign::Centre);
  EXPECT_EQ(Copied.Lines[1].Align, TCaptionAlign::Centre);
  // An empty editor is an empty caption.
  T.Rtf->clear();
  EXPECT_TRUE(T.CurrentCaption().Lines.empty());
}

TEST_F(TTexterTest, ACaptionInASpecialFontShowsItsName) {
  TTexter& T = *Dialog;
  TCaption C;
  C.Lines = {{"С днём рождения!", TCaptionAlign::Centre}};
  for (int32_t I = 1; I < int32_t(SpecialFonts().size()); ++I) {
    C.FontName = SpecialFontFamily(I);
    T.SetCaption(C);
    // Entries sharing a stand-in here show the first of them.
    EXPECT_NE(T.Spec->currentIndex(), 0) << C.FontName;
    EXPECT_EQ(SpecialFontFamily(T.Spec->currentIndex()), C.FontName);
  }
  C.FontName = "Invest";
  T.SetCaption(C);
  EXPECT_EQ(T.Spec->currentText(), QStringLiteral("Заглавный"));
  C.FontName = "No Such Font Pelmora";
  T.SetCaption(C);
  EXPECT_EQ(T.Spec->currentText(), QStringLiteral("Не выбран"));
}

TEST_F(TTexterTest, CopyingAGreetingReplacesTheCaption) {
  TTexter& T = *Dialog;
  T.Pages->setCurrentIndex(1);
  T.Greet->setCurrentIndex(1);
  T.GreetChange();
  EXPECT_TRUE(T.Choice->toPlainText().contains(QStringLiteral("рожд"), Qt::CaseInsensitive));
  // A greeting of two lines.
  const QStringList Lines = T.Choice->toPlainText().split(QLatin1Char('\n'));
  int First = -1;
  for (int I = 0; I + 1 < Lines.size(); ++I)
    if (!Lines[I].isEmpty() && !Lines[I + 1].isEmpty()) {
      First = I;
      break;
    }
  ASSERT_GE(First, 0);
  SelectLines(First, First + 1);
  T.Button5->click();
  EXPECT_EQ(T.Pages->currentIndex(), 0);
  EXPECT_EQ(T.Rtf->toPlainText(), Lines[First] + QLatin1Char('\n') + Lines[First + 1]);
  EXPECT_EQ(T.CurrentCaption().Lines.size(), 2u);
  // Nothing selected: an empty caption.
  T.Choice->setTextCursor(QTextCursor(T.Choice->document()));
  T.Button5Click();
  EXPECT_TRUE(T.Rtf->toPlainText().isEmpty());
}

TEST_F(TTexterTest, MissingOrDamagedGreetingFileKeepsThePreviousText) {
  TTexter& T = *Dialog;
  const QString Before = T.Choice->toPlainText();
  fs::remove(Dir / "BDG" / "Valentine.txt");
  {
    std::ofstream Bad(Dir / "BDG" / "Male.txt", std::ios::binary);
    Bad << "\xFF\xFE\x00garbage";
  }
  for (int Index : {2, 3}) {
    T.Greet->setCurrentIndex(Index);
    emit T.Greet->activated(Index);
    EXPECT_EQ(T.Choice->toPlainText(), Before);
  }
  ASSERT_EQ(Errors.size(), 2);
  EXPECT_TRUE(Errors[0].startsWith(QStringLiteral("Не найден файл поздравлений")));
  EXPECT_TRUE(Errors[1].startsWith(QStringLiteral("Файл поздравлений повреждён")));
}

TEST_F(TTexterTest, MissingFolderAtStartGivesAnEmptyList) {
  fs::remove_all(Dir / "BDG");
  Open();
  EXPECT_TRUE(Dialog->Choice->toPlainText().isEmpty());
}

TEST_F(TTexterTest, SizeMustBeAnInteger) {
  TTexter& T = *Dialog;
  T.FoSize->setCurrentText(QStringLiteral("48"));
  emit T.FoSize->lineEdit()->editingFinished();
  EXPECT_EQ(T.CurrentCaption().Size, 48);
  for (const char* Bad : {"abc", "12.5", "", "0", "100000"}) {
    SCOPED_TRACE(Bad);
    Errors.clear();
    T.FoSize->setCurrentText(QString::fromUtf8(Bad));
    emit T.FoSize->lineEdit()->editingFinished();
    EXPECT_EQ(Errors.size(), 1);
    EXPECT_EQ(T.CurrentCaption().Size, 48);
    EXPECT_EQ(T.FoSize->currentText(), QStringLiteral("48"));
  }
  // The sizes are those the caption command takes.
  const TEffectKey& Sizes = CardKeyOf("Caption", "size");
  Errors.clear();
  T.FoSize->setCurrentText(QString::number(Sizes.Max + 1));
  emit T.FoSize->lineEdit()->editingFinished();
  ASSERT_EQ(Errors.size(), 1);
  EXPECT_EQ(Errors[0], QStringLiteral("Размер шрифта должен быть от 1 до 1000"));
  T.FoSize->setCurrentText(QString::number(Sizes.Max));
  emit T.FoSize->lineEdit()->editingFinished();
  EXPECT_EQ(T.CurrentCaption().Size, Sizes.Max);
  // The text box shows a large caption capped, so that its lines stay in view.
  EXPECT_EQ(T.Rtf->document()->defaultFont().pointSize(), 36);
  T.FoSize->setCurrentText(QStringLiteral("24"));
  emit T.FoSize->lineEdit()->editingFinished();
  EXPECT_EQ(T.Rtf->document()->defaultFont().pointSize(), 24);
}

TEST_F(TTexterTest, SpecialFontSelectsItsStandIn) {
  TTexter& T = *Dialog;
  const std::string Family = SpecialFontFamily(1);
  ASSERT_FALSE(Family.empty());
  T.Spec->setCurrentIndex(1);
  emit T.Spec->activated(1);
  EXPECT_EQ(T.Fontos->currentText().toStdString(), Family);
  EXPECT_EQ(T.CurrentCaption().FontName, Family);
  // "Не выбран" leaves the font alone.
  T.Spec->setCurrentIndex(0);
  emit T.Spec->activated(0);
  EXPECT_EQ(T.Fontos->currentText().toStdString(), Family);
}

TEST_F(TTexterTest, PreviewsAndCancelLeaveAtMostOneLayer) {
  TTexter& T = *Dialog;
  const int Start = BitmapLayers();
  T.BeginVisit(Doc.Layers().Count());
  T.show();
  for (int I = 0; I < 3; ++I) T.Button3->click();
  EXPECT_EQ(BitmapLayers(), Start + 1);
  T.Button1->click();
  EXPECT_EQ(BitmapLayers(), Start + 1);
  EXPECT_FALSE(T.isVisible());

  T.BeginVisit(Doc.Layers().Count());
  T.show();
  T.Button3->click();
  EXPECT_EQ(BitmapLayers(), Start + 2);
  T.Button2->click();
  EXPECT_EQ(BitmapLayers(), Start + 1);
  EXPECT_FALSE(T.isVisible());

  // Closing the window is "Отмена" too.
  T.BeginVisit(Doc.Layers().Count());
  T.show();
  T.Button3->click();
  T.reject();
  EXPECT_EQ(BitmapLayers(), Start + 1);
}

TEST_F(TTexterTest, TransparencyAndTransparentBackground) {
  TTexter& T = *Dialog;
  T.TexOp->setValue(80);
  T.SetTextColor(0xFFC01020);
  T.BeginVisit(Doc.Layers().Count());
  T.Button3Click();
  auto* L = Doc.SelectedBitmapLayer();
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(L->Bitmap()->MasterAlpha(), 51u);
  EXPECT_EQ(AlphaOf(L->Bitmap()->GetPixel(0, 0)), 0);
  // An opaque background in the background colour.
  T.Alpha->setChecked(false);
  T.SetBackColor(0xFF00FF00);
  T.Button3Click();
  L = Doc.SelectedBitmapLayer();
  ASSERT_NE(L, nullptr);
  EXPECT_EQ(L->Bitmap()->GetPixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(BitmapLayers(), 1);
}

// "Контур" and "Тень" widen the caption by their reach and draw in their colours; turned off
// again, the caption is the plain one.
TEST_F(TTexterTest, OutlineAndShadowAreDrawnIntoTheCaption) {
  TTexter& T = *Dialog;
  T.Rtf->setPlainText(QStringLiteral("Ель"));
  T.SetTextColor(0xFF102040);
  T.BeginVisit(Doc.Layers().Count());
  T.Button3Click();
  const int32_t PlainW = Doc.SelectedBitmapLayer()->Bitmap()->Width();
  uint32_t PlainCrc = 0;
  {
    const TBitmap32& B = *Doc.SelectedBitmapLayer()->Bitmap();
    for (int32_t I = 0; I < B.Width() * B.Height(); ++I) PlainCrc = PlainCrc * 31 + B.Bits()[I];
  }
  EXPECT_EQ(T.OutlineOn->text(), QStringLiteral("Контур"));
  EXPECT_EQ(T.ShadowOn->text(), QStringLiteral("Тень"));
  EXPECT_EQ(T.OutlineWidth->maximum(), 20);

  T.OutlineOn->setChecked(true);
  T.OutlineWidth->setValue(4);
  T.ShadowOn->setChecked(true);
  T.Button3Click();
  const TBitmap32& B = *Doc.SelectedBitmapLayer()->Bitmap();
  const TCaption C = T.CurrentCaption();
  EXPECT_EQ(B.Width(), PlainW + 2 * CaptionEffectMargin(C.Outline, C.Shadow));
  bool White = false, Dark = false;
  for (int32_t I = 0; I < B.Width() * B.Height(); ++I) {
    const TColor32 P = B.Bits()[I];
    White |= AlphaOf(P) == 255 && P == 0xFFFFFFFFu;  // the outline
    Dark |= AlphaOf(P) == 255 && P == 0xFF102040u;   // the text
  }
  EXPECT_TRUE(White);
  EXPECT_TRUE(Dark);
  EXPECT_EQ(BitmapLayers(), 1);

  T.OutlineOn->setChecked(false);
  T.ShadowOn->setChecked(false);
  T.Button3Click();
  const TBitmap32& Again = *Doc.SelectedBitmapLayer()->Bitmap();
  uint32_t Crc = 0;
  for (int32_t I = 0; I < Again.Width() * Again.Height(); ++I) Crc = Crc * 31 + Again.Bits()[I];
  EXPECT_EQ(Crc, PlainCrc);
  EXPECT_TRUE(Errors.isEmpty());
}

TEST_F(TTexterTest, NothingIsPlacedWithoutACard) {
  Doc.NewCanvas(0, 0, 0);
  Dialog->BeginVisit(0);
  Dialog->Button3->click();
  EXPECT_EQ(Doc.Layers().Count(), 0);
  EXPECT_TRUE(Errors.isEmpty());
}

// With PELMORA_CAPTION_SHOTS set to a folder: the dialog and a card with a two-line greeting.
TEST_F(TTexterTest, Screenshots) {
  const char* Out = std::getenv("PELMORA_CAPTION_SHOTS");
  if (Out == nullptr)
    GTEST_SKIP() << "PELMORA_CAPTION_SHOTS not set";
  TTexter& T = *Dialog;
  T.Pages->setCurrentIndex(1);
  SelectLines(4, 5);
  T.Button5Click();
  QTextCursor C(T.Rtf->document()->findBlockByNumber(1));
  T.Rtf->setTextCursor(C);
  T.ToolButton13->click();
  T.FoSize->setCurrentText(QStringLiteral("24"));
  T.FoSizeChange();
  T.ItBut->click();
  T.SetTextColor(0xFFB01030);
  T.show();
  QApplication::processEvents();
  ASSERT_TRUE(T.grab().save(QString::fromUtf8(Out) + QStringLiteral("/caption_dialog.png")));
  T.BeginVisit(Doc.Layers().Count());
  T.Button1Click();
  const std::unique_ptr<TBitmap32> Flat = Doc.RenderFlatImage();
  ASSERT_TRUE(ToImage(*Flat).save(QString::fromUtf8(Out) + QStringLiteral("/caption_on_card.png")));
  ASSERT_TRUE(
      ToImage(T.WorkBitmap()).save(QString::fromUtf8(Out) + QStringLiteral("/caption_work.png")));
  // Every special font's stand-in, one caption each, stacked.
  const size_t N = SpecialFonts().size() - 1;
  QImage Sheet(760, 60 * int(N), QImage::Format_ARGB32);
  Sheet.fill(Qt::white);
  {
    QPainter P(&Sheet);
    for (size_t I = 1; I <= N; ++I) {
      TCaption One;
      One.TransparentBackground = false;
      One.Size = 20;
      One.FontName = SpecialFontFamily(int32_t(I));
      One.Lines = {
          {std::string(SpecialFonts()[I].Title) + " (" + One.FontName + "): С днём рождения!",
           TCaptionAlign::Left}};
      TBitmap32 B;
      RenderIt(B, One, NormalRender);
      P.drawImage(0, 60 * int(I - 1), ToImage(B));
    }
  }
  ASSERT_TRUE(Sheet.save(QString::fromUtf8(Out) + QStringLiteral("/special_fonts.png")));
}

TEST(CaptionPlacement, TheDialogStepsAsideFromTheCaption) {
  const QRect Screen(0, 0, 1366, 768);
  struct TCase {
    const char* What;
    QRect Dialog, Caption;
    QPoint Want;
  };
  const TCase Cases[] = {
      {"covers nothing: stays", {800, 100, 500, 400}, {300, 300, 200, 60}, {800, 100}},
      {"no caption: stays", {400, 100, 500, 400}, {}, {400, 100}},
      // Over the caption's right part: the shortest way out is to the right of it.
      {"right", {450, 100, 500, 400}, {300, 300, 200, 60}, {508, 100}},
      // Over its left part: to its left, as far as the screen's edge.
      {"left", {100, 250, 300, 200}, {300, 300, 200, 60}, {0, 250}},
      // No room beside it: above or below.
      {"below", {100, 100, 1200, 300}, {200, 200, 900, 60}, {100, 268}},
      // Nowhere free: the least covered place inside the screen.
      {"least", {0, 0, 1366, 700}, {0, 300, 1366, 100}, {0, 0}},
  };
  for (const TCase& C : Cases) {
    const QPoint At = MoveOffCaption(C.Dialog, C.Caption, Screen);
    EXPECT_EQ(At, C.Want) << C.What;
    EXPECT_TRUE(Screen.contains(QRect(At, C.Dialog.size()))) << C.What;
  }
}

TEST_F(TTexterTest, PreviewMovesTheDialogOffTheCaption) {
  TTexter& T = *Dialog;
  T.show();
  QApplication::processEvents();
  T.move(100, 100);
  QApplication::processEvents();
  // The caption lands under the dialog's middle.
  const QRect Under(T.frameGeometry().center() - QPoint(60, 20), QSize(120, 40));
  T.CaptionOnScreen = [&] { return Under; };
  T.BeginVisit(Doc.Layers().Count());
  T.Button3->click();
  QApplication::processEvents();
  EXPECT_FALSE(T.frameGeometry().intersects(Under)) << "the preview is in sight";
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join("; ").toStdString();
  T.reject();
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
