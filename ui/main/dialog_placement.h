#pragma once
// Where the window's previewing dialogs open: beside the card, so that what they preview stays
// in sight, and, once the user has moved one, where the user put it.
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <map>

class QDialog;

// The top-left corner for a dialog of size Dialog: over the side panel Panel (its top edge, on
// the panel's side of Window); where that would cover Focus (the selected layer on the screen),
// at the edge of Window farthest from Focus. Always whole inside Screen where it fits there.
QPoint PlaceBesideCard(const QRect& Window, const QRect& Panel, bool PanelOnLeft,
                       const QRect& Focus, const QSize& Dialog, const QRect& Screen);

// The window's part of the placing: its own rectangle, the side panel's and the selected
// layer's, all in screen coordinates (Focus empty when nothing is selected).
struct TPlacementScene {
  QRect Window, Panel, Focus;
  bool PanelOnLeft = false;
};

class TDialogPlacer : public QObject {
 public:
  // StoreFile keeps the places the user chose between runs (an ini file).
  TDialogPlacer(std::function<TPlacementScene()> Scene, QString StoreFile, QObject* Parent);

  // D opens beside the card from now on, or where the user last moved it.
  void Watch(QDialog* D);
  // D, a picker that may be resized, opens at Default (at least its size hint) the first time and
  // at the size the user gave it afterwards. Its place follows Watch's rule.
  void WatchSize(QDialog* D, QSize Default);

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void Place(QDialog& D);
  void Remember(const QDialog& D);
  void Size(QDialog& D);

  std::function<TPlacementScene()> FScene;
  QString FStoreFile;
  std::map<QString, QPoint> FPlaced;  // where each dialog was put, to tell the user's moves
  std::map<QString, QSize> FSized;    // the same for the sizes of the pickers
};
