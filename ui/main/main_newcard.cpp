// Starting a card: the new-project dialog behind "Новый" and the card catalogue behind
// "Выбрать открытку".
#include <QDialog>
#include <QLabel>

#include "album.h"
#include "main_form.h"
#include "templates.h"

void TMainForm::BuildNewCardDialogs() {
  FTemplates = new TTemplates(this);
  Dialogs.AskNewSize = [this](int& Width, int& Height) {
    if (FTemplates->exec() != QDialog::Accepted)
      return false;
    Width = FTemplates->ResultWidth();
    Height = FTemplates->ResultHeight();
    return true;
  };

  FAlbum = new TAlbum(*FDoc, *FUndo, QString::fromStdString(FPaths.DataDir), this);
  FAlbum->OnError = [this](const QString& Text) { Dialogs.ShowError(Text); };
  FAlbum->OnCardPlaced = [this] {
    const TBitmap32& C = FDoc->Canvas();
    FStatusSize->setText(QStringLiteral("%1x%2").arg(C.Width()).arg(C.Height()));
    FitInWindowClick();
  };
}

void TMainForm::ChooseCardClick() {
  FAlbum->exec();
}
