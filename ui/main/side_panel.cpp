#include "side_panel.h"

#include <QHBoxLayout>
#include <algorithm>

TSidePanelSection::TSidePanelSection(const QString& Caption, int ExpandedHeight, QWidget* Parent)
    : QFrame(Parent), FExpandedHeight(ExpandedHeight) {
  setFrameShape(QFrame::StyledPanel);
  auto* Outer = new QVBoxLayout(this);
  Outer->setContentsMargins(0, 0, 0, 0);
  Outer->setSpacing(0);

  auto* Header = new QWidget(this);
  Header->setFixedHeight(HeaderHeight);
  Header->setAutoFillBackground(true);
  QPalette P = Header->palette();
  P.setColor(QPalette::Window, P.color(QPalette::Highlight));
  P.setColor(QPalette::WindowText, P.color(QPalette::HighlightedText));
  Header->setPalette(P);
  auto* HeaderLayout = new QHBoxLayout(Header);
  HeaderLayout->setContentsMargins(6, 0, 2, 0);
  auto* Title = new QLabel(Caption, Header);
  QFont F = Title->font();
  F.setBold(true);
  Title->setFont(F);
  HeaderLayout->addWidget(Title, 1);
  if (ExpandedHeight > 0) {
    FCollapse = new QToolButton(Header);
    FCollapse->setText(QStringLiteral("▴"));
    FCollapse->setToolTip(QStringLiteral("Свернуть"));
    FCollapse->setAutoRaise(true);
    FExpand = new QToolButton(Header);
    FExpand->setText(QStringLiteral("▾"));
    FExpand->setToolTip(QStringLiteral("Развернуть"));
    FExpand->setAutoRaise(true);
    HeaderLayout->addWidget(FCollapse);
    HeaderLayout->addWidget(FExpand);
    connect(FCollapse, &QToolButton::clicked, this, &TSidePanelSection::Collapse);
    connect(FExpand, &QToolButton::clicked, this, &TSidePanelSection::Expand);
    setFixedHeight(ExpandedHeight);
  }
  Outer->addWidget(Header);

  FContents = new QWidget(this);
  FBody = new QVBoxLayout(FContents);
  FBody->setContentsMargins(8, 6, 8, 6);
  Outer->addWidget(FContents, 1);
}

void TSidePanelSection::Collapse() {
  FCollapsed = true;
  FContents->hide();
  setFixedHeight(HeaderHeight);
}

void TSidePanelSection::Expand() {
  FCollapsed = false;
  FContents->show();
  FitContents();
}

void TSidePanelSection::FitContents() {
  if (FExpandedHeight <= 0 || FCollapsed)
    return;
  // The layout's own minimum: the header, the contents and the frame around them.
  setFixedHeight(std::max(FExpandedHeight, layout()->totalMinimumSize().height()));
}
