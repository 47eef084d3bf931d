#include "composition.h"

#include "background_fills.h"
#include "texture_fill.h"

namespace {

// A 24-bit picture of the bitmap's size painted by Fill and copied in, every pixel opaque.
template <class F>
void PaintOpaque(TBitmap32& Target, F&& Fill) {
  TBitmap24 Picture(Target.Width(), Target.Height());
  Fill(Picture);
  Picture.AssignTo(Target);
  Target.Changed();
}

}  // namespace

void PaintBackgroundGradient(const TBackgroundGradient& G, TBitmap32& Canvas) {
  if (Canvas.IsEmpty())
    return;
  PaintOpaque(Canvas, [&](TBitmap24& P) {
    if (G.Down)
      GradientDown(G.GC1, G.GC2, P);
    else
      Gradient(G.GC2, G.GC1, P);
  });
}

TSize UnderlaySize(int32_t W, int32_t H) {
  return {static_cast<int32_t>(W - RoundRatio(W, 10)), static_cast<int32_t>(H - RoundRatio(H, 10))};
}

TSingleRect UnderlayLocation(int32_t Uw, int32_t W, int32_t H) {
  const auto M = static_cast<float>(RoundRatio(Uw, 30));
  return {M, M, static_cast<float>(W) - M, static_cast<float>(H) - M};
}

TComposition::TComposition(TCardDocument& Doc, TUndoStack* Undo, TLayerCommands& Commands)
    : FDoc(Doc), FRunner(Doc, Undo), FCommands(Commands) {}

void TComposition::FillSolid(TPlatformColor Colour) {
  FRunner.Run(usBackground, [&] {
    FDoc.Canvas().Clear(ColorFromSystem(Colour));
    FDoc.Background = {.Mode = bmSolid, .Colour = uint32_t(Colour)};
  });
}

void TComposition::FillGradient(const TBackgroundGradient& G) {
  FRunner.Run("Gradient", [&](const TChangeStart& Start) {
    Start();
    PaintBackgroundGradient(G, FDoc.Canvas());
    FDoc.Background = {.Mode = bmGradient,
                       .GradientLeft = uint32_t(G.GC2),
                       .GradientRight = uint32_t(G.GC1),
                       .Down = G.Down};
  });
}

void TComposition::LoadBackground(const std::string& FileName) {
  TBitmap32 Picture;
  Picture.LoadFromFile(FileName);
  FRunner.Run(usBackground, [&] {
    FDoc.Canvas().Assign(&Picture);
    FDoc.Background = {.Mode = bmFile};
  });
}

TBitmapLayer* TComposition::AddUnderlay(const TUnderlaySettings& S) {
  TBitmapLayer* L = nullptr;
  FRunner.Run("Underlay", [&](const TChangeStart& Start) {
    Start();
    L = PutUnderlay(S);
  });
  return L;
}

TBitmapLayer* TComposition::PutUnderlay(const TUnderlaySettings& S) {
  const int32_t W = FDoc.Canvas().Width(), H = FDoc.Canvas().Height();
  const TSize Size = UnderlaySize(W, H);
  TBitmap32 Picture;
  Picture.SetSize(Size.cx, Size.cy);
  if (S.Mode == umGradient)
    PaintOpaque(Picture, [&](TBitmap24& P) {
      if (S.Down)
        GradientDown(S.Panel7, S.Panel8, P);
      else
        Gradient(S.Panel7, S.Panel8, P);
    });
  else
    Picture.Clear(ColorFromSystem(S.Panel4));

  TNewLayerGuard Guard(FDoc.Layers().Add<TBitmapLayer>());
  TBitmapLayer* L = Guard.Get();
  L->Bitmap()->Assign(&Picture);
  FDoc.AdoptContentLayer(L);
  L->SetLocation(UnderlayLocation(Size.cx, W, H));
  FDoc.SetSelection(Guard.Release());
  FCommands.Reorder(2);  // "Поместить назад": index 0
  return L;
}

void TComposition::ApplyTexture(const std::string& FileName, int32_t ScaleIndex,
                                bool OnUnderlayPage, const TUnderlaySettings& Underlay) {
  FRunner.Run("Texture", [&](const TChangeStart& Start) {
    Start();
    PutTexture(FileName, ScaleIndex, OnUnderlayPage, Underlay);
  });
}

void TComposition::PutTexture(const std::string& FileName, int32_t ScaleIndex, bool OnUnderlayPage,
                              const TUnderlaySettings& Underlay) {
  TBitmap32* Target = &FDoc.Canvas();
  if (OnUnderlayPage)
    Target = AddUnderlay(Underlay)->Bitmap();
  // The texture goes onto a copy, so that a file that cannot be read leaves the target alone.
  TBitmap32 Filled;
  Filled.Assign(Target);
  FillWithTexture(FileName, ScaleIndex, FDoc.Canvas().Width(), Filled);
  Target->Assign(&Filled);
  if (!OnUnderlayPage)
    FDoc.Background = {.Mode = bmTexture};
}

namespace {

// True when every pixel of the bitmap's outermost rows and columns has the same colour.
bool HasPlainBorder(const TBitmap32& B) {
  if (B.IsEmpty())
    return false;
  const TColor32 C = B.GetPixel(0, 0);
  const int32_t W = B.Width(), H = B.Height();
  for (int32_t X = 0; X < W; ++X)
    if (B.GetPixel(X, 0) != C || B.GetPixel(X, H - 1) != C)
      return false;
  for (int32_t Y = 0; Y < H; ++Y)
    if (B.GetPixel(0, Y) != C || B.GetPixel(W - 1, Y) != C)
      return false;
  return true;
}

}  // namespace

TBitmapLayer* TComposition::AddGalleryItem(const std::string& FileName, bool Decoration,
                                           bool KeyPlainBackground) {
  TBitmap32 Picture;
  Picture.LoadFromFile(FileName);
  TBitmapLayer* L = nullptr;
  FRunner.Run(Decoration ? "Decoration" : "Greeting", [&](const TChangeStart& Start) {
    Start();
    L = PutGalleryItem(Picture, Decoration, KeyPlainBackground);
  });
  return L;
}

TBitmapLayer* TComposition::PutGalleryItem(const TBitmap32& Picture, bool Decoration,
                                           bool KeyPlainBackground) {
  FDoc.RemoveAreaLayer();
  TNewLayerGuard Guard(FDoc.Layers().Add<TBitmapLayer>());
  TBitmapLayer* L = Guard.Get();
  L->Bitmap()->Assign(&Picture);
  L->Bitmap()->MakeOpaque();
  L->Bitmap()->SetStretchFilter(sfLinear);
  FDoc.AdoptContentLayer(L);
  const auto A = static_cast<float>(RoundRatio(FDoc.Canvas().Width(), 100));
  L->SetLocation(
      {A, A, A + static_cast<float>(Picture.Width()), A + static_cast<float>(Picture.Height())});
  FDoc.SetSelection(Guard.Release());
  const TBitmap32& B = *L->Bitmap();
  if (Decoration)
    FCommands.ApplyTransparentColor(B.GetPixelSafe(1, B.Height() - 1));
  else if (KeyPlainBackground && HasPlainBorder(B))
    FCommands.ApplyTransparentColor(B.GetPixel(0, 0));
  return L;
}
