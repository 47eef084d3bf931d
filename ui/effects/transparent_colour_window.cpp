#include "transparent_colour_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "colour_panel.h"
#include "window_fit.h"

TSTC::TSTC(QWidget* Parent) : QWidget(Parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral("Прозрачный цвет"));
  KeepTitleWhole(*this);
  auto* Outer = new QVBoxLayout(this);
  Outer->addWidget(new QLabel(QStringLiteral("Укажите цвет, который будет принят за прозрачный.\n"
                                             "Для применения - кликните левой кнопкой мыши."),
                              this));
  auto* Row = new QHBoxLayout;
  Panel1 = new TColourPanel(0xFFFFFF, this);
  Panel1->setMinimumSize(64, 28);
  CloseButton = new QPushButton(QStringLiteral("Закрыть"), this);
  Row->addWidget(Panel1);
  Row->addStretch();
  Row->addWidget(CloseButton);
  Outer->addLayout(Row);
  connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
}

void TSTC::ShowColour(TColor32 Colour) {
  Panel1->SetColour(ToSystemColor(Colour));
}

void TSTC::closeEvent(QCloseEvent* E) {
  QWidget::closeEvent(E);
  if (OnClosed)
    OnClosed();
}
