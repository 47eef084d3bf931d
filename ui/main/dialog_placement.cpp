#include "dialog_placement.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <algorithm>
#include <utility>

#include "window_fit.h"

namespace {

QString KeyOf(const QDialog& D, const char* What = "pos") {
  return QString::fromLatin1(D.metaObject()->className()) + QLatin1Char('/') +
         QString::fromLatin1(What);
}

const char* const DefaultSizeProperty = "pelmoraDefaultSize";

}  // namespace

QPoint PlaceBesideCard(const QRect& Window, const QRect& Panel, bool PanelOnLeft,
                       const QRect& Focus, const QSize& Dialog, const QRect& Screen) {
  // Over the side panel, flush with its outer edge.
  QPoint At(PanelOnLeft ? Panel.left() : Panel.right() + 1 - Dialog.width(), Panel.top());
  At = KeepInside(At, Dialog, Screen);
  if (!Focus.isEmpty() && QRect(At, Dialog).intersects(Focus)) {
    // The window's edge farthest from the selected layer.
    const bool FocusLeft = Focus.center().x() < Window.center().x();
    At.setX(FocusLeft ? Window.right() + 1 - Dialog.width() : Window.left());
    if (QRect(KeepInside(At, Dialog, Screen), Dialog).intersects(Focus)) {
      const bool FocusHigh = Focus.center().y() < Window.center().y();
      At.setY(FocusHigh ? Window.bottom() + 1 - Dialog.height() : Window.top());
    }
    At = KeepInside(At, Dialog, Screen);
  }
  return At;
}

TDialogPlacer::TDialogPlacer(std::function<TPlacementScene()> Scene, QString StoreFile,
                             QObject* Parent)
    : QObject(Parent), FScene(std::move(Scene)), FStoreFile(std::move(StoreFile)) {}

void TDialogPlacer::Watch(QDialog* D) {
  D->installEventFilter(this);
}

void TDialogPlacer::WatchSize(QDialog* D, QSize Default) {
  D->setSizeGripEnabled(true);
  D->setProperty(DefaultSizeProperty, Default);
  Watch(D);
}

void TDialogPlacer::Size(QDialog& D) {
  const QVariant Default = D.property(DefaultSizeProperty);
  if (!Default.isValid())
    return;
  const QSettings Store(FStoreFile, QSettings::IniFormat);
  const QVariant Chosen = Store.value(KeyOf(D, "size"));
  QSize Want = Chosen.isValid() ? Chosen.toSize() : Default.toSize().expandedTo(D.sizeHint());
  Want = Want.boundedTo(AvailableWindowSize(D));  // the title bar and buttons stay on screen
  D.resize(Want.expandedTo(D.minimumSizeHint()));
  FSized[KeyOf(D, "size")] = D.size();
}

bool TDialogPlacer::eventFilter(QObject* Watched, QEvent* Event) {
  if (auto* D = qobject_cast<QDialog*>(Watched)) {
    if (Event->type() == QEvent::Show && !Event->spontaneous())
      Place(*D);
    else if (Event->type() == QEvent::Hide && !Event->spontaneous())
      Remember(*D);
  }
  return false;
}

void TDialogPlacer::Place(QDialog& D) {
  Size(D);
  const QScreen* Screen = D.screen() != nullptr ? D.screen() : QGuiApplication::primaryScreen();
  const QRect Area = Screen != nullptr ? Screen->availableGeometry() : QRect();
  const QSize Size = D.frameGeometry().size().expandedTo(D.size());
  const QSettings Store(FStoreFile, QSettings::IniFormat);
  const QVariant Chosen = Store.value(KeyOf(D));
  QPoint At;
  if (Chosen.canConvert<QPoint>() && Chosen.isValid()) {
    At = KeepInside(Chosen.toPoint(), Size, Area);
  } else {
    const TPlacementScene S = FScene();
    At = PlaceBesideCard(S.Window, S.Panel, S.PanelOnLeft, S.Focus, Size, Area);
  }
  D.move(At);
  FPlaced[KeyOf(D)] = D.pos();
}

void TDialogPlacer::Remember(const QDialog& D) {
  QSettings Store(FStoreFile, QSettings::IniFormat);
  // What the user moved or resized opens so from now on.
  const auto Placed = FPlaced.find(KeyOf(D));
  if (Placed != FPlaced.end() && Placed->second != D.pos())
    Store.setValue(KeyOf(D), D.pos());
  const auto Sized = FSized.find(KeyOf(D, "size"));
  if (Sized != FSized.end() && Sized->second != D.size())
    Store.setValue(KeyOf(D, "size"), D.size());
}
