#include "effects_browser.h"

#include <QHBoxLayout>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "checkerboard.h"
#include "window_fit.h"

namespace {

// The checkerboard under a preview's transparent parts, as the editor shows them.
constexpr int32_t CheckerSize = 8;
constexpr TColor32 CheckerGrey = 0xFFC8C8C8;

// The preview laid over a checkerboard, so that its transparent parts read as transparent.
// TColor32 is 0xAARRGGBB, QImage's ARGB32 layout; the result is opaque.
QPixmap ToPixmap(const TBitmap32& B) {
  TBitmap32 Board;
  Board.SetSize(B.Width(), B.Height());
  FillCheckerboard(Board, CheckerSize, CheckerGrey, clWhite32);
  TBitmap32 Picture;
  Picture.Assign(&B);
  Picture.SetDrawMode(dmBlend);
  Picture.DrawOnto(Board);
  const QImage Image(reinterpret_cast<const uchar*>(Board.Bits()), Board.Width(), Board.Height(),
                     Board.Width() * 4, QImage::Format_ARGB32);
  return QPixmap::fromImage(Image.copy());
}

}  // namespace

TBrowser::TBrowser(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("Каталог эффектов"));
  KeepTitleWhole(*this);
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
