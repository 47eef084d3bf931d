// The main window's clipboard commands, selection areas and canvas crop: the items of "Правка",
// the tool buttons "Копировать" and "Вставить", the item "Обрезать холст" and the crop panel.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <exception>

#include "busy_cursor.h"
#include "canvas_crop.h"
#include "card_runner.h"
#include "clipboard_commands.h"
#include "main_form.h"
#include "qt_picture_clipboard.h"
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
    if (Action(TMainAction::Paste) == nullptr)
      return;
    try {
      UpdateActions();
    } catch (const std::exception& E) {
      Dialogs.ShowError(QString::fromStdString(UserErrorText(E)));
    }
  };
  FClipCommands = std::make_unique<TClipboardCommands>(*FDoc, *FUndo, *FClipboard);
  Dialogs.ShowMessage = [this](const QString& Text) {
    QMessageBox::information(this, QStringLiteral("Pelmora"), Text);
  };
}

void TMainForm::BuildCropPanel() {
  auto* Row = new QHBoxLayout;
  Row->addWidget(new QLabel(QStringLiteral("Пропорции"), FCropSection));
  FCropProportion = new QComboBox(FCropSection);
  FCropProportion->setObjectName(QStringLiteral("CropProportion"));
  FCropProportion->addItems({QStringLiteral("Свободные"), QStringLiteral("Квадрат"),
                             QStringLiteral("Золотое сечение"), QStringLiteral("Кино 16 : 9"),
                             QStringLiteral("Фото 10 x 15"), QStringLiteral("Фото 15 x 21")});
  connect(FCropProportion, &QComboBox::currentIndexChanged, this,
          [this](int) { Run([this] { CropProportionChange(); }); });
  Row->addWidget(FCropProportion, 1);
  FCropSection->Body()->addLayout(Row);
  FCropPortrait = new QCheckBox(QStringLiteral("Портрет"), FCropSection);
  FCropPortrait->setObjectName(QStringLiteral("CropPortrait"));
  FCropPortrait->setToolTip(QStringLiteral("Портретное соотношение"));
  connect(FCropPortrait, &QCheckBox::clicked, this,
          [this] { Run([this] { CropProportionChange(); }); });
  FCropSection->Body()->addWidget(FCropPortrait);
  auto* Buttons = new QHBoxLayout;
  FCropOk = new QPushButton(QStringLiteral("ОК"), FCropSection);
  FCropOk->setObjectName(QStringLiteral("CropOk"));
  connect(FCropOk, &QPushButton::clicked, this, [this] { Run([this] { CropOkClick(); }); });
  FCropCancel = new QPushButton(QStringLiteral("Отмена"), FCropSection);
  FCropCancel->setObjectName(QStringLiteral("CropCancel"));
  connect(FCropCancel, &QPushButton::clicked, this, [this] { Run([this] { CropCancelClick(); }); });
  Buttons->addWidget(FCropOk);
  Buttons->addWidget(FCropCancel);
  FCropSection->Body()->addLayout(Buttons);
}

void TMainForm::changeEvent(QEvent* Event) {
  QMainWindow::changeEvent(Event);
  if (Event->type() == QEvent::ActivationChange && isActiveWindow() && FCropProportion != nullptr)
    FCropProportion->setCurrentIndex(0);
}

void TMainForm::CutClick() {
  const std::string Message = FClipCommands->Cut();
  if (!Message.empty())
    Dialogs.ShowMessage(QString::fromStdString(Message));
}

void TMainForm::CopyClick() {
  if (FDoc->IsEmpty())
    return;
  const TBusyCursor Busy;
  FClipCommands->Copy();
}

void TMainForm::PasteClick() {
  std::string Message;
  {
    const TBusyCursor Busy;
    Message = FClipCommands->Paste();
  }
  if (!Message.empty())
    Dialogs.ShowMessage(QString::fromStdString(Message));
}

void TMainForm::PasteAsNewClick() {
  // The picture is read first: a clipboard without one, or with one that cannot be read,
  // leaves the card and its file names as they are.
  TBitmap32 Picture;
  bool Read = false;
  {
    const TBusyCursor Busy;
    Read = FClipCommands->ReadPasteAsNew(Picture);
  }
  if (!Read) {
    Dialogs.ShowMessage(QString::fromUtf8(NoPictureMessage));
    return;
  }
  if (!FDoc->IsEmpty() && !AskToSave())
    return;
  FOpenName.clear();
  FSaveName.clear();
  FClipCommands->PasteAsNewCanvas(Picture);
  FUndo->Reset();
  FImageSection->setVisible(!FDoc->IsEmpty());
  FStartSection->setVisible(FDoc->IsEmpty());
  FitIfLarge();
  UpdatePanels();
  FImgView->View().Invalidate();
}

void TMainForm::SelectClick() {
  FClipCommands->Select();
}

void TMainForm::SelectAllClick() {
  FClipCommands->SelectAll();
}

void TMainForm::CropCanvasClick() {
  if (StartCanvasCrop(*FDoc) != nullptr)
    FStatusText->setText(QString::fromUtf8(CanvasCropHint));
}

void TMainForm::CropProportionChange() {
  ApplyCropProportion(*FDoc, FCropProportion->currentIndex(), FCropPortrait->isChecked());
}

void TMainForm::CropOkClick() {
  const TBusyCursor Busy;
  TCardRunner(*FDoc, FUndo.get()).Run("CanvasCrop", [this](const TChangeStart& Start) {
    CropCanvas(*FDoc, Start);
  });
  FStatusText->setText(QString::fromStdString(CurrentFileName()));
  FStatusSize->setText(
      QStringLiteral("%1x%2").arg(FDoc->Canvas().Width()).arg(FDoc->Canvas().Height()));
}

void TMainForm::CropCancelClick() {
  FDoc->RemoveAreaLayer();
  FStatusText->setText(QString::fromStdString(CurrentFileName()));
  FStatusSize->setText(
      QStringLiteral("%1x%2").arg(FDoc->Canvas().Width()).arg(FDoc->Canvas().Height()));
}
