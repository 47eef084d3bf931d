#include "album.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "card_document.h"
#include "card_runner.h"
#include "ready_card.h"
#include "thumbview.h"
#include "user_error_text.h"
#include "window_fit.h"

TAlbum::TAlbum(TCardDocument& Doc, TUndoStack& Undo, const QString& DataDir, QWidget* Parent)
    : QDialog(Parent), FDoc(Doc), FUndo(Undo) {
  setWindowTitle(QStringLiteral("Каталог открыток"));
  KeepTitleWhole(*this);
  OnError = [this](const QString& Text) {
    QMessageBox::critical(this, QStringLiteral("Pelmora"), Text);
  };

  ALView = new TTHumbview(this);
  ALView->setObjectName(QStringLiteral("ALView"));
  TThumbviewModel& M = ALView->Model();
  M.SetMaxWidth(200);
  M.SetMaxHeight(200);
  M.SetSize(100);
  M.SetThumbGap(4);
  M.SetSorted(true);
  M.SetScrollMode(SMVertical);
  M.SetAutoHandleKeyb(true);
  M.SetAutoScrolling(true);
  M.SetMinMemory(true);
  M.SetAsButtons(false);
  M.SetTitlePlacement(T_Up);
  // Rows of cards across the dialog's width; the rest scrolls down.
  ALView->setMinimumSize(2 * 204 + 24, 204 + 24);
  ALView->OnError = [this](const QString& Text) { OnError(Text); };
  ALView->SetDirectory(QDir(DataDir).filePath(QStringLiteral("Cards")));

  SetProp =
      new QCheckBox(QStringLiteral("Подстроить пропорции открытки к пропорциям проекта"), this);
  SetProp->setObjectName(QStringLiteral("SetProp"));
  Button1 = new QPushButton(QStringLiteral("Выбрать"), this);
  Button1->setDefault(true);
  Button2 = new QPushButton(QStringLiteral("Закрыть"), this);
  SizeNote = new QLabel(this);
  SizeNote->setObjectName(QStringLiteral("SizeNote"));
  SizeNote->setWordWrap(true);

  auto* Row = new QHBoxLayout;
  Row->addWidget(SetProp, 1);
  Row->addWidget(Button1);
  Row->addWidget(Button2);
  auto* Main = new QVBoxLayout(this);
  Main->addWidget(ALView, 1);
  Main->addWidget(SizeNote);
  Main->addLayout(Row);

  FNoteTimer = new QTimer(this);
  FNoteTimer->setInterval(150);
  connect(FNoteTimer, &QTimer::timeout, this, [this] {
    if (ALView->Selected() != FNoteCell)
      ShowSizeNote();
  });
  connect(SetProp, &QCheckBox::toggled, this, [this] { ShowSizeNote(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TAlbum::Button1Click() {
  FNoteCell = ALView->Selected();
  QString Path;
  ALView->GetSelectedFile(Path);
  try {
    TCardRunner(FDoc, &FUndo).Run(usReadyCard, [&](const TChangeStart& Start) {
      PutReadyCard(FDoc, Start, Path.toStdString(), SetProp->isChecked());
    });
    if (OnCardPlaced)
      OnCardPlaced();
  } catch (const std::exception& E) {
    OnError(QString::fromStdString(UserErrorText(E)));
    return;
  }
  accept();
}

void TAlbum::ShowSizeNote() {
  FNoteCell = ALView->Selected();
  QString Path;
  ALView->GetSelectedFile(Path);
  // The picture's header is enough for its size; an unreadable one counts as none selected.
  const QSize Card = Path.isEmpty() ? QSize() : QImageReader(Path).size();
  const TBitmap32& Canvas = FDoc.Canvas();
  SizeNote->setText(QString::fromStdString(
      ReadyCardSizeNote(Card.isValid() ? Card.width() : 0, Card.isValid() ? Card.height() : 0,
                        Canvas.Width(), Canvas.Height(), SetProp->isChecked())));
}

void TAlbum::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  ShowSizeNote();
  FNoteTimer->start();
}

void TAlbum::hideEvent(QHideEvent* Event) {
  FNoteTimer->stop();
  QDialog::hideEvent(Event);
}
