#pragma once
// The row of buttons under an outline dialog: the preview button on the left, "ОК" (the
// default) and "Отмена" on the right. The preview button calls the dialog's OnPreview; "ОК"
// accepts and "Отмена" rejects the dialog.
#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>
#include <functional>

struct TPreviewButtons {
  QPushButton* Preview;
  QPushButton* Ok;
  QPushButton* Cancel;
};

inline TPreviewButtons AddPreviewButtons(QDialog* Dialog, QBoxLayout* Outer,
                                         const QString& PreviewCaption,
                                         const std::function<void()>* OnPreview) {
  auto* Row = new QHBoxLayout;
  TPreviewButtons B{new QPushButton(PreviewCaption, Dialog),
                    new QPushButton(QStringLiteral("ОК"), Dialog),
                    new QPushButton(QStringLiteral("Отмена"), Dialog)};
  B.Ok->setDefault(true);
  Row->addWidget(B.Preview);
  Row->addStretch();
  Row->addWidget(B.Ok);
  Row->addWidget(B.Cancel);
  Outer->addLayout(Row);
  QObject::connect(B.Preview, &QPushButton::clicked, Dialog, [OnPreview] {
    if (*OnPreview)
      (*OnPreview)();
  });
  QObject::connect(B.Ok, &QPushButton::clicked, Dialog, &QDialog::accept);
  QObject::connect(B.Cancel, &QPushButton::clicked, Dialog, &QDialog::reject);
  return B;
}
