#include "rotation_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "window_fit.h"

const char* const AngleRangeMessage = "Значения могут лежать в диапазоне от -180 до 180 градусов.";

namespace {

enum class TAngleText { Empty, Partial, Invalid, OutOfRange, Valid };

// A sign alone is a number being typed, not a wrong one.
TAngleText ParseAngle(const QString& Text, int& Angle) {
  const QString T = Text.trimmed();
  if (T.isEmpty())
    return TAngleText::Empty;
  if (T == QStringLiteral("-") || T == QStringLiteral("+"))
    return TAngleText::Partial;
  bool Ok = false;
  const qlonglong V = T.toLongLong(&Ok);
  if (!Ok)
    return TAngleText::Invalid;
  if (V < -180 || V > 180)
    return TAngleText::OutOfRange;
  Angle = static_cast<int>(V);
  return TAngleText::Valid;
}

QString InvalidNumberMessage(const QString& Text) {
  return QStringLiteral("\"%1\" не является целым числом").arg(Text);
}

}  // namespace

TPovor::TPovor(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Поворот"));
  KeepTitleWhole(*this);
  setModal(true);
  ShowMessage = [this](const QString& Text) {
    QMessageBox::information(this, QStringLiteral("Pelmora"), Text);
  };
  auto* Outer = new QVBoxLayout(this);
  auto* Group = new QGroupBox(QStringLiteral("Угол поворота"), this);
  auto* G = new QVBoxLayout(Group);
  auto* Row = new QHBoxLayout;
  Row->addWidget(new QLabel(QStringLiteral("Угол (в градусах)"), Group));
  Edit1 = new QLineEdit(QStringLiteral("0"), Group);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setMaximumWidth(70);
  Row->addWidget(Edit1);
  Row->addStretch();
  G->addLayout(Row);
  Angle = new QSlider(Qt::Horizontal, Group);
  Angle->setObjectName(QStringLiteral("Angle"));
  Angle->setRange(-180, 180);
  Angle->setValue(0);
  Angle->setMinimumWidth(260);
  G->addWidget(Angle);
  Outer->addWidget(Group);
  Inter = new QCheckBox(QStringLiteral("Билинейная интерполяция"), this);
  Inter->setObjectName(QStringLiteral("Inter"));
  Inter->setChecked(true);
  Outer->addWidget(Inter);

  auto* Buttons = new QHBoxLayout;
  OkButton = new QPushButton(QStringLiteral("ОК"), this);
  CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
  PreviewButton = new QPushButton(QStringLiteral("Просмотр"), this);
  OkButton->setDefault(true);
  Buttons->addWidget(OkButton);
  Buttons->addWidget(CancelButton);
  Buttons->addWidget(PreviewButton);
  Outer->addLayout(Buttons);

  connect(Angle, &QSlider::valueChanged, this,
          [this](int V) { Edit1->setText(QString::number(V)); });
  connect(Edit1, &QLineEdit::textEdited, this, &TPovor::Edit1Change);
  connect(OkButton, &QPushButton::clicked, this, [this] {
    int A = 0;
    if (ReadAngle(A))
      accept();
  });
  // Esc and the close box also end here: they act as "Отмена".
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(PreviewButton, &QPushButton::clicked, this, [this] {
    int A = 0;
    if (ReadAngle(A) && OnPreview)
      OnPreview();
  });
}

void TPovor::Edit1Change(const QString& Text) {
  int A = 0;
  switch (ParseAngle(Text, A)) {
    case TAngleText::Empty:
    case TAngleText::Partial:
      return;
    case TAngleText::Invalid:
      ShowMessage(InvalidNumberMessage(Text));
      return;
    case TAngleText::OutOfRange:
      ShowMessage(QString::fromUtf8(AngleRangeMessage));
      return;
    case TAngleText::Valid: {
      // The gauge follows without writing its position back over what is being typed.
      const QSignalBlocker Quiet(Angle);
      Angle->setValue(A);
      return;
    }
  }
}

bool TPovor::ReadAngle(int& Value) {
  const QString Text = Edit1->text();
  switch (ParseAngle(Text, Value)) {
    case TAngleText::Valid:
      return true;
    case TAngleText::OutOfRange:
      ShowMessage(QString::fromUtf8(AngleRangeMessage));
      return false;
    case TAngleText::Empty:
    case TAngleText::Partial:
    case TAngleText::Invalid:
      break;
  }
  ShowMessage(InvalidNumberMessage(Text));
  return false;
}
