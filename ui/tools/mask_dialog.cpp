#include "mask_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "busy_cursor.h"
#include "report_errors.h"
#include "thumbview.h"
#include "window_fit.h"

TMaski::TMaski(TCardDocument& Doc, TUndoStack& Undo, const QString& DataDir, QWidget* Parent)
    : QDialog(Parent), FSession(Doc), FRunner(Doc, &Undo), FDataDir(DataDir) {
  setWindowTitle(QStringLiteral("Выбрать маску"));
  KeepTitleWhole(*this);
  auto* Page = new QVBoxLayout(this);

  View = new TTHumbview(this);
  View->setObjectName(QStringLiteral("View"));
  TThumbviewModel& M = View->Model();
  M.SetSize(65);  // cells 130 x 130
  M.SetScrollMode(SMVertical);
  M.SetTitlePlacement(T_Down);
  M.SetMinMemory(false);
  View->setMinimumSize(3 * 134 + 24, 2 * 134 + 8);
  Page->addWidget(View, 1);

  Obrat = new QCheckBox(QStringLiteral("Обратить маску"), this);
  Page->addWidget(Obrat);

  auto* Buttons = new QHBoxLayout;
  Button3 = new QPushButton(QStringLiteral("Просмотр"), this);
  Button2 = new QPushButton(QStringLiteral("ОК"), this);
  Button4 = new QPushButton(QStringLiteral("Отмена"), this);
  Button2->setDefault(true);
  Buttons->addWidget(Button3);
  Buttons->addStretch(1);
  Buttons->addWidget(Button2);
  Buttons->addWidget(Button4);
  Page->addLayout(Buttons);

  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  View->OnDblClick = [this](TTHumbview*, int Cell) {
    if (Cell >= 0)
      Button3Click();
  };
  View->OnError = [this](const QString& Text) {
    if (OnError)
      OnError(Text);
  };
}

QString TMaski::SelectedMask() const {
  QString Path;
  View->GetSelectedFile(Path);
  return Path;
}

void TMaski::Run(const std::function<void()>& Handler) {
  RunReportingErrors(Handler, OnError);
}

void TMaski::Button3Click() {
  Run([this] {
    const TBusyCursor Busy;
    FSession.Preview(SelectedMask().toStdString(), Obrat->isChecked());
  });
}

void TMaski::Button2Click() {
  // "ОК" ends the visit whatever happens: a mask that cannot be read is reported and the layer
  // stays as the dialog found it.
  Run([this] {
    const TBusyCursor Busy;
    FRunner.Run("Mask", [this](const TChangeStart& Start) {
      FSession.Ok(SelectedMask().toStdString(), Obrat->isChecked(), Start);
    });
  });
  accept();
}

void TMaski::Button4Click() {
  reject();
}

void TMaski::reject() {
  // Esc and the title bar's close button cancel too: no preview stays without an undo step.
  Run([this] {
    if (FSession.Active())
      FSession.Cancel();
  });
  QDialog::reject();
}

void TMaski::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  Run([this] {
    if (View->Directory().isEmpty())
      View->SetDirectory(QDir(FDataDir).filePath(QStringLiteral("Masks")));
    FSession.Begin();
  });
}
