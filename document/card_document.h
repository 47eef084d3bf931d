#pragma once
// The card being edited: the canvas (the view's bitmap), the layer stack above it (the view's
// layers), the selected layer with its selection frame, and the Modified flag. Qt-free: the
// main window owns one and shows what it reports.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "bitmap32.h"
#include "bitmap_layer.h"
#include "img_view32.h"
#include "layer_captions.h"
#include "layer_frames.h"
#include "rubberband_layer.h"

// Tags that mark the plain positioned layers of the document.
constexpr int32_t TagAreaCopy = 2;
constexpr int32_t TagSelectionArea = 3;
constexpr int32_t TagCropArea = 4;

// A selection area (Tag 3) or a crop area (Tag 4): a positioned layer without a bitmap that
// carries one of those tags.
bool IsAreaLayer(const TCustomLayer* L);
inline bool IsCropArea(const TCustomLayer* L) {
  return IsAreaLayer(L) && L->Tag == TagCropArea;
}

// Frees a layer just added to the stack unless Release() is called: a layer whose set-up
// fails does not stay behind.
template <class TLayer>
class TNewLayerGuard {
 public:
  explicit TNewLayerGuard(TLayer* Layer) : FLayer(Layer) {}
  ~TNewLayerGuard() {
    if (FLayer != nullptr)
      FLayer->Free();
  }
  TNewLayerGuard(const TNewLayerGuard&) = delete;
  TNewLayerGuard& operator=(const TNewLayerGuard&) = delete;
  TLayer* Get() const { return FLayer; }
  TLayer* Release() {
    TLayer* L = FLayer;
    FLayer = nullptr;
    return L;
  }

 private:
  TLayer* FLayer;
};

// The modes of the composition panel's tab "Фон": "Открытка", "Файл", "Текстура",
// "Однотонный", "Градиент"; bmNone for a canvas none of them made (a new card, a picture).
enum TBackgroundMode : int32_t { bmNone = -1, bmCard, bmFile, bmTexture, bmSolid, bmGradient };

// The fill that made the canvas: its mode, with the colour of a solid fill or the two colours
// and the direction of a gradient.
struct TBackgroundNote {
  TBackgroundMode Mode = bmNone;
  uint32_t Colour = 0;
  uint32_t GradientLeft = 0;
  uint32_t GradientRight = 0;
  bool Down = false;
  bool operator==(const TBackgroundNote&) const = default;
};

// Where a new W x H photo is shown on a CardW x CardH card, centred on (Cx, Cy): at most 80 %
// of the card's width and height, its proportions kept, never enlarged, in whole pixels.
TSingleRect FitPhoto(int32_t W, int32_t H, int32_t CardW, int32_t CardH, double Cx, double Cy);

class TCardDocument {
 public:
  // The view shows the card; the document keeps its canvas and layers there.
  explicit TCardDocument(TImgView32& View);
  ~TCardDocument();
  TCardDocument(const TCardDocument&) = delete;
  TCardDocument& operator=(const TCardDocument&) = delete;

  TImgView32& View() { return FView; }
  TBitmap32& Canvas() { return FView.Bitmap(); }
  const TBitmap32& Canvas() const { return FView.Bitmap(); }
  TLayerCollection& Layers() { return FView.Layers(); }
  const TLayerCollection& Layers() const { return FView.Layers(); }
  bool IsEmpty() const { return FView.Bitmap().IsEmpty(); }

  TCustomLayer* Selected() const { return FSelected; }
  TBitmapLayer* SelectedBitmapLayer() const { return dynamic_cast<TBitmapLayer*>(FSelected); }
  TRubberbandLayer* RBLayer() const { return FRBLayer; }

  // Makes Layer the selected one and puts the selection frame on top of the stack around it.
  void SetSelection(TCustomLayer* Layer);
  // The mouse handler of every content layer: a click selects it.
  void LayerMouseDown(TObject* Sender);
  // Marks a new content layer: scaled, blended, selectable by a click.
  void AdoptContentLayer(TBitmapLayer* Layer);

  // The middle of the viewport in canvas pixels.
  TPoint ViewCentre();
  // A plain 64 x 64 positioned layer around the view centre.
  TPositionedLayer* CreatePositionedLayer();
  // Frees the first selection or crop area and clears the selection.
  void RemoveAreaLayer();
  TPositionedLayer* FindAreaLayer() const;
  // Clears the selection and the stack, zoom 1, and a canvas of the size filled with Colour.
  // A size beyond the pixel limit or one that cannot be allocated is refused with a message
  // in Russian before anything changes.
  void NewCanvas(int32_t Width, int32_t Height, TColor32 Colour);
  // Clears the selection and the stack (forgetting the frame).
  void ClearLayers();

  // The canvas and the visible layers at 1:1, as the card looks; clears the selection first.
  std::unique_ptr<TBitmap32> RenderFlatImage();
  // The same pixels for a writer that only reads them: the canvas itself when the flat image
  // would be its exact copy (FlatImageIsCanvas), else RenderFlatImage's bitmap kept in Holder.
  // Clears the selection first. Valid while the card and Holder are unchanged.
  const TBitmap32& FlatImage(std::unique_ptr<TBitmap32>& Holder);
  // No layers, and the view paints the canvas unchanged: opaque draw mode, nearest filter, and
  // only the stages that leave a full-size flat image a copy (the background, the bitmap, the
  // layers, and custom stages, which draw only on the view's own buffer).
  bool FlatImageIsCanvas();
  // Adds a photograph read from the file as a new selected layer, fitted and centred on the
  // card (FitPhoto); on failure nothing changes and the reader's error propagates.
  TBitmapLayer* AddPhoto(const std::string& FileName);
  // Adds a ready picture as a new selected layer at its own size around the view centre.
  TBitmapLayer* AddPictureLayer(const TBitmap32& Picture, uint32_t MasterAlpha);
  // What the caption dialog hands over for a caption layer.
  struct TTextLayerSource {
    // The rendered caption (the dialog's preview bitmap).
    const TBitmap32* Preview = nullptr;
    // With a mask (the caption rendered in mask mode), each layer pixel's alpha becomes the
    // mask pixel's intensity; without one the caption is taken as it is.
    const TBitmap32* Mask = nullptr;
    // The dialog's transparency, 0..100 %.
    int32_t TransparencyPercent = 0;
    // The layer count when the dialog was opened: a caption added since is replaced.
    int32_t RememberedCount = 0;
  };
  // Adds (or replaces) the caption layer made by the caption dialog and selects it.
  TBitmapLayer* InsertTextLayer(const TTextLayerSource& Source);
  // The pixels and drawing properties of a caption layer made from Source (the preview, its
  // alpha from the mask, draw mode blend, the master alpha of the transparency); the stretch
  // filter is Source.Preview's.
  static void TextLayerPixels(const TTextLayerSource& Source, TBitmap32& B);
  // Deletes the selected layer; a photo's frame goes with it.
  void DeleteSelected();
  // Called with a layer's index just before it is deleted.
  std::function<void(int32_t Index)> OnLayerDeleting;

  // Replaces the canvas by the flat image and clears the stack.
  void Flatten();

  // The layer option controls.
  void SetLayerOpacity(uint32_t Opacity);
  void SetLayerInterpolate(bool Linear);
  void SetImageInterpolate(bool Linear);

  // Painter of selection and crop areas: a grey copy of what lies under them.
  void PaintArea(TObject* Sender, TBitmap32* Buffer);
  // Opacity of the area painter's grey copy.
  uint32_t AreaOpacity = 255;

  // The caption settings of the layers made as captions (forgotten when the stack is cleared).
  TLayerCaptions Captions;
  // How the canvas was last filled by the composition panel, kept with the card so that undo
  // and redo bring the panel's choice back with the canvas it made.
  TBackgroundNote Background;

  // Which layers are frames of which photos (forgotten when the stack is cleared).
  TLayerFrames Frames;

  // The content layer with the identity, none when it is not on the card.
  TBitmapLayer* FindLayer(uint64_t Id) const;
  // The frame layer of a photo, and the photo of a frame layer; none when there is none.
  TBitmapLayer* FrameOf(const TBitmapLayer& Photo) const;
  TBitmapLayer* PhotoOf(const TBitmapLayer& Frame) const;
  // Frame becomes the frame of Photo where it now lies: clicks through its transparent inside
  // reach the photo, and it is put directly above the photo.
  void LinkFrame(TBitmapLayer& Frame, TBitmapLayer& Photo);
  // Every frame at its place in its photo's location and directly above its photo; the
  // records of frames or photos no longer on the card are forgotten.
  void FollowFrames();
  // A frame moved or resized on its own: its place in its photo is where it now lies.
  void FrameMoved(const TBitmapLayer& Frame);

  // Set by every change the view reports (canvas, layers, zoom); the zoom commands restore it.
  bool Modified = false;
  // Called after every view change, once Modified is set (the window refreshes its menus).
  TNotifyEvent OnViewChange;
  // The selection changed (the window shows or hides its layer and crop panels).
  std::function<void(TCustomLayer* Selected)> OnSelectionChanged;
  // The frame was resized by the user (the window corrects the proportions, see RBResizing).
  TRBResizingEvent OnResizing;

 private:
  TImgView32& FView;
  TCustomLayer* FSelected = nullptr;
  TRubberbandLayer* FRBLayer = nullptr;
};

// Puts the document's modified mark back as it was when the scope ends: for work the view
// reports as a change though the card stays as it was (zoom, the selection frame, a preview).
class TKeepModified {
 public:
  explicit TKeepModified(TCardDocument& Doc) : FDoc(Doc), FWas(Doc.Modified) {}
  ~TKeepModified() { FDoc.Modified = FWas; }
  TKeepModified(const TKeepModified&) = delete;
  TKeepModified& operator=(const TKeepModified&) = delete;

 private:
  TCardDocument& FDoc;
  bool FWas;
};
