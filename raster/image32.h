#pragma once
// An image control: one bitmap at a scale and alignment, layers on top, composed by paint
// stages; converts between control and bitmap coordinates and routes the mouse to the layers.
#include <cstdint>
#include <functional>
#include <vector>

#include "bitmap32.h"
#include "custom_layer.h"
#include "layer_collection.h"
#include "layer_painting.h"
#include "paint_box.h"

enum TBitmapAlign { baTopLeft = 0, baCenter = 1, baTile = 2, baCustom = 3 };
enum TScaleMode { smNormal = 0, smStretch = 1, smScale = 2, smResize = 3 };

// Paint stage kinds.
constexpr uint32_t PST_CUSTOM = 1;
constexpr uint32_t PST_CLEAR_BUFFER = 2;
constexpr uint32_t PST_CLEAR_BACKGND = 3;
constexpr uint32_t PST_DRAW_BITMAP = 4;
constexpr uint32_t PST_DRAW_LAYERS = 5;
constexpr uint32_t PST_CONTROL_FRAME = 6;
constexpr uint32_t PST_BITMAP_FRAME = 7;

struct TPaintStage {
  bool DsgnVisible = false;
  bool RTVisible = true;
  uint32_t Stage = 0;
  uint32_t Parameter = 0;
};

class TPaintStages {
 public:
  // Appends (false, true, 0, 0) and returns it.
  TPaintStage& Add();
  void Clear() { FItems.clear(); }
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  TPaintStage& Items(int32_t I) { return FItems.at(static_cast<size_t>(I)); }
  const TPaintStage& Items(int32_t I) const { return FItems.at(static_cast<size_t>(I)); }

 private:
  std::vector<TPaintStage> FItems;
};

using TImgMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                          int32_t X, int32_t Y, TCustomLayer* Layer)>;
using TImgMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t X,
                                              int32_t Y, TCustomLayer* Layer)>;
using TPaintStageEvent = std::function<void(TObject* Sender, TBitmap32* Buffer, uint32_t StageNum)>;

class TCustomImage32 : public TCustomPaintBox32, protected TLayerOwner {
 public:
  explicit TCustomImage32(TViewHost* Host = nullptr);
  ~TCustomImage32() override;

  TBitmap32& Bitmap() { return *FBitmap; }
  const TBitmap32& Bitmap() const { return *FBitmap; }
  void SetBitmap(const TBitmap32* Value);
  TLayerCollection& Layers() { return *FLayers; }
  TPaintStages& PaintStages() { return FPaintStages; }

  TBitmapAlign BitmapAlign() const { return FBitmapAlign; }
  void SetBitmapAlign(TBitmapAlign V);
  float OffsetHorz() const { return FOffsetHorz; }
  void SetOffsetHorz(float V);
  float OffsetVert() const { return FOffsetVert; }
  void SetOffsetVert(float V);
  float Scale() const { return FScale; }
  // Values below 0.001 become 0.001.
  void SetScale(float V);
  TScaleMode ScaleMode() const { return FScaleMode; }
  void SetScaleMode(TScaleMode V);
  bool AutoSize = false;
  // The control's own cursor, shown over no layer.
  TCursor Cursor = crDefault;
  bool TabStop = false;

  virtual void BeginUpdate();
  // Raises EListError "Unpaired EndUpdate call" without a BeginUpdate; the count stays 0.
  virtual void EndUpdate();
  // When not updating: Invalidate, then OnChange.
  virtual void Changed();
  // True while Changed reports a change of the view only (zoom, scrolling, the control's size),
  // not of the bitmap or the layers.
  bool ViewOnlyChange() const { return FViewOnlyDepth > 0; }
  void Invalidate() override;
  void SetBounds(int32_t Width, int32_t Height) override;

  TPoint GetBitmapSize() const;
  virtual TRect GetBitmapRect() const;
  // The bitmap pixel under a control point (truncating towards zero).
  TPoint ControlToBitmap(const TPoint& P);
  TPoint BitmapToControl(const TPoint& P);
  const TCoordXForm& CachedXForm();
  TRect CachedBitmapRect();
  // Renders bitmap and layers into Dest with the bitmap filling DestRect.
  void PaintTo(TBitmap32& Dest, const TRect& DestRect);
  void SetupBitmap(bool DoClear = false, TColor32 ClearColor = 0xFF000000);
  virtual void InitDefaultStages();
  virtual void InitStages();

  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // Paints the LayerOverlay layers onto the window's surface after every paint.
  void PaintOverlays(TBitmap32& Surface);

  bool Designing = false;
  TNotifyEvent OnBitmapResize;
  TNotifyEvent OnChange;
  TNotifyEvent OnInitStages;
  TImgMouseEvent OnMouseDown;
  TImgMouseEvent OnMouseUp;
  TImgMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TPaintStageEvent OnPaintStage;

 protected:
  void DoPaintBuffer() override;
  virtual void BitmapResized();
  virtual void ScaleChanged() {}
  void BitmapChanged();
  void UpdateCache();
  void InvalidateCache() { FCacheValid = false; }
  void RunStages(TBitmap32& Dest, bool AtRunTime);

  virtual void ExecBitmapFrame(TBitmap32& Dest, uint32_t StageNum);
  virtual void ExecClearBuffer(TBitmap32& Dest, uint32_t StageNum);
  virtual void ExecClearBackgnd(TBitmap32& Dest, uint32_t StageNum);
  virtual void ExecControlFrame(TBitmap32& Dest, uint32_t StageNum);
  virtual void ExecCustom(TBitmap32& Dest, uint32_t StageNum);
  virtual void ExecDrawBitmap(TBitmap32& Dest, uint32_t StageNum);
  virtual void ExecDrawLayers(TBitmap32& Dest, uint32_t StageNum);

  // TLayerOwner
  void SetScreenCursor(TCursor C) override;
  TCursor OwnerCursor() const override { return Cursor; }
  bool IsImageControl() const override { return true; }
  bool PaintingToForeignBitmap() const override { return FPaintToMode; }
  TRect OwnerBitmapRect() const override { return FCachedBitmapRect; }

  std::unique_ptr<TBitmap32> FBitmap;
  std::unique_ptr<TLayerCollection> FLayers;
  TBitmapAlign FBitmapAlign = baTopLeft;
  float FOffsetHorz = 0;
  float FOffsetVert = 0;
  TPaintStages FPaintStages;
  float FScale = 1.0f;
  TScaleMode FScaleMode = smNormal;
  int32_t FUpdateCount = 0;
  TRect FCachedBitmapRect;
  TCoordXForm FCachedXForm;
  TFix16 FInvScaleX = 0x10000;
  TFix16 FInvScaleY = 0x10000;
  bool FCacheValid = false;
  bool FPaintToMode = false;
  int32_t FViewOnlyDepth = 0;

  // Marks the changes made while it lives as changes of the view only.
  struct TViewOnlyScope {
    explicit TViewOnlyScope(TCustomImage32& I) : Image(I) { ++Image.FViewOnlyDepth; }
    ~TViewOnlyScope() { --Image.FViewOnlyDepth; }
    TCustomImage32& Image;
  };
  // A setting of the view (not of the picture) to V: the cache goes and the control repaints,
  // nothing when it holds V already.
  template <class TValue>
  void SetViewSetting(TValue& Setting, TValue V);
};

using TImage32 = TCustomImage32;

// Dotted focus rectangle drawn by inverting every other pixel of the outline.
void DrawFocusRect(TBitmap32& Dest, const TRect& R);
