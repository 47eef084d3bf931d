#include "caption_dialog.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "caption_fonts.h"
#include "caption_placement.h"
#include "card_commands.h"
#include "card_document.h"
#include "color32.h"
#include "greetings.h"
#include "qt_colours.h"
#include "report_errors.h"
#include "window_fit.h"

namespace {

// The point sizes the size box accepts: those of the caption command's size.
const TEffectKey& PointSizes() {
  return CardKeyOf("Caption", "size");
}
// The text box shows the caption's font no larger than this, so that a caption of hundreds of
// points stays editable; the caption itself is rendered at its real size.
constexpr int MaxBoxPointSize = 36;

QIcon Swatch(TColor32 C) {
  QPixmap P(16, 16);
  P.fill(ToQColor(C));
  QPainter G(&P);
  G.setPen(Qt::black);
  G.drawRect(0, 0, 15, 15);
  return QIcon(P);
}

// Four lines of different lengths, aligned as the button aligns a paragraph.
QIcon AlignIcon(Qt::Alignment A) {
  QPixmap P(16, 16);
  P.fill(Qt::transparent);
  QPainter G(&P);
  G.setPen(QPen(Qt::black, 1));
  const int Lengths[] = {14, 9, 14, 7};
  for (int I = 0; I < 4; ++I) {
    const int L = Lengths[I];
    const int X = A == Qt::AlignRight ? 15 - L : (A == Qt::AlignHCenter ? (16 - L) / 2 : 1);
    G.drawLine(X, 2 + I * 4, X + L - 1, 2 + I * 4);
  }
  return QIcon(P);
}

QToolButton* Toggle(const QString& Text, const QString& Tip, QWidget* Parent) {
  auto* B = new QToolButton(Parent);
  B->setText(Text);
  B->setToolTip(Tip);
  B->setCheckable(true);
  B->setAutoRaise(true);
  return B;
}

TCaptionAlign FromQt(Qt::Alignment A) {
  if (A & Qt::AlignHCenter)
    return TCaptionAlign::Centre;
  if (A & Qt::AlignRight)
    return TCaptionAlign::Right;
  if (A & Qt::AlignJustify)
    return TCaptionAlign::Justify;
  return TCaptionAlign::Left;
}

Qt::Alignment ToQt(TCaptionAlign A) {
  switch (A) {
    case TCaptionAlign::Centre:
      return Qt::AlignHCenter;
    case TCaptionAlign::Right:
      return Qt::AlignRight;
    case TCaptionAlign::Justify:
      return Qt::AlignJustify;
    case TCaptionAlign::Left:
      break;
  }
  return Qt::AlignLeft;
}

}  // namespace

TTexter::TTexter(TCardDocument& Doc, const QString& DataDir, QWidget* Parent)
    : QDialog(Parent), FDoc(Doc), FDataDir(DataDir) {
  setWindowTitle(QStringLiteral("Надпись"));
  KeepTitleWhole(*this);
  OnError = [this](const QString& Text) {
    QMessageBox::critical(this, QStringLiteral("Pelmora"), Text);
  };

  auto* Main = new QVBoxLayout(this);
  Pages = new QTabWidget(this);
  Main->addWidget(Pages);

  // Page "Настройки текста".
  auto* TextPage = new QWidget(Pages);
  auto* TextLayout = new QVBoxLayout(TextPage);
  auto* Bar = new QHBoxLayout;
  Fontos = new QComboBox(TextPage);
  Fontos->setToolTip(QStringLiteral("Шрифт"));
  Fontos->setMinimumContentsLength(16);
  for (const std::string& F : InstalledFontFamilies()) Fontos->addItem(QString::fromStdString(F));
  FoSize = new QComboBox(TextPage);
  FoSize->setEditable(true);
  FoSize->setInsertPolicy(QComboBox::NoInsert);
  FoSize->setToolTip(QStringLiteral("Размер"));
  for (int S = 1; S <= 32; ++S) FoSize->addItem(QString::number(S));
  for (int S : {34, 36, 40, 42, 44, 46,  48,  50,  54,  58,  62,  66, 70,
                74, 78, 85, 90, 95, 100, 120, 150, 200, 250, 300, 400})
    FoSize->addItem(QString::number(S));
  FoSize->setCurrentText(QStringLiteral("30"));
  BoldButton = Toggle(QStringLiteral("Ж"), QStringLiteral("Жирный"), TextPage);
  QFont BF = BoldButton->font();
  BF.setBold(true);
  BoldButton->setFont(BF);
  ItBut = Toggle(QStringLiteral("К"), QStringLiteral("Курсив"), TextPage);
  QFont IF = ItBut->font();
  IF.setItalic(true);
  ItBut->setFont(IF);
  Under = Toggle(QStringLiteral("Ч"), QStringLiteral("Подчёркнутый"), TextPage);
  QFont UF = Under->font();
  UF.setUnderline(true);
  Under->setFont(UF);
  FoColo = new QToolButton(TextPage);
  FoColo->setToolTip(QStringLiteral("Цвет текста"));
  FoColo->setText(QStringLiteral("Текст"));
  FoColo->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  BcColo = new QToolButton(TextPage);
  BcColo->setToolTip(QStringLiteral("Цвет фона"));
  BcColo->setText(QStringLiteral("Фон"));
  BcColo->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  ToolButton12 = Toggle(QString(), QStringLiteral("По левому краю"), TextPage);
  ToolButton13 = Toggle(QString(), QStringLiteral("По центру"), TextPage);
  ToolButton14 = Toggle(QString(), QStringLiteral("По правому краю"), TextPage);
  ToolButton12->setIcon(AlignIcon(Qt::AlignLeft));
  ToolButton13->setIcon(AlignIcon(Qt::AlignHCenter));
  ToolButton14->setIcon(AlignIcon(Qt::AlignRight));
  auto* AlignGroup = new QButtonGroup(this);
  AlignGroup->setExclusive(true);
  for (QToolButton* B : {ToolButton12, ToolButton13, ToolButton14}) AlignGroup->addButton(B);
  ToolButton12->setChecked(true);
  Bar->addWidget(Fontos, 1);
  Bar->addWidget(FoSize);
  for (QToolButton* B :
       {BoldButton, ItBut, Under, FoColo, BcColo, ToolButton12, ToolButton13, ToolButton14})
    Bar->addWidget(B);
  TextLayout->addLayout(Bar);
  Rtf = new QTextEdit(TextPage);
  Rtf->setAcceptRichText(false);
  Rtf->setLineWrapMode(QTextEdit::NoWrap);
  Rtf->setTabChangesFocus(false);
  Rtf->setPlainText(QStringLiteral("Ваш текст"));
  Rtf->selectAll();  // the first keystroke replaces the placeholder
  TextLayout->addWidget(Rtf, 1);
  Pages->addTab(TextPage, QStringLiteral("Настройки текста"));

  // Page "Тексты поздравлений".
  auto* GreetPage = new QWidget(Pages);
  auto* GreetLayout = new QVBoxLayout(GreetPage);
  auto* GreetBar = new QHBoxLayout;
  GreetBar->addWidget(new QLabel(QStringLiteral("Праздник"), GreetPage));
  Greet = new QComboBox(GreetPage);
  for (const TOccasion& O : Occasions()) Greet->addItem(QString::fromUtf8(O.Title));
  GreetBar->addWidget(Greet, 1);
  GreetLayout->addLayout(GreetBar);
  Choice = new QTextEdit(GreetPage);
  Choice->setReadOnly(true);
  Choice->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  Choice->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* Use = new QAction(QStringLiteral("Использовать поздравление"), Choice);
  Choice->addAction(Use);
  GreetLayout->addWidget(Choice, 1);
  auto* CopyBar = new QHBoxLayout;
  CopyBar->addWidget(new QLabel(QStringLiteral("Выделите текст и нажмите"), GreetPage));
  Button5 = new QPushButton(QStringLiteral("Копировать"), GreetPage);
  CopyBar->addWidget(Button5);
  CopyBar->addStretch(1);
  GreetLayout->addLayout(CopyBar);
  Pages->addTab(GreetPage, QStringLiteral("Тексты поздравлений"));

  // Below both pages.
  auto* Below = new QHBoxLayout;
  Below->addWidget(new QLabel(QStringLiteral("Специальные шрифты"), this));
  Spec = new QComboBox(this);
  for (const TSpecialFont& F : SpecialFonts()) Spec->addItem(QString::fromUtf8(F.Title));
  Below->addWidget(Spec);
  Below->addSpacing(12);
  Below->addWidget(new QLabel(QStringLiteral("Прозрачность"), this));
  TexOp = new QSpinBox(this);
  TexOp->setRange(0, MaxCaptionTransparency);
  TexOp->setSuffix(QStringLiteral(" %"));
  Below->addWidget(TexOp);
  Alpha = new QCheckBox(QStringLiteral("Прозрачный фон"), this);
  Alpha->setChecked(true);
  Below->addWidget(Alpha);
  Below->addStretch(1);
  Main->addLayout(Below);
  // Around and under the text: an outline and a shadow keep it legible on a busy background.
  auto* Effects = new QHBoxLayout;
  const auto Spin = [this](int Min, int Max, int Value, const QString& Tip) {
    auto* S = new QSpinBox(this);
    S->setRange(Min, Max);
    S->setValue(Value);
    S->setSuffix(QStringLiteral(" пкс"));
    S->setToolTip(Tip);
    return S;
  };
  const auto ColourButton = [this](TColor32 C, const QString& Tip) {
    auto* B = new QToolButton(this);
    B->setIcon(Swatch(C));
    B->setToolTip(Tip);
    return B;
  };
  const TCaptionOutline O;
  const TCaptionShadow Sh;
  OutlineOn = new QCheckBox(QStringLiteral("Контур"), this);
  OutlineColour = ColourButton(FOutlineColour, QStringLiteral("Цвет контура"));
  OutlineWidth = Spin(0, MaxOutlineWidth, O.Width, QStringLiteral("Толщина контура"));
  ShadowOn = new QCheckBox(QStringLiteral("Тень"), this);
  ShadowColour = ColourButton(FShadowColour, QStringLiteral("Цвет тени"));
  ShadowOffset = Spin(0, MaxShadowOffset, Sh.Offset, QStringLiteral("Сдвиг тени"));
  ShadowSoftness = Spin(0, MaxShadowSoftness, Sh.Softness, QStringLiteral("Размытость тени"));
  for (QWidget* W : std::initializer_list<QWidget*>{OutlineOn, OutlineColour, OutlineWidth})
    Effects->addWidget(W);
  Effects->addSpacing(12);
  for (QWidget* W :
       std::initializer_list<QWidget*>{ShadowOn, ShadowColour, ShadowOffset, ShadowSoftness})
    Effects->addWidget(W);
  Effects->addStretch(1);
  Main->addLayout(Effects);
  auto* Buttons = new QHBoxLayout;
  Buttons->addStretch(1);
  Button3 = new QPushButton(QStringLiteral("Просмотр"), this);
  Button1 = new QPushButton(QStringLiteral("ОК"), this);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);
  Button1->setDefault(true);
  for (QPushButton* B : {Button3, Button1, Button2}) {
    B->setAutoDefault(false);
    Buttons->addWidget(B);
  }
  Button1->setAutoDefault(true);
  Main->addLayout(Buttons);
  // Low enough to open above or below a caption in the middle of the card on a small screen.
  resize(600, 340);

  // Start-up state: the greetings of "Новый Год", no special font, "Arial" (or its stand-in).
  std::vector<std::string> Families;
  for (int I = 0; I < Fontos->count(); ++I) Families.push_back(Fontos->itemText(I).toStdString());
  const QString Family = QString::fromStdString(DefaultCaptionFamily(Families));
  if (Fontos->findText(Family) < 0)
    Fontos->addItem(Family);
  Fontos->setCurrentText(Family);
  Greet->setCurrentIndex(0);
  const TGreetingFile First = LoadOccasion(FDataDir.toStdString(), 0);
  if (First.Ok)
    Choice->setPlainText(QString::fromStdString(First.Text));
  Spec->setCurrentIndex(0);
  FoColo->setIcon(Swatch(FTextColor));
  BcColo->setIcon(Swatch(FBackColor));
  ApplyFont();

  connect(Fontos, &QComboBox::currentIndexChanged, this,
          [this] { Run([this] { FontControlsChange(); }); });
  connect(FoSize, &QComboBox::activated, this, [this] { Run([this] { FoSizeChange(); }); });
  connect(FoSize->lineEdit(), &QLineEdit::editingFinished, this,
          [this] { Run([this] { FoSizeChange(); }); });
  connect(BoldButton, &QToolButton::clicked, this,
          [this] { Run([this] { StyleButtonClick(fsBold); }); });
  connect(ItBut, &QToolButton::clicked, this,
          [this] { Run([this] { StyleButtonClick(fsItalic); }); });
  connect(Under, &QToolButton::clicked, this,
          [this] { Run([this] { StyleButtonClick(fsUnderline); }); });
  connect(FoColo, &QToolButton::clicked, this, [this] { Run([this] { ChooseColor(true); }); });
  connect(OutlineColour, &QToolButton::clicked, this, [this] {
    if (ChooseColor32(this, FOutlineColour, QStringLiteral("Цвет контура")))
      OutlineColour->setIcon(Swatch(FOutlineColour));
  });
  connect(ShadowColour, &QToolButton::clicked, this, [this] {
    if (ChooseColor32(this, FShadowColour, QStringLiteral("Цвет тени")))
      ShadowColour->setIcon(Swatch(FShadowColour));
  });
  connect(BcColo, &QToolButton::clicked, this, [this] { Run([this] { ChooseColor(false); }); });
  connect(ToolButton12, &QToolButton::clicked, this,
          [this] { Run([this] { AlignButtonClick(Qt::AlignLeft); }); });
  connect(ToolButton13, &QToolButton::clicked, this,
          [this] { Run([this] { AlignButtonClick(Qt::AlignHCenter); }); });
  connect(ToolButton14, &QToolButton::clicked, this,
          [this] { Run([this] { AlignButtonClick(Qt::AlignRight); }); });
  connect(Rtf, &QTextEdit::cursorPositionChanged, this,
          [this] { Run([this] { ShowCaretAlignment(); }); });
  connect(Greet, &QComboBox::activated, this, [this] { Run([this] { GreetChange(); }); });
  connect(Button5, &QPushButton::clicked, this, [this] { Run([this] { Button5Click(); }); });
  connect(Use, &QAction::triggered, this, [this] { Run([this] { Button5Click(); }); });
  connect(Spec, &QComboBox::activated, this, [this] { Run([this] { SpecChange(); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { Run([this] { Button3Click(); }); });
  connect(Button1, &QPushButton::clicked, this, [this] { Run([this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Run([this] { Button2Click(); }); });
}

int TTexter::Execute(int32_t RememberedCount, int32_t SuggestedSize) {
  BeginVisit(RememberedCount, SuggestedSize);
  return exec();
}

void TTexter::BeginVisit(int32_t RememberedCount, int32_t SuggestedSize) {
  EndEdit();
  FRemembered = RememberedCount;
  if (SuggestedSize > 0 && !FSizeChosen) {
    FSize = std::min(SuggestedSize, PointSizes().Max);
    FoSize->setCurrentText(QString::number(FSize));
    ApplyFont();
  }
}

void TTexter::Run(const std::function<void()>& Handler) {
  RunReportingErrors(Handler, OnError);
}

TCaption TTexter::CurrentCaption() const {
  TCaption C;
  C.FontName = Fontos->currentText().toStdString();
  C.Size = FSize;
  C.Style = FStyle;
  C.TextColor = FTextColor;
  C.BackColor = FBackColor;
  C.TransparentBackground = Alpha->isChecked();
  C.Transparency = TexOp->value();
  C.Outline.On = OutlineOn->isChecked();
  C.Outline.Colour = FOutlineColour;
  C.Outline.Width = OutlineWidth->value();
  C.Shadow.On = ShadowOn->isChecked();
  C.Shadow.Colour = FShadowColour;
  C.Shadow.Offset = ShadowOffset->value();
  C.Shadow.Softness = ShadowSoftness->value();
  const QTextDocument* D = Rtf->document();
  if (D->isEmpty())
    return C;
  for (QTextBlock B = D->begin(); B.isValid(); B = B.next()) {
    const TCaptionAlign A = FromQt(B.blockFormat().alignment());
    // A line break inside a paragraph (Shift+Enter) starts a line with the same alignment.
    for (const QString& Part : B.text().split(QChar::LineSeparator))
      C.Lines.push_back({Part.toStdString(), A});
  }
  return C;
}

void TTexter::ApplyFont() {
  QFont F(Fontos->currentText());
  F.setPointSize(std::min(FSize, MaxBoxPointSize));
  F.setBold((FStyle & fsBold) != 0);
  F.setItalic((FStyle & fsItalic) != 0);
  F.setUnderline((FStyle & fsUnderline) != 0);
  Rtf->document()->setDefaultFont(F);
  QPalette P = Rtf->palette();
  P.setColor(QPalette::Text, ToQColor(FTextColor));
  P.setColor(QPalette::Base, ToQColor(FBackColor));
  Rtf->setPalette(P);
  BoldButton->setChecked((FStyle & fsBold) != 0);
  ItBut->setChecked((FStyle & fsItalic) != 0);
  Under->setChecked((FStyle & fsUnderline) != 0);
}

void TTexter::FontControlsChange() {
  ApplyFont();
}

void TTexter::FoSizeChange() {
  const QString Text = FoSize->currentText().trimmed();
  bool Ok = false;
  const int V = Text.toInt(&Ok);
  if (!Ok || V < PointSizes().Min || V > PointSizes().Max) {
    // The font stays as it was, and so does the box.
    FoSize->setCurrentText(QString::number(FSize));
    if (!Ok)
      throw Exception(QStringLiteral("«%1» — неверное целое число").arg(Text).toStdString());
    throw Exception(QStringLiteral("Размер шрифта должен быть от %1 до %2")
                        .arg(PointSizes().Min)
                        .arg(PointSizes().Max)
                        .toStdString());
  }
  FSize = V;
  FSizeChosen = true;
  ApplyFont();
}

void TTexter::StyleButtonClick(uint32_t Style) {
  FStyle ^= Style;
  ApplyFont();
}

void TTexter::AlignButtonClick(Qt::Alignment A) {
  AlignCaption(A);
  ShowCaretAlignment();
}

void TTexter::AlignCaption(Qt::Alignment A) {
  // The alignment is the caption's, as its font and colours are: every line takes it.
  FAlign = A;
  QTextCursor Cursor(Rtf->document());
  Cursor.select(QTextCursor::Document);
  QTextBlockFormat F;
  F.setAlignment(A);
  Cursor.mergeBlockFormat(F);
}

void TTexter::ShowCaretAlignment() {
  const TCaptionAlign A = FromQt(Rtf->alignment());
  ToolButton12->setChecked(A == TCaptionAlign::Left || A == TCaptionAlign::Justify);
  ToolButton13->setChecked(A == TCaptionAlign::Centre);
  ToolButton14->setChecked(A == TCaptionAlign::Right);
}

void TTexter::SetTextColor(TColor32 C) {
  FTextColor = C | 0xFF000000;
  FoColo->setIcon(Swatch(FTextColor));
  ApplyFont();
}

void TTexter::SetBackColor(TColor32 C) {
  FBackColor = C | 0xFF000000;
  BcColo->setIcon(Swatch(FBackColor));
  ApplyFont();
}

void TTexter::ChooseColor(bool Text) {
  TColor32 V = Text ? FTextColor : FBackColor;
  if (!ChooseColor32(this, V, Text ? QStringLiteral("Цвет текста") : QStringLiteral("Цвет фона")))
    return;
  if (Text)
    SetTextColor(V);
  else
    SetBackColor(V);
}

void TTexter::GreetChange() {
  const TGreetingFile F = LoadOccasion(FDataDir.toStdString(), Greet->currentIndex());
  if (!F.Ok)
    throw Exception(F.Error);  // Choice keeps its text
  Choice->setPlainText(QString::fromStdString(F.Text));
}

void TTexter::Button5Click() {
  QString S = Choice->textCursor().selectedText();
  S.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  S.replace(QChar::LineSeparator, QLatin1Char('\n'));
  while (S.endsWith(QLatin1Char('\n'))) S.chop(1);
  Rtf->setPlainText(S);
  AlignCaption(FAlign);
  ShowCaretAlignment();
  Pages->setCurrentIndex(0);
}

void TTexter::SpecChange() {
  const std::string Family = SpecialFontFamily(Spec->currentIndex());
  if (Family.empty())
    return;
  const int I = Fontos->findText(QString::fromStdString(Family), Qt::MatchFixedString);
  if (I >= 0)
    Fontos->setCurrentIndex(I);
}

void TTexter::Place() {
  if (FDoc.IsEmpty())
    return;  // no card to put the caption on
  const TCaption C = CurrentCaption();
  if (OnBeforeChange)
    OnBeforeChange();
  if (FEditing != nullptr)
    ReplaceCaption(FDoc, *FEditing, C, FWork, FMask);
  else
    PlaceCaption(FDoc, C, FWork, FMask, FRemembered);
  if (OnCardChanged)
    OnCardChanged();
}

void TTexter::DropPreview() {
  if (FEditing != nullptr) {
    if (OnBeforeChange)
      OnBeforeChange();
    FBackup->Restore(FDoc, *FEditing);
    if (OnCardChanged)
      OnCardChanged();
    return;
  }
  if (FDoc.Layers().Count() <= FRemembered)
    return;
  if (OnBeforeChange)
    OnBeforeChange();
  DropCaptionPreview(FDoc, FRemembered);
  if (OnCardChanged)
    OnCardChanged();
}

void TTexter::Button3Click() {
  Place();
  KeepCaptionInSight();
}

void TTexter::KeepCaptionInSight() {
  if (!CaptionOnScreen || !isVisible())
    return;
  const QRect Caption = CaptionOnScreen();
  const QScreen* S = screen();
  const QRect Area = S != nullptr ? S->availableGeometry() : QRect();
  const QPoint At = MoveOffCaption(frameGeometry(), Caption, Area);
  if (At != frameGeometry().topLeft())
    move(At);
}

void TTexter::Button1Click() {
  Place();
  // The layer placed last stays; the dialog's visit is over.
  FRemembered = FDoc.Layers().Count();
  EndEdit();
  accept();
}

void TTexter::Button2Click() {
  reject();
}

void TTexter::reject() {
  // Closing the window in any way (Esc, the title bar) is "Отмена": the preview goes.
  Run([this] { DropPreview(); });
  EndEdit();
  QDialog::reject();
}

void TTexter::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  Run([this] { RenderIt(FWork, CurrentCaption(), NormalRender); });
  // A caption being edited is on the card already.
  if (FEditing != nullptr)
    KeepCaptionInSight();
}

int TTexter::ExecuteEdit(TBitmapLayer& Layer, const TCaption& Caption) {
  BeginEdit(Layer, Caption);
  return exec();
}

void TTexter::BeginEdit(TBitmapLayer& Layer, const TCaption& Caption) {
  FBackup = std::make_unique<TCaptionEditBackup>(FDoc, Layer);
  FEditing = &Layer;
  FRemembered = FDoc.Layers().Count();
  SetCaption(Caption);
}

void TTexter::EndEdit() {
  FEditing = nullptr;
  FBackup.reset();
}

void TTexter::SetCaption(const TCaption& C) {
  const QString Family = QString::fromStdString(C.FontName);
  int I = Fontos->findText(Family, Qt::MatchFixedString);
  if (I < 0) {
    // A font not installed here: the name stays, fontconfig draws it with its stand-in.
    Fontos->addItem(Family);
    I = Fontos->count() - 1;
  }
  Fontos->setCurrentIndex(I);
  // A caption in one of the special fonts names it in their list.
  Spec->setCurrentIndex(SpecialFontIndex(C.FontName));
  FSize = std::clamp(C.Size, PointSizes().Min, PointSizes().Max);
  FSizeChosen = true;
  FoSize->setCurrentText(QString::number(FSize));
  FStyle = C.Style;
  SetTextColor(C.TextColor);
  SetBackColor(C.BackColor);
  Alpha->setChecked(C.TransparentBackground);
  TexOp->setValue(C.Transparency);
  OutlineOn->setChecked(C.Outline.On);
  FOutlineColour = C.Outline.Colour;
  OutlineColour->setIcon(Swatch(FOutlineColour));
  OutlineWidth->setValue(C.Outline.Width);
  ShadowOn->setChecked(C.Shadow.On);
  FShadowColour = C.Shadow.Colour;
  ShadowColour->setIcon(Swatch(FShadowColour));
  ShadowOffset->setValue(C.Shadow.Offset);
  ShadowSoftness->setValue(C.Shadow.Softness);
  QStringList Lines;
  for (const TCaptionLine& L : C.Lines) Lines << QString::fromStdString(L.Text);
  Rtf->setPlainText(Lines.join(QLatin1Char('\n')));
  QTextBlock B = Rtf->document()->begin();
  for (size_t K = 0; K < C.Lines.size() && B.isValid(); ++K, B = B.next()) {
    QTextCursor Cursor(B);
    QTextBlockFormat F = B.blockFormat();
    F.setAlignment(ToQt(C.Lines[K].Align));
    Cursor.setBlockFormat(F);
  }
  FAlign = C.Lines.empty() ? Qt::AlignLeft : ToQt(C.Lines.front().Align);
  Rtf->moveCursor(QTextCursor::Start);
  ApplyFont();
  ShowCaretAlignment();
}
