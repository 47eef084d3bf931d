#pragma once
// TThumbviewModel: everything the thumbnail picker TTHumbview knows and decides -- its folder,
// cells, selection, layout, scrolling, keys and pressed look -- without a window. A host (the
// Qt widget, a test, a benchmark) paints the cells and feeds it size, mouse and key events.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "input.h"
#include "thumb_layout.h"
#include "thumb_loader.h"
#include "thumb_picture.h"

// What the model asks of the window that shows it.
class TThumbviewHost {
 public:
  virtual ~TThumbviewHost() = default;
  // Something shown changed: paint again (soon, not necessarily now).
  virtual void ThumbsChanged() = 0;
  // Scroll ranges, positions or the bars' visibility changed.
  virtual void ThumbScrollChanged() = 0;
  virtual void ThumbTakeFocus() = 0;
  // Called on a worker thread: decoded pictures are waiting. The host calls DeliverPictures on
  // its own thread soon after.
  virtual void ThumbPicturesReady() = 0;
  // The height of the title strip that shows Title in full, wrapped into the strip of a cell
  // Width pixels wide (at most ThumbTitleLinesMax lines). A host that cannot measure text keeps the
  // one-line strip.
  virtual int32_t MeasureThumbTitle(const std::string& Title, int32_t Width) {
    (void)Title;
    (void)Width;
    return ThumbTitleHeight;
  }
};

// One cell `Tthumbnail`: a file, its title and, once loaded, its picture.
struct TThumbCell {
  enum TState { csLoading, csLoaded, csBroken };
  std::string Path;
  std::string Title;
  TRect Bounds;       // in the scrolled content
  TRect PictureRect;  // the picture control `tThumbimage`, inside the cell
  TState State = csLoading;
  std::string Error;  // the reader's message for a broken picture
  TThumbPicture Picture;
  bool Highlighted = false;  // the title strip in the highlight colours
  bool Pressed = false;      // lowered bevel (AsButtons)
};

class TThumbviewModel {
 public:
  explicit TThumbviewModel(TThumbviewHost* Host = nullptr, int32_t Workers = 0);
  ~TThumbviewModel();
  TThumbviewModel(const TThumbviewModel&) = delete;
  TThumbviewModel& operator=(const TThumbviewModel&) = delete;

  // ==== properties ====
  const std::string& Directory() const { return FDirectory; }
  // A folder starts a scan (at the first paint when the picker has not been painted yet, and
  // not at all while a scan runs); empty text removes every cell.
  void SetDirectory(const std::string& Folder);
  int32_t Selected() const { return FSelected; }
  // -1 clears the selection; an index outside the cells changes nothing.
  void SetSelected(int32_t V);
  // The selected cell's full path; empty when nothing is selected.
  std::string SelectedFile() const;
  int32_t Count() const { return int32_t(FCells.size()); }
  // Raises EListError "List index out of bounds (N)" outside 0..Count-1.
  const TThumbCell& Cell(int32_t Index) const;
  const std::string& Title(int32_t Index) const { return Cell(Index).Title; }
  void SetTitle(int32_t Index, const std::string& Title);

  int32_t MaxWidth() const { return FMaxWidth; }
  int32_t MaxHeight() const { return FMaxHeight; }
  void SetMaxWidth(int32_t V);
  void SetMaxHeight(int32_t V);
  int32_t Size() const { return FSize; }
  void SetSize(int32_t V);  // clamped to 1..100
  int32_t ThumbGap() const { return FThumbGap; }
  void SetThumbGap(int32_t V);  // clamped to 0..255
  TScrollMode ScrollMode() const { return FScrollMode; }
  void SetScrollMode(TScrollMode V);
  bool MinMemory() const { return FMinMemory; }
  void SetMinMemory(bool V) { FMinMemory = V; }
  bool AsButtons() const { return FAsButtons; }
  void SetAsButtons(bool V);
  TTitlePlacement TitlePlacement() const { return FTitlePlacement; }
  void SetTitlePlacement(TTitlePlacement V);
  bool AutoScrolling() const { return FAutoScrolling; }
  void SetAutoScrolling(bool V) { FAutoScrolling = V; }
  bool AutoHandleKeyb() const { return FAutoHandleKeyb; }
  void SetAutoHandleKeyb(bool V) { FAutoHandleKeyb = V; }
  bool Sorted() const { return FSorted; }
  void SetSorted(bool V) { FSorted = V; }

  // The scanning mark: set from the start of a scan until its last picture is in.
  bool Scanning() const { return FScanning; }
  // Cells whose pictures have not arrived yet.
  int32_t Pending() const { return FPending; }
  bool Painted() const { return FPainted; }

  // ==== derived values ====
  // The cell: MaxWidth x MaxHeight at Size percent, grown by the title strip's extra height,
  // and widened so that the cells of a line fill the picker's width.
  TSize CellSize() const {
    return ThumbCellFillingWidth(FScrollMode, FWidth, FThumbGap, BaseCellSize(), PerLine());
  }
  TSize BaseCellSize() const {
    return ThumbCellWithTitle(ThumbCellSize(FMaxWidth, FMaxHeight, FSize), FTitlePlacement,
                              FTitleHeight);
  }
  // The title strip's height: the tallest the host measures for the cells' titles, from
  // ThumbTitleHeight (one line) up.
  int32_t TitleHeight() const { return FTitleHeight; }
  // Measures the titles again (after the host's font changed) and places the cells anew.
  void TitlesChanged();
  int32_t PerLine() const;

  // ==== the view ====
  // The picker's outer size and the thickness of a scroll bar.
  void SetBounds(int32_t Width, int32_t Height);
  void SetScrollBarSize(int32_t Size);
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  // The visible area: the outer size less the scroll bars that are shown.
  int32_t ClientWidth() const;
  int32_t ClientHeight() const;
  bool HorzBarVisible() const { return FHorzBar; }
  bool VertBarVisible() const { return FVertBar; }
  int32_t ScrollX() const { return FScrollX; }
  int32_t ScrollY() const { return FScrollY; }
  int32_t MaxScrollX() const { return FMaxScrollX; }
  int32_t MaxScrollY() const { return FMaxScrollY; }
  void SetScrollX(int32_t V);
  void SetScrollY(int32_t V);
  // A cell's rectangle in the visible area.
  TRect VisibleCellRect(int32_t Index) const;
  // The cell under (X, Y) of the visible area; -1 for none.
  int32_t CellAt(int32_t X, int32_t Y) const;

  // The host painted the picker; the first paint runs a remembered scan.
  void Painting();
  // Every cell fits its picture again; then everything is painted again.
  void Refresh();
  // Applies the pictures decoded so far (owner's thread). With Wait, first waits for at least
  // one. Returns true while pictures are still to come.
  bool DeliverPictures(bool Wait = false);
  // Cancels the loading of pictures; cells without a picture stay empty. Ends the scan.
  void StopLoading();

  // ==== input ====
  // A cell index, or -1 for the picker itself.
  std::function<void(int32_t Cell)> OnClick;
  std::function<void(int32_t Cell)> OnDblClick;

  void MouseDown(TMouseButton Button, int32_t X, int32_t Y);
  void MouseMove(int32_t X, int32_t Y);
  void MouseUp(TMouseButton Button, int32_t X, int32_t Y);
  // The second press of a double-click: selects like MouseDown, calls OnDblClick, and its
  // release is no click.
  void DoubleClick(TMouseButton Button, int32_t X, int32_t Y);
  // True when the key was handled (Home, End and the arrows, with AutoHandleKeyb and cells;
  // PageUp and PageDown scroll by a visible page without selecting).
  enum TKey { vkHome, vkEnd, vkLeft, vkRight, vkUp, vkDown, vkPageUp, vkPageDown, vkOther };
  bool KeyDown(TKey Key);
  // Wheel notches (120 per notch, positive away from the user) scroll along the scrolling
  // direction by one cell each.
  void Wheel(int32_t Delta);
  void ScrollIntoView(int32_t Index);

 private:
  void RunScan(const std::string& Folder);
  void FinishScan();
  void ClearCells();
  void PlaceAll();
  void UpdateScrollBars();
  void FitCell(TThumbCell& C) const;
  // Sets FTitleHeight from the host's measure of every title; true when it changed.
  bool MeasureTitles();
  void Changed();
  TThumbLoader& Loader();

  TThumbviewHost* FHost;
  int32_t FWorkers;
  std::unique_ptr<TThumbLoader> FLoader;
  uint64_t FTicket = 0;
  int32_t FPending = 0;  // cells whose pictures are still to come

  std::string FDirectory;
  std::string FScanFolder;  // remembered until the first paint
  bool FScanWaiting = false;
  int32_t FSelected = -1;
  std::vector<TThumbCell> FCells;
  int32_t FMaxWidth = 200, FMaxHeight = 200, FSize = 100, FThumbGap = 4;
  TScrollMode FScrollMode = SMHorizontal;
  bool FMinMemory = true, FAsButtons = false;
  TTitlePlacement FTitlePlacement = T_Up;
  int32_t FTitleHeight = ThumbTitleHeight;
  bool FAutoScrolling = true, FAutoHandleKeyb = true, FSorted = true;
  bool FScanning = false, FPainted = false;

  int32_t FWidth = 0, FHeight = 0, FBarSize = 16;
  bool FHorzBar = false, FVertBar = false;
  int32_t FScrollX = 0, FScrollY = 0, FMaxScrollX = 0, FMaxScrollY = 0;

  int32_t FDownCell = -1;  // where the left button went down, for the click and the pressed look
  bool FLeftDown = false;
  bool FClickArmed = false;
};
