#include "frame_session.h"

#include <cmath>

#include "frame_builder.h"

void BuildFrameFor(TCardDocument& Doc, const TBitmap32& Tile, int32_t Percent, TBuiltFrame& F) {
  F.Layer = Doc.SelectedBitmapLayer();
  if (F.Layer == nullptr) {
    BuildFrame(Doc.Canvas(), Tile, Percent, F.Picture);
    return;
  }
  TBitmap32& T = *F.Layer->Bitmap();
  const TSingleRect L = F.Layer->Location();
  const double Sx = std::fabs(double{L.Right} - L.Left) / T.Width();
  const double Sy = std::fabs(double{L.Bottom} - L.Top) / T.Height();
  F.MasterAlpha = T.MasterAlpha();
  // The layer is drawn over its frame at full strength; its master alpha returns with the
  // frame. Nobody is told of the passing change.
  T.BeginUpdate();
  T.SetMasterAlpha(255);
  try {
    BuildFrame(T, Tile, Percent, F.Picture);
  } catch (...) {
    T.SetMasterAlpha(F.MasterAlpha);
    T.EndUpdate();
    throw;
  }
  T.SetMasterAlpha(F.MasterAlpha);
  T.EndUpdate();
  F.Location = {L.Left, L.Top, static_cast<float>(L.Left + F.Picture.Width() * Sx),
                static_cast<float>(L.Top + F.Picture.Height() * Sy)};
}

void PutFrame(TCardDocument& Doc, TBuiltFrame& F) {
  TBitmap32& B = F.Layer != nullptr ? *F.Layer->Bitmap() : Doc.Canvas();
  const bool Resized = B.Width() != F.Picture.Width() || B.Height() != F.Picture.Height();
  B.BeginUpdate();
  B.SwapContents(F.Picture);
  if (F.Layer != nullptr) {
    B.SetDrawMode(dmBlend);
    B.SetMasterAlpha(F.MasterAlpha);
  }
  B.EndUpdate();
  F.Picture.SetSize(0, 0);
  B.Changed();
  if (Resized)
    B.NotifyResize();
  if (F.Layer != nullptr) {
    F.Layer->SetLocation(F.Location);
    Doc.SetSelection(nullptr);
    Doc.SetSelection(F.Layer);
  }
}

void LoadFrameTile(const std::string& FileName, TBitmap32& Tile) {
  if (FileName.empty())
    throw EFrameError("Не выбрана рамка");
  Tile.LoadFromFile(FileName);
  SquareFrameTile(Tile);
}

void TFrameSession::Begin() {
  FSnapshot.Take(FDoc);
}

void TFrameSession::Restore() {
  // The layer is selected anew, so that the selection frame follows its old location.
  if (TBitmapLayer* L = FSnapshot.PutBack(FDoc)) {
    FDoc.SetSelection(nullptr);
    FDoc.SetSelection(L);
  }
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

void TFrameSession::Ok(const std::string& TileFile, int32_t Percent) {
  TBuiltFrame F;
  Build(TileFile, Percent, F);
  FUndo.Record(usFrame);
  PutFrame(FDoc, F);
  FSnapshot.Drop();
}

void TFrameSession::Cancel() {
  Restore();
  FSnapshot.Drop();
}
