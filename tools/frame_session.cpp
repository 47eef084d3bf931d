#include "frame_session.h"

#include <algorithm>

#include "frame_builder.h"

TRect VisibleBounds(const TBitmap32& B) {
  int32_t Left = B.Width(), Top = B.Height(), Right = 0, Bottom = 0;
  for (int32_t Y = 0; Y < B.Height(); ++Y) {
    const TColor32* Row = B.RowAddress(Y);
    int32_t X0 = 0, X1 = B.Width();
    while (X0 < X1 && (Row[X0] >> 24) == 0) ++X0;
    if (X0 == X1)
      continue;
    while ((Row[X1 - 1] >> 24) == 0) --X1;
    Left = std::min(Left, X0);
    Right = std::max(Right, X1);
    Top = std::min(Top, Y);
    Bottom = Y + 1;
  }
  if (Right <= Left)
    return {0, 0, B.Width(), B.Height()};
  return {Left, Top, Right, Bottom};
}

void BuildFrameFor(TCardDocument& Doc, const TBitmap32& Tile, int32_t Percent, TBuiltFrame& F) {
  F.Photo = Doc.SelectedBitmapLayer();
  if (F.Photo == nullptr) {
    BuildFrame(Doc.Canvas(), Tile, Percent, F.Picture);
    return;
  }
  // A frame selected stands for its photo: the frame is made again.
  if (TBitmapLayer* Photo = Doc.PhotoOf(*F.Photo))
    F.Photo = Photo;
  const TBitmap32& B = *F.Photo->Bitmap();
  const TRect R = VisibleBounds(B);
  BuildFrameAlone(R.Right - R.Left, R.Bottom - R.Top, Tile, Percent, F.Picture);
  const double W = B.Width(), H = B.Height();
  F.Box = {static_cast<float>(R.Left / W), static_cast<float>(R.Top / H),
           static_cast<float>(R.Right / W), static_cast<float>(R.Bottom / H)};
}

void PutFrame(TCardDocument& Doc, TBuiltFrame& F) {
  if (F.Photo == nullptr) {
    TBitmap32& B = Doc.Canvas();
    const bool Resized = B.Width() != F.Picture.Width() || B.Height() != F.Picture.Height();
    B.BeginUpdate();
    B.SwapContents(F.Picture);
    B.EndUpdate();
    F.Picture.SetSize(0, 0);
    B.Changed();
    if (Resized)
      B.NotifyResize();
    return;
  }
  TBitmapLayer& Photo = *F.Photo;
  TBitmapLayer* Frame = Doc.FrameOf(Photo);
  if (Frame == nullptr) {
    TNewLayerGuard Guard(Doc.Layers().Add<TBitmapLayer>());
    Doc.AdoptContentLayer(Guard.Get());
    Guard.Get()->SetScaled(Photo.Scaled());
    Frame = Guard.Release();
  }
  TBitmap32& B = *Frame->Bitmap();
  B.BeginUpdate();
  B.SwapContents(F.Picture);
  B.SetDrawMode(dmBlend);
  B.SetMasterAlpha(255);
  B.SetStretchFilter(Photo.Bitmap()->StretchFilter());
  B.EndUpdate();
  F.Picture.SetSize(0, 0);
  B.Changed();
  Frame->SetLocation(FrameLocation(Photo.Location(), F.Box));
  Doc.LinkFrame(*Frame, Photo);
  Doc.SetSelection(nullptr);
  Doc.SetSelection(&Photo);
}

void LoadFrameTile(const std::string& FileName, TBitmap32& Tile) {
  if (FileName.empty())
    throw EFrameError("Не выбрана рамка");
  Tile.LoadFromFile(FileName);
  SquareFrameTile(Tile);
}

void TFrameSession::Begin() {
  FStore.Clear();
  FSaved = CaptureState(FDoc, FStore);
  FActive = true;
}

void TFrameSession::Restore() {
  if (FActive)
    RestoreState(FDoc, FSaved, FStore, nullptr);
}

void TFrameSession::End() {
  FActive = false;
  FSaved = TDocumentState();
  FStore.Clear();
}

void TFrameSession::Build(const std::string& TileFile, int32_t Percent, TBuiltFrame& F) {
  Restore();
  TBitmap32 Tile;
  LoadFrameTile(TileFile, Tile);
  BuildFrameFor(FDoc, Tile, Percent, F);
}

void TFrameSession::Preview(const std::string& TileFile, int32_t Percent) {
  TBuiltFrame F;
  Build(TileFile, Percent, F);
  PutFrame(FDoc, F);
}

void TFrameSession::Ok(const std::string& TileFile, int32_t Percent, const TChangeStart& Start) {
  TBuiltFrame F;
  Build(TileFile, Percent, F);
  StartChange(Start);
  PutFrame(FDoc, F);
  End();
}

void TFrameSession::Cancel() {
  Restore();
  End();
}
