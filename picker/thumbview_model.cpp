#include "thumbview_model.h"

#include <algorithm>

#include "exceptions.h"
#include "thumb_files.h"

TThumbviewModel::TThumbviewModel(TThumbviewHost* Host, int32_t Workers)
    : FHost(Host), FWorkers(Workers > 0 ? Workers : TThumbLoader::DefaultWorkers()) {}

TThumbviewModel::~TThumbviewModel() {
  FLoader.reset();  // joins the workers before the host may go
}

TThumbLoader& TThumbviewModel::Loader() {
  if (!FLoader) {
    FLoader = std::make_unique<TThumbLoader>(FWorkers);
    FLoader->OnResults = [this] {
      if (FHost)
        FHost->ThumbPicturesReady();
    };
  }
  return *FLoader;
}

void TThumbviewModel::Changed() {
  if (FHost)
    FHost->ThumbsChanged();
}

// ==== folder and scan ====

void TThumbviewModel::SetDirectory(const std::string& Folder) {
  if (Folder.empty()) {
    StopLoading();
    ClearCells();
    FDirectory.clear();
    FScanWaiting = false;
    PlaceAll();
    Changed();
    return;
  }
  SetSelected(-1);
  if (!FPainted) {
    FDirectory = Folder;
    FScanFolder = Folder;
    FScanWaiting = true;
    return;
  }
  if (FScanning)
    return;
  FDirectory = Folder;
  RunScan(Folder);
}

void TThumbviewModel::Painting() {
  if (FPainted)
    return;
  FPainted = true;
  if (FScanWaiting) {
    FScanWaiting = false;
    RunScan(FScanFolder);
  }
}

void TThumbviewModel::RunScan(const std::string& Folder) {
  FScanning = true;
  std::vector<TThumbEntry> Entries = CollectThumbEntries(Folder, FSorted);
  if (FLoader)
    FLoader->Cancel();
  ClearCells();
  FCells.reserve(Entries.size());
  for (TThumbEntry& E : Entries) {
    TThumbCell C;
    C.Path = std::move(E.Path);
    C.Title = std::move(E.Title);
    FCells.push_back(std::move(C));
  }
  // The cells' height follows their titles, so they are placed once all titles are known.
  MeasureTitles();
  PlaceAll();
  FPending = Count();
  Changed();
  if (FPending == 0) {
    FinishScan();
    return;
  }
  std::vector<TThumbJob> Jobs;
  Jobs.reserve(FCells.size());
  for (int32_t I = 0; I < Count(); ++I) Jobs.push_back({I, FCells[size_t(I)].Path});
  FTicket = Loader().Start(std::move(Jobs), FMaxWidth, FMaxHeight, FMinMemory);
}

void TThumbviewModel::FinishScan() {
  FScanning = false;
  FPending = 0;
  if (Count() > 0 && FSelected == -1)
    SetSelected(0);
  Changed();
}

void TThumbviewModel::StopLoading() {
  if (FLoader)
    FLoader->Cancel();
  FTicket = 0;
  if (FScanning)
    FinishScan();
}

bool TThumbviewModel::DeliverPictures(bool Wait) {
  if (!FLoader || FPending == 0)
    return false;
  std::vector<TThumbResult> Results = FLoader->TakeResults(Wait);
  bool Any = false;
  for (TThumbResult& R : Results) {
    if (R.Ticket != FTicket || R.Index < 0 || R.Index >= Count())
      continue;
    TThumbCell& C = FCells[size_t(R.Index)];
    if (C.State != TThumbCell::csLoading)
      continue;
    if (R.Ok) {
      C.State = TThumbCell::csLoaded;
      C.Picture = std::move(R.Picture);
      FitCell(C);
    } else {
      C.State = TThumbCell::csBroken;
      C.Error = std::move(R.Error);
    }
    Any = true;
    --FPending;
  }
  if (FPending == 0) {
    FinishScan();
    return false;
  }
  if (Any)
    Changed();
  return true;
}

void TThumbviewModel::ClearCells() {
  FCells.clear();
  FSelected = -1;
  FDownCell = -1;
  FPending = 0;
}

// ==== selection and titles ====

void TThumbviewModel::SetSelected(int32_t V) {
  if (FCells.empty())
    return;
  if (V < -1 || V >= Count())
    return;
  if (FSelected >= 0 && FSelected < Count())
    FCells[size_t(FSelected)].Highlighted = false;
  if (V != -1) {
    FCells[size_t(V)].Highlighted = true;
    if (FAutoScrolling)
      ScrollIntoView(V);
  }
  FSelected = V;
  Changed();
}

std::string TThumbviewModel::SelectedFile() const {
  if (FSelected < 0 || FSelected >= Count())
    return {};
  return FCells[size_t(FSelected)].Path;
}

const TThumbCell& TThumbviewModel::Cell(int32_t Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FCells[size_t(Index)];
}

void TThumbviewModel::SetTitle(int32_t Index, const std::string& Title) {
  Cell(Index);  // range check
  FCells[size_t(Index)].Title = Title;
  if (MeasureTitles())
    PlaceAll();
  Changed();
}

void TThumbviewModel::TitlesChanged() {
  MeasureTitles();
  PlaceAll();
  Changed();
}

bool TThumbviewModel::MeasureTitles() {
  int32_t H = ThumbTitleHeight;
  if (FHost && FTitlePlacement != T_None) {
    const int32_t Width = ThumbCellSize(FMaxWidth, FMaxHeight, FSize).cx;
    for (const TThumbCell& C : FCells)
      H = std::max(H, std::clamp(FHost->MeasureThumbTitle(C.Title, Width), ThumbTitleHeight,
                                 ThumbTitleHeightMax));
  }
  const bool Changed = H != FTitleHeight;
  FTitleHeight = H;
  return Changed;
}

// ==== layout ====

int32_t TThumbviewModel::PerLine() const {
  return ThumbsPerLine(FScrollMode, FWidth, FHeight, FThumbGap, BaseCellSize());
}

void TThumbviewModel::FitCell(TThumbCell& C) const {
  if (C.State == TThumbCell::csLoaded)
    C.PictureRect = FitThumbPicture(CellSize(), C.Picture.Size, FTitlePlacement, FTitleHeight);
  else
    C.PictureRect = {};
}

void TThumbviewModel::PlaceAll() {
  const TSize Cs = CellSize();
  const int32_t K = PerLine();
  for (int32_t I = 0; I < Count(); ++I) {
    TThumbCell& C = FCells[size_t(I)];
    C.Bounds = PlaceThumbCell(I, FScrollMode, FThumbGap, Cs, K);
    FitCell(C);
  }
  UpdateScrollBars();
}

void TThumbviewModel::Refresh() {
  for (TThumbCell& C : FCells) FitCell(C);
  Changed();
}

void TThumbviewModel::SetMaxWidth(int32_t V) {
  FMaxWidth = std::max(0, V);
  MeasureTitles();
  PlaceAll();
  Changed();
}

void TThumbviewModel::SetMaxHeight(int32_t V) {
  FMaxHeight = std::max(0, V);
  PlaceAll();
  Changed();
}

void TThumbviewModel::SetSize(int32_t V) {
  FSize = std::clamp(V, 1, 100);
  MeasureTitles();
  PlaceAll();
  Changed();
}

void TThumbviewModel::SetThumbGap(int32_t V) {
  FThumbGap = std::clamp(V, 0, 255);
  PlaceAll();
  Changed();
}

void TThumbviewModel::SetScrollMode(TScrollMode V) {
  FScrollMode = V;
  PlaceAll();
  Changed();
}

void TThumbviewModel::SetAsButtons(bool V) {
  FAsButtons = V;
  if (!V)
    for (TThumbCell& C : FCells) C.Pressed = false;
  Changed();
}

void TThumbviewModel::SetTitlePlacement(TTitlePlacement V) {
  FTitlePlacement = V;
  // A hidden strip takes no extra height; a shown one may need it again.
  MeasureTitles();
  PlaceAll();
  Changed();
}

void TThumbviewModel::SetBounds(int32_t Width, int32_t Height) {
  FWidth = std::max(0, Width);
  FHeight = std::max(0, Height);
  PlaceAll();
  Changed();
}

void TThumbviewModel::SetScrollBarSize(int32_t Size) {
  FBarSize = std::max(0, Size);
  UpdateScrollBars();
}

int32_t TThumbviewModel::ClientWidth() const {
  return std::max(0, FWidth - (FVertBar ? FBarSize : 0));
}

int32_t TThumbviewModel::ClientHeight() const {
  return std::max(0, FHeight - (FHorzBar ? FBarSize : 0));
}

void TThumbviewModel::UpdateScrollBars() {
  int32_t ContentW = 0, ContentH = 0;
  for (const TThumbCell& C : FCells) {
    ContentW = std::max(ContentW, C.Bounds.Right);
    ContentH = std::max(ContentH, C.Bounds.Bottom);
  }
  // A bar is shown when the content does not fit; one bar takes room from the other
  // direction, which may then need its bar too.
  bool H = ContentW > FWidth, V = ContentH > FHeight;
  for (int Pass = 0; Pass < 2; ++Pass) {
    H = ContentW > FWidth - (V ? FBarSize : 0);
    V = ContentH > FHeight - (H ? FBarSize : 0);
  }
  FHorzBar = H;
  FVertBar = V;
  FMaxScrollX = std::max(0, ContentW - ClientWidth());
  FMaxScrollY = std::max(0, ContentH - ClientHeight());
  FScrollX = std::clamp(FScrollX, 0, FMaxScrollX);
  FScrollY = std::clamp(FScrollY, 0, FMaxScrollY);
  if (FHost)
    FHost->ThumbScrollChanged();
}

void TThumbviewModel::SetScrollX(int32_t V) {
  V = std::clamp(V, 0, FMaxScrollX);
  if (V == FScrollX)
    return;
  FScrollX = V;
  if (FHost)
    FHost->ThumbScrollChanged();
  Changed();
}

void TThumbviewModel::SetScrollY(int32_t V) {
  V = std::clamp(V, 0, FMaxScrollY);
  if (V == FScrollY)
    return;
  FScrollY = V;
  if (FHost)
    FHost->ThumbScrollChanged();
  Changed();
}

TRect TThumbviewModel::VisibleCellRect(int32_t Index) const {
  TRect R = Cell(Index).Bounds;
  R.Left -= FScrollX;
  R.Right -= FScrollX;
  R.Top -= FScrollY;
  R.Bottom -= FScrollY;
  return R;
}

int32_t TThumbviewModel::CellAt(int32_t X, int32_t Y) const {
  if (FCells.empty())
    return -1;
  return ThumbHitTest(X, Y, FScrollX, FScrollY, Count(), FScrollMode, FThumbGap, CellSize(),
                      PerLine());
}

void TThumbviewModel::ScrollIntoView(int32_t Index) {
  if (Index < 0 || Index >= Count())
    return;
  const TRect& B = FCells[size_t(Index)].Bounds;
  if (FScrollMode == SMHorizontal)
    SetScrollX(ScrollThumbIntoView(B.Left, B.Width(), FScrollX, ClientWidth(), FMaxScrollX));
  else
    SetScrollY(ScrollThumbIntoView(B.Top, B.Height(), FScrollY, ClientHeight(), FMaxScrollY));
}

// ==== input ====

void TThumbviewModel::MouseDown(TMouseButton Button, int32_t X, int32_t Y) {
  if (FHost)
    FHost->ThumbTakeFocus();
  if (FCells.empty())
    return;
  const int32_t Hit = ThumbHitTest(X, Y, FScrollX, FScrollY, Count(), FScrollMode, FThumbGap,
                                   CellSize(), PerLine());
  SetSelected(Hit);
  if (Button == mbLeft) {
    FLeftDown = true;
    FClickArmed = true;
    FDownCell = Hit;
    if (FAsButtons && Hit >= 0) {
      FCells[size_t(Hit)].Pressed = true;
      Changed();
    }
  }
}

void TThumbviewModel::MouseMove(int32_t X, int32_t Y) {
  if (!FLeftDown || !FAsButtons || FDownCell < 0 || FDownCell >= Count())
    return;
  const TRect R = VisibleCellRect(FDownCell);
  const bool Inside = X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
  TThumbCell& C = FCells[size_t(FDownCell)];
  if (C.Pressed != Inside) {
    C.Pressed = Inside;
    Changed();
  }
}

void TThumbviewModel::MouseUp(TMouseButton Button, int32_t X, int32_t Y) {
  if (Button != mbLeft || !FLeftDown)
    return;
  FLeftDown = false;
  const bool Armed = FClickArmed;
  FClickArmed = false;
  const int32_t Down = FDownCell;
  FDownCell = -1;
  bool Repaint = false;
  for (TThumbCell& C : FCells)
    if (C.Pressed) {
      C.Pressed = false;
      Repaint = true;
    }
  if (Repaint)
    Changed();
  if (!Armed)
    return;
  // A click is a release over the cell (or the bare picker) where the button went down.
  int32_t Over = -1;
  if (Down >= 0 && Down < Count()) {
    const TRect R = VisibleCellRect(Down);
    if (X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom)
      Over = Down;
    else
      return;
  } else if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) {
    return;
  }
  if (OnClick)
    OnClick(Over);
}

void TThumbviewModel::DoubleClick(TMouseButton Button, int32_t X, int32_t Y) {
  MouseDown(Button, X, Y);
  FClickArmed = false;
  const int32_t Hit = FCells.empty() ? -1
                                     : ThumbHitTest(X, Y, FScrollX, FScrollY, Count(), FScrollMode,
                                                    FThumbGap, CellSize(), PerLine());
  if (OnDblClick)
    OnDblClick(Hit);
}

bool TThumbviewModel::KeyDown(TKey Key) {
  if (Key == vkPageUp || Key == vkPageDown) {
    const int32_t Sign = Key == vkPageUp ? -1 : 1;
    if (FScrollMode == SMHorizontal)
      SetScrollX(FScrollX + Sign * ClientWidth());
    else
      SetScrollY(FScrollY + Sign * ClientHeight());
    return true;
  }
  if (!FAutoHandleKeyb || FCells.empty() || Key == vkOther)
    return false;
  static constexpr TThumbKey Map[] = {tkHome, tkEnd, tkLeft, tkRight, tkUp, tkDown};
  const int32_t Target = ThumbKeyTarget(Map[Key], FSelected, Count(), FScrollMode, PerLine());
  if (Target != FSelected)
    SetSelected(Target);
  ScrollIntoView(FSelected);
  return true;
}

void TThumbviewModel::Wheel(int32_t Delta) {
  const TSize Cs = CellSize();
  const int32_t Steps = -Delta / 120;
  if (Steps == 0)
    return;
  if (FScrollMode == SMHorizontal)
    SetScrollX(FScrollX + Steps * (Cs.cx + FThumbGap));
  else
    SetScrollY(FScrollY + Steps * (Cs.cy + FThumbGap));
}
