#pragma once
// TTHumbview: the thumbnail picker's window. It paints the cells of its TThumbviewModel, feeds
// the model mouse, wheel, key and size events, keeps two scroll bars in step with it, and
// hands decoded pictures from the loader's threads to the model on its own thread.
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "thumbview_model.h"

class TTHumbview : public QWidget, private TThumbviewHost {
  Q_OBJECT
 public:
  explicit TTHumbview(QWidget* Parent = nullptr, int32_t Workers = 0);
  ~TTHumbview() override;

  TThumbviewModel& Model() { return *FModel; }
  const TThumbviewModel& Model() const { return *FModel; }

  // The picker's interface as its dialogs use it.
  QString Directory() const { return QString::fromStdString(FModel->Directory()); }
  void SetDirectory(const QString& Folder);
  int Selected() const { return FModel->Selected(); }
  void SetSelected(int V);
  // The selected cell's full path; Path is left as it is when nothing is selected.
  void GetSelectedFile(QString& Path) const;
  int Count() const { return FModel->Count(); }
  QString Title(int Index) const;
  void SetTitle(int Index, const QString& Title);
  void Refresh();

  // Click and double-click on a cell (its index) or on the bare picker (-1). The mouse-down of
  // a click has already selected the cell.
  std::function<void(TTHumbview* Sender, int Cell)> OnClick;
  std::function<void(TTHumbview* Sender, int Cell)> OnDblClick;
  // Errors raised inside an event handler (by OnClick, say) end up here instead of in the
  // event loop; unset, they are only printed as warnings.
  std::function<void(const QString& Message)> OnError;

  QScrollBar* HorizontalBar() const { return FHorBar; }
  QScrollBar* VerticalBar() const { return FVerBar; }

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void wheelEvent(QWheelEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  // TThumbviewHost
  void ThumbsChanged() override;
  void ThumbScrollChanged() override;
  void ThumbTakeFocus() override;
  void ThumbPicturesReady() override;

  void Guard(const std::function<void()>& Handler);
  void PaintCell(class QPainter& P, int Index);
  void SyncBars();

  std::unique_ptr<TThumbviewModel> FModel;
  QScrollBar* FHorBar;
  QScrollBar* FVerBar;
  bool FSyncing = false;
  bool FFirstPaintQueued = false;
};
