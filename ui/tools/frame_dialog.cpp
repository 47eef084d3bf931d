#include "frame_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <exception>

#include "busy_cursor.h"
#include "card_commands.h"
#include "report_errors.h"
#include "thumbview.h"
#include "window_fit.h"

TFrama::TFrama(TCardDocument& Doc, TUndoStack& Undo, const QString& DataDir, QWidget* Parent)
    : QDialog(Parent), FSession(Doc), FRunner(Doc, &Undo), FDataDir(DataDir) {
  setWindowTitle(QStringLiteral("Добавить рамки"));
  KeepTitleWhole(*this);
  auto* Page = new QVBoxLayout(this);

  FView = new TTHumbview(this);
  FView->setObjectName(QStringLiteral("FView"));
  TThumbviewModel& M = FView->Model();
  // Cells of 110 x 110, wide enough for the frames' names in whole words; the cells grow
  // downwards for names of two or three lines.
  M.SetSize(55);
  M.SetScrollMode(SMVertical);
  M.SetTitlePlacement(T_Down);
  M.SetAsButtons(true);
  M.SetMinMemory(false);
  FView->setMinimumSize(4 * 114 + 24, 3 * 134 + 8);  // three rows of two-line names
  Page->addWidget(FView, 1);

  auto* Row = new QHBoxLayout;
  Row->addWidget(new QLabel(QStringLiteral("Размер рамки (в %)"), this));
  Dal = new QSpinBox(this);
  Dal->setObjectName(QStringLiteral("Dal"));
  const TEffectKey& Width = CardKeyOf("Frame", "width");
  Dal->setRange(Width.Min, Width.Max);
  Dal->setValue(Width.Default);
  Row->addWidget(Dal);
  Row->addStretch(1);
  Page->addLayout(Row);

  FITA = new QCheckBox(QStringLiteral("Умещать в окне при просмотре"), this);
  FITA->setChecked(true);
  Page->addWidget(FITA);

  auto* Buttons = new QHBoxLayout;
  Button3 = new QPushButton(QStringLiteral("Просмотр"), this);
  Button4 = new QPushButton(QStringLiteral("ОК"), this);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);
  Button4->setDefault(true);
  Buttons->addWidget(Button3);
  Buttons->addStretch(1);
  Buttons->addWidget(Button4);
  Buttons->addWidget(Button2);
  Page->addLayout(Buttons);

  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  FView->OnError = [this](const QString& Text) {
    if (OnError)
      OnError(Text);
  };
}

QString TFrama::SelectedTile() const {
  QString Path;
  FView->GetSelectedFile(Path);
  return Path;
}

bool TFrama::Run(const std::function<void()>& Handler) {
  return RunReportingErrors(Handler, OnError);
}

void TFrama::Fit() {
  if (FITA->isChecked() && OnFit)
    OnFit();
}

void TFrama::Button3Click() {
  Run([this] {
    const TBusyCursor Busy;
    FSession.Preview(SelectedTile().toStdString(), Dal->value());
    Fit();
  });
}

void TFrama::Button4Click() {
  // A frame that cannot be built leaves the card as it was opened and the dialog open.
  if (Run([this] {
        const TBusyCursor Busy;
        FRunner.Run("Frame", [this](const TChangeStart& Start) {
          FSession.Ok(SelectedTile().toStdString(), Dal->value(), Start);
        });
        Fit();
      }))
    accept();
}

void TFrama::Button2Click() {
  reject();
}

void TFrama::reject() {
  // Esc and the title bar's close button cancel too: no preview stays without an undo step.
  Run([this] {
    if (FSession.Active())
      FSession.Cancel();
  });
  QDialog::reject();
}

void TFrama::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  Run([this] {
    if (FView->Directory().isEmpty())
      FView->SetDirectory(QDir(FDataDir).filePath(QStringLiteral("SFrames")));
    FSession.Begin();
  });
}
