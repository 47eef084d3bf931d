// The main window's clipboard commands, selection areas and canvas crop: the items of "Правка",
// the tool buttons "Копировать" and "Вставить", the item "Обрезать холст" and the crop panel.
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <exception>

#include "busy_cursor.h"
#include "canvas_crop.h"
#include "card_runner.h"
#include "clipboard_commands.h"
#include "main_form.h"
#include "qt_picture_clipboard.h"
#include "toolbar_icons.h"
#include "user_error_text.h"

namespace {

// What to do with the crop area, in the first status panel while it is there.
constexpr char CanvasCropHint[] =
    "Перетащите рамку или её углы на часть открытки, которую нужно оставить, и нажмите «ОК» на "
    "панели «Обрезка холста»";

}  // namespace

void TMainForm::BuildClipboardCommands() {
  FClipboard = new TQtPictureClipboard(this);
  // A picture put on or taken off the clipboard by any program enables or disables pasting.
  FClipboard->OnChange = [this] {
    if (N22 == nullptr)
      return;
    try {
      UpdateActions();
    } catch (const std::exception& E) {
      ShowError(QString::fromStdString(UserErrorText(E)));
    }
  };
  FClipCommands = std::make_unique<TClipboardCommands>(*FDoc, *FUndo, *FClipboard);
  ShowMessage = [this](const QString& Text) {
    QMessageBox::information(this, QStringLiteral("Pelmora"), Text);
  };
}

TPictureClipboard& TMainForm::Clipboard() {
  return *FClipboard;
}

void TMainForm::BuildClipboardItems(QMenu* Menu) {
  Menu->addSeparator();
  N20 = AddCommand(Menu, QStringLiteral("Вырезать"), &TMainForm::N20Click,
                   QKeySequence(Qt::CTRL | Qt::Key_X));
  N21 = AddCommand(Menu, QStringLiteral("Копировать"), &TMainForm::N21Click,
                   QKeySequence(Qt::CTRL | Qt::Key_C));
  N22 = AddCommand(Menu, QStringLiteral("Вставить"), &TMainForm::N22Click,
                   QKeySequence(Qt::CTRL | Qt::Key_V));
  N71 = AddCommand(Menu, QStringLiteral("Выделить"), &TMainForm::N71Click);
  N98 = AddCommand(Menu, QStringLiteral("Выделить всё"), &TMainForm::N98Click);
  N47 = AddCommand(Menu, QStringLiteral("Вставить как новый"), &TMainForm::N47Click);
}

void TMainForm::BuildClipboardToolButtons(QToolBar* Bar) {
  CopyIt = Bar->addAction(MakeToolIcon(TToolIcon::Copy), QStringLiteral("Копировать"));
  connect(CopyIt, &QAction::triggered, this, [this] { Run([this] { N21Click(); }); });
  PasteIt = Bar->addAction(MakeToolIcon(TToolIcon::Paste), QStringLiteral("Вставить"));
  connect(PasteIt, &QAction::triggered, this, [this] { Run([this] { N22Click(); }); });
}

void TMainForm::BuildCropPanel() {
  auto* Row = new QHBoxLayout;
  Row->addWidget(new QLabel(QStringLiteral("Пропорции"), Crops));
  CropsP = new QComboBox(Crops);
  CropsP->addItems({QStringLiteral("Свободные"), QStringLiteral("Квадрат"),
                    QStringLiteral("Золотое сечение"), QStringLiteral("Кино 16 : 9"),
                    QStringLiteral("Фото 10 x 15"), QStringLiteral("Фото 15 x 21")});
  connect(CropsP, &QComboBox::currentIndexChanged, this,
          [this](int) { Run([this] { CropsPChange(); }); });
  Row->addWidget(CropsP, 1);
  Crops->Body()->addLayout(Row);
  Obrat = new QCheckBox(QStringLiteral("Портрет"), Crops);
  Obrat->setToolTip(QStringLiteral("Портретное соотношение"));
  connect(Obrat, &QCheckBox::clicked, this, [this] { Run([this] { CropsPChange(); }); });
  Crops->Body()->addWidget(Obrat);
  auto* Buttons = new QHBoxLayout;
  Button1 = new QPushButton(QStringLiteral("ОК"), Crops);
  connect(Button1, &QPushButton::clicked, this, [this] { Run([this] { Button1Click(); }); });
  Button2 = new QPushButton(QStringLiteral("Отмена"), Crops);
  connect(Button2, &QPushButton::clicked, this, [this] { Run([this] { Button2Click(); }); });
  Buttons->addWidget(Button1);
  Buttons->addWidget(Button2);
  Crops->Body()->addLayout(Buttons);
}

void TMainForm::changeEvent(QEvent* Event) {
  QMainWindow::changeEvent(Event);
  if (Event->type() == QEvent::ActivationChange && isActiveWindow() && CropsP != nullptr)
    CropsP->setCurrentIndex(0);
}

void TMainForm::N20Click() {
  const std::string Message = FClipCommands->Cut();
  if (!Message.empty())
    ShowMessage(QString::fromStdString(Message));
}

void TMainForm::N21Click() {
  if (FDoc->IsEmpty())
    return;
  const TBusyCursor Busy;
  FClipCommands->Copy();
}

void TMainForm::N22Click() {
  std::string Message;
  {
    const TBusyCursor Busy;
    Message = FClipCommands->Paste();
  }
  if (!Message.empty())
    ShowMessage(QString::fromStdString(Message));
}

void TMainForm::N47Click() {
  // The picture is read first: a clipboard without one, or with one that cannot be read,
  // leaves the card and its file names as they are.
  TBitmap32 Picture;
  bool Read = false;
  {
    const TBusyCursor Busy;
    Read = FClipCommands->ReadPasteAsNew(Picture);
  }
  if (!Read) {
    ShowMessage(QString::fromUtf8(NoPictureMessage));
    return;
  }
  if (!FDoc->IsEmpty() && !AskToSave())
    return;
  FOpenName.clear();
  FSaveName.clear();
  FClipCommands->PasteAsNewCanvas(Picture);
  FUndo->Reset();
  pnlImage->setVisible(!FDoc->IsEmpty());
  Start->setVisible(FDoc->IsEmpty());
  FitIfLarge();
  UpdatePanels();
  FImgView->View().Invalidate();
}

void TMainForm::N71Click() {
  FClipCommands->Select();
}

void TMainForm::N98Click() {
  FClipCommands->SelectAll();
}

void TMainForm::N114Click() {
  if (StartCanvasCrop(*FDoc) != nullptr)
    StatusPanel1->setText(QString::fromUtf8(CanvasCropHint));
}

void TMainForm::CropsPChange() {
  ApplyCropProportion(*FDoc, CropsP->currentIndex(), Obrat->isChecked());
}

void TMainForm::Button1Click() {
  const TBusyCursor Busy;
  TCardRunner(*FDoc, FUndo.get()).Run("CanvasCrop", [this](const TChangeStart& Start) {
    CropCanvas(*FDoc, Start);
  });
  StatusPanel1->setText(QString::fromStdString(CurrentFileName()));
  StatusPanel2->setText(
      QStringLiteral("%1x%2").arg(FDoc->Canvas().Width()).arg(FDoc->Canvas().Height()));
}

void TMainForm::Button2Click() {
  FDoc->RemoveAreaLayer();
  StatusPanel1->setText(QString::fromStdString(CurrentFileName()));
  StatusPanel2->setText(
      QStringLiteral("%1x%2").arg(FDoc->Canvas().Width()).arg(FDoc->Canvas().Height()));
}
