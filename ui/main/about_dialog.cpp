#include "about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "toolbar_icons.h"

TAboutKVT::TAboutKVT(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("О программе Pelmora"));
  auto* Layout = new QVBoxLayout(this);
  auto* Icon = new QLabel(this);
  Icon->setPixmap(MakeToolIcon(TToolIcon::New).pixmap(48, 48));
  Icon->setAlignment(Qt::AlignCenter);
  Layout->addWidget(Icon);
  auto* Text = new QLabel(this);
  Text->setTextFormat(Qt::RichText);
  Text->setAlignment(Qt::AlignCenter);
  Text->setText(QStringLiteral("<h2>Pelmora</h2>"
                               "<p>Редактор поздравительных открыток, версия %1</p>"
                               "<p>Фон, фотографии, надписи, украшения и рамки —<br>"
                               "каждый элемент открытки лежит на своём слое.</p>"
                               "<p>Сохраняйте проект (*.kvt), чтобы продолжить работу позже,<br>"
                               "или экспортируйте открытку в картинку.</p>")
                    .arg(QStringLiteral(PELMORA_VERSION)));
  Layout->addWidget(Text);
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("ОК"));
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  Layout->addWidget(Buttons);
}
