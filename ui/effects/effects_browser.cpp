#include "effects_browser.h"

#include <QHBoxLayout>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// TColor32 is 0xAARRGGBB with straight alpha, QImage's ARGB32 layout.
QPixmap ToPixmap(const TBitmap32& B) {
  const QImage Image(reinterpret_cast<const uchar*>(B.Bits()), B.Width(), B.Height(), B.Width() * 4,
                     QImage::Format_ARGB32);
  return QPixmap::fromImage(Image.copy());
}

}  // namespace

TBrowser::TBrowser(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Каталог эффектов"));
  auto* Outer = new QVBoxLayout(this);
  FView = new QListWidget(this);
  FView->setObjectName(QStringLiteral("FView"));
  FView->setViewMode(QListView::IconMode);
  FView->setIconSize(QSize(100, 100));
  FView->setGridSize(QSize(130, 150));
  FView->setResizeMode(QListView::Adjust);
  FView->setMovement(QListView::Static);
  FView->setMinimumSize(3 * 130 + 30, 3 * 150 + 10);
  Outer->addWidget(FView);
  auto* Row = new QHBoxLayout;
  auto* Ok = new QPushButton(QStringLiteral("ОК"), this);
  auto* Cancel = new QPushButton(QStringLiteral("Отмена"), this);
  Row->addStretch();
  Row->addWidget(Ok);
  Row->addWidget(Cancel);
  Outer->addLayout(Row);
  connect(Ok, &QPushButton::clicked, this, [this] {
    if (OnApply)
      OnApply();
    accept();
  });
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(FView, &QListWidget::itemDoubleClicked, this, [this] {
    if (OnApply)
      OnApply();
    accept();
  });
}

void TBrowser::showEvent(QShowEvent* E) {
  if (OnActivate)
    OnActivate();
  QDialog::showEvent(E);
}

void TBrowser::SetPreviews(const std::vector<TCataloguePreview>& Previews) {
  FView->clear();
  for (const TCataloguePreview& P : Previews)
    FView->addItem(new QListWidgetItem(QIcon(ToPixmap(*P.Picture)), QString::fromUtf8(P.Title)));
}

int TBrowser::SelectedIndex() const {
  const QList<QListWidgetItem*> Sel = FView->selectedItems();
  return Sel.isEmpty() ? -1 : FView->row(Sel.front());
}
