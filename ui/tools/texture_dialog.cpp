#include "texture_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "busy_cursor.h"
#include "report_errors.h"
#include "texture_fill.h"
#include "thumbview.h"
#include "window_fit.h"

TTextur::TTextur(const QString& DataDir, QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Выбор текстуры"));
  KeepTitleWhole(*this);
  resize(560, 420);
  auto* Column = new QVBoxLayout(this);
  View = new TTHumbview(this);
  TThumbviewModel& M = View->Model();
  M.SetThumbGap(4);
  M.SetMaxWidth(200);
  M.SetMaxHeight(200);
  M.SetSize(50);
  // Rows of whole cells across the dialog's width; the rest scrolls down.
  M.SetScrollMode(SMVertical);
  M.SetMinMemory(false);
  M.SetAsButtons(true);
  M.SetTitlePlacement(T_Down);
  M.SetSorted(true);
  M.SetAutoScrolling(true);
  M.SetAutoHandleKeyb(true);
  View->SetDirectory(QDir(DataDir).filePath(QStringLiteral("Textures")));
  View->setMinimumHeight(250);
  Column->addWidget(View, 1);

  auto* Row = new QHBoxLayout;
  Row->addWidget(new QLabel(QStringLiteral("Размер текстуры"), this));
  RTX = new QComboBox(this);
  RTX->addItems({QStringLiteral("Не изменять"), QStringLiteral("10% от ширины изображения"),
                 QStringLiteral("15% от ширины изображения"),
                 QStringLiteral("20% от ширины изображения"),
                 QStringLiteral("25% от ширины изображения")});
  RTX->setCurrentIndex(DefaultTextureScale);
  Row->addWidget(RTX, 1);
  Button1 = new QPushButton(QStringLiteral("ОК"), this);
  Button1->setDefault(true);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);
  Row->addWidget(Button1);
  Row->addWidget(Button2);
  Column->addLayout(Row);

  OnError = [this](const QString& Text) {
    QMessageBox::critical(this, QStringLiteral("Pelmora"), Text);
  };
  View->OnError = [this](const QString& Text) { OnError(Text); };
  connect(Button1, &QPushButton::clicked, this, &TTextur::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

bool TTextur::HasSelectedFile() const {
  return View->Selected() >= 0;
}

void TTextur::Button1Click() {
  RunReportingErrors(
      [this] {
        if (View->Selected() < 0 && View->Count() > 0)
          View->SetSelected(0);
        QString File;
        View->GetSelectedFile(File);
        if (Apply) {
          const TBusyCursor Busy;
          Apply(File.toStdString(), RTX->currentIndex());
        }
        accept();
      },
      OnError);
}
