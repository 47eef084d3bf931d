#pragma once
// TTHumbview: the thumbnail picker's window. It paints the cells of its TThumbviewModel, feeds
// the model mouse, wheel, key and size events, keeps two scroll bars in step with it, and
// hands decoded pictures from the loader's threads to the model on its own thread.
#include <QFont>
#include <QScrollBar>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "thumbview_model.h"

// The font a cell's title is drawn in: Base, made smaller (to no less than 4/5 of its size)
// when a word of Title is wider than Width, so that narrow cells break their titles between
// words rather than inside them.
QFont ThumbTitleFont(const QFont& Base, const QString& Title, int Width);

// The lines a cell's title is shown in: Title wrapped at word boundaries (inside a word too
// long for the line) into lines Width pixels wide, at most MaxLines of them; text past the
// last line ends in an ellipsis there.
QStringList WrapThumbTitle(const QFont& Font, const QString& Title, int Width,
                           int MaxLines = ThumbTitleLinesMax);

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
  // The tooltip at a point of the picker: the full title of the cell there; empty off the
  // cells.
  QString TitleTipAt(const QPoint& At) const;

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
  bool event(QEvent* Event) override;
  void changeEvent(QEvent* Event) override;

 private:
  // TThumbviewHost
  void ThumbsChanged() override;
  void ThumbScrollChanged() override;
  void ThumbTakeFocus() override;
  void ThumbPicturesReady() override;
  int32_t MeasureThumbTitle(const std::string& Title, int32_t Width) override;

  void Guard(const std::function<void()>& Handler);
  void PaintCell(class QPainter& P, int Index);
  void SyncBars();

  std::unique_ptr<TThumbviewModel> FModel;
  QScrollBar* FHorBar;
  QScrollBar* FVerBar;
  bool FSyncing = false;
  bool FFirstPaintQueued = false;
};
